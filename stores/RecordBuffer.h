#pragma once
// The argument of every record read and write of a store.
#include <windows.h>

#include "windbase.h"

struct RecordBuffer {
    CEPROPVAL* pProps;  // property values
    WORD wCount;        // number of property values
    CEOID oid;          // record id; 0 writes a new record
};
