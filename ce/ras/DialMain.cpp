// zendial.exe: the handheld's dial-up program. It dials a phone-book entry
// through the modem port its device names, shows the connection and what it
// carries, and hangs up when closed, which hands the port back.
//   zendial [/send BYTES] [/hangup] [ENTRY]
// ENTRY defaults to the first entry of the phone book. While connected it
// checks the link every second with a small packet that must come back;
// /send moves BYTES once at the start; /hangup ends the call after that (and
// the program ends at once on a failure too, without a message box).
// It reports on its standard output and ends with 0 when it connected and
// every byte sent came back, 1 for a missing entry, 2 when the port could
// not be had, 3 when the modem or network refused, 4 when data was lost or
// the connection dropped, 5 when closed before it connected.
#include <windows.h>
#include <aygshell.h>
#include <ras.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "DialSession.h"

namespace {

constexpr UINT WM_DIAL_STATE = WM_APP + 1;
constexpr UINT WM_DIAL_DONE = WM_APP + 2;
constexpr int kButtonId = 1;
constexpr size_t kCheckBytes = 64;
constexpr DWORD kCheckEveryMs = 1000;
constexpr DWORD kEchoWaitMs = 5000;
constexpr size_t kChunk = 1024;

enum State { kDialling, kConnected, kHangingUp };

struct App {
    std::wstring entry;
    unsigned long long sendBytes = 0;
    bool hangUpAfterSend = false;

    HWND wnd = nullptr, status = nullptr, counts = nullptr, button = nullptr;
    HANDLE stop = nullptr;
    std::atomic<bool> cancel{false};
    bool closing = false;  // the person closed the window
    bool ended = false;    // the call ended by itself; the window stays until closed
    std::wstring failure;  // what is shown when the call ends on its own
    std::atomic<int> result{0};
    ceras::DialSession session;
    ceras::DialPlan plan;
    std::wstring statusText;
};
App g_app;

void Say(const std::string& line)
{
    const std::string text = "zendial: " + line + "\n";
    DWORD n = 0;
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE)
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
}

std::string Narrow(const std::wstring& w)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring FirstEntry()
{
    std::vector<RASENTRYNAME> names(1);
    names[0].dwSize = sizeof(RASENTRYNAME);
    DWORD size = sizeof(RASENTRYNAME), count = 0;
    DWORD rc = RasEnumEntries(nullptr, nullptr, names.data(), &size, &count);
    if (rc == ERROR_BUFFER_TOO_SMALL && count > 0 && count < 1000) {
        names.assign(count, RASENTRYNAME{});
        for (RASENTRYNAME& n : names)
            n.dwSize = sizeof(RASENTRYNAME);
        size = static_cast<DWORD>(count * sizeof(RASENTRYNAME));
        rc = RasEnumEntries(nullptr, nullptr, names.data(), &size, &count);
    }
    return rc == ERROR_SUCCESS && count > 0 ? std::wstring(names[0].szEntryName) : std::wstring();
}

void SetStatus(const std::wstring& text)
{
    g_app.statusText = text;
    if (g_app.status)
        SetWindowTextW(g_app.status, text.c_str());
}

void ShowCounts()
{
    wchar_t text[128];
    swprintf(text, 128, L"보낸 바이트: %llu\r\n받은 바이트: %llu", g_app.session.Written(), g_app.session.Read());
    SetWindowTextW(g_app.counts, text);
}

// Sends `bytes` in chunks; false when an echo did not come back whole.
bool Move(unsigned long long bytes)
{
    while (bytes > 0 && WaitForSingleObject(g_app.stop, 0) == WAIT_TIMEOUT) {
        const size_t n = bytes < kChunk ? static_cast<size_t>(bytes) : kChunk;
        if (!g_app.session.Exchange(n, kEchoWaitMs))
            return false;
        bytes -= n;
    }
    return true;
}

DWORD WINAPI Worker(LPVOID)
{
    int result = 0;
    std::string said;
    const ceras::DialSession::Outcome outcome = g_app.session.Dial(g_app.plan, g_app.cancel, &said);
    if (outcome != ceras::DialSession::kConnected) {
        switch (outcome) {
        case ceras::DialSession::kPortFailed:
            result = 2;
            g_app.failure = L"모뎀 포트를 열 수 없습니다.";
            Say("the port " + Narrow(g_app.plan.port) + " could not be opened (error " +
                std::to_string(GetLastError()) + ")");
            break;
        case ceras::DialSession::kCancelled:
            result = 5;
            Say("closed before the call was connected");
            break;
        default:
            result = 3;
            g_app.failure = L"연결할 수 없습니다. " + std::wstring(said.begin(), said.end());
            Say("the call was not connected: " + (said.empty() ? std::string("no answer") : said));
            break;
        }
    } else {
        Say("connected on " + Narrow(g_app.plan.port) + ": " + said);
        PostMessageW(g_app.wnd, WM_DIAL_STATE, kConnected, 0);
        bool intact = Move(g_app.sendBytes);
        if (intact && g_app.hangUpAfterSend)
            SetEvent(g_app.stop);
        // The link is checked while it stands.
        while (intact && WaitForSingleObject(g_app.stop, kCheckEveryMs) == WAIT_TIMEOUT) {
            if (!g_app.session.Online()) {
                Say("the connection dropped");
                intact = false;
                break;
            }
            intact = g_app.session.Exchange(kCheckBytes, kEchoWaitMs);
        }
        if (!intact && g_app.session.Online())
            Say("sent data did not come back whole");
        if (!intact)
            g_app.failure = L"연결이 끊어졌습니다.";
        PostMessageW(g_app.wnd, WM_DIAL_STATE, kHangingUp, 0);
        result = intact ? 0 : 4;
        Say("data sent " + std::to_string(g_app.session.DataSent()) + " received " +
            std::to_string(g_app.session.DataReceived()));
    }
    g_app.session.HangUp();
    Say("port written " + std::to_string(g_app.session.Written()) + " read " + std::to_string(g_app.session.Read()));
    Say("ended " + std::to_string(result));
    g_app.result = result;
    PostMessageW(g_app.wnd, WM_DIAL_DONE, 0, 0);
    return 0;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        HINSTANCE inst = reinterpret_cast<LPCREATESTRUCTW>(lp)->hInstance;
        const std::wstring title = L"연결: " + g_app.entry;
        CreateWindowW(L"STATIC", title.c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 220, 20, hwnd, nullptr, inst, nullptr);
        g_app.status = CreateWindowW(L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 36, 220, 40, hwnd, nullptr, inst,
                                     nullptr);
        g_app.counts = CreateWindowW(L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 80, 220, 40, hwnd, nullptr, inst,
                                     nullptr);
        g_app.button = CreateWindowW(L"BUTTON", L"연결 끊기", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 70, 130, 100, 26,
                                     hwnd, reinterpret_cast<HMENU>(kButtonId), inst, nullptr);
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetStatus(g_app.statusText);
        ShowCounts();
        SetTimer(hwnd, 1, 500, nullptr);
        return 0;
    }
    case WM_TIMER:
        ShowCounts();
        return 0;
    case WM_ACTIVATE:
        // Not a full-screen program: the shell's taskbar stays in view above it.
        if (LOWORD(wp) != WA_INACTIVE)
            SHFullScreen(hwnd, SHFS_SHOWTASKBAR);
        break;
    case WM_COMMAND:
        if (LOWORD(wp) == kButtonId)
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_DIAL_STATE:
        if (wp == kConnected)
            SetStatus(L"연결되었습니다. (" + g_app.plan.port + L")");
        else if (wp == kHangingUp)
            SetStatus(L"연결을 끊고 있습니다...");
        return 0;
    case WM_CLOSE:
        if (g_app.ended) {
            DestroyWindow(hwnd);  // the call is over already
            return 0;
        }
        // Hang up first; the window goes once the port is handed back.
        g_app.closing = true;
        g_app.cancel = true;
        SetEvent(g_app.stop);
        EnableWindow(g_app.button, FALSE);
        return 0;
    case WM_DIAL_DONE:
        // A call that ended by itself says why and waits to be closed.
        if (g_app.closing || g_app.hangUpAfterSend || g_app.failure.empty()) {
            DestroyWindow(hwnd);
        } else {
            SetStatus(g_app.failure);
            ShowCounts();
            KillTimer(hwnd, 1);
            SetWindowTextW(g_app.button, L"닫기");
            EnableWindow(g_app.button, TRUE);
            g_app.ended = true;
        }
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, 1);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int show)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        const std::wstring a = argv[i];
        if ((a == L"/send" || a == L"-send") && i + 1 < argc)
            g_app.sendBytes = wcstoull(argv[++i], nullptr, 10);
        else if (a == L"/hangup" || a == L"-hangup")
            g_app.hangUpAfterSend = true;
        else
            g_app.entry = a;
    }
    if (argv)
        LocalFree(argv);
    if (g_app.entry.empty())
        g_app.entry = FirstEntry();
    if (g_app.entry.empty()) {
        Say("the phone book has no entry to dial");
        if (!g_app.hangUpAfterSend)
            MessageBoxW(nullptr, L"전화 접속 항목이 없습니다.", L"전화 접속", MB_OK | MB_ICONWARNING);
        return 1;
    }
    const DWORD planned = ceras::PlanOfEntry(g_app.entry, &g_app.plan);
    if (planned != ERROR_SUCCESS) {
        const bool noPort = planned == ERROR_DEVICE_NOT_AVAILABLE;
        Say(noPort ? "no port for the device \"" + Narrow(g_app.plan.device) + "\" (is the card in?)"
                   : "the entry \"" + Narrow(g_app.entry) + "\" cannot be dialled (error " +
                         std::to_string(planned) + ")");
        const std::wstring text = noPort ? L"모뎀을 찾을 수 없습니다.\r\n" + g_app.plan.device
                                         : L"전화 접속 항목을 읽을 수 없습니다.\r\n" + g_app.entry;
        if (!g_app.hangUpAfterSend)
            MessageBoxW(nullptr, text.c_str(), L"전화 접속", MB_OK | MB_ICONWARNING);
        return noPort ? 2 : 1;
    }
    Say("dialling " + g_app.plan.number + " on " + Narrow(g_app.plan.port) + " for \"" + Narrow(g_app.entry) + "\"");
    g_app.statusText = L"전화를 거는 중... (" + std::wstring(g_app.plan.number.begin(), g_app.plan.number.end()) + L")";

    g_app.stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"ZenDialUp";
    if (!g_app.stop || !RegisterClassW(&wc))
        return 2;
    // Below the shell's taskbar, as programs sit on the handheld.
    g_app.wnd = CreateWindowExW(0, wc.lpszClassName, L"전화 접속", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 26, 240, 200,
                                nullptr, nullptr, inst, nullptr);
    if (!g_app.wnd)
        return 2;
    ShowWindow(g_app.wnd, show);
    UpdateWindow(g_app.wnd);
    HANDLE worker = CreateThread(nullptr, 0, Worker, nullptr, 0, nullptr);
    if (!worker)
        return 2;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    return g_app.result;
}
