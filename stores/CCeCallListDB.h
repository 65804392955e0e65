#pragma once
// The call list: one record per call in "Zentrika CALLLIST DB", newest
// first, with a cache for the call list screen.
#include <cstdint>

#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

// One cached call. The number is 8-bit text in the module's code page.
struct CallItem {
    CEOID oid;
    char szTimeStamp[20];  // 14 digits, year to second, and a zero
    int32_t nKind;         // 1 outgoing, 2 answered, 3 missed, 4 rejected
    char szNumber[64];
    int32_t nSeconds;
    WCHAR szName[64];
};

class CCeCallListDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika CALLLIST DB";
    static constexpr CEPROPID kTimeProperty = 0x00010040;
    static constexpr CEPROPID kKindProperty = 0x00020002;
    static constexpr CEPROPID kNumberProperty = 0x0003001F;
    static constexpr CEPROPID kSecondsProperty = 0x00040003;
    static constexpr CEPROPID kNameProperty = 0x0005001F;

    enum Kind { kOutgoing = 1, kAnswered = 2, kMissed = 3, kRejected = 4 };
    // Filters: 0 every call, 1 outgoing, 2 answered, 3 missed and rejected.
    enum Filter { kAll = 0, kOnlyOutgoing = 1, kOnlyAnswered = 2, kMissedOrRejected = 3 };

    CCeCallListDB();
    ~CCeCallListDB() override;

    int Create(LPCWSTR name) override;
    int OpenDefault(LPCWSTR name) override;

    // 1 when the cache was filled, 0 when the database cannot be opened.
    int Load();
    // Records a call and puts it first in the cache. `number` is 8-bit
    // text, `name` may be null. 1 when recorded, 0 when the database cannot
    // be opened or the write failed (the cache is then unchanged).
    int Add(const FILETIME& fileTime, const char* number, int kind, int seconds, LPCWSTR name);
    void Recount();

    CallItem* Nth(int filter, int n) const;
    int Count(int filter) const;
    // Move the current item; the new index, or -1 when no item passes.
    int SelectPrevious(int filter, int index);
    int SelectNext(int filter, int index);
    // Deletes the current item and selects a neighbour; `index` is updated
    // (-1 when none is left). 1 when deleted.
    int DeleteCurrent(int filter, int& index);
    // Frees every cached item and resets the counters (delete-all, with
    // DeleteDatabase and Recount).
    void ClearAll();

    // Display texts of the current item; empty when there is none.
    void FormatDate(LPWSTR out, int outChars) const;
    void FormatTime(LPWSTR out, int outChars) const;
    void FormatLength(LPWSTR out, int outChars) const;

    CallItem* Current() const { return m_pCurrent; }
    void SetCurrent(CallItem* item) { m_pCurrent = item; }
    int ItemCount() const { return m_List.GetCount(); }

private:
    static bool Passes(const CallItem* item, int filter);
    // A cached item for a record in the stored layout, or null.
    CallItem* ItemFromRecord(const RecordBuffer& r);
    void FreeItems();

    CEPROPVAL m_Props[5];
    RecordBuffer m_Buffer;
    WCHAR m_szNumber[64];
    mutable CCePtrList m_List;  // walks move its cursor
    int m_nCount[5];  // kinds 1 to 4, then every other kind
    CallItem* m_pCurrent;
};
