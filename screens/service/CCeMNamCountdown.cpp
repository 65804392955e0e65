#include "screens/service/CCeMNamCountdown.h"

#include <cstring>

#include "service_res.h"
#include "toolkit/CCeMToolkit.h"

CCeMNamCountdown::CCeMNamCountdown(CCeMModem& modem, int mode, const char* number, int index, int activeNam)
    : m_modem(modem), m_nMode(mode == MODE_NUMBER ? MODE_NUMBER : MODE_SELECT), m_szNumber{}, m_nIndex(index),
      m_nActiveNam(activeNam), m_uTickMs(1000), m_hOldCursor(nullptr)
{
    if (number)
        strncpy(m_szNumber, number, sizeof m_szNumber - 1);
    SetCaptionText(L"알림");
}

int CCeMNamCountdown::Seconds() const
{
    return m_nMode == MODE_NUMBER ? 35 : 20;
}

INT_PTR CCeMNamCountdown::Run(HWND parent)
{
    SetTimeout(Seconds());
    m_hOldCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    const INT_PTR r = DoModal(CCeMToolkit::Instance(), IDD_NAM_COUNTDOWN, parent, kLayoutKeep);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return r;
}

int CCeMNamCountdown::OnInitDialog(HWND hwnd)
{
    const int r = CCeMDialog::OnInitDialog(hwnd);
    SetDlgItemTextW(hwnd, IDC_NAM_COUNTDOWN_TEXT,
                    m_nMode == MODE_NUMBER ? L"번호를 바꾸고 있습니다.\n잠시만 기다려 주십시오."
                                           : L"NAM 변경 작업중입니다.\n잠시만 기다려 주십시오.");
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (m_uTickMs != 1000)
        SetTimer(hwnd, kTimerId, m_uTickMs, nullptr);  // same timer, another pace
    return r;
}

int CCeMNamCountdown::OnTimer(UINT timerId)
{
    if (timerId == kTimerId)
        StepAt(m_nCountdown);
    return CCeMDialog::OnTimer(timerId);
}

void CCeMNamCountdown::StepAt(int remaining)
{
    if (m_nMode == MODE_NUMBER) {
        switch (remaining) {
        case 33:
            m_modem.CmdModeNaming();
            break;
        case 28:
            // A number of the other system moves the module to that system first.
            if (m_szNumber[0] == '0' && m_szNumber[1] == '1') {
                if (m_szNumber[2] == '1' && m_nActiveNam == 1)
                    m_modem.CmdSetNam(0);
                else if (m_szNumber[2] == '7' && m_nActiveNam == 0)
                    m_modem.CmdSetNam(1);
            }
            break;
        case 22:
            m_modem.CmdSetPhoneNumber(m_szNumber);
            break;
        case 12:
            m_modem.CmdModeReset();
            break;
        default:
            break;
        }
        return;
    }
    switch (remaining) {
    case 19:
        m_modem.CmdModeNaming();
        break;
    case 17:
        m_modem.CmdSetNam(m_nIndex);
        break;
    case 12:
        m_modem.CmdModeReset();
        break;
    default:
        break;
    }
}
