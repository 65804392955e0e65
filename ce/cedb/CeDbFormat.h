#pragma once
// On-disk layout of one database file.
//
//   [0, 512)    file header (fixed, written once when the file is made)
//   256, 320    two commit slots; the valid one with the higher sequence
//               number says where the committed log ends
//   [512, end)  log of entries: a whole record (put) or a deletion
//
// An append writes the entry past the committed end and only then the
// commit slot, each flushed. A kill between the two leaves bytes past the
// committed end, which readers ignore and the next append overwrites.
// Anything wrong inside the committed part is damage.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "windbase.h"

namespace cedb {

constexpr uint32_t kHeaderBytes = 512;
constexpr uint32_t kSlotOffset[2] = {256, 320};
constexpr uint32_t kEntryPut = 1;
constexpr uint32_t kEntryDelete = 2;
// Largest stored entry: a record at the size limit plus its framing.
constexpr uint32_t kMaxEntryBytes = CEDB_MAXRECORDSIZE + 4096;
// Most properties one record can hold (the read call counts them in 16 bits).
constexpr uint32_t kMaxProps = 0xFFFF;

// Bytes of a value of a fixed-size type; 0 for strings, blobs and unknown types.
size_t FixedSize(WORD type);
bool KnownType(WORD type);

uint32_t Crc32(const void* data, size_t len, uint32_t crc = 0);

#pragma pack(push, 4)
struct FileHeader {
    char magic[8];
    uint32_t headerBytes;
    uint32_t dbOid;
    uint32_t dbType;
    uint32_t firstFreeOid;  // record ids below this were handed out before
    uint32_t numSort;
    SORTORDERSPEC sorts[CEDB_MAXSORTORDER];
    WCHAR name[CEDB_MAXDBASENAMELEN];
    uint64_t generation;  // new for every rewrite of the file
    FILETIME created;
    uint32_t crc;
};

struct CommitSlot {
    uint64_t generation;
    uint64_t seq;
    uint64_t end;
    uint32_t crc;
};
#pragma pack(pop)

void SealHeader(FileHeader& h);
bool HeaderValid(const FileHeader& h);
void SealSlot(CommitSlot& s);
bool SlotValid(const CommitSlot& s, uint64_t generation);

// One stored property: id (with type) and its value bytes. Strings are kept
// as UTF-16 without the terminating zero.
struct Prop {
    CEPROPID id;
    std::vector<BYTE> data;
};

struct Record {
    std::vector<Prop> props;
    uint32_t crc = 0;    // of the stored entry, to tell changed records apart
    uint32_t bytes = 0;  // size of the stored entry
};

// A decoded log entry.
struct Entry {
    uint32_t kind = 0;
    CEOID oid = 0;
    Record record;
};

std::vector<BYTE> EncodeEntry(uint32_t kind, CEOID oid, const std::vector<Prop>& props);

// Decodes the entry at `pos` of [base, base+len). Returns its size, or 0
// when the bytes there are not one whole, intact entry.
uint32_t DecodeEntry(const BYTE* base, size_t len, size_t pos, Entry& out);

}  // namespace cedb
