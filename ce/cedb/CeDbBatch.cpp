// Many new records in one commit: the entries go to the log one after the
// other and a single commit slot makes them count together, so a batch costs
// one flush pair instead of one per record.
#include "ce/cedb/CeDbFile.h"

#include <cstring>

namespace cedb {

DWORD Database::PutNew(const std::vector<std::vector<Prop>>& records, std::vector<CEOID>& written) {
    written.clear();
    if (records.empty()) return 0;
    StoreLock lock(*store_);
    if (DWORD e = SyncLocked(true)) return e;
    if (records.size() > CEDB_MAXNUMRECORDS - records_.size()) return ERROR_DISK_FULL;
    std::vector<BYTE> log;
    std::vector<std::pair<size_t, size_t>> spans;  // each entry's place in `log`
    for (size_t i = 0; i < records.size(); ++i) {
        std::vector<BYTE> entry = EncodeEntry(kEntryPut, nextOid_ + static_cast<CEOID>(i), records[i]);
        if (entry.size() > CEDB_MAXRECORDSIZE + 4096) return ERROR_INVALID_PARAMETER;
        if (log.size() + entry.size() > 0x7FFFFFFF) return ERROR_INVALID_PARAMETER;
        spans.emplace_back(log.size(), entry.size());
        log.insert(log.end(), entry.begin(), entry.end());
    }
    HANDLE f = CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) {
            MarkGone();
            return ERROR_INVALID_HANDLE;
        }
        return e;
    }
    CommitSlot slot{header_.generation, seq_ + 1, end_ + log.size(), 0};
    SealSlot(slot);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(end_);
    at.OffsetHigh = static_cast<DWORD>(end_ >> 32);
    OVERLAPPED slotAt{};
    slotAt.Offset = kSlotOffset[slot.seq & 1];
    DWORD put = 0, slotPut = 0;
    bool ok = WriteFile(f, log.data(), static_cast<DWORD>(log.size()), &put, &at) && put == log.size() &&
              FlushFileBuffers(f) && WriteFile(f, &slot, sizeof slot, &slotPut, &slotAt) && slotPut == sizeof slot &&
              FlushFileBuffers(f);
    DWORD err = ok ? 0 : (GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
    if (ok) stamp_ = StampOf(f);
    CloseHandle(f);
    if (!ok) return err;
    for (size_t i = 0; i < records.size(); ++i) {
        Record rec;
        rec.props = records[i];
        rec.bytes = static_cast<uint32_t>(spans[i].second);
        memcpy(&rec.crc, log.data() + spans[i].first + spans[i].second - 4, 4);
        CEOID oid = nextOid_;
        Apply(kEntryPut, oid, std::move(rec));
        written.push_back(oid);
    }
    end_ = slot.end;
    seq_ = slot.seq;
    seen_ = store_->Bump(hash_);
    store_->WakeListeners();
    MaybeCompact();
    return 0;
}

}  // namespace cedb
