#pragma once
// The multi-select picker: up to 30 contacts' mobile numbers for the
// composer, with the current recipients preselected.
#include <string>
#include <vector>

#include "screens/messaging/CCeMPickList.h"
#include "screens/messaging/PickerStores.h"
#include "toolkit/CCeMDialog.h"

class CCeMMultiPicker : public CCeMDialog {
public:
    static constexpr int kMaxPicked = 30;
    static constexpr int kSearchChars = 128;

    // One picked entry; a preselected number has only its mobile number
    // until the list shows its contact.
    struct Entry {
        std::wstring mobile, office, home, name;
        CEPROPID preferred = 0;
    };

    // Null stores: the program's own.
    explicit CCeMMultiPicker(CCeContactsDB* contacts = nullptr, CCeCategoriesDB* categories = nullptr);
    ~CCeMMultiPicker() override;

    // Before Run: one entry per current recipient (beyond 30 are dropped).
    void AddPreselected(LPCWSTR number);
    // 1 when confirmed, 2 when cancelled (-1: no template).
    INT_PTR Run(HWND owner);
    int Count() const { return static_cast<int>(m_picked.size()); }
    // The mobile number of a picked entry, in the order picked.
    LPCWSTR Number(int index) const;
    const Entry& At(int index) const { return m_picked[static_cast<size_t>(index)]; }

    int OnInitDialog(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    CCeMPickList& List() { return m_list; }

private:
    void Refill();
    // Preselected numbers take over the contacts the list now shows.
    void AdoptShownContacts();
    int FindEntry(const ContactItem* c) const;
    void Toggle(const ContactItem* c);
    void ShowCount();

    PickerStores m_stores;
    CCeMPickList m_list;
    std::vector<Entry> m_picked;
    std::vector<Entry> m_before;  // given back when cancelled
};
