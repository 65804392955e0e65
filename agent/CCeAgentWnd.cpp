// The agent's taskbar window.
#include "agent/CCeAgentWnd.h"

#include <aygshell.h>
#include <ce_shellapi.h>

#include <cwchar>

#include "agent/AgentSettings.h"
#include "agent/AgentStates.h"
#include "agent_res.h"
#include "modem/CCeMModem.h"
#include "stores/CCeNetDB.h"

using namespace agent;

namespace {

const UINT_PTR kClockTimer = 1;
const UINT_PTR kViewTimer = 2;
const wchar_t kViewClass[] = L"Norvale TaskBar View";
const COLORREF kBackground = RGB(0, 36, 104);
// The counter goes to the data-usage record whenever it reaches this many
// bytes (eight of the packets the phone shows), so that an agent that is
// killed loses less than that.
const DWORD kStoreEvery = 4096;
// Icon ids in the order of m_hIcons.
const int kIconIds[6] = {IDI_AGENT_PHONE, IDI_AGENT_OFF, IDI_AGENT_NET,
                         IDI_AGENT_SYSTEM, IDI_AGENT_PROGRAM, IDI_AGENT_ON};
enum { kIconPhone, kIconOff, kIconNet, kIconSystem, kIconProgram, kIconOn };

CCeAgentWnd* g_wnd = nullptr;

bool PocketPc(int platform)
{
    return platform == 1;
}

}  // namespace

bool CCeAgentWnd::RegisterClass(HINSTANCE instance)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowName;
    if (!::RegisterClassW(&wc))
        return false;
    wc.lpfnWndProc = ViewProc;
    wc.lpszClassName = kViewClass;
    return ::RegisterClassW(&wc) != 0;
}

void CCeAgentWnd::UnregisterClass(HINSTANCE instance)
{
    ::UnregisterClassW(kWindowName, instance);
    ::UnregisterClassW(kViewClass, instance);
}

bool CCeAgentWnd::Create(HINSTANCE instance)
{
    m_hInstance = instance;
    m_nPlatform = PlatformFlag();
    g_wnd = this;
    HWND taskbar = FindWindowW(kShellTaskBarClass, nullptr);
    const int x = PocketPc(m_nPlatform) ? 208 : 165, width = PocketPc(m_nPlatform) ? 32 : 75;
    // Without a shell taskbar the window stands alone where the taskbar would be.
    const DWORD style = taskbar ? WS_CHILD : WS_POPUP;
    m_hWnd = CreateWindowExW(WS_EX_TOPMOST | (taskbar ? 0 : WS_EX_TOOLWINDOW), kWindowName, kWindowName, style, x, 0,
                             width, 25, taskbar, nullptr, instance, this);
    if (!m_hWnd)
        return false;
    if (taskbar) {
        // Untitled, so neither the task list nor a search for the agent finds it.
        m_hView = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kViewClass, L"", WS_POPUP, x, 0,
                                  width, 25, taskbar, nullptr, instance, nullptr);
        SyncView();
    }
    return true;
}

LRESULT CALLBACK CCeAgentWnd::ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT:
        if (g_wnd)
            g_wnd->OnPaint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        if (g_wnd)
            g_wnd->OnTap(static_cast<short>(LOWORD(lp)));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void CCeAgentWnd::SyncView()
{
    if (!m_hView)
        return;
    // Seen exactly when the window itself is: hidden by the agent or with the taskbar.
    const bool seen = IsWindowVisible(m_hWnd) != FALSE;
    if (seen != (IsWindowVisible(m_hView) != FALSE)) {
        SetWindowPos(m_hView, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (seen ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
}

void CCeAgentWnd::Repaint()
{
    InvalidateRect(m_hWnd, nullptr, FALSE);
    if (m_hView)
        InvalidateRect(m_hView, nullptr, FALSE);
}

LRESULT CALLBACK CCeAgentWnd::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE)
        g_wnd->m_hWnd = hwnd;
    if (g_wnd && g_wnd->m_hWnd == hwnd)
        return g_wnd->Handle(msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CCeAgentWnd::Handle(UINT msg, WPARAM wp, LPARAM lp)
{
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (msg == taskbarCreated && taskbarCreated) {
        // A shell that started after the agent: the icon could not be added before.
        if (!m_bIconAdded)
            UpdateNotifyIcon(true);
        return 0;
    }
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_PAINT:
        OnPaint(m_hWnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wp == kClockTimer)
            OnTimer();
        else if (wp == kViewTimer)
            SyncView();
        return 0;
    case WM_LBUTTONDOWN:
        OnTap(static_cast<short>(LOWORD(lp)));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_AGENT_STATE:
        // Judged whole: a wide value must not pass for a small one.
        if (wp < static_cast<WPARAM>(kStateCount))
            SetState(static_cast<int>(wp));
        return 0;
    case WM_AGENT_TRAFFIC:
        AddTraffic(static_cast<DWORD>(lp));
        return 0;
    case WM_AGENT_NOTIFY:
        if (lp == WM_LBUTTONDOWN)
            OpenMainMenu();
        return 0;
    case WM_AGENT_SHOW:
        if (wp == 0 || wp == 1)
            ShowBar(wp == 1);
        return 0;
    }
    return DefWindowProcW(m_hWnd, msg, wp, lp);
}

void CCeAgentWnd::OnCreate()
{
    for (int i = 0; i < 6; ++i)
        m_hIcons[i] = static_cast<HICON>(LoadImageW(m_hInstance, MAKEINTRESOURCEW(kIconIds[i]), IMAGE_ICON, 16, 16, 0));
    m_hMenu = LoadMenuW(m_hInstance, MAKEINTRESOURCEW(IDR_AGENT_MENU));
    ReadInstallDir(m_szInstallDir, MAX_PATH);
    m_nState = CCeMModem::FindModemPort() != 100 ? kStatePowerOn : kStatePowerOff;
    UpdateNotifyIcon(true);
    if (ReadTaskBarShow())
        ShowBar(true);
}

void CCeAgentWnd::OnDestroy()
{
    if (m_bIconAdded) {
        NOTIFYICONDATAW nid = {};
        nid.cbSize = sizeof nid;
        nid.hWnd = m_hWnd;
        nid.uID = kNotifyIconId;
        Shell_NotifyIcon(NIM_DELETE, &nid);
        m_bIconAdded = false;
    }
    KillTimer(m_hWnd, kClockTimer);
    KillTimer(m_hWnd, kViewTimer);
    if (m_hView)
        DestroyWindow(m_hView);
    m_hView = nullptr;
    FlushTraffic();
    for (HICON& icon : m_hIcons) {
        if (icon)
            DestroyIcon(icon);
        icon = nullptr;
    }
    if (m_hMenu)
        DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    PostQuitMessage(0);
}

void CCeAgentWnd::SetState(int index)
{
    if (index < 0 || index >= kStateCount)
        return;
    if (m_nState == kStateInternet && index != kStateInternet)
        FlushTraffic();
    m_nState = index;
    if (index == kStatePowerOn || index == kStatePowerOff)
        UpdateNotifyIcon(false);
    Repaint();
}

void CCeAgentWnd::AddTraffic(DWORD received)
{
    // The counter is 32 bits: store what it holds before it would wrap.
    if (received > MAXDWORD - m_dwReceived)
        FlushTraffic();
    if (received > MAXDWORD - m_dwReceived)
        m_dwReceived = MAXDWORD;  // the record could not take it; keep the most we can
    else
        m_dwReceived += received;
    if (m_dwReceived >= kStoreEvery)
        FlushTraffic();
}

void CCeAgentWnd::FlushTraffic()
{
    if (m_dwReceived == 0)
        return;
    // A failed write keeps the bytes for the next try.
    CCeNetDB net;
    if (net.AddUsage(m_dwReceived))
        m_dwReceived = 0;
}

void CCeAgentWnd::UpdateNotifyIcon(bool add)
{
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = m_hWnd;
    nid.uID = kNotifyIconId;
    nid.uFlags = NIF_ICON | (add ? NIF_MESSAGE : 0);
    nid.uCallbackMessage = WM_AGENT_NOTIFY;
    nid.hIcon = m_hIcons[m_nState == kStatePowerOff ? kIconOff : kIconPhone];
    if (add)
        m_bIconAdded = Shell_NotifyIcon(NIM_ADD, &nid) != FALSE;
    else if (m_bIconAdded)
        Shell_NotifyIcon(NIM_MODIFY, &nid);
}

void CCeAgentWnd::ShowBar(bool show)
{
    m_bShown = show;
    ShowWindow(m_hWnd, show ? SW_SHOWNA : SW_HIDE);
    if (show) {
        SetTimer(m_hWnd, kClockTimer, 1000, nullptr);
        if (m_hView)
            SetTimer(m_hWnd, kViewTimer, 200, nullptr);
    } else {
        KillTimer(m_hWnd, kClockTimer);
        KillTimer(m_hWnd, kViewTimer);
    }
    SyncView();
}

void CCeAgentWnd::OnPaint(HWND target)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(target, &ps);
    RECT rc;
    GetClientRect(target, &rc);
    HBRUSH bg = CreateSolidBrush(kBackground);
    FillRect(dc, &rc, bg);
    DeleteObject(bg);
    const bool ppc = PocketPc(m_nPlatform);
    static const int kStateIcon[kStateCount] = {kIconOn, kIconPhone, kIconNet, kIconOff};
    DrawIconEx(dc, ppc ? 0 : 43, 4, m_hIcons[kStateIcon[m_nState]], 16, 16, 0, nullptr, DI_NORMAL);
    if (m_nForeground == kForegroundSystem || m_nForeground == kForegroundProgram)
        DrawIconEx(dc, ppc ? 15 : 58, 5, m_hIcons[m_nForeground == kForegroundSystem ? kIconSystem : kIconProgram],
                   16, 16, 0, nullptr, DI_NORMAL);
    if (!ppc) {
        SYSTEMTIME t;
        GetLocalTime(&t);
        wchar_t clock[16];
        swprintf(clock, 16, L"%d:%02d", t.wHour > 12 ? t.wHour - 12 : t.wHour, t.wMinute);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        RECT top = {0, 0, 42, 12}, bottom = {0, 12, 42, 25};
        DrawTextW(dc, t.wHour > 11 ? L"오후" : L"오전", -1, &top, DT_CENTER | DT_SINGLELINE);
        DrawTextW(dc, clock, -1, &bottom, DT_CENTER | DT_SINGLELINE);
        SelectObject(dc, old);
        m_nMinute = t.wMinute;
    }
    EndPaint(target, &ps);
}

void CCeAgentWnd::OnTimer()
{
    const int kind = ClassifyWindow(GetForegroundWindow());
    bool repaint = kind != m_nForeground;
    m_nForeground = kind;
    if (!PocketPc(m_nPlatform)) {
        SYSTEMTIME t;
        GetLocalTime(&t);
        repaint = repaint || t.wMinute != m_nMinute;
    }
    if (repaint)
        Repaint();
}

void CCeAgentWnd::OnTap(int x)
{
    if (x < (PocketPc(m_nPlatform) ? 17 : 60))
        OpenTaskMenu();
    else
        CloseForeground();
}

void CCeAgentWnd::OpenMainMenu()
{
    HMENU menu = m_hMenu ? GetSubMenu(m_hMenu, 0) : nullptr;
    if (!menu)
        return;
    EnableMenuItem(menu, IDM_AGENT_EXIT, MF_BYCOMMAND | (m_nState == kStatePowerOff ? MF_ENABLED : MF_GRAYED));
    SetForegroundWindow(m_hWnd);
    TrackPopupMenu(menu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 240, 295, 0, m_hWnd, nullptr);
    PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CCeAgentWnd::OpenTaskMenu()
{
    HMENU menu = m_hMenu ? GetSubMenu(m_hMenu, 1) : nullptr;
    if (!menu)
        return;
    while (GetMenuItemCount(menu) > 7)
        DeleteMenu(menu, 7, MF_BYPOSITION);
    m_nTasks = ListTasks(m_Tasks, kMaxTasks);
    if (m_nTasks > 0)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (int i = 0; i < m_nTasks; ++i)
        AppendMenuW(menu, MF_STRING, IDM_AGENT_TASK_FIRST + i, m_Tasks[i].title);
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    SetForegroundWindow(m_hWnd);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, rc.left, rc.bottom + 1, 0, m_hWnd, nullptr);
    PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CCeAgentWnd::CloseForeground()
{
    HWND fg = GetForegroundWindow();
    const int kind = ClassifyWindow(fg);
    if (kind == kForegroundNone || !PassesTaskFilter(fg))
        return;
    SetForegroundWindow(fg);
    // The stand-in shell has no close box to tap, so a system window is asked
    // to close like any other program.
    if (kind == kForegroundProgram)
        PostMessageW(fg, WM_ACTIVATE, WA_INACTIVE, 0);
    PostMessageW(fg, WM_CLOSE, 0, 0);
}

void CCeAgentWnd::OnCommand(UINT id)
{
    switch (id) {
    case IDM_AGENT_RUN_PHONE:
        RunPhone();
        return;
    case IDM_AGENT_RUN_BROWSER:
        RunProgram(L"\\Windows\\iexplore.exe", nullptr);
        return;
    case IDM_AGENT_TASKBAR_HIDE:
        ShowBar(!m_bShown);
        WriteTaskBarShow(m_bShown);
        return;
    case IDM_AGENT_SOFT_RESET:
        SoftReset();
        return;
    case IDM_AGENT_EXIT:
        DestroyWindow(m_hWnd);
        return;
    case IDM_AGENT_TODAY: {
        HWND desktop = FindWindowW(L"DesktopExplorerWindow", L"Desktop");
        if (desktop)
            SetForegroundWindow(desktop);
        return;
    }
    case IDM_AGENT_OPTION:
        ShowOptions();
        return;
    }
    if (id >= IDM_AGENT_TASK_FIRST && id < IDM_AGENT_TASK_FIRST + static_cast<UINT>(m_nTasks)) {
        HWND w = m_Tasks[id - IDM_AGENT_TASK_FIRST].hwnd;
        if (IsWindow(w)) {
            ShowWindow(w, SW_SHOW);
            SetForegroundWindow(w);
        }
    }
}

void CCeAgentWnd::RunPhone()
{
    HWND phone = FindWindowW(nullptr, L"Zentrika");
    if (phone) {
        SetForegroundWindow(phone);
        return;
    }
    wchar_t path[MAX_PATH + 16];
    swprintf(path, MAX_PATH + 16, L"%ls\\%ls", m_szInstallDir, L"Zentrika.EXE");
    RunProgram(path, L"WAKEUP");
}

void CCeAgentWnd::RunProgram(LPCWSTR path, LPCWSTR args)
{
    wchar_t cmd[MAX_PATH * 2];
    swprintf(cmd, MAX_PATH * 2, L"\"%ls\"%ls%ls", path, args ? L" " : L"", args ? args : L"");
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(path, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        wchar_t text[MAX_PATH + 64];
        swprintf(text, MAX_PATH + 64, L"실행할 수 없습니다.\r\n%ls", path);
        MessageBoxW(m_hWnd, text, L"ZentAgent", MB_OK | MB_ICONWARNING | MB_TOPMOST);
        return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

void CCeAgentWnd::SoftReset()
{
    if (MessageBoxW(m_hWnd, L"Soft Reset을\r\n하시겠습니까 ?", L"ZentAgent", MB_OKCANCEL | MB_TOPMOST) != IDOK)
        return;
    // Off the handheld a reset must not restart the host: the programs a reset
    // would end are closed instead, as a person would close them.
    TaskEntry tasks[kMaxTasks];
    const int n = ListTasks(tasks, kMaxTasks);
    for (int i = 0; i < n; ++i)
        PostMessageW(tasks[i].hwnd, WM_CLOSE, 0, 0);
}

INT_PTR CALLBACK CCeAgentWnd::OptionProc(HWND dlg, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SHINITDLGINFO shidi = {};
        shidi.dwMask = SHIDIM_FLAGS;
        shidi.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIPDOWN | SHIDIF_SIZEDLGFULLSCREEN;
        shidi.hDlg = dlg;
        SHInitDialog(&shidi);
        CheckDlgButton(dlg, IDC_AGENT_SHOW_MENU, ReadTaskBarShow() ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dlg, IDC_AGENT_STARTUP, StartupLinkExists() ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_AGENT_SHOW_MENU:
            WriteTaskBarShow(IsDlgButtonChecked(dlg, IDC_AGENT_SHOW_MENU) == BST_CHECKED);
            return TRUE;
        case IDC_AGENT_STARTUP:
            SetStartupLink(IsDlgButtonChecked(dlg, IDC_AGENT_STARTUP) == BST_CHECKED, g_wnd->m_szInstallDir);
            return TRUE;
        case IDOK:
        case IDCANCEL:
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void CCeAgentWnd::ShowOptions()
{
    DialogBoxParamW(m_hInstance, MAKEINTRESOURCEW(IDD_AGENT_OPTION), nullptr, OptionProc, 0);
    ShowBar(ReadTaskBarShow());
}
