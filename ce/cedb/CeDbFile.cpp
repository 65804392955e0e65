#include "ce/cedb/CeDbFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace cedb {
namespace {

// The log is rewritten once it passes this size and is mostly dead
// versions. ZEN_CEDB_COMPACT_BYTES lowers it (tests use it to rewrite often).
uint64_t CompactMin() {
    wchar_t buf[32];
    DWORD n = GetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", buf, 32);
    uint64_t v = (n > 0 && n < 32) ? wcstoull(buf, nullptr, 10) : 0;
    return v ? v : 64 * 1024;
}
constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Fault injection for the crash tests: ZEN_CEDB_FAULT=exit-after-commit ends
// the process the moment a change is on disk, before anything else happens.
void FaultPoint(const wchar_t* point) {
    wchar_t buf[32];
    DWORD n = GetEnvironmentVariableW(L"ZEN_CEDB_FAULT", buf, 32);
    if (n > 0 && n < 32 && wcscmp(buf, point) == 0) TerminateProcess(GetCurrentProcess(), 9);
}

bool ReadAt(HANDLE f, uint64_t offset, void* buf, DWORD len) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    return ReadFile(f, buf, len, &got, &ov) && got == len;
}

bool WriteAt(HANDLE f, uint64_t offset, const void* buf, DWORD len) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD put = 0;
    return WriteFile(f, buf, len, &put, &ov) && put == len;
}

DWORD LastErrorOr(DWORD fallback) {
    DWORD e = GetLastError();
    return e ? e : fallback;
}

uint64_t NewRandom() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    uint64_t x = static_cast<uint64_t>(t.QuadPart) ^ (static_cast<uint64_t>(GetCurrentProcessId()) << 40) ^
                 (GetTickCount64() << 20) ^ reinterpret_cast<uintptr_t>(&t);
    // splitmix64 finaliser
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Picks the commit slot that counts: valid, this generation, highest sequence.
bool BestSlot(HANDLE f, const FileHeader& h, CommitSlot& best) {
    bool found = false;
    for (uint32_t off : kSlotOffset) {
        CommitSlot s;
        if (!ReadAt(f, off, &s, sizeof s) || !SlotValid(s, h.generation)) continue;
        if (!found || s.seq > best.seq) best = s;
        found = true;
    }
    return found;
}

bool ReadHeader(HANDLE f, FileHeader& h) { return ReadAt(f, 0, &h, sizeof h) && HeaderValid(h); }

uint64_t FileSize(HANDLE f) {
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    return static_cast<uint64_t>(size.QuadPart);
}

// Writes a complete new file (header, records, commit slot) and flushes it.
bool WriteWholeFile(const std::wstring& path, const FileHeader& h, const std::vector<BYTE>& body) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    std::vector<BYTE> head(kHeaderBytes, 0);
    memcpy(head.data(), &h, sizeof h);
    CommitSlot slot{h.generation, 1, kHeaderBytes + body.size(), 0};
    SealSlot(slot);
    memcpy(head.data() + kSlotOffset[1], &slot, sizeof slot);
    bool ok = WriteAt(f, 0, head.data(), kHeaderBytes) &&
              (body.empty() || WriteAt(f, kHeaderBytes, body.data(), static_cast<DWORD>(body.size()))) &&
              FlushFileBuffers(f);
    DWORD err = GetLastError();
    CloseHandle(f);
    if (!ok) {
        DeleteFileW(path.c_str());
        SetLastError(err);
    }
    return ok;
}

}  // namespace

Database::Stamp Database::StampOf(HANDLE file) {
    Stamp s;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file, &info)) {
        s.size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        s.written = info.ftLastWriteTime;
    }
    return s;
}

const Prop* FindProp(const Record& r, CEPROPID id) {
    for (const Prop& p : r.props)
        if (p.id == id) return &p;
    return nullptr;
}

int CompareValues(const Prop* a, const Prop* b, const SORTORDERSPEC& sortOrder) {
    auto num = [](const Prop* p, auto zero) {
        decltype(zero) v = zero;
        memcpy(&v, p->data.data(), std::min(sizeof v, p->data.size()));
        return v;
    };
    int r = 0;
    switch (TypeFromPropID(sortOrder.propid)) {
    case CEVT_I2: r = num(a, short(0)) < num(b, short(0)) ? -1 : num(a, short(0)) > num(b, short(0)); break;
    case CEVT_UI2: r = num(a, USHORT(0)) < num(b, USHORT(0)) ? -1 : num(a, USHORT(0)) > num(b, USHORT(0)); break;
    case CEVT_I4:
    case CEVT_BOOL: r = num(a, LONG(0)) < num(b, LONG(0)) ? -1 : num(a, LONG(0)) > num(b, LONG(0)); break;
    case CEVT_UI4: r = num(a, ULONG(0)) < num(b, ULONG(0)) ? -1 : num(a, ULONG(0)) > num(b, ULONG(0)); break;
    case CEVT_R8: r = num(a, 0.0) < num(b, 0.0) ? -1 : num(a, 0.0) > num(b, 0.0); break;
    case CEVT_FILETIME: {
        uint64_t x = num(a, uint64_t(0)), y = num(b, uint64_t(0));
        r = x < y ? -1 : x > y;
        break;
    }
    case CEVT_LPWSTR: {
        DWORD flags = (sortOrder.dwFlags & CEDB_SORT_CASEINSENSITIVE) ? NORM_IGNORECASE : 0;
        int c = CompareStringW(LOCALE_USER_DEFAULT, flags, reinterpret_cast<const WCHAR*>(a->data.data()),
                               static_cast<int>(a->data.size() / 2), reinterpret_cast<const WCHAR*>(b->data.data()),
                               static_cast<int>(b->data.size() / 2));
        r = c == 0 ? 0 : c - CSTR_EQUAL;
        break;
    }
    default: {
        size_t n = std::min(a->data.size(), b->data.size());
        r = n ? memcmp(a->data.data(), b->data.data(), n) : 0;
        if (r == 0) r = a->data.size() < b->data.size() ? -1 : a->data.size() > b->data.size();
        r = r < 0 ? -1 : r > 0;
    }
    }
    return (sortOrder.dwFlags & CEDB_SORT_DESCENDING) ? -r : r;
}

int CompareBySort(const Record* a, const Record* b, const SORTORDERSPEC& sortOrder) {
    const Prop* pa = FindProp(*a, sortOrder.propid);
    const Prop* pb = FindProp(*b, sortOrder.propid);
    if (!pa || !pb) {
        if (!pa && !pb) return 0;
        int missingFirst = (sortOrder.dwFlags & CEDB_SORT_UNKNOWNFIRST) ? -1 : 1;
        return pa ? -missingFirst : missingFirst;
    }
    return CompareValues(pa, pb, sortOrder);
}

DWORD Database::Load(const std::shared_ptr<Store>& store, const wchar_t* name, std::shared_ptr<Database>& out) {
    std::shared_ptr<Database> db(new Database);
    db->store_ = store;
    db->key_ = NameKey(name);
    db->path_ = store->PathForName(name);
    db->hash_ = NameHash(db->key_);
    StoreLock lock(*store);
    db->seen_ = store->Counter(db->hash_);
    HANDLE f = CreateFileW(db->path_.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        return (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? ERROR_FILE_NOT_FOUND : e;
    }
    FileHeader h;
    DWORD err = ReadHeader(f, h) ? db->ReadAll(f, h, db->end_, db->seq_, db->records_, db->nextOid_)
                                 : ERROR_FILE_CORRUPT;
    db->stamp_ = StampOf(f);
    CloseHandle(f);
    if (err == ERROR_FILE_CORRUPT) return db->SetAside();
    if (err) return err;
    db->header_ = h;
    db->liveBytes_ = 0;
    for (auto& r : db->records_) db->liveBytes_ += r.second.bytes;
    out = db;
    return 0;
}

DWORD Database::ReadAll(HANDLE f, const FileHeader& h, uint64_t& end, uint64_t& seq, std::map<CEOID, Record>& recs,
                        CEOID& nextOid) {
    CommitSlot slot;
    if (!BestSlot(f, h, slot) || slot.end > FileSize(f) || slot.end - kHeaderBytes > 0x7FFFFFFF)
        return ERROR_FILE_CORRUPT;
    std::vector<BYTE> body(static_cast<size_t>(slot.end - kHeaderBytes));
    if (!body.empty() && !ReadAt(f, kHeaderBytes, body.data(), static_cast<DWORD>(body.size())))
        return ERROR_FILE_CORRUPT;
    recs.clear();
    nextOid = h.firstFreeOid ? h.firstFreeOid : 1;
    for (size_t pos = 0; pos < body.size();) {
        Entry e;
        uint32_t n = DecodeEntry(body.data(), body.size(), pos, e);
        if (!n) return ERROR_FILE_CORRUPT;
        pos += n;
        if (e.kind == kEntryPut)
            recs[e.oid] = std::move(e.record);
        else
            recs.erase(e.oid);
        nextOid = std::max<CEOID>(nextOid, e.oid + 1);
    }
    end = slot.end;
    seq = slot.seq;
    return 0;
}

DWORD Database::SetAside() {
    // Keep the damaged file under a new name so nothing is lost silently;
    // the database then counts as missing and may be made anew.
    store_->Bump(hash_);
    SYSTEMTIME t;
    GetLocalTime(&t);
    for (int n = 0; n < 100; ++n) {
        wchar_t suffix[64];
        swprintf(suffix, 64, L".damaged-%04u%02u%02u-%02u%02u%02u-%d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                 t.wSecond, n);
        if (MoveFileExW(path_.c_str(), (path_ + suffix).c_str(), 0) || GetLastError() == ERROR_FILE_NOT_FOUND) break;
    }
    state_ = State::Damaged;
    return ERROR_FILE_CORRUPT;
}

void Database::MarkGone() {
    if (state_ != State::Ok) return;
    state_ = State::Gone;
    Log(DB_CEOID_DATABASE_DELETED, header_.dbOid);
}

DWORD Database::Sync() {
    if (state_ == State::Gone) return ERROR_INVALID_HANDLE;
    if (state_ == State::Damaged) return ERROR_FILE_CORRUPT;
    if (store_->Counter(hash_) == seen_) return 0;
    StoreLock lock(*store_);
    return SyncLocked();
}

DWORD Database::Verify() {
    StoreLock lock(*store_);
    return SyncLocked(true);
}

DWORD Database::SyncLocked(bool force) {
    if (state_ == State::Gone) return ERROR_INVALID_HANDLE;
    if (state_ == State::Damaged) return ERROR_FILE_CORRUPT;
    LONG counter = store_->Counter(hash_);
    if (counter == seen_ && !force) return 0;
    HANDLE f = CreateFileW(path_.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e != ERROR_FILE_NOT_FOUND && e != ERROR_PATH_NOT_FOUND) return e;
        MarkGone();
        return ERROR_INVALID_HANDLE;
    }
    Stamp stamp = StampOf(f);
    if (counter == seen_ && stamp == stamp_) {
        CloseHandle(f);
        return 0;
    }
    // No change announced, yet the file differs: read it all again.
    const bool outside = counter == seen_;
    FileHeader h;
    DWORD err = 0;
    if (!ReadHeader(f, h)) {
        err = ERROR_FILE_CORRUPT;
    } else if (h.dbOid != header_.dbOid) {
        // Deleted and made anew under the same name: not ours any more.
        CloseHandle(f);
        MarkGone();
        return ERROR_INVALID_HANDLE;
    } else if (h.generation != header_.generation || outside) {
        // The file was rewritten: read it whole and report what differs.
        std::map<CEOID, Record> recs;
        uint64_t end = 0, seq = 0;
        CEOID next = 1;
        err = ReadAll(f, h, end, seq, recs, next);
        if (!err) {
            for (auto& old : records_) {
                auto it = recs.find(old.first);
                if (it == recs.end())
                    Log(DB_CEOID_RECORD_DELETED, old.first);
                else if (it->second.crc != old.second.crc)
                    Log(DB_CEOID_CHANGED, old.first);
            }
            for (auto& r : recs)
                if (!records_.count(r.first)) Log(DB_CEOID_CREATED, r.first);
            records_ = std::move(recs);
            liveBytes_ = 0;
            for (auto& r : records_) liveBytes_ += r.second.bytes;
            header_ = h;
            end_ = end;
            seq_ = seq;
            nextOid_ = std::max(nextOid_, next);
            ++version_;
        }
    } else {
        CommitSlot slot;
        if (!BestSlot(f, h, slot) || slot.end < end_ || slot.end > FileSize(f) || slot.end - end_ > 0x7FFFFFFF) {
            err = ERROR_FILE_CORRUPT;
        } else if (slot.end > end_) {
            std::vector<BYTE> tail(static_cast<size_t>(slot.end - end_));
            if (!ReadAt(f, end_, tail.data(), static_cast<DWORD>(tail.size()))) err = ERROR_FILE_CORRUPT;
            for (size_t pos = 0; !err && pos < tail.size();) {
                Entry e;
                uint32_t n = DecodeEntry(tail.data(), tail.size(), pos, e);
                if (!n) {
                    err = ERROR_FILE_CORRUPT;
                    break;
                }
                pos += n;
                Apply(e.kind, e.oid, std::move(e.record));
            }
            if (!err) {
                end_ = slot.end;
                seq_ = slot.seq;
            }
        }
    }
    CloseHandle(f);
    if (err == ERROR_FILE_CORRUPT) return SetAside();
    if (!err) {
        seen_ = counter;
        stamp_ = stamp;
    }
    return err;
}

void Database::Log(UINT type, CEOID oid) {
    ++changeSeq_;
    if (listeners > 0) changes_.push_back({changeSeq_, type, oid});
}

void Database::TrimChanges(uint64_t upTo) {
    while (!changes_.empty() && changes_.front().seq <= upTo) changes_.pop_front();
}

void Database::Apply(uint32_t kind, CEOID oid, Record&& rec) {
    auto it = records_.find(oid);
    if (it != records_.end()) liveBytes_ -= it->second.bytes;
    if (kind == kEntryPut) {
        Log(it == records_.end() ? DB_CEOID_CREATED : DB_CEOID_CHANGED, oid);
        liveBytes_ += rec.bytes;
        records_[oid] = std::move(rec);
    } else if (it != records_.end()) {
        Log(DB_CEOID_RECORD_DELETED, oid);
        records_.erase(it);
    }
    nextOid_ = std::max(nextOid_, oid + 1);
    ++version_;
}

DWORD Database::Put(CEOID oid, const std::vector<Prop>& props, const std::vector<CEPROPID>& removes,
                     CEOID& written) {
    StoreLock lock(*store_);
    // Writes look at the file itself, so they never append to a file that
    // changed behind the engine's back.
    if (DWORD e = SyncLocked(true)) return e;
    std::vector<Prop> merged;
    if (oid == 0) {
        if (records_.size() >= CEDB_MAXNUMRECORDS) return ERROR_DISK_FULL;
        oid = FreeOid();
    } else {
        auto it = records_.find(oid);
        if (it == records_.end()) return ERROR_INVALID_PARAMETER;
        merged = it->second.props;
    }
    for (const Prop& p : props) {
        auto same = std::find_if(merged.begin(), merged.end(), [&](const Prop& m) { return m.id == p.id; });
        if (same != merged.end())
            *same = p;
        else
            merged.push_back(p);
    }
    for (CEPROPID id : removes)
        merged.erase(std::remove_if(merged.begin(), merged.end(), [&](const Prop& m) { return m.id == id; }),
                     merged.end());
    written = oid;
    return Commit(kEntryPut, oid, merged);
}

CEOID Database::FreeOid() const {
    // Ids come from the file, so the next one may have wrapped to 0 or be
    // taken already; never hand out one that would overwrite a record.
    if (nextOid_ != 0 && !records_.count(nextOid_)) return nextOid_;
    CEOID oid = 1;
    for (auto& r : records_) {
        if (r.first != oid) break;
        ++oid;
    }
    return oid;
}

DWORD Database::Remove(CEOID oid) {
    StoreLock lock(*store_);
    if (DWORD e = SyncLocked(true)) return e;
    if (!records_.count(oid)) return ERROR_INVALID_PARAMETER;
    return Commit(kEntryDelete, oid, {});
}

DWORD Database::AppendLog(const std::vector<BYTE>& log, CommitSlot& slot, LONG& announced) {
    HANDLE f = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, kShare, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) {
            MarkGone();
            return ERROR_INVALID_HANDLE;
        }
        return e;
    }
    // The counter moves before the file does: a reader that sees it move
    // waits for the lock and then reads the file, so even a writer killed
    // right after its commit leaves no process with a stale view.
    announced = store_->Bump(hash_);
    // The entries first, then the slot that makes them count; each reaches
    // the disk before the next step.
    slot = CommitSlot{header_.generation, seq_ + 1, end_ + log.size(), 0};
    SealSlot(slot);
    bool ok = WriteAt(f, end_, log.data(), static_cast<DWORD>(log.size())) && FlushFileBuffers(f) &&
              WriteAt(f, kSlotOffset[slot.seq & 1], &slot, sizeof slot) && FlushFileBuffers(f);
    DWORD err = ok ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
    if (ok) stamp_ = StampOf(f);
    CloseHandle(f);
    if (!ok) return err;
    FaultPoint(L"exit-after-commit");
    return 0;
}

void Database::Committed(const CommitSlot& slot, LONG announced) {
    end_ = slot.end;
    seq_ = slot.seq;
    seen_ = announced;
    store_->WakeListeners();
    MaybeCompact();
}

DWORD Database::Commit(uint32_t kind, CEOID oid, const std::vector<Prop>& props) {
    std::vector<BYTE> entry = EncodeEntry(kind, oid, props);
    if (entry.size() > kMaxEntryBytes) return ERROR_INVALID_PARAMETER;
    CommitSlot slot{};
    LONG announced = 0;
    if (DWORD e = AppendLog(entry, slot, announced)) return e;
    Record rec;
    rec.props = props;
    rec.bytes = static_cast<uint32_t>(entry.size());
    memcpy(&rec.crc, entry.data() + entry.size() - 4, 4);
    Apply(kind, oid, std::move(rec));
    Committed(slot, announced);
    return 0;
}

void Database::MaybeCompact() {
    uint64_t logBytes = end_ - kHeaderBytes;
    if (logBytes < CompactMin() || logBytes < 4 * liveBytes_) return;
    FileHeader h = header_;
    h.generation = NewRandom();
    h.firstFreeOid = nextOid_;
    SealHeader(h);
    std::vector<BYTE> body;
    body.reserve(static_cast<size_t>(liveBytes_));
    for (auto& r : records_) {
        std::vector<BYTE> e = EncodeEntry(kEntryPut, r.first, r.second.props);
        body.insert(body.end(), e.begin(), e.end());
    }
    std::wstring tmp = path_ + L".compact";
    // A failed rewrite leaves the old file in place, which is still right.
    if (!WriteWholeFile(tmp, h, body)) return;
    const LONG announced = store_->Bump(hash_);
    if (!MoveFileExW(tmp.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tmp.c_str());
        return;
    }
    header_ = h;
    end_ = kHeaderBytes + body.size();
    seq_ = 1;
    stamp_ = Stamp{};  // read once more on the next open
    seen_ = announced;
}

DWORD Database::Destroy() {
    StoreLock lock(*store_);
    if (DWORD e = SyncLocked()) return e;
    store_->Bump(hash_);
    if (!DeleteFileW(path_.c_str())) return GetLastError();
    MarkGone();
    store_->WakeListeners();
    return 0;
}

DWORD Database::Create(Store& store, const CEDBASEINFO& info, CEOID& oid) {
    StoreLock lock(store);
    std::wstring path = store.PathForName(info.szDbaseName);
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return ERROR_DUP_NAME;
    FileHeader h{};
    do {
        h.dbOid = static_cast<CEOID>(NewRandom());
    } while (h.dbOid == 0);
    h.dbType = (info.dwFlags & CEDB_VALIDTYPE) ? info.dwDbaseType : 0;
    h.firstFreeOid = 1;
    if (info.dwFlags & CEDB_VALIDSORTSPEC) {
        h.numSort = info.wNumSortOrder;
        memcpy(h.sorts, info.rgSortSpecs, sizeof(SORTORDERSPEC) * info.wNumSortOrder);
    }
    wcsncpy(h.name, info.szDbaseName, CEDB_MAXDBASENAMELEN - 1);
    h.generation = NewRandom();
    GetSystemTimeAsFileTime(&h.created);
    SealHeader(h);
    // Made under a temporary name and renamed, so the real name only ever
    // shows a complete file.
    std::wstring tmp = path + L".new";
    if (!WriteWholeFile(tmp, h, {})) return LastErrorOr(ERROR_WRITE_FAULT);
    if (!MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
        DWORD e = GetLastError();
        DeleteFileW(tmp.c_str());
        return e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? ERROR_DUP_NAME : e;
    }
    store.Bump(NameHash(NameKey(info.szDbaseName)));
    oid = h.dbOid;
    return 0;
}

bool Database::FindNameByOid(Store& store, CEOID oid, std::wstring& name) {
    StoreLock lock(store);
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((store.Folder() + L"\\*.cdb").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    do {
        HANDLE f = CreateFileW((store.Folder() + L"\\" + fd.cFileName).c_str(), GENERIC_READ, kShare, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) continue;
        FileHeader h;
        if (ReadHeader(f, h) && h.dbOid == oid) {
            name.assign(h.name, wcsnlen(h.name, CEDB_MAXDBASENAMELEN));
            found = true;
        }
        CloseHandle(f);
    } while (!found && FindNextFileW(find, &fd));
    FindClose(find);
    return found;
}

int Database::SortIndexOf(CEPROPID propid) const {
    if (propid == 0) return -1;
    for (uint32_t i = 0; i < header_.numSort; ++i)
        if (header_.sorts[i].propid == propid) return static_cast<int>(i);
    return -2;
}

const std::vector<CEOID>& Database::Order(int sortIndex) {
    Cached& c = orders_[sortIndex + 1];
    if (c.version == version_) return c.oids;
    c.oids.clear();
    c.oids.reserve(records_.size());
    for (auto& r : records_) c.oids.push_back(r.first);
    if (sortIndex >= 0) {
        const SORTORDERSPEC sortOrder = header_.sorts[sortIndex];
        // Stable: equal keys keep the order of creation.
        std::stable_sort(c.oids.begin(), c.oids.end(), [&](CEOID a, CEOID b) {
            return CompareBySort(&records_.at(a), &records_.at(b), sortOrder) < 0;
        });
    }
    c.version = version_;
    return c.oids;
}

}  // namespace cedb
