#pragma once
// Cache chores shared by the stores whose items carry a record id.
#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"
#include "stores/CachedDelete.h"
#include "stores/RecordProps.h"

// Frees every cached item with `free` and empties the list.
template <typename Item, typename Free>
void ReleaseItems(CCePtrList& list, Free free) {
    list.ResetCursor();
    while (auto* item = static_cast<Item*>(list.Next())) free(item);
    list.RemoveAll();
}

// Whether a read record has exactly these property ids in this order.
inline bool HasShape(const RecordBuffer& record, const CEPROPID* ids, WORD count) {
    if (!record.pProps || record.wCount != count) return false;
    for (WORD i = 0; i < count; ++i)
        if (record.pProps[i].propid != ids[i]) return false;
    return true;
}

// From the first record on, calls `take` with each record that has exactly
// the shape, until `take` returns false or a record has another shape (the
// end of the data). The property arrays are freed here.
template <typename Take>
void ReadShaped(CCeDatabase& db, RecordBuffer& buffer, const CEPROPID* ids, WORD count, Take take) {
    db.SeekFirst();
    bool more = true;
    while (more && db.ReadRecord(&buffer) && HasShape(buffer, ids, count)) {
        more = take(static_cast<const RecordBuffer&>(buffer));
        LocalFree(buffer.pProps);
        buffer.pProps = nullptr;
    }
    FreeRead(buffer);
}
