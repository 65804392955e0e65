#include "phone/CCeMWndPhone.h"

#include <cwchar>

#include "modem/ModemMessages.h"
#include "phone/DialPadSkin.h"
#include "phone/EffectSounds.h"
#include "phone/PhoneWindowClass.h"
#include "phone/RingTone.h"
#include "stores/StoreText.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"

namespace {
constexpr UINT kClockBitmap = 117;
constexpr UINT kCompanionImages[3] = {203, 204, 205};
constexpr int kCompanionSlots = 5;
constexpr int kMessageBoxStyle = 5;
}  // namespace

CCeMWndPhone::CCeMWndPhone(CCeDataManager& data)
    : m_data(data), m_bTaskbarHidden(0), m_stLastPainted{}, m_nTick(0), m_bFirstOpen(1),
      m_pStanding{}, m_nView(VIEW_DIALPAD), m_nCompanionSlot(0), m_Calls(data, m_Lcd, this)
{
}

CCeMWndPhone::~CCeMWndPhone()
{
    // Destroy here so OnDestroy still runs as this class.
    if (m_hWnd)
        Destroy();
}

int CCeMWndPhone::CreatePhone(HINSTANCE)
{
    RegisterWindowClass(kPhoneWindowClass, 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr, nullptr,
                        nullptr);
    const CCeMPlacement all = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return Create(kPhoneWindowTitle, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, all, nullptr, 0);
}

int CCeMWndPhone::SaveSettings(void* self)
{
    return static_cast<CCeMWndPhone*>(self)->m_data.m_EnvDB.Save();
}

int CCeMWndPhone::LoadSkin()
{
    return LoadDialPadSkin(m_data.m_Settings, m_data.m_szInstallDir, m_DialPad, m_Lcd, &CCeMWndPhone::SaveSettings,
                           this);
}

int CCeMWndPhone::OnCreate(HWND hwnd, LPCREATESTRUCTW)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int width = rc.right, height = rc.bottom;

    m_Lcd.CreateDisplay(hwnd, kDisplayId);
    m_Lcd.SetCallStateSource(&m_data.m_Modem.CallState, &m_data.m_Call.nLastState);
    m_DialPad.Create(WS_VISIBLE, PhoneGeometry::Views(width, height), hwnd, kDialPadId);
    LoadSkin();
    m_nView = VIEW_DIALPAD;

    m_bmpClock.LoadFromResource(CCeMToolkit::Instance(), kClockBitmap, 1);
    m_CompanionBar.Create(WS_VISIBLE, PhoneGeometry::CompanionBar(width, height), hwnd, kCompanionBarId);
    m_CompanionBar.SetGrid(kCompanionSlots, 1);
    m_CompanionBar.LoadImages(kCompanionImages[0], kCompanionImages[1], kCompanionImages[2]);
    m_CompanionBar.SetAllEnabled(0, 0);

    GetLocalTime(&m_stLastPainted);
    m_nTick = 0;
    return 0;
}

int CCeMWndPhone::OnDestroy(HWND hwnd)
{
    if (m_pScreen) {
        m_pScreen->Destroy();
        m_pScreen.reset();
    }
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMWndPhone::SetStandingScreen(int view, CCeMWnd* screen)
{
    if (view < VIEW_CONTACTS || view > VIEW_MESSAGES)
        return;
    m_pStanding[view - VIEW_CONTACTS] = screen;
    if (screen && screen->GetHwnd())
        ShowWindow(screen->GetHwnd(), view == m_nView ? SW_SHOW : SW_HIDE);
}

void CCeMWndPhone::SetScreenMaker(int screen, ScreenMaker maker)
{
    m_Makers[screen] = std::move(maker);
}

CCeMWnd* CCeMWndPhone::StandingScreen(int view) const
{
    if (view == VIEW_DIALPAD)
        return const_cast<CCeMMultiButton*>(&m_DialPad);
    if (view >= VIEW_CONTACTS && view <= VIEW_MESSAGES)
        return m_pStanding[view - VIEW_CONTACTS];
    return nullptr;
}

void CCeMWndPhone::ShowLockedNotice()
{
    CCeMMsgBox::Show(m_hWnd, kLockedViewText, L"알림", kMessageBoxStyle, CCeMMsgBox::kDefaultSeconds);
}

int CCeMWndPhone::SwitchView(int view)
{
    const ViewSwitchPlan plan = PlanViewSwitch(m_nView, view, m_data.m_Settings.bPhoneLocked == 1);
    if (plan.outcome == ViewSwitchPlan::Stay)
        return m_nView == view;
    if (plan.outcome == ViewSwitchPlan::RefusedLocked) {
        ShowLockedNotice();
        return 0;
    }
    const PhoneViewInfo* next = FindPhoneView(view);
    if (plan.changePage) {
        auto maker = m_Makers.find(next->screen);
        if (m_pScreen && maker != m_Makers.end() && maker->second.setPage)
            maker->second.setPage(m_pScreen.get(), plan.page);
        m_nView = view;
        return 1;
    }
    if (plan.hideCurrent) {
        CCeMWnd* shown = StandingScreen(m_nView);
        if (shown && shown->GetHwnd())
            ShowWindow(shown->GetHwnd(), SW_HIDE);
    }
    if (plan.destroyCurrent && m_pScreen) {
        m_pScreen->Destroy();
        m_pScreen.reset();
    }
    m_nView = view;
    if (plan.showNext) {
        CCeMWnd* standing = StandingScreen(view);
        if (standing && standing->GetHwnd())
            ShowWindow(standing->GetHwnd(), SW_SHOW);
    }
    if (plan.createNext) {
        auto maker = m_Makers.find(next->screen);
        if (maker != m_Makers.end() && maker->second.make && m_hWnd) {
            RECT rc;
            GetClientRect(m_hWnd, &rc);
            m_pScreen.reset(maker->second.make(m_hWnd, PhoneGeometry::Views(rc.right, rc.bottom), plan.page));
        }
    }
    return 1;
}

void CCeMWndPhone::ShowDialView()
{
    if (m_hWnd)
        SetForegroundWindow(m_hWnd);
    SwitchView(VIEW_DIALPAD);
}

void CCeMWndPhone::CallListChanged()
{
    // The call list and call information screens redraw from the store.
    if ((m_nView == VIEW_CALLLIST || m_nView == VIEW_CALLINFO)) {
        CCeMWnd* shown = m_nView == VIEW_CALLLIST ? StandingScreen(VIEW_CALLLIST) : m_pScreen.get();
        if (shown && shown->GetHwnd())
            InvalidateRect(shown->GetHwnd(), nullptr, FALSE);
    }
}

// --- messages ---------------------------------------------------------------

LRESULT CCeMWndPhone::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MODEM_COMMEVENT:
        m_Calls.CheckState();
        return 0;
    case WM_MODEM_RESULT:
        Dispatch(static_cast<int>(wp), static_cast<int>(lp));
        return 0;
    case WM_MODEM_ERROR:
        m_Calls.OnModemError(reinterpret_cast<LPCWSTR>(wp));
        return 0;
    case WM_MODEM_SENT:
        return 0;
    case WM_CHILD_NOTIFY:
        if (wp == 6 || wp == 7)
            m_Calls.SetSendingMessage(wp == 6);
        return 0;
    case WM_PUT_NUMBER:
        return PutNumber(wp, lp);
    case WM_DIAL_NUMBER:
        m_Calls.DialNumberLine();
        SwitchView(VIEW_DIALPAD);
        return 0;
    case WM_SHOW_MESSAGES:
        SwitchView(VIEW_MESSAGES);
        return 0;
    default:
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
}

int CCeMWndPhone::PutNumber(WPARAM wp, LPARAM lp)
{
    wchar_t text[CCeMWndLcd::kLineLength];
    if (lp) {
        CopyTextCut(text, CCeMWndLcd::kLineLength, reinterpret_cast<LPCWSTR>(lp));
    } else if (wp) {
        char narrow[64];
        CopyByteTextCut(narrow, sizeof narrow, reinterpret_cast<const char*>(wp));
        ByteToWideText(narrow, text, CCeMWndLcd::kLineLength);
    } else {
        text[0] = 0;
    }
    return m_Calls.PutNumber(text);
}

void CCeMWndPhone::OnCallerId(int ok) { m_Calls.OnCallerId(ok); }

int CCeMWndPhone::OnCommand(int notifyCode, int id, HWND control)
{
    const LPARAM param = reinterpret_cast<LPARAM>(control);
    if (id == static_cast<int>(kDialPadId)) {
        OnDialPadPress(LOWORD(param), HIWORD(param));
        return 0;
    }
    if (notifyCode == kCloseRequest) {
        SwitchView(m_data.m_Call.bSendingMessage ? VIEW_MESSAGES : VIEW_DIALPAD);
        return 0;
    }
    if (id == 40024) {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (const int view = ViewOfMenuCommand(static_cast<UINT>(id))) {
        SwitchView(view);
        return 0;
    }
    return 1;
}

void CCeMWndPhone::OnDialPadPress(int key, int kind)
{
    if (key < 0 || key >= kDialPadKeys)
        return;
    m_Lcd.ClearMissedCalls();
    PlayKeyClick(m_data.m_szInstallDir, m_data.m_Settings, key);
    if (m_Calls.InCall())
        m_Calls.InCallKey(key, kind);
    else
        IdleKey(key, kind);
}

int CCeMWndPhone::TrySpeedDial()
{
    const wchar_t* line = m_Lcd.NumberText();
    const int length = m_Lcd.NumberLength();
    if (length < 1 || length > 2 || wcschr(line, L'*') || wcschr(line, L'#'))
        return 0;
    const int slot = _wtoi(line);
    wchar_t number[64];
    if (!m_data.m_EasyCallDB.Get(slot, nullptr, 0, number, 64)) {
        m_Lcd.ShowMessage(L"지정된 단축번호가 없습니다.", CCeMWndLcd::kModeBlinking, 3);
        return -1;
    }
    m_Lcd.SetNumber(number);
    m_Calls.DialNumberLine();
    return 1;
}

bool CCeMWndPhone::OpenHiddenCode(bool onSend)
{
    const wchar_t* line = m_Lcd.NumberText();
    if (wcscmp(line, L"#391624875#208#") != 0 && !(onSend && wcscmp(line, L"52*91#") == 0))
        return false;
    m_Lcd.ClearNumber();
    SwitchView(VIEW_NAM);
    return true;
}

void CCeMWndPhone::ToggleSilence()
{
    SettingsBlock& s = m_data.m_Settings;
    if (s.nBellSource != 0) {
        s.nSavedBellSource = s.nBellSource;
        StopRingTone(m_data);
        if (s.nBellSource == 1)
            m_data.m_Modem.CmdSetRingVolume(0);
        s.nBellSource = 0;
    } else if (s.nSavedBellSource == 0) {
        SwitchView(VIEW_RINGTONE);
        return;
    } else {
        s.nBellSource = s.nSavedBellSource;
        if (s.nBellSource == 1)
            m_data.m_Modem.CmdSetRingVolume(s.nModuleBellVolume);
    }
    m_data.m_EnvDB.Save();
    m_Lcd.RepaintIndicator(CCeMWndLcd::kKindAlert);
}

void CCeMWndPhone::IdleKey(int key, int kind)
{
    const bool empty = m_Lcd.NumberLength() == 0;
    const bool hold = kind == CCeMMultiButton::PRESS_HOLD;
    if (hold && empty && key == CCeMCallControl::KEY_HASH) {
        if (m_data.m_Settings.bPhoneLocked == 0) {
            m_data.m_Settings.bPhoneLocked = 1;
            m_Lcd.RepaintIndicator(CCeMWndLcd::kKindLock);
            m_data.m_EnvDB.Save();
        } else {
            SwitchView(VIEW_PHONELOCK);
        }
        return;
    }
    if (hold && empty && key == CCeMCallControl::KEY_STAR) {
        ToggleSilence();
        return;
    }
    switch (key) {
    case CCeMCallControl::KEY_SEND:
        if (!empty) {
            if (OpenHiddenCode(true))
                break;
            if (TrySpeedDial() != 1)
                m_Calls.DialNumberLine();
        } else if (hold)
            m_Calls.Dial(L"");  // the newest call-list entry
        else
            SwitchView(VIEW_CALLLIST);
        break;
    case CCeMCallControl::KEY_CLEAR:
        if (kind == CCeMMultiButton::PRESS_HOLD)
            m_Lcd.ClearNumber();
        else
            m_Lcd.Backspace();
        break;
    case CCeMCallControl::KEY_END:
        m_Lcd.ClearNumber();
        break;
    default:
        m_Lcd.AppendKey(L"0123456789*#"[key], hold ? 0 : 1);
        if (hold)
            TrySpeedDial();
        else
            OpenHiddenCode(false);
        break;
    }
}
