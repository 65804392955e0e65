// "\Windows\iexplore.exe" of the handheld: hands the page it is given (or the
// start page) to the host's browser through Wine's browser bridge,
// winebrowser, and ends. The start page is HKEY_LOCAL_MACHINE
// "Software\Zentrika CE\Browser" "StartPage" when set.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

const wchar_t kDefaultStartPage[] = L"http://www.zentrika.net/";

std::wstring StartPage()
{
    wchar_t page[2048] = L"";
    DWORD size = sizeof page - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Zentrika CE\\Browser", L"StartPage", RRF_RT_REG_SZ, nullptr,
                     page, &size) == ERROR_SUCCESS &&
        page[0])
        return page;
    return kDefaultStartPage;
}

// Only pages a browser can show: no quotes or control characters that would
// break the bridge's command line.
bool Acceptable(const std::wstring& url)
{
    if (url.empty() || url.size() > 2000)
        return false;
    for (wchar_t c : url)
        if (c < 0x20 || c == L'"')
            return false;
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring url = argv && argc > 1 ? argv[1] : StartPage();
    if (argv)
        LocalFree(argv);
    if (!Acceptable(url))
        return 2;

    wchar_t bridge[MAX_PATH];
    const UINT n = GetSystemDirectoryW(bridge, MAX_PATH);
    if (!n || n > MAX_PATH - 20)
        return 3;
    std::wstring cmd = L"\"" + std::wstring(bridge) + L"\\winebrowser.exe\" \"" + url + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
