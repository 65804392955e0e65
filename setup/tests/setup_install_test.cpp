// The system installed through the installer with its own description and
// ZentSetup.dll, into a handheld folder tree of the test's own: the files in
// place, the port driver taking the module's card, the dial-up entry, the
// message while the module is in, the running phone and agent closed, the
// cabinet kept or deleted by platform, and removal leaving nothing of ours
// but the user's databases.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <ce_devmgr.h>
#include <ras.h>
#include <windbase.h>

#include <atomic>
#include <string>
#include <thread>

#include "ce/installer/Installer.h"
#include "ce/installer/tests/InstallHelpers.h"
#include "driver/tests/AgentWindows.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"
#include "WinTest.h"

namespace {

using insttest::Exists;
using insttest::KeyExists;
using insttest::RegText;
using insttest::RemoveTree;

const wchar_t kAppKey[] = L"SOFTWARE\\Apps\\Norvale Zentrika";
const wchar_t* const kCards[] = {
    L"CDMA2000_1X_Rev1.0_____________-07C3",
    L"CDMA2000_1x_Zentrika__Expansion-947F",
    L"CDMA2000_1x_Zentrika___________-51C3",
    L"CDMA2000_1x_Zentrika__Expansion-28D8",
};
const wchar_t kPhoneMenu[] = L"Software\\Veltana\\Apps\\Kivo Phone";
const wchar_t kSmsMenu[] = L"Software\\Veltana\\Apps\\Kivo SMS";
const wchar_t kConnMgrDestination[] = L"SOFTWARE\\Microsoft\\ConnMgr\\Destinations\\Zentrika";
const wchar_t kInstallText[] = L"설치를 위해\r\nZentrika을 PDA와 분리하십시오.";

std::wstring Env(const wchar_t* name)
{
    wchar_t buf[MAX_PATH] = L"";
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n && n < MAX_PATH ? buf : L"";
}

// A host path as Wine sees it.
std::wstring HostPath(const std::wstring& unixPath)
{
    std::wstring p = L"Z:" + unixPath;
    for (auto& c : p)
        if (c == L'/')
            c = L'\\';
    return p;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Touch(const std::wstring& path)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    WriteFile(f, "cab", 3, &n, nullptr);
    CloseHandle(f);
    return n == 3;
}

DWORD RegNumber(HKEY root, const std::wstring& key, const wchar_t* value)
{
    DWORD v = 0xDEADBEEF, size = sizeof v;
    RegGetValueW(root, key.c_str(), value, RRF_RT_REG_DWORD, nullptr, &v, &size);
    return v;
}

std::wstring SystemFile(const wchar_t* name)
{
    wchar_t win[MAX_PATH];
    GetWindowsDirectoryW(win, MAX_PATH);
    return std::wstring(win) + L"\\" + name;
}

std::wstring StartupLink()
{
    wchar_t folder[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, TRUE);
    return std::wstring(folder) + L"\\ZentAgent.LNK";
}

// The dial-up entry's device configuration size, 0 when there is no entry.
DWORD DialUpConfigSize(std::wstring* deviceName)
{
    RASENTRY e = {};
    e.dwSize = sizeof e;
    BYTE dev[512] = {};
    DWORD size = sizeof e, devSize = sizeof dev;
    if (RasGetEntryProperties(nullptr, L"Zentrika", &e, &size, dev, &devSize) != 0)
        return 0;
    if (deviceName)
        *deviceName = e.szDeviceName;
    return devSize;
}

// The message box of the set-up library, when one shows.
HWND FindNotice()
{
    HWND box = FindWindowW(L"#32770", L"알림");
    return box && IsWindowVisible(box) ? box : nullptr;
}

std::wstring NoticeText(HWND box)
{
    wchar_t text[128] = L"";
    GetDlgItemTextW(box, 0xFFFF, text, 128);
    return text;
}

// Stands in for the running phone: its window title, and whether it was
// asked to close.
class PhoneWindow {
public:
    PhoneWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZenSetupTestPhone";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowW(L"ZenSetupTestPhone", L"Zentrika", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              wc.hInstance, nullptr);
    }
    ~PhoneWindow()
    {
        if (IsWindow(hwnd_))
            DestroyWindow(hwnd_);
        UnregisterClassW(L"ZenSetupTestPhone", GetModuleHandleW(nullptr));
    }
    HWND Window() const { return hwnd_; }
    static std::atomic<int> closes;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_CLOSE)
            ++closes;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_;
};
std::atomic<int> PhoneWindow::closes{0};

class SetupInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(Env(L"ZEN_INSTALL_SOURCE").empty());
        static int round = 0;
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        root_ = std::wstring(tmp) + L"zsetup" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(++round);
        RemoveTree(root_);
        hh_ = root_ + L"\\hh";
        dir_ = hh_ + L"\\Program Files\\Zentrika";
        for (const std::wstring& d : {root_, hh_, hh_ + L"\\Program Files"})
            ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr));
        SetEnvironmentVariableW(L"ZEN_HANDHELD_ROOT", hh_.c_str());
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", (root_ + L"\\store").c_str());
        SetEnvironmentVariableW(L"ZEN_PLATFORM_TYPE", nullptr);
        Forget();
    }
    void TearDown() override
    {
        std::wstring ignored;
        ceinst::Uninstall(L"Norvale Zentrika", ignored);
        Forget();
        DeleteFileW(StartupLink().c_str());
        SetEnvironmentVariableW(L"ZEN_PLATFORM_TYPE", nullptr);
        SetEnvironmentVariableW(L"ZEN_HANDHELD_ROOT", nullptr);
        RemoveTree(root_);
    }
    // Nothing of an earlier installation in this prefix.
    void Forget()
    {
        for (const wchar_t* card : kCards)
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, (std::wstring(L"Drivers\\PCMCIA\\") + card).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAppKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kAppKey);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPhoneMenu);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSmsMenu);
        RasDeleteEntry(nullptr, L"Zentrika");
    }

    ceinst::Result Install(std::wstring& message)
    {
        ceinst::InstallOptions options;
        options.description = HostPath(Env(L"ZEN_INSTALL_DESCRIPTION"));
        options.source = HostPath(Env(L"ZEN_INSTALL_SOURCE"));
        return ceinst::Install(options, message);
    }

    // Installs on a thread of its own while this one pumps messages (the
    // stand-in windows live here) and runs `each` between pumps.
    ceinst::Result InstallPumping(std::wstring& message, const std::function<void()>& each = [] {})
    {
        std::atomic<bool> done{false};
        ceinst::Result result = ceinst::kFailed;
        std::thread worker([&] {
            result = Install(message);
            done = true;
        });
        for (int i = 0; i < 3000 && !done; ++i) {
            zentest::PumpMessages(20);
            each();
        }
        worker.join();
        return result;
    }

    std::wstring root_, hh_, dir_;
};

TEST_F(SetupInstall, InstallPutsTheSystemInPlaceAndTheModuleCardGetsItsDriver)
{
    std::wstring message;
    ASSERT_EQ(Install(message), ceinst::kDone) << std::string(message.begin(), message.end());

    for (const wchar_t* f : {L"Zentrika.exe", L"Melox.dll", L"ZentAgent.exe", L"ZentSetup.dll",
                             L"Skin\\default\\DialPad.bmp", L"Skin\\type40\\SkinType40.st", L"bell\\morning.mp3",
                             L"bell\\default.wav", L"Effect\\sms.wav", L"Effect\\keypad\\0.wav"})
        EXPECT_TRUE(Exists(dir_ + L"\\" + f)) << std::string(f, f + wcslen(f));
    EXPECT_TRUE(IsFolder(dir_ + L"\\Pic"));
    EXPECT_TRUE(Exists(SystemFile(L"ZentDrv.dll")));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kAppKey, L"InstallDir"), dir_);

    for (const wchar_t* card : kCards) {
        const std::wstring key = std::wstring(L"Drivers\\PCMCIA\\") + card;
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, L"Dll"), L"ZentDrv.dll");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, L"Prefix"), L"COM");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, L"Tsp"), L"Unimodem.dll");
        EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, key, L"FriendlyName"), L"Norvale Zentrika");
        EXPECT_EQ(RegNumber(HKEY_LOCAL_MACHINE, key, L"DeviceArrayIndex"), 1u);
        EXPECT_EQ(RegNumber(HKEY_LOCAL_MACHINE, key, L"DeviceType"), 3u);
    }
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kPhoneMenu, L"InstallDir"), dir_ + L"\\Zentrika.exe CALL");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kSmsMenu, L"InstallDir"), dir_ + L"\\Zentrika.exe SMS");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kSmsMenu, L"Ver"), L"39");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kPhoneMenu, L"VendorDesc"), L"Norvale Zentrika");

    std::wstring device;
    EXPECT_EQ(DialUpConfigSize(&device), 252u);  // the "PocketPC" modem configuration
    EXPECT_EQ(device, L"Norvale Zentrika");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kConnMgrDestination));

    // The module's card comes in: the device manager loads ZentDrv.dll for
    // it, whose monitor tells the (stand-in) agent the module is powered.
    drvtest::AgentWindows agent;
    ASSERT_TRUE(agent.Ready());
    if (CeDevMgrIsRunning(0))
        CeDevMgrShutdownHost();
    ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
    zen::sim::SimModule module;
    zen::sim::SimLink link(module);
    ASSERT_TRUE(link.Start(L"zsetup" + std::to_wstring(GetCurrentProcessId())));
    wchar_t name[16] = L"";
    EXPECT_TRUE(CeDevMgrInsertCard(kCards[1], link.Link().c_str(), name, 16)) << GetLastError();
    EXPECT_NE(GetModuleHandleW(L"ZentDrv.dll"), nullptr);
    EXPECT_TRUE(zentest::WaitUntil([&] { return !agent.states.empty(); }, 8000));
    if (!agent.states.empty())
        EXPECT_EQ(agent.states[0], 0);  // "PowerON"
    CeDevMgrRemoveCard(kCards[1]);
    CeDevMgrStopInProcess();
    link.Stop();
}

TEST_F(SetupInstall, ModuleCardInKeepsTheMessageUpUntilItIsPulled)
{
    if (CeDevMgrIsRunning(0))
        CeDevMgrShutdownHost();
    ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
    zen::sim::SimModule module;
    zen::sim::SimLink link(module);
    ASSERT_TRUE(link.Start(L"zsetupcard" + std::to_wstring(GetCurrentProcessId())));
    ASSERT_TRUE(CeDevMgrRegisterDriver(kCards[3], L"Serial.dll", L"COM"));
    ASSERT_TRUE(CeDevMgrInsertCard(kCards[3], link.Link().c_str(), nullptr, 0));

    int shown = 0;
    bool pulled = false;
    HWND last = nullptr;
    std::wstring text;
    std::wstring message;
    const auto result = InstallPumping(message, [&] {
        HWND box = FindNotice();
        if (!box || box == last)
            return;
        last = box;
        ++shown;
        text = NoticeText(box);
        if (shown == 2) {
            pulled = CeDevMgrRemoveCard(kCards[3]) != FALSE;
            zentest::PumpMessages(100);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);  // dismissed: looks again
    });
    CeDevMgrStopInProcess();
    link.Stop();
    EXPECT_EQ(result, ceinst::kDone) << std::string(message.begin(), message.end());
    EXPECT_TRUE(pulled);
    // Shown once, dismissed with the card still in, shown again, then the
    // card was pulled and the installation went on.
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(text, kInstallText);
    EXPECT_TRUE(Exists(dir_ + L"\\Zentrika.exe"));
}

TEST_F(SetupInstall, RunningPhoneAndAgentAreClosedBeforeCopying)
{
    PhoneWindow::closes = 0;
    PhoneWindow phone;
    drvtest::AgentWindows agent;
    ASSERT_TRUE(agent.Ready());
    HWND bar = FindWindowW(L"HHTaskBar", nullptr);
    ASSERT_NE(FindWindowExW(bar, nullptr, nullptr, L"Norvale TaskBar"), nullptr);

    std::wstring message;
    ASSERT_EQ(InstallPumping(message), ceinst::kDone) << std::string(message.begin(), message.end());
    EXPECT_EQ(PhoneWindow::closes.load(), 1);
    EXPECT_FALSE(IsWindow(phone.Window()));
    EXPECT_EQ(FindWindowExW(bar, nullptr, nullptr, L"Norvale TaskBar"), nullptr);
}

TEST_F(SetupInstall, UninstallTakesAwayWhatInstallWroteAndKeepsTheDatabases)
{
    std::wstring message;
    ASSERT_EQ(Install(message), ceinst::kDone) << std::string(message.begin(), message.end());
    // The user's data: a database and the agent's start-up link.
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEDBASEINFO info{};
    info.dwFlags = CEDB_VALIDNAME;
    wcscpy(info.szDbaseName, L"Zentrika CALLLIST DB");
    ASSERT_NE(CeCreateDatabaseEx(&guid, &info), 0u);
    ASSERT_TRUE(Touch(StartupLink()));
    // A cabinet stored in flash by an earlier installation.
    ASSERT_TRUE(CreateDirectoryW((hh_ + L"\\iPAQ File Store").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((hh_ + L"\\iPAQ File Store\\Kivo").c_str(), nullptr));
    ASSERT_TRUE(Touch(hh_ + L"\\iPAQ File Store\\Kivo\\Zentrika.CAB"));

    ASSERT_EQ(ceinst::Uninstall(L"Norvale Zentrika", message), ceinst::kDone)
        << std::string(message.begin(), message.end());
    EXPECT_FALSE(Exists(dir_));
    EXPECT_FALSE(Exists(SystemFile(L"ZentDrv.dll")));
    EXPECT_FALSE(Exists(SystemFile(L"Start Menu\\Programs\\Zentrika.lnk")));
    EXPECT_FALSE(Exists(StartupLink()));
    EXPECT_FALSE(Exists(hh_ + L"\\iPAQ File Store\\Kivo\\Zentrika.CAB"));
    for (const wchar_t* card : kCards)
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(L"Drivers\\PCMCIA\\") + card));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPhoneMenu));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kSmsMenu));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kAppKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kConnMgrDestination));
    EXPECT_EQ(DialUpConfigSize(nullptr), 0u);

    CEOID oid = 0;
    HANDLE db = CeOpenDatabaseEx(&guid, &oid, const_cast<LPWSTR>(L"Zentrika CALLLIST DB"), 0, 0, nullptr);
    EXPECT_NE(db, INVALID_HANDLE_VALUE);
    if (db != INVALID_HANDLE_VALUE)
        CloseHandle(db);
}

TEST_F(SetupInstall, CabinetIsKeptInFlashOnPocketPcAndDeletedOnPalmPc2)
{
    // The cabinet and its installer as the platform leaves them in the folder.
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    ASSERT_TRUE(Touch(dir_ + L"\\Zentrika.CAB"));
    ASSERT_TRUE(Touch(dir_ + L"\\InstallZentrika.exe"));
    std::wstring message;
    ASSERT_EQ(Install(message), ceinst::kDone) << std::string(message.begin(), message.end());
    EXPECT_FALSE(Exists(dir_ + L"\\Zentrika.CAB"));
    EXPECT_FALSE(Exists(dir_ + L"\\InstallZentrika.exe"));
    EXPECT_TRUE(Exists(hh_ + L"\\iPAQ File Store\\Kivo\\Zentrika.CAB"));
    EXPECT_TRUE(Exists(hh_ + L"\\iPAQ File Store\\InstallZentrika.exe"));
    ASSERT_EQ(ceinst::Uninstall(L"Norvale Zentrika", message), ceinst::kDone);
    EXPECT_FALSE(Exists(hh_ + L"\\iPAQ File Store\\Kivo\\Zentrika.CAB"));
    EXPECT_FALSE(Exists(hh_ + L"\\iPAQ File Store\\InstallZentrika.exe"));

    SetEnvironmentVariableW(L"ZEN_PLATFORM_TYPE", L"Palm PC2");
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    ASSERT_TRUE(Touch(dir_ + L"\\Zentrika.CAB"));
    ASSERT_TRUE(Touch(dir_ + L"\\InstallZentrika.exe"));
    ASSERT_EQ(Install(message), ceinst::kDone) << std::string(message.begin(), message.end());
    EXPECT_FALSE(Exists(dir_ + L"\\Zentrika.CAB"));
    EXPECT_FALSE(Exists(dir_ + L"\\InstallZentrika.exe"));
    EXPECT_FALSE(Exists(hh_ + L"\\iPAQ File Store\\Kivo\\Zentrika.CAB"));
    EXPECT_FALSE(Exists(hh_ + L"\\iPAQ File Store\\InstallZentrika.exe"));
    // The older modem configuration, the browser told to dial the entry, and
    // the registrations as on every handheld.
    EXPECT_EQ(DialUpConfigSize(nullptr), 128u);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer\\Main", L"Connection"),
              L"Zentrika");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, std::wstring(L"Drivers\\PCMCIA\\") + kCards[0], L"Dll"), L"ZentDrv.dll");
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kPhoneMenu, L"OnAppMenu"), L"00");
}

}  // namespace
