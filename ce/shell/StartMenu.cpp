// The start menu: the phone, the contacts tool, the browser and the dial-up
// connection.
#include "ce/shell/StartMenu.h"

#include <cwchar>
#include <string>

namespace ceshell {
namespace {

struct StartEntry {
    const wchar_t* label;
    const wchar_t* file;  // beside the shell, or a full path when it starts with '\'
};

const StartEntry kEntries[] = {
    {L"Zentrika", L"Zentrika.exe"},
    {L"연락처", L"zencontacts.exe"},
    {L"Internet Explorer", L"\\Windows\\iexplore.exe"},
    {L"전화 접속", L"zendial.exe"},  // the dial-up connection
};

std::wstring ProgramPath(const StartEntry& e)
{
    if (e.file[0] == L'\\')
        return e.file;
    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return e.file;
    wchar_t* slash = wcsrchr(self, L'\\');
    if (slash)
        slash[1] = 0;
    return std::wstring(self) + e.file;
}

void Start(HWND taskbar, const StartEntry& e)
{
    const std::wstring path = ProgramPath(e);
    const DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
        // The file's name only: a whole path is wider than the screen.
        const size_t slash = path.find_last_of(L'\\');
        const std::wstring text =
            L"프로그램을 찾을 수 없습니다.\r\n" + (slash == std::wstring::npos ? path : path.substr(slash + 1));
        MessageBoxW(taskbar, text.c_str(), e.label, MB_OK | MB_ICONWARNING | MB_TOPMOST);
        return;
    }
    std::wstring cmd = L"\"" + path + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(path.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        wchar_t text[MAX_PATH + 64];
        swprintf(text, MAX_PATH + 64, L"프로그램을 시작할 수 없습니다 (%lu).\r\n%ls", GetLastError(), path.c_str());
        MessageBoxW(taskbar, text, e.label, MB_OK | MB_ICONWARNING | MB_TOPMOST);
        return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace

void OpenStartMenu(HWND taskbar)
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return;
    for (UINT i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i)
        AppendMenuW(menu, MF_STRING, i + 1, kEntries[i].label);
    RECT rc = {};
    GetWindowRect(taskbar, &rc);
    SetForegroundWindow(taskbar);
    const UINT chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                       rc.left, rc.bottom, 0, taskbar, nullptr);
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= sizeof kEntries / sizeof kEntries[0])
        Start(taskbar, kEntries[chosen - 1]);
}

}  // namespace ceshell
