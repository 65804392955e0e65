#pragma once
// The speed-dial list: slots 0 to 99 with the name and number stored in each,
// a tap-and-hold menu, and an editor drawn inside the list.
#include <functional>
#include <string>

#include "CCeMEditorList.h"
#include "toolkit/CCeMEdit.h"

struct SpeedDialItem;

class CCeMSpeedDialList : public CCeMEditorList {
public:
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
    int OnCommand(int code, int id, HWND control) override;
    void DrawFrame(HDC dc) override;

    // The entry of the selected slot becomes the store's current one (none
    // for an empty slot or no selection).
    SpeedDialItem* SelectedItem();
    void SetContactPicker(ContactPicker picker) { m_picker = std::move(picker); }

    HWND FieldWindow(int field) const;

protected:
    int RowCount() const override { return kSlots; }
    bool SyncCurrent() override { return SelectedItem() != nullptr; }
    int DeleteCurrentEntry() override;
    // A hold below the rows chose no slot to edit.
    bool MayEdit() const override { return m_nSelected >= 0; }
    void ShowEditor(bool show) override;
    void DrawRows(HDC dc, int right) override;
    void DrawEditorLabels(HDC dc) override;
    RECT EditorRect() const override { return {35, 10, 200, 111}; }

private:
    SpeedDialItem* ItemOfSlot(int slot) const;
    void SaveEditor();
    void RunSearch();

    CCeMEdit m_slotEdit;
    CCeMEdit m_nameEdit;
    CCeMEdit m_numberEdit;
    CCeMImageButton m_searchButton;
    ContactPicker m_picker;
};
