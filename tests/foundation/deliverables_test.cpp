// The five deliverables are real Win32 files that load and run under Wine.
#include <gtest/gtest.h>

#include "WinTest.h"
#include "audio/MeloxApi.h"

#include <string>

namespace {

std::wstring BinDir()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

struct Library {
    HMODULE h;
    explicit Library(const wchar_t* name) : h(LoadLibraryW((BinDir() + name).c_str())) {}
    ~Library()
    {
        if (h)
            FreeLibrary(h);
    }
};

TEST(Deliverables, DriverExportsTheStreamEntryPoints)
{
    Library drv(L"ZentDrv.dll");
    ASSERT_NE(nullptr, drv.h);
    for (const char* name : {"COM_Init", "COM_Deinit", "COM_Open", "COM_Close", "COM_Read",
                             "COM_Write", "COM_Seek", "COM_IOControl", "COM_PowerUp",
                             "COM_PowerDown"})
        EXPECT_NE(nullptr, GetProcAddress(drv.h, name)) << name;
}

TEST(Deliverables, SetupExportsTheInstallerHooks)
{
    Library setup(L"ZentSetup.dll");
    ASSERT_NE(nullptr, setup.h);
    for (const char* name : {"Install_Init", "Install_Exit", "Uninstall_Init", "Uninstall_Exit"})
        EXPECT_NE(nullptr, GetProcAddress(setup.h, name)) << name;
}

TEST(Deliverables, AudioLibraryReportsVersionAndName)
{
    int major = -1, minor = -1;
    GetVersion(&major, &minor);
    EXPECT_EQ(0, major);
    EXPECT_EQ(1, minor);
    EXPECT_EQ(5, GetModuleName(nullptr));
    wchar_t room[16] = L"..........";
    EXPECT_EQ(1, GetModuleName(room));
    EXPECT_EQ(std::wstring(L"Melox"), room);
    wchar_t small[16] = L"abc";  // announces too little room: nothing is copied
    EXPECT_EQ(0, GetModuleName(small));
    EXPECT_EQ(std::wstring(L"abc"), small);
}

DWORD RunAndWait(const std::wstring& exe, DWORD timeoutMs, HANDLE* process = nullptr)
{
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return GetLastError() | 0x80000000u;
    CloseHandle(pi.hThread);
    if (process) {
        *process = pi.hProcess;
        return 0;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Deliverables, PhoneShowsItsWindowAndClosesCleanly)
{
    HANDLE process = nullptr;
    ASSERT_EQ(0u, RunAndWait(BinDir() + L"Zentrika.exe", 0, &process));
    HWND phone = nullptr;
    EXPECT_TRUE(zentest::WaitUntil(
        [&] { return (phone = FindWindowW(L"Norvale Zentrika", L"Zentrika")) != nullptr; }, 10000));
    if (phone) {
        RECT r;
        GetWindowRect(phone, &r);
        EXPECT_EQ(240, r.right - r.left);
        EXPECT_EQ(320, r.bottom - r.top);
        PostMessageW(phone, WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000));
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    EXPECT_EQ(0u, code);
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0)
        TerminateProcess(process, 1);
    CloseHandle(process);
}

TEST(Deliverables, AgentStartsAndEnds)
{
    // A first start told the module is off has nothing to show and ends.
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    const std::wstring exe = BinDir() + L"ZentAgent.exe";
    std::wstring cmd = L"\"" + exe + L"\" PowerOFF";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);
}

}  // namespace
