#include "CCeMWndCallList.h"

#include "CallRowText.h"
#include "CallScreenArt.h"
#include "calls_text.h"

CCeMWndCallList::CCeMWndCallList(CCeDataManager& data)
    : CCeMCallScreen(data, L"CCeMWndCallList", nullptr, 0), m_List(data)
{
}

int CCeMWndCallList::CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id)
{
    return CreateWithVisibility(parent, pl, id, false);
}

int CCeMWndCallList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMCallScreen::OnCreate(hwnd, cs);
    MakeImageButton(hwnd, m_DeleteAll, kDeleteAllBitmap, L"X", {m_nWidth - 46, 3, 20, 20}, kDeleteAllId);
    m_Filter.Create(CBS_DROPDOWNLIST | WS_VISIBLE | WS_TABSTOP, {4, 3, 46, 79}, hwnd, kFilterId);
    SendMessageW(m_Filter.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    for (const wchar_t* item : {CallsText::kFilterAll, CallsText::kFilterOut, CallsText::kFilterIn,
                                CallsText::kFilterMissed})
        SendMessageW(m_Filter.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(m_Filter.GetHwnd(), CB_SETCURSEL, 0, 0);
    m_List.Create({2, 25, m_nWidth - 4, m_nHeight - 27}, hwnd, WS_VISIBLE | WS_TABSTOP, kListId);
    return 0;
}

LRESULT CCeMWndCallList::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SHOWWINDOW && wp) {
        const LRESULT r = CCeMCallScreen::WindowProc(hwnd, msg, wp, lp);
        OnShown();
        return r;
    }
    return CCeMCallScreen::WindowProc(hwnd, msg, wp, lp);
}

void CCeMWndCallList::OnShown()
{
    m_List.Reload();
    m_nSeenItems = m_data.m_CallListDB.ItemCount();
    SetFocus(m_List.GetHwnd());
}

void CCeMWndCallList::Reload()
{
    m_List.Reload();
    m_nSeenItems = m_data.m_CallListDB.ItemCount();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMWndCallList::PaintBody(HDC dc)
{
    CCeCallListDB& db = m_data.m_CallListDB;
    if (m_nSeenItems >= 0 && db.ItemCount() != m_nSeenItems) {
        m_nSeenItems = db.ItemCount();
        m_List.Refill();
    }
    wchar_t header[64];
    CallRowText::Header(m_List.Filter(), db.Count(m_List.Filter()), header, 64);
    CallScreenArt::Text(dc, header, {50, 3, 200, 23}, RGB(255, 255, 255), DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CCeMWndCallList::DeleteAll()
{
    const SettingsBlock& s = m_data.m_Settings;
    if (s.bPrivacy == 1) {
        Tell(CallsText::kPrivacyRefused, CallsText::kNotice);
        return;
    }
    if (s.bPhoneLocked == 1) {
        Tell(CallsText::kPhoneLocked, CallsText::kNotice);
        return;
    }
    if (!Ask(CallsText::kAskDeleteAll))
        return;
    m_List.CloseDetail();
    CCeCallListDB& db = m_data.m_CallListDB;
    // The database's id is known once opened; deleting needs it.
    db.OpenDefault(nullptr);
    db.DeleteDatabase();
    db.ClearAll();
    db.Recount();
    m_List.Reload();
    m_nSeenItems = db.ItemCount();
}

int CCeMWndCallList::OnCommand(int notifyCode, int id, HWND control)
{
    switch (id) {
    case kBackId:
        if (m_List.IsDetailOpen()) {
            m_List.CloseDetail();
            SetFocus(m_List.GetHwnd());
        } else {
            RequestClose();
        }
        break;
    case kDeleteAllId:
        DeleteAll();
        break;
    case kFilterId:
        if (notifyCode != CBN_SELCHANGE)
            return 0;
        {
            const LRESULT sel = SendMessageW(m_Filter.GetHwnd(), CB_GETCURSEL, 0, 0);
            if (sel >= 0 && sel <= 3)
                m_List.SetFilter(static_cast<int>(sel));
        }
        SetFocus(m_List.GetHwnd());
        break;
    default:
        return CCeMCallScreen::OnCommand(notifyCode, id, control);
    }
    RECT header = {50, 3, 200, 23};
    InvalidateRect(m_hWnd, &header, FALSE);
    return 0;
}
