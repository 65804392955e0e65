#pragma once
// How many records a database holds, read straight from the engine.
#include "CeDbTestUtil.h"

inline int StoredRecords(const wchar_t* database) {
    HANDLE h = cedbtest::Open(database);
    if (h == INVALID_HANDLE_VALUE) return -1;
    int n = 0;
    for (;;) {
        cedbtest::Read r;
        cedbtest::ReadNext(h, r);
        if (!r.oid) break;
        ++n;
    }
    CloseHandle(h);
    return n;
}
