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
    // Ids as single writes give them: never one a record already has.
    std::vector<CEOID> oids;
    oids.reserve(records.size());
    CEOID next = FreeOid();
    for (size_t i = 0; i < records.size(); ++i) {
        while (next == 0 || records_.count(next)) ++next;
        oids.push_back(next++);
        std::vector<BYTE> entry = EncodeEntry(kEntryPut, oids[i], records[i]);
        if (entry.size() > kMaxEntryBytes) return ERROR_INVALID_PARAMETER;
        if (log.size() + entry.size() > 0x7FFFFFFF) return ERROR_INVALID_PARAMETER;
        spans.emplace_back(log.size(), entry.size());
        log.insert(log.end(), entry.begin(), entry.end());
    }
    CommitSlot slot{};
    LONG announced = 0;
    if (DWORD e = AppendLog(log, slot, announced)) return e;
    for (size_t i = 0; i < records.size(); ++i) {
        Record rec;
        rec.props = records[i];
        rec.bytes = static_cast<uint32_t>(spans[i].second);
        memcpy(&rec.crc, log.data() + spans[i].first + spans[i].second - 4, 4);
        Apply(kEntryPut, oids[i], std::move(rec));
        written.push_back(oids[i]);
    }
    Committed(slot, announced);
    return 0;
}

}  // namespace cedb
