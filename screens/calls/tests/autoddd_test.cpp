// The automatic area code screen on a real window: the region list, typed
// codes, on and off, what is stored, and codes that are refused.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CCeMWndAutoDDD.h"
#include "CallsTestHost.h"
#include "UiInput.h"
#include "WinTest.h"

namespace {

class AutoDDDScreen : public testing::Test {
protected:
    void Open()
    {
        screen = std::make_unique<CCeMWndAutoDDD>(d.data);
        ASSERT_TRUE(screen->CreateScreen(host.Hwnd(), callstest::Host::ViewPlacement(), 12));
        zentest::PumpMessages(100);
    }
    HWND Item(int id) const { return GetDlgItem(screen->GetHwnd(), id); }
    std::wstring Entry() const
    {
        wchar_t t[80] = {};
        GetWindowTextW(Item(CCeMWndAutoDDD::kCodeId), t, 80);
        return t;
    }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    bool ShowsOn() const { return Checked(CCeMWndAutoDDD::kOnId) && !Checked(CCeMWndAutoDDD::kOffId); }
    bool ShowsOff() const { return !Checked(CCeMWndAutoDDD::kOnId) && Checked(CCeMWndAutoDDD::kOffId); }
    SettingsBlock Stored()
    {
        SettingsBlock b{};
        CCeEnvDB env(b, L"");
        EXPECT_EQ(1, env.Load());
        return b;
    }
    void TapOn() { callstest::TapAt(screen->GetHwnd(), 105, 112); }
    void TapOff() { callstest::TapAt(screen->GetHwnd(), 155, 112); }
    // Opens the drop-down with the pen and taps the item.
    void PickRegion(int item)
    {
        callstest::TapAt(screen->GetHwnd(), 150, 50);
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(GetComboBoxInfo(Item(CCeMWndAutoDDD::kRegionId), &info));
        ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(info.hwndList) != 0; }, 2000));
        SendMessageW(info.hwndList, LB_SETTOPINDEX, item, 0);
        RECT rc{};
        ASSERT_NE(LB_ERR, SendMessageW(info.hwndList, LB_GETITEMRECT, item, reinterpret_cast<LPARAM>(&rc)));
        callstest::TapAt(info.hwndList, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        zentest::PumpMessages(100);
    }
    // Puts the caret in the entry and clears it with the keyboard.
    void ClearEntry()
    {
        callstest::TapAt(screen->GetHwnd(), 190, 75);
        for (int i = 0; i < 30; ++i)
            uitest::Key(VK_BACK);
        for (int i = 0; i < 30; ++i)
            uitest::Key(VK_DELETE);
        zentest::PumpMessages(100);
    }
    void Type(const char* digits)
    {
        for (const char* p = digits; *p; ++p)
            uitest::Key(static_cast<WORD>(*p));
        zentest::PumpMessages(100);
    }
    void Paste(const wchar_t* text)
    {
        ASSERT_TRUE(OpenClipboard(host.Hwnd()));
        EmptyClipboard();
        const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(mem), text, bytes);
        GlobalUnlock(mem);
        SetClipboardData(CF_UNICODETEXT, mem);
        CloseClipboard();
        uitest::KeyDown(VK_CONTROL);
        uitest::Key('V');
        uitest::KeyUp(VK_CONTROL);
        zentest::PumpMessages(150);
    }

    callstest::Data d{L"autoddd"};
    callstest::Host host;
    std::unique_ptr<CCeMWndAutoDDD> screen;
};

TEST_F(AutoDDDScreen, OpensWithTheStoredCodeAndTheRegionsInTableOrder)
{
    d.data.m_Settings.bAutoAreaCode = 1;
    wcscpy(d.data.m_Settings.szAreaCode, L"031");
    Open();
    EXPECT_EQ(L"031", Entry());
    EXPECT_TRUE(ShowsOn());
    HWND list = Item(CCeMWndAutoDDD::kRegionId);
    EXPECT_EQ(0, SendMessageW(list, CB_GETCURSEL, 0, 0));
    ASSERT_EQ(19, SendMessageW(list, CB_GETCOUNT, 0, 0));
    wchar_t text[40];
    SendMessageW(list, CB_GETLBTEXT, 8, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"부산 - 051", text);
    SendMessageW(list, CB_GETLBTEXT, 18, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"국제 - 002", text);
    const zentest::Image img = callstest::Shot(screen->GetHwnd(), L"autoddd");
    EXPECT_TRUE(callstest::ShowsText(img, {30, 42, 99, 63}, L"지역 번호", RGB(0, 0, 0),
                                     DT_LEFT | DT_VCENTER | DT_SINGLELINE));
    EXPECT_GT(callstest::Ink(img, {18, 34, 215, 131}, RGB(2, 85, 220), 10), 300);  // the frame

    d.data.m_Settings.bAutoAreaCode = 0;
    screen.reset();
    Open();
    EXPECT_TRUE(ShowsOff());
}

TEST_F(AutoDDDScreen, PickingARegionTurnsTheFeatureOnWithItsCode)
{
    Open();
    EXPECT_TRUE(ShowsOff());
    PickRegion(8);
    EXPECT_EQ(L"051", Entry());
    EXPECT_TRUE(ShowsOn());
    EXPECT_EQ(1, d.data.m_Settings.bAutoAreaCode);
    EXPECT_STREQ(L"051", d.data.m_Settings.szAreaCode);
    EXPECT_EQ(1, Stored().bAutoAreaCode);
    EXPECT_STREQ(L"051", Stored().szAreaCode);
    callstest::Shot(screen->GetHwnd(), L"autoddd_region");

    // Back to "사용자 정의": the stored code and switch are shown, nothing changes.
    PickRegion(0);
    EXPECT_EQ(L"051", Entry());
    EXPECT_TRUE(ShowsOn());
    EXPECT_EQ(1, Stored().bAutoAreaCode);
}

TEST_F(AutoDDDScreen, ClearingTurnsItOffAndTypingWhileOffKeepsItOff)
{
    d.data.m_Settings.bAutoAreaCode = 1;
    wcscpy(d.data.m_Settings.szAreaCode, L"02");
    Open();
    ClearEntry();
    EXPECT_EQ(L"", Entry());
    EXPECT_TRUE(ShowsOff());
    EXPECT_EQ(0, Stored().bAutoAreaCode);

    Type("063");
    EXPECT_STREQ(L"063", d.data.m_Settings.szAreaCode);
    EXPECT_STREQ(L"063", Stored().szAreaCode);
    EXPECT_EQ(0, Stored().bAutoAreaCode);
    EXPECT_TRUE(ShowsOff());

    TapOn();
    EXPECT_TRUE(ShowsOn());
    EXPECT_EQ(1, Stored().bAutoAreaCode);
    TapOff();
    EXPECT_TRUE(ShowsOff());
    EXPECT_EQ(0, Stored().bAutoAreaCode);
    EXPECT_STREQ(L"063", Stored().szAreaCode);
}

TEST_F(AutoDDDScreen, SwitchingOnWithAnEmptyEntryLeavesItOff)
{
    Open();
    ClearEntry();
    TapOn();
    EXPECT_TRUE(ShowsOff());
    EXPECT_EQ(0, d.data.m_Settings.bAutoAreaCode);
    EXPECT_EQ(0, Stored().bAutoAreaCode);
}

TEST_F(AutoDDDScreen, TenDigitsOrLettersAreNeverStoredNorSwitchedOn)
{
    d.data.m_Settings.bAutoAreaCode = 1;
    wcscpy(d.data.m_Settings.szAreaCode, L"02");
    ASSERT_TRUE(d.data.m_EnvDB.Save());
    Open();
    ClearEntry();
    Type("0123456789");
    EXPECT_EQ(L"0123456789", Entry());
    EXPECT_EQ(0, Stored().bAutoAreaCode);
    EXPECT_STREQ(L"012345678", Stored().szAreaCode);  // the last code that could be dialled
    std::wstring caption;
    callstest::AnswerNextBox(true, &caption);
    TapOn();
    EXPECT_EQ(L"알림", caption);
    EXPECT_TRUE(ShowsOff());
    EXPECT_EQ(0, Stored().bAutoAreaCode);
    TapOff();
    EXPECT_STREQ(L"012345678", Stored().szAreaCode);

    // Letters arrive only by pasting; the code stays the last good one.
    ClearEntry();
    Type("051");
    TapOn();
    ASSERT_EQ(1, Stored().bAutoAreaCode);
    ClearEntry();
    Paste(L"05a");
    EXPECT_EQ(L"05a", Entry());
    EXPECT_TRUE(ShowsOff());
    EXPECT_EQ(0, Stored().bAutoAreaCode);
    EXPECT_STREQ(L"051", Stored().szAreaCode);
    callstest::AnswerNextBox(true);
    TapOn();
    EXPECT_EQ(0, Stored().bAutoAreaCode);
    callstest::Shot(screen->GetHwnd(), L"autoddd_refused");
}

TEST_F(AutoDDDScreen, BackAsksToCloseAndSavesNothing)
{
    Open();
    callstest::TapAt(screen->GetHwnd(), 240 - 14, 13);
    const callstest::Sent* close = host.Last(WM_COMMAND);
    ASSERT_NE(nullptr, close);
    EXPECT_EQ(1000, HIWORD(close->wp));
    EXPECT_EQ(12, LOWORD(close->wp));
    SettingsBlock b{};
    CCeEnvDB env(b, L"");
    EXPECT_EQ(1, env.Load());  // the defaults written by the fixture's load, untouched
    EXPECT_EQ(0, b.bAutoAreaCode);
}

TEST(AreaCodeRule, DigitsOnlyOneToNine)
{
    EXPECT_TRUE(CCeMWndAutoDDD::IsValidCode(L"0"));
    EXPECT_TRUE(CCeMWndAutoDDD::IsValidCode(L"012345678"));
    EXPECT_FALSE(CCeMWndAutoDDD::IsValidCode(L"0123456789"));
    EXPECT_FALSE(CCeMWndAutoDDD::IsValidCode(L""));
    EXPECT_FALSE(CCeMWndAutoDDD::IsValidCode(L"0a"));
    EXPECT_FALSE(CCeMWndAutoDDD::IsValidCode(L"02 "));
    EXPECT_FALSE(CCeMWndAutoDDD::IsValidCode(L"*02"));
}

}  // namespace
