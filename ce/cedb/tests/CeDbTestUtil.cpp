#include "CeDbTestUtil.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>

#include "ce/cedb/CeDbFormat.h"
#include "ce/cedb/CeDbStore.h"

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

HANDLE StartSelf(const std::wstring& args) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(self) + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

std::wstring FileOf(const wchar_t* name) {
    std::shared_ptr<cedb::Store> store = cedb::Store::Current();
    return store ? store->PathForName(name) : L"";
}

std::vector<BYTE> Slurp(const std::wstring& path) {
    std::vector<BYTE> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size()))
        bytes.clear();
    CloseHandle(f);
    return bytes;
}

void Spit(const std::wstring& path, const std::vector<BYTE>& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
}

FileLayout LayoutOf(const std::vector<BYTE>& bytes) {
    FileLayout out;
    if (bytes.size() < cedb::kHeaderBytes) return out;
    cedb::FileHeader h;
    memcpy(&h, bytes.data(), sizeof h);
    if (!cedb::HeaderValid(h)) return out;
    cedb::CommitSlot best{};
    for (uint32_t off : cedb::kSlotOffset) {
        cedb::CommitSlot s;
        memcpy(&s, bytes.data() + off, sizeof s);
        if (cedb::SlotValid(s, h.generation) && (!out.slotOffset || s.seq > best.seq)) {
            best = s;
            out.slotOffset = off;
        }
    }
    if (!out.slotOffset || best.end > bytes.size()) return out;
    out.end = static_cast<size_t>(best.end);
    for (size_t pos = cedb::kHeaderBytes; pos < out.end;) {
        cedb::Entry e;
        uint32_t n = cedb::DecodeEntry(bytes.data(), out.end, pos, e);
        if (!n) break;
        out.entries.push_back(pos);
        pos += n;
    }
    out.valid = true;
    return out;
}

void ResealEntry(std::vector<BYTE>& bytes, size_t at) {
    uint32_t size = 0;
    if (at + 8 > bytes.size()) return;
    memcpy(&size, bytes.data() + at + 4, 4);
    if (size < 8 || size > bytes.size() - at) return;
    uint32_t crc = cedb::Crc32(bytes.data() + at, size - 4);
    memcpy(bytes.data() + at + size - 4, &crc, 4);
}

void ResealHeader(std::vector<BYTE>& bytes) {
    if (bytes.size() < sizeof(cedb::FileHeader)) return;
    cedb::FileHeader h;
    memcpy(&h, bytes.data(), sizeof h);
    h.crc = cedb::Crc32(&h, offsetof(cedb::FileHeader, crc));
    memcpy(bytes.data(), &h, sizeof h);
}

void ResealSlot(std::vector<BYTE>& bytes, uint32_t off) {
    if (bytes.size() < off + sizeof(cedb::CommitSlot)) return;
    cedb::CommitSlot s;
    memcpy(&s, bytes.data() + off, sizeof s);
    cedb::SealSlot(s);
    memcpy(bytes.data() + off, &s, sizeof s);
}

// Points a new commit slot at the end of `bytes`, as the engine's next
// commit after the slot at `current` would.
static void Commit(std::vector<BYTE>& bytes, uint32_t current) {
    cedb::CommitSlot slot;
    memcpy(&slot, bytes.data() + current, sizeof slot);
    slot.seq += 1;
    slot.end = bytes.size();
    cedb::SealSlot(slot);
    memcpy(bytes.data() + cedb::kSlotOffset[slot.seq & 1], &slot, sizeof slot);
}

bool AppendCommitted(std::vector<BYTE>& bytes, const std::vector<BYTE>& entry) {
    FileLayout layout = LayoutOf(bytes);
    if (!layout.valid) return false;
    bytes.resize(layout.end);
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    Commit(bytes, layout.slotOffset);
    return true;
}

bool FillWithCopies(const wchar_t* name, int total) {
    std::wstring path = FileOf(name);
    std::vector<BYTE> bytes = Slurp(path);
    FileLayout layout = LayoutOf(bytes);
    if (!layout.valid) return false;
    bytes.resize(layout.end);
    // The live records and the last one written.
    std::map<CEOID, bool> live;
    cedb::Entry last;
    CEOID top = 0;
    for (size_t pos : layout.entries) {
        cedb::Entry e;
        cedb::DecodeEntry(bytes.data(), bytes.size(), pos, e);
        if (e.kind == cedb::kEntryPut) {
            live[e.oid] = true;
            last = e;
        } else {
            live.erase(e.oid);
        }
        if (e.oid > top) top = e.oid;
    }
    if (live.empty()) return false;
    for (int have = static_cast<int>(live.size()); have < total; ++have) {
        std::vector<BYTE> e = cedb::EncodeEntry(cedb::kEntryPut, ++top, last.record.props);
        bytes.insert(bytes.end(), e.begin(), e.end());
    }
    Commit(bytes, layout.slotOffset);
    Spit(path, bytes);
    return true;
}

}  // namespace cedbtest
