// The command line, the forwarded text of a second start, the installation
// folder and the companion applications' paths.
#include <gtest/gtest.h>

#include <string>

#include "phone/CommandLine.h"
#include "phone/Companions.h"
#include "phone/InstallDir.h"

namespace {

TEST(CommandLine, KeywordsInAnyCaseAndTheWordAfterThem)
{
    PhoneCommandLine op = ParseCommandLine(L"CALL 0123");
    EXPECT_EQ(PhoneCommand::Call, op.kind);
    EXPECT_STREQ(L"0123", op.number);
    op = ParseCommandLine(L"call   0101234567 and more");
    EXPECT_EQ(PhoneCommand::Call, op.kind);
    EXPECT_STREQ(L"0101234567", op.number);
    op = ParseCommandLine(L"Sms 0167778888");
    EXPECT_EQ(PhoneCommand::Sms, op.kind);
    EXPECT_STREQ(L"0167778888", op.number);
    op = ParseCommandLine(L"SMS");
    EXPECT_EQ(PhoneCommand::Sms, op.kind);
    EXPECT_STREQ(L"", op.number);
    op = ParseCommandLine(L"CALL");
    EXPECT_EQ(PhoneCommand::Call, op.kind);
    EXPECT_STREQ(L"", op.number);
    for (const wchar_t* other : {L"WAKEUP", L"", L"CALLS 0123", L"CAL 0123", L" CALL 0123"})
        EXPECT_EQ(PhoneCommand::Other, ParseCommandLine(other).kind) << other;
    EXPECT_EQ(PhoneCommand::Other, ParseCommandLine(nullptr).kind);
}

TEST(CommandLine, LongWordsAreCutAt255Characters)
{
    const std::wstring number(400, L'7');
    const PhoneCommandLine op = ParseCommandLine((L"CALL " + number).c_str());
    EXPECT_EQ(PhoneCommand::Call, op.kind);
    EXPECT_EQ(std::wstring(255, L'7'), op.number);
    // A keyword longer than the buffer is no keyword, however it starts.
    EXPECT_EQ(PhoneCommand::Other, ParseCommandLine((L"CALL" + number + L" 0123").c_str()).kind);
}

TEST(CommandLine, ForwardedTextOfAnyLengthIsReadSafely)
{
    wchar_t out[PhoneCommandLine::kChars];
    // No terminator: exactly the bytes given.
    const wchar_t text[] = {L'C', L'A', L'L', L'L', L' ', L'1', L'2', L'X', L'X'};
    COPYDATASTRUCT cds = {0, 7 * sizeof(wchar_t), const_cast<wchar_t*>(text)};
    EXPECT_EQ(7, CopyDataText(&cds, out, PhoneCommandLine::kChars));
    EXPECT_STREQ(L"CALL 12", out);
    // An odd byte count: the half character is dropped.
    cds.cbData = 7 * sizeof(wchar_t) + 1;
    EXPECT_EQ(7, CopyDataText(&cds, out, PhoneCommandLine::kChars));
    EXPECT_STREQ(L"CALL 12", out);
    cds.cbData = 1;
    EXPECT_EQ(0, CopyDataText(&cds, out, PhoneCommandLine::kChars));
    EXPECT_STREQ(L"", out);
    // A terminator inside ends the text.
    const wchar_t inner[] = L"SMS\0 0101";
    cds = {0, sizeof inner, const_cast<wchar_t*>(inner)};
    EXPECT_EQ(3, CopyDataText(&cds, out, PhoneCommandLine::kChars));
    // More than the buffer holds: cut, terminated.
    const std::wstring big(1000, L'9');
    cds = {0, static_cast<DWORD>(big.size() * sizeof(wchar_t)), const_cast<wchar_t*>(big.data())};
    EXPECT_EQ(PhoneCommandLine::kChars - 1, CopyDataText(&cds, out, PhoneCommandLine::kChars));
    EXPECT_EQ(std::wstring(PhoneCommandLine::kChars - 1, L'9'), out);
    // No data at all.
    cds = {0, 40, nullptr};
    EXPECT_EQ(0, CopyDataText(&cds, out, PhoneCommandLine::kChars));
    EXPECT_EQ(0, CopyDataText(nullptr, out, PhoneCommandLine::kChars));
    EXPECT_STREQ(L"", out);
}

TEST(CommandLine, NothingIsForwardedToNoWindow)
{
    EXPECT_FALSE(ForwardCommandLine(nullptr, L"CALL 0123"));
}

TEST(Companions, ProgramAndParametersOfAPath)
{
    wchar_t file[kCompanionPathChars], params[kCompanionPathChars];
    SplitCompanionPath(L"\\Program Files\\Kivo\\pims.exe -a", file, kCompanionPathChars, params,
                       kCompanionPathChars);
    EXPECT_STREQ(L"\\Program Files\\Kivo\\pims.exe", file);
    EXPECT_STREQ(L"-a", params);
    SplitCompanionPath(L"\\Kivo\\Browser.EXE", file, kCompanionPathChars, params, kCompanionPathChars);
    EXPECT_STREQ(L"\\Kivo\\Browser.EXE", file);
    EXPECT_STREQ(L"", params);
    // One character after ".exe" gives no parameters.
    SplitCompanionPath(L"\\Kivo\\book.exe ", file, kCompanionPathChars, params, kCompanionPathChars);
    EXPECT_STREQ(L"\\Kivo\\book.exe", file);
    EXPECT_STREQ(L"", params);
    SplitCompanionPath(L"\\Kivo\\channel.lnk /x", file, kCompanionPathChars, params, kCompanionPathChars);
    EXPECT_STREQ(L"\\Kivo\\channel.lnk /x", file);
    EXPECT_STREQ(L"", params);
    // Small buffers are filled and terminated, never overrun.
    wchar_t small[8];
    wchar_t smallParams[4];
    small[7] = smallParams[3] = L'#';
    SplitCompanionPath(L"\\Kivo\\games.exe --level 3", small, 8, smallParams, 4);
    EXPECT_STREQ(L"\\Kivo\\g", small);
    EXPECT_STREQ(L"--l", smallParams);
}

TEST(Companions, NamesAndNotices)
{
    EXPECT_STREQ(L"Kivo PIMS", CompanionName(0));
    EXPECT_STREQ(L"Kivo Channel", CompanionName(4));
    EXPECT_EQ(nullptr, CompanionName(5));
    EXPECT_EQ(nullptr, CompanionName(-1));
    EXPECT_STREQ(L"Kivo Channel이\r\n설치되어 있지 않습니다.", CompanionMissingText(4));
    EXPECT_STREQ(L"Kivo e-Book Reader가\r\n설치되어 있지 않습니다.", CompanionMissingText(3));
    EXPECT_FALSE(LaunchCompanion(L""));
    EXPECT_FALSE(LaunchCompanion(nullptr));
}

// Registry values under this test's own key of the current user.
class RegistryValues : public testing::Test {
protected:
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Apps\\Norvale Zentrika");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Veltana");
    }
    static void Put(const wchar_t* key, const void* bytes, DWORD size, DWORD type = REG_SZ)
    {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
        RegSetValueExW(k, L"InstallDir", 0, type, static_cast<const BYTE*>(bytes), size);
        RegCloseKey(k);
    }
};

TEST_F(RegistryValues, TheInstallationFolderFitsIn128BytesOrStaysEmpty)
{
    const wchar_t* key = L"SOFTWARE\\Apps\\Norvale Zentrika";
    wchar_t out[MAX_PATH] = L"x";
    EXPECT_FALSE(ReadInstallDir(out, MAX_PATH, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"", out);
    Put(key, L"C:\\Zentrika", sizeof L"C:\\Zentrika");
    EXPECT_TRUE(ReadInstallDir(out, MAX_PATH, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"C:\\Zentrika", out);
    // Without a terminator in the value.
    Put(key, L"C:\\Zen", 6 * sizeof(wchar_t));
    EXPECT_TRUE(ReadInstallDir(out, MAX_PATH, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"C:\\Zen", out);
    // 63 characters and the terminator fill the 128 bytes; one more does not fit.
    const std::wstring fits = L"C:\\" + std::wstring(60, L'f');
    Put(key, fits.c_str(), static_cast<DWORD>((fits.size() + 1) * sizeof(wchar_t)));
    EXPECT_TRUE(ReadInstallDir(out, MAX_PATH, HKEY_CURRENT_USER));
    EXPECT_EQ(fits, out);
    const std::wstring tooLong = L"C:\\" + std::wstring(120, L'l');
    Put(key, tooLong.c_str(), static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
    EXPECT_FALSE(ReadInstallDir(out, MAX_PATH, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"", out);
    // A number is no folder; a small buffer takes no cut folder.
    const DWORD number = 7;
    Put(key, &number, sizeof number, REG_DWORD);
    EXPECT_FALSE(ReadInstallDir(out, MAX_PATH, HKEY_CURRENT_USER));
    Put(key, L"C:\\Zentrika", sizeof L"C:\\Zentrika");
    wchar_t small[5] = L"????";
    EXPECT_FALSE(ReadInstallDir(small, 5, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"", small);
}

TEST_F(RegistryValues, ACompanionPathOf260CharactersCountsAsNotInstalled)
{
    const wchar_t* key = L"SOFTWARE\\Veltana\\Apps\\Kivo Browser";
    wchar_t out[kCompanionPathChars];
    EXPECT_FALSE(ReadCompanionPath(1, out, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"", out);
    Put(key, L"\\Kivo\\browser.exe -home", sizeof L"\\Kivo\\browser.exe -home");
    EXPECT_TRUE(ReadCompanionPath(1, out, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"\\Kivo\\browser.exe -home", out);
    EXPECT_FALSE(ReadCompanionPath(0, out, HKEY_CURRENT_USER));  // another slot
    EXPECT_FALSE(ReadCompanionPath(7, out, HKEY_CURRENT_USER));

    // 259 characters fit with the terminator; 260 do not, with or without one.
    const std::wstring longest = L"\\" + std::wstring(254, L'p') + L".exe";
    ASSERT_EQ(259u, longest.size());
    Put(key, longest.c_str(), static_cast<DWORD>((longest.size() + 1) * sizeof(wchar_t)));
    EXPECT_TRUE(ReadCompanionPath(1, out, HKEY_CURRENT_USER));
    EXPECT_EQ(longest, out);
    const std::wstring full = longest + L"x";
    Put(key, full.c_str(), static_cast<DWORD>((full.size() + 1) * sizeof(wchar_t)));
    EXPECT_FALSE(ReadCompanionPath(1, out, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"", out);
    Put(key, full.c_str(), static_cast<DWORD>(full.size() * sizeof(wchar_t)));
    EXPECT_FALSE(ReadCompanionPath(1, out, HKEY_CURRENT_USER));
    const std::wstring huge(2000, L'h');
    Put(key, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
    EXPECT_FALSE(ReadCompanionPath(1, out, HKEY_CURRENT_USER));
    EXPECT_STREQ(L"", out);
}

}  // namespace
