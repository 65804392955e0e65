#pragma once
// Ring tones per contact category ("Zentrika Category BELL DB"), at most
// one entry per category name.
#include <windows.h>
#include <oleauto.h>

#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

struct CategoryBellItem {
    BSTR pszCategory;
    BSTR pszFile;
    CEOID oid;
};

class CCeCategoryBellDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika Category BELL DB";

    CCeCategoryBellDB();
    ~CCeCategoryBellDB() override;

    int OpenDefault(LPCWSTR name) override;

    int Load();
    // Stores or replaces the category's ring tone; reloads when written.
    int Set(LPCWSTR category, LPCWSTR file);
    // 1 with the file of exactly that category name, else 0 and empty.
    int Lookup(LPCWSTR category, LPWSTR fileOut, int fileChars = MAX_PATH);
    int DeleteCurrent();

    int Count() const { return m_List.GetCount(); }
    CategoryBellItem* At(int index) const;
    CategoryBellItem* Current() const { return m_pCurrent; }
    void SetCurrent(CategoryBellItem* item) { m_pCurrent = item; }

private:
    void ReleaseCache();

    RecordBuffer m_Buffer;
    CCePtrList m_List;
    CategoryBellItem* m_pCurrent;
};
