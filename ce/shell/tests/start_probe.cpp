// start_probe: a stand-in for a program that the shell or the agent starts.
// It writes its command line to "started.txt" beside itself and ends.
#include <windows.h>

#include <cwchar>

int wmain()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t* slash = n && n < MAX_PATH ? wcsrchr(path, L'\\') : nullptr;
    if (!slash)
        return 1;
    wcscpy(slash + 1, L"started.txt");
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* cmd = GetCommandLineW();
    DWORD written = 0;
    WriteFile(f, cmd, static_cast<DWORD>(wcslen(cmd) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(f);
    return 0;
}
