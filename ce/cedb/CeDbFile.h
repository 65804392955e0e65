#pragma once
// One database: its file and the in-memory image of its records, shared by
// every handle of this process that has it open. All calls run under the
// engine's process lock; file access also takes the store's lock.
#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ce/cedb/CeDbFormat.h"
#include "ce/cedb/CeDbStore.h"

namespace cedb {

struct Change {
    uint64_t seq;
    UINT type;  // DB_CEOID_*
    CEOID oid;
};

class Database {
public:
    // Reads the database file of `name`. Errors: ERROR_FILE_NOT_FOUND, or
    // ERROR_FILE_CORRUPT after a damaged file was set aside.
    static DWORD Load(const std::shared_ptr<Store>& store, const wchar_t* name, std::shared_ptr<Database>& out);
    // Makes a new, empty database file. Errors: ERROR_DUP_NAME, I/O errors.
    static DWORD Create(Store& store, const CEDBASEINFO& info, CEOID& oid);
    // Name of the database with this id, by reading the files' headers.
    static bool FindNameByOid(Store& store, CEOID oid, std::wstring& name);

    // Brings the image up to date with the file when another process (or
    // handle) committed since. Errors: ERROR_INVALID_HANDLE when the database
    // is gone, ERROR_FILE_CORRUPT when its file turned out damaged.
    DWORD Sync();
    // Like Sync, but always reads the file: catches a file changed or
    // damaged behind the engine's back. Used on every open.
    DWORD Verify();
    // Writes the properties to record `oid` (0: a new record) and commits.
    // Properties named in `removes` are taken off the record.
    DWORD Put(CEOID oid, const std::vector<Prop>& props, const std::vector<CEPROPID>& removes, CEOID& written);
    DWORD Remove(CEOID oid);
    // Adds new records with one commit: all of them or, on an error, none.
    DWORD PutNew(const std::vector<std::vector<Prop>>& records, std::vector<CEOID>& written);
    DWORD Destroy();

    bool Usable() const { return state_ == State::Ok; }
    CEOID Oid() const { return header_.dbOid; }
    const Store* Owner() const { return store_.get(); }
    const std::wstring& Key() const { return key_; }
    const FileHeader& Header() const { return header_; }
    const std::map<CEOID, Record>& Records() const { return records_; }
    uint64_t Version() const { return version_; }
    // Index of the sort order on `propid`; -1 for none, -2 when unknown.
    int SortIndexOf(CEPROPID propid) const;
    // Record ids in the order of a sort index (-1: order of creation).
    const std::vector<CEOID>& Order(int sortIndex);

    // Change log for notifications; kept only while someone listens.
    int listeners = 0;
    const std::deque<Change>& Changes() const { return changes_; }
    void TrimChanges(uint64_t upTo);
    uint64_t LastChangeSeq() const { return changeSeq_; }

private:
    enum class State { Ok, Gone, Damaged };

    // `force` reads the file even when no change was announced.
    DWORD SyncLocked(bool force = false);
    DWORD ReadAll(HANDLE file, const FileHeader& h, uint64_t& end, uint64_t& seq, std::map<CEOID, Record>& recs,
                  CEOID& nextOid);
    DWORD SetAside();
    void MarkGone();
    void Apply(uint32_t kind, CEOID oid, Record&& rec);
    void Log(UINT type, CEOID oid);
    DWORD Commit(uint32_t kind, CEOID oid, const std::vector<Prop>& props);
    // Appends encoded entries and seals them with one commit slot.
    DWORD AppendLog(const std::vector<BYTE>& log, CommitSlot& slot, LONG& announced);
    // Takes the new end of the log after a successful append.
    void Committed(const CommitSlot& slot, LONG announced);
    void MaybeCompact();
    CEOID FreeOid() const;

    // Size and write time of the file as the engine last left it; anything
    // else means the file was changed from outside.
    struct Stamp {
        uint64_t size = 0;
        FILETIME written{};
        bool operator==(const Stamp& o) const {
            return size == o.size && CompareFileTime(&written, &o.written) == 0;
        }
    };
    static Stamp StampOf(HANDLE file);

    std::shared_ptr<Store> store_;
    Stamp stamp_;
    std::wstring key_, path_;
    uint32_t hash_ = 0;
    LONG seen_ = 0;
    State state_ = State::Ok;
    FileHeader header_{};
    uint64_t end_ = 0, seq_ = 0, liveBytes_ = 0, version_ = 0;
    CEOID nextOid_ = 1;
    std::map<CEOID, Record> records_;
    struct Cached {
        uint64_t version = ~0ull;
        std::vector<CEOID> oids;
    };
    std::array<Cached, CEDB_MAXSORTORDER + 1> orders_;
    std::deque<Change> changes_;
    uint64_t changeSeq_ = 0;
};

// Compares two records by one sort order: <0, 0 or >0.
int CompareBySort(const Record* a, const Record* b, const SORTORDERSPEC& sortOrder);
// Compares a stored value with a caller's value of the same type.
int CompareValues(const Prop* a, const Prop* b, const SORTORDERSPEC& sortOrder);
const Prop* FindProp(const Record& r, CEPROPID id);

}  // namespace cedb
