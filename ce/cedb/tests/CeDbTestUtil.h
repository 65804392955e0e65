#pragma once
// Helpers for the engine's tests: a private object store folder per test and
// short ways to build and read records.
#include <windows.h>

#include <cstdint>
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

// Starts this test program again with `args` after its own path (the other
// process of a multi-process test); its process handle, or null.
HANDLE StartSelf(const std::wstring& args);

// The bytes of a database's file, and writing them back (as another
// program, or damage, would change the file).
std::wstring FileOf(const wchar_t* name);
std::vector<BYTE> Slurp(const std::wstring& path);
void Spit(const std::wstring& path, const std::vector<BYTE>& bytes);

// Where the committed parts of a database file's bytes lie, read the way the
// engine reads them; `valid` false when the header or slots are unreadable.
struct FileLayout {
    bool valid = false;
    size_t end = 0;                // end of the committed log
    uint32_t slotOffset = 0;       // the commit slot in use
    std::vector<size_t> entries;   // offsets of the whole, intact entries before `end`
};
FileLayout LayoutOf(const std::vector<BYTE>& bytes);
// Recompute a checksum after changing bytes, as damage that keeps the
// checksums right would look.
void ResealEntry(std::vector<BYTE>& bytes, size_t entryOffset);
void ResealHeader(std::vector<BYTE>& bytes);
void ResealSlot(std::vector<BYTE>& bytes, uint32_t slotOffset);

// Appends raw entry bytes to the committed log with a new commit slot, as a
// writer would; false when the file's layout cannot be read.
bool AppendCommitted(std::vector<BYTE>& bytes, const std::vector<BYTE>& entry);

// Copies the last record written to `name` straight into its file until the
// database holds `total` records: how a test reaches the engine's limits
// without writing them one by one. False when the file is not as expected.
bool FillWithCopies(const wchar_t* name, int total);

}  // namespace cedbtest
