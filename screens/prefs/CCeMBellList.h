#pragma once
// What the person and group ring-tone lists share: rows of a store's
// entries under column headers, a privacy text, a tap-and-hold menu with
// "추가" and "삭제", and an editor drawn inside the list with a ring-tone
// choice and OK and Cancel.
#include <string>
#include <vector>

#include "ScreenFrame.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMItemList.h"
#include "toolkit/CCeMMenu.h"

class CCeMBellList : public CCeMItemList {
public:
    enum Command { kAdd = 100, kDelete = 102, kOk = 103, kCancel = 104, kSearch = 105 };
    enum Control { kBellChoice = 110 };

    CCeMBellList();
    ~CCeMBellList() override;

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void DrawFrame(HDC dc) override;
    void SetItemCount(int count, int hideScrollBar) override;
    int OnTapAndHold(int x, int y) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnLButtonDblClk(WPARAM keys, int x, int y) override;
    void OnSelChange(int selected, int changed) override;

    void SetEditing(int on);
    bool IsEditing() const { return m_bEditing != 0; }
    // Asks, then deletes the current entry; true when deleted.
    bool DeleteWithQuestion();
    // The ring tones of the installation folder's "Bell" folder: ".mp3"
    // files, then ".wav" files, folders left out; false when there is none.
    bool FillBellChoices();
    HWND BellChoice() const { return m_bellChoice.GetHwnd(); }
    CCeMMenu& Menu() { return m_menu; }
    // Plays the chosen ring tone at once, after stopping what this list
    // played; never while a call is under way.
    void Preview();
    // Stops the tone this list played, if it still plays.
    void StopPreview();

    // The ring-tone files of a folder, as FillBellChoices offers them.
    static std::vector<std::wstring> FindBells(LPCWSTR installDir);

protected:
    // The store behind the list.
    virtual int EntryCount() const = 0;
    virtual void LoadStore() = 0;
    // Makes the entry at `index` current (-1: none); whether there is one.
    virtual bool SelectEntry(int index) = 0;
    // The texts of an entry, one per column.
    virtual std::vector<const wchar_t*> EntryTexts(int index) const = 0;
    virtual int DeleteCurrentEntry() = 0;
    // Fills the editor for a new entry and shows its own fields.
    virtual void ShowFields(bool show) = 0;
    // Stores what the editor holds; false (after saying why) keeps it open.
    virtual bool SaveEditor() = 0;
    virtual void DrawEditorLabels(HDC dc) = 0;
    virtual RECT EditorRect() const = 0;

    std::wstring ChosenBell() const;
    static void Label(HDC dc, LPCWSTR text, int left, int top, int right, int bottom);

    std::vector<prefs::HeaderColumn> m_columns;  // also where the rows' texts go
    UINT m_nPictureId;
    POINT m_ptPictureFromCorner;  // left of the right edge, above the bottom edge
    CCeMPlacement m_bellPlace;  // the ring-tone choice
    POINT m_ptOk;
    POINT m_ptCancel;
    CCeMComboBox m_bellChoice;
    CCeMImageButton m_okButton;
    CCeMImageButton m_cancelButton;
    HFONT m_hFont;  // of the editor's controls

private:
    CCeMMenu m_menu;
    HBITMAP m_hPicture;
    HBITMAP m_hPattern;
    int m_bEditing;
    int m_bPreviewing;
};
