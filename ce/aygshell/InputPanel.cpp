// The input panel: a small keyboard above the menu bar that types into
// whatever window has the focus. It never takes the focus itself.
//
// On the Korean layout the syllable in progress is typed into the focused
// window at once and replaced (backspace, then the new syllable) while
// more jamo come, as the handheld's own Korean input does; so the text is
// always complete, even when it is sent before composing ends.
#include <sipapi.h>

#include <string>

#include "ce/aygshell/HangulComposer.h"
#include "ce/aygshell/ShellLayout.h"
#include "ce/aygshell/SipKeys.h"

using namespace aygshell;

namespace {

const wchar_t kSipClass[] = L"SipWndClass";

HWND g_sip;
int g_layout = kSipLatin;
bool g_shift;
int g_pressedRow = -1, g_pressedCol = -1;  // the key under the pen
HangulComposer g_composer;
HWND g_composeTarget;  // where the syllable in progress was typed
HFONT g_font;

RECT Client(HWND hwnd)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    return rc;
}

HWND FocusWindow()
{
    if (HWND f = GetFocus())
        return f;
    GUITHREADINFO gi = {};
    gi.cbSize = sizeof gi;
    HWND fg = GetForegroundWindow();
    if (fg && GetGUIThreadInfo(GetWindowThreadProcessId(fg, nullptr), &gi))
        return gi.hwndFocus;
    return nullptr;
}

void SendChar(wchar_t c)
{
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    if (c == L'\b' || c == L'\r') {
        in[0].ki.wVk = in[1].ki.wVk = (c == L'\b') ? VK_BACK : VK_RETURN;
    } else {
        in[0].ki.wScan = in[1].ki.wScan = c;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

// True while the syllable in progress is still where it was typed: the
// same window has the focus and, in an edit, it stands just before the
// caret. A tap elsewhere in the text ends composing instead of letting
// the next jamo replace some other character.
bool ComposedStillShown()
{
    const wchar_t shown = g_composer.Current();
    if (!shown || !g_composeTarget || FocusWindow() != g_composeTarget)
        return false;
    wchar_t cls[16] = {};
    GetClassNameW(g_composeTarget, cls, 16);
    if (lstrcmpiW(cls, L"Edit") != 0)
        return true;
    DWORD from = 0, to = 0;
    SendMessageW(g_composeTarget, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const int len = GetWindowTextLengthW(g_composeTarget);
    if (from != to || from == 0 || static_cast<int>(from) > len)
        return false;
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    GetWindowTextW(g_composeTarget, &text[0], len + 1);
    return text[from - 1] == shown;
}

// Ends composing: the syllable typed so far stays as it is.
void EndComposing()
{
    g_composer.Finish();
    g_composeTarget = nullptr;
}

void TypeJamo(wchar_t jamo)
{
    if (g_composer.Composing() && !ComposedStillShown())
        EndComposing();
    const wchar_t before = g_composer.Current();
    std::wstring out = g_composer.Input(jamo);
    out.push_back(g_composer.Current());
    if (before)
        SendChar(L'\b');
    for (wchar_t c : out)
        if (c)
            SendChar(c);
    g_composeTarget = g_composer.Composing() ? FocusWindow() : nullptr;
}

void TypeBackspace()
{
    if (g_composer.Composing() && ComposedStillShown()) {
        g_composer.Backspace();
        SendChar(L'\b');
        if (const wchar_t c = g_composer.Current())
            SendChar(c);
        else
            g_composeTarget = nullptr;
        return;
    }
    EndComposing();
    SendChar(L'\b');
}

void Press(const SipKey& key)
{
    const wchar_t c = (g_shift && key.shifted) ? key.shifted : key.code;
    if (c == kKeyShift) {
        g_shift = !g_shift;
        return;
    }
    g_shift = false;
    if (c == kKeySwitch) {
        EndComposing();
        g_layout = (g_layout + 1) % kSipLayoutCount;
        return;
    }
    if (HangulComposer::IsJamo(c))
        TypeJamo(c);
    else if (c == L'\b')
        TypeBackspace();
    else {
        EndComposing();
        SendChar(c);
    }
}

const wchar_t* KeyLabel(const SipKey& key)
{
    static wchar_t one[2];
    const wchar_t c = (g_shift && key.shifted) ? key.shifted : key.code;
    switch (c) {
    case L'\b': return L"<-";
    case L'\r': return L"Ent";
    case L' ': return L"Sp";
    case kKeyShift: return L"Shf";
    case kKeySwitch: return g_layout == kSipLatin ? L"한" : L"ABC";
    default: one[0] = c; one[1] = 0; return one;
    }
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const RECT all = Client(hwnd);
    HBRUSH face = CreateSolidBrush(RGB(214, 211, 206));
    FillRect(dc, &all, face);
    HBRUSH down = CreateSolidBrush(RGB(0, 0, 156));
    SetBkMode(dc, TRANSPARENT);
    if (!g_font)
        g_font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, g_font);
    for (int r = 0; r < SipRows(g_layout); ++r) {
        int count = 0;
        const SipKey* keys = SipRow(g_layout, r, &count);
        for (int c = 0; c < count; ++c) {
            RECT rc = SipKeyRect(g_layout, all, r, c);
            InflateRect(&rc, -1, -1);
            const bool lit = (r == g_pressedRow && c == g_pressedCol) || (keys[c].code == kKeyShift && g_shift);
            if (lit)
                FillRect(dc, &rc, down);
            FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            SetTextColor(dc, lit ? RGB(255, 255, 255) : RGB(0, 0, 0));
            DrawTextW(dc, KeyLabel(keys[c]), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    SelectObject(dc, oldFont);
    DeleteObject(down);
    DeleteObject(face);
    EndPaint(hwnd, &ps);
}

POINT PointOf(LPARAM lp)
{
    return {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

LRESULT CALLBACK SipProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        if (SipKeyAt(g_layout, Client(hwnd), PointOf(lp), &g_pressedRow, &g_pressedCol)) {
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, FALSE);
        } else {
            g_pressedRow = g_pressedCol = -1;
        }
        return 0;
    case WM_LBUTTONUP: {
        int row = -1, col = -1;
        const bool on = SipKeyAt(g_layout, Client(hwnd), PointOf(lp), &row, &col);
        const int wasRow = g_pressedRow, wasCol = g_pressedCol;
        g_pressedRow = g_pressedCol = -1;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (on && row == wasRow && col == wasCol) {
            int count = 0;
            const SipKey* keys = SipRow(g_layout, row, &count);
            Press(keys[col]);
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_DESTROY:
        if (g_sip == hwnd) {
            g_sip = nullptr;
            EndComposing();
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND SipWindow()
{
    if (g_sip && IsWindow(g_sip))
        return g_sip;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SipProc;
    wc.hInstance = aygshell::ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kSipClass;
    RegisterClassW(&wc);  // harmless when already registered
    const RECT rc = aygshell::SipRect();
    g_sip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kSipClass, L"",
                            WS_POPUP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                            nullptr, nullptr, wc.hInstance, nullptr);
    return g_sip;
}

}  // namespace

static BOOL CALLBACK TellSipChange(HWND hwnd, LPARAM)
{
    if (hwnd != g_sip)
        SendMessageW(hwnd, WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
    return TRUE;
}

extern "C" BOOL SipShowIM(DWORD dwFlag)
{
    const bool wasOn = g_sip && IsWindow(g_sip) && IsWindowVisible(g_sip);
    if (dwFlag & SIPF_ON) {
        HWND sip = SipWindow();
        if (!sip)
            return FALSE;
        SetWindowPos(sip, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    } else {
        EndComposing();
        g_shift = false;
        if (g_sip && IsWindow(g_sip))
            ShowWindow(g_sip, SW_HIDE);
    }
    // The thread's top-level windows hear of the change, as the shell's
    // windows do on the handheld.
    if (wasOn != ((dwFlag & SIPF_ON) != 0))
        EnumThreadWindows(GetCurrentThreadId(), TellSipChange, 0);
    return TRUE;
}

extern "C" BOOL SipGetInfo(SIPINFO* info)
{
    if (!info || info->cbSize < sizeof(SIPINFO))
        return FALSE;
    const bool on = g_sip && IsWindowVisible(g_sip);
    info->fdwFlags = SIPF_DOCKED | (on ? SIPF_ON : 0);
    info->rcSipRect = aygshell::SipRect();
    info->rcVisibleDesktop = {0, aygshell::kTaskBarHeight, aygshell::ScreenWidth(),
                              on ? info->rcSipRect.top
                                 : aygshell::ScreenHeight() - aygshell::kMenuBarHeight};
    info->dwImDataSize = 0;
    info->pvImData = nullptr;
    return TRUE;
}
