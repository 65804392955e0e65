// The lock screen against call control and the simulated module: the
// password gate, and the lock and restrictions set through the screen
// taking effect on dialling and ringing.
#include <gtest/gtest.h>

#include "CallFixture.h"
#include "ScreenParent.h"
#include "screens/service/CCeMWndLock.h"

namespace {

using servicetest::Shown;
using servicetest::TapControl;
using servicetest::TypeKeys;

const UINT kAllControls[] = {CCeMWndLock::kLockOn, CCeMWndLock::kLockOff, CCeMWndLock::kBarOutgoing,
                             CCeMWndLock::kBarIncoming, CCeMWndLock::kBarInternational, CCeMWndLock::kPrivacy};

class LockTest : public CallTest {
protected:
    void SetUp() override
    {
        CallTest::SetUp();
        ASSERT_TRUE(parent.Make());
    }
    void TearDown() override
    {
        screen.Destroy();
        parent.Destroy();
        CallTest::TearDown();
    }
    void Open(int page)
    {
        ASSERT_EQ(1, screen.CreateScreen(parent.GetHwnd(), ScreenParent::kView, ScreenParent::kScreenId, page));
        zentest::PumpMessages(60);
    }
    int ShownControls()
    {
        int n = 0;
        for (UINT id : kAllControls)
            n += Shown(screen.GetHwnd(), id) ? 1 : 0;
        return n;
    }
    // The settings as stored, read back by a second settings store.
    SettingsBlock OnDisk()
    {
        SettingsBlock block{};
        CCeEnvDB env(block, L"C:\\no-such-folder");
        EXPECT_EQ(1, env.Load());
        return block;
    }
    RECT KeypadPlace()
    {
        RECT rc{};
        GetWindowRect(screen.Keypad().GetHwnd(), &rc);
        MapWindowPoints(nullptr, screen.GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    ScreenParent parent;
    CCeMWndLock screen{data};
};

TEST_F(LockTest, ThreeDigitsOrAWrongPasswordKeepTheControlsShut)
{
    Open(0);
    EXPECT_STREQ(L"7294", data.m_Settings.szLockCode);  // a new record's password
    const RECT home = KeypadPlace();
    servicetest::Snap(screen.GetHwnd(), L"service_lock_keypad");

    TypeKeys(screen.Keypad(), "729");
    EXPECT_EQ(3, screen.Typed().Length());
    EXPECT_FALSE(screen.IsAccepted());
    EXPECT_EQ(0, ShownControls());

    TypeKeys(screen.Keypad(), "5");
    EXPECT_FALSE(screen.IsAccepted());
    EXPECT_EQ(0, screen.Typed().Length());  // cleared for another try
    EXPECT_EQ(0, ShownControls());
    ASSERT_TRUE(IsWindow(screen.Keypad().GetHwnd()));
    const RECT after = KeypadPlace();
    EXPECT_EQ(home.left, after.left);  // back in place after shaking
    EXPECT_EQ(home.top, after.top);

    // The restriction page behind the gate is just as shut.

    servicetest::TapAt(screen.GetHwnd(), 49, 83);
    EXPECT_EQ(1, screen.CurrentTab());
    EXPECT_EQ(0, ShownControls());
    EXPECT_EQ(0, data.m_Settings.bPhoneLocked);
    EXPECT_TRUE(parent.notices.empty());
}

TEST_F(LockTest, LockingThroughTheScreenRefusesTheDialAndHidesTheCaller)
{
    Open(0);
    TypeKeys(screen.Keypad(), "7294");
    ASSERT_TRUE(screen.IsAccepted());
    EXPECT_EQ(nullptr, screen.Keypad().GetHwnd());  // the keypad is gone
    EXPECT_TRUE(Shown(screen.GetHwnd(), CCeMWndLock::kLockOn));
    EXPECT_TRUE(Shown(screen.GetHwnd(), CCeMWndLock::kLockOff));
    EXPECT_EQ(2, ShownControls());
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(screen.GetHwnd(), CCeMWndLock::kLockOff));

    TapControl(screen.GetHwnd(), CCeMWndLock::kLockOn);
    EXPECT_EQ(1, data.m_Settings.bPhoneLocked);
    EXPECT_EQ(1, OnDisk().bPhoneLocked);
    EXPECT_EQ(std::vector<int>{CCeMWndLock::kNotifyLock}, parent.notices);
    servicetest::Snap(screen.GetHwnd(), L"service_lock_page0");

    EXPECT_EQ(-1, calls.Dial(L"0101234567"));
    EXPECT_EQ(L"*** 휴대폰이 잠김 ***", Message());
    zentest::PumpMessages(300);
    EXPECT_TRUE(Sent("AT$ORI").empty());

    // Unlocked again, the same number goes out.
    TapControl(screen.GetHwnd(), CCeMWndLock::kLockOff);
    EXPECT_EQ(0, data.m_Settings.bPhoneLocked);
    EXPECT_EQ(0, OnDisk().bPhoneLocked);
    EXPECT_EQ(0, calls.Dial(L"0101234567"));
    ASSERT_TRUE(WaitSent("AT$ORI"));
    calls.InCallKey(CCeMCallControl::KEY_END, 1);
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));

    // Locked: a known caller rings without the name.
    TapControl(screen.GetHwnd(), CCeMWndLock::kLockOn);
    ASSERT_EQ(1, data.m_Settings.bPhoneLocked);
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_EQ(L"폰이 잠겨 있습니다.", Number());
}

TEST_F(LockTest, RestrictionsSetOnTheSecondPageBarTheDials)
{
    Open(1);
    EXPECT_EQ(1, screen.CurrentTab());
    EXPECT_EQ(0, ShownControls());
    TypeKeys(screen.Keypad(), "7294");
    ASSERT_TRUE(screen.IsAccepted());
    EXPECT_EQ(4, ShownControls());
    EXPECT_FALSE(Shown(screen.GetHwnd(), CCeMWndLock::kLockOn));

    TapControl(screen.GetHwnd(), CCeMWndLock::kBarOutgoing);
    EXPECT_EQ(1, data.m_Settings.bBarOutgoing);
    EXPECT_EQ(-1, calls.Dial(L"0101234567"));
    EXPECT_EQ(L"*** 발신 금지 ***", Message());

    TapControl(screen.GetHwnd(), CCeMWndLock::kBarInternational);
    TapControl(screen.GetHwnd(), CCeMWndLock::kPrivacy);
    TapControl(screen.GetHwnd(), CCeMWndLock::kBarOutgoing);  // off again
    servicetest::Snap(screen.GetHwnd(), L"service_lock_page1");
    EXPECT_EQ(0, data.m_Settings.bBarOutgoing);
    EXPECT_EQ(-1, calls.Dial(L"00821012345678"));
    EXPECT_EQ(L"*** 국제 전화 발신 금지 ***", Message());
    const SettingsBlock disk = OnDisk();
    EXPECT_EQ(0, disk.bBarOutgoing);
    EXPECT_EQ(0, disk.bBarIncoming);
    EXPECT_EQ(1, disk.bBarInternational);
    EXPECT_EQ(1, disk.bPrivacy);
    zentest::PumpMessages(200);
    EXPECT_TRUE(Sent("AT$ORI").empty());

    // Back on the lock page after acceptance: its radios, not the boxes.
    servicetest::TapAt(screen.GetHwnd(), 49, 44);
    EXPECT_EQ(0, screen.CurrentTab());
    EXPECT_EQ(2, ShownControls());
    EXPECT_TRUE(parent.notices.empty());  // only the lock itself is told
}

}  // namespace
