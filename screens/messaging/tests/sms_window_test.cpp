// The message window on real windows with pen input, told of received texts
// and send verdicts by the link opened on the simulated module: storing and
// counting while hidden, the tone at the sound device, the reader, replying
// through the composer, deleting per tab, and odd message texts.
#include <gtest/gtest.h>

#include <windows.h>
#include <sipapi.h>

#include <string>
#include <vector>

#include "CallsTestHost.h"
#include "CeDbTestUtil.h"
#include "ModalSteps.h"
#include "Screenshot.h"
#include "SimLinkFixture.h"
#include "SoundFixture.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/CodePage.h"
#include "screens/messaging/CCeMWndSMS.h"
#include "screens/messaging/SmsViewText.h"
#include "stores/CCeDataManager.h"
#include "stores/tests/ContactFixture.h"
#include "toolkit/ToolkitMessages.h"

namespace {

using zen::sim::ToCp949;
using List = CCeMSmsListWnd;

const uint8_t kSmsTone = 0x54;
const size_t kToneSamples = 1600;

// The main window's part: records what the message screen asks of it and,
// like the real one, hands the composer request back to the screen.
struct MainStandIn {
    struct Request {
        UINT msg;
        std::wstring number;
        std::wstring text;
        std::string narrow;
    };
    std::vector<Request> requests;
    std::vector<WPARAM> notices;  // child notification codes
    std::vector<WPARAM> closes;   // WM_COMMAND with the close request
    HWND screen = nullptr;
};
MainStandIn* g_main = nullptr;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (!g_main)
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_CHILDNOTIFY:
        g_main->notices.push_back(wp);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) == CCeMWndSMS::kCloseRequest)
            g_main->closes.push_back(wp);
        return 0;
    case 4124:
    case 4125:
    case 4126:
    case 4127:
    case 4128: {
        MainStandIn::Request r{msg, {}, {}, {}};
        if (msg == 4124 && wp)
            r.narrow = reinterpret_cast<const char*>(wp);
        if ((msg == 4126 || msg == 4128) && wp)
            r.number = reinterpret_cast<LPCWSTR>(wp);
        if (msg == 4126 && lp)
            r.text = reinterpret_cast<LPCWSTR>(lp);
        g_main->requests.push_back(r);
        if (msg == 4126 && g_main->screen)
            SendMessageW(g_main->screen, CCeMWndSMS::WM_OPEN_COMPOSER, wp, lp);
        return msg == 4124 ? 1 : 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

// Types a character as the input panel delivers a finished syllable.
void TypeChar(wchar_t c)
{
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = c;
        i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

ModemSmsRecord Record(const char* number, const char* body, int teleservice = 4098,
                      const char* time = "20261207093005")
{
    ModemSmsRecord r = {};
    strncpy(r.timeStamp, time, sizeof r.timeStamp - 1);
    strncpy(r.number, number, sizeof r.number - 1);
    snprintf(r.teleservice, sizeof r.teleservice, "%d", teleservice);
    strncpy(r.body, body, sizeof r.body - 1);
    return r;
}

// A link object that is never opened: its parser makes records from
// message lines and delivers them as the reader thread would.
struct LineParser : CCeMModem {
    using CCeMAtParser::ParseMessageRecord;
};

class SmsWindowTest : public SimLinkTest {
protected:
    void SetUp() override
    {
        SimLinkTest::SetUp();
        UseDioHanConversion();
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", scoped.Folder().c_str());
        contacttest::CreateDatabases();
        contacttest::AddPerson({L"홍길동", L"010-1234-5678"});
        data.m_ContactsDB.OpenDefault(static_cast<HWND>(nullptr));
        install.Put(L"Effect\\sms.wav", soundtest::MakeWav(kSmsTone, kToneSamples));
        data.SetInstallDir(install.Path().c_str());
        data.m_EnvDB.Load();
        data.m_Settings.bMessageTone = 1;
        data.m_Settings.nBellSource = 2;
        data.m_Settings.nNewMessages = 0;

        g_main = &main;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = MainProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = L"SmsMainStandIn";
        RegisterClassW(&wc);
        host = CreateWindowExW(0, L"SmsMainStandIn", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 240,
                               320, nullptr, nullptr, wc.hInstance, nullptr);
        uitest::Activate(host);
        SipShowIM(SIPF_OFF);  // a panel left up by another test covers the toolbar
        ASSERT_EQ(1, sms.Create({0, 84, 240, 190}, host, 0, 4));
        main.screen = sms.GetHwnd();
        // Texts and verdicts to the message screen; results to the log,
        // whose handler does the main window's part of reading texts.
        modem.SetWindows(log.Window(), log.Window(), sms.GetHwnd());
        log.onMessage = [this](const LoggedMessage& m) {
            if (m.msg == WM_MODEM_RESULT && m.wParam == 0x101A && m.lParam == 1) {
                modem.DeliverRecords();
                modem.CmdReadNewMt(0);
            }
        };
        zentest::PumpMessages(50);
    }
    void TearDown() override
    {
        uitest::StopModalSteps();
        log.onMessage = nullptr;
        modem.Close();
        sms.Destroy();
        DestroyWindow(host);
        g_main = nullptr;
        SimLinkTest::TearDown();
        UseSystemConversion();
    }

    CCeSmsDB& Store() { return data.m_SmsDB; }
    HWND ListHwnd() { return sms.List().GetHwnd(); }
    void Show()
    {
        ShowWindow(sms.GetHwnd(), SW_SHOW);
        zentest::PumpMessages(50);
    }
    int Notices(WPARAM code) const
    {
        int n = 0;
        for (WPARAM c : main.notices)
            n += c == code;
        return n;
    }
    const MainStandIn::Request* Last(UINT msg) const
    {
        for (auto it = main.requests.rbegin(); it != main.requests.rend(); ++it)
            if (it->msg == msg)
                return &*it;
        return nullptr;
    }
    // A text from the simulated module, read and stored by the window.
    bool Receive(const std::string& number, const std::wstring& body, int expectStored)
    {
        card.Module().IncomingTextW(number, body);
        return zentest::WaitUntil([&] { return Store().CachedCount() == expectStored; }, 8000);
    }
    // Taps, then lets the input arrive: until `done` holds when given (a
    // busy display server may deliver it late).
    void TapRow(int row, const std::function<bool()>& done = nullptr)
    {
        uitest::Tap(uitest::ScreenPoint(ListHwnd(), 60, row * List::kRowHeight + 8));
        Settle(done);
    }
    void TapControl(HWND control, const std::function<bool()>& done = nullptr)
    {
        RECT rc;
        GetWindowRect(control, &rc);
        uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        Settle(done);
    }
    void Settle(const std::function<bool()>& done)
    {
        if (done)
            zentest::WaitUntil(done, 3000);
        zentest::PumpMessages(done ? 50 : 250);
    }
    bool ReaderOpen() { return sms.List().IsReaderOpen(); }
    // Steps the reader with its previous or next button to a new message.
    void StepReader(int tool)
    {
        const SmsItem* before = Store().Current();
        TapControl(sms.List().ToolButton(tool), [&] { return Store().Current() != before; });
    }
    void ChooseTab(int tab)
    {
        SendMessageW(sms.TabCombo(), CB_SETCURSEL, tab, 0);
        SendMessageW(sms.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndSMS::kTabs, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(sms.TabCombo()));
        zentest::PumpMessages(50);
    }
    // Answers the next message box by pen (OK or Cancel), keeping its text.
    void AnswerBox(bool ok)
    {
        uitest::WhileModal(100, [this, ok] {
            HWND box = uitest::FindOwnVisible(L"#32770");
            if (!box)
                return true;
            boxes.push_back(box);
            RECT rc;
            GetWindowRect(GetDlgItem(box, ok ? IDOK : IDCANCEL), &rc);
            uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
            return false;
        });
    }
    // Holds the pen on a row until its menu opens, then picks item `downs`
    // (0 closes it); a message box the choice brings up is answered by the
    // step set with AnswerBox.
    std::vector<std::wstring> HoldRow(int row, int downs)
    {
        return callstest::HoldForMenu(ListHwnd(), 60, row * List::kRowHeight + 8, downs);
    }
    // Stored messages read back from the database.
    std::vector<SmsItem> Stored()
    {
        CCeSmsDB fresh(nullptr);
        fresh.Load();
        std::vector<SmsItem> out;
        for (int i = 0; i < fresh.CachedCount(); ++i)
            out.push_back(*fresh.Nth(kSmsAll, i));
        return out;
    }
    std::string Line(const char* prefix)
    {
        for (const std::string& c : card.Module().Commands())
            if (c.rfind(prefix, 0) == 0)
                return c;
        return std::string();
    }
    zentest::Image Shot(const wchar_t* name)
    {
        zentest::PumpMessages(100);
        const zentest::Image img = zentest::CaptureWindow(sms.GetHwnd());
        zentest::SaveScreenshot(img, name);
        return img;
    }
    // Pixels of a row's text colour in a row (the text area only).
    int RowInk(const zentest::Image& img, int row, COLORREF ink)
    {
        const RECT rc = {30, CCeMWndSMS::kTitleHeight + row * List::kRowHeight + 2, 225,
                         CCeMWndSMS::kTitleHeight + (row + 1) * List::kRowHeight - 2};
        return zentest::CountPixels(img, rc, zentest::FromColorRef(ink), 40);
    }

    cedbtest::ScopedStore scoped{L"smswindow"};
    soundtest::InstallFolder install{L"smswindow"};
    CCeDataManager data;
    CCeMWndSMS sms{data, &modem};
    MainStandIn main;
    HWND host = nullptr;
    std::vector<HWND> boxes;
};

TEST(SmsViewText, RowSnippetsReaderBodiesAndHeaderLines)
{
    using namespace SmsViewText;
    EXPECT_EQ(L"짧은 글", RowSnippet(L"짧은 글"));
    EXPECT_EQ(L"1234567", RowSnippet(L"1234567"));
    // Longer than 7: characters while fewer than 14 bytes were counted.
    EXPECT_EQ(L"abcdefghijklmn", RowSnippet(L"abcdefghijklmnopq"));
    EXPECT_EQ(L"가나다라마바사", RowSnippet(L"가나다라마바사아자"));
    EXPECT_EQ(L"abcdefghijklm가", RowSnippet(L"abcdefghijklm가나"));
    EXPECT_EQ(L"a b c  d e", RowSnippet(L"a\rb\nc\r\nd\te"));
    EXPECT_EQ(L"one\r\ntwo\r\nthree\r\n\r\nfour", ReaderBody(L"one\ntwo\rthree\r\n\nfour"));

    SmsItem item = {};
    strcpy(item.szTime, "20261207183005");
    strcpy(item.szNumber, "0101234567");
    item.nState = kSmsUnread;
    EXPECT_EQ(L"날짜 : 2026년 12월 07일", DateLine(item));
    EXPECT_EQ(L"시간 : 오후  6:30", TimeLine(item));
    strcpy(item.szTime, "20260101120000");
    EXPECT_EQ(L"시간 : 오후 12:00", TimeLine(item));
    strcpy(item.szTime, "20260101000900");
    EXPECT_EQ(L"시간 : 오전  0:09", TimeLine(item));
    strcpy(item.szTime, "2026");  // a short stamp reads as zeros, not past its end
    EXPECT_EQ(L"날짜 : 2026년 00월 00일", DateLine(item));
    EXPECT_EQ(L"송신자 : 0101234567", PartyLine(item));
    wcscpy(item.szName, L"홍길동");
    EXPECT_EQ(L"송신자 : 0101234567 (홍길동)", PartyLine(item));
    const LONG states[] = {kSmsUnread, kSmsRead, kSmsSending, kSmsSent, kSmsSendFailed};
    const wchar_t* lines[] = {L"종류 : 수신 (미확인)", L"종류 : 수신 (확인)", L"종류 : 발신 (미전송)",
                              L"종류 : 발신 (성공)", L"종류 : 발신 (실패)"};
    for (int i = 0; i < 5; ++i) {
        item.nState = states[i];
        EXPECT_EQ(lines[i], StateLine(item));
    }
    EXPECT_EQ(L"수신자 : 0101234567 (홍길동)", PartyLine(item));
}

// A Korean text while the screen is hidden: stored, counted in the title and
// in nNewMessages, the parent told; the tone only with the message tone on
// and the phone not silenced.
TEST_F(SmsWindowTest, TextsArriveWhileHiddenWithTheToneOnlyWhenAskedFor)
{
    OpenReady();
    ASSERT_FALSE(IsWindowVisible(sms.GetHwnd()));
    soundtest::ClearCapture();
    const std::wstring body = L"안녕하세요, 반갑습니다; 내일 봐요?";
    ASSERT_TRUE(Receive("010-1234-5678", body, 1));
    ASSERT_FALSE(IsWindowVisible(sms.GetHwnd()));
    EXPECT_TRUE(soundtest::WaitForCapture(kSmsTone, kToneSamples / 2)) << "sms.wav at the sound device";
    const SmsItem* item = Store().Nth(kSmsAll, 0);
    ASSERT_TRUE(item);
    EXPECT_EQ(kSmsUnread, item->nState);
    EXPECT_STREQ("010-1234-5678", item->szNumber);
    EXPECT_EQ(ToCp949(body), item->szText);
    EXPECT_STREQ(L"홍길동", item->szName);
    EXPECT_EQ(4098, item->nTeleservice);
    EXPECT_EQ(1, data.m_Settings.nNewMessages);
    EXPECT_EQ(L"미확인: 1, 총: 1", sms.TitleText());
    EXPECT_EQ(1, Notices(List::kNotifyCounts));
    auto stored = Stored();
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(ToCp949(body), stored[0].szText);
    // The count is saved with the settings.
    {
        CCeDataManager other;
        other.m_EnvDB.Load();
        EXPECT_EQ(1, other.m_Settings.nNewMessages);
    }

    // Message tone off: stored after the module's own alert, no tone.
    data.m_Settings.bMessageTone = 0;
    soundtest::ClearCapture();
    ASSERT_TRUE(Receive("0109998888", L"두번째", 2));
    // The phone silenced: no tone either.
    data.m_Settings.bMessageTone = 1;
    data.m_Settings.nBellSource = 0;
    ASSERT_TRUE(Receive("0109998888", L"세번째", 3));
    soundtest::PumpUntil([] { return false; }, 600);
    EXPECT_EQ(0u, soundtest::CapturedCount(kSmsTone));
    EXPECT_EQ(3, data.m_Settings.nNewMessages);
    EXPECT_EQ(L"미확인: 3, 총: 3", sms.TitleText());
    // Newest first; a number no contact has is listed with an empty name.
    EXPECT_EQ(ToCp949(L"세번째"), Store().Nth(kSmsAll, 0)->szText);
    EXPECT_STREQ(L"", Store().Nth(kSmsAll, 0)->szName);

    Show();
    const zentest::Image list = Shot(L"sms_list");
    EXPECT_GT(RowInk(list, 0, List::kUnreadInk), 20) << "unread rows in blue";
    EXPECT_EQ(3, sms.List().RowCount());
}

// Opening a message: the row turns black, the unread count drops, the text
// shows with its line breaks; previous and next walk the tab.
TEST_F(SmsWindowTest, TheReaderMarksReadAndWalksTheTab)
{
    OpenReady();
    ASSERT_TRUE(Receive("0105550001", L"첫째 줄\n둘째 줄\r\n셋째 줄", 1));
    ASSERT_TRUE(Receive("010-1234-5678", L"두번째 메시지", 2));
    Show();
    main.notices.clear();
    EXPECT_EQ(L"미확인: 2, 총: 2", sms.TitleText());

    TapRow(1, [&] { return ReaderOpen(); });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    EXPECT_EQ(kSmsRead, Store().Current()->nState);
    EXPECT_EQ(L"미확인: 1, 총: 2", sms.TitleText());
    EXPECT_EQ(1, Notices(List::kNotifyCounts));
    wchar_t text[400] = {};
    GetWindowTextW(sms.List().TextBox(), text, 400);
    EXPECT_STREQ(L"첫째 줄\r\n둘째 줄\r\n셋째 줄", text);
    EXPECT_EQ(3, SendMessageW(sms.List().TextBox(), EM_GETLINECOUNT, 0, 0));
    EXPECT_TRUE(IsWindowEnabled(sms.List().ToolButton(List::kToolPrevious)));
    EXPECT_FALSE(IsWindowEnabled(sms.List().ToolButton(List::kToolNext)));
    EXPECT_EQ(kSmsRead, Stored()[1].nState) << "the read state is stored";
    Shot(L"sms_reader");

    StepReader(List::kToolPrevious);
    EXPECT_STREQ(L"홍길동", Store().Current()->szName);
    EXPECT_EQ(kSmsRead, Store().Current()->nState);
    EXPECT_EQ(L"미확인: 0, 총: 2", sms.TitleText());
    EXPECT_FALSE(IsWindowEnabled(sms.List().ToolButton(List::kToolPrevious)));
    EXPECT_TRUE(IsWindowEnabled(sms.List().ToolButton(List::kToolNext)));
    GetWindowTextW(sms.List().TextBox(), text, 400);
    EXPECT_STREQ(L"두번째 메시지", text);
    // A text arriving while reading: the reader keeps its message, which
    // now has a newer neighbour.
    const ModemSmsRecord newer = Record("0105550009", "newer");
    SendMessageW(sms.GetHwnd(), WM_MODEM_SMSNEW, 1, reinterpret_cast<LPARAM>(&newer));
    EXPECT_TRUE(sms.List().IsReaderOpen());
    EXPECT_STREQ(L"홍길동", Store().Current()->szName);
    EXPECT_TRUE(IsWindowEnabled(sms.List().ToolButton(List::kToolPrevious)));
    EXPECT_EQ(L"미확인: 1, 총: 3", sms.TitleText());

    // Back closes the reader; the rows are black now.
    TapControl(sms.Button(CCeMWndSMS::kBack), [&] { return !ReaderOpen(); });
    EXPECT_FALSE(sms.List().IsReaderOpen());
    EXPECT_TRUE(main.closes.empty());
    SetFocus(host);
    const zentest::Image rows = Shot(L"sms_list_read");
    EXPECT_GT(RowInk(rows, 0, List::kUnreadInk), 20);
    for (int row : {1, 2}) {
        EXPECT_EQ(0, RowInk(rows, row, List::kUnreadInk)) << row;
        EXPECT_GT(RowInk(rows, row, RGB(0, 0, 0)), 20) << row;
    }
    // Back again asks the main window to close the screen.
    TapControl(sms.Button(CCeMWndSMS::kBack), [&] { return !main.closes.empty(); });
    ASSERT_EQ(1u, main.closes.size());
    EXPECT_EQ(4u, LOWORD(main.closes[0]));
}

// Reply from the reader: the composer opens with the sender's number, the
// typed Korean text goes out as the exact send line in code page 949, and
// the module's verdict reaches the composer through the window.
TEST_F(SmsWindowTest, ReplyGoesOutThroughTheComposer)
{
    OpenReady();
    ASSERT_TRUE(Receive("0105550001", L"답장 주세요", 1));
    Show();
    TapRow(0, [&] { return ReaderOpen(); });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    TapControl(sms.List().ToolButton(List::kToolReply), [&] { return Last(4126) != nullptr; });
    const MainStandIn::Request* reply = Last(4126);
    ASSERT_TRUE(reply);
    EXPECT_EQ(L"0105550001", reply->number);
    EXPECT_EQ(L"", reply->text);
    EXPECT_TRUE(Last(4127)) << "the message view is asked for";
    ASSERT_TRUE(sms.IsComposerShown());
    EXPECT_FALSE(IsWindowVisible(ListHwnd()));
    EXPECT_FALSE(IsWindowVisible(sms.TabCombo()));
    CCeMSmsSenderWnd& composer = sms.Composer();
    ASSERT_EQ(1, composer.RecipientCount());
    EXPECT_EQ(L"0105550001", composer.Recipient(0));
    EXPECT_EQ(CCeMSmsSenderWnd::kViewText, composer.CurrentView());

    // The phone's own number, as the module told it, is the callback number.
    const std::string own = modem.Status.dialInfo;
    ASSERT_FALSE(own.empty());
    SetFocus(composer.Control(CCeMSmsSenderWnd::kText));
    const std::wstring typed = L"네, 알겠습니다!";
    for (wchar_t c : typed)
        TypeChar(c);
    ASSERT_TRUE(zentest::WaitUntil([&] { return composer.Bytes() == CCeMSmsSenderWnd::TextBytes(typed); }, 3000));
    EXPECT_EQ(L"새메시지 - 남은 글자 : 65 (1/3)", sms.TitleText());
    Shot(L"sms_composer");

    // Back while editing returns to the list; the draft stays.
    TapControl(sms.Button(CCeMWndSMS::kBack), [&] { return !sms.IsComposerShown(); });
    EXPECT_FALSE(sms.IsComposerShown());
    EXPECT_TRUE(IsWindowVisible(ListHwnd()));
    TapControl(sms.Button(CCeMWndSMS::kNewMessage), [&] { return sms.IsComposerShown(); });
    ASSERT_TRUE(sms.IsComposerShown());
    EXPECT_EQ(15, composer.Bytes());

    TapControl(composer.Control(CCeMSmsSenderWnd::kSend), [&] { return composer.Phase() != CCeMSmsSenderWnd::kEditing; });
    EXPECT_EQ(CCeMSmsSenderWnd::kSending, composer.Phase());
    // Back does not leave a run.
    TapControl(sms.Button(CCeMWndSMS::kBack));
    EXPECT_TRUE(sms.IsComposerShown());
    ASSERT_TRUE(zentest::WaitUntil([&] { return composer.Phase() == CCeMSmsSenderWnd::kFinished; }, 10000));
    EXPECT_EQ(1, composer.Successes());
    EXPECT_EQ("AT$SMSMO0=0105550001," + own + ",4098,\"" + ToCp949(typed) + "\"", Line("AT$SMSMO"));
    const auto outbox = card.Module().Outbox();
    ASSERT_EQ(1u, outbox.size());
    EXPECT_EQ(ToCp949(typed), outbox[0].body);
    Shot(L"sms_composer_done");

    // Shown again after the run: the list, with the sent message in its tab.
    ShowWindow(sms.GetHwnd(), SW_HIDE);
    Show();
    EXPECT_FALSE(sms.IsComposerShown());
    ChooseTab(kSmsSentOnes);
    EXPECT_EQ(L"총 발신 : 1 개", sms.TitleText());
    ASSERT_EQ(1, sms.List().RowCount());
    EXPECT_EQ(kSmsSent, sms.List().Row(0)->nState);
}

// Forward passes the text too; call back and add-to-contacts ask the main
// window with the item's number; saving a phrase stores the text.
TEST_F(SmsWindowTest, ReaderToolsAskTheMainWindow)
{
    const ModemSmsRecord r = Record("0105550002", "forward me; please");
    SendMessageW(sms.GetHwnd(), WM_MODEM_SMSNEW, 1, reinterpret_cast<LPARAM>(&r));
    Show();
    TapRow(0, [&] { return ReaderOpen(); });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    TapControl(sms.List().ToolButton(List::kToolCall), [&] { return Last(4124) != nullptr; });
    ASSERT_TRUE(Last(4124));
    EXPECT_EQ("0105550002", Last(4124)->narrow);
    EXPECT_TRUE(zentest::WaitUntil([&] { return Last(4125) != nullptr; }, 1000)) << "dial posted";
    TapControl(sms.List().ToolButton(List::kToolAddContact), [&] { return Last(4128) != nullptr; });
    ASSERT_TRUE(Last(4128));
    EXPECT_EQ(L"0105550002", Last(4128)->number);

    AnswerBox(true);
    TapControl(sms.List().ToolButton(List::kToolSave), [&] { return !boxes.empty(); });
    ASSERT_EQ(1u, boxes.size());
    data.m_SmsMsgDB.Load();
    ASSERT_EQ(1, data.m_SmsMsgDB.Count());
    EXPECT_STREQ(L"forward me; please", data.m_SmsMsgDB.Text(0));

    TapControl(sms.List().ToolButton(List::kToolForward), [&] { return Last(4126) != nullptr; });
    ASSERT_TRUE(Last(4126));
    EXPECT_EQ(L"0105550002", Last(4126)->number);
    EXPECT_EQ(L"forward me; please", Last(4126)->text);
    ASSERT_TRUE(sms.IsComposerShown());
    wchar_t text[64] = {};
    GetWindowTextW(sms.Composer().Control(CCeMSmsSenderWnd::kText), text, 64);
    EXPECT_STREQ(L"forward me; please", text);
}

// Deleting per tab: all of the sent tab leaves received texts and voice-mail
// notices; the voice tab lists, counts, walks and deletes only notices.
TEST_F(SmsWindowTest, DeletingStaysWithinTheTab)
{
    const ModemSmsRecord received[] = {Record("0101110001", "text one"), Record("0101110002", "voice one", 4099),
                                       Record("0101110003", "text two"), Record("0101110004", "voice two", 4099),
                                       Record("0101110005", "voice three", 4099)};
    SendMessageW(sms.GetHwnd(), WM_MODEM_SMSNEW, 5, reinterpret_cast<LPARAM>(received));
    ASSERT_TRUE(Store().AddSent(L"0102220001", L"sent one", kSmsSent, L""));
    ASSERT_TRUE(Store().AddSent(L"0102220002", L"sent two", kSmsSendFailed, L""));
    Store().Recount();
    Show();
    EXPECT_EQ(L"미확인: 5, 총: 7", sms.TitleText());

    ChooseTab(kSmsSentOnes);
    ASSERT_EQ(2, sms.List().RowCount());
    const zentest::Image sent = Shot(L"sms_sent_tab");
    EXPECT_GT(RowInk(sent, 0, List::kFailedInk), 10) << "a failed message in red";
    TapRow(0, [&] { return ReaderOpen(); });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    TapControl(sms.Button(CCeMWndSMS::kBack), [&] { return !ReaderOpen(); });
    // No to the question deletes nothing.
    AnswerBox(false);
    auto items = HoldRow(0, 4);
    EXPECT_EQ((std::vector<std::wstring>{L"답장하기", L"전화걸기", L"", L"삭제하기", L"모두삭제"}), items);
    EXPECT_EQ(7u, Stored().size());
    AnswerBox(true);
    HoldRow(0, 4);
    EXPECT_EQ(0, sms.List().RowCount());
    EXPECT_EQ(L"총 발신 : 0 개", sms.TitleText());
    auto left = Stored();
    ASSERT_EQ(5u, left.size());
    for (const SmsItem& i : left)
        EXPECT_TRUE(i.nState & kSmsReceivedBit);
    EXPECT_GE(Notices(List::kNotifyCounts), 2);

    ChooseTab(kSmsVoiceMail);
    EXPECT_EQ(L"총 음성 : 3 개", sms.TitleText());
    ASSERT_EQ(3, sms.List().RowCount());
    items = HoldRow(1, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"음성확인", L"전화걸기", L"", L"삭제하기", L"모두삭제"}), items);
    TapRow(1, [&] { return ReaderOpen(); });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    EXPECT_STREQ("voice two", Store().Current()->szText);
    StepReader(List::kToolNext);
    EXPECT_STREQ("voice one", Store().Current()->szText);
    EXPECT_FALSE(IsWindowEnabled(sms.List().ToolButton(List::kToolNext)));
    // Delete in the reader: the neighbour in the same tab is shown.
    AnswerBox(true);
    TapControl(sms.List().ToolButton(List::kToolDelete), [&] { return Store().Count(kSmsVoiceMail) == 2; });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    EXPECT_STREQ("voice two", Store().Current()->szText);
    EXPECT_EQ(L"총 음성 : 2 개", sms.TitleText());
    TapControl(sms.Button(CCeMWndSMS::kBack), [&] { return !ReaderOpen(); });
    // The voice-mail command dials the mailbox.
    HoldRow(0, 1);
    ASSERT_TRUE(Last(4124));
    EXPECT_EQ("*89", Last(4124)->narrow);
    // Delete one from the list by its menu.
    AnswerBox(true);
    HoldRow(0, 3);
    EXPECT_EQ(1, sms.List().RowCount());
    ChooseTab(kSmsReceived);
    EXPECT_EQ(2, sms.List().RowCount());
    EXPECT_EQ(3u, Stored().size());
}

// Odd texts from the module: broken escapes through the link's own parser,
// 255 two-byte characters cut at a whole character, control characters,
// and a count larger than the records the link can hold.
TEST_F(SmsWindowTest, OddTextsAreStoredAndShownSafely)
{
    LineParser parser;
    parser.SetWindows(host, host, sms.GetHwnd());
    ASSERT_EQ(1, parser.ParseMessageRecord("20261207101010,0103334444,4098,a\\x3bb\\X0Dc\\x4\\"));
    ASSERT_EQ(1, parser.DeliverRecords());
    ASSERT_EQ(1, Store().CachedCount());
    EXPECT_STREQ("a;b\rc\\x4\\", Store().Nth(kSmsAll, 0)->szText);

    OpenReady();
    const std::wstring longText(255, L'뷁');
    ASSERT_TRUE(Receive("0103334444", longText, 2));
    const std::string stored = Store().Nth(kSmsAll, 0)->szText;
    EXPECT_EQ(0u, stored.size() % 2) << "cut at a whole character";
    EXPECT_LE(stored.size(), 329u);
    EXPECT_GT(stored.size(), 200u);
    EXPECT_EQ(ToCp949(longText).substr(0, stored.size()), stored);

    const ModemSmsRecord controls = Record("0103334444", "bell\x07tab\there\r\nline\x01two");
    SendMessageW(sms.GetHwnd(), WM_MODEM_SMSNEW, 1, reinterpret_cast<LPARAM>(&controls));
    ASSERT_EQ(3, Store().CachedCount());
    EXPECT_EQ(L"bell tab\there\r\nline two", SmsViewText::Body(*Store().Nth(kSmsAll, 0)));
    EXPECT_EQ(L"bell tab here ", SmsViewText::RowSnippet(SmsViewText::Body(*Store().Nth(kSmsAll, 0))));

    // More than the link holds: only what it can hold is read.
    ModemSmsRecord many[CCeMAtParser::MAX_SMS_RECORDS];
    for (ModemSmsRecord& m : many)
        m = Record("0105556666", "many");
    SendMessageW(sms.GetHwnd(), WM_MODEM_SMSNEW, 1000, reinterpret_cast<LPARAM>(many));
    EXPECT_EQ(3 + CCeMAtParser::MAX_SMS_RECORDS, Store().CachedCount());
    // A count without records is an announcement, not a delivery.
    SendMessageW(sms.GetHwnd(), WM_MODEM_SMSNEW, 3, 0);
    EXPECT_EQ(3 + CCeMAtParser::MAX_SMS_RECORDS, Store().CachedCount());

    Show();
    TapRow(0, [&] { return ReaderOpen(); });
    ASSERT_TRUE(sms.List().IsReaderOpen());
    // Newest first: the five of one report, the control characters, the long one.
    for (int i = 0; i < CCeMAtParser::MAX_SMS_RECORDS + 1; ++i)
        StepReader(List::kToolNext);
    EXPECT_EQ(longText.substr(0, stored.size() / 2), SmsViewText::Body(*Store().Current()));
    Shot(L"sms_reader_long");

    // Privacy hides the rows and the reader cannot be opened.
    TapControl(sms.Button(CCeMWndSMS::kBack), [&] { return !ReaderOpen(); });
    data.m_Settings.bPrivacy = 1;
    sms.List().Refresh();
    EXPECT_EQ(0, sms.List().RowCount());
    TapRow(0);
    EXPECT_FALSE(sms.List().IsReaderOpen());
    Shot(L"sms_privacy");
}

}  // namespace
