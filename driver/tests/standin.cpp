// Stands in for the programs the driver starts, and loads the port from
// another process.
//
// Copied into an installation folder as "Zentrika.EXE" it plays the phone:
// it appends "<name> <pid> start <command line>" to starts.log beside itself,
// shows (hidden) a window of the phone's class and title, records
// WM_MODEM_WAKE ("wake w l") and WM_CLOSE ("close w"). If port.txt beside it
// names a port, it opens it and holds it until WM_CLOSE ("opened" or
// "open failed <error>"); if quit.txt exists it ends at once. Like the phone
// it runs once: while a copy of it holds the mutex, a further start records
// "forwarded <command line>" instead and ends. WM_APP ends it slowly, as a
// phone on its way out: the port is closed at once ("let go"), the window
// goes when the event "ZenDrvTestEnd<pid>" is set, the process when it is
// set again.
// As "ZentAgent.EXE" it only records its start.
// As itself: "churn <port> <pairs>" opens and closes the port that many
// times, as fast as it can, and prints "<opened> <refused> <broken>".
#include <windows.h>

#include "ce_serialapi.h"

#include <cstdio>
#include <string>

namespace {

std::wstring g_dir;
std::wstring g_name;
HANDLE g_port = INVALID_HANDLE_VALUE;

void Record(const std::wstring& text)
{
    std::wstring line = g_name + L" " + std::to_wstring(GetCurrentProcessId()) + L" " + text + L"\r\n";
    char utf8[1024];
    int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8, sizeof utf8,
                                nullptr, nullptr);
    HANDLE f = INVALID_HANDLE_VALUE;
    // Several programs may write at once: retry while another has it open.
    for (int i = 0; i < 200 && f == INVALID_HANDLE_VALUE; ++i) {
        f = ::CreateFileW((g_dir + L"starts.log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          0, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            Sleep(5);
    }
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    ::WriteFile(f, utf8, n, &written, nullptr);
    ::CloseHandle(f);
}

std::wstring ReadText(const wchar_t* file)
{
    HANDLE f = ::CreateFileW((g_dir + file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return std::wstring();
    char buf[128] = {};
    DWORD n = 0;
    ::ReadFile(f, buf, sizeof buf - 1, &n, nullptr);
    ::CloseHandle(f);
    std::wstring text;
    for (DWORD i = 0; i < n && buf[i] != '\r' && buf[i] != '\n'; ++i)
        text += static_cast<wchar_t>(buf[i]);
    return text;
}

bool Exists(const wchar_t* file)
{
    return GetFileAttributesW((g_dir + file).c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE g_end = nullptr;
bool g_endingSlowly = false;

void ClosePort()
{
    if (g_port != INVALID_HANDLE_VALUE) {
        CloseHandle(g_port);
        g_port = INVALID_HANDLE_VALUE;
    }
}

LRESULT CALLBACK PhoneProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_APP:
        // Answers nothing more until told to go on.
        ClosePort();
        Record(L"let go");
        g_endingSlowly = true;
        WaitForSingleObject(g_end, INFINITE);
        DestroyWindow(hwnd);
        return 0;
    case WM_USER + 1000:
        Record(L"wake " + std::to_wstring(wp) + L" " + std::to_wstring(lp));
        return 0;
    case WM_CLOSE:
        Record(L"close " + std::to_wstring(wp));
        ClosePort();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

int Phone(const wchar_t* commandLine)
{
    HANDLE once = CreateMutexW(nullptr, TRUE, L"Norvale Zentrika");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        Record(std::wstring(L"forwarded ") + commandLine);
        return 1;
    }
    Record(std::wstring(L"start ") + commandLine);
    if (Exists(L"quit.txt"))
        return 0;
    g_end = CreateEventW(nullptr, FALSE, FALSE, (L"ZenDrvTestEnd" + std::to_wstring(GetCurrentProcessId())).c_str());
    WNDCLASSW wc{};
    wc.lpfnWndProc = PhoneProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Norvale Zentrika";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(L"Norvale Zentrika", L"Zentrika", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr,
                              wc.hInstance, nullptr);
    if (!hwnd)
        return 1;
    std::wstring port = ReadText(L"port.txt");
    if (!port.empty()) {
        g_port = CreateFileW(port.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        Record(g_port != INVALID_HANDLE_VALUE ? std::wstring(L"opened")
                                              : L"open failed " + std::to_wstring(GetLastError()));
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    if (g_endingSlowly)
        WaitForSingleObject(g_end, INFINITE);
    CloseHandle(once);
    return 0;
}

int Churn(const wchar_t* port, int pairs)
{
    int opened = 0, refused = 0, broken = 0;
    for (int i = 0; i < pairs; ++i) {
        HANDLE h = CreateFileW(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            ++refused;
            continue;
        }
        ++opened;
        DWORD status = 0;
        if (!GetCommModemStatus(h, &status))
            ++broken;
        if (!CloseHandle(h))
            ++broken;
    }
    printf("%d %d %d\n", opened, refused, broken);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring self(path, n);
    size_t slash = self.find_last_of(L"\\/");
    g_dir = self.substr(0, slash + 1);
    g_name = self.substr(slash + 1);
    g_name = g_name.substr(0, g_name.find_last_of(L'.'));
    std::wstring args;
    for (int i = 1; i < argc; ++i)
        args += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    if (lstrcmpiW(g_name.c_str(), L"Zentrika") == 0)
        return Phone(args.c_str());
    if (lstrcmpiW(g_name.c_str(), L"ZentAgent") == 0) {
        Record(L"start " + args);
        return 0;
    }
    if (argc == 4 && lstrcmpW(argv[1], L"churn") == 0)
        return Churn(argv[2], _wtoi(argv[3]));
    return 2;
}
