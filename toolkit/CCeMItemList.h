#pragma once
// Abstract owner-drawn list with its own scroll bar. Rows of 16 pixels start
// below two bands (a title band and a column-header band) that derived lists
// draw; the toolkit keeps the geometry, scrolling, selection and taps.
#include "toolkit/CCeMScrollBar.h"
#include "toolkit/CCeMWnd.h"

class CCeMItemList : public CCeMWnd {
public:
    static constexpr int kRowHeight = 16;
    static constexpr int kScrollBarWidth = 13;
    static constexpr COLORREF kSelectionColor = RGB(111, 183, 255);
    static constexpr COLORREF kHeaderColor = RGB(0, 0, 156);

    CCeMItemList();
    ~CCeMItemList() override;

    using CCeMWnd::Create;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnLButtonUp(WPARAM keys, int x, int y) override;
    int OnSetFocus(HWND other) override;
    int OnKillFocus(HWND other) override;

    // Slots 23 to 35.
    virtual int Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id);
    virtual void DrawItems(HDC dc, const RECT& full);
    virtual void DrawFrame(HDC dc);
    virtual void OnSelChange(int selected, int changed);
    virtual void OnItemDblClick(int row);
    virtual void OnItemClick(int selected, int y);
    virtual void SetItemCount(int count, int hideScrollBar);
    virtual int OnTapAndHold(int x, int y);
    virtual void OnScroll();
    virtual void InvalidateRow(int row);
    virtual int IsScrollBarVisible();
    virtual int OnLButtonDblClk(WPARAM keys, int x, int y);
    virtual void OnVScroll(int code, int pos, HWND scrollBar);

    void SetTopIndex(int index);
    // The pattern brush made from the bitmap is the list's own and deleted
    // by it whatever `keep` says (nothing else could ever delete it).
    void SetBackgroundPattern(HBITMAP bitmap, int keep);
    void SetBackgroundColor(COLORREF color);

    int TopIndex() const { return m_nTop; }
    int SelectedIndex() const { return m_nSelected; }
    int LargestTopIndex() const { return m_nLargestTop; }
    int VisibleRows() const { return m_nVisible; }
    int ItemCount() const { return m_nCount; }
    int RowsTop() const { return m_nBand1 + m_nBand2; }
    CCeMScrollBar& ScrollBar() { return m_scrollBar; }
    // The dark-blue header brush shared by all lists (null while none lives).
    static HBRUSH HeaderBrush();

protected:
    RECT RowRect(int row) const;
    void ChangeTop(int top);

    int m_nWidth;
    int m_nHeight;
    HFONT m_hFont;
    HBRUSH m_hBackground;
    int m_bKeepBackground;
    int m_nLargestTop;
    int m_nVisible;
    int m_nTop;
    int m_nCount;
    int m_nSelected;
    int m_nRowHeight;
    HBRUSH m_hSelection;
    int m_bClickPending;
    int m_bContextGesture;
    int m_bFocus;
    int m_nBand1;
    int m_nBand2;
    CCeMScrollBar m_scrollBar;

private:
    void SetBackground(HBRUSH brush, int keep);
    void PlaceScrollBar(int hide);
    // The header band and the selected row show whether the list has the focus.
    void SetFocusLook(int focus);

    int m_bHideScrollBar = 0;  // the derived list's last wish, kept for resizes
};
