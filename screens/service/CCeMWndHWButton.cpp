#include "screens/service/CCeMWndHWButton.h"

#include <aygshell.h>

#include <cwchar>

const wchar_t* const CCeMWndHWButton::kFunctionNames[kFunctions] = {
    L"*. 설정해제",      L"1. 통화음 Volume Up", L"2. 통화음 Volume Down", L"3. PDA Volume Up",
    L"4. PDA Volume Down", L"5. 통화목록",          L"6. 주소록",             L"7. 메세지함",
    L"8. Kivo 연결",      L"9. Screen Toggle",   L"10. 종료",
};

namespace {

constexpr int kRowTop = 40;
constexpr int kRowStep = 34;

}  // namespace

CCeMWndHWButton::CCeMWndHWButton(CCeDataManager& data) : CCeMTabScreen(data)
{
    SetTabs(nullptr, 0, L"H/W 버튼설정");
}

CCeMWndHWButton::~CCeMWndHWButton()
{
    Destroy();
}

void CCeMWndHWButton::CreateControls(HWND)
{
    for (int b = 0; b < kButtons; ++b) {
        HWND list = MakeControl(L"COMBOBOX", L"", WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST,
                                {80, kRowTop + b * kRowStep, 150, 200}, kFirstList + b);
        for (const wchar_t* name : kFunctionNames)
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        const int stored = m_data.m_Settings.nHwButton[b];
        // A damaged stored value shows as unassigned; it is only replaced on a choice.
        SendMessageW(list, CB_SETCURSEL, stored >= 0 && stored < kFunctions ? stored : 0, 0);
    }
}

void CCeMWndHWButton::PaintPage(HDC dc)
{
    for (int b = 0; b < kButtons; ++b) {
        wchar_t label[16];
        _snwprintf(label, 16, L"버튼 %d", b + 1);
        label[15] = 0;
        RECT rc = {12, kRowTop + b * kRowStep, 78, kRowTop + b * kRowStep + 22};
        SetTextColor(dc, RGB(0, 0, 0));
        DrawTextW(dc, label, -1, &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
}

HWND CCeMWndHWButton::KeyWindow() const
{
    return GetAncestor(m_hWnd, GA_ROOT);
}

bool CCeMWndHWButton::Assign(int button, int function)
{
    if (button < 0 || button >= kButtons || function < 0 || function >= kFunctions)
        return false;
    m_data.m_Settings.nHwButton[button] = function;
    SHSetAppKeyWndAssoc(static_cast<BYTE>(kFirstAppKey + button), function ? KeyWindow() : nullptr);
    SaveSettings();
    return true;
}

int CCeMWndHWButton::OnCommand(int notifyCode, int id, HWND control)
{
    const int button = id - static_cast<int>(kFirstList);
    if (button >= 0 && button < kButtons) {
        if (notifyCode == CBN_SELCHANGE) {
            const int sel = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
            if (!Assign(button, sel)) {
                const int stored = m_data.m_Settings.nHwButton[button];
                SendMessageW(control, CB_SETCURSEL, stored >= 0 && stored < kFunctions ? stored : 0, 0);
            }
        }
        return 0;
    }
    return CCeMTabScreen::OnCommand(notifyCode, id, control);
}
