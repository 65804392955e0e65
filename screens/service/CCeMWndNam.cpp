#include "screens/service/CCeMWndNam.h"

#include <cwchar>

#include "screens/service/CCeMNamCountdown.h"
#include "screens/service/ModuleReset.h"
#include "stores/StoreText.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

const CCeMTabScreen::TabDef kTabs[] = {
    {{5, 27, 72, 65}, L"번호 변경", L"번호 변경"},
    {{5, 67, 72, 105}, L"NAM 선택", L"NAM 선택"},
    {{5, 107, 72, 145}, L"정보 보기", L"정보 보기"},
};
const wchar_t* const kNamNames[CCeMWndNam::kAssignments] = {L"011 시스템", L"017 시스템", L"국제자동로밍",
                                                             L"A-BAND 국제로밍", L"B-BAND 국제로밍"};
const wchar_t* const kRxStates[] = {L"CDMA Initial", L"Sync", L"Paging", L"Traffic Initial", L"Traffic"};
const wchar_t* const kRates[] = {L"BLANK", L"1/8", L"1/4", L"HALF", L"FULL", L"ERROR"};
constexpr int kPanelLeft = 78;
constexpr RECT kNumberText = {80, 32, 234, 92};
constexpr int kEngineeringTop = 32;
constexpr int kLineStep = 15;

std::wstring Named(const wchar_t* label, LONG value, const wchar_t* const* names, int count)
{
    wchar_t line[64];
    if (value >= 0 && value < count)
        swprintf(line, 64, L"%ls = %ls", label, names[value]);
    else
        swprintf(line, 64, L"%ls = (%ld)%ls", label, static_cast<long>(value), L"Unknow");
    return line;
}

}  // namespace

CCeMWndNam::CCeMWndNam(CCeDataManager& data)
    : CCeMTabScreen(data), m_uTickMs(1000), m_dwAnswerWait(kDefaultAnswerWaitMs), m_pszStatus(L"")
{
    SetTabs(kTabs, 3, nullptr);
    SetPanelLeft(kPanelLeft);
}

CCeMWndNam::~CCeMWndNam()
{
    Destroy();
}

void CCeMWndNam::CreateControls(HWND hwnd)
{
    HWND edit = MakeControl(L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, {84, 100, 146, 22}, kNumberEdit);
    SendMessageW(edit, EM_LIMITTEXT, 20, 0);
    MakeControl(L"BUTTON", L"변경", BS_PUSHBUTTON, {125, 135, 60, 24}, kChangeNumber);
    for (int i = 0; i < kAssignments; ++i)
        MakeControl(L"BUTTON", kNamNames[i], (i == 0 ? WS_GROUP : 0) | BS_AUTORADIOBUTTON,
                    {84, 30 + i * 21, 148, 20}, kFirstNam + i);
    // Enabled once the module has told which assignment is active.
    MakeControl(L"BUTTON", L"변경", WS_DISABLED | BS_PUSHBUTTON, {125, 139, 60, 23}, kSelectNam);
    m_data.m_Modem.CmdNam();
    SetTimer(hwnd, kPollTimer, 2000, nullptr);
}

void CCeMWndNam::OnTabChanged(int tab)
{
    for (UINT id : {kNumberEdit, kChangeNumber})
        ShowWindow(GetDlgItem(m_hWnd, id), tab == 0 ? SW_SHOW : SW_HIDE);
    for (int i = 0; i < kAssignments; ++i)
        ShowWindow(GetDlgItem(m_hWnd, kFirstNam + i), tab == 1 ? SW_SHOW : SW_HIDE);
    ShowWindow(GetDlgItem(m_hWnd, kSelectNam), tab == 1 ? SW_SHOW : SW_HIDE);
}

int CCeMWndNam::OnDestroy(HWND hwnd)
{
    KillTimer(hwnd, kPollTimer);
    KillTimer(hwnd, kAnswerTimer);
    return CCeMTabScreen::OnDestroy(hwnd);
}

LRESULT CCeMWndNam::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_TIMER && wp == kAnswerTimer) {
        // The module has not come back from its reset.
        KillTimer(hwnd, kAnswerTimer);
        m_pszStatus = L"모듈이 응답하지 않습니다.";
        Redraw();
        return 0;
    }
    if (msg == WM_TIMER && wp == kPollTimer) {
        if (m_nTab == 2)
            m_data.m_Modem.CmdStatusInfo();
        return 0;
    }
    return CCeMTabScreen::WindowProc(hwnd, msg, wp, lp);
}

void CCeMWndNam::ShowAssignment()
{
    const LONG active = m_data.m_Modem.Status.activeNam;
    for (int i = 0; i < kAssignments; ++i)
        CheckDlgButton(m_hWnd, kFirstNam + i, i == active ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(m_hWnd, kSelectNam), TRUE);
    KillTimer(m_hWnd, kAnswerTimer);
    if (*m_pszStatus) {
        m_pszStatus = L"";
        Redraw();
    }
}

void CCeMWndNam::OnStatusInfo()
{
    if (m_nTab == 2)
        Redraw();
}

bool CCeMWndNam::IsProgrammableNumber(const wchar_t* text)
{
    if (!text)
        return false;
    const size_t n = wcslen(text);
    if (n < 10 || n > 11)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    return true;
}

int CCeMWndNam::ChangeNumber()
{
    wchar_t text[31] = {};
    GetWindowTextW(GetDlgItem(m_hWnd, kNumberEdit), text, 31);
    // Letters or a wrong length would be programmed into the module as they are.
    if (!IsProgrammableNumber(text)) {
        ShowNotice(L"번호가 잘못되었습니다.", L"오류");
        return 0;
    }
    char number[31];
    WideToByteText(text, number, sizeof number);
    RunCountdown(CCeMNamCountdown::MODE_NUMBER, number, 0);
    return 1;
}

int CCeMWndNam::SelectAssignment()
{
    int index = 0;
    for (int i = 0; i < kAssignments; ++i)
        if (IsDlgButtonChecked(m_hWnd, kFirstNam + i) == BST_CHECKED)
            index = i;
    RunCountdown(CCeMNamCountdown::MODE_SELECT, nullptr, index);
    return 1;
}

void CCeMWndNam::RunCountdown(int mode, const char* number, int index)
{
    CCeMModem& modem = m_data.m_Modem;
    CCeMNamCountdown countdown(modem, mode, number, index, modem.Status.activeNam);
    countdown.SetTickMs(m_uTickMs);
    countdown.Run(m_hWnd);
    FinishModuleReset(modem);
    modem.CmdDialInfo();
    modem.CmdNam();
    SetTimer(m_hWnd, kAnswerTimer, m_dwAnswerWait, nullptr);
    Redraw();
}

void CCeMWndNam::ShowNotice(LPCWSTR text, LPCWSTR caption)
{
    CCeMMsgBox::Show(m_hWnd, text, caption, 0, CCeMMsgBox::kDefaultSeconds);
}

int CCeMWndNam::OnCommand(int notifyCode, int id, HWND control)
{
    if (notifyCode == BN_CLICKED && id == static_cast<int>(kChangeNumber)) {
        ChangeNumber();
        return 0;
    }
    if (notifyCode == BN_CLICKED && id == static_cast<int>(kSelectNam)) {
        SelectAssignment();
        return 0;
    }
    return CCeMTabScreen::OnCommand(notifyCode, id, control);
}

std::vector<std::wstring> CCeMWndNam::EngineeringLines(const ModemStatus& s)
{
    const LONG* e = s.engineering;
    wchar_t line[64];
    std::vector<std::wstring> lines;
    swprintf(line, 64, L"FA Channel = %ld", static_cast<long>(e[0]));
    lines.push_back(line);
    swprintf(line, 64, L"PN Offset = %ld", static_cast<long>(e[1]));
    lines.push_back(line);
    swprintf(line, 64, L"System ID = %ld", static_cast<long>(e[2]));
    lines.push_back(line);
    swprintf(line, 64, L"Network ID = %ld", static_cast<long>(e[3]));
    lines.push_back(line);
    lines.push_back(Named(L"RX State", e[4], kRxStates, 5));
    swprintf(line, 64, L"RSSI = %ld", static_cast<long>(e[5]));
    lines.push_back(line);
    swprintf(line, 64, L"Ec/IO = %ld, TXadj = %ld", static_cast<long>(e[6]), static_cast<long>(e[7]));
    lines.push_back(line);
    lines.push_back(Named(L"RX Rate", e[8], kRates, 6));
    lines.push_back(Named(L"TX Rate", e[9], kRates, 6));
    swprintf(line, 64, L"Battery = %.2f", static_cast<double>(s.engineeringFloat));
    lines.push_back(line);
    return lines;
}

void CCeMWndNam::PageText(wchar_t* out, int outChars) const
{
    if (!out || outChars <= 0)
        return;
    out[0] = 0;
    if (m_nTab != 0)
        return;
    wchar_t own[33];
    char dial[sizeof m_data.m_Modem.Status.dialInfo + 1] = {};
    memcpy(dial, m_data.m_Modem.Status.dialInfo, sizeof m_data.m_Modem.Status.dialInfo);
    ByteToWideText(dial, own, 33);
    swprintf(out, outChars, L"현재 전화 번호\r\n\r\n%ls", own);
}

void CCeMWndNam::PaintPage(HDC dc)
{
    if (*m_pszStatus && m_nTab != 2) {
        const RECT status = {80, 164, 234, 185};
        DrawCentred(dc, m_pszStatus, status, RGB(200, 0, 0));
    }
    if (m_nTab == 0) {
        wchar_t text[80];
        PageText(text, 80);
        DrawCentred(dc, text, kNumberText);
    } else if (m_nTab == 2) {
        SetTextColor(dc, RGB(0, 0, 0));
        int y = kEngineeringTop;
        for (const std::wstring& line : EngineeringLines(m_data.m_Modem.Status)) {
            RECT rc = {82, y, 234, y + kLineStep};
            DrawTextW(dc, line.c_str(), -1, &rc, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
            y += kLineStep;
        }
    }
}
