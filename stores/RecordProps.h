#pragma once
// Reading properties out of a record as the engine returned it. Records may
// come from older or broken writers, so every value is looked up by its id
// and type rather than trusted by position.
#include "stores/RecordBuffer.h"

// The property with this id (id and type), or null.
inline const CEPROPVAL* PropOf(const RecordBuffer& r, CEPROPID id) {
    if (!r.pProps) return nullptr;
    for (WORD i = 0; i < r.wCount; ++i)
        if (r.pProps[i].propid == id && !(r.pProps[i].wFlags & CEDB_PROPNOTFOUND)) return &r.pProps[i];
    return nullptr;
}

// The text of a string property, or null when it is missing.
inline LPCWSTR TextProp(const RecordBuffer& r, CEPROPID id) {
    const CEPROPVAL* p = PropOf(r, id);
    return p ? p->val.lpwstr : nullptr;
}

// Frees what a read left in the buffer (also after a failed read).
inline void FreeRead(RecordBuffer& r) {
    if (r.pProps) LocalFree(r.pProps);
    r.pProps = nullptr;
    r.wCount = 0;
}
