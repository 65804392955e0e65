#pragma once
// Rejected numbers: "Zentrika DENY CALL LIST DB", a name and a number per
// entry, in name order. Incoming calls from a listed number are ended at once.
#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"
#include "stores/SysStrings.h"

struct DenyItem {
    BSTR pszName;
    BSTR pszNumber;
    CEOID oid;
};

class CCeDenyCallDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika DENY CALL LIST DB";
    static constexpr CEPROPID kNameProperty = 0x0001001F;
    static constexpr CEPROPID kNumberProperty = 0x0002001F;

    CCeDenyCallDB();
    ~CCeDenyCallDB() override;

    int Create(LPCWSTR name) override;
    int OpenDefault(LPCWSTR name) override;

    // 1 after filling the cache, 0 when the database cannot be opened.
    int Load();
    void ClearCache();
    // 1 when added. 0 when a cached entry has the same number, the number
    // has no digit to match on or does not fit 64 characters, or the
    // database cannot be opened.
    int Add(LPCWSTR name, LPCWSTR number);
    // 1 when the current entry was deleted.
    int DeleteCurrent();
    // 1 when a stored entry matches the number; reads the database, not
    // the cache. A number without dial characters is never rejected.
    int IsRejected(LPCWSTR number);

    DenyItem* Current() const { return m_pCurrent; }
    void SetCurrent(DenyItem* item) { m_pCurrent = item; }
    int ItemCount() const { return m_List.GetCount(); }
    DenyItem* ItemAt(int position) const { return static_cast<DenyItem*>(m_List.GetAt(position)); }

private:
    static void FreeItem(DenyItem* item);

    CEPROPVAL m_Props[2];
    RecordBuffer m_Buffer;
    mutable CCePtrList m_List;
    DenyItem* m_pCurrent;
};
