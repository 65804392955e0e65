// The number-assignment screen against the simulated module: the programming
// sequences on the wire in order inside the countdown, the number checks,
// the assignment radios and the engineering display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScreenLinkFixture.h"
#include "screens/service/CCeMWndNam.h"

namespace {

using servicetest::TapAt;
using servicetest::TapControl;

// Records refusals instead of showing a box.
class TestNam : public CCeMWndNam {
public:
    using CCeMWndNam::CCeMWndNam;
    std::vector<std::wstring> notices;

protected:
    void ShowNotice(LPCWSTR text, LPCWSTR caption) override { notices.push_back(std::wstring(caption) + L"|" + text); }
};

class NamTest : public ScreenLinkTest {
protected:
    void SetUp() override
    {
        ScreenLinkTest::SetUp();
        // As the phone core passes on these results.
        parent.onNam = [this](int ok) {
            if (ok)
                nam.ShowAssignment();
        };
        parent.onStatusInfo = [this](int) { nam.OnStatusInfo(); };
        nam.SetCountdownTickMs(150);
        card.Module().SetResetTime(400);  // well inside the hurried countdown
        ASSERT_EQ(1, nam.CreateScreen(parent.GetHwnd(), ScreenParent::kView, ScreenParent::kScreenId, 0));
        ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowEnabled(Item(CCeMWndNam::kSelectNam)) != 0; }, 4000));
    }
    void TearDown() override
    {
        uitest::StopModalSteps();
        nam.Destroy();
        ScreenLinkTest::TearDown();
    }
    HWND Item(UINT id) { return GetDlgItem(nam.GetHwnd(), id); }
    int Checked()
    {
        int which = -1;
        for (int i = 0; i < CCeMWndNam::kAssignments; ++i)
            if (IsDlgButtonChecked(nam.GetHwnd(), CCeMWndNam::kFirstNam + i) == BST_CHECKED)
                which = i;
        return which;
    }
    // Watches the countdown while it runs: its caption and text.
    void WatchCountdown()
    {
        uitest::WhileModal(100, [this] {
            if (HWND box = uitest::FindOwnVisible(L"#32770")) {
                wchar_t caption[64] = {}, text[128] = {};
                GetWindowTextW(box, caption, 64);
                GetDlgItemTextW(box, 6201, text, 128);
                captions.push_back(caption);
                texts.push_back(text);
                if (captions.size() == 5)
                    servicetest::Snap(box, L"service_nam_countdown");
            }
            return true;
        });
    }
    std::wstring Page()
    {
        wchar_t text[100];
        nam.PageText(text, 100);
        return text;
    }

    TestNam nam{data};
    std::vector<std::wstring> captions, texts;
};

TEST_F(NamTest, ANew017NumberPutsTheSixCommandsOnTheWireInOrder)
{
    EXPECT_EQ(0, Checked());  // the module starts on assignment 0
    EXPECT_EQ(L"현재 전화 번호\r\n\r\n01012345678", Page());  // read when the link opened
    servicetest::Snap(nam.GetHwnd(), L"service_nam_number");

    TapControl(nam.GetHwnd(), CCeMWndNam::kNumberEdit);
    for (char c : std::string("0177778888"))
        uitest::Key(static_cast<WORD>(c));
    zentest::PumpMessages(80);
    const size_t before = Commands().size();
    WatchCountdown();
    TapControl(nam.GetHwnd(), CCeMWndNam::kChangeNumber);
    uitest::StopModalSteps();
    ASSERT_TRUE(zentest::WaitUntil([&] { return CountOf("AT$NAM?") >= 1 && Checked() == 1; }, 4000));

    std::vector<std::string> sent = Commands();
    sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
    const std::vector<std::string> expected = {"AT$BWMODE=NAMING", "AT$NAM=1", "AT$PHONENUM=0177778888",
                                               "AT$BWMODE=RESET", "AT$DIAL?", "AT$NAM?"};
    EXPECT_EQ(expected, sent);
    EXPECT_TRUE(nam.notices.empty());

    // The countdown showed its text and counted down in the caption.
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(L"번호를 바꾸고 있습니다.\n잠시만 기다려 주십시오.", texts.front());
    EXPECT_NE(captions.front(), captions.back());
    EXPECT_EQ(0u, captions.back().find(L"알림("));

    // The module reports the new number and the 017 system.
    EXPECT_EQ(L"현재 전화 번호\r\n\r\n0177778888", Page());
    EXPECT_EQ(1, card.Module().ActiveNam());
    EXPECT_FALSE(card.Module().InNamingMode());  // the reset ended naming mode
    EXPECT_EQ(0, data.m_Modem.LineCheckSuspended);

    // Outside naming mode the module refuses a number.
    ASSERT_EQ(1, data.m_Modem.CmdSetPhoneNumber("0170000000"));
    zentest::PumpMessages(300);
    EXPECT_EQ("0177778888", card.Module().OwnNumber());
}

TEST_F(NamTest, WrongNumbersAreRefusedAndSendNothing)
{
    for (const wchar_t* bad : {L"", L"017777888", L"017777888812", L"01777a8888", L"0177 78888"}) {
        SetWindowTextW(Item(CCeMWndNam::kNumberEdit), bad);
        EXPECT_EQ(0, nam.ChangeNumber()) << bad;
    }
    ASSERT_EQ(5u, nam.notices.size());
    for (const std::wstring& n : nam.notices)
        EXPECT_EQ(L"오류|번호가 잘못되었습니다.", n);
    zentest::PumpMessages(200);
    for (const std::string& c : Commands())
        EXPECT_NE(0u, c.find("AT$BWMODE")) << c;
    // Ten and eleven digits are numbers.
    EXPECT_TRUE(CCeMWndNam::IsProgrammableNumber(L"0111234567"));
    EXPECT_TRUE(CCeMWndNam::IsProgrammableNumber(L"01012345678"));
}

TEST_F(NamTest, SelectingAnAssignmentRunsTheShortSequence)
{
    TapAt(nam.GetHwnd(), 38, 86);
    ASSERT_EQ(1, nam.CurrentTab());
    TapControl(nam.GetHwnd(), CCeMWndNam::kFirstNam + 3);
    servicetest::Snap(nam.GetHwnd(), L"service_nam_select");
    const size_t before = Commands().size();
    WatchCountdown();
    TapControl(nam.GetHwnd(), CCeMWndNam::kSelectNam);
    uitest::StopModalSteps();
    ASSERT_TRUE(zentest::WaitUntil([&] { return Checked() == 3 && CountOf("AT$NAM?") >= 2; }, 4000));
    std::vector<std::string> sent = Commands();
    sent.erase(sent.begin(), sent.begin() + static_cast<long>(before));
    const std::vector<std::string> expected = {"AT$BWMODE=NAMING", "AT$NAM=3", "AT$BWMODE=RESET", "AT$DIAL?",
                                               "AT$NAM?"};
    EXPECT_EQ(expected, sent);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(L"NAM 변경 작업중입니다.\n잠시만 기다려 주십시오.", texts.front());

    // An answer outside the five checks none and leaves the button usable.
    data.m_Modem.Status.activeNam = 9;
    nam.ShowAssignment();
    EXPECT_EQ(-1, Checked());
    EXPECT_TRUE(IsWindowEnabled(Item(CCeMWndNam::kSelectNam)));
}

TEST_F(NamTest, AModuleThatDoesNotComeBackIsToldAndTheScreenStaysUsable)
{
    card.Module().SetResetTime(60000);
    nam.SetAnswerWait(1000);
    TapAt(nam.GetHwnd(), 38, 86);
    TapControl(nam.GetHwnd(), CCeMWndNam::kFirstNam + 2);
    TapControl(nam.GetHwnd(), CCeMWndNam::kSelectNam);
    EXPECT_STREQ(L"", nam.StatusText());
    ASSERT_TRUE(zentest::WaitUntil([&] { return *nam.StatusText() != 0; }, 3000));
    EXPECT_STREQ(L"모듈이 응답하지 않습니다.", nam.StatusText());
    EXPECT_TRUE(card.Module().Restarting());
    servicetest::Snap(nam.GetHwnd(), L"service_nam_noanswer");
    // Still usable: pages turn, the number field takes input, a bad number is refused.
    TapAt(nam.GetHwnd(), 38, 46);
    EXPECT_EQ(0, nam.CurrentTab());
    SetWindowTextW(Item(CCeMWndNam::kNumberEdit), L"123");
    EXPECT_EQ(0, nam.ChangeNumber());
    // An answer at last clears the notice.
    data.m_Modem.Status.activeNam = 2;
    nam.ShowAssignment();
    EXPECT_STREQ(L"", nam.StatusText());
}

TEST_F(NamTest, TheInformationPagePollsTheModuleAndNamesUnknownStates)
{
    TapAt(nam.GetHwnd(), 38, 126);
    ASSERT_EQ(2, nam.CurrentTab());
    ASSERT_TRUE(zentest::WaitUntil([&] { return CountOf("AT$STSINFO?") >= 1; }, 4000));
    ASSERT_TRUE(zentest::WaitUntil([&] { return data.m_Modem.Status.engineering[0] == 384; }, 3000));
    zentest::PumpMessages(100);
    servicetest::Snap(nam.GetHwnd(), L"service_nam_info");
    const auto lines = CCeMWndNam::EngineeringLines(data.m_Modem.Status);
    ASSERT_EQ(10u, lines.size());
    EXPECT_EQ(L"FA Channel = 384", lines[0]);
    EXPECT_EQ(L"PN Offset = 168", lines[1]);
    EXPECT_EQ(L"RX State = Traffic Initial", lines[4]);
    EXPECT_EQ(L"RX Rate = 1/8", lines[7]);
    EXPECT_EQ(L"Battery = 0.75", lines[9]);

    ModemStatus s{};
    s.engineering[4] = 7;
    s.engineering[8] = -1;
    s.engineering[9] = 5;
    s.engineering[6] = -16;
    s.engineering[7] = -12;
    s.engineeringFloat = 3.456f;
    const auto odd = CCeMWndNam::EngineeringLines(s);
    EXPECT_EQ(L"RX State = (7)Unknow", odd[4]);
    EXPECT_EQ(L"Ec/IO = -16, TXadj = -12", odd[6]);
    EXPECT_EQ(L"RX Rate = (-1)Unknow", odd[7]);
    EXPECT_EQ(L"TX Rate = ERROR", odd[8]);
    EXPECT_EQ(L"Battery = 3.46", odd[9]);

    // Other pages do not poll.
    TapAt(nam.GetHwnd(), 38, 46);
    const size_t polls = CountOf("AT$STSINFO?");
    zentest::PumpMessages(2500);
    EXPECT_EQ(polls, CountOf("AT$STSINFO?"));
}

}  // namespace
