#include "WakeTargets.h"

#include <shellapi.h>

namespace zendrv {

std::wstring ReadInstallDir()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apps\\Norvale Zentrika", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t dir[64 + 1] = L"";
    DWORD size = 128, type = 0;
    LONG r = RegQueryValueExW(key, L"InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(dir), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    dir[size / sizeof(wchar_t)] = 0;
    return dir;
}

bool StartProgram(const std::wstring& folder, const wchar_t* file, const wchar_t* params)
{
    // Without the folder the name would resolve against the root of the drive.
    if (folder.empty())
        return false;
    std::wstring path = folder + L"\\" + file;
    SHELLEXECUTEINFOW sei{};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = path.c_str();
    sei.lpParameters = params;
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}

HWND FindPhoneWindow()
{
    // Class and title both: a folder window named "Zentrika" must not be taken for the phone.
    return FindWindowW(L"Norvale Zentrika", L"Zentrika");
}

HANDLE OpenPhoneInstance()
{
    return OpenMutexW(SYNCHRONIZE, FALSE, L"Norvale Zentrika");
}

HWND FindAgentWindow()
{
    // The agent holds this mutex while it runs.
    HANDLE m = CreateMutexW(nullptr, FALSE, L"Norvale Zentrika AGENT");
    bool running = m && GetLastError() == ERROR_ALREADY_EXISTS;
    if (m)
        CloseHandle(m);
    if (!running)
        return nullptr;
    HWND bar = FindWindowW(L"HHTaskBar", nullptr);
    return bar ? FindWindowExW(bar, nullptr, nullptr, L"Norvale TaskBar") : nullptr;
}

const wchar_t* AgentStateWord(int state)
{
    static const wchar_t* const kWords[] = {L"PowerON", L"Phone", L"Internet", L"PowerOFF"};
    return state >= 0 && state < 4 ? kWords[state] : L"";
}

}  // namespace zendrv
