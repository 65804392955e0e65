#pragma once
// Helpers for the engine's tests: a private object store folder per test and
// short ways to build and read records.
#include <windows.h>

#include <string>
#include <vector>

#include "windbase.h"

namespace cedbtest {

// Points the engine at a fresh, empty folder for the life of the object.
class ScopedStore {
public:
    explicit ScopedStore(const wchar_t* tag);
    ~ScopedStore();
    const std::wstring& Folder() const { return folder_; }
    // Files of the folder whose names contain `part`.
    std::vector<std::wstring> FilesWith(const wchar_t* part) const;

private:
    std::wstring folder_;
};

void RemoveTree(const std::wstring& folder);

CEPROPVAL I4(WORD id, LONG v);
CEPROPVAL I2(WORD id, short v);
CEPROPVAL UI4(WORD id, ULONG v);
CEPROPVAL Str(WORD id, const wchar_t* s);
CEPROPVAL Blob(WORD id, const void* p, DWORD n);
CEPROPVAL Time(WORD id, ULONGLONG v);

CEOID Create(const wchar_t* name, WORD sortCount = 0, const SORTORDERSPEC* sorts = nullptr);
HANDLE Open(const wchar_t* name, CEPROPID sort = 0, CENOTIFYREQUEST* req = nullptr);

// A record as read back: the property array owned by a LocalAlloc'ed buffer.
struct Read {
    CEOID oid = 0;
    WORD count = 0;
    CEPROPVAL* props = nullptr;
    ~Read();
    const CEPROPVAL* Find(CEPROPID id) const;
};
// Reads the record at the current position; oid 0 when there is none.
void ReadNext(HANDLE h, Read& out);
// Every record from the first, in the handle's order: the values of one
// 32-bit property.
std::vector<LONG> AllI4(HANDLE h, CEPROPID id);

}  // namespace cedbtest
