// The composer on a real window with pen and key input, sending through the
// link opened on the simulated module: the lines at the module, the stored
// states, the counts, resending and verdicts that never come.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ModalSteps.h"
#include "Screenshot.h"
#include "SimLinkFixture.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/CodePage.h"
#include "screens/messaging/CCeMPhraseBox.h"
#include "screens/messaging/CCeMSmsSenderWnd.h"
#include "stores/CCeContactsDB.h"
#include "stores/CCeSmsMsgDB.h"
#include "stores/tests/ContactFixture.h"
#include "toolkit/ToolkitMessages.h"

namespace {

using zen::sim::SimModule;
using zen::sim::ToCp949;
using Sender = CCeMSmsSenderWnd;

std::wstring TextOf(HWND hwnd)
{
    wchar_t buf[512] = {};
    GetWindowTextW(hwnd, buf, 512);
    return buf;
}

// What the composer tells its owners: text changes (command 110) and the
// start and end of a run (child notification codes 6 and 7).
struct Owner {
    int textChanges = 0;
    std::vector<WPARAM> notices;
};
Owner* g_owner = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (g_owner && msg == WM_COMMAND && LOWORD(wp) == Sender::kTextChanged)
        ++g_owner->textChanges;
    if (g_owner && msg == WM_CHILDNOTIFY)
        g_owner->notices.push_back(wp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class SenderTest : public SimLinkTest {
protected:
    void SetUp() override
    {
        SimLinkTest::SetUp();
        UseDioHanConversion();
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", scoped.Folder().c_str());
        contacttest::CreateDatabases();
        g_owner = &owner;
        host = uitest::MakeHost(L"composer");
        WNDCLASSW wc = {};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ComposerOwner";
        RegisterClassW(&wc);
        ownerWnd = CreateWindowW(L"ComposerOwner", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        uitest::Activate(host);
        ASSERT_EQ(1, sender.Create({0, 26, 240, 268}, host, WS_VISIBLE, 9));
        sender.SetNotifyWindows(ownerWnd, ownerWnd);
        // The owner passes the module's verdicts and the answers to the send
        // lines on, as the message window does.
        log.onMessage = [this](const LoggedMessage& m) {
            if (m.msg == WM_MODEM_SMSSENT) {
                ++verdicts;
                if (onVerdict)
                    onVerdict(m.wParam);
                SendMessageW(sender.GetHwnd(), WM_MODEM_SMSSENT, m.wParam, 0);
            }
            if (m.msg == WM_MODEM_RESULT && m.wParam == CCeMAtSender::SMS_SEND_ID) {
                if (onAnswer)
                    onAnswer(m.lParam);
                SendMessageW(sender.GetHwnd(), WM_MODEM_RESULT, m.wParam, m.lParam);
            }
        };
        zentest::PumpMessages(50);
    }
    void TearDown() override
    {
        uitest::StopModalSteps();
        log.onMessage = nullptr;
        sender.Destroy();
        DestroyWindow(host);
        DestroyWindow(ownerWnd);
        g_owner = nullptr;
        SimLinkTest::TearDown();
        UseSystemConversion();
    }

    POINT Centre(HWND w)
    {
        RECT rc;
        GetWindowRect(w, &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    void Tap(int id)
    {
        uitest::Tap(Centre(sender.Control(id)));
        zentest::PumpMessages(30);
    }
    void TapTab(int view) { uitest::Tap(uitest::ScreenPoint(sender.GetHwnd(), 40, 12 + view * 24)); }
    // Answers the next message box by pen, noting its caption.
    void AnswerBox()
    {
        uitest::WhileModal(100, [this] {
            HWND box = uitest::FindOwnVisible(L"#32770");
            if (!box)
                return true;
            const std::wstring c = TextOf(box);
            captions.push_back(c.substr(0, c.find(L'(')));
            uitest::QueueTap(Centre(GetDlgItem(box, IDOK)));
            return false;
        });
    }
    void TypeNumber(const char* digits)
    {
        SetFocus(sender.Control(Sender::kRecipient));
        for (const char* p = digits; *p; ++p)
            uitest::Key(*p == '-' ? VK_OEM_MINUS : static_cast<WORD>(*p));
        zentest::PumpMessages(20);
    }
    void AddRecipients(int n)
    {
        TapTab(Sender::kViewRecipients);
        for (int i = 0; i < n; ++i) {
            SetWindowTextW(sender.Control(Sender::kRecipient), (L"0107770" + std::to_wstring(100 + i)).c_str());
            Tap(Sender::kAdd);
        }
    }
    // A run of `text` to `recipients` new recipients, started by pen.
    void StartRun(const wchar_t* text, int recipients)
    {
        sender.ShowFor(nullptr, text);
        AddRecipients(recipients);
        Tap(Sender::kSend);
    }
    bool WaitPhase(int phase, DWORD ms = 15000)
    {
        return zentest::WaitUntil([&] { return sender.Phase() == phase; }, ms);
    }
    std::vector<std::string> SendLines()
    {
        std::vector<std::string> lines;
        for (const std::string& c : card.Module().Commands())
            if (c.rfind("AT$SMSMO", 0) == 0)
                lines.push_back(c);
        return lines;
    }
    // Stored messages by state, read back from the database.
    int StoredInState(LONG state)
    {
        CCeSmsDB fresh(nullptr);
        fresh.Load();
        int n = 0;
        for (int i = 0; i < fresh.CachedCount(); ++i)
            n += fresh.Nth(kSmsAll, i)->nState == state;
        return n;
    }

    cedbtest::ScopedStore scoped{L"smssender"};
    CCeSmsDB db{nullptr};
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    Sender sender{&db, &modem, &contacts, &categories};
    Owner owner;
    HWND host = nullptr;
    HWND ownerWnd = nullptr;
    std::vector<std::wstring> captions;
    int verdicts = 0;
    std::function<void(WPARAM)> onVerdict;
    std::function<void(LPARAM)> onAnswer;
};

using modaltest::Steps;
using modaltest::TapAt;

// The foreground dialog of class #32770 other than a message box, drawn
// and settled for a few ticks.
HWND SettledDialog(int* settled)
{
    HWND d = GetForegroundWindow();
    wchar_t cls[16] = {};
    GetClassNameW(d, cls, 16);
    if (!d || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(d))
        return nullptr;
    return ++*settled > 2 ? d : nullptr;
}

TEST(SenderText, PartsAreCutAtWholeCharactersAndTheTitleCountsBytes)
{
    EXPECT_TRUE(Sender::CutIntoParts(L"").empty());
    auto parts = Sender::CutIntoParts(std::wstring(81, L'a'));
    ASSERT_EQ(2u, parts.size());
    EXPECT_EQ(80u, parts[0].size());
    EXPECT_EQ(L"a", parts[1]);
    EXPECT_EQ(L"새메시지 - 남은 글자 : 79 (2/3)", Sender::TitleText(81, nullptr));

    // The Korean character does not fit the last byte: it starts part two.
    parts = Sender::CutIntoParts(std::wstring(79, L'a') + L"가");
    ASSERT_EQ(2u, parts.size());
    EXPECT_EQ(std::wstring(79, L'a'), parts[0]);
    EXPECT_EQ(L"가", parts[1]);
    EXPECT_EQ(81, Sender::TextBytes(std::wstring(79, L'a') + L"가"));

    // 300 bytes: the third part takes the overflow; the title is red.
    parts = Sender::CutIntoParts(std::wstring(150, L'한'));
    ASSERT_EQ(3u, parts.size());
    EXPECT_EQ(40u, parts[0].size());
    EXPECT_EQ(40u, parts[1].size());
    EXPECT_EQ(70u, parts[2].size());
    bool red = false;
    EXPECT_EQ(L"새메시지 - 문자 초과 (60 초과)", Sender::TitleText(300, &red));
    EXPECT_TRUE(red);
    EXPECT_EQ(L"새메시지 - 남은 글자 : 80 (0/3)", Sender::TitleText(0, &red));
    EXPECT_FALSE(red);
    EXPECT_EQ(L"새메시지 - 남은 글자 : 0 (3/3)", Sender::TitleText(240, &red));
    EXPECT_FALSE(red);
}

// Random mixes of one- and two-byte characters: the parts put together are
// the text; a part ends only where its next character would not fit; the
// first two hold at most 80 bytes (the third takes what is left, which can
// pass 80 even for 240 bytes when two-byte characters did not fit before).
TEST(SenderText, RandomTextsAreCutWithoutLossAtTheRightPlaces)
{
    std::mt19937 rng(515);
    for (int round = 0; round < 300; ++round) {
        std::wstring text;
        const int n = std::uniform_int_distribution<int>(0, 200)(rng);
        for (int i = 0; i < n; ++i)
            text += (rng() % 3) ? static_cast<wchar_t>(0xAC00 + rng() % 11172)
                                : static_cast<wchar_t>(L' ' + rng() % 90);
        const auto parts = Sender::CutIntoParts(text);
        std::wstring joined;
        for (const auto& part : parts) {
            EXPECT_FALSE(part.empty());
            joined += part;
        }
        ASSERT_EQ(text, joined) << "round " << round;
        ASSERT_LE(parts.size(), 3u);
        EXPECT_EQ(text.empty(), parts.empty());
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            EXPECT_LE(Sender::TextBytes(parts[i]), 80);
            EXPECT_GT(Sender::TextBytes(parts[i] + parts[i + 1][0]), 80) << "round " << round;
        }
    }
}

TEST_F(SenderTest, TypedTextSetsTheLimitAndTellsTheMessageWindow)
{
    TapTab(Sender::kViewText);
    EXPECT_EQ(Sender::kViewText, sender.CurrentView());
    EXPECT_TRUE(IsWindowVisible(sender.Control(Sender::kText)));
    EXPECT_FALSE(IsWindowVisible(sender.Control(Sender::kRecipient)));
    EXPECT_EQ(sender.Control(Sender::kText), GetFocus());
    for (int i = 0; i < 81; ++i)
        uitest::Key('A');
    zentest::PumpMessages(50);
    EXPECT_EQ(81, sender.Bytes());
    EXPECT_EQ(L"새메시지 - 남은 글자 : 79 (2/3)", Sender::TitleText(sender.Bytes(), nullptr));
    EXPECT_GE(owner.textChanges, 81);
    // Korean characters count two: with 78 Korean and 81 plain there are
    // 3 bytes left, so the edit takes 3 characters more and no fourth.
    sender.ShowFor(nullptr, (std::wstring(81, L'a') + std::wstring(78, L'가')).c_str());
    zentest::PumpMessages(20);
    EXPECT_EQ(237, sender.Bytes());
    for (int i = 0; i < 5; ++i)
        uitest::Key('B');
    zentest::PumpMessages(50);
    EXPECT_EQ(240, sender.Bytes());
    const std::wstring typed = TextOf(sender.Control(Sender::kText));
    ASSERT_EQ(162u, typed.size());
    EXPECT_EQ(L"bbb", typed.substr(159));  // behind the given text
    zentest::SaveScreenshot(zentest::CaptureWindow(sender.GetHwnd()), L"sender_text_view");
}

TEST_F(SenderTest, TheThirtyFirstRecipientIsRefusedByButtonAndByEnter)
{
    TapTab(Sender::kViewRecipients);
    ASSERT_EQ(Sender::kViewRecipients, sender.CurrentView());
    TypeNumber("010-123-4567");
    uitest::Key(VK_RETURN);  // Enter adds
    zentest::PumpMessages(50);
    ASSERT_EQ(1, sender.RecipientCount());
    EXPECT_EQ(L"010-123-4567", sender.Recipient(0));
    EXPECT_EQ(L"", TextOf(sender.Control(Sender::kRecipient)));

    // Not a dial string: refused with a notice, the edit keeps it.
    SetWindowTextW(sender.Control(Sender::kRecipient), L"010 1234");
    AnswerBox();
    Tap(Sender::kAdd);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"알림", captions[0]);
    EXPECT_EQ(1, sender.RecipientCount());
    EXPECT_EQ(L"010 1234", TextOf(sender.Control(Sender::kRecipient)));
    // An empty edit adds nothing and says nothing.
    SetWindowTextW(sender.Control(Sender::kRecipient), L"");
    Tap(Sender::kAdd);
    EXPECT_EQ(1, sender.RecipientCount());
    EXPECT_EQ(1u, captions.size());

    AddRecipients(29);
    ASSERT_EQ(30, sender.RecipientCount());
    SetWindowTextW(sender.Control(Sender::kRecipient), L"0199999999");
    AnswerBox();
    Tap(Sender::kAdd);
    EXPECT_EQ(30, sender.RecipientCount());
    ASSERT_EQ(2u, captions.size());
    EXPECT_EQ(L"알림", captions[1]);
    SetFocus(sender.Control(Sender::kRecipient));
    AnswerBox();
    uitest::Key(VK_RETURN);
    zentest::PumpMessages(100);
    EXPECT_EQ(30, sender.RecipientCount());
    EXPECT_EQ(3u, captions.size());
    zentest::SaveScreenshot(zentest::CaptureWindow(sender.GetHwnd()), L"sender_recipients");

    // Remove selects the entry now at that index.
    SendMessageW(sender.Control(Sender::kList), LB_SETCURSEL, 29, 0);
    Tap(Sender::kRemove);
    EXPECT_EQ(29, sender.RecipientCount());
    EXPECT_EQ(0, SendMessageW(sender.Control(Sender::kList), LB_GETCURSEL, 0, 0));
}

TEST_F(SenderTest, NothingToSendOrNobodyToSendToStoresNothing)
{
    OpenReady();
    AnswerBox();
    Tap(Sender::kSend);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"오류", captions[0]);
    EXPECT_EQ(Sender::kViewRecipients, sender.CurrentView());
    AddRecipients(1);
    AnswerBox();
    Tap(Sender::kSend);
    EXPECT_EQ(2u, captions.size());
    EXPECT_EQ(Sender::kViewText, sender.CurrentView());
    EXPECT_EQ(Sender::kEditing, sender.Phase());
    EXPECT_EQ(0, db.CachedCount());
    EXPECT_TRUE(SendLines().empty());
    EXPECT_TRUE(owner.notices.empty());
}

// 300 bytes to three recipients: nine stored messages, nine lines on the
// wire in recipient order, each part's code page 949 bytes at the module.
TEST_F(SenderTest, NineMessagesGoOutInOrderAndAreAcknowledged)
{
    OpenReady();
    sender.SetOwnNumber(L"0105550000");
    sender.OnShow(TRUE);
    EXPECT_EQ(L"0105550000", TextOf(sender.Control(Sender::kCallback)));
    AddRecipients(3);
    std::wstring text;
    for (int i = 0; i < 150; ++i)
        text += static_cast<wchar_t>(L'가' + i * 71);
    sender.ShowFor(nullptr, text.c_str());  // empties the recipients
    EXPECT_EQ(0, sender.RecipientCount());
    EXPECT_EQ(300, sender.Bytes());
    AddRecipients(3);
    TapTab(Sender::kViewText);
    zentest::SaveScreenshot(zentest::CaptureWindow(sender.GetHwnd()), L"sender_editing");

    Tap(Sender::kSend);
    EXPECT_EQ(Sender::kSending, sender.Phase());
    EXPECT_EQ(9, db.CachedCount());
    EXPECT_EQ(9, db.m_nSent);
    ASSERT_EQ(std::vector<WPARAM>{6}, owner.notices);
    EXPECT_TRUE(IsWindowVisible(sender.Control(Sender::kProgress)));
    EXPECT_FALSE(IsWindowVisible(sender.Control(Sender::kSend)));
    const std::wstring during = sender.StatusText();
    EXPECT_NE(std::wstring::npos, during.find(L"\"0107770100\"\r\n번호로 전송중입니다."));
    const int frame = sender.Frame();
    zentest::PumpMessages(450);
    EXPECT_NE(frame, sender.Frame());  // the animation runs
    zentest::SaveScreenshot(zentest::CaptureWindow(sender.GetHwnd()), L"sender_sending");

    ASSERT_TRUE(WaitPhase(Sender::kFinished));
    EXPECT_EQ(9, sender.Successes());
    EXPECT_EQ(0, sender.Failures());
    EXPECT_EQ((std::vector<WPARAM>{6, 7}), owner.notices);
    EXPECT_NE(std::wstring::npos, sender.StatusText().find(L"총 :  9개,  성공 :  9개,  실패 :  0개"));
    zentest::SaveScreenshot(zentest::CaptureWindow(sender.GetHwnd()), L"sender_summary");

    const auto parts = Sender::CutIntoParts(text);
    ASSERT_EQ(3u, parts.size());
    const std::vector<std::string> lines = SendLines();
    ASSERT_EQ(9u, lines.size());
    for (int r = 0; r < 3; ++r)
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ("AT$SMSMO0=0107770" + std::to_string(100 + r) + ",0105550000,4098,\"" +
                          ToCp949(parts[p]) + "\"",
                      lines[r * 3 + p]);
    const auto outbox = card.Module().Outbox();
    ASSERT_EQ(9u, outbox.size());
    EXPECT_EQ(140u, outbox[2].body.size());
    EXPECT_EQ(80u, outbox[0].body.size());
    EXPECT_EQ(9, StoredInState(kSmsSent));
    EXPECT_EQ(0, sender.RecipientCount());
    EXPECT_EQ(L"", TextOf(sender.Control(Sender::kText)));

    // Shown again: editing, counts cleared, the callback view.
    ShowWindow(sender.GetHwnd(), SW_HIDE);
    ShowWindow(sender.GetHwnd(), SW_SHOW);
    EXPECT_EQ(Sender::kEditing, sender.Phase());
    EXPECT_EQ(0, sender.Successes());
    EXPECT_EQ(Sender::kViewCallback, sender.CurrentView());
    EXPECT_FALSE(IsWindowVisible(sender.Control(Sender::kProgress)));
    EXPECT_TRUE(IsWindowVisible(sender.Control(Sender::kCallback)));
}

TEST_F(SenderTest, RefusalsFailWithoutResendingAndAreSentAgainWithIt)
{
    OpenReady();
    card.Module().SetAckMode(SimModule::AckMode::Nak, 100);
    sender.ShowFor(L"0101112222", L"거절");
    AddRecipients(1);
    Tap(Sender::kSend);
    ASSERT_TRUE(WaitPhase(Sender::kFinished));
    EXPECT_EQ(0, sender.Successes());
    EXPECT_EQ(2, sender.Failures());
    EXPECT_EQ(2u, SendLines().size());
    EXPECT_EQ(2, StoredInState(kSmsSendFailed));

    // Resending on: the first message is refused twice, then accepted; it
    // counts once, as a success, and the second follows it.
    sender.OnShow(TRUE);
    ASSERT_EQ(Sender::kEditing, sender.Phase());
    onVerdict = [this](WPARAM) {
        if (verdicts == 2)
            card.Module().SetAckMode(SimModule::AckMode::Ack, 100);
    };
    verdicts = 0;
    sender.ShowFor(nullptr, L"again");
    AddRecipients(2);
    Tap(Sender::kResend);
    ASSERT_EQ(BST_CHECKED, SendMessageW(sender.Control(Sender::kResend), BM_GETCHECK, 0, 0));
    const size_t before = SendLines().size();
    Tap(Sender::kSend);
    ASSERT_TRUE(zentest::WaitUntil([&] { return verdicts == 3; }, 10000));
    EXPECT_EQ(Sender::kSending, sender.Phase());
    EXPECT_EQ(1, sender.Successes());
    EXPECT_EQ(0, sender.Failures());  // the refusals were not counted
    ASSERT_TRUE(WaitPhase(Sender::kFinished));
    EXPECT_EQ(2, sender.Successes());
    EXPECT_EQ(0, sender.Failures());
    const auto lines = SendLines();
    ASSERT_EQ(before + 4, lines.size());
    EXPECT_EQ(lines[before], lines[before + 1]);
    EXPECT_EQ(lines[before], lines[before + 2]);
    EXPECT_EQ("AT$SMSMO0=0107770101,,4098,\"again\"", lines[before + 3]);
    EXPECT_EQ(2, StoredInState(kSmsSent));
}

// A module that never answers: after the time-out the message fails, or is
// sent again when resending is on; nothing waits for ever.
TEST_F(SenderTest, AVerdictThatNeverComesTimesOut)
{
    OpenReady();
    card.Module().SetAckMode(SimModule::AckMode::None);
    sender.SetAckTimeout(1500);
    sender.ShowFor(nullptr, L"hello");
    AddRecipients(2);
    Tap(Sender::kSend);
    zentest::PumpMessages(700);
    EXPECT_EQ(Sender::kSending, sender.Phase());
    EXPECT_FALSE(sender.SendTimedOut());
    EXPECT_EQ(1u, SendLines().size());
    ASSERT_TRUE(WaitPhase(Sender::kFinished, 10000));
    EXPECT_EQ(2, sender.Failures());
    EXPECT_EQ(2u, SendLines().size());
    EXPECT_EQ(2, StoredInState(kSmsSendFailed));
    EXPECT_EQ(0, verdicts);

    // Resending: the silent first message goes out again after the
    // time-out; when the module answers again the run completes.
    sender.OnShow(TRUE);
    sender.ShowFor(L"0103334444", L"retry");
    Tap(Sender::kResend);
    Tap(Sender::kSend);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendLines().size() == 4; }, 8000));
    EXPECT_EQ(Sender::kSending, sender.Phase());
    EXPECT_EQ(0, sender.Failures());
    card.Module().SetAckMode(SimModule::AckMode::Ack, 100);
    ASSERT_TRUE(WaitPhase(Sender::kFinished, 8000));
    EXPECT_EQ(1, sender.Successes());
    EXPECT_EQ(0, sender.Failures());
    const auto lines = SendLines();
    EXPECT_EQ(lines[2], lines[3]);
}

TEST_F(SenderTest, AbortAllFailsWhatIsQueuedAndAClosedLinkFailsAtOnce)
{
    OpenReady();
    card.Module().SetAckMode(SimModule::AckMode::None);
    sender.ShowFor(nullptr, std::wstring(100, L'x').c_str());
    AddRecipients(3);
    Tap(Sender::kSend);
    ASSERT_EQ(6, sender.Queued());
    sender.AbortAll();
    EXPECT_EQ(Sender::kFinished, sender.Phase());
    EXPECT_EQ(6, sender.Failures());
    EXPECT_EQ(6, StoredInState(kSmsSendFailed));
    EXPECT_EQ((std::vector<WPARAM>{6, 7}), owner.notices);
    // A verdict after the end finds nothing to settle.
    SendMessageW(sender.GetHwnd(), WM_MODEM_SMSSENT, 1, 0);
    EXPECT_EQ(0, sender.Successes());

    // With the link closed nothing can be issued: every message fails.
    modem.Close();
    sender.OnShow(TRUE);
    sender.ShowFor(L"0101112222", L"closed");
    Tap(Sender::kSend);
    EXPECT_EQ(Sender::kFinished, sender.Phase());
    EXPECT_EQ(1, sender.Failures());
    EXPECT_EQ(7, StoredInState(kSmsSendFailed));
}

// The module refuses the send line itself with ERROR: the message fails at
// once (not after the time-out), or is sent again when resending is on.
TEST_F(SenderTest, AnErrorToTheSendLineFailsAtOnceOrIsSentAgain)
{
    OpenReady();
    card.Module().SetAckMode(SimModule::AckMode::Error);
    StartRun(L"error", 2);
    // The time-out is a minute: an end within seconds is the error's doing.
    ASSERT_TRUE(WaitPhase(Sender::kFinished, 15000));
    EXPECT_EQ(0, sender.Successes());
    EXPECT_EQ(2, sender.Failures());
    EXPECT_EQ(2u, SendLines().size());
    EXPECT_EQ(2, StoredInState(kSmsSendFailed));
    EXPECT_TRUE(card.Module().Outbox().empty());

    // Resending on: refused twice, then taken and acknowledged; one success.
    sender.OnShow(TRUE);
    sender.ShowFor(L"0103334444", L"retry");
    Tap(Sender::kResend);
    int errors = 0;
    onAnswer = [&](LPARAM ok) {
        if (!ok && ++errors == 2)
            card.Module().SetAckMode(SimModule::AckMode::Ack, 100);
    };
    Tap(Sender::kSend);
    ASSERT_TRUE(WaitPhase(Sender::kFinished, 15000));
    EXPECT_EQ(2, errors);
    EXPECT_EQ(1, sender.Successes());
    EXPECT_EQ(0, sender.Failures());
    const auto lines = SendLines();
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ(lines[2], lines[3]);
    EXPECT_EQ(lines[2], lines[4]);
    EXPECT_EQ(1, StoredInState(kSmsSent));
    EXPECT_EQ(1u, card.Module().Outbox().size());
}

// A verdict that comes while the current message's send line has not been
// answered yet cannot be for it: it is the late verdict of the message
// before, which its time-out already settled.
TEST_F(SenderTest, ALateVerdictIsNotCountedForTheNextMessage)
{
    OpenReady();
    card.Module().SetAckMode(SimModule::AckMode::None);
    sender.SetAckTimeout(1500);
    // The first line is answered OK; from then on the module is silent, so
    // the second line's answer never comes.
    onAnswer = [&](LPARAM ok) {
        if (ok)
            card.Module().SetSilent(true);
    };
    StartRun(L"late", 2);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendLines().size() == 2; }, 10000));
    ASSERT_EQ(1, sender.Failures()) << "the first timed out";
    // The first message's verdict, late, as the link hands it on.
    SendMessageW(log.Window(), WM_MODEM_SMSSENT, 1, 0);
    EXPECT_EQ(1, verdicts);
    EXPECT_EQ(Sender::kSending, sender.Phase());
    EXPECT_EQ(0, sender.Successes());
    EXPECT_EQ(1, sender.Queued());
    ASSERT_TRUE(WaitPhase(Sender::kFinished, 10000));
    EXPECT_EQ(0, sender.Successes());
    EXPECT_EQ(2, sender.Failures());
    EXPECT_EQ(0, StoredInState(kSmsSent));
    EXPECT_EQ(2, StoredInState(kSmsSendFailed));
}

// A composer that goes away mid-run (the program ends) stores what it still
// held as failed: nothing is left "being sent" for ever.
TEST_F(SenderTest, GoingAwayMidRunStoresWhatWasHeldAsFailed)
{
    OpenReady();
    card.Module().SetAckMode(SimModule::AckMode::None);
    StartRun(L"bye", 3);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendLines().size() == 1; }, 5000));
    ASSERT_EQ(3, sender.Queued());
    sender.Destroy();
    EXPECT_EQ(3, StoredInState(kSmsSendFailed));
    EXPECT_EQ(0, StoredInState(kSmsSending));
}

// A ringing call does not stop a run: the texts go out and are
// acknowledged, and the call keeps ringing.
TEST_F(SenderTest, SendingWhileACallRings)
{
    OpenReady();
    card.Module().SetRingTiming(400, 150, 40);
    card.Module().Ring("0109998888");
    ASSERT_TRUE(WaitCallState(2));
    sender.ShowFor(nullptr, L"전화중");
    AddRecipients(2);
    Tap(Sender::kSend);
    ASSERT_TRUE(WaitPhase(Sender::kFinished));
    EXPECT_EQ(2, sender.Successes());
    EXPECT_EQ(2u, SendLines().size());
    EXPECT_EQ(2, static_cast<LONG>(modem.CallState));
}

}  // namespace

namespace {

// The phonebook pick replaces the list with the picked mobile numbers; the
// current recipients come preselected.
TEST_F(SenderTest, PickingFromThePhonebookReplacesTheRecipients)
{
    contacttest::AddPerson(contacttest::Person(L"가영", L"010-1111-0001"));
    contacttest::AddPerson(contacttest::Person(L"나래", L"010-1111-0002"));
    AddRecipients(1);
    TapTab(Sender::kViewRecipients);
    SetWindowTextW(sender.Control(Sender::kRecipient), L"01011110001");
    Tap(Sender::kAdd);
    ASSERT_EQ(2, sender.RecipientCount());
    int settled = 0;
    bool tapped = false;
    Steps({
        [&] {
            HWND d = SettledDialog(&settled);
            if (!d)
                return false;
            zentest::SaveScreenshot(zentest::CaptureScreen(), L"sender_pick");
            // 나래 is the second row of the list.
            HWND list = FindWindowExW(d, nullptr, L"CCeMItemList", nullptr);
            if (!list)
                return false;
            tapped = true;
            return TapAt(uitest::ScreenPoint(list, 60, 16 + 8));
        },
        [&] {
            HWND d = GetForegroundWindow();
            return TapAt(Centre(GetDlgItem(d, IDOK)));
        },
    });
    Tap(Sender::kPick);
    zentest::PumpMessages(50);
    ASSERT_TRUE(tapped);
    ASSERT_EQ(3, sender.RecipientCount());
    EXPECT_EQ(L"0107770100", sender.Recipient(0));
    EXPECT_EQ(L"010-1111-0002", sender.Recipient(2));
}

// A saved phrase is appended while the text stays within 240 bytes, and
// refused beyond.
TEST_F(SenderTest, ASavedPhraseIsAppendedWhileItFits)
{
    CCeSmsMsgDB phrases;
    ASSERT_EQ(1, phrases.Add(L"가는 중"));  // 7 bytes
    sender.ShowFor(nullptr, L"abc ");
    auto choose = [&](int* settled) {
        return std::vector<std::function<bool()>>{
            [settled] {
                HWND d = SettledDialog(settled);
                if (!d)
                    return false;
                HWND cells = GetDlgItem(d, CCeMPhraseBox::kCellsId);
                RECT rc;
                GetWindowRect(cells, &rc);
                return TapAt({rc.left + 20, rc.top + CCeMPhraseBox::kChoose * 24 + 12});
            },
        };
    };
    int settled = 0;
    Steps(choose(&settled));
    Tap(Sender::kPhrase);
    zentest::PumpMessages(50);
    EXPECT_EQ(L"abc 가는 중", TextOf(sender.Control(Sender::kText)));
    EXPECT_EQ(11, sender.Bytes());

    // 234 bytes and 7 more would be 241: refused with an error.
    sender.ShowFor(nullptr, std::wstring(234, L'x').c_str());
    settled = 0;
    auto steps = choose(&settled);
    steps.push_back([&] {
        HWND box = uitest::FindOwnVisible(L"#32770");
        if (!box || GetDlgItem(box, CCeMPhraseBox::kCellsId))
            return false;
        // A tap that has to be tried again must not note the box twice.
        const std::wstring caption = TextOf(box).substr(0, 2);
        if (!TapAt(Centre(GetDlgItem(box, IDOK))))
            return false;
        captions.push_back(caption);
        return true;
    });
    Steps(steps);
    Tap(Sender::kPhrase);
    zentest::PumpMessages(50);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(L"오류", captions[0]);
    EXPECT_EQ(234, sender.Bytes());
}

// A recipient found in the contacts is sent to by name.
TEST_F(SenderTest, ARecipientInTheContactsIsShownByName)
{
    OpenReady();
    contacttest::AddPerson(contacttest::Person(L"다솜", L"010-4444-5555"));
    ASSERT_EQ(1, contacts.OpenDefault(static_cast<HWND>(nullptr)));
    card.Module().SetAckMode(SimModule::AckMode::None);
    sender.ShowFor(L"01044445555", L"hi");
    Tap(Sender::kSend);
    ASSERT_EQ(Sender::kSending, sender.Phase());
    EXPECT_EQ(0u, sender.StatusText().find(L"\"다솜\"\r\n님에게 전송중입니다."));
    EXPECT_STREQ(L"다솜", db.Nth(kSmsAll, 0)->szName);
    sender.AbortAll();
}

}  // namespace
