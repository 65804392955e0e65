#pragma once
// The delete of the entry a screen selected, shared by the stores whose
// entries live in a cache with their record ids.
#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

// Position of an item in a cache list, or -1.
inline int PositionOf(CCePtrList& list, const void* item) {
    int position = 0;
    list.ResetCursor();
    for (void* at = list.Next(); at; at = list.Next(), ++position)
        if (at == item) return position;
    return -1;
}

// Deletes `current`'s record, then the item (freed with `freeItem`), and
// clears `current`. The item stays when its record is still in the
// database afterwards: it would come back at the next load. 1 when deleted.
template <typename Item, typename FreeItem>
int DeleteCachedItem(CCeDatabase& db, CCePtrList& list, Item*& current, FreeItem freeItem) {
    if (!current) return 0;
    int position = PositionOf(list, current);
    if (position < 0) return 0;
    if (!db.IsOpen()) db.OpenDefault(nullptr);
    if (!db.IsOpen()) return 0;
    if (!db.DeleteRecord(current->oid) && db.SeekById(current->oid)) {
        db.Close();
        return 0;
    }
    freeItem(current);
    list.RemoveAt(position);
    current = nullptr;
    db.Close();
    return 1;
}
