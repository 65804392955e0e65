#include "screens/service/ServiceScreens.h"
#include "screens/prefs/CCeMWndVolume.h"
#include "phone/CCeMWndPhone.h"

#include <cstring>
#include <cwchar>
#include <iterator>

#include <aygshell.h>
#include <sipapi.h>

#include "modem/ModemMessages.h"
#include "phone/AddContactRequest.h"
#include "phone/CommandLine.h"
#include "phone/Companions.h"
#include "phone/DialPadSkin.h"
#include "phone/EffectSounds.h"
#include "phone/PhoneWindowClass.h"
#include "phone/ModuleBattery.h"
#include "phone/NotificationLed.h"
#include "phone/RingTone.h"
#include "phone/SystemVolume.h"
#include "screens/messaging/CCeMWndSMS.h"
#include "setup/DataConnection.h"
#include "stores/StoreText.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/SharedBitmaps.h"

namespace {
constexpr UINT kClockBitmap = 117;
constexpr UINT kPhoneIcon = 220;
constexpr UINT kCompanionImages[3] = {203, 204, 205};
constexpr int kMessageBoxStyle = 5;
// Messages that stay on the message line until replaced.
constexpr int kUntilReplaced = 12960000;
}  // namespace

CCeMWndPhone::CCeMWndPhone(CCeDataManager& data)
    : m_data(data), m_bTaskbarHidden(0), m_stLastPainted{}, m_nTick(0), m_bFirstOpen(1),
      m_pStanding{}, m_nView(VIEW_DIALPAD), m_nCompanionSlot(kNoCompanion), m_szCompanionPath{},
      m_szStartCommand{}, m_bQuitOnDestroy(0), m_bEnding(0), m_bVolumeAsked(0), m_Calls(data, m_Lcd, this)
{
}

CCeMWndPhone::~CCeMWndPhone()
{
    // Destroy here so OnDestroy still runs as this class.
    if (m_hWnd)
        Destroy();
}

int CCeMWndPhone::CreatePhone(HINSTANCE instance)
{
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(kPhoneIcon));
    RegisterWindowClass(kPhoneWindowClass, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS,
                        static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), icon, nullptr, nullptr);
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

    EnsureDialUpEntry();
    // Registered unloaded: each loads when a screen first draws it.
    SharedBitmaps::Register(m_Bitmaps, CCeMToolkit::Instance());
    SharedBitmaps::Publish(&m_Bitmaps);
    m_MenuBar.Create(CCeMToolkit::Instance(), hwnd, kMenuBarId, 0, kMenuBarImages, kMenuBarImageCount);
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

    CreateRingPlayer(m_data, CCeMToolkit::Instance(), hwnd);
    if (m_data.m_Settings.bShowGreeting == 1)
        m_Lcd.SetBanner(m_data.m_Settings.szGreeting);

    GetLocalTime(&m_stLastPainted);
    m_nTick = 0;
    BindAppKeys(hwnd);
    SetTimer(hwnd, kTickTimer, 1000, nullptr);
    return 0;
}

int CCeMWndPhone::OnDestroy(HWND hwnd)
{
    if (m_data.m_Modem.CallState == CALL_RINGING)
        LedSet(kRingLed, kLedOff);
    KillTimer(hwnd, kTickTimer);
    MSG queued;
    while (PeekMessageW(&queued, hwnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    for (int i = 0; i < 4; ++i)
        SHSetAppKeyWndAssoc(static_cast<BYTE>(0xC1 + i), nullptr);
    m_bmpClock.Free();
    if (SharedBitmaps::Published() == &m_Bitmaps)
        SharedBitmaps::Publish(nullptr);
    DestroyRingPlayer(m_data);
    m_data.m_Modem.Close();
    if (m_pScreen) {
        m_pScreen->Destroy();
        m_pScreen.reset();
    }
    if (m_bQuitOnDestroy)
        PostQuitMessage(0);
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

CCeMSmsSenderWnd* CCeMWndPhone::MessageSender() const
{
    auto* messages = dynamic_cast<CCeMWndSMS*>(StandingScreen(VIEW_MESSAGES));
    return messages ? &messages->Composer() : nullptr;
}

HWND CCeMWndPhone::MessageWindow() const
{
    const CCeMWnd* messages = StandingScreen(VIEW_MESSAGES);
    return messages ? messages->GetHwnd() : nullptr;
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
        if (shown && shown->GetHwnd()) {
            // Keys must not go on into a hidden view (its search edit).
            HWND focus = GetFocus();
            const bool hadFocus = focus && (focus == shown->GetHwnd() || IsChild(shown->GetHwnd(), focus));
            ShowWindow(shown->GetHwnd(), SW_HIDE);
            if (hadFocus)
                SetFocus(m_hWnd);
        }
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
    // Showing a screen can restack this window above its menu bar without
    // telling it; put the bar back once the switch is done.
    if (m_hWnd)
        PostMessageW(m_hWnd, kRaiseMenuBar, 0, 0);
    return 1;
}

void CCeMWndPhone::ShowDialView()
{
    if (m_hWnd)
        SetForegroundWindow(m_hWnd);
    SwitchView(VIEW_DIALPAD);
}

void CCeMWndPhone::OnVersion(int ok)
{
    PassResultToServiceScreen(m_pScreen.get(), 35, ok, m_data.m_Modem);
}

void CCeMWndPhone::OnStatusInfo(int ok)
{
    PassResultToServiceScreen(m_pScreen.get(), 38, ok, m_data.m_Modem);
}

void CCeMWndPhone::OnNam(int ok)
{
    PassResultToServiceScreen(m_pScreen.get(), 40, ok, m_data.m_Modem);
}

void CCeMWndPhone::OnModeReset(int)
{
    // Even an unanswered reset may have reached the module. The screen that
    // asked for it clears the flag when its wait is over.
    InterlockedExchange(&m_data.m_Modem.LineCheckSuspended, 1);
}

void CCeMWndPhone::CallListChanged()
{
    // The call list reloads from the store; call information repaints.
    if (m_nView == VIEW_CALLLIST && m_CallListReload) {
        m_CallListReload();
        return;
    }
    if (m_nView == VIEW_CALLLIST || m_nView == VIEW_CALLINFO) {
        CCeMWnd* shown = m_nView == VIEW_CALLLIST ? StandingScreen(VIEW_CALLLIST) : m_pScreen.get();
        if (shown && shown->GetHwnd())
            InvalidateRect(shown->GetHwnd(), nullptr, FALSE);
    }
}

// --- start-up, the module port, companions ------------------------------------

void CCeMWndPhone::SetStartCommandLine(LPCWSTR commandLine)
{
    int n = 0;
    for (; commandLine && commandLine[n] && n < static_cast<int>(std::size(m_szStartCommand)) - 1; ++n)
        m_szStartCommand[n] = commandLine[n];
    m_szStartCommand[n] = 0;
}

void CCeMWndPhone::OpenComposer(WPARAM wp, LPARAM lp)
{
    if (m_nView != VIEW_MESSAGES)
        SwitchView(VIEW_MESSAGES);
    CCeMWnd* messages = StandingScreen(VIEW_MESSAGES);
    if (messages && messages->GetHwnd())
        SendMessageW(messages->GetHwnd(), WM_OPEN_COMPOSER, wp, lp);
}

void CCeMWndPhone::RunCommandLine(LPCWSTR commandLine)
{
    const PhoneCommandLine op = ParseCommandLine(commandLine);
    if (op.kind == PhoneCommand::Call) {
        if (m_nView != VIEW_DIALPAD)
            SwitchView(VIEW_DIALPAD);
        if (op.number[0]) {
            m_Lcd.AppendNumber(op.number);
            m_Calls.DialNumberLine();
        }
    } else if (op.kind == PhoneCommand::Sms) {
        OpenComposer(0, op.number[0] ? reinterpret_cast<LPARAM>(op.number) : 0);
    }
}

void CCeMWndPhone::OnModemOpened(int result)
{
    if (result != 0) {
        m_Lcd.ShowMessage(L"초기화 실패", CCeMWndLcd::kModeSteady, -1);
        m_data.m_Modem.Close();
    } else {
        m_Lcd.RestoreStandingLine();
        InvalidateRect(m_Lcd.GetHwnd(), nullptr, FALSE);
        if (m_bFirstOpen) {
            m_bFirstOpen = 0;
            RunCommandLine(m_szStartCommand);
        }
    }
    RefreshCompanions();
}

void CCeMWndPhone::OnModemWake(int watching)
{
    CCeMModem& link = m_data.m_Modem;
    m_nTick = 0;
    if (link.CallState == CALL_RINGING)
        LedSet(kRingLed, kLedOff);
    if (watching == 0) {
        if (link.CallState == CALL_CONNECTED)
            m_Lcd.StopCallTimer();
        link.Close();
        // The texts being sent are lost with the module: the sender fails
        // what it still holds and ends its run.
        if (m_data.m_Call.bSendingMessage) {
            if (MessageWindow())
                SendMessageW(MessageWindow(), CCeMWndSMS::WM_STOP_SENDING, 0, 0);
            m_Calls.SetSendingMessage(0);
        }
        m_Lcd.ShowMessage(L"*** 모뎀 상태 확인 ***", CCeMWndLcd::kModeBlinking, kUntilReplaced);
        return;
    }
    if (m_bEnding || link.IsOpen() || link.OpenUnderWay())
        return;
    m_Lcd.ShowMessage(L"*** 모뎀 재연결 ***", CCeMWndLcd::kModeBlinking, kUntilReplaced);
    m_Calls.ResetCall(m_hWnd, MessageWindow());
}

void CCeMWndPhone::KeepMenuBarAbove()
{
    HWND bar = m_MenuBar.Hwnd();
    if (!bar || !m_hWnd)
        return;
    HWND front = GetForegroundWindow();
    if (front != m_hWnd && !IsOwnWindow(front))
        return;
    for (HWND w = GetWindow(m_hWnd, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
        if (w == bar)
            return;
    SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool CCeMWndPhone::IsOwnWindow(HWND hwnd) const
{
    // Owned, directly or through another of its own windows (a box over a dialog).
    for (int depth = 0; hwnd && depth < 8; ++depth) {
        hwnd = GetWindow(hwnd, GW_OWNER);
        if (hwnd == m_hWnd)
            return m_hWnd != nullptr;
    }
    return false;
}

void CCeMWndPhone::RefreshCompanions()
{
    wchar_t path[kCompanionPathChars];
    for (int slot = 0; slot < kCompanionSlots; ++slot)
        m_CompanionBar.SetEnabled(slot, ReadCompanionPath(slot, path) ? 1 : 0, 1);
}

void CCeMWndPhone::ShowCompanionMissing(int slot)
{
    CCeMMsgBox::Show(m_hWnd, CompanionMissingText(slot), L"알림", kMessageBoxStyle, CCeMMsgBox::kDefaultSeconds);
}

void CCeMWndPhone::ChooseCompanion(int slot)
{
    if (slot < 0 || slot >= kCompanionSlots)
        return;
    if (!ReadCompanionPath(slot, m_szCompanionPath)) {
        ShowCompanionMissing(slot);
        return;
    }
    m_nCompanionSlot = slot;
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
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
        OnChildNotify(static_cast<int>(wp));
        return 0;
    case WM_CHAR:
        if (OnAppKey(static_cast<wchar_t>(wp)))
            return 0;
        break;
    case WM_PUT_NUMBER:
        return PutNumber(wp, lp);
    case WM_DIAL_NUMBER:
        m_Calls.DialNumberLine();
        SwitchView(VIEW_DIALPAD);
        return 0;
    case WM_SHOW_MESSAGES:
        SwitchView(VIEW_MESSAGES);
        return 0;
    case WM_OPEN_COMPOSER:
        OpenComposer(wp, lp);
        return 0;
    case WM_ADD_CONTACT:
        return OfferNewContact(hwnd, wp);
    case WM_COPYDATA: {
        wchar_t text[PhoneCommandLine::kChars];
        CopyDataText(reinterpret_cast<const COPYDATASTRUCT*>(lp), text, PhoneCommandLine::kChars);
        RunCommandLine(text);
        return 1;
    }
    case WM_MODEM_OPENED:
        OnModemOpened(static_cast<int>(wp));
        return 0;
    case WM_MODEM_WAKE:
        OnModemWake(static_cast<int>(wp));
        return 0;
    case WM_PARENTNOTIFY:
        // A tap inside a screen can end with this window above its bar
        // (the platform restacks it without telling): put the bar back now
        // and again once the tap has been handled.
        if (LOWORD(wp) == WM_LBUTTONDOWN) {
            PostMessageW(hwnd, kRaiseMenuBar, 0, 0);
            SetTimer(hwnd, kRaiseBarTimer, kRaiseBarDelayMs, nullptr);
        }
        break;
    case WM_TIMER:
        if (wp == kRaiseBarTimer) {
            KillTimer(hwnd, kRaiseBarTimer);
            PostMessageW(hwnd, kRaiseMenuBar, 0, 0);
            return 0;
        }
        if (wp == kTickTimer) {
            OnTick();
            // Restacks that no press announced (a drop-down closed by the
            // keys, an application key) are mended within a second.
            KeepMenuBarAbove();
        }
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATE: {
        const bool active = LOWORD(wp) != WA_INACTIVE;
        if (active)
            HideTaskbar(hwnd);
        // Brought back from behind another program (or a box of its own),
        // or a box or dialog of its own coming in front (a countdown may
        // stand there for long): the bar comes along, once the activation
        // has finished moving the windows, and again a moment later.
        if (active || IsOwnWindow(reinterpret_cast<HWND>(lp))) {
            PostMessageW(hwnd, kRaiseMenuBar, 0, 0);
            SetTimer(hwnd, kRaiseBarTimer, kRaiseBarDelayMs, nullptr);
        }
        break;
    }
    case WM_SETTINGCHANGE:
        // So may the input panel coming or going.
        if (wp == SPI_SETSIPINFO)
            PostMessageW(hwnd, kRaiseMenuBar, 0, 0);
        break;
    case kRaiseMenuBar:
        if (m_MenuBar.Hwnd()) {
            // Through the top-most band and back: the display then restacks
            // the bar even where it already counts as on top.
            const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
            SetWindowPos(m_MenuBar.Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
            SetWindowPos(m_MenuBar.Hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        }
        return 0;
    case WM_WINDOWPOSCHANGED:
        // The menu bar is this window's own pop-up and belongs above it;
        // not every window manager keeps an owned pop-up above its owner.
        if (!(reinterpret_cast<const WINDOWPOS*>(lp)->flags & SWP_NOZORDER) && m_MenuBar.Hwnd())
            SetWindowPos(m_MenuBar.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
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
    if (id == static_cast<int>(kRingPlayerNoticeId)) {
        OnRingPlayerNotice(m_data, MAKEWPARAM(id, notifyCode), m_data.m_Modem.CallState, m_data.m_Call.bRejected);
        return 0;
    }
    if (id == static_cast<int>(kCompanionBarId)) {
        ChooseCompanion(LOWORD(param));
        return 0;
    }
    if (id == 40042) {
        ChooseCompanion(1);
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
    if (id == 40043) {
        EnsureDialUpEntry();
        StartBrowser();
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

// --- tick, clock, title band --------------------------------------------------

void CCeMWndPhone::OnTick()
{
    CCeMModem& link = m_data.m_Modem;
    if (link.LinkState == LINK_READY || link.LinkState == LINK_LOCKED) {
        m_nTick = m_nTick + 1 >= 65535 ? 1 : m_nTick + 1;
        link.TimerTick();
        // The handheld stays awake through a call and a text being sent.
        if (m_Calls.InCall() || m_data.m_Call.bSendingMessage)
            SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
        if (m_data.m_Call.bSendingMessage) {
            CCeMSmsSenderWnd* sender = MessageSender();
            if (sender && sender->SendTimedOut())
                sender->OnSendTimeout();
        }
        if (m_nTick % 10 == 0) {
            const int step = TheSystemVolume().ReadStep();
            const bool changed = step != m_Lcd.Indicator(CCeMWndLcd::kSlotHandheldVolume);
            m_Lcd.SetIndicator(CCeMWndLcd::kSlotHandheldVolume, step, 0, CCeMWndLcd::kKindHandheldVolume);
            if (changed)
                RefreshVolumeScreen();
        }
    }
    // A tap on the start area shows the taskbar until this tick.
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!m_bTaskbarHidden) {
        HideTaskbar(m_hWnd);
    } else if (now.wHour != m_stLastPainted.wHour || now.wMinute != m_stLastPainted.wMinute) {
        m_stLastPainted = now;
        RECT clock = PhoneGeometry::kClockRect;
        InvalidateRect(m_hWnd, &clock, FALSE);
    }
    m_Lcd.Tick();
}

void CCeMWndPhone::PaintClock(HDC dc)
{
    RECT band = {0, 0, 240, PhoneGeometry::kTitleHeight};
    if (m_bmpClock.Handle()) {
        HDC mem = CreateCompatibleDC(dc);
        m_bmpClock.DrawAt(dc, mem, 0, 0);
        DeleteDC(mem);
    } else {
        FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    wchar_t text[16];
    const int hour = m_stLastPainted.wHour;
    if (hour >= 13)
        swprintf(text, 16, L"%d:%02dp", hour - 12, m_stLastPainted.wMinute);
    else
        swprintf(text, 16, L"%d:%02da", hour, m_stLastPainted.wMinute);
    RECT clock = PhoneGeometry::kClockRect;
    // Small enough that "12:59p" fits the 50 pixels of the clock.
    HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, text, -1, &clock, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

void CCeMWndPhone::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    PaintClock(dc);
    EndPaint(hwnd, &ps);
}

void CCeMWndPhone::HideTaskbar(HWND hwnd)
{
    // Activation may come while the window is still being made.
    m_bTaskbarHidden = 1;
    SHFullScreen(hwnd, SHFS_HIDETASKBAR);
}

int CCeMWndPhone::OnLButtonDown(WPARAM, int x, int y)
{
    if (y > PhoneGeometry::kTitleHeight)
        return 0;
    if (x <= 60) {
        // The start area: the shell's taskbar comes up and opens its menu.
        SHFullScreen(m_hWnd, SHFS_SHOWTASKBAR);
        m_bTaskbarHidden = 0;
        if (HWND taskbar = FindWindowW(L"HHTaskBar", nullptr))
            PostMessageW(taskbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    } else if (x >= 215) {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
    return 0;
}

// --- results of the module's commands ----------------------------------------

void CCeMWndPhone::ShowLowBatteryNotice()
{
    CCeMMsgBox::Show(m_hWnd, L"배터리 부족가 부족합니다.\r\n폰 프로그램을 종료 합니다.", L"경고", kMessageBoxStyle,
                     CCeMMsgBox::kDefaultSeconds);
}

void CCeMWndPhone::OnBattery(int ok)
{
    CCeMModem& link = m_data.m_Modem;
    const float volts = link.Status.batteryVolts;
    // A failed or garbled answer says nothing about the battery.
    if (!IsBatteryReading(ok, volts))
        return;
    m_Lcd.SetIndicator(CCeMWndLcd::kSlotBattery, BatteryLevel(volts), 1, CCeMWndLcd::kKindBattery);
    if (!IsBatteryExhausted(ok, volts))
        return;
    m_bEnding = 1;
    link.WriteDirect("AT$WARNSND=0\r\n");
    link.Close();
    PlayEffectSound(m_data.m_szInstallDir, m_data.m_Settings, kEffectBattery);
    ShowLowBatteryNotice();
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

bool CCeMWndPhone::SetHandheldTime(const SYSTEMTIME& time)
{
    return SetLocalTime(&time) != 0;
}

void CCeMWndPhone::OnSysTime(int ok)
{
    const char* text = m_data.m_Modem.Status.moduleTime;
    if (!ok || strlen(text) != 14)
        return;
    for (int i = 0; i < 14; ++i)
        if (text[i] < '0' || text[i] > '9')
            return;
    const auto field = [text](int at, int n) {
        int v = 0;
        for (int i = 0; i < n; ++i)
            v = v * 10 + (text[at + i] - '0');
        return v;
    };
    SYSTEMTIME st = {};
    st.wYear = static_cast<WORD>(field(0, 4));
    st.wMonth = static_cast<WORD>(field(4, 2));
    st.wDay = static_cast<WORD>(field(6, 2));
    st.wHour = static_cast<WORD>(field(8, 2));
    st.wMinute = static_cast<WORD>(field(10, 2));
    st.wSecond = static_cast<WORD>(field(12, 2));
    // A date the calendar does not have is not set.
    FILETIME check;
    if (!SystemTimeToFileTime(&st, &check))
        return;
    if (SetHandheldTime(st))
        m_Lcd.RestartCallBase();
}

int CCeMWndPhone::AntennaBars(int level)
{
    static const int kBars[10] = {0, 1, 2, 3, 3, 4, 4, 5, 5, 5};
    if (level < 0)
        return 0;
    if (level > 9)
        return 5;
    return kBars[level];
}

void CCeMWndPhone::OnPing(int)
{
    m_Lcd.SetIndicator(CCeMWndLcd::kSlotAntenna, AntennaBars(m_data.m_Modem.Status.signalLevel), 1,
                       CCeMWndLcd::kKindAntenna);
}

void CCeMWndPhone::OnVolume(int)
{
    m_Lcd.SetIndicator(CCeMWndLcd::kSlotCallVolume, m_data.m_Modem.Status.speakerVolume, 1,
                       CCeMWndLcd::kKindCallVolume);
}

void CCeMWndPhone::OnDialInfo(int ok)
{
    if (ok != 1 || m_data.m_Settings.bShowGreeting != 0)
        return;
    char own[32];
    CopyByteTextCut(own, sizeof own, m_data.m_Modem.Status.dialInfo);
    wchar_t banner[CCeMWndLcd::kLineLength];
    ByteToWideText(own, banner, CCeMWndLcd::kLineLength);
    m_Lcd.SetBanner(banner);
}

void CCeMWndPhone::OnRingVolume(int)
{
    const int volume = m_data.m_Modem.Status.ringVolume;
    m_Lcd.SetIndicator(CCeMWndLcd::kSlotRingVolume, volume, 1, CCeMWndLcd::kKindAlert);
    SyncModuleRinger(m_data.m_Modem, m_data.m_Settings, volume);
}

void CCeMWndPhone::OnReadMt(int ok)
{
    if (ok == 1)
        m_data.m_Modem.DeliverRecords();
}

void CCeMWndPhone::OnReadNewMt(int ok)
{
    if (ok == 1)
        OnNewTextMessage(m_data.m_Modem, m_data.m_szInstallDir, m_data.m_Settings);
}

// --- keys and notifications of the screens ------------------------------------

namespace {
constexpr wchar_t kFirstAppKey = 0xC1;
constexpr int kAppKeys = 4;
constexpr int kMaxCallVolume = 4;
}  // namespace

void CCeMWndPhone::BindAppKeys(HWND hwnd)
{
    for (int i = 0; i < kAppKeys; ++i)
        SHSetAppKeyWndAssoc(static_cast<BYTE>(kFirstAppKey + i), m_data.m_Settings.nHwButton[i] ? hwnd : nullptr);
}

void CCeMWndPhone::StepCallVolume(int delta)
{
    int volume = m_Lcd.Indicator(CCeMWndLcd::kSlotCallVolume) + delta;
    volume = volume < 0 ? 0 : (volume > kMaxCallVolume ? kMaxCallVolume : volume);
    // The volume screen shows the module's value, so it follows the answer.
    m_bVolumeAsked = m_data.m_Modem.CmdSetVolume(volume) != 0;
    m_Lcd.SetIndicator(CCeMWndLcd::kSlotCallVolume, volume, 1, CCeMWndLcd::kKindCallVolume);
}

void CCeMWndPhone::OnSetVolume(int)
{
    if (!m_bVolumeAsked)
        return;
    m_bVolumeAsked = 0;
    RefreshVolumeScreen();
}

void CCeMWndPhone::RefreshVolumeScreen()
{
    if (m_nView != VIEW_VOLUME)
        return;
    if (auto* screen = dynamic_cast<CCeMWndVolume*>(m_pScreen.get()))
        screen->Refresh();
}

bool CCeMWndPhone::OnAppKey(wchar_t key)
{
    if (key < kFirstAppKey || key >= kFirstAppKey + kAppKeys)
        return false;
    switch (m_data.m_Settings.nHwButton[key - kFirstAppKey]) {
    case 1:
        StepCallVolume(+1);
        break;
    case 2:
        StepCallVolume(-1);
        break;
    case 3:
        TheSystemVolume().StepUp();
        RefreshVolumeScreen();
        break;
    case 4:
        TheSystemVolume().StepDown();
        RefreshVolumeScreen();
        break;
    case 5:
        SwitchView(VIEW_CALLLIST);
        break;
    case 6:
        SwitchView(VIEW_CONTACTS);
        break;
    case 7:
        SwitchView(VIEW_MESSAGES);
        break;
    case 9:
        if (m_DisplayPower.IsOn())
            m_DisplayPower.DisplayOff();
        else
            m_DisplayPower.DisplayOn();
        break;
    case 10:
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        break;
    default:  // 0 none, 8 nothing on this handheld
        break;
    }
    return true;
}

void CCeMWndPhone::OnChildNotify(int code)
{
    switch (code) {
    case 1:
        m_Lcd.RepaintIndicator(CCeMWndLcd::kKindCallVolume);
        m_Lcd.RepaintIndicator(CCeMWndLcd::kKindAlert);
        m_Lcd.SetIndicator(CCeMWndLcd::kSlotHandheldVolume, TheSystemVolume().ReadStep(), 1,
                           CCeMWndLcd::kKindHandheldVolume);
        break;
    case 2:
        if (m_data.m_Settings.bShowGreeting == 1) {
            m_Lcd.SetBanner(m_data.m_Settings.szGreeting);
        } else {
            wchar_t own[CCeMWndLcd::kLineLength];
            ByteToWideText(m_data.m_Modem.Status.dialInfo, own, CCeMWndLcd::kLineLength);
            m_Lcd.SetBanner(own);
        }
        break;
    case 3:
        m_Lcd.RepaintIndicator(CCeMWndLcd::kKindAlert);
        break;
    case 4:
        m_Lcd.RepaintIndicator(CCeMWndLcd::kKindLock);
        break;
    case 5:
        m_data.m_Settings.nNewMessages = m_data.m_SmsDB.UnreadMessages();
        m_data.m_EnvDB.Save();
        m_Lcd.RepaintIndicator(CCeMWndLcd::kKindMessages);
        break;
    case 6:
    case 7:
        m_Calls.SetSendingMessage(code == 6);
        break;
    case 8:
        LoadSkin();
        InvalidateRect(m_Lcd.GetHwnd(), nullptr, FALSE);
        InvalidateRect(m_hWnd, nullptr, FALSE);
        break;
    case 9:
        // Part of a screen closed under the pen; the bar may be under this window.
        PostMessageW(m_hWnd, kRaiseMenuBar, 0, 0);
        break;
    default:
        break;
    }
}
