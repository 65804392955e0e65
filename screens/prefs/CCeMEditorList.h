#pragma once
// What the preference lists with an editor inside share: rows under a
// column-header band over the list pattern and a picture, the privacy text,
// a tap-and-hold menu, and an editor drawn inside the list that takes the
// pen from the rows while it is open, with OK and Cancel.
#include "ScreenFrame.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMItemList.h"
#include "toolkit/CCeMMenu.h"

class CCeMEditorList : public CCeMItemList {
public:
    enum Command { kAdd = 100, kChange = 101, kDelete = 102, kOk = 103, kCancel = 104, kSearch = 105 };

    CCeMEditorList(UINT pictureId, POINT pictureFromCorner, POINT ok, POINT cancel);
    ~CCeMEditorList() override;

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void SetItemCount(int count, int hideScrollBar) override;
    int OnTapAndHold(int x, int y) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnLButtonDblClk(WPARAM keys, int x, int y) override;
    void OnSelChange(int selected, int changed) override;

    void SetEditing(int on);
    bool IsEditing() const { return m_bEditing != 0; }
    // Asks, then deletes the current entry; true when deleted.
    bool DeleteWithQuestion();
    CCeMMenu& Menu() { return m_menu; }

protected:
    // Rows the list offers.
    virtual int RowCount() const = 0;
    // Makes the selected row's entry the store's current one; whether there is one.
    virtual bool SyncCurrent() = 0;
    virtual int DeleteCurrentEntry() = 0;
    // After a delete: what else the list wants redone.
    virtual void AfterDelete() {}
    // Whether the editor may open now (a row to edit, ...).
    virtual bool MayEdit() const { return true; }
    // Fills and shows (or hides) the editor's own fields; focus when shown.
    virtual void ShowEditor(bool show) = 0;
    // The editor closed (saved or not).
    virtual void EditorClosed() {}
    virtual void DrawRows(HDC dc, int right) = 0;
    virtual void DrawEditorLabels(HDC dc) = 0;
    virtual RECT EditorRect() const = 0;

    static void Label(HDC dc, LPCWSTR text, int left, int top, int right, int bottom);
    // Fills the row band and marks it as selected.
    void DrawSelection(HDC dc, int y, int right) const;
    static bool Privacy();

    CCeMImageButton m_okButton;
    CCeMImageButton m_cancelButton;
    HFONT m_hFont;  // of the editor's controls

private:
    UINT m_nPictureId;
    POINT m_ptPictureFromCorner;  // left of the right edge, above the bottom edge
    POINT m_ptOk;
    POINT m_ptCancel;
    CCeMMenu m_menu;
    HBITMAP m_hPicture;
    HBITMAP m_hPattern;
    int m_bEditing;
};
