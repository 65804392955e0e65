#include "screens/service/CCeMWndInfo.h"

#include <cwchar>

#include "stores/StoreText.h"

const wchar_t CCeMWndInfo::kSoftwareVersion[] = L"Zentrika 1.0";

namespace {

const CCeMTabScreen::TabDef kTabs[] = {
    {{8, 29, 90, 59}, L"초기화면문구", L"초기화면문구"},
    {{8, 68, 90, 98}, L"자기 번호", L"자기 번호"},
    {{8, 107, 90, 137}, L"S/W 버전", L"S/W 버전"},
};
const wchar_t kReading[] = L"Reading...";
const wchar_t kNoAnswer[] = L"모듈 응답 없음";
const wchar_t kNoLink[] = L"모듈과 연결되어 있지 않습니다.";
constexpr int kOwnNumberChars = 32;
constexpr int kGreetingRoom = sizeof(SettingsBlock{}.szGreeting) / sizeof(wchar_t);

}  // namespace

CCeMWndInfo::CCeMWndInfo(CCeDataManager& data)
    : CCeMTabScreen(data), m_szVersion{}, m_bVersionAnswered(0), m_bVersionAsked(0), m_dwVersionWait(kDefaultVersionWaitMs)
{
    SetTabs(kTabs, 3, nullptr);
    wcscpy(m_szVersion, kReading);
}

CCeMWndInfo::~CCeMWndInfo()
{
    Destroy();
}

void CCeMWndInfo::CreateControls(HWND)
{
    const SettingsBlock& s = m_data.m_Settings;
    wchar_t greeting[kGreetingRoom];
    CopyTextCut(greeting, kGreetingRoom, s.szGreeting);
    HWND edit = MakeControl(L"EDIT", greeting, WS_BORDER | ES_AUTOHSCROLL, {106, 95, 126, 22}, kGreetingEdit);
    SendMessageW(edit, EM_LIMITTEXT, kGreetingChars, 0);
    HWND on = MakeControl(L"BUTTON", L"설정", WS_GROUP | BS_AUTORADIOBUTTON, {112, 130, 55, 22}, kGreetingOn);
    HWND off = MakeControl(L"BUTTON", L"해제", BS_AUTORADIOBUTTON, {172, 130, 55, 22}, kGreetingOff);
    SendMessageW(s.bShowGreeting == 1 ? on : off, BM_SETCHECK, BST_CHECKED, 0);
}

void CCeMWndInfo::OnTabChanged(int tab)
{
    const int show = tab == 0 ? SW_SHOW : SW_HIDE;
    for (UINT id : {kGreetingEdit, kGreetingOn, kGreetingOff})
        ShowWindow(GetDlgItem(m_hWnd, id), show);
    if (tab == 2)
        RequestVersion();
}

void CCeMWndInfo::RequestVersion()
{
    // Turning pages faster than the module answers asks only once.
    if (m_bVersionAsked)
        return;
    if (m_data.m_Modem.CmdVersion() == 0) {
        // Nothing went out: waiting would show "Reading..." for ever.
        if (!m_bVersionAnswered)
            wcscpy(m_szVersion, kNoLink);
        return;
    }
    m_bVersionAsked = 1;
    if (!m_bVersionAnswered)
        wcscpy(m_szVersion, kReading);
    SetTimer(m_hWnd, kVersionTimer, m_dwVersionWait, nullptr);
}

LRESULT CCeMWndInfo::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_TIMER && wp == kVersionTimer) {
        KillTimer(hwnd, kVersionTimer);
        m_bVersionAsked = 0;
        if (!m_bVersionAnswered) {
            wcscpy(m_szVersion, kNoAnswer);
            if (m_nTab == 2)
                Redraw();
        }
        return 0;
    }
    return CCeMTabScreen::WindowProc(hwnd, msg, wp, lp);
}

void CCeMWndInfo::SetVersionText(LPCWSTR text)
{
    CopyTextCut(m_szVersion, 64, text);
    m_bVersionAnswered = 1;
    m_bVersionAsked = 0;
    if (m_hWnd) {
        KillTimer(m_hWnd, kVersionTimer);
        if (m_nTab == 2) {
            const RECT area = kPageText;
            InvalidateRect(m_hWnd, &area, FALSE);
        }
    }
}

void CCeMWndInfo::SetVersionFromModule(const char* text)
{
    wchar_t wide[64];
    ByteToWideText(text, wide, 64);
    SetVersionText(wide);
}

bool CCeMWndInfo::TakeGreeting()
{
    wchar_t text[kGreetingRoom] = {};
    GetWindowTextW(GetDlgItem(m_hWnd, kGreetingEdit), text, kGreetingRoom);
    if (wcscmp(text, m_data.m_Settings.szGreeting) == 0)
        return false;
    memset(m_data.m_Settings.szGreeting, 0, sizeof m_data.m_Settings.szGreeting);
    wcscpy(m_data.m_Settings.szGreeting, text);
    return true;
}

int CCeMWndInfo::OnCommand(int notifyCode, int id, HWND control)
{
    if ((id == static_cast<int>(kGreetingOn) || id == static_cast<int>(kGreetingOff)) && notifyCode == BN_CLICKED) {
        m_data.m_Settings.bShowGreeting = id == static_cast<int>(kGreetingOn) ? 1 : 0;
        TakeGreeting();
        SaveSettings();
        NotifyParent(kNotifyGreeting);
        return 0;
    }
    return CCeMTabScreen::OnCommand(notifyCode, id, control);
}

int CCeMWndInfo::OnDestroy(HWND hwnd)
{
    KillTimer(hwnd, kVersionTimer);
    // A greeting typed but never confirmed with the on/off choice is kept too.
    if (TakeGreeting()) {
        SaveSettings();
        NotifyParent(kNotifyGreeting);
    }
    return CCeMTabScreen::OnDestroy(hwnd);
}

void CCeMWndInfo::PageText(wchar_t* out, int outChars) const
{
    if (!out || outChars <= 0)
        return;
    out[0] = 0;
    if (m_nTab == 1) {
        wchar_t own[kOwnNumberChars + 1];
        char dial[sizeof m_data.m_Modem.Status.dialInfo + 1] = {};
        memcpy(dial, m_data.m_Modem.Status.dialInfo, sizeof m_data.m_Modem.Status.dialInfo);
        ByteToWideText(dial, own, kOwnNumberChars + 1);
        _snwprintf(out, outChars, L"내 전화 번호\r\n\r\n%ls", own);
    } else if (m_nTab == 2) {
        _snwprintf(out, outChars, L"소프트웨어 버전\r\n%ls\r\n\r\n모듈 버전\r\n%ls", kSoftwareVersion, m_szVersion);
    }
    out[outChars - 1] = 0;
}

void CCeMWndInfo::PaintPage(HDC dc)
{
    if (m_nTab == 0) {
        const RECT line = {104, 35, 233, 85};
        DrawCentred(dc, L"초기 화면 문구를 변경합니다.", line);
        return;
    }
    wchar_t text[160];
    PageText(text, 160);
    DrawCentred(dc, text, kPageText);
}
