#pragma once
// The speed-dial list: slots 0 to 99 with the name and number stored in each,
// a tap-and-hold menu, and an editor drawn inside the list.
#include <functional>
#include <string>

#include "toolkit/CCeMEdit.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMItemList.h"
#include "toolkit/CCeMMenu.h"

struct SpeedDialItem;

class CCeMSpeedDialList : public CCeMItemList {
public:
    enum Command { kAdd = 100, kChange = 101, kDelete = 102, kOk = 103, kCancel = 104, kSearch = 105 };
    enum Field { kSlotField = 110, kNameField = 111, kNumberField = 112 };
    static constexpr int kSlots = 100;
    static constexpr int kNameChars = 31;
    static constexpr int kNumberChars = 63;  // the most the store keeps

    // Picks one contact: its display name and preferred number (empty when
    // it has none); false when the user picked nobody.
    using ContactPicker = std::function<bool(std::wstring& name, std::wstring& number)>;

    CCeMSpeedDialList();
    ~CCeMSpeedDialList() override;

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
    // Asks before deleting the current entry and deletes it; true when deleted.
    bool DeleteWithQuestion();
    // The entry of the selected slot becomes the store's current one (none
    // for an empty slot or no selection).
    SpeedDialItem* SyncCurrent();
    void SetContactPicker(ContactPicker picker) { m_picker = std::move(picker); }

    CCeMMenu& Menu() { return m_menu; }
    HWND FieldWindow(int field) const;

private:
    SpeedDialItem* ItemOfSlot(int slot) const;
    void SaveEditor();
    void RunSearch();

    CCeMMenu m_menu;
    CCeMEdit m_slotEdit;
    CCeMEdit m_nameEdit;
    CCeMEdit m_numberEdit;
    CCeMImageButton m_searchButton;
    CCeMImageButton m_okButton;
    CCeMImageButton m_cancelButton;
    HBITMAP m_hPicture;
    HBITMAP m_hPattern;
    int m_bEditing;
    HFONT m_hFont;  // of the editor's fields
    ContactPicker m_picker;
};
