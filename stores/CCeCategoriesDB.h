#pragma once
// The handheld's contact categories ("\Categories Database"), read only:
// names and the bit each one has in a contact's category mask.
#include <windows.h>
#include <oleauto.h>

#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

struct CategoryItem {
    BSTR pszName;
    short nBit;
};

class CCeCategoriesDB : public CCeDatabase {
public:
    CCeCategoriesDB();
    ~CCeCategoriesDB() override;

    // Opens the categories database with change notifications to the window.
    // The database is never created here, so the by-name form refuses.
    int OpenDefault(HWND notifyWindow);
    int OpenDefault(LPCWSTR) override;
    // Releases the cache, then closes.
    int Close() override;

    // Fills the cache from the open database; returns the count.
    int Load();
    // Bit index of the category at a cache position, -1 when out of range.
    int BitOf(int position) const;
    // Name of the first cached category whose bit the mask has (copied into
    // nameOut, cut to nameChars); its position, or -1 with an empty name.
    int NameForMask(DWORD maskLength, const BYTE* mask, LPWSTR nameOut, int nameChars = 64);
    // Position of the category with exactly this name, or -1.
    int Find(LPCWSTR name);

    int Count() const { return m_List.GetCount(); }
    const CategoryItem* At(int position) const;

private:
    void ReleaseCache();

    RecordBuffer m_Buffer;
    CCePtrList m_List;
};
