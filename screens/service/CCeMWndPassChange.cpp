#include "screens/service/CCeMWndPassChange.h"

#include <cstring>
#include <cwchar>

#include "toolkit/CCeMMsgBox.h"

namespace {

constexpr RECT kPromptRect = {10, 30, 230, 52};
constexpr RECT kFieldRect = {80, 54, 160, 74};

}  // namespace

CCeMWndPassChange::CCeMWndPassChange(CCeDataManager& data)
    : CCeMTabScreen(data), m_szNew{}, m_nStep(STEP_CURRENT), m_bError(0)
{
    SetTabs(nullptr, 0, L"비밀번호");
}

CCeMWndPassChange::~CCeMWndPassChange()
{
    Destroy();
}

void CCeMWndPassChange::CreateControls(HWND)
{
    m_keypad.Create(WS_VISIBLE, {45, 78, 150, 104}, m_hWnd, kKeypadId);
}

const wchar_t* CCeMWndPassChange::Prompt() const
{
    if (m_bError)
        return L"비밀번호가 잘못됐습니다.";
    switch (m_nStep) {
    case STEP_NEW: return L"새 비밀번호를 입력하십시오.";
    case STEP_REPEAT: return L"다시 입력해 주십시오.";
    default: return L"현재 비밀번호를 입력하십시오.";
    }
}

int CCeMWndPassChange::OnCommand(int notifyCode, int id, HWND control)
{
    if (id == static_cast<int>(kKeypadId)) {
        const int key = CCeMPassKeypad::KeyOfNotification(reinterpret_cast<LPARAM>(control));
        if (key >= 0)
            OnKey(key);
        return 0;
    }
    return CCeMTabScreen::OnCommand(notifyCode, id, control);
}

void CCeMWndPassChange::OnKey(int key)
{
    if (key == CCeMPassKeypad::kClear)
        m_field.Clear();
    else if (key == CCeMPassKeypad::kConfirm)
        Confirm();
    else
        m_field.Add(key);
    Redraw();
}

void CCeMWndPassChange::Confirm()
{
    switch (m_nStep) {
    case STEP_CURRENT:
        if (m_field.Matches(StoredPassword(m_data.m_Settings))) {
            m_nStep = STEP_NEW;
            m_bError = 0;
        } else {
            m_bError = 1;
        }
        m_field.Clear();
        break;
    case STEP_NEW:
        // The keypad types digits only, so four characters are a password.
        if (!m_field.IsComplete())
            return;
        wcscpy(m_szNew, m_field.Text());
        m_nStep = STEP_REPEAT;
        m_bError = 0;
        m_field.Clear();
        break;
    case STEP_REPEAT:
        if (!m_field.IsComplete())
            return;
        if (!m_field.Matches(m_szNew)) {
            m_bError = 1;
            m_field.Clear();
            return;
        }
        m_field.Clear();
        if (!StorePassword()) {
            // The old password stays in force; say so rather than claim a change.
            m_nStep = STEP_CURRENT;
            ShowNotice(L"비밀번호를 저장하지 못했습니다.", L"경고");
            return;
        }
        ShowNotice(L"암호가 변경되었습니다.", L"알림");
        RequestClose();
        break;
    default:
        break;
    }
}

bool CCeMWndPassChange::StorePassword()
{
    SettingsBlock& s = m_data.m_Settings;
    wchar_t old[sizeof s.szLockCode / sizeof s.szLockCode[0]];
    memcpy(old, s.szLockCode, sizeof old);
    memset(s.szLockCode, 0, sizeof s.szLockCode);
    wcscpy(s.szLockCode, m_szNew);
    if (SaveSettings())
        return true;
    memcpy(s.szLockCode, old, sizeof old);
    return false;
}

void CCeMWndPassChange::ShowNotice(LPCWSTR text, LPCWSTR caption)
{
    CCeMMsgBox::Show(m_hWnd, text, caption, 0, CCeMMsgBox::kDefaultSeconds);
}

void CCeMWndPassChange::PaintPage(HDC dc)
{
    DrawCentred(dc, Prompt(), kPromptRect, m_bError ? RGB(200, 0, 0) : RGB(0, 0, 0));
    wchar_t masked[kPasswordLength + 1];
    m_field.Masked(masked);
    Rectangle(dc, kFieldRect.left, kFieldRect.top, kFieldRect.right, kFieldRect.bottom);
    DrawCentred(dc, masked, kFieldRect);
}
