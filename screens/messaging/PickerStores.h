#pragma once
// The contacts and categories stores a picker reads: given ones, or the
// program's own. A store the picker had to open is closed again after it.
#include "stores/CCeCategoriesDB.h"
#include "stores/CCeContactsDB.h"

class PickerStores {
public:
    PickerStores(CCeContactsDB* contacts, CCeCategoriesDB* categories);
    ~PickerStores();
    PickerStores(const PickerStores&) = delete;
    PickerStores& operator=(const PickerStores&) = delete;

    // Opens what is not open and loads the categories.
    void Open();
    // Closes what Open opened.
    void Release();

    CCeContactsDB& Contacts() const { return *m_pContacts; }
    CCeCategoriesDB& Categories() const { return *m_pCategories; }

private:
    CCeContactsDB* m_pContacts;
    CCeCategoriesDB* m_pCategories;
    bool m_bOpenedContacts = false;
    bool m_bOpenedCategories = false;
};
