// The task filter over window titles and class names.
#include "agent/TaskFilter.h"

#include <cwchar>

namespace agent {
namespace {

const wchar_t* const kHiddenTitles[] = {L"Desktop", L"Desktop Window", L"Pocket PC Emulation",
                                        L"CursorWindow", L"ActiveSync", L"Start"};
const wchar_t* const kHiddenClasses[] = {L"menu_worker", L"HHTaskBar", L"MS_SIPBUTTON",
                                         L"Expansion Pack Class", L"Flash Manager", L"FAKEIMEUI",
                                         L"MSPOutlook", L"ConnMgrWndClass", L"RapiSrv", L"Ime"};

template <size_t N>
bool OneOf(LPCWSTR s, const wchar_t* const (&list)[N], bool ignoreCase)
{
    for (const wchar_t* item : list)
        if ((ignoreCase ? _wcsicmp(s, item) : wcscmp(s, item)) == 0)
            return true;
    return false;
}

struct WindowText {
    wchar_t title[64] = {};
    wchar_t cls[64] = {};
    explicit WindowText(HWND hwnd)
    {
        GetWindowTextW(hwnd, title, 64);
        GetClassNameW(hwnd, cls, 64);
    }
};

}  // namespace

bool IsSystemWindowClass(LPCWSTR cls)
{
    return cls && (!wcscmp(cls, L"Dialog") || !wcscmp(cls, L"Explore") || !wcscmp(cls, L"Worker") ||
                   !wcsncmp(cls, L"CPL_", 4));
}

bool PassesTaskFilter(bool visible, LPCWSTR title, LPCWSTR cls)
{
    if (!visible || !title || !cls)
        return false;
    // Class names compare as the window manager compares them: without case.
    if (!_wcsicmp(cls, L"ADVCALC"))
        return true;
    if (!*title && _wcsicmp(cls, L"Dialog"))
        return false;
    return !OneOf(title, kHiddenTitles, false) && !OneOf(cls, kHiddenClasses, true);
}

bool PassesTaskFilter(HWND hwnd)
{
    if (!hwnd)
        return false;
    const WindowText t(hwnd);
    return PassesTaskFilter(IsWindowVisible(hwnd) != FALSE, t.title, t.cls);
}

ForegroundKind ClassifyWindow(HWND hwnd)
{
    if (!hwnd)
        return kForegroundNone;
    const WindowText t(hwnd);
    if (IsSystemWindowClass(t.cls))
        return kForegroundSystem;
    return PassesTaskFilter(IsWindowVisible(hwnd) != FALSE, t.title, t.cls) ? kForegroundProgram
                                                                            : kForegroundNone;
}

namespace {

struct ListState {
    TaskEntry* out;
    int max;
    int count;
};

BOOL CALLBACK AddTask(HWND hwnd, LPARAM lp)
{
    auto* s = reinterpret_cast<ListState*>(lp);
    if (s->count >= s->max)
        return FALSE;
    if (!PassesTaskFilter(hwnd))
        return TRUE;
    const WindowText t(hwnd);
    const bool calc = !_wcsicmp(t.cls, L"ADVCALC");
    if (!*t.title && !calc)
        return TRUE;
    TaskEntry& e = s->out[s->count++];
    e.hwnd = hwnd;
    e.process = 0;
    GetWindowThreadProcessId(hwnd, &e.process);
    wcsncpy(e.title, calc ? L"Calculator" : t.title, 63);
    e.title[63] = 0;
    return TRUE;
}

}  // namespace

int ListTasks(TaskEntry* out, int max)
{
    ListState s = {out, max < kMaxTasks ? max : kMaxTasks, 0};
    if (!out || s.max <= 0)
        return 0;
    EnumWindows(AddTask, reinterpret_cast<LPARAM>(&s));
    return s.count;
}

}  // namespace agent
