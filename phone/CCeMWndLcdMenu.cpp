// Tap and hold on the display: the indicators lead to their screens,
// anywhere else opens the menu of text colour and effect.
#include <aygshell.h>

#include "phone/CCeMWndLcd.h"
#include "phone/LcdSettings.h"

namespace {

bool Within(int x, int y, int left, int right)
{
    return x >= left && x <= right && y >= 2 && y <= 18;
}

}  // namespace

int CCeMWndLcd::OnLButtonDown(WPARAM keys, int x, int y)
{
    SHRGINFO rg = {};
    rg.cbSize = sizeof rg;
    rg.hwndClient = m_hWnd;
    rg.ptDown = {x, y};
    rg.dwFlags = SHRG_RETURNCMD;
    if (SHRecognizeGesture(&rg) != GN_CONTEXTMENU)
        return CCeMWnd::OnLButtonDown(keys, x, y);

    UINT command = 0;
    if (Within(x, y, 190, 210))
        command = kCmdMessages;
    else if (Within(x, y, 40, 80))
        command = kCmdVolume;
    else if (Within(x, y, 79, 119))
        command = kCmdRingTone;
    if (command) {
        if (HWND parent = GetParent(m_hWnd))
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    } else {
        OpenMenu(x, y);
    }
    return 0;
}

void CCeMWndLcd::OpenMenu(int x, int y)
{
    static constexpr struct {
        UINT id;
        const wchar_t* text;
    } kColourItems[] = {
        {kMenuBlack, L"검정색"}, {kMenuWhite, L"하얀색"}, {kMenuBlue, L"파란색"},
        {kMenuRed, L"빨간색"},   {kMenuGreen, L"초록색"},
    };
    m_Menu.DestroyMenu();
    if (!m_Menu.CreatePopup())
        return;
    const COLORREF colour = LcdSettings::TextColour();
    for (int i = 0; i < LcdSettings::kColourCount; ++i) {
        const bool current = LcdSettings::kColours[i] == colour;
        m_Menu.Append(kColourItems[i].id, kColourItems[i].text, MF_STRING | (current ? MF_CHECKED : 0));
    }
    m_Menu.Append(0, nullptr, MF_SEPARATOR);
    const int style = LcdSettings::TextStyle();
    m_Menu.Append(kMenuShadow, L"그림자 효과",
                  MF_STRING | (style == LcdSettings::kStyleShadow ? MF_CHECKED : 0));
    m_Menu.Append(kMenuNeon, L"네온 효과", MF_STRING | (style == LcdSettings::kStyleNeon ? MF_CHECKED : 0));
    POINT pt = {x, y};
    ClientToScreen(m_hWnd, &pt);
    // The choice comes back as WM_COMMAND to this window.
    m_Menu.Track(TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, m_hWnd, nullptr);
    m_Menu.DestroyMenu();
}

int CCeMWndLcd::OnCommand(int notifyCode, int id, HWND control)
{
    const UINT item = static_cast<UINT>(id);
    if ((item >= kMenuBlack && item <= kMenuGreen) || item == kMenuShadow || item == kMenuNeon) {
        ApplyMenuChoice(item);
        return 0;
    }
    return CCeMWnd::OnCommand(notifyCode, id, control);
}

void CCeMWndLcd::ApplyMenuChoice(UINT id)
{
    bool applied = false;
    if (id >= kMenuBlack && id <= kMenuGreen) {
        applied = LcdSettings::SetTextColour(LcdSettings::kColours[id - kMenuBlack]);
    } else {
        const int style = id == kMenuShadow ? LcdSettings::kStyleShadow : LcdSettings::kStyleNeon;
        applied = LcdSettings::SetTextStyle(LcdSettings::TextStyle() == style ? LcdSettings::kStylePlain : style);
    }
    if (applied && m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}
