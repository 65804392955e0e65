#pragma once
// The phonebook's contact list: the contacts store's cache by category and
// search, one row per contact (display name and preferred number, or names
// only), a hold menu for calling, writing and choosing the preferred number,
// and a detail view of the current contact with its picture.
#include <string>

#include "screens/messaging/CCeMSelPicWnd.h"
#include "stores/CCeCategoriesDB.h"
#include "stores/CCeContactsDB.h"
#include "stores/SettingsBlock.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMItemList.h"
#include "toolkit/CCeMMenu.h"

class CCeMContactListWnd : public CCeMItemList {
public:
    enum Command {
        kCall = 100,
        kMessage = 101,
        kDetail = 102,
        kShowNumbers = 103,
        kNamesOnly = 104,
        kPreferMobile = 105,  // 106 home, 107 office
        kPreferHome = 106,
        kPreferOffice = 107,
        kChoosePicture = 108,  // opens the picture picker
        kPictureChosen = 110,  // the picker's answer
    };
    // Requests to the main window (the list's grandparent).
    static constexpr UINT WM_PUT_NUMBER = 4124;
    static constexpr UINT WM_DIAL_NUMBER = 4125;
    static constexpr UINT WM_OPEN_COMPOSER = 4126;
    static constexpr UINT WM_SHOW_MESSAGES = 4127;
    static constexpr int kRowHeight = 18;
    static constexpr int kSearchChars = 64;
    static constexpr UINT kNumbersListId = 120;

    // Null settings: the program's own.
    CCeMContactListWnd(CCeContactsDB& contacts, CCeCategoriesDB& categories, const SettingsBlock* settings = nullptr);
    ~CCeMContactListWnd() override;

    using CCeMItemList::Create;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void OnSelChange(int selected, int changed) override;
    void OnItemDblClick(int row) override;
    int OnTapAndHold(int x, int y) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;

    // Refills the cache from the category and search; top and selection
    // go back to the start. Returns the count.
    int Fill();
    // Entry 0 is every contact, k the k-th cached category; an entry out of
    // range or the one already chosen changes nothing.
    void SetCategory(int entry);
    // Kind 0 searches names, 1 numbers; an empty text clears the search.
    void SetSearch(int kind, LPCWSTR text);
    // After the stores reloaded themselves on a change notification: the
    // filter is applied anew when the categories moved under it; the
    // contact `keep` (a record id) stays selected, and its detail view
    // open when `detail`, while it is still listed.
    void AfterReload(CEOID keep = 0, int detail = 0);

    void OpenDetail();
    void CloseDetail();
    int IsDetail() const { return m_bDetail; }
    int NamesOnly() const { return m_wNamesOnly; }
    void SetNamesOnly(int namesOnly);
    int Category() const { return m_nCategory; }
    int SearchKind() const { return m_nKind; }
    const std::wstring& SearchText() const { return m_szSearch; }
    HMENU PopupMenu() const { return m_menu.Handle(); }
    HWND NumbersList() const { return m_numbers.GetHwnd(); }
    HBITMAP Picture() const { return m_hPicture; }
    // The picture picker over the list, for the current contact; its
    // folder is the installation's "Pic" unless one is set here.
    void OpenPicturePicker();
    CCeMSelPicWnd& PicturePicker() { return m_picker; }
    void SetPictureFolder(const std::wstring& folder) { m_pictureFolder = folder; }
    // Where the detail view draws the picture (a tap there opens the picker).
    static RECT PictureRect() { return {4, 4, 4 + kPictureSide, 4 + kPictureSide}; }
    static constexpr int kPictureSide = 48;
    // The text lines of the detail view, as drawn.
    std::wstring DetailLine(int line) const;
    static constexpr int kDetailLines = 6;

private:
    const SettingsBlock* Settings() const;
    bool Private() const;
    void Call();
    void Message();
    void Prefer(int kind);
    void FillNumbersList();
    void PictureChosen();
    void DrawDetail(HDC dc, const RECT& full);
    HWND MainWindow() const;

    CCeContactsDB& m_contacts;
    CCeCategoriesDB& m_categories;
    const SettingsBlock* m_pSettings;
    int m_nCategory = 0;
    int m_nBit = -1;  // the category bit the cache was filled with
    std::wstring m_szSearch;
    int m_nKind = 0;
    int m_bDetail = 0;
    HBITMAP m_hPicture = nullptr;
    int m_wNamesOnly = 0;
    CCeMMenu m_menu;
    CCeMListBox m_numbers;
    int m_nNumberKinds[3] = {};
    int m_nNumbersBottom = 0;
    CCeMSelPicWnd m_picker;
    bool m_bPicking = false;  // our picker is up: only then is 110 an answer
    std::wstring m_pictureFolder;
};
