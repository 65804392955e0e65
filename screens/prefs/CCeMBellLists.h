#pragma once
// The two lists of the user ring-tone screen: ring tones per person (name
// and number) and per contact group.
#include <functional>
#include <string>

#include "CCeMBellList.h"
#include "toolkit/CCeMEdit.h"

class CCeMPersonBellList : public CCeMBellList {
public:
    enum Field { kNameField = 111, kNumberField = 112 };
    static constexpr int kFieldChars = 30;
    // Picks one contact: display name and preferred number; false for none.
    using ContactPicker = std::function<bool(std::wstring& name, std::wstring& number)>;

    CCeMPersonBellList();
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnCommand(int code, int id, HWND control) override;
    HWND FieldWindow(int field) const;
    void SetContactPicker(ContactPicker picker) { m_picker = std::move(picker); }

protected:
    int EntryCount() const override;
    void LoadStore() override;
    bool SelectEntry(int index) override;
    std::vector<const wchar_t*> EntryTexts(int index) const override;
    int DeleteCurrentEntry() override;
    void ShowFields(bool show) override;
    bool SaveEditor() override;
    void DrawEditorLabels(HDC dc) override;
    RECT EditorRect() const override { return {35, 10, 200, 111}; }

private:
    CCeMEdit m_nameEdit;
    CCeMEdit m_numberEdit;
    CCeMImageButton m_searchButton;
    ContactPicker m_picker;
};

class CCeMGroupBellList : public CCeMBellList {
public:
    enum Control { kGroupChoice = 113 };

    CCeMGroupBellList();
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    HWND GroupChoice() const { return m_groupChoice.GetHwnd(); }

protected:
    int EntryCount() const override;
    void LoadStore() override;
    bool SelectEntry(int index) override;
    std::vector<const wchar_t*> EntryTexts(int index) const override;
    int DeleteCurrentEntry() override;
    void ShowFields(bool show) override;
    bool SaveEditor() override;
    void DrawEditorLabels(HDC dc) override;
    RECT EditorRect() const override { return {35, 10, 200, 91}; }

private:
    CCeMComboBox m_groupChoice;
};
