#include "CCeMEditorList.h"

#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMMsgBox.h"

CCeMEditorList::CCeMEditorList(UINT pictureId, POINT pictureFromCorner, POINT ok, POINT cancel)
    : m_hFont(prefs::CreateControlFont()), m_nPictureId(pictureId), m_ptPictureFromCorner(pictureFromCorner),
      m_ptOk(ok), m_ptCancel(cancel), m_hPicture(nullptr), m_hPattern(nullptr), m_bEditing(0)
{
}

CCeMEditorList::~CCeMEditorList()
{
    if (m_hWnd)
        Destroy();
    prefs::DeleteAll<HFONT>({&m_hFont});
}

bool CCeMEditorList::Privacy() { return g_pDataManager->m_Settings.bPrivacy == 1; }

int CCeMEditorList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    m_hPattern = prefs::LoadPicture(IDB_LIST_PATTERN);
    if (m_hPattern)
        SetBackgroundPattern(m_hPattern, 1);
    m_hPicture = prefs::LoadPicture(m_nPictureId);
    m_nBand1 = 0;
    m_nBand2 = 20;
    m_nVisible = (m_nHeight - RowsTop()) / kRowHeight;
    m_menu.CreatePopup();
    m_okButton.Create(L"", 0, {m_ptOk.x, m_ptOk.y, 45, 25}, hwnd, kOk);
    m_okButton.SetBitmap(CCeMMsgBox::kOkBitmapId, 2);
    m_cancelButton.Create(L"", 0, {m_ptCancel.x, m_ptCancel.y, 45, 25}, hwnd, kCancel);
    m_cancelButton.SetBitmap(CCeMMsgBox::kCancelBitmapId, 2);
    return 0;
}

int CCeMEditorList::OnDestroy(HWND hwnd)
{
    prefs::DeleteAll<HBITMAP>({&m_hPicture});
    m_menu.DestroyMenu();
    m_nSelected = -1;
    SyncCurrent();
    const int r = CCeMItemList::OnDestroy(hwnd);
    // The list's pattern brush is gone with the list; the bitmap is ours.
    prefs::DeleteAll<HBITMAP>({&m_hPattern});
    return r;
}

void CCeMEditorList::SetItemCount(int, int hideScrollBar)
{
    if (hideScrollBar != 1 && !Privacy())
        CCeMItemList::SetItemCount(RowCount(), 0);
    else
        CCeMItemList::SetItemCount(0, 1);
}

void CCeMEditorList::OnSelChange(int, int) { SyncCurrent(); }

void CCeMEditorList::Label(HDC dc, LPCWSTR text, int left, int top, int right, int bottom)
{
    RECT rc = {left, top, right, bottom};
    DrawTextW(dc, text ? text : L"", -1, &rc, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CCeMEditorList::DrawSelection(HDC dc, int y, int right) const
{
    RECT rc = {0, y, right, y + kRowHeight};
    FillRect(dc, &rc, m_hSelection);
    if (m_bFocus)
        DrawFocusRect(dc, &rc);
}

void CCeMEditorList::DrawItems(HDC dc, const RECT& full)
{
    // The picture lies under the rows, or it would hide their texts.
    if (!m_bEditing)
        prefs::DrawPicture(dc, m_hPicture, m_nWidth - m_ptPictureFromCorner.x, m_nHeight - m_ptPictureFromCorner.y);
    if (Privacy()) {
        RECT rc = full;
        DrawTextW(dc, L"사생활 보호중", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    SetTextColor(dc, RGB(0, 0, 0));
    DrawRows(dc, m_nWidth - kScrollBarWidth);
    if (m_bEditing) {
        const RECT e = EditorRect();
        HGDIOBJ old = SelectObject(dc, GetStockObject(WHITE_BRUSH));
        RoundRect(dc, e.left, e.top, e.right, e.bottom, 10, 10);
        SelectObject(dc, old);
        DrawEditorLabels(dc);
    }
}

int CCeMEditorList::OnTapAndHold(int x, int y)
{
    if (m_bEditing || !CCeMItemList::OnTapAndHold(x, y))
        return 0;
    const bool has = SyncCurrent();
    m_menu.Enable(kAdd, MF_BYCOMMAND | (has ? MF_GRAYED : MF_ENABLED));
    m_menu.Enable(kChange, MF_BYCOMMAND | (has ? MF_ENABLED : MF_GRAYED));
    m_menu.Enable(kDelete, MF_BYCOMMAND | (has ? MF_ENABLED : MF_GRAYED));
    prefs::TrackMenuAt(m_hWnd, m_menu.Handle(), x, y);
    return 1;
}

int CCeMEditorList::OnLButtonDown(WPARAM keys, int x, int y)
{
    return m_bEditing ? -1 : CCeMItemList::OnLButtonDown(keys, x, y);
}

int CCeMEditorList::OnLButtonDblClk(WPARAM keys, int x, int y)
{
    return m_bEditing ? -1 : CCeMItemList::OnLButtonDblClk(keys, x, y);
}

bool CCeMEditorList::DeleteWithQuestion()
{
    if (!SyncCurrent())
        return false;
    if (!prefs::Confirm(m_hWnd, L"삭제 하시겠습니까 ?", L"알림") || m_bEditing)
        return false;
    // The box ran its own message loop: the selection may be another now.
    if (!SyncCurrent() || !DeleteCurrentEntry())
        return false;
    AfterDelete();
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
    return true;
}

int CCeMEditorList::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kAdd:
    case kChange:
        if (prefs::PassGuards(m_hWnd) && MayEdit())
            SetEditing(1);
        return 0;
    case kDelete:
        if (prefs::PassGuards(m_hWnd))
            DeleteWithQuestion();
        return 0;
    case kCancel:
        SetEditing(0);
        return 0;
    default:
        return CCeMItemList::OnCommand(code, id, control);
    }
}

void CCeMEditorList::SetEditing(int on)
{
    on = on ? 1 : 0;
    if (on == m_bEditing)
        return;
    m_bEditing = on;
    EnableWindow(m_scrollBar.GetHwnd(), on ? FALSE : TRUE);
    const int show = on ? SW_SHOW : SW_HIDE;
    ShowWindow(m_okButton.GetHwnd(), show);
    ShowWindow(m_cancelButton.GetHwnd(), show);
    ShowEditor(on != 0);
    if (!on) {
        EditorClosed();
        SetFocus(m_hWnd);
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
    if (!on)
        prefs::AskMenuBarBack(m_hWnd);
}
