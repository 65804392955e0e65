#include "stores/CCeNetDB.h"

#include <vector>

#include "stores/RecordProps.h"

int CCeNetDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, 0); }

bool CCeNetDB::CountOf(const RecordBuffer& r, DWORD& count) {
    if (r.wCount < 1 || !r.pProps || r.pProps[0].propid != kCountProperty) return false;
    count = r.pProps[0].val.ulVal;
    return true;
}

int CCeNetDB::AddUsage(DWORD n) {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    RecordBuffer r{nullptr, 0, 0};
    CEOID counter = 0;
    DWORD count = 0;
    std::vector<CEOID> stray;
    SeekFirst();
    while (ReadRecord(&r)) {
        DWORD value = 0;
        if (!counter && CountOf(r, value)) {
            counter = r.oid;
            count = value;
        } else {
            stray.push_back(r.oid);  // another layout, or a second count
        }
        FreeRead(r);
    }
    FreeRead(r);
    count = (count > MAXDWORD - n) ? MAXDWORD : count + n;
    CEPROPVAL value{};
    value.propid = kCountProperty;
    value.val.ulVal = count;
    r = {&value, 1, counter};
    int written = WriteRecord(&r);
    // Strays go only once the count is safe.
    if (written)
        for (CEOID oid : stray) DeleteRecord(oid);
    Close();
    return written;
}

DWORD CCeNetDB::ReadUsage() {
    if (!IsOpen() && !Open(kDatabaseName, 0, nullptr)) return 0;
    RecordBuffer r{nullptr, 0, 0};
    DWORD count = 0;
    SeekFirst();
    // The first record that holds a count: a stray record before it
    // (which the next AddUsage removes) is not read as one.
    while (ReadRecord(&r) && !CountOf(r, count)) FreeRead(r);
    FreeRead(r);
    Close();
    return count;
}

int CCeNetDB::ResetUsage() {
    if (!IsOpen() && !Open(kDatabaseName, 0, nullptr)) return 0;
    Close();
    return DeleteDatabase() ? 1 : 0;
}
