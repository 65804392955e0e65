// The password change screen and the password rules, on real windows under
// pen input, with the settings on a private object store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ScreenParent.h"
#include "screens/service/CCeMWndPassChange.h"
#include "screens/service/PasswordEntry.h"
#include "stores/CCeDataManager.h"

namespace {

using servicetest::TypeKeys;

// Records its notices instead of showing a box.
class TestPassChange : public CCeMWndPassChange {
public:
    using CCeMWndPassChange::CCeMWndPassChange;
    std::vector<std::wstring> shown;

protected:
    void ShowNotice(LPCWSTR text, LPCWSTR caption) override { shown.push_back(std::wstring(caption) + L"|" + text); }
};

TEST(PasswordRules, OnlyFourDigitsArePasswordsAndADamagedStoreFallsBackToTheDefault)
{
    EXPECT_TRUE(IsPasswordText(L"0000"));
    EXPECT_TRUE(IsPasswordText(L"7294"));
    for (const wchar_t* bad : {L"", L"123", L"12345", L"12a4", L"١٢٣٤", L"12 4"})
        EXPECT_FALSE(IsPasswordText(bad)) << bad;
    EXPECT_FALSE(IsPasswordText(nullptr));

    SettingsBlock s{};
    wcscpy(s.szLockCode, L"4321");
    EXPECT_STREQ(L"4321", StoredPassword(s));
    wcscpy(s.szLockCode, L"43x1");
    EXPECT_STREQ(L"7294", StoredPassword(s));
    // No terminator anywhere in the field: still read only within it.
    for (wchar_t& c : s.szLockCode)
        c = L'1';
    EXPECT_STREQ(L"7294", StoredPassword(s));

    PasswordEntry e;
    EXPECT_FALSE(e.Add(10));
    EXPECT_FALSE(e.Add(-1));
    for (int d : {1, 2, 3, 4})
        EXPECT_TRUE(e.Add(d));
    EXPECT_FALSE(e.Add(5));  // a fifth digit is not typed
    EXPECT_STREQ(L"1234", e.Text());
    EXPECT_TRUE(e.Matches(L"1234"));
    e.Clear();
    e.Add(1);
    EXPECT_FALSE(e.Matches(L"1"));  // only a complete entry matches
}

class PassChangeTest : public testing::Test {
protected:
    void SetUp() override
    {
        data.SetInstallDir(L"C:\\no-such-folder");
        ASSERT_EQ(0, data.m_EnvDB.Load());  // a new record
        ASSERT_TRUE(parent.Make());
        ASSERT_EQ(1, screen.CreateScreen(parent.GetHwnd(), ScreenParent::kView, ScreenParent::kScreenId, 0));
        zentest::PumpMessages(60);
    }
    void TearDown() override
    {
        screen.Destroy();
        parent.Destroy();
    }
    // The password as stored, read back by a second settings store.
    std::wstring StoredOnDisk()
    {
        SettingsBlock block{};
        CCeEnvDB env(block, L"C:\\no-such-folder");
        EXPECT_EQ(1, env.Load());
        return block.szLockCode;
    }

    cedbtest::ScopedStore store{L"passchange"};
    CCeDataManager data;
    ScreenParent parent;
    TestPassChange screen{data};
};

TEST_F(PassChangeTest, ANewRecordsPasswordLeadsThroughTheThreeSteps)
{
    EXPECT_STREQ(L"7294", data.m_Settings.szLockCode);
    EXPECT_STREQ(L"현재 비밀번호를 입력하십시오.", screen.Prompt());
    servicetest::Snap(screen.GetHwnd(), L"service_password_step0");

    // A wrong current password keeps step 0 and says so.
    TypeKeys(screen.Keypad(), "1111K");
    EXPECT_EQ(CCeMWndPassChange::STEP_CURRENT, screen.StepNow());
    EXPECT_STREQ(L"비밀번호가 잘못됐습니다.", screen.Prompt());
    servicetest::Snap(screen.GetHwnd(), L"service_password_wrong");

    // Clear wipes a half-typed entry; then the right password.
    TypeKeys(screen.Keypad(), "72C");
    EXPECT_EQ(0, screen.Field().Length());
    TypeKeys(screen.Keypad(), "72945K");  // the fifth digit is not taken
    ASSERT_EQ(CCeMWndPassChange::STEP_NEW, screen.StepNow());
    EXPECT_FALSE(screen.HasError());
    EXPECT_STREQ(L"새 비밀번호를 입력하십시오.", screen.Prompt());

    // Three digits are no new password.
    TypeKeys(screen.Keypad(), "135K");
    EXPECT_EQ(CCeMWndPassChange::STEP_NEW, screen.StepNow());
    TypeKeys(screen.Keypad(), "7K");
    ASSERT_EQ(CCeMWndPassChange::STEP_REPEAT, screen.StepNow());
    EXPECT_STREQ(L"다시 입력해 주십시오.", screen.Prompt());
    servicetest::Snap(screen.GetHwnd(), L"service_password_step2");

    // A different repetition keeps step 2 with the error, and changes nothing.
    TypeKeys(screen.Keypad(), "1358K");
    EXPECT_EQ(CCeMWndPassChange::STEP_REPEAT, screen.StepNow());
    EXPECT_TRUE(screen.HasError());
    EXPECT_STREQ(L"7294", data.m_Settings.szLockCode);
    EXPECT_TRUE(screen.shown.empty());
    EXPECT_EQ(0, parent.closeRequests);

    TypeKeys(screen.Keypad(), "1357K");
    zentest::PumpMessages(60);
    EXPECT_STREQ(L"1357", data.m_Settings.szLockCode);
    EXPECT_EQ(L"1357", StoredOnDisk());
    ASSERT_EQ(1u, screen.shown.size());
    EXPECT_EQ(L"알림|암호가 변경되었습니다.", screen.shown[0]);
    EXPECT_EQ(1, parent.closeRequests);
}

TEST_F(PassChangeTest, KeysOutsideTheKeypadAndALetterPasswordNeverMatch)
{
    // Codes no key carries type nothing.
    for (int code : {12, int('A'), -1, 65535})
        screen.OnKey(code);
    EXPECT_EQ(0, screen.Field().Length());

    // A damaged stored password with a letter: the letters can never be
    // typed, so the default opens instead of locking the user out.
    wcscpy(data.m_Settings.szLockCode, L"72a4");
    TypeKeys(screen.Keypad(), "7204K");
    EXPECT_EQ(CCeMWndPassChange::STEP_CURRENT, screen.StepNow());
    TypeKeys(screen.Keypad(), "7294K");
    EXPECT_EQ(CCeMWndPassChange::STEP_NEW, screen.StepNow());
}

TEST_F(PassChangeTest, TheCloseButtonAsksTheParent)
{
    servicetest::TapControl(screen.GetHwnd(), CCeMTabScreen::kCloseId);
    EXPECT_EQ(1, parent.closeRequests);
}

}  // namespace
