#include "CeDbTestUtil.h"

#include <cstdio>
#include <cwchar>

namespace cedbtest {

ScopedStore::ScopedStore(const wchar_t* tag) {
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    wchar_t name[MAX_PATH + 64];
    swprintf(name, MAX_PATH + 64, L"%ls\\store-%ls-%lu", cwd, tag, GetCurrentProcessId());
    folder_ = name;
    RemoveTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", folder_.c_str());
}

ScopedStore::~ScopedStore() {
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", nullptr);
    RemoveTree(folder_);
}

std::vector<std::wstring> ScopedStore::FilesWith(const wchar_t* part) const {
    std::vector<std::wstring> out;
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((folder_ + L"\\*").c_str(), &fd);
    if (f == INVALID_HANDLE_VALUE) return out;
    do {
        if (wcsstr(fd.cFileName, part)) out.push_back(folder_ + L"\\" + fd.cFileName);
    } while (FindNextFileW(f, &fd));
    FindClose(f);
    return out;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            if (fd.cFileName[0] != L'.') DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(folder.c_str());
}

static CEPROPVAL Val(WORD id, WORD type) {
    CEPROPVAL v{};
    v.propid = (static_cast<DWORD>(id) << 16) | type;
    return v;
}

CEPROPVAL I4(WORD id, LONG x) {
    CEPROPVAL v = Val(id, CEVT_I4);
    v.val.lVal = x;
    return v;
}
CEPROPVAL I2(WORD id, short x) {
    CEPROPVAL v = Val(id, CEVT_I2);
    v.val.iVal = x;
    return v;
}
CEPROPVAL UI4(WORD id, ULONG x) {
    CEPROPVAL v = Val(id, CEVT_UI4);
    v.val.ulVal = x;
    return v;
}
CEPROPVAL Str(WORD id, const wchar_t* s) {
    CEPROPVAL v = Val(id, CEVT_LPWSTR);
    v.val.lpwstr = const_cast<LPWSTR>(s);
    return v;
}
CEPROPVAL Blob(WORD id, const void* p, DWORD n) {
    CEPROPVAL v = Val(id, CEVT_BLOB);
    v.val.blob.dwCount = n;
    v.val.blob.lpb = static_cast<LPBYTE>(const_cast<void*>(p));
    return v;
}
CEPROPVAL Time(WORD id, ULONGLONG t) {
    CEPROPVAL v = Val(id, CEVT_FILETIME);
    v.val.filetime.dwLowDateTime = static_cast<DWORD>(t);
    v.val.filetime.dwHighDateTime = static_cast<DWORD>(t >> 32);
    return v;
}

CEOID Create(const wchar_t* name, WORD sortCount, const SORTORDERSPEC* sorts) {
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEDBASEINFO info{};
    info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDMODTIME | (sortCount ? CEDB_VALIDSORTSPEC : 0);
    wcsncpy(info.szDbaseName, name, CEDB_MAXDBASENAMELEN - 1);
    info.wNumSortOrder = sortCount;
    for (WORD i = 0; i < sortCount; ++i) info.rgSortSpecs[i] = sorts[i];
    return CeCreateDatabaseEx(&guid, &info);
}

HANDLE Open(const wchar_t* name, CEPROPID sort, CENOTIFYREQUEST* req) {
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEOID oid = 0;
    return CeOpenDatabaseEx(&guid, &oid, const_cast<LPWSTR>(name), sort, CEDB_AUTOINCREMENT, req);
}

Read::~Read() {
    if (props) LocalFree(props);
}

const CEPROPVAL* Read::Find(CEPROPID id) const {
    for (WORD i = 0; i < count; ++i)
        if (props[i].propid == id) return &props[i];
    return nullptr;
}

void ReadNext(HANDLE h, Read& out) {
    if (out.props) LocalFree(out.props);
    out.props = nullptr;
    LPBYTE buf = nullptr;
    DWORD size = 0;
    out.count = 0;
    out.oid = CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &out.count, nullptr, &buf, &size, nullptr);
    out.props = reinterpret_cast<CEPROPVAL*>(buf);
}

std::vector<LONG> AllI4(HANDLE h, CEPROPID id) {
    std::vector<LONG> out;
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    CEOID last = 0;
    // A handle that does not advance reads the same record forever: stop.
    for (; out.size() <= CEDB_MAXNUMRECORDS;) {
        Read r;
        ReadNext(h, r);
        if (!r.oid || r.oid == last) break;
        last = r.oid;
        const CEPROPVAL* v = r.Find(id);
        out.push_back(v ? v->val.lVal : -99999);
    }
    return out;
}

}  // namespace cedbtest
