#pragma once
// The contact list of the pickers: the contacts store's cache by category
// and search, one row per contact (display name and mobile number), and a
// check box per row when the picker selects several.
#include <functional>

#include "stores/CCeCategoriesDB.h"
#include "stores/CCeContactsDB.h"
#include "toolkit/CCeMItemList.h"

class CCeMPickList : public CCeMItemList {
public:
    static constexpr int kSearchChars = 64;
    // Whether a contact is among the picked ones (null: no check boxes).
    using PickedTest = std::function<bool(const ContactItem*)>;
    // Told the contact of a tapped row.
    using RowTapped = std::function<void(ContactItem*)>;

    CCeMPickList(CCeContactsDB& contacts, CCeCategoriesDB& categories);

    using CCeMItemList::Create;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void OnSelChange(int selected, int changed) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnLButtonUp(WPARAM keys, int x, int y) override;

    void SetPickedTest(PickedTest test) { m_picked = std::move(test); }
    void SetRowTapped(RowTapped tapped) { m_tapped = std::move(tapped); }

    // Category entry 0 is every contact, k the k-th cached category; kind
    // 0 searches names, 1 numbers; an empty text lists without searching.
    // Refills the cache and clears the selection; returns the count.
    int Fill(int category, int kind, LPCWSTR text);
    // The categories combo: "모두 보기" and the cached category names.
    static void FillCategoryCombo(HWND combo, CCeCategoriesDB& categories);

private:
    int RowAt(int y) const;

    CCeContactsDB& m_contacts;
    CCeCategoriesDB& m_categories;
    PickedTest m_picked;
    RowTapped m_tapped;
    int m_nPressedRow = -1;
};
