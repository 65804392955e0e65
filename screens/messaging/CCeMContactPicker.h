#pragma once
// The single-contact picker: a category combo over the contact list; its
// result is one contact's display name and numbers.
#include <string>

#include "screens/messaging/CCeMPickList.h"
#include "screens/messaging/PickerStores.h"
#include "toolkit/CCeMDialog.h"

class CCeMContactPicker : public CCeMDialog {
public:
    // Null stores: the program's own.
    explicit CCeMContactPicker(CCeContactsDB* contacts = nullptr, CCeCategoriesDB* categories = nullptr);
    ~CCeMContactPicker() override;

    // 1 with the result filled in, 2 when cancelled (-1: no template).
    INT_PTR Run(HWND owner);

    int OnInitDialog(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;

    const std::wstring& Name() const { return m_name; }
    const std::wstring& Mobile() const { return m_mobile; }
    const std::wstring& Home() const { return m_home; }
    const std::wstring& Office() const { return m_office; }
    const std::wstring& Preferred() const { return m_preferred; }
    CCeMPickList& List() { return m_list; }

private:
    PickerStores m_stores;
    CCeMPickList m_list;
    std::wstring m_name, m_mobile, m_home, m_office, m_preferred;
};
