#pragma once
// Ring tones per phone number ("Zentrika User BELL DB").
#include <windows.h>
#include <oleauto.h>

#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

struct UserBellItem {
    BSTR pszName;
    BSTR pszNumber;
    BSTR pszFile;
    CEOID oid;
};

class CCeUserBellDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika User BELL DB";

    CCeUserBellDB();
    ~CCeUserBellDB() override;

    int OpenDefault(LPCWSTR name) override;

    // 1 after filling the cache, 0 when the database cannot be opened.
    int Load();
    // Writes a new entry (numbers are not checked for duplicates) and
    // reloads when written; the write result. A number without a dial
    // character is refused (0).
    int Add(LPCWSTR name, LPCWSTR number, LPCWSTR file);
    // 1 with the name and file of the first stored entry whose number
    // matches; else 0 with empty outputs.
    int Lookup(LPCWSTR number, LPWSTR nameOut, LPWSTR fileOut, int nameChars = 64, int fileChars = MAX_PATH);
    // Deletes the current entry's record and the entry; 0 when there is
    // none or it is not cached.
    int DeleteCurrent();

    int Count() const { return m_List.GetCount(); }
    UserBellItem* At(int index) const;
    UserBellItem* Current() const { return m_pCurrent; }
    void SetCurrent(UserBellItem* item) { m_pCurrent = item; }

private:
    void ReleaseCache();

    RecordBuffer m_Buffer;
    CCePtrList m_List;
    UserBellItem* m_pCurrent;
};
