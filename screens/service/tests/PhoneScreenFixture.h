#pragma once
// The real main window on a private object store with the built skins, for
// service screens shown as its views.
#include <gtest/gtest.h>

#include "CeDbTestUtil.h"
#include "ScreenParent.h"
#include "TestSkins.h"
#include "phone/CCeMWndPhone.h"

class QuietPhone : public CCeMWndPhone {
public:
    using CCeMWndPhone::CCeMWndPhone;

protected:
    void ShowLockedNotice() override {}
    void ShowLowBatteryNotice() override {}
    bool SetHandheldTime(const SYSTEMTIME&) override { return true; }
};

class PhoneScreenTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(testskins::CopySkin(L"default", L"default")); }

    void SetUp() override
    {
        data.SetInstallDir(testskins::kInstall);
        data.m_EnvDB.Load();
    }
    void TearDown() override { phone.Destroy(); }

    // Creates the phone with `Screen` made for the views of `view`'s screen.
    template <typename Screen>
    void CreatePhoneWith(int view)
    {
        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        uitest::Activate(phone.GetHwnd());
        phone.SetScreenMaker(view, {[this, view](HWND parent, const CCeMPlacement& pl, int page) -> CCeMWnd* {
                                        auto* s = new Screen(data);
                                        s->CreateScreen(parent, pl, view, page);
                                        return s;
                                    },
                                    [](CCeMWnd* s, int page) { static_cast<Screen*>(s)->SelectTab(page); }});
        zentest::PumpMessages(50);
    }
    SettingsBlock OnDisk()
    {
        SettingsBlock block{};
        CCeEnvDB env(block, testskins::kInstall);
        EXPECT_EQ(1, env.Load());
        return block;
    }

    cedbtest::ScopedStore store{L"servicephone"};
    CCeDataManager data;
    QuietPhone phone{data};
};
