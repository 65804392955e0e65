// The packet-data dial-up entry read back from the phone book field by field,
// the dialling locations and connection settings from the registry, the
// pppd files made for the entry, and the browser hand-over.
#include <gtest/gtest.h>

#include <ce_platform.h>
#include <ras.h>
#include <unimodem.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "setup/DataConnection.h"

namespace {

const wchar_t kConnMgr[] = L"SOFTWARE\\Microsoft\\ConnMgr";
const wchar_t kHttp[] =
    L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{EF097F4C-DC4B-4c98-8FF6-AEF805DC0E8E}\\HTTP-{FEF41358-73D0-4311-"
    L"8CC3-61DE25B6AA81}";
const wchar_t kConnection[] =
    L"SOFTWARE\\Microsoft\\ConnMgr\\Providers\\{7C4B7A38-5FF7-4bc1-80F6-5DA7870BB1AA}\\Connections\\Zentrika";
const wchar_t kIeMain[] = L"Software\\Microsoft\\Internet Explorer\\Main";

std::wstring Env(const wchar_t* name)
{
    wchar_t buf[MAX_PATH] = L"";
    GetEnvironmentVariableW(name, buf, MAX_PATH);
    return buf;
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

std::string ReadText(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::string("<missing>");
    std::string s(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    if (!s.empty())
        ReadFile(h, &s[0], static_cast<DWORD>(s.size()), &read, nullptr);
    CloseHandle(h);
    s.resize(read);
    return s;
}

DWORD Dword(HKEY root, const wchar_t* path, const wchar_t* name)
{
    DWORD v = 0xDEADBEEF, size = sizeof v;
    RegGetValueW(root, path, name, RRF_RT_REG_DWORD, nullptr, &v, &size);
    return v;
}

std::wstring Text(HKEY root, const wchar_t* path, const wchar_t* name)
{
    wchar_t buf[256] = L"<missing>";
    DWORD size = sizeof buf;
    RegGetValueW(root, path, name, RRF_RT_REG_SZ, nullptr, buf, &size);
    return buf;
}

bool KeyExists(HKEY root, const wchar_t* path)
{
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool AllZero(const void* p, size_t n)
{
    const BYTE* b = static_cast<const BYTE*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i])
            return false;
    return true;
}

int EntriesNamed(const wchar_t* name)
{
    RASENTRYNAME names[16] = {};
    names[0].dwSize = sizeof(RASENTRYNAME);
    DWORD cb = sizeof names, count = 0;
    if (RasEnumEntries(nullptr, nullptr, names, &cb, &count) != 0)
        return -1;
    int n = 0;
    for (DWORD i = 0; i < count; ++i)
        n += wcscmp(names[i].szEntryName, name) == 0;
    return n;
}

// Splits a chat script into its words, as chat reads them: quoted strings
// with backslash escapes, or runs of non-blanks. False on an unclosed quote.
bool ChatWords(const std::string& line, std::vector<std::string>* words)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string w;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                if (line[i] == '\\' && i + 1 < line.size()) {
                    w += line[i + 1];
                    i += 2;
                } else if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    w += line[i++];
                }
            }
            if (!closed)
                return false;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                w += line[i++];
        }
        words->push_back(w);
    }
    return true;
}

class DataConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        pppDir = HostPath(Env(L"ZEN_PPP_DIR"));
        ASSERT_FALSE(Env(L"ZEN_PPP_DIR").empty());
    }
    void TearDown() override
    {
        CeSetPlatformType(nullptr);
        Clean();
    }
    static void Clean()
    {
        RasDeleteEntry(nullptr, kDialUpEntryName);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kConnMgr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"ControlPanel\\Dial");
        RegDeleteTreeW(HKEY_CURRENT_USER, kIeMain);
    }
    std::string Peer() { return ReadText(pppDir + L"\\peers\\Zentrika"); }
    std::string Chat() { return ReadText(pppDir + L"\\chatscripts\\Zentrika"); }

    std::wstring pppDir;
};

TEST_F(DataConnectionTest, EntryReadsBackFieldByField)
{
    ASSERT_EQ(1, EnsureDialUpEntry());

    RASENTRY e = {};
    e.dwSize = sizeof e;
    BYTE dev[512] = {};
    DWORD size = sizeof e, devSize = sizeof dev;
    ASSERT_EQ(0u, RasGetEntryProperties(nullptr, L"Zentrika", &e, &size, dev, &devSize));
    EXPECT_EQ(3276u, e.dwSize);
    EXPECT_EQ(0x208u, e.dwfOptions);
    EXPECT_EQ(0u, e.dwCountryID);
    EXPECT_EQ(82u, e.dwCountryCode);
    EXPECT_STREQ(L"02", e.szAreaCode);
    EXPECT_STREQ(L"1501", e.szLocalPhoneNumber);
    EXPECT_EQ(4u, e.dwfNetProtocols);
    EXPECT_EQ(1u, e.dwFramingProtocol);
    EXPECT_STREQ(L"modem", e.szDeviceType);
    EXPECT_STREQ(L"Norvale Zentrika", e.szDeviceName);
    // Every member not named is 0 or empty.
    EXPECT_EQ(0u, e.dwAlternateOffset);
    EXPECT_TRUE(AllZero(&e.ipaddr, offsetof(RASENTRY, dwfNetProtocols) - offsetof(RASENTRY, ipaddr)));
    EXPECT_TRUE(AllZero(e.szScript, offsetof(RASENTRY, szDeviceType) - offsetof(RASENTRY, szScript)));
    EXPECT_TRUE(AllZero(e.szX25PadType, sizeof(RASENTRY) - offsetof(RASENTRY, szX25PadType)));

    ASSERT_EQ(252u, devSize);
    DEVMINICFG cfg;
    memcpy(&cfg, dev, sizeof cfg);
    EXPECT_EQ(0x0020, cfg.wVersion);
    EXPECT_EQ(0, cfg.wWaitBong);
    EXPECT_EQ(120u, cfg.dwCallSetupFailTimer);
    EXPECT_EQ(0x10u, cfg.dwModemOptions);
    EXPECT_EQ(115200u, cfg.dwBaudRate);
    EXPECT_EQ(0, cfg.fwOptions);
    EXPECT_EQ(8, cfg.ByteSize);
    EXPECT_EQ(ONESTOPBIT, cfg.StopBits);
    EXPECT_EQ(NOPARITY, cfg.Parity);
    EXPECT_STREQ(L"+crm=150", cfg.szDialModifier);
    EXPECT_TRUE(AllZero(cfg.szDriverName, sizeof cfg - offsetof(DEVMINICFG, szDriverName)));

    RASDIALPARAMS p = {};
    p.dwSize = sizeof p;
    wcscpy(p.szEntryName, L"Zentrika");
    BOOL hasPassword = FALSE;
    ASSERT_EQ(0u, RasGetEntryDialParams(nullptr, &p, &hasPassword));
    EXPECT_TRUE(hasPassword);
    EXPECT_STREQ(L"zentrika", p.szUserName);
    EXPECT_STREQ(L"brisk407", p.szPassword);
    EXPECT_STREQ(L"", p.szDomain);
    EXPECT_STREQ(L"", p.szPhoneNumber);
    EXPECT_STREQ(L"", p.szCallbackNumber);

    // Dialling locations.
    EXPECT_EQ(1u, Dword(HKEY_CURRENT_USER, L"ControlPanel\\Dial", L"CurrentLoc"));
    for (const wchar_t* loc : {L"0", L"1"}) {
        BYTE value[200];
        DWORD type = 0, bytes = sizeof value;
        ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, L"ControlPanel\\Dial\\Locations", loc,
                                              RRF_RT_ANY | RRF_NOEXPAND, &type, value, &bytes));
        EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
        ASSERT_EQ(122u, bytes);
        wchar_t expect[61] = {};
        const wchar_t* place = loc[0] == L'0' ? L"Work" : L"Home";
        memcpy(expect, place, 8);
        memcpy(expect + 5, L"G\0g\0g\0" L"425", 2 * 9);
        EXPECT_EQ(0, memcmp(expect, value, 122)) << "location " << loc[0];
    }
    // Connection manager.
    EXPECT_EQ(L"{FEF41358-73D0-4311-8CC3-61DE25B6AA81}",
              Text(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\ConnMgr\\Destinations\\Zentrika", nullptr));
    EXPECT_EQ(1u, Dword(HKEY_LOCAL_MACHINE, kConnection, L"Enabled"));
    EXPECT_EQ(1u, Dword(HKEY_LOCAL_MACHINE, kConnection, L"RequirePw"));
    EXPECT_EQ(0u, Dword(HKEY_LOCAL_MACHINE, kConnection, L"EntryType"));
    EXPECT_EQ(L"{FEF41358-73D0-4311-8CC3-61DE25B6AA81}", Text(HKEY_LOCAL_MACHINE, kConnection, L"DestId"));
    EXPECT_EQ(1u, Dword(HKEY_LOCAL_MACHINE, kHttp, L"Enable"));
    EXPECT_EQ(0u, Dword(HKEY_LOCAL_MACHINE, kHttp, L"Type"));
    const std::wstring proxy = Text(HKEY_LOCAL_MACHINE, kHttp, L"Proxy");
    EXPECT_EQ(L":1850", proxy.substr(proxy.find(L':')));
    EXPECT_GT(proxy.find(L':'), 0u);
    EXPECT_EQ(L"{436EF144-B4FB-4863-A041-8F905A62C572}", Text(HKEY_LOCAL_MACHINE, kHttp, L"DestId"));
    EXPECT_EQ(L"{FEF41358-73D0-4311-8CC3-61DE25B6AA81}", Text(HKEY_LOCAL_MACHINE, kHttp, L"SrcId"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kIeMain)) << "the browser settings are for the other handheld";
}

TEST_F(DataConnectionTest, WritingTwiceLeavesOneEntryAndTheSameFiles)
{
    ASSERT_EQ(1, EnsureDialUpEntry());
    const std::string peer = Peer(), chat = Chat();
    ASSERT_NE("<missing>", peer);
    ASSERT_NE("<missing>", chat);
    RASENTRY first = {};
    DWORD size = sizeof first;
    first.dwSize = sizeof first;
    ASSERT_EQ(0u, RasGetEntryProperties(nullptr, L"Zentrika", &first, &size, nullptr, nullptr));

    ASSERT_EQ(1, EnsureDialUpEntry());
    EXPECT_EQ(1, EntriesNamed(L"Zentrika"));
    RASENTRY second = {};
    second.dwSize = sizeof second;
    ASSERT_EQ(0u, RasGetEntryProperties(nullptr, L"Zentrika", &second, &size, nullptr, nullptr));
    EXPECT_EQ(0, memcmp(&first, &second, sizeof first));
    EXPECT_EQ(peer, Peer());
    EXPECT_EQ(chat, Chat());
}

TEST_F(DataConnectionTest, PppFilesDialTheEntry)
{
    ASSERT_EQ(1, EnsureDialUpEntry());
    const std::string peer = Peer();
    std::istringstream lines(peer);
    std::vector<std::string> options;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#')
            options.push_back(line);
    ASSERT_GE(options.size(), 4u);
    EXPECT_EQ('/', options[0][0]) << "the module's tty first";
    EXPECT_EQ("115200", options[1]);
    auto has = [&](const std::string& o) { return std::find(options.begin(), options.end(), o) != options.end(); };
    EXPECT_TRUE(has("crtscts"));
    EXPECT_TRUE(has("modem"));
    EXPECT_TRUE(has("user \"zentrika\""));
    EXPECT_FALSE(has("novj")) << "IP header compression is on";
    EXPECT_FALSE(has("nobsdcomp")) << "software compression is on";
    const std::wstring dir = Env(L"ZEN_PPP_DIR");
    const std::string chatPath = "\"/usr/sbin/chat -v -f " + std::string(dir.begin(), dir.end()) +
                                 "/chatscripts/Zentrika\"";
    EXPECT_TRUE(has("connect " + chatPath)) << peer;

    // The chat script: keyword lines and expect-send pairs, every quote
    // closed, the modifier before the dial, the dial answered by CONNECT.
    std::istringstream chat(Chat());
    std::vector<std::pair<std::string, std::string>> pairs;
    int aborts = 0;
    for (std::string line; std::getline(chat, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> words;
        ASSERT_TRUE(ChatWords(line, &words)) << line;
        ASSERT_EQ(2u, words.size()) << line;
        if (words[0] == "ABORT") {
            ++aborts;
            continue;
        }
        if (words[0] == "TIMEOUT") {
            EXPECT_EQ("120", words[1]);
            continue;
        }
        pairs.emplace_back(words[0], words[1]);
    }
    EXPECT_GE(aborts, 3);
    ASSERT_EQ(4u, pairs.size());
    EXPECT_EQ(std::make_pair(std::string(""), std::string("AT")), pairs[0]);
    EXPECT_EQ(std::make_pair(std::string("OK"), std::string("AT+crm=150")), pairs[1]);
    EXPECT_EQ(std::make_pair(std::string("OK"), std::string("ATDT1501")), pairs[2]);
    EXPECT_EQ(std::make_pair(std::string("CONNECT"), std::string("")), pairs[3]);

    // Deleting the entry takes its files along.
    ASSERT_EQ(0u, RasDeleteEntry(nullptr, L"Zentrika"));
    EXPECT_EQ("<missing>", Peer());
    EXPECT_EQ(0, EntriesNamed(L"Zentrika"));
}

TEST_F(DataConnectionTest, OtherHandheldTypes)
{
    CeSetPlatformType(L"Smartphone");
    EXPECT_EQ(0, EnsureDialUpEntry());
    EXPECT_EQ(0, EntriesNamed(L"Zentrika"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"ControlPanel\\Dial"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kConnMgr));
    EXPECT_EQ("<missing>", Peer());

    CeSetPlatformType(L"Palm PC2");
    ASSERT_EQ(1, EnsureDialUpEntry());
    RASENTRY e = {};
    e.dwSize = sizeof e;
    BYTE dev[512];
    DWORD size = sizeof e, devSize = sizeof dev;
    ASSERT_EQ(0u, RasGetEntryProperties(nullptr, L"Zentrika", &e, &size, dev, &devSize));
    ASSERT_EQ(128u, devSize);
    DEVMINICFG_OLD old;
    memcpy(&old, dev, sizeof old);
    EXPECT_EQ(115200u, old.dwBaudRate);
    EXPECT_EQ(8, old.ByteSize);
    EXPECT_EQ(120u, old.dwCallSetupFailTimer);
    EXPECT_STREQ("AT+crm=150", old.szDialModifier);
    EXPECT_EQ(1u, Dword(HKEY_CURRENT_USER, kIeMain, L"EnableAutodial"));
    EXPECT_EQ(L"Zentrika", Text(HKEY_CURRENT_USER, kIeMain, L"Connection"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kConnMgr));
    EXPECT_NE(std::string::npos, Chat().find("OK \"AT+crm=150\"\n")) << Chat();
}

TEST(RasStandIn, BadRequestsAreRefusedAndChangeNothing)
{
    RASENTRY e = {};
    e.dwSize = sizeof e;
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK),
              RasSetEntryProperties(L"\\other.pbk", L"Bad", &e, sizeof e, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_SIZE), RasSetEntryProperties(nullptr, L"Bad", &e, 100, nullptr, 0));
    e.dwSize = 100;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_SIZE), RasSetEntryProperties(nullptr, L"Bad", &e, sizeof e, nullptr, 0));
    e.dwSize = sizeof e;
    EXPECT_NE(0u, RasSetEntryProperties(nullptr, L"a name longer than twenty", &e, sizeof e, nullptr, 0));
    EXPECT_NE(0u, RasSetEntryProperties(nullptr, L"back\\slash", &e, sizeof e, nullptr, 0));
    EXPECT_NE(0u, RasSetEntryProperties(nullptr, L"", &e, sizeof e, nullptr, 0));
    EXPECT_EQ(0, EntriesNamed(L"Bad"));

    RASDIALPARAMS p = {};
    p.dwSize = sizeof p;
    wcscpy(p.szEntryName, L"Nobody");
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY), RasSetEntryDialParams(nullptr, &p, FALSE));
    BOOL pw = TRUE;
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY), RasGetEntryDialParams(nullptr, &p, &pw));

    // A small buffer gets the sizes back.
    ASSERT_EQ(0u, RasSetEntryProperties(nullptr, L"Small", &e, sizeof e, nullptr, 0));
    DWORD size = 10;
    EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL),
              RasGetEntryProperties(nullptr, L"Small", &e, &size, nullptr, nullptr));
    EXPECT_EQ(sizeof(RASENTRY), size);
    // Dial parameters without the password keep none.
    wcscpy(p.szEntryName, L"Small");
    wcscpy(p.szUserName, L"u");
    wcscpy(p.szPassword, L"secret");
    ASSERT_EQ(0u, RasSetEntryDialParams(nullptr, &p, TRUE));
    RASDIALPARAMS back = {};
    back.dwSize = sizeof back;
    wcscpy(back.szEntryName, L"Small");
    ASSERT_EQ(0u, RasGetEntryDialParams(nullptr, &back, &pw));
    EXPECT_FALSE(pw);
    EXPECT_STREQ(L"", back.szPassword);
    EXPECT_STREQ(L"u", back.szUserName);
    EXPECT_EQ(0u, RasDeleteEntry(nullptr, L"Small"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY), RasDeleteEntry(nullptr, L"Small"));
}

// Odd characters in what the user typed stay inside their quotes in the
// pppd files, and any entry name makes a plain file name.
TEST(RasStandIn, PppFilesQuoteWhatTheUserTyped)
{
    const std::wstring dir = HostPath(Env(L"ZEN_PPP_DIR"));
    RASENTRY e = {};
    e.dwSize = sizeof e;
    wcscpy(e.szLocalPhoneNumber, L"15\"01;");
    ASSERT_EQ(0u, RasSetEntryProperties(nullptr, L"My Net/2", &e, sizeof e, nullptr, 0));
    RASDIALPARAMS p = {};
    p.dwSize = sizeof p;
    wcscpy(p.szEntryName, L"My Net/2");
    wcscpy(p.szUserName, L"a\"b\\c\nd");
    wcscpy(p.szPassword, L"pw");
    ASSERT_EQ(0u, RasSetEntryDialParams(nullptr, &p, FALSE));
    const std::string peer = ReadText(dir + L"\\peers\\My_Net_2");
    EXPECT_NE(std::string::npos, peer.find("\nuser \"a\\\"b\\\\cd\"\n")) << peer;
    EXPECT_NE(std::string::npos, peer.find("\npassword \"pw\"\n")) << peer;
    const std::string chat = ReadText(dir + L"\\chatscripts\\My_Net_2");
    EXPECT_NE(std::string::npos, chat.find("OK \"ATDT1501\"\n")) << "only dialable characters: " << chat;
    std::istringstream lines(chat);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> words;
        if (!line.empty() && line[0] != '#') {
            EXPECT_TRUE(ChatWords(line, &words)) << line;
        }
    }
    // Without dial parameters' password, none is written.
    ASSERT_EQ(0u, RasSetEntryDialParams(nullptr, &p, TRUE));
    EXPECT_EQ(std::string::npos, ReadText(dir + L"\\peers\\My_Net_2").find("password"));
    EXPECT_EQ(0u, RasDeleteEntry(nullptr, L"My Net/2"));
    EXPECT_EQ("<missing>", ReadText(dir + L"\\peers\\My_Net_2"));
}

// "\Windows\iexplore.exe" hands the start page to the host's browser (here a
// script that notes what it was given).
TEST(Browser, StartBrowserReachesTheHostsBrowser)
{
    const std::wstring script = Env(L"ZEN_TEST_BROWSER");
    ASSERT_FALSE(script.empty());
    const std::wstring noted = HostPath(Env(L"ZEN_TEST_BROWSER_NOTE"));
    DeleteFileW(noted.c_str());

    wchar_t exe[MAX_PATH], windows[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring built(exe);
    built = built.substr(0, built.find_last_of(L'\\') + 1) + L"iexplore.exe";
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring installed = std::wstring(windows) + L"\\iexplore.exe";
    ASSERT_TRUE(CopyFileW(built.c_str(), installed.c_str(), FALSE));

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(script.c_str()),
                   static_cast<DWORD>((script.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    EXPECT_EQ(1, StartBrowser());
    std::string url;
    for (int i = 0; i < 200 && url.empty(); ++i) {
        Sleep(50);
        url = ReadText(noted);
        if (url == "<missing>")
            url.clear();
    }
    EXPECT_EQ("http://www.zentrika.net/\n", url);

    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers");
    DeleteFileW(installed.c_str());
}

}  // namespace
