#pragma once
// Saved phrases ("Zentrika SMS Msg DB"), loaded in the database's text order.
#include <windows.h>
#include <oleauto.h>

#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

struct PhraseItem {
    CEOID oid;
    BSTR pszText;
};

class CCeSmsMsgDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika SMS Msg DB";
    static constexpr CEPROPID kTextProperty = 0x0001001F;

    CCeSmsMsgDB();
    ~CCeSmsMsgDB() override;

    int Create(LPCWSTR name) override;
    int OpenDefault(LPCWSTR name) override;

    int Load();
    // Writes a new phrase; the cache is left as it is (its window reloads).
    int Add(LPCWSTR text);
    // Removes the phrase at the position with its record; 0 when the index
    // is not below the count or the record could not be deleted (the
    // phrase then stays).
    int Delete(int index);
    // The phrase at the position, or null.
    LPCWSTR Text(int index) const;
    int Count() const { return m_List.GetCount(); }

private:
    void ReleaseCache();

    CEPROPVAL m_Prop;
    RecordBuffer m_Buffer;
    CCePtrList m_List;
};
