// A set-up library that notes each hook call, with whether the installed
// marker file existed at that moment, in the file ZEN_FAKE_SETUP_LOG names;
// ZEN_FAKE_SETUP_ANSWER makes one hook answer other than "continue".
#include <windows.h>

#include <ce_setup.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name)
{
    wchar_t buf[MAX_PATH] = L"";
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n && n < MAX_PATH ? buf : L"";
}

void Note(const std::string& hook, LPCWSTR dir)
{
    std::string line = hook;
    if (dir) {
        const std::wstring marker = std::wstring(dir) + L"\\marker.txt";
        line += GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES ? " copied" : " empty";
    }
    line += "\n";
    HANDLE f = CreateFileW(Env(L"ZEN_FAKE_SETUP_LOG").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD n = 0;
    WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    CloseHandle(f);
}

bool Refuses(const wchar_t* hook)
{
    return Env(L"ZEN_FAKE_SETUP_ANSWER") == hook;
}

}  // namespace

extern "C" {

__declspec(dllexport) codeINSTALL_INIT Install_Init(HWND, BOOL, BOOL previously, LPCWSTR dir)
{
    Note(previously ? "Install_Init again" : "Install_Init", dir);
    return Refuses(L"Install_Init") ? codeINSTALL_INIT_CANCEL : codeINSTALL_INIT_CONTINUE;
}

__declspec(dllexport) codeINSTALL_EXIT Install_Exit(HWND, LPCWSTR dir, WORD, WORD, WORD, WORD, WORD)
{
    Note("Install_Exit", dir);
    return Refuses(L"Install_Exit") ? codeINSTALL_EXIT_UNINSTALL : codeINSTALL_EXIT_DONE;
}

__declspec(dllexport) codeUNINSTALL_INIT Uninstall_Init(HWND, LPCWSTR dir)
{
    Note("Uninstall_Init", dir);
    return Refuses(L"Uninstall_Init") ? codeUNINSTALL_INIT_CANCEL : codeUNINSTALL_INIT_CONTINUE;
}

__declspec(dllexport) codeUNINSTALL_EXIT Uninstall_Exit(HWND)
{
    Note("Uninstall_Exit", nullptr);
    return codeUNINSTALL_EXIT_DONE;
}

}  // extern "C"
