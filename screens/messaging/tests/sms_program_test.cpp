// Text messages through Zentrika.exe as the user runs it: a Korean text from
// the module arrives while the dial view is shown, is read in the message
// view and answered with a text typed on the input panel's Korean layout.
#include <gtest/gtest.h>

#include <windows.h>
#include <sipapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ContactFixture.h"
#include "PhoneProgram.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "modem/CodePage.h"
#include "resources/messaging_res.h"
#include "screens/messaging/CCeMSmsSenderWnd.h"
#include "stores/CCeDataManager.h"

namespace {

using zen::sim::ToCp949;

// The input panel's two-set rows under the digit row; shift is the first
// key of the fourth row.
const wchar_t* const kRows[] = {L"1234567890", L"ㅂㅈㄷㄱㅅㅛㅕㅑㅐㅔ", L"ㅁㄴㅇㄹㅎㅗㅓㅏㅣ\b",
                                L"^ㅋㅌㅊㅍㅠㅜㅡ,."};

constexpr int kPickable = 31;
std::wstring PickableNumber(int i)
{
    return L"0104444" + std::to_wstring(1000 + i);
}

class SmsProgramTest : public phoneprog::PhoneProgramTest {
protected:
    static void SetUpTestSuite()
    {
        phoneprog::Options options;
        options.storeName = L"smsprogram";
        options.prepare = [] {
            contacttest::AddPerson({L"홍길동", L"0101234567"});
            // Thirty-one mobiles for the picker, listed after 홍길동.
            for (int i = 0; i < kPickable; ++i)
                contacttest::AddPerson({(L"수신" + std::to_wstring(10 + i)).c_str(), PickableNumber(i).c_str()});
            CCeDataManager data;
            data.m_EnvDB.Load();
            data.m_Settings.bMessageTone = 1;
            data.m_Settings.nNewMessages = 0;
            data.m_EnvDB.Save();
        };
        StartSession(options);
    }
    static void TearDownTestSuite() { EndSession(); }

    static SettingsBlock Settings()
    {
        CCeDataManager data;
        data.m_EnvDB.Load();
        return data.m_Settings;
    }
    static std::vector<SmsItem> Stored()
    {
        UseDioHanConversion();
        CCeSmsDB db(nullptr);
        db.Load();
        std::vector<SmsItem> out;
        for (int i = 0; i < db.CachedCount(); ++i)
            out.push_back(*db.Nth(kSmsAll, i));
        return out;
    }
    static HWND Messages() { return FindWindowExW(s_phone, nullptr, L"CCeMWndSMS", nullptr); }
    static bool WaitTitle(const std::wstring& title)
    {
        return zentest::WaitUntil([&] { return TextOf(Messages()) == title; }, 5000);
    }
    static RECT Panel()
    {
        SIPINFO si = {};
        si.cbSize = sizeof si;
        SipGetInfo(&si);
        return si.rcSipRect;
    }
    static void TapPanel(int row, int col, int rows)
    {
        const RECT p = Panel();
        const int w = (p.right - p.left) / 10, h = (p.bottom - p.top) / rows;
        uitest::Tap({p.left + col * w + w / 2, p.top + row * h + h / 2});
        zentest::PumpMessages(60);
    }
    // Jamo keys of the Korean layout; '^' shift, ' ' the space bar.
    static void TapControl(HWND w)
    {
        RECT rc;
        GetWindowRect(w, &rc);
        uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        zentest::PumpMessages(300);
    }
    // Brings up one of the composer's views by its tab and returns `control` once shown.
    static HWND ComposerView(HWND composer, int view, int control)
    {
        TapAt(composer, 40, 12 + view * 24);
        HWND w = GetDlgItem(composer, control);
        return zentest::WaitUntil([&] { return IsWindowVisible(w); }, 3000) ? w : nullptr;
    }
    // Types a number into the recipient edit by keys and taps "추가".
    static void AddRecipient(HWND composer, const wchar_t* number)
    {
        HWND recipient = ComposerView(composer, CCeMSmsSenderWnd::kViewRecipients, CCeMSmsSenderWnd::kRecipient);
        ASSERT_NE(nullptr, recipient);
        TapAt(recipient, 20, 8);
        for (const wchar_t* c = number; *c; ++c)
            uitest::Key(static_cast<WORD>(*c));
        zentest::PumpMessages(200);
        TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kAdd));
    }
    // A new text: back to the list, then its "작성".
    static void NewText(HWND messages)
    {
        HWND back = FindChild(messages, L"Button", L"뒤로");
        ASSERT_NE(nullptr, back);
        TapControl(back);
        HWND write = FindChild(messages, L"Button", L"작성");
        ASSERT_NE(nullptr, write);
        TapControl(write);
    }
    // A new text for one recipient.
    static void Compose(HWND messages, HWND composer, const wchar_t* number, const wchar_t* words)
    {
        NewText(messages);
        AddRecipient(composer, number);
        HWND text = ComposerView(composer, CCeMSmsSenderWnd::kViewText, CCeMSmsSenderWnd::kText);
        ASSERT_NE(nullptr, text);
        TapAt(text, 20, 8);
        for (const wchar_t* c = words; *c; ++c)
            uitest::TypeChar(*c);
        ASSERT_TRUE(zentest::WaitUntil([&] { return TextOf(text) == words; }, 3000));
    }
    // The stored state of the last text sent to `number`, or -1.
    static int SentState(const char* number)
    {
        int state = -1;
        for (const SmsItem& i : Stored())
            if (!(i.nState & kSmsReceivedBit) && strcmp(i.szNumber, number) == 0)
                state = static_cast<int>(i.nState);
        return state;
    }
    static void TypeHangul(const std::wstring& keys)
    {
        for (wchar_t k : keys) {
            if (k == L'^') {
                TapPanel(3, 0, 5);
            } else if (k == L' ') {
                TapPanel(4, 5, 5);
            } else {
                for (int r = 0; r < 4; ++r)
                    if (const wchar_t* at = wcschr(kRows[r], k)) {
                        TapPanel(r, static_cast<int>(at - kRows[r]), 5);
                        break;
                    }
            }
        }
    }
};

// Arrives while the dial view is shown: stored, counted in the message
// window's title and in nNewMessages, the display's unread mark lit and the
// tone heard at the sound device.
TEST_F(SmsProgramTest, AKoreanTextArrivesWhileTheDialViewIsShown)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    ASSERT_TRUE(WaitSent("AT$SMSNEWMT0?", 1)) << "the start-up read";
    HWND messages = Messages();
    ASSERT_NE(nullptr, messages);
    ASSERT_FALSE(IsWindowVisible(messages));
    zentest::PumpMessages(300);
    RECT lcd;
    GetWindowRect(s_lcd, &lcd);
    const RECT mark = {lcd.left + 190, lcd.top + 3, lcd.left + 204, lcd.top + 14};
    const zentest::Image before = zentest::CaptureScreen();
    // Each sound opens the device anew and rewrites the capture: start empty.
    wchar_t capture[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", capture, MAX_PATH);
    DeleteFileW((std::wstring(L"Z:") + capture).c_str());
    ASSERT_EQ(0, CaptureBytes());

    s_card->Module().IncomingTextW("0101234567", L"안녕하세요? 내일 만나요.");
    ASSERT_TRUE(WaitTitle(L"미확인: 1, 총: 1")) << TextOf(Messages()).size();
    EXPECT_FALSE(IsWindowVisible(messages)) << "the dial view stays";
    EXPECT_TRUE(zentest::WaitUntil([&] { return CaptureBytes() > 0; }, 5000)) << "sms.wav played";
    EXPECT_TRUE(zentest::WaitUntil([] { return Settings().nNewMessages == 1; }, 3000));
    const auto stored = Stored();
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ(kSmsUnread, stored[0].nState);
    EXPECT_EQ(ToCp949(L"안녕하세요? 내일 만나요."), stored[0].szText);
    EXPECT_STREQ(L"홍길동", stored[0].szName);
    zentest::PumpMessages(500);
    const zentest::Image after = zentest::CaptureScreen();
    EXPECT_GT(zentest::DifferentShare(before, after, mark), 0.1) << "the unread mark on the display";
    Shot(L"sms-program-arrived");
}

// Read in the message view: the row turns read and the count drops; the
// reply is typed on the Korean panel and sent as the exact line.
TEST_F(SmsProgramTest, ReadAndAnsweredFromTheKoreanPanel)
{
    ASSERT_TRUE(PhoneRunning());
    uitest::Activate(s_phone);
    ASSERT_TRUE(TapBarButton(40010));
    HWND messages = Messages();
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(messages); }, 3000));
    HWND list = FindChild(messages, L"CCeMItemList", nullptr);
    ASSERT_NE(nullptr, list);
    TapAt(list, 60, 8);
    ASSERT_TRUE(WaitTitle(L"미확인: 0, 총: 1"));
    EXPECT_TRUE(zentest::WaitUntil([] { return Stored()[0].nState == kSmsRead; }, 3000));
    Shot(L"sms-program-reader");

    HWND reply = FindChild(list, L"Button", L"답장");
    ASSERT_NE(nullptr, reply);
    RECT rc;
    GetWindowRect(reply, &rc);
    uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    HWND composer = FindChild(messages, L"SMS Sender", nullptr);
    ASSERT_NE(nullptr, composer);
    HWND text = GetDlgItem(composer, 102);
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(text); }, 3000));
    const RECT panel = Panel();
    ASSERT_LT(panel.top, panel.bottom);
    ASSERT_TRUE(zentest::WaitUntil([&] { return TextOf(Messages()).rfind(L"새메시지", 0) == 0; }, 3000));

    TapPanel(3, 8, 4);  // the Latin panel's layout key: to Korean
    TypeHangul(L"ㄴㅔ ㅇㅏㄹㄱㅔ^ㅅㅅㅡㅂㄴㅣㄷㅏ");
    const std::wstring typed = L"네 알겠습니다";
    EXPECT_TRUE(zentest::WaitUntil([&] { return TextOf(text) == typed; }, 3000)) << TextOf(text).size();
    EXPECT_TRUE(WaitTitle(L"새메시지 - 남은 글자 : 67 (1/3)"));
    Shot(L"sms-program-composer");

    HWND send = FindChild(composer, L"Button", L"전송");
    ASSERT_NE(nullptr, send);
    GetWindowRect(send, &rc);
    uitest::Tap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    ASSERT_TRUE(WaitSent("AT$SMSMO", 1));
    EXPECT_EQ(std::vector<std::string>{"AT$SMSMO0=0101234567,01012345678,4098,\"" + ToCp949(typed) + "\""},
              SentLines("AT$SMSMO"));
    const auto outbox = s_card->Module().Outbox();
    ASSERT_EQ(1u, outbox.size());
    EXPECT_EQ(ToCp949(typed), outbox[0].body);
    // The module's verdict: the stored message turns sent.
    EXPECT_TRUE(zentest::WaitUntil(
        [] {
            for (const SmsItem& i : Stored())
                if (!(i.nState & kSmsReceivedBit))
                    return i.nState == kSmsSent;
            return false;
        },
        5000));
    Shot(L"sms-program-sent");
}

// Another program starts the phone with "SMS <number>": the running copy
// opens the composer in the message view with that recipient.
TEST_F(SmsProgramTest, ASecondStartWithSmsOpensTheComposerForTheNumber)
{
    ASSERT_TRUE(PhoneRunning());
    // Another program is in front (with the phone in front the line is dropped).
    HWND other = uitest::MakeHost(L"other");
    SetWindowPos(other, HWND_TOP, 0, 0, 240, 320, SWP_SHOWWINDOW);
    uitest::Activate(other);
    ASSERT_TRUE(zentest::WaitUntil([&] { return GetForegroundWindow() == other; }, 3000));
    HANDLE second = phoneprog::StartPhone(L"SMS 0109998888");
    ASSERT_NE(nullptr, second);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 15000));
    CloseHandle(second);
    EXPECT_TRUE(zentest::WaitUntil([] { return GetForegroundWindow() == s_phone; }, 3000));
    DestroyWindow(other);
    HWND messages = Messages();
    ASSERT_TRUE(zentest::WaitUntil([&] { return IsWindowVisible(messages); }, 5000));
    HWND composer = FindChild(messages, L"SMS Sender", nullptr);
    ASSERT_NE(nullptr, composer);
    HWND recipients = GetDlgItem(composer, 105);
    EXPECT_TRUE(zentest::WaitUntil([&] { return SendMessageW(recipients, LB_GETCOUNT, 0, 0) == 1; }, 3000));
    wchar_t number[32] = {};
    if (SendMessageW(recipients, LB_GETTEXTLEN, 0, 0) < 32)
        SendMessageW(recipients, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(number));
    EXPECT_STREQ(L"0109998888", number);
    EXPECT_TRUE(WaitTitle(L"새메시지 - 남은 글자 : 80 (0/3)"));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(composer, 102))) << "the text view, ready for typing";
    Shot(L"sms-program-second-start");
}

// The composer of the last case, taken on by pen: three recipients and the
// longest text that can be typed (240 bytes) go out as nine messages,
// recipient by recipient, part by part.
TEST_F(SmsProgramTest, ALongTextToThreeRecipientsGoesOutAsNineMessagesInOrder)
{
    ASSERT_TRUE(PhoneRunning());
    HWND messages = Messages();
    HWND composer = FindChild(messages, L"SMS Sender", nullptr);
    ASSERT_NE(nullptr, composer);
    const size_t storedBefore = Stored().size();
    const size_t linesBefore = SentLines("AT$SMSMO").size();

    for (const wchar_t* number : {L"0107770101", L"0107770102"})
        AddRecipient(composer, number);
    HWND list = GetDlgItem(composer, CCeMSmsSenderWnd::kList);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 3; }, 3000));

    HWND text = ComposerView(composer, CCeMSmsSenderWnd::kViewText, CCeMSmsSenderWnd::kText);
    ASSERT_NE(nullptr, text);
    TapAt(text, 20, 8);
    std::wstring body;
    for (int i = 0; i < 120; ++i)
        body += static_cast<wchar_t>(L'가' + i * 71);
    for (wchar_t c : body)
        uitest::TypeChar(c);
    uitest::TypeChar(L'다');  // the 241st byte is not taken
    ASSERT_TRUE(zentest::WaitUntil([&] { return TextOf(text) == body; }, 5000)) << TextOf(text).size();
    Shot(L"sms-program-three-recipients");

    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kSend));
    ASSERT_TRUE(WaitSent("AT$SMSMO", linesBefore + 9, 20000)) << SentLines("AT$SMSMO").size();
    const auto parts = CCeMSmsSenderWnd::CutIntoParts(body);
    ASSERT_EQ(3u, parts.size());
    const auto lines = SentLines("AT$SMSMO");
    ASSERT_EQ(linesBefore + 9, lines.size());
    const char* const to[] = {"0109998888", "0107770101", "0107770102"};
    for (int r = 0; r < 3; ++r)
        for (int p = 0; p < 3; ++p)
            EXPECT_EQ(std::string("AT$SMSMO0=") + to[r] + ",01012345678,4098,\"" + ToCp949(parts[p]) + "\"",
                      lines[linesBefore + r * 3 + p]);
    // Nine stored messages, each acknowledged.
    EXPECT_TRUE(zentest::WaitUntil(
        [&] {
            const auto stored = Stored();
            int sent = 0;
            for (const SmsItem& i : stored)
                for (const char* r : to)
                    sent += i.nState == kSmsSent && strcmp(i.szNumber, r) == 0;
            return stored.size() == storedBefore + 9 && sent == 9;
        },
        10000));
    Shot(L"sms-program-nine-sent");
}

// A module that refuses: without resending the text fails once; with
// resending on it goes out again until the module takes it.
TEST_F(SmsProgramTest, ARefusedTextFailsOrIsSentAgainWithResending)
{
    ASSERT_TRUE(PhoneRunning());
    HWND messages = Messages();
    HWND composer = FindChild(messages, L"SMS Sender", nullptr);
    ASSERT_NE(nullptr, composer);
    auto compose = [&](const wchar_t* number, const wchar_t* words) { Compose(messages, composer, number, words); };
    auto stateOfLast = [] { return SentState("0107770200"); };

    s_card->Module().SetAckMode(zen::sim::SimModule::AckMode::Nak, 100);
    compose(L"0107770200", L"거절");
    size_t before = SentLines("AT$SMSMO").size();
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kSend));
    ASSERT_TRUE(WaitSent("AT$SMSMO", before + 1));
    EXPECT_TRUE(zentest::WaitUntil([&] { return stateOfLast() == kSmsSendFailed; }, 5000)) << stateOfLast();
    zentest::PumpMessages(1000);
    EXPECT_EQ(before + 1, SentLines("AT$SMSMO").size()) << "not sent again without resending";
    Shot(L"sms-program-refused");

    // Resending on: refused twice, then taken.
    compose(L"0107770201", L"again");
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kResend));
    ASSERT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(composer, CCeMSmsSenderWnd::kResend), BM_GETCHECK, 0, 0));
    before = SentLines("AT$SMSMO").size();
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kSend));
    ASSERT_TRUE(WaitSent("AT$SMSMO", before + 2, 10000));
    s_card->Module().SetAckMode(zen::sim::SimModule::AckMode::Ack, 100);
    EXPECT_TRUE(zentest::WaitUntil(
        [&] {
            for (const SmsItem& i : Stored())
                if (!(i.nState & kSmsReceivedBit) && strcmp(i.szNumber, "0107770201") == 0)
                    return i.nState == kSmsSent;
            return false;
        },
        10000));
    const auto lines = SentLines("AT$SMSMO");
    ASSERT_GE(lines.size(), before + 2);
    for (size_t i = before; i < lines.size(); ++i)
        EXPECT_EQ("AT$SMSMO0=0107770201,01012345678,4098,\"again\"", lines[i]);
}

// The module answers the send line with ERROR: the text fails at once,
// not after the minute of waiting for a verdict. Then the card is pulled in
// the middle of a run: what was being sent and what waited fail at once and
// are stored so; with the card back the link comes up again.
TEST_F(SmsProgramTest, AnErrorOrAPulledCardFailsTheTextsAtOnce)
{
    ASSERT_TRUE(PhoneRunning());
    HWND messages = Messages();
    HWND composer = FindChild(messages, L"SMS Sender", nullptr);
    ASSERT_NE(nullptr, composer);
    zen::sim::SimModule& module = s_card->Module();
    module.SetAckMode(zen::sim::SimModule::AckMode::Error);
    Compose(messages, composer, L"0107770300", L"오류");
    // Resending stays on from the case before: off, so the text fails once.
    HWND resend = GetDlgItem(composer, CCeMSmsSenderWnd::kResend);
    if (SendMessageW(resend, BM_GETCHECK, 0, 0) == BST_CHECKED)
        TapControl(resend);
    ASSERT_EQ(BST_UNCHECKED, SendMessageW(resend, BM_GETCHECK, 0, 0));
    size_t before = SentLines("AT$SMSMO").size();
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kSend));
    ASSERT_TRUE(WaitSent("AT$SMSMO", before + 1));
    EXPECT_TRUE(zentest::WaitUntil([] { return SentState("0107770300") == kSmsSendFailed; }, 8000))
        << SentState("0107770300");
    EXPECT_EQ(before + 1, SentLines("AT$SMSMO").size());

    // Three recipients, a module that never gives its verdict, and the card
    // pulled while the first text waits.
    module.SetAckMode(zen::sim::SimModule::AckMode::None);
    Compose(messages, composer, L"0107770301", L"뽑힘");
    AddRecipient(composer, L"0107770302");
    AddRecipient(composer, L"0107770303");
    before = SentLines("AT$SMSMO").size();
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kSend));
    ASSERT_TRUE(WaitSent("AT$SMSMO", before + 1));
    const size_t queries = SentLines("AT$BATT?").size();
    ASSERT_TRUE(s_card->Remove());
    EXPECT_TRUE(WaitDisplay(L"*** 모뎀 상태 확인 ***\n")) << Display().c_str();
    for (const char* number : {"0107770301", "0107770302", "0107770303"})
        EXPECT_TRUE(zentest::WaitUntil([&] { return SentState(number) == kSmsSendFailed; }, 8000))
            << number << ": " << SentState(number);
    EXPECT_EQ(before + 1, SentLines("AT$SMSMO").size());
    Shot(L"sms-program-card-pulled");

    module.SetAckMode(zen::sim::SimModule::AckMode::Ack, 100);
    ASSERT_TRUE(s_card->Insert());
    ASSERT_TRUE(WaitSent("AT$BATT?", queries + 1, 10000));
    EXPECT_TRUE(zentest::WaitUntil([] { return Display().find(L"모뎀") == std::wstring::npos; }, 8000))
        << Display().c_str();
}

// Thirty recipients picked by pen in the phonebook picker; the thirty-first
// is refused with the notice; thirty lines go out in the order picked.
TEST_F(SmsProgramTest, ThirtyRecipientsArePickedAndTheThirtyFirstIsRefused)
{
    ASSERT_TRUE(PhoneRunning());
    HWND messages = Messages();
    HWND composer = FindChild(messages, L"SMS Sender", nullptr);
    ASSERT_NE(nullptr, composer);
    NewText(messages);
    ASSERT_NE(nullptr, ComposerView(composer, CCeMSmsSenderWnd::kViewRecipients, CCeMSmsSenderWnd::kPick));
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kPick));
    HWND picker = FindPhoneTopLevel(L"#32770", L"받는 사람");
    ASSERT_NE(nullptr, picker);
    HWND list = FindChild(picker, L"CCeMItemList", nullptr);
    ASSERT_NE(nullptr, list);
    zentest::PumpMessages(300);

    // Rows (홍길동 is row 0) are tapped where they stand, a page at a time:
    // two taps at one spot would make a double tap.
    RECT client;
    GetClientRect(list, &client);
    const int rows = kPickable + 1, visible = client.bottom / 16;
    int top = -1;
    auto tapRow = [&](int r) {
        if (top < 0 || r < top || r >= top + visible) {
            top = std::max(0, std::min(r, rows - visible));
            SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, top), 0);
            zentest::PumpMessages(100);
        }
        TapAt(list, 60, (r - top) * 16 + 8);
    };
    HWND count = GetDlgItem(picker, IDC_PICK_COUNT);
    for (int r = 1; r <= 30; ++r) {
        tapRow(r);
        const std::wstring want = L"총 선택된 사람 : " + std::to_wstring(r) + L" / 30";
        ASSERT_TRUE(zentest::WaitUntil([&] { return TextOf(count) == want; }, 3000)) << r;
    }
    tapRow(31);
    HWND box = FindPhoneTopLevel(L"#32770", L"알림");
    ASSERT_NE(nullptr, box) << "the thirty-first is refused with a notice";
    EXPECT_EQ(picker, GetWindow(box, GW_OWNER));
    Shot(L"sms-program-thirty-first");
    TapControl(GetDlgItem(box, IDOK));
    EXPECT_TRUE(zentest::WaitUntil([&] { return !IsWindowVisible(box); }, 3000));
    EXPECT_EQ(L"총 선택된 사람 : 30 / 30", TextOf(count));
    TapControl(GetDlgItem(picker, IDOK));
    ASSERT_TRUE(zentest::WaitUntil([&] { return !IsWindow(picker) || !IsWindowVisible(picker); }, 3000));
    HWND recipients = GetDlgItem(composer, CCeMSmsSenderWnd::kList);
    ASSERT_TRUE(zentest::WaitUntil([&] { return SendMessageW(recipients, LB_GETCOUNT, 0, 0) == 30; }, 3000))
        << SendMessageW(recipients, LB_GETCOUNT, 0, 0);

    HWND text = ComposerView(composer, CCeMSmsSenderWnd::kViewText, CCeMSmsSenderWnd::kText);
    ASSERT_NE(nullptr, text);
    TapAt(text, 20, 8);
    for (wchar_t c : std::wstring(L"모두에게"))
        uitest::TypeChar(c);
    ASSERT_TRUE(zentest::WaitUntil([&] { return TextOf(text) == L"모두에게"; }, 3000));
    const size_t before = SentLines("AT$SMSMO").size();
    TapControl(GetDlgItem(composer, CCeMSmsSenderWnd::kSend));
    ASSERT_TRUE(WaitSent("AT$SMSMO", before + 30, 30000)) << SentLines("AT$SMSMO").size() - before;
    const auto lines = SentLines("AT$SMSMO");
    for (int i = 0; i < 30; ++i) {
        const std::wstring wide = PickableNumber(i);
        const std::string number(wide.begin(), wide.end());
        EXPECT_EQ("AT$SMSMO0=" + number + ",01012345678,4098,\"" + ToCp949(L"모두에게") + "\"", lines[before + i]);
    }
    EXPECT_TRUE(zentest::WaitUntil([] { return SentState("01044441029") == kSmsSent; }, 10000));
}

}  // namespace
