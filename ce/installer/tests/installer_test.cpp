// The installer against a recording set-up library: what lands where, the
// order of the hooks around copying and removing, their answers, bad input,
// and an installer killed half way.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include <ce_platform.h>
#include "ce/installer/Installer.h"
#include "ce/installer/tests/InstallHelpers.h"

namespace {

using insttest::Exists;
using insttest::KeyExists;
using insttest::RegText;
using insttest::RemoveTree;

using ceinst::InstallOptions;
using ceinst::Result;

std::wstring ProgramDir()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    const bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) && n == text.size();
    CloseHandle(f);
    return ok;
}

std::string ReadText(const std::wstring& path)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string text;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n)
        text.append(buf, n);
    CloseHandle(f);
    return text;
}

std::string Narrow(const std::wstring& w)
{
    std::string s;
    for (wchar_t c : w)
        s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int round = 0;
        const std::wstring id = std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++round);
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        root_ = std::wstring(tmp) + L"zinst" + id;
        RemoveTree(root_);
        src_ = root_ + L"\\src";
        hh_ = root_ + L"\\hh";
        dir_ = hh_ + L"\\Program Files\\Zentest";
        app_ = L"ZenInstTest " + id;
        userKey_ = L"Software\\ZenInstTest" + id;
        link_ = L"ZenInstTest" + id + L".lnk";
        for (const std::wstring& d : {root_, src_, src_ + L"\\media", src_ + L"\\media\\keys", hh_,
                                      hh_ + L"\\Program Files"})
            ASSERT_TRUE(CreateDirectoryW(d.c_str(), nullptr)) << Narrow(d);
        ASSERT_TRUE(CopyFileW((ProgramDir() + L"\\FakeSetup.dll").c_str(), (src_ + L"\\FakeSetup.dll").c_str(), FALSE));
        ASSERT_TRUE(WriteText(src_ + L"\\marker.txt", "marker"));
        ASSERT_TRUE(WriteText(src_ + L"\\media\\ring.wav", "ring"));
        ASSERT_TRUE(WriteText(src_ + L"\\media\\keys\\1.wav", "key one"));
        SetEnvironmentVariableW(L"ZEN_HANDHELD_ROOT", hh_.c_str());
        SetEnvironmentVariableW(L"ZEN_FAKE_SETUP_LOG", (root_ + L"\\hooks.log").c_str());
        SetEnvironmentVariableW(L"ZEN_FAKE_SETUP_ANSWER", nullptr);
        SetEnvironmentVariableW(L"ZEN_INSTALL_KILL_AFTER", nullptr);
    }
    void TearDown() override
    {
        std::wstring ignored;
        ceinst::Uninstall(app_, ignored);
        RegDeleteTreeW(HKEY_CURRENT_USER, userKey_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, userKey_.c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Apps\\" + app_).c_str());
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Apps\\" + app_).c_str());
        SetEnvironmentVariableW(L"ZEN_HANDHELD_ROOT", nullptr);
        RemoveTree(root_);
    }

    std::string Description(const std::string& extra = "")
    {
        return "# test system\napp \"" + Narrow(app_) + "\"\nsetup FakeSetup.dll\ndir \"%ProgramFiles%\\Zentest\"\n" +
               "file marker.txt %InstallDir%\nfile FakeSetup.dll %InstallDir%\n" +
               "file absent.cab %InstallDir% optional\n" + "tree media %InstallDir%\\Media\n" +
               "folder %InstallDir%\\Pic\n" + "reg HKCU \"" + Narrow(userKey_) +
               "\" Folder sz %InstallDir%\nreg HKCU \"" + Narrow(userKey_) + "\" Count dword 0x20\n" +
               "shortcut \"%Programs%\\" + Narrow(link_) + "\" %InstallDir%\\marker.txt\n" + extra;
    }

    Result Install(const std::string& description, std::wstring& message, const std::wstring& folder = L"")
    {
        const std::wstring path = root_ + L"\\test.inst";
        if (!WriteText(path, description))
            return ceinst::kFailed;
        InstallOptions options;
        options.description = path;
        options.source = src_;
        options.folder = folder;
        return ceinst::Install(options, message);
    }

    std::wstring LinkPath() const
    {
        wchar_t win[MAX_PATH];
        GetWindowsDirectoryW(win, MAX_PATH);
        return std::wstring(win) + L"\\Start Menu\\Programs\\" + link_;
    }

    std::string Hooks() const { return ReadText(root_ + L"\\hooks.log"); }

    std::wstring root_, src_, hh_, dir_, app_, userKey_, link_;
};

TEST_F(Installer, InstallsEverythingBetweenTheHooksAndRemovesItBetweenThemAgain)
{
    std::wstring message;
    ASSERT_EQ(Install(Description(), message), ceinst::kDone) << Narrow(message);
    // Install_Init sees the folder still empty, Install_Exit sees the files.
    EXPECT_EQ(Hooks(), "Install_Init empty\nInstall_Exit copied\n");
    EXPECT_EQ(ReadText(dir_ + L"\\marker.txt"), "marker");
    EXPECT_EQ(ReadText(dir_ + L"\\Media\\ring.wav"), "ring");
    EXPECT_EQ(ReadText(dir_ + L"\\Media\\keys\\1.wav"), "key one");
    EXPECT_TRUE(Exists(dir_ + L"\\Pic"));
    EXPECT_FALSE(Exists(dir_ + L"\\absent.cab"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, userKey_, L"Folder"), dir_);
    DWORD count = 0, size = sizeof count;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, userKey_.c_str(), L"Count", RRF_RT_REG_DWORD, nullptr, &count, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(count, 0x20u);
    const std::string target = "\"" + Narrow(dir_) + "\\marker.txt\"";
    EXPECT_EQ(ReadText(LinkPath()), std::to_string(target.size()) + "#" + target);

    // A file the user put in an installed folder stays, with its folder.
    ASSERT_TRUE(WriteText(dir_ + L"\\Media\\mine.mp3", "mine"));
    ASSERT_EQ(ceinst::Uninstall(app_, message), ceinst::kDone) << Narrow(message);
    EXPECT_EQ(Hooks(), "Install_Init empty\nInstall_Exit copied\nUninstall_Init copied\nUninstall_Exit\n");
    EXPECT_FALSE(Exists(dir_ + L"\\marker.txt"));
    EXPECT_FALSE(Exists(dir_ + L"\\Media\\keys"));
    EXPECT_FALSE(Exists(dir_ + L"\\Pic"));
    EXPECT_FALSE(Exists(LinkPath()));
    EXPECT_EQ(ReadText(dir_ + L"\\Media\\mine.mp3"), "mine");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey_));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Apps\\" + app_));
    // Removed once, it is no longer installed.
    EXPECT_EQ(ceinst::Uninstall(app_, message), ceinst::kBadInput);
}

TEST_F(Installer, SecondInstallUpdatesInPlaceAndTheUserMayPickTheFolder)
{
    std::wstring message;
    ASSERT_EQ(Install(Description(), message), ceinst::kDone) << Narrow(message);
    ASSERT_TRUE(WriteText(src_ + L"\\marker.txt", "newer"));
    ASSERT_EQ(Install(Description(), message), ceinst::kDone) << Narrow(message);
    EXPECT_EQ(ReadText(dir_ + L"\\marker.txt"), "newer");
    EXPECT_NE(Hooks().find("Install_Init again"), std::string::npos) << Hooks();
    ASSERT_EQ(ceinst::Uninstall(app_, message), ceinst::kDone);

    const std::wstring picked = hh_ + L"\\Storage Card";
    ASSERT_EQ(Install(Description(), message, L"\\Storage Card"), ceinst::kDone) << Narrow(message);
    EXPECT_EQ(ReadText(picked + L"\\Media\\ring.wav"), "ring");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, userKey_, L"Folder"), picked);
    EXPECT_FALSE(Exists(dir_));
}

TEST_F(Installer, HooksThatRefuseStopOrUndoTheirStep)
{
    std::wstring message;
    SetEnvironmentVariableW(L"ZEN_FAKE_SETUP_ANSWER", L"Install_Init");
    EXPECT_EQ(Install(Description(), message), ceinst::kCancelled);
    EXPECT_FALSE(Exists(dir_ + L"\\marker.txt"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey_));

    SetEnvironmentVariableW(L"ZEN_FAKE_SETUP_ANSWER", L"Install_Exit");
    EXPECT_EQ(Install(Description(), message), ceinst::kUndone);
    EXPECT_FALSE(Exists(dir_));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey_));
    EXPECT_FALSE(Exists(LinkPath()));

    SetEnvironmentVariableW(L"ZEN_FAKE_SETUP_ANSWER", L"Uninstall_Init");
    ASSERT_EQ(Install(Description(), message), ceinst::kDone) << Narrow(message);
    EXPECT_EQ(ceinst::Uninstall(app_, message), ceinst::kCancelled);
    EXPECT_TRUE(Exists(dir_ + L"\\marker.txt"));
    SetEnvironmentVariableW(L"ZEN_FAKE_SETUP_ANSWER", nullptr);
}

TEST_F(Installer, BadInputIsRefusedWithItsReasonBeforeAnythingIsWritten)
{
    std::wstring message;
    EXPECT_EQ(Install(Description("file marker.txt %Desktop%\\x\n"), message), ceinst::kBadInput);
    EXPECT_NE(message.find(L"unknown folder %Desktop%"), std::wstring::npos) << Narrow(message);
    EXPECT_NE(message.find(L"line 13"), std::wstring::npos) << Narrow(message);
    EXPECT_EQ(Install(Description("file \"marker.txt %InstallDir%\n"), message), ceinst::kBadInput);
    EXPECT_NE(message.find(L"unclosed quote"), std::wstring::npos) << Narrow(message);
    EXPECT_EQ(Install(Description("copy marker.txt %InstallDir%\n"), message), ceinst::kBadInput);
    EXPECT_EQ(Install(Description("file marker.txt Relative\\Folder\n"), message), ceinst::kBadInput);
    EXPECT_EQ(Install(Description("file missing.txt %InstallDir%\n"), message), ceinst::kBadInput);
    EXPECT_NE(message.find(L"missing.txt"), std::wstring::npos) << Narrow(message);
    EXPECT_EQ(Hooks(), "<missing>");  // no hook ran

    // A folder whose parent is missing, and a folder that is a file.
    EXPECT_EQ(Install(Description(), message, L"\\No Card\\Zentest"), ceinst::kBadInput);
    EXPECT_NE(message.find(L"does not exist"), std::wstring::npos) << Narrow(message);
    ASSERT_TRUE(WriteText(hh_ + L"\\Taken", "a file"));
    EXPECT_EQ(Install(Description(), message, L"\\Taken"), ceinst::kBadInput);
    EXPECT_NE(message.find(L"is a file"), std::wstring::npos) << Narrow(message);
    EXPECT_FALSE(Exists(dir_));
    // A description that cannot be read.
    InstallOptions options;
    options.description = root_ + L"\\nowhere.inst";
    EXPECT_EQ(ceinst::Install(options, message), ceinst::kBadInput);
}

TEST_F(Installer, RegistryKeyThatCannotBeCreatedFailsTheInstallationByName)
{
    // Under a volatile key only volatile keys can be made.
    const std::wstring parent = userKey_ + L"Volatile";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    std::wstring message;
    const Result r = Install(Description("reg HKCU \"" + Narrow(parent) + "\\Child\" V sz x\n"), message);
    RegDeleteKeyW(HKEY_CURRENT_USER, parent.c_str());
    EXPECT_EQ(r, ceinst::kFailed);
    EXPECT_NE(message.find(L"cannot create the registry key HKCU\\" + parent + L"\\Child"), std::wstring::npos)
        << Narrow(message);
    // What was installed so far can be removed.
    EXPECT_EQ(ceinst::Uninstall(app_, message), ceinst::kDone) << Narrow(message);
    EXPECT_FALSE(Exists(dir_));
}

TEST_F(Installer, InstallationKilledHalfWayIsRepairedByTheNextOne)
{
    const std::wstring path = root_ + L"\\test.inst";
    ASSERT_TRUE(WriteText(path, Description()));
    std::wstring cmd = L"\"" + ProgramDir() + L"\\zeninstall.exe\" install \"" + path + L"\" /source:" + src_;
    SetEnvironmentVariableW(L"ZEN_INSTALL_KILL_AFTER", L"2");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    SetEnvironmentVariableW(L"ZEN_INSTALL_KILL_AFTER", nullptr);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_EQ(code, 9u);  // killed after two files
    EXPECT_TRUE(Exists(dir_ + L"\\marker.txt"));
    EXPECT_FALSE(Exists(dir_ + L"\\Media\\keys\\1.wav"));
    DWORD complete = 7, size = sizeof complete;
    RegGetValueW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Apps\\" + app_).c_str(), L"Instl", RRF_RT_REG_DWORD, nullptr,
                 &complete, &size);
    EXPECT_EQ(complete, 0u);

    std::wstring message;
    ASSERT_EQ(Install(Description(), message), ceinst::kDone) << Narrow(message);
    EXPECT_EQ(ReadText(dir_ + L"\\Media\\keys\\1.wav"), "key one");
    EXPECT_EQ(Hooks(), "Install_Init empty\nInstall_Init copied\nInstall_Exit copied\n");
    ASSERT_EQ(ceinst::Uninstall(app_, message), ceinst::kDone);
    EXPECT_FALSE(Exists(dir_));
}

TEST(InstallerFolders, NamesExpandAndUnknownOnesAreNamed)
{
    std::wstring out, error;
    ASSERT_TRUE(ceinst::ExpandFolders(L"%Programs%\\a.lnk", L"X", out, error));
    EXPECT_EQ(out, L"\\Windows\\Start Menu\\Programs\\a.lnk");
    ASSERT_TRUE(ceinst::ExpandFolders(L"%installdir%\\Skin", L"\\Program Files\\Z", out, error));
    EXPECT_EQ(out, L"\\Program Files\\Z\\Skin");
    EXPECT_FALSE(ceinst::ExpandFolders(L"%Nowhere%\\x", L"X", out, error));
    EXPECT_EQ(error, L"unknown folder %Nowhere%");
    EXPECT_FALSE(ceinst::ExpandFolders(L"%InstallDir\\x", L"X", out, error));
}

// Without a test root, the handheld's file system is the system drive, never
// the drive the installer happens to be started from.
TEST(InstallerFolders, HandheldPathsLieOnTheSystemDrive)
{
    SetEnvironmentVariableW(L"ZEN_HANDHELD_ROOT", nullptr);
    wchar_t windows[MAX_PATH], mapped[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 2u);
    ASSERT_TRUE(CeMapHandheldPath(L"\\Program Files\\Zentrika", mapped, MAX_PATH));
    EXPECT_EQ(std::wstring(mapped), std::wstring(windows, 2) + L"\\Program Files\\Zentrika");
    ASSERT_TRUE(CeMapHandheldPath(L"\\Windows\\x.exe", mapped, MAX_PATH));
    EXPECT_EQ(std::wstring(mapped), std::wstring(windows) + L"\\x.exe");
    ASSERT_TRUE(CeMapHandheldPath(L"C:\\elsewhere", mapped, MAX_PATH));
    EXPECT_EQ(std::wstring(mapped), L"C:\\elsewhere");
}

}  // namespace
