#pragma once
// The list of rejected numbers (name and number per row) with its add page,
// on which a name and a number are typed or picked from the contacts.
// A child window of any parent; the entries change only through the store.
#include <array>
#include <functional>
#include <string>

#include "stores/CCeDenyCallDB.h"
#include "stores/SettingsBlock.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMBitmap.h"
#include "toolkit/CCeMEdit.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMItemList.h"
#include "toolkit/CCeMMenu.h"

class CCeMDenyListWnd : public CCeMItemList {
public:
    enum Command {
        kAdd = 100,        // pop-up menu "추가"
        kAddButton = 101,  // the screen's add button
        kDelete = 102,     // pop-up menu "삭제"
        kOk = 103,
        kCancel = 104,
        kSearch = 105,
    };
    static constexpr int kRowHeight = 20;
    static constexpr int kHeaderHeight = 20;
    static constexpr int kEntryChars = 30;  // typed into either edit
    static constexpr int kReadChars = 32;   // read back from either edit
    // Pictures of the program's resources: the add page's buttons (strips
    // of two frames, shared with the other editor lists), the background
    // pattern the lists share, and the picture under the rows.
    static constexpr UINT kSearchBitmap = 160;
    static constexpr UINT kOkBitmap = 162;
    static constexpr UINT kCancelBitmap = 169;
    static constexpr UINT kPatternBitmap = 141;
    static constexpr UINT kPictureBitmap = 152;

    // What a contact pick gives back: 1 when the user confirmed.
    using ContactPicker = std::function<int(HWND owner, std::wstring* name, std::wstring* mobile)>;

    // Null store or settings: the program's own (g_pDataManager).
    explicit CCeMDenyListWnd(CCeDenyCallDB* store = nullptr, const SettingsBlock* settings = nullptr);
    ~CCeMDenyListWnd() override;

    using CCeMItemList::Create;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void OnSelChange(int selected, int changed) override;
    int OnTapAndHold(int x, int y) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;

    // The single-contact picker behind "Search"; without one the button is
    // disabled.
    void SetContactPicker(ContactPicker picker);
    // Opens (1) or closes (0) the add page; the mode already set does nothing.
    void ShowAddPage(int show);
    // Re-reads the entry count after the store changed.
    void Refill();

    int IsAddPage() const { return m_bAddPage; }
    CCeDenyCallDB& Store() const;
    HMENU PopupMenu() const { return m_menu.Handle(); }
    HWND NameEdit() const { return m_nameEdit.GetHwnd(); }
    HWND NumberEdit() const { return m_numberEdit.GetHwnd(); }

private:
    const SettingsBlock* Settings() const;
    // The add page's edits and buttons, shown and hidden together.
    std::array<CCeMWnd*, 5> PageControls();
    // Shows the privacy or lock refusal; true when refused.
    bool Refused();
    void AddFromPage();
    void DeleteSelected();
    void Search();
    void DrawAddPage(HDC dc);
    void DrawPicture(HDC dc);

    CCeDenyCallDB* m_pStore;
    const SettingsBlock* m_pSettings;
    int m_bAddPage;
    CCeMEdit m_nameEdit;
    CCeMEdit m_numberEdit;
    CCeMImageButton m_searchButton;
    CCeMImageButton m_okButton;
    CCeMImageButton m_cancelButton;
    HBITMAP m_hPattern = nullptr;
    CCeMBitmap m_picture;
    CCeMMenu m_menu;
    ContactPicker m_picker;
};
