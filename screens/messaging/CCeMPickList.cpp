#include "screens/messaging/CCeMPickList.h"

#include <string>

#include "screens/messaging/ContactFilter.h"

CCeMPickList::CCeMPickList(CCeContactsDB& contacts, CCeCategoriesDB& categories)
    : m_contacts(contacts), m_categories(categories)
{
}

int CCeMPickList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    // No bands: the dialog around holds the filters.
    m_nBand1 = m_nBand2 = 0;
    m_nVisible = m_nHeight / m_nRowHeight;
    m_bContextGesture = 0;  // no menu: a held pen is a tap
    return 0;
}

void CCeMPickList::FillCategoryCombo(HWND combo, CCeCategoriesDB& categories)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"모두 보기"));
    for (int i = 0; i < categories.Count(); ++i) {
        const CategoryItem* c = categories.At(i);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c && c->pszName ? c->pszName : L""));
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

int CCeMPickList::Fill(int category, int kind, LPCWSTR text)
{
    const std::wstring search = std::wstring(text ? text : L"").substr(0, kSearchChars);
    LoadContacts(m_contacts, m_categories, category, kind, search.c_str());
    m_contacts.SetCurrent(nullptr);
    m_nTop = 0;
    m_nSelected = -1;
    SetItemCount(m_contacts.Count(), 0);
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return m_contacts.Count();
}

void CCeMPickList::OnSelChange(int selected, int)
{
    m_contacts.SetCurrent(selected >= 0 && selected < m_contacts.Count() ? m_contacts.At(selected) : nullptr);
}

int CCeMPickList::RowAt(int y) const
{
    if (y < RowsTop())
        return -1;
    const int row = m_nTop + (y - RowsTop()) / m_nRowHeight;
    return row < m_contacts.Count() ? row : -1;
}

int CCeMPickList::OnLButtonDown(WPARAM keys, int x, int y)
{
    m_nPressedRow = RowAt(y);
    return CCeMItemList::OnLButtonDown(keys, x, y);
}

// A tap toggles its row, the selected one too: the pen must come up on
// the row it went down on.
int CCeMPickList::OnLButtonUp(WPARAM keys, int x, int y)
{
    const int pressed = m_nPressedRow;
    m_nPressedRow = -1;
    CCeMItemList::OnLButtonUp(keys, x, y);
    if (m_tapped && pressed >= 0 && RowAt(y) == pressed) {
        m_tapped(m_contacts.At(pressed));
        InvalidateRow(pressed);
    }
    return 0;
}

void CCeMPickList::DrawItems(HDC dc, const RECT& full)
{
    const int right = full.right - (IsScrollBarVisible() ? kScrollBarWidth : 0);
    const int count = m_contacts.Count();
    const int nameLeft = m_picked ? 20 : 4;
    for (int r = m_nTop; r < count && r <= m_nTop + m_nVisible; ++r) {
        RECT row = RowRect(r);
        row.right = right;
        if (r == m_nSelected)
            FillRect(dc, &row, m_hSelection);
        const ContactItem* c = m_contacts.At(r);
        if (!c)
            continue;
        if (m_picked) {
            RECT box = {5, row.top + 3, 15, row.top + 13};
            FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            if (m_picked(c)) {
                InflateRect(&box, -2, -2);
                FillRect(dc, &box, HeaderBrush());
            }
        }
        const int split = nameLeft + (right - nameLeft) / 2;
        RECT name = {nameLeft, row.top, split - 4, row.bottom};
        RECT number = {split, row.top, right - 2, row.bottom};
        DrawTextW(dc, c->pszDisplayName ? c->pszDisplayName : L"", -1, &name,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        DrawTextW(dc, c->pszMobile ? c->pszMobile : L"", -1, &number,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}
