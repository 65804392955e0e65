#include "screens/service/CCeMWndKitReset.h"

#include "modem/ModemMessages.h"
#include "screens/service/ModuleReset.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

const wchar_t kExplanation[] =
    L"리셋은 10초정도의 시간이 소요되며, 리셋 완료시 신호음이 들립니다.\r\n\r\n단, MP3 벨소리 지정시에는 신호음이 나지 않습니다.";

}  // namespace

CCeMWndKitReset::CCeMWndKitReset(CCeDataManager& data) : CCeMTabScreen(data), m_nWaitSeconds(kDefaultWaitSeconds)
{
    SetTabs(nullptr, 0, L"젠트리카 리셋");
}

CCeMWndKitReset::~CCeMWndKitReset()
{
    Destroy();
}

void CCeMWndKitReset::CreateControls(HWND)
{
    MakeControl(L"BUTTON", L"리셋", WS_VISIBLE | BS_PUSHBUTTON, {85, 130, 70, 26}, kResetId);
}

void CCeMWndKitReset::PaintPage(HDC dc)
{
    RECT text = {20, 40, 230, 110};
    SetTextColor(dc, RGB(200, 0, 0));
    DrawTextW(dc, kExplanation, -1, &text, DT_LEFT | DT_WORDBREAK);
}

int CCeMWndKitReset::OnCommand(int notifyCode, int id, HWND control)
{
    if (id == static_cast<int>(kResetId) && notifyCode == BN_CLICKED) {
        Reset();
        return 0;
    }
    return CCeMTabScreen::OnCommand(notifyCode, id, control);
}

void CCeMWndKitReset::ShowNotice(LPCWSTR text, int seconds)
{
    CCeMMsgBox::Show(m_hWnd, text, L"알림", 0, seconds);
}

int CCeMWndKitReset::Reset()
{
    CCeMModem& modem = m_data.m_Modem;
    const LONG state = modem.CallState;
    if (state == CALL_CONNECTED || state == CALL_SETUP) {
        ShowNotice(L"전화를 먼저 끊어 주십시오.", CCeMMsgBox::kDefaultSeconds);
        return REFUSED_CALL;
    }
    if (m_data.m_Call.bSendingMessage) {
        ShowNotice(L"문자 메시지 전송이 끝난후 시도 해 주십시오.", CCeMMsgBox::kDefaultSeconds);
        return REFUSED_SENDING;
    }
    HCURSOR old = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (!modem.CmdModeReset()) {
        // Nothing went to the module: do not pretend it is resetting.
        SetCursor(old);
        ShowNotice(L"젠트리카와 연결되어 있지 않습니다.", CCeMMsgBox::kDefaultSeconds);
        return NO_LINK;
    }
    ShowNotice(L"젠트리카을 리셋중입니다.\r\n\r\n잠시만 기달려 주십시오.", m_nWaitSeconds);
    FinishModuleReset(modem);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    RequestClose();
    return RESET;
}
