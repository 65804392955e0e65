#pragma once
// An addition of ours to the database calls: many new records in one commit,
// for bulk imports that would otherwise pay a flush per record.
#include <windows.h>

#include "windbase.h"

extern "C" {

// Adds `count` new records to the database; record i is the `rgcPropID[i]`
// values at `rgrgPropVal[i]`, checked as CeWriteRecordProps checks them.
// Either every record reaches the file, in one commit, or none does: TRUE
// with the new record ids in `rgOid` (when given), or FALSE with the error
// in GetLastError (ERROR_INVALID_PARAMETER when any one record is bad).
BOOL CeWriteNewRecords(HANDLE hDbase, DWORD count, const WORD* rgcPropID, CEPROPVAL* const* rgrgPropVal, CEOID* rgOid);

}
