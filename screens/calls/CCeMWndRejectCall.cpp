#include "CCeMWndRejectCall.h"

#include "CallScreenArt.h"
#include "calls_text.h"
#include "screens/messaging/CCeMContactPicker.h"

CCeMWndRejectCall::CCeMWndRejectCall(CCeDataManager& data)
    : CCeMCallScreen(data, L"CCeMWndRejectCall", CallsText::kRejectTitle, 200),
      m_List(&data.m_DenyCallDB, &data.m_Settings)
{
}

int CCeMWndRejectCall::CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id)
{
    if (!CCeMCallScreen::CreateScreen(parent, pl, id))
        return 0;
    SetFocus(m_List.GetHwnd());
    return 1;
}

LRESULT CCeMWndRejectCall::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    const LRESULT r = CCeMCallScreen::WindowProc(hwnd, msg, wp, lp);
    if (msg == WM_SHOWWINDOW && wp)
        SetFocus(m_List.GetHwnd());
    return r;
}

int CCeMWndRejectCall::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMCallScreen::OnCreate(hwnd, cs);
    MakeImageButton(hwnd, m_Add, kAddBitmap, L"+", {m_nWidth - 68, 3, 20, 20}, kAddId);
    MakeImageButton(hwnd, m_Delete, kDeleteBitmap, L"X", {m_nWidth - 46, 3, 20, 20}, kDeleteId);
    CCeDataManager& data = m_data;
    m_List.SetContactPicker([&data](HWND owner, std::wstring* name, std::wstring* mobile) {
        CCeMContactPicker picker(&data.m_ContactsDB, &data.m_CategoriesDB);
        if (picker.Run(owner) != 1)
            return 0;
        *name = picker.Name();
        *mobile = picker.Mobile();
        return 1;
    });
    if (!m_List.Create({2, 25, m_nWidth - 4, m_nHeight - 27}, hwnd, WS_VISIBLE | WS_TABSTOP, kListId))
        return -1;
    return 0;
}

void CCeMWndRejectCall::PaintBody(HDC dc)
{
    // The frame around the list.
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(2, 85, 220));
    HGDIOBJ old = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 1, 24, m_nWidth - 1, m_nHeight - 1);
    SelectObject(dc, oldBrush);
    SelectObject(dc, old);
    DeleteObject(pen);
}

int CCeMWndRejectCall::OnCommand(int notifyCode, int id, HWND control)
{
    // Both go through the list: it refuses under privacy or lock, opens the
    // add page only once, and deletes only the selected entry after asking.
    // On the add page the delete button does nothing: the page shows the
    // entry it was filled from, and asking there would delete nothing.
    if (control == m_Add.GetHwnd() && id == kAddId) {
        m_List.OnCommand(0, CCeMDenyListWnd::kAddButton, nullptr);
        return 0;
    }
    if (control == m_Delete.GetHwnd() && id == kDeleteId) {
        m_List.OnCommand(0, CCeMDenyListWnd::kDelete, nullptr);
        return 0;
    }
    return CCeMCallScreen::OnCommand(notifyCode, id, control);
}
