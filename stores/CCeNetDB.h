#pragma once
// The data-usage count in "Zentrika Net DB": bytes received from the
// module, added by the taskbar agent and read or reset by the phone. Each
// call opens and closes the database; nothing is cached.
#include "stores/CCeDatabase.h"

class CCeNetDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika Net DB";
    static constexpr CEPROPID kCountProperty = 0x00020013;

    // Opens without a sort order, creating the database (mask 11) when missing.
    int OpenDefault(LPCWSTR name) override;

    // Adds n to the count, creating the database and its record when
    // needed. The count stops at its largest value rather than wrap.
    // 1 when stored, 0 when the database cannot be opened or written.
    int AddUsage(DWORD n);
    // The count; 0 when there is no database or no count. Creates nothing.
    DWORD ReadUsage();
    // Deletes the whole database. 1 when deleted, 0 when it cannot be
    // opened (and is then left alone).
    int ResetUsage();

private:
    // The count of a record in the stored layout (its first property).
    static bool CountOf(const RecordBuffer& r, DWORD& count);
};
