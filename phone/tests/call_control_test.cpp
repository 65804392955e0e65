// Calls end to end against the simulated module: ringing, answering,
// rejecting, dialling and what each leaves in the call list and the totals.
#include "CallFixture.h"

#include <cstring>

#include "nled.h"
#include "phone/NotificationLed.h"
#include "stores/CCeEnvDB.h"

namespace {

TEST_F(CallTest, IncomingCallFromAContactAnsweredAndEnded)
{
    data.m_Settings.nTotalInSeconds = 100;
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_EQ(L"전화가 왔습니다.", Message());
    EXPECT_EQ(L"홍길동", Number());
    EXPECT_EQ(1, host.dialViewShown);
    EXPECT_EQ(2, data.m_Call.nDirection);
    EXPECT_EQ(2, data.m_Call.nBookedDirection);
    EXPECT_STREQ(L"홍길동", data.m_Call.szName);
    EXPECT_EQ(kLedBlink, CeNledGetState(kRingLed));

    calls.InCallKey(5, 1);  // any digit answers
    ASSERT_TRUE(WaitSent("AT$QCCAV"));
    EXPECT_EQ(std::vector<std::string>{"AT$QCCAV"}, Sent("AT$QCCAV"));
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    EXPECT_TRUE(lcd.IsCallTimerRunning());
    EXPECT_EQ(kLedOff, CeNledGetState(kRingLed));
    EXPECT_TRUE(Sent("AT$DTMF").empty());  // the answering key is no tone

    zentest::PumpMessages(2100);
    calls.InCallKey(CCeMCallControl::KEY_END, 1);
    ASSERT_TRUE(WaitSent("AT$REL"));
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_FALSE(lcd.IsCallTimerRunning());
    EXPECT_EQ(L"", Number());
    EXPECT_EQ(0, data.m_Call.nDirection);
    EXPECT_EQ(0, data.m_Call.nBookedDirection);
    EXPECT_STREQ(L"", data.m_Call.szName);
    EXPECT_EQ(1, host.callListChanges);

    const CallItem* call = Newest();
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(1, data.m_CallListDB.ItemCount());
    EXPECT_EQ(CCeCallListDB::kAnswered, call->nKind);
    EXPECT_STREQ("010-123-4567", call->szNumber);
    EXPECT_STREQ(L"홍길동", call->szName);
    EXPECT_GE(call->nSeconds, 2);
    EXPECT_LE(call->nSeconds, 4);
    EXPECT_EQ(call->nSeconds, data.m_Settings.nLastInSeconds);
    EXPECT_EQ(100 + call->nSeconds, data.m_Settings.nTotalInSeconds);
    EXPECT_EQ(0, data.m_Settings.nTotalOutSeconds);
    // The totals were saved.
    SettingsBlock stored{};
    CCeEnvDB env(stored, data.m_szInstallDir);
    ASSERT_EQ(1, env.Load());
    EXPECT_EQ(data.m_Settings.nTotalInSeconds, stored.nTotalInSeconds);
}

TEST_F(CallTest, ARingThatStopsIsAMissedCall)
{
    card.Module().Ring("0167778888");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_EQ(L"0167778888", Number());  // no contact: the number
    // The end key does nothing while it rings.
    calls.InCallKey(CCeMCallControl::KEY_END, 1);
    zentest::PumpMessages(300);
    EXPECT_TRUE(Sent("AT$REL").empty());
    EXPECT_EQ(CALL_RINGING, data.m_Call.nLastState);
    EXPECT_EQ(kLedBlink, CeNledGetState(kRingLed));

    card.Module().RemoteHangUp();
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_EQ(kLedOff, CeNledGetState(kRingLed));
    EXPECT_EQ(1, lcd.MissedCalls());
    const CallItem* call = Newest();
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kMissed, call->nKind);
    EXPECT_STREQ("016-777-8888", call->szNumber);
    EXPECT_EQ(0, call->nSeconds);
    EXPECT_EQ(0, data.m_Settings.nTotalInSeconds);

    // The next call rings after a released one: its caller is looked up as well.
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_EQ(L"홍길동", Number());
    EXPECT_EQ(2, data.m_Call.nDirection);
}

TEST_F(CallTest, ACallerOnTheDenyListIsRejected)
{
    ASSERT_EQ(1, data.m_DenyCallDB.Add(L"광고", L"016-999-0000"));
    // A module that answers a little slowly, so the rejected call does not
    // end (and clear the notice) before the notice can be read.
    card.Module().SetResponseDelay(600);
    card.Module().Ring("0169990000");
    ASSERT_TRUE(WaitSent("AT$REJECT"));
    EXPECT_EQ(L"*** 수신 거부자 전화 ***", Message());
    EXPECT_EQ(1, data.m_Call.bRejected);
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    card.Module().SetResponseDelay(0);
    const CallItem* call = Newest();
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kRejected, call->nKind);
    EXPECT_STREQ("016-999-0000", call->szNumber);
    EXPECT_EQ(0, data.m_Call.bRejected);
}

TEST_F(CallTest, StarWhileRingingRejects)
{
    card.Module().Ring("0167778888");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    calls.InCallKey(CCeMCallControl::KEY_STAR, 1);
    EXPECT_EQ(L"*** 수신 거부 ***", Message());
    ASSERT_TRUE(WaitSent("AT$REJECT"));
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_TRUE(Sent("AT$QCCAV").empty());
    const CallItem* call = Newest();
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kRejected, call->nKind);
}

TEST_F(CallTest, DiallingAContactThenTheOtherSideHangsUp)
{
    lcd.SetNumber(L"0101234567");
    ASSERT_EQ(0, calls.DialNumberLine());
    ASSERT_TRUE(WaitSent("AT$ORI"));
    EXPECT_EQ(std::vector<std::string>{"AT$ORI0101234567"}, Sent("AT$ORI"));
    ASSERT_TRUE(WaitHandled(CALL_SETUP));
    EXPECT_EQ(L"전화를 걸고 있습니다...", Message());
    EXPECT_EQ(L"010-123-4567 (홍길동)", Number());
    EXPECT_EQ(1, data.m_Call.nBookedDirection);
    // Dialling again during the call is refused without a word.
    EXPECT_EQ(-1, calls.Dial(L"0167778888"));
    EXPECT_EQ(1u, Sent("AT$ORI").size());

    card.Module().RemoteAnswer();
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    calls.InCallKey(3, 1);  // a digit during the call is a tone
    ASSERT_TRUE(WaitSent("AT$DTMF"));
    zentest::PumpMessages(1100);
    card.Module().RemoteHangUp();
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    const CallItem* call = Newest();
    ASSERT_NE(nullptr, call);
    EXPECT_EQ(CCeCallListDB::kOutgoing, call->nKind);
    EXPECT_STREQ("010-123-4567", call->szNumber);
    EXPECT_GE(call->nSeconds, 1);
    EXPECT_EQ(call->nSeconds, data.m_Settings.nLastOutSeconds);
    EXPECT_EQ(call->nSeconds, data.m_Settings.nTotalOutSeconds);

    // An empty number redials the newest entry, without its dashes on the wire.
    ASSERT_EQ(0, calls.Dial(L""));
    ASSERT_TRUE(WaitSent("AT$ORI", 2));
    EXPECT_EQ("AT$ORI0101234567", Sent("AT$ORI")[1]);
    EXPECT_EQ(L"010-123-4567", Number().substr(0, 12));
}

TEST_F(CallTest, PreDialRefusalsSendNothing)
{
    struct Case {
        std::wstring number;
        int locked, barOut, barIntl;
        const wchar_t* text;
    } cases[] = {
        {std::wstring(61, L'1'), 0, 0, 0, L"*** 발신 번호 오류 ***"},
        {L"0101234567\r\nAT$REL", 0, 0, 0, L"*** 발신 번호 오류 ***"},
        {L"0101234567", 1, 0, 0, L"*** 휴대폰이 잠김 ***"},
        {L"0101234567", 0, 1, 0, L"*** 발신 금지 ***"},
        {L"00821012345678", 0, 0, 1, L"*** 국제 전화 발신 금지 ***"},
    };
    for (const Case& c : cases) {
        data.m_Settings.bPhoneLocked = c.locked;
        data.m_Settings.bBarOutgoing = c.barOut;
        data.m_Settings.bBarInternational = c.barIntl;
        lcd.ShowMessage(L"", 0, -1);
        EXPECT_EQ(-1, calls.Dial(c.number.c_str()));
        EXPECT_EQ(c.text, Message());
        EXPECT_EQ(CCeMWndLcd::kModeBlinking, lcd.MessageMode());
    }
    zentest::PumpMessages(300);
    EXPECT_TRUE(Sent("AT$ORI").empty());

    // Sixty characters and two zeros alone pass the checks.
    data.m_Settings = SettingsBlock{};
    data.m_Settings.bBarInternational = 1;
    ASSERT_EQ(0, calls.Dial(L"00"));
    ASSERT_TRUE(WaitSent("AT$ORI"));
    EXPECT_EQ("AT$ORI00", Sent("AT$ORI")[0]);
}

TEST_F(CallTest, ASixtyCharacterNumberIsDialled)
{
    const std::wstring sixty(60, L'7');
    ASSERT_EQ(0, calls.Dial(sixty.c_str()));
    ASSERT_TRUE(WaitSent("AT$ORI"));
    EXPECT_EQ("AT$ORI" + std::string(60, '7'), Sent("AT$ORI")[0]);
}

TEST_F(CallTest, ACallerWithoutNumberAndALongOrDirtyCallerNumber)
{
    // Caller id withheld: the module's answer has no number.
    card.Module().Ring("", false);
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    ASSERT_TRUE(WaitSent("AT$CID?"));
    ASSERT_TRUE(zentest::WaitUntil([&] { return data.m_Call.nDirection == 2; }, 3000));
    EXPECT_EQ(L"발신자 번호 없음", Number());
    card.Module().RemoteHangUp();
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_EQ(CCeCallListDB::kMissed, Newest()->nKind);

    // 200 characters with control characters among them.
    std::string caller;
    for (int i = 0; i < 200; ++i)
        caller += (i % 7 == 3) ? '\x1b' : static_cast<char>('0' + i % 10);
    card.Module().SendUnsolicited("RING");
    card.Module().SendUnsolicited("*QRV*CNI: " + caller);
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    zentest::PumpMessages(300);
    for (wchar_t c : Number())
        EXPECT_GE(c, 0x20) << "control character on the number line";
    EXPECT_LT(Number().size(), 32u);
    // Not a plain number: the deny list is not consulted, nothing is rejected.
    EXPECT_TRUE(Sent("AT$REJECT").empty());
    card.Module().SendUnsolicited("NO CARRIER");
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    const CallItem* call = Newest();
    ASSERT_NE(nullptr, call);
    for (const char* p = call->szNumber; *p; ++p)
        EXPECT_TRUE((*p >= '0' && *p <= '9') || *p == '-') << call->szNumber;
}

TEST_F(CallTest, AStateOutsideTheTableIsIgnored)
{
    InterlockedExchange(&data.m_Modem.CallState, 0x77);
    calls.CheckState();
    EXPECT_EQ(CALL_IDLE, data.m_Call.nLastState);
    EXPECT_FALSE(calls.InCall());
    InterlockedExchange(&data.m_Modem.CallState, CALL_IDLE);
    ASSERT_EQ(0, calls.Dial(L"0101234567"));
    ASSERT_TRUE(WaitSent("AT$ORI"));
}

TEST_F(CallTest, AConnectionWhileATextIsSentIsNoCall)
{
    calls.SetSendingMessage(1);
    card.Module().SendUnsolicited("$VCON");
    ASSERT_TRUE(zentest::WaitUntil([&] { return data.m_Modem.CallState == CALL_NO_CARRIER; }, 3000));
    zentest::PumpMessages(200);
    EXPECT_EQ(CALL_NO_CARRIER, data.m_Call.nLastState);
    EXPECT_FALSE(lcd.IsCallTimerRunning());
    // Its end books nothing.
    card.Module().SendUnsolicited("NO CARRIER");
    zentest::PumpMessages(300);
    EXPECT_EQ(0, host.callListChanges);
    data.m_CallListDB.Load();
    EXPECT_EQ(0, data.m_CallListDB.ItemCount());
}

TEST_F(CallTest, AWaitingCallerIsShownAndBooked)
{
    lcd.SetNumber(L"0101234567");
    ASSERT_EQ(0, calls.DialNumberLine());
    ASSERT_TRUE(WaitHandled(CALL_SETUP));
    card.Module().RemoteAnswer();
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    card.Module().CallWaiting("0165550000");
    ASSERT_TRUE(zentest::WaitUntil([&] { return Number() == L"전화 : 0165550000"; }, 3000));
    EXPECT_EQ(data.m_Modem.WaitingNoticeCount, data.m_Modem.HandledNoticeCount);
    const CallItem* waiting = Newest();
    ASSERT_NE(nullptr, waiting);
    EXPECT_EQ(CCeCallListDB::kAnswered, waiting->nKind);
    EXPECT_STREQ("0165550000", waiting->szNumber);
    EXPECT_EQ(0, waiting->nSeconds);
    // Send during the call flashes over to the waiting caller.
    calls.InCallKey(CCeMCallControl::KEY_SEND, 1);
    ASSERT_TRUE(WaitSent("AT$FLASH"));
}

TEST_F(CallTest, LockedModuleAndModemErrorsOnTheMessageLine)
{
    card.Module().Lock();
    ASSERT_TRUE(WaitHandled(CALL_LOCKED));
    EXPECT_EQ(L"*** 전화기를 등록하십시오. ***", Message());
    EXPECT_EQ(CCeMWndLcd::kModeSteady, lcd.MessageMode());
    calls.OnModemError(L"Modem Error 0");
    EXPECT_EQ(L"Modem Error 0", Message());
    EXPECT_EQ(5, lcd.RemainingSeconds());
}

TEST_F(CallTest, RestrictionsDuringCalls)
{
    // Barred incoming: the ringing call is released and booked as rejected.
    data.m_Settings.bBarIncoming = 1;
    card.Module().Ring("0167778888");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_EQ(L"*** 수신 제한 ***", Message());
    ASSERT_TRUE(WaitSent("AT$REL"));
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_EQ(CCeCallListDB::kRejected, Newest()->nKind);
    EXPECT_EQ(L"*** 수신 금지 ***", Message());  // the standing restriction

    // Locked phone: the caller's name stays hidden.
    data.m_Settings.bBarIncoming = 0;
    data.m_Settings.bPhoneLocked = 1;
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    EXPECT_EQ(L"폰이 잠겨 있습니다.", Number());
    calls.InCallKey(1, 1);
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    calls.InCallKey(CCeMCallControl::KEY_END, 1);
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_EQ(L"*** 휴대폰 잠김 ***", Message());
}

}  // namespace

namespace {

TEST_F(CallTest, GarbageFromTheModuleDuringACallChangesNothing)
{
    card.Module().Ring("0101234567");
    ASSERT_TRUE(WaitHandled(CALL_RINGING));
    calls.InCallKey(1, 1);
    ASSERT_TRUE(WaitHandled(CALL_CONNECTED));
    card.Module().SendRaw("\x01\xff\xfe garbage\r\n$VC\r\nNO CARR\r\nRIN\r\n\r\r\n");
    card.Module().SendRaw(std::string(500, 'x') + "\r\n");
    zentest::PumpMessages(500);
    EXPECT_EQ(CALL_CONNECTED, data.m_Call.nLastState);
    EXPECT_TRUE(lcd.IsCallTimerRunning());
    // The module falls silent: the end key still goes out, the call stays
    // until the module reports its end.
    card.Module().SetSilent(true);
    calls.InCallKey(CCeMCallControl::KEY_END, 1);
    ASSERT_TRUE(WaitSent("AT$REL"));
    zentest::PumpMessages(300);
    EXPECT_EQ(CALL_CONNECTED, data.m_Call.nLastState);
    card.Module().SetSilent(false);
    card.Module().RemoteHangUp();
    ASSERT_TRUE(WaitHandled(CALL_NO_CARRIER));
    EXPECT_EQ(CCeCallListDB::kAnswered, Newest()->nKind);
}

}  // namespace
