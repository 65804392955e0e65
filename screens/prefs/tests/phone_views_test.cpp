// The preference screens as views of the main window, with the link open on
// the simulated module: a slot assigned with the pen on the speed-dial screen
// is what holding its digit on the dial pad dials; a skin chosen on the skin
// screen is the dial pad's at once; a caller stored with the add-to-contacts
// dialog is named on the next call.
#include <gtest/gtest.h>
#include <windows.h>

#include <sipapi.h>

#include <string>
#include <vector>

#include "CCeMDlgAddContact.h"
#include "CCeMWndSkin.h"
#include "CCeMWndSpeedDial.h"
#include "CCeMWndUserBell.h"
#include "CCeMWndVolume.h"
#include "PrefsScreens.h"
#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "ModuleCard.h"
#include "ModuleCommands.h"
#include "Screenshot.h"
#include "TestSkins.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMWndPhone.h"
#include "phone/SystemVolume.h"
#include "resources/prefs_res.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMWndMap.h"

namespace {

class QuietPhone : public CCeMWndPhone {
public:
    using CCeMWndPhone::CCeMWndPhone;

protected:
    bool SetHandheldTime(const SYSTEMTIME&) override { return true; }
    void ShowLowBatteryNotice() override {}
    void ShowLockedNotice() override {}
};

// Client point of the pad at the centre of a key in a layout.
POINT KeyCentre(const CCeMMultiButton& pad, bool type40, int key)
{
    const MultiButtonCellDef* cells = DialPadLayout(type40);
    for (int i = 0; i < kDialPadKeys; ++i)
        if (cells[i].id == key) {
            POINT p = {cells[i].left + cells[i].width / 2, cells[i].top + cells[i].height / 2};
            ClientToScreen(pad.GetHwnd(), &p);
            return p;
        }
    return {};
}

class PhoneViewsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
        ASSERT_TRUE(testskins::CopySkin(L"default", L"default"));
        ASSERT_TRUE(testskins::CopySkin(L"type40", L"type40"));
    }
    static void TearDownTestSuite() { CeDevMgrStopInProcess(); }

    void SetUp() override
    {
        contacttest::CreateDatabases();
        g_pDataManager = &data;  // as the start-up code publishes it
        data.SetInstallDir(testskins::kInstall);
        data.m_EnvDB.Load();
        data.m_Settings.nBellSource = 1;
        data.m_Settings.bKeypadTone = 0;
        data.m_Settings.bAutoAreaCode = 0;
        ASSERT_TRUE(card.Insert()) << GetLastError();

        phone.SetScreenMaker(VIEW_SPEEDDIAL, {[](HWND parent, const CCeMPlacement& pl, int) {
                                                  return MakeSpeedDialScreen(parent, pl);
                                              },
                                              nullptr});
        phone.SetScreenMaker(VIEW_VOLUME, {[](HWND parent, const CCeMPlacement& pl, int) {
                                               return MakeVolumeScreen(TheSystemVolume(), parent, pl);
                                           },
                                           nullptr});
        phone.SetScreenMaker(VIEW_USERBELL, {[](HWND parent, const CCeMPlacement& pl, int) {
                                                 return MakeUserBellScreen(parent, pl);
                                             },
                                             nullptr});
        phone.SetScreenMaker(VIEW_SKIN, {[](HWND parent, const CCeMPlacement& pl, int) {
                                             return MakeSkinScreen(parent, pl);
                                         },
                                         nullptr});
        ASSERT_EQ(1, phone.CreatePhone(GetModuleHandleW(nullptr)));
        ASSERT_NE(0, data.m_ContactsDB.OpenDefault(phone.GetHwnd()));
        data.m_Modem.SetSettleDelay(50);
        ASSERT_EQ(0, phone.Calls().ResetCall(phone.GetHwnd()));
        ASSERT_TRUE(zentest::WaitUntil(
            [&] { return data.m_Modem.LinkState == LINK_READY && data.m_Modem.Ready && !data.m_Modem.QueuedCount(); },
            5000));
        zentest::PumpMessages(200);
        uitest::Activate(phone.GetHwnd());
    }
    void TearDown() override
    {
        data.m_Modem.Close();
        phone.Destroy();
        data.m_ContactsDB.Close();
        g_pDataManager = nullptr;
    }

    CCeMWndSpeedDial* Screen() { return dynamic_cast<CCeMWndSpeedDial*>(phone.CurrentScreen()); }
    CCeMWndSkin* SkinScreen() { return dynamic_cast<CCeMWndSkin*>(phone.CurrentScreen()); }
    void TapAt(HWND hwnd, int x, int y)
    {
        uitest::Tap(uitest::ScreenPoint(hwnd, x, y));
        zentest::PumpMessages(80);
    }
    // Assigns a slot shown on the first page with the pen and the keys.
    void Assign(int slot, const wchar_t* name, const char* digits)
    {
        CCeMSpeedDialList& list = Screen()->List();
        TapAt(list.GetHwnd(), 60, 20 + slot * 16 + 8);
        TapAt(Screen()->GetHwnd(), 182, 13);  // assign
        ASSERT_TRUE(list.IsEditing());
        SetWindowTextW(list.FieldWindow(CCeMSpeedDialList::kNameField), name);
        TapAt(list.GetHwnd(), 140, 69);
        for (const char* p = digits; *p; ++p)
            uitest::Key(static_cast<WORD>(*p));
        zentest::PumpMessages(100);
        TapAt(list.GetHwnd(), 122, 93);  // OK
        ASSERT_FALSE(list.IsEditing());
    }
    void Hold(int key)
    {
        const POINT p = testskins::KeyCentre(phone.DialPad(), key);
        uitest::PenMove(p);
        uitest::PenDown(p);
        uitest::PenUp(p);
    }
    std::vector<std::string> Sent(const std::string& prefix) { return modulecmd::Sent(card, prefix); }

    cedbtest::ScopedStore store{L"speeddialphone"};
    ModuleCard card;
    CCeDataManager data;
    QuietPhone phone{data};
};

TEST_F(PhoneViewsTest, HoldingADigitDialsTheSlotAssignedOnTheScreen)
{
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40036, 0);  // the menu bar's speed-dial button
    ASSERT_EQ(VIEW_SPEEDDIAL, phone.CurrentView());
    ASSERT_NE(nullptr, Screen());
    Assign(7, L"홍길동", "0167778888");
    zentest::PumpMessages(100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"phone-speeddial");

    TapAt(Screen()->GetHwnd(), 226, 13);  // close
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_DIALPAD; }, 2000));
    EXPECT_EQ(nullptr, phone.CurrentScreen());

    Hold(7);
    ASSERT_TRUE(modulecmd::WaitSent(card, "AT$ORI"));
    EXPECT_EQ(std::vector<std::string>{"AT$ORI0167778888"}, Sent("AT$ORI"));
}

TEST_F(PhoneViewsTest, AChosenSkinIsTheDialPadsAtOnce)
{
    const zentest::Image before = zentest::CaptureWindow(phone.DialPad().GetHwnd());
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40020, 0);  // the menu's skin choice
    ASSERT_EQ(VIEW_SKIN, phone.CurrentView());
    ASSERT_NE(nullptr, SkinScreen());
    HWND list = SkinScreen()->FolderList();
    const LRESULT index =
        SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"type40"));
    ASSERT_NE(LB_ERR, index);
    RECT item;
    SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    TapAt(list, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
    EXPECT_STREQ(L"type40", data.m_Settings.szSkinName);
    zentest::PumpMessages(150);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"phone-skin");

    TapAt(SkinScreen()->GetHwnd(), 226, 13);  // close
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_DIALPAD; }, 2000));
    zentest::PumpMessages(150);
    const zentest::Image after = zentest::CaptureWindow(phone.DialPad().GetHwnd());
    ASSERT_EQ(before.width, after.width);
    EXPECT_GT(zentest::DifferentShare(before, after, {0, 0, after.width, after.height}), 0.2);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"phone-type40");

    // Key 5 of the second layout lies where the first has key 2.
    uitest::Tap(KeyCentre(phone.DialPad(), true, 5));
    uitest::Tap(KeyCentre(phone.DialPad(), true, 1));
    zentest::PumpMessages(150);
    EXPECT_STREQ(L"51", phone.Lcd().NumberText());
    uitest::Tap(KeyCentre(phone.DialPad(), true, CCeMCallControl::KEY_SEND));
    ASSERT_TRUE(modulecmd::WaitSent(card, "AT$ORI"));
    EXPECT_EQ(std::vector<std::string>{"AT$ORI51"}, Sent("AT$ORI"));
}

TEST_F(PhoneViewsTest, TheVolumeViewAppliesToTheModuleAndCloses)
{
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40021, 0);  // the menu bar's volume button
    ASSERT_EQ(VIEW_VOLUME, phone.CurrentView());
    auto* screen = dynamic_cast<CCeMWndVolume*>(phone.CurrentScreen());
    ASSERT_NE(nullptr, screen);
    EXPECT_EQ(phone.CurrentScreen()->GetHwnd(), GetDlgItem(phone.GetHwnd(), VIEW_VOLUME));
    const int call = screen->SliderPos(CCeMWndVolume::kCallSlider);
    SetFocus(screen->Slider(CCeMWndVolume::kCallSlider));
    uitest::Key(call < CCeMWndVolume::kModuleSteps ? VK_RIGHT : VK_LEFT);
    zentest::PumpMessages(100);
    const int moved = screen->SliderPos(CCeMWndVolume::kCallSlider);
    ASSERT_NE(call, moved);
    TapAt(screen->GetHwnd(), 204, 13);  // apply
    ASSERT_TRUE(modulecmd::WaitSent(card, "AT$VOL="));
    EXPECT_EQ(std::vector<std::string>{"AT$VOL=" + std::to_string(moved)}, Sent("AT$VOL="));
    TapAt(screen->GetHwnd(), 226, 13);  // close
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_DIALPAD; }, 2000));
}

TEST_F(PhoneViewsTest, TheUserBellViewOpensAndCloses)
{
    SendMessageW(phone.GetHwnd(), WM_COMMAND, 40038, 0);  // the menu bar's ring-tone button
    ASSERT_EQ(VIEW_USERBELL, phone.CurrentView());
    auto* screen = dynamic_cast<CCeMWndUserBell*>(phone.CurrentScreen());
    ASSERT_NE(nullptr, screen);
    EXPECT_TRUE(IsWindowVisible(screen->PersonList().GetHwnd()));
    TapAt(screen->GetHwnd(), 226, 13);  // close
    ASSERT_TRUE(zentest::WaitUntil([&] { return phone.CurrentView() == VIEW_DIALPAD; }, 2000));
    EXPECT_EQ(nullptr, phone.CurrentScreen());
}

TEST_F(PhoneViewsTest, ACallerSavedWithTheAddDialogIsShownByNameOnTheNextCall)
{
    // The dialog is filled and confirmed with the pen while it runs; its
    // "saved" box is answered too.
    bool filled = false;
    uitest::WhileModal(100, [&] {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            if (!IsWindowVisible(w) || !GetClassNameW(w, cls, 16) || wcscmp(cls, L"#32770") != 0)
                continue;
            if (dynamic_cast<CCeMMsgBox*>(CCeMToolkit::Map().Lookup(w))) {
                PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                return true;
            }
            if (!filled && GetDlgItem(w, IDC_GIVEN_NAME)) {
                filled = true;
                SetDlgItemTextW(w, IDC_FAMILY_NAME, L"김");
                SetDlgItemTextW(w, IDC_GIVEN_NAME, L"철수");
                SipShowIM(SIPF_OFF);
                RECT rc;
                GetWindowRect(GetDlgItem(w, IDOK), &rc);
                uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
                return true;
            }
        }
        return true;
    });
    CCeMDlgAddContact dialog;
    const INT_PTR saved = dialog.Show(L"0162223333", phone.GetHwnd());
    uitest::StopModalSteps();
    ASSERT_EQ(1, saved);

    card.Module().Ring("0162223333");
    ASSERT_TRUE(zentest::WaitUntil([&] { return data.m_Call.nLastState == CALL_RINGING; }, 4000));
    ASSERT_TRUE(zentest::WaitUntil([&] { return wcscmp(phone.Lcd().NumberText(), L"김철수") == 0; }, 4000))
        << phone.Lcd().NumberText();
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"phone-saved-caller");
}

}  // namespace
