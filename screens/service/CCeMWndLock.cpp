#include "screens/service/CCeMWndLock.h"

namespace {

const CCeMTabScreen::TabDef kTabs[] = {
    {{8, 29, 90, 59}, L"휴대폰 잠금", L"휴대폰 잠금"},
    {{8, 68, 90, 98}, L"사용 제한", L"사용 제한"},
};
const UINT kRestrictionIds[] = {CCeMWndLock::kBarOutgoing, CCeMWndLock::kBarIncoming,
                                CCeMWndLock::kBarInternational, CCeMWndLock::kPrivacy};
const wchar_t* const kRestrictionTexts[] = {L"발신 제한", L"수신 제한", L"국제 전화 제한", L"사생활 보호"};

int32_t* RestrictionFlag(SettingsBlock& s, UINT id)
{
    switch (id) {
    case CCeMWndLock::kBarOutgoing: return &s.bBarOutgoing;
    case CCeMWndLock::kBarIncoming: return &s.bBarIncoming;
    case CCeMWndLock::kBarInternational: return &s.bBarInternational;
    case CCeMWndLock::kPrivacy: return &s.bPrivacy;
    default: return nullptr;
    }
}

// Where the hint and the typed digits go above the keypad.
constexpr RECT kHintRect = {101, 30, 236, 56};
constexpr RECT kDigitsRect = {130, 58, 207, 76};

}  // namespace

CCeMWndLock::CCeMWndLock(CCeDataManager& data) : CCeMTabScreen(data), m_bAccepted(0)
{
    SetTabs(kTabs, 2, nullptr);
}

CCeMWndLock::~CCeMWndLock()
{
    Destroy();
}

void CCeMWndLock::CreateControls(HWND)
{
    const SettingsBlock& s = m_data.m_Settings;
    // Everything stays hidden and disabled until the password is accepted.
    HWND on = MakeControl(L"BUTTON", L"설정", WS_DISABLED | WS_GROUP | BS_AUTORADIOBUTTON, {115, 80, 55, 22}, kLockOn);
    HWND off = MakeControl(L"BUTTON", L"해제", WS_DISABLED | BS_AUTORADIOBUTTON, {172, 80, 55, 22}, kLockOff);
    SendMessageW(s.bPhoneLocked == 1 ? on : off, BM_SETCHECK, BST_CHECKED, 0);
    for (int i = 0; i < 4; ++i) {
        HWND box = MakeControl(L"BUTTON", kRestrictionTexts[i], WS_DISABLED | BS_AUTOCHECKBOX,
                               {110, 45 + i * 30, 120, 22}, kRestrictionIds[i]);
        int32_t* flag = RestrictionFlag(m_data.m_Settings, kRestrictionIds[i]);
        SendMessageW(box, BM_SETCHECK, *flag == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    m_keypad.Create(WS_VISIBLE, {106, 80, 126, 104}, m_hWnd, kKeypadId);
}

void CCeMWndLock::ShowPageControls()
{
    const bool lockPage = m_nTab == 0 && m_bAccepted;
    const bool barPage = m_nTab == 1 && m_bAccepted;
    ShowWindow(GetDlgItem(m_hWnd, kLockOn), lockPage ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, kLockOff), lockPage ? SW_SHOW : SW_HIDE);
    for (UINT id : kRestrictionIds)
        ShowWindow(GetDlgItem(m_hWnd, id), barPage ? SW_SHOW : SW_HIDE);
}

void CCeMWndLock::OnTabChanged(int)
{
    ShowPageControls();
}

void CCeMWndLock::OnKey(int key)
{
    if (m_bAccepted)
        return;
    if (key == CCeMPassKeypad::kClear) {
        m_typed.Clear();
    } else if (!m_typed.Add(key)) {
        return;
    }
    Redraw();
    if (!m_typed.IsComplete())
        return;
    if (!m_typed.Matches(StoredPassword(m_data.m_Settings))) {
        m_typed.Clear();
        Redraw();
        UpdateWindow(m_hWnd);
        m_keypad.Shake();
        return;
    }
    m_bAccepted = 1;
    m_typed.Clear();
    m_keypad.Destroy();
    EnableWindow(GetDlgItem(m_hWnd, kLockOn), TRUE);
    EnableWindow(GetDlgItem(m_hWnd, kLockOff), TRUE);
    for (UINT id : kRestrictionIds)
        EnableWindow(GetDlgItem(m_hWnd, id), TRUE);
    ShowPageControls();
    Redraw();
}

int CCeMWndLock::OnCommand(int notifyCode, int id, HWND control)
{
    if (id == static_cast<int>(kKeypadId)) {
        const int key = CCeMPassKeypad::KeyOfNotification(reinterpret_cast<LPARAM>(control));
        if (key >= 0)
            OnKey(key);
        return 0;
    }
    if (!m_bAccepted || notifyCode != BN_CLICKED)
        return CCeMTabScreen::OnCommand(notifyCode, id, control);
    SettingsBlock& s = m_data.m_Settings;
    if (id == static_cast<int>(kLockOn) || id == static_cast<int>(kLockOff)) {
        const int32_t locked = id == static_cast<int>(kLockOn) ? 1 : 0;
        if (s.bPhoneLocked != locked) {
            s.bPhoneLocked = locked;
            SaveSettings();
            NotifyParent(kNotifyLock);
        }
        return 0;
    }
    if (int32_t* flag = RestrictionFlag(s, static_cast<UINT>(id))) {
        *flag = SendMessageW(GetDlgItem(m_hWnd, id), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        SaveSettings();
        return 0;
    }
    return CCeMTabScreen::OnCommand(notifyCode, id, control);
}

void CCeMWndLock::PaintPage(HDC dc)
{
    if (!m_bAccepted) {
        // A smaller face keeps the hint on one line over the narrow panel.
        HFONT small = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, L"Tahoma");
        HGDIOBJ old = SelectObject(dc, small);
        DrawCentred(dc, L"암호 4자리를 입력하십시오.", kHintRect);
        SelectObject(dc, old);
        DeleteObject(small);
        wchar_t masked[kPasswordLength + 1];
        m_typed.Masked(masked);
        RECT field = kDigitsRect;
        Rectangle(dc, field.left, field.top, field.right, field.bottom);
        DrawCentred(dc, masked, field);
    }
}
