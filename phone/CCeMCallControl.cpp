#include "phone/CCeMCallControl.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "modem/ModemMessages.h"
#include "phone/CCeMWndLcd.h"
#include "phone/CallNumbers.h"
#include "phone/EffectSounds.h"
#include "phone/NotificationLed.h"
#include "phone/RingTone.h"
#include "stores/NumberRoutines.h"
#include "stores/StoreText.h"

namespace {

const wchar_t kNoCallerNumber[] = L"발신자 번호 없음";
const int kLine = CCeMWndLcd::kLineLength;

FILETIME LocalNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft = {};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

FILETIME FromTicks(ULONGLONG ticks)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ft;
}

bool IsKeyDigit(int key) { return key >= 0 && key <= CCeMCallControl::KEY_HASH; }
wchar_t KeyChar(int key) { return L"0123456789*#"[key]; }

}  // namespace

CCeMCallControl::CCeMCallControl(CCeDataManager& data, CCeMWndLcd& lcd, CCeMCallHost* host)
    : m_data(data), m_lcd(lcd), m_pHost(host)
{
}

void CCeMCallControl::Blink(LPCWSTR text, int seconds) { m_lcd.ShowMessage(text, CCeMWndLcd::kModeBlinking, seconds); }
void CCeMCallControl::Steady(LPCWSTR text) { m_lcd.ShowMessage(text, CCeMWndLcd::kModeSteady, -1); }
void CCeMCallControl::LedOff() { LedSet(kRingLed, kLedOff); }

bool CCeMCallControl::InCall() const
{
    const LONG last = m_data.m_Call.nLastState;
    return last != CALL_IDLE && last != CALL_NO_CARRIER;
}

// --- reset -----------------------------------------------------------------

void CCeMCallControl::ResetRecord()
{
    CallRecord& rec = m_data.m_Call;
    CCeMModem& link = m_data.m_Modem;
    rec.bSendingMessage = 0;
    rec.bRejected = 0;
    rec.szName[0] = 0;
    link.CallerNumber[0] = 0;
    rec.nDirection = 0;
    rec.nBookedDirection = 0;
    InterlockedExchange(&link.CallState, CALL_IDLE);
    rec.nLastState = CALL_IDLE;
}

int CCeMCallControl::ResetCall(HWND mainWindow, HWND messageWindow)
{
    ResetRecord();
    CCeMModem& link = m_data.m_Modem;
    link.SetWindows(mainWindow, mainWindow, messageWindow ? messageWindow : mainWindow);
    m_lcd.SetCallStateSource(&link.CallState, &m_data.m_Call.nLastState);
    return link.StartOpening(CCeMModem::FindModemPort(), 0);
}

// --- state check -----------------------------------------------------------

void CCeMCallControl::WaitingCallerLine()
{
    CCeMModem& link = m_data.m_Modem;
    if (link.WaitingNoticeCount == link.HandledNoticeCount)
        return;
    link.HandledNoticeCount = link.WaitingNoticeCount;
    char number[CCeMAtParser::NUMBER_SIZE];
    CopyByteTextCut(number, sizeof number, link.WaitingCallerNumber);
    DropControlChars(number);
    if (!number[0])
        return;
    wchar_t wide[kLine];
    ByteToWideText(number, wide, kLine);
    wchar_t name[64];
    const int found = m_data.m_ContactsDB.NameByNumber(wide, name, nullptr, 64);
    m_data.m_CallListDB.Add(LocalNow(), number, CCeCallListDB::kAnswered, 0, found ? name : nullptr);
    wchar_t line[kLine];
    if (found && name[0])
        swprintf(line, kLine, L"전화 : %ls (%ls)", wide, name);
    else
        swprintf(line, kLine, L"전화 : %ls", wide);
    m_lcd.SetNumber(line);
    if (m_pHost)
        m_pHost->CallListChanged();
}

void CCeMCallControl::CheckState()
{
    WaitingCallerLine();
    CallRecord& rec = m_data.m_Call;
    const LONG state = m_data.m_Modem.CallState;
    if (state == rec.nLastState)
        return;
    switch (state) {
    case CALL_IDLE:
        Steady(L"");
        break;
    case CALL_SETUP:
        OutgoingStart();
        break;
    case CALL_RINGING:
        RingStart();
        break;
    case CALL_CONNECTED:
        if (!Connect())
            return;  // both words hold the release mark already
        break;
    case CALL_NO_CARRIER:
        EndOfCall();
        break;
    case CALL_LOCKED:
        Steady(L"*** 전화기를 등록하십시오. ***");
        break;
    case CALL_NO_DIALTONE:
    case CALL_NO_ANSWER:
        break;
    default:
        // Not a state the link reports: remembering it would make the
        // phone believe a call is in progress.
        return;
    }
    rec.nLastState = state;
}

// --- transitions -----------------------------------------------------------

void CCeMCallControl::OutgoingStart()
{
    const SettingsBlock& s = m_data.m_Settings;
    CallRecord& rec = m_data.m_Call;
    CCeMModem& link = m_data.m_Modem;
    if (s.bBarOutgoing == 1) {
        Blink(L"*** 발신 금지 ***", 5);
        return;
    }
    rec.nDirection = 1;
    rec.nBookedDirection = 1;
    if (link.CallerIdSource == 1 && link.CallerNumber[0]) {
        char number[CCeMAtParser::NUMBER_SIZE];
        CopyByteTextCut(number, sizeof number, link.CallerNumber);
        DropControlChars(number);
        wchar_t wide[64];
        ByteToWideText(number, wide, 64);
        m_lcd.SetNumber(wide);
        CopyByteTextCut(rec.szNumber, sizeof rec.szNumber, number);
    } else {
        WideToByteText(m_lcd.NumberText(), rec.szNumber, sizeof rec.szNumber);
    }
    wchar_t line[kLine];
    CopyTextCut(line, kLine, m_lcd.NumberText());
    const int found = m_data.m_ContactsDB.NameByNumber(line, rec.szName, nullptr, 64);
    if (found && rec.szName[0] && s.bPhoneLocked != 1 && s.bPrivacy != 1) {
        wchar_t dashed[kLine];
        CCeMWndLcd::FormatNumber(line, dashed, kLine);
        wchar_t shown[kLine];
        const int n = swprintf(shown, kLine, L"%ls (%ls)", dashed, rec.szName);
        if (n > 0 && n < 64)
            m_lcd.SetNumber(shown);
    }
    Steady(L"전화를 걸고 있습니다...");
}

void CCeMCallControl::RingStart()
{
    const SettingsBlock& s = m_data.m_Settings;
    if (m_pHost)
        m_pHost->ShowDialView();
    if (s.bBarIncoming == 1)
        Blink(L"*** 수신 제한 ***", 360);
    else
        Steady(L"전화가 왔습니다.");
    StopRingTone(m_data);
    LedSet(kRingLed, kLedBlink);
    if (m_data.m_Modem.CallerNumber[0])
        IncomingCallWork(1, true);
    else
        m_data.m_Modem.CmdCallerId();
}

void CCeMCallControl::OnCallerId(int numberPresent)
{
    IncomingCallWork(numberPresent, false);
}

void CCeMCallControl::IncomingCallWork(int numberPresent, bool atRingStart)
{
    const SettingsBlock& s = m_data.m_Settings;
    CallRecord& rec = m_data.m_Call;
    CCeMModem& link = m_data.m_Modem;

    char number[64] = "";
    bool valid = false;
    if (numberPresent) {
        CopyByteTextCut(number, sizeof number, link.CallerNumber);
        DropControlChars(number);
    }
    if (!number[0])
        WideToByteText(kNoCallerNumber, number, sizeof number);
    else
        valid = IsPlainCallerNumber(number);
    CopyByteTextCut(rec.szNumber, sizeof rec.szNumber, number);
    // An answer that arrives after the call ended changes nothing more. At
    // ring start the state being handled is the ringing itself, whatever
    // the previous call left behind.
    if (!atRingStart && rec.nLastState == CALL_NO_CARRIER)
        return;
    rec.nDirection = 2;
    rec.nBookedDirection = 2;

    wchar_t wide[32];
    ByteToWideText(number, wide, 32);
    m_lcd.ClearNumber();
    wchar_t category[64] = L"";
    const int found = m_data.m_ContactsDB.NameByNumber(wide, rec.szName, category, 64);
    if (!found)
        rec.szName[0] = 0;
    if (s.bPhoneLocked == 1)
        m_lcd.SetNumber(L"폰이 잠겨 있습니다.");
    else if (s.bPrivacy == 1)
        m_lcd.SetNumber(L"사생활 보호중입니다.");
    else
        m_lcd.SetNumber(rec.szName[0] ? rec.szName : wide);

    if (s.bBarIncoming == 1) {
        link.CmdRelease();
        rec.bRejected = 1;
        return;
    }
    if (valid && m_data.m_DenyCallDB.IsRejected(wide)) {
        rec.bRejected = 1;
        Blink(L"*** 수신 거부자 전화 ***", 360);
        link.CmdReject();
        return;
    }
    if (s.nBellSource == 2 && link.CallState == CALL_RINGING) {
        PlayRingTone(m_data, wide, category);
        Steady(L"전화가 왔습니다.");
    }
}

bool CCeMCallControl::Connect()
{
    const SettingsBlock& s = m_data.m_Settings;
    CallRecord& rec = m_data.m_Call;
    CCeMModem& link = m_data.m_Modem;
    if (rec.bSendingMessage && rec.nLastState != CALL_RINGING) {
        // The connection carries a text message: mark it released in both
        // words so no end of call is booked for it.
        rec.nLastState = CALL_NO_CARRIER;
        InterlockedExchange(&link.CallState, CALL_NO_CARRIER);
        return false;
    }
    StopRingTone(m_data);
    if (rec.nDirection == 0 && !link.CallerNumber[0])
        link.CmdCallerId();
    LedOff();
    PlayEffectSound(m_data.m_szInstallDir, s, kEffectConnect);
    m_lcd.StartCallTimer();
    if (s.bBarIncoming == 1 || s.bBarOutgoing == 1)
        link.CmdRelease();
    return true;
}

void CCeMCallControl::BookCall(int kind)
{
    CallRecord& rec = m_data.m_Call;
    char digits[64];
    KeepDialChars(rec.szNumber, digits, sizeof digits);
    CCeMWndLcd::FormatNumber(digits, rec.szNumber, sizeof rec.szNumber);
    int seconds = m_lcd.CallSeconds();
    if (seconds < 0)
        seconds = 0;
    const FILETIME start = FromTicks(m_lcd.CallStart());
    m_data.m_CallListDB.Add(start, rec.szNumber, kind, seconds, rec.szName);
}

void CCeMCallControl::EndOfCall()
{
    SettingsBlock& s = m_data.m_Settings;
    CallRecord& rec = m_data.m_Call;
    PlayEffectSound(m_data.m_szInstallDir, s, kEffectDisconnect);
    LedOff();
    StopRingTone(m_data);

    const bool booked = rec.nBookedDirection != 0;
    if (booked) {
        int kind = 0;
        switch (rec.nLastState) {
        case CALL_SETUP:
        case CALL_CONNECTED: {
            int seconds = m_lcd.CallSeconds();
            if (seconds < 0)
                seconds = 0;
            if (rec.nBookedDirection == 1) {
                kind = CCeCallListDB::kOutgoing;
                s.nLastOutSeconds = seconds;
                s.nTotalOutSeconds += seconds;
            } else {
                kind = CCeCallListDB::kAnswered;
                s.nLastInSeconds = seconds;
                s.nTotalInSeconds += seconds;
            }
            m_data.m_EnvDB.Save();
            break;
        }
        case CALL_RINGING:
            kind = rec.bRejected ? CCeCallListDB::kRejected : CCeCallListDB::kMissed;
            m_lcd.AddMissedCall();
            break;
        default:
            break;
        }
        if (kind)
            BookCall(kind);
    }

    m_lcd.StopCallTimer();
    m_lcd.ClearMessage();
    m_lcd.ClearNumber();
    rec.bRejected = 0;
    rec.szName[0] = 0;
    m_data.m_Modem.CallerNumber[0] = 0;
    rec.nDirection = 0;
    rec.nBookedDirection = rec.nDirection;
    if (booked && m_pHost)
        m_pHost->CallListChanged();
    ShowStandingRestriction();
}

void CCeMCallControl::ShowStandingRestriction()
{
    const SettingsBlock& s = m_data.m_Settings;
    if (s.bPhoneLocked == 1)
        Blink(L"*** 휴대폰 잠김 ***", 5);
    else if (s.bBarOutgoing == 1)
        Blink(L"*** 발신 금지 ***", 5);
    else if (s.bBarIncoming == 1)
        Blink(L"*** 수신 금지 ***", 5);
}

void CCeMCallControl::OnModemError(LPCWSTR text)
{
    if (text)
        Blink(text, 5);
}

// --- user requests ---------------------------------------------------------

int CCeMCallControl::Dial(LPCWSTR number)
{
    wchar_t text[kLine];
    CopyTextCut(text, kLine, number);
    if (!text[0]) {
        CCeCallListDB& calls = m_data.m_CallListDB;
        if (calls.ItemCount() == 0)
            calls.Load();
        const CallItem* newest = calls.Nth(CCeCallListDB::kAll, 0);
        if (newest && strlen(newest->szNumber) < 64) {
            ByteToWideText(newest->szNumber, text, kLine);
            m_lcd.AppendNumber(text);
        }
    }
    // Nothing to dial (an empty call list): the module is not asked.
    if (!text[0])
        return -1;
    const CallRecord& rec = m_data.m_Call;
    const DialCheck check = CheckDial(m_data.m_Settings, rec.nDirection, rec.nLastState, text);
    if (check != DialCheck::Allowed) {
        if (const wchar_t* refusal = DialRefusalText(check))
            Blink(refusal, 5);
        return -1;
    }
    // Dashes only group the digits for the eye (the call list keeps numbers
    // dashed); the module is given the number without them.
    wchar_t dialled[kLine];
    int n = 0;
    for (const wchar_t* p = text; *p; ++p)
        if (*p != L'-')
            dialled[n++] = *p;
    dialled[n] = 0;
    if (!n)
        return -1;
    return m_data.m_Modem.CmdDial(dialled) ? 0 : -1;
}

int CCeMCallControl::DialNumberLine()
{
    wchar_t line[kLine];
    CopyTextCut(line, kLine, m_lcd.NumberText());
    return Dial(line);
}

void CCeMCallControl::InCallKey(int key, int)
{
    const SettingsBlock& s = m_data.m_Settings;
    CallRecord& rec = m_data.m_Call;
    CCeMModem& link = m_data.m_Modem;
    const LONG state = link.CallState;
    if (IsKeyDigit(key)) {
        if (state != CALL_RINGING) {
            m_lcd.AppendKey(KeyChar(key), 0);
            link.CmdDtmf(static_cast<char>(KeyChar(key)));
        } else if (key == KEY_STAR) {
            rec.bRejected = 1;
            Blink(L"*** 수신 거부 ***", 360);
            link.CmdReject();
            StopRingTone(m_data);
        } else if (s.bBarIncoming == 1) {
            Blink(L"*** 수신 금지 ***", 5);
        } else {
            link.CmdAnswer();
        }
        return;
    }
    switch (key) {
    case KEY_SEND:
        if (rec.nLastState == CALL_SETUP)
            break;
        if (state == CALL_CONNECTED)
            link.CmdFlash();
        else
            link.CmdAnswer();
        break;
    case KEY_CLEAR:
        if (rec.nLastState != CALL_SETUP)
            m_lcd.Backspace();
        break;
    case KEY_END:
        if (state != CALL_RINGING)
            link.CmdRelease();
        break;
    default:
        break;
    }
}

int CCeMCallControl::PutNumber(LPCWSTR text)
{
    const LONG state = m_data.m_Modem.CallState;
    if (state != CALL_IDLE && state != CALL_NO_CARRIER)
        return 0;
    m_lcd.SetNumber(text ? text : L"");
    return 1;
}

void CCeMCallControl::SetSendingMessage(int sending)
{
    m_data.m_Call.bSendingMessage = sending ? 1 : 0;
}
