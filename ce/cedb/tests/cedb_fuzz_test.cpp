// Seeded random damage to real database files, read back through the calls.
// Nothing may crash, allocate by a count it read, or hang; a file that is
// refused is set aside whole and its name is free again; a file that opens
// reads, sorts, seeks and takes writes like any other.
//
// ZEN_FUZZ_SEED (default below), ZEN_FUZZ_ROUNDS (default a few seconds'
// worth) or ZEN_FUZZ_SECONDS (run until that many seconds have passed).
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ce/cedb/CeDbFormat.h"
#include "windbase.h"

using namespace cedbtest;

namespace {

constexpr unsigned long long kDefaultSeed = 20261207;
constexpr int kDefaultRounds = 250;
// Far above what any file of these sizes needs; a count believed blindly
// goes far beyond it (or aborts).
constexpr SIZE_T kMemoryCeiling = 512u << 20;

unsigned long long EnvNumber(const wchar_t* name, unsigned long long fallback) {
    wchar_t buf[32];
    DWORD n = GetEnvironmentVariableW(name, buf, 32);
    return (n > 0 && n < 32) ? wcstoull(buf, nullptr, 10) : fallback;
}

// splitmix64: the same sequence on every platform for a seed.
class Rng {
public:
    explicit Rng(unsigned long long seed) : x_(seed) {}
    unsigned long long Next() {
        unsigned long long z = (x_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // In [0, n); 0 when n is 0.
    size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }
    bool OneIn(size_t n) { return Below(n) == 0; }

private:
    unsigned long long x_;
};

void Put32(std::vector<BYTE>& b, size_t at, uint32_t v) {
    if (at + 4 <= b.size()) memcpy(b.data() + at, &v, 4);
}
void Put64(std::vector<BYTE>& b, size_t at, uint64_t v) {
    if (at + 8 <= b.size()) memcpy(b.data() + at, &v, 8);
}
uint32_t Get32(const std::vector<BYTE>& b, size_t at) {
    uint32_t v = 0;
    if (at + 4 <= b.size()) memcpy(&v, b.data() + at, 4);
    return v;
}

// Values that sit on the edges of counts, lengths and sizes.
uint32_t Edgy(Rng& rng, size_t fileSize) {
    const uint32_t values[] = {0,          1,          2,          3,          4,          7,
                               8,          0x7F,       0x80,       0xFF,       0x100,      0xFFFF,
                               0x10000,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF, CEDB_MAXPROPDATASIZE,
                               CEDB_MAXPROPDATASIZE + 1, cedb::kMaxEntryBytes, cedb::kMaxEntryBytes + 4,
                               CEDB_MAXNUMRECORDS,       static_cast<uint32_t>(fileSize),
                               static_cast<uint32_t>(fileSize + 4), static_cast<uint32_t>(fileSize - 4)};
    return rng.OneIn(6) ? static_cast<uint32_t>(rng.Next()) : values[rng.Below(sizeof values / sizeof values[0])];
}

// Offsets of the 32-bit fields of the entry at `at`: its size, kind, id and
// count, and the id and length of each property.
std::vector<size_t> EntryFields(const std::vector<BYTE>& b, size_t at) {
    std::vector<size_t> fields = {at + 4, at + 8, at + 12, at + 16};
    uint32_t size = Get32(b, at + 4), count = Get32(b, at + 16);
    size_t pos = at + 20;
    for (uint32_t i = 0; i < count && pos + 8 <= at + size - 4 && pos + 8 <= b.size(); ++i) {
        fields.push_back(pos);
        fields.push_back(pos + 4);
        pos += 8 + ((Get32(b, pos + 4) + 3) & ~3u);
    }
    return fields;
}

struct Mutation {
    std::string what;
    bool mustRefuse = false;  // damage the engine is certain to see
};

// One random change of the file; several may be stacked.
void Mutate(std::vector<BYTE>& b, const std::vector<std::vector<BYTE>>& seeds, Rng& rng, Mutation& m) {
    const FileLayout layout = LayoutOf(b);
    char note[96];
    // Only damage that nothing changed afterwards is certain to be seen.
    m.mustRefuse = false;
    switch (rng.Below(9)) {
    case 0: {  // one bit inside what the checksums cover: always seen
        if (!layout.valid) break;
        const size_t headerPart = offsetof(cedb::FileHeader, crc) + 4;
        const size_t logPart = layout.end - cedb::kHeaderBytes;
        if (headerPart + logPart == 0) break;
        size_t i = rng.Below(headerPart + logPart);
        size_t at = i < headerPart ? i : cedb::kHeaderBytes + (i - headerPart);
        b[at] ^= static_cast<BYTE>(1u << rng.Below(8));
        snprintf(note, sizeof note, "bit at %zu; ", at);
        m.what += note;
        m.mustRefuse = true;
        break;
    }
    case 1: {  // a few bits anywhere
        if (b.empty()) break;
        for (size_t n = 1 + rng.Below(8); n > 0; --n) b[rng.Below(b.size())] ^= static_cast<BYTE>(1u << rng.Below(8));
        m.what += "bits anywhere; ";
        break;
    }
    case 2: {  // cut short, or junk past the end
        if (rng.OneIn(2)) {
            size_t keep = rng.OneIn(3) && layout.valid ? cedb::kHeaderBytes + rng.Below(layout.end - cedb::kHeaderBytes + 1)
                                                       : rng.Below(b.size() + 1);
            b.resize(keep);
            snprintf(note, sizeof note, "cut to %zu; ", keep);
        } else {
            size_t more = 1 + rng.Below(300);
            for (size_t i = 0; i < more; ++i) b.push_back(static_cast<BYTE>(rng.Next()));
            snprintf(note, sizeof note, "%zu bytes of junk at the end; ", more);
        }
        m.what += note;
        break;
    }
    case 3:
    case 4: {  // an entry's count, size, id or property field, checksum right
        if (!layout.valid || layout.entries.empty()) break;
        size_t at = layout.entries[rng.Below(layout.entries.size())];
        std::vector<size_t> fields = EntryFields(b, at);
        size_t field = fields[rng.Below(fields.size())];
        uint32_t v = Edgy(rng, b.size());
        Put32(b, field, v);
        ResealEntry(b, at);
        snprintf(note, sizeof note, "entry %zu field +%zu = 0x%X resealed; ", at, field - at, v);
        m.what += note;
        break;
    }
    case 5: {  // a header field, checksum right
        if (b.size() < sizeof(cedb::FileHeader)) break;
        const size_t fields[] = {offsetof(cedb::FileHeader, dbOid),     offsetof(cedb::FileHeader, dbType),
                                 offsetof(cedb::FileHeader, firstFreeOid), offsetof(cedb::FileHeader, numSort),
                                 offsetof(cedb::FileHeader, sorts),     offsetof(cedb::FileHeader, sorts) + 4,
                                 offsetof(cedb::FileHeader, sorts) + 8, offsetof(cedb::FileHeader, sorts) + 24,
                                 offsetof(cedb::FileHeader, name),      offsetof(cedb::FileHeader, name) + 60,
                                 offsetof(cedb::FileHeader, generation)};
        size_t field = fields[rng.Below(sizeof fields / sizeof fields[0])];
        uint32_t v = Edgy(rng, b.size());
        // Sort specs: mostly a real type with a random number.
        if (field >= offsetof(cedb::FileHeader, sorts) && field < offsetof(cedb::FileHeader, name) && rng.OneIn(2)) {
            const WORD types[] = {CEVT_I2, CEVT_UI2, CEVT_I4, CEVT_UI4, CEVT_BOOL, CEVT_R8,
                                  CEVT_FILETIME, CEVT_LPWSTR, CEVT_BLOB, 0x77};
            v = (static_cast<uint32_t>(1 + rng.Below(6)) << 16) | types[rng.Below(10)];
        }
        Put32(b, field, v);
        ResealHeader(b);
        snprintf(note, sizeof note, "header +%zu = 0x%X resealed; ", field, v);
        m.what += note;
        break;
    }
    case 6: {  // a commit slot's end or sequence, checksum right
        if (!layout.valid) break;
        uint32_t slot = rng.OneIn(3) ? cedb::kSlotOffset[rng.Below(2)] : layout.slotOffset;
        uint64_t v = 0;
        switch (rng.Below(4)) {
        case 0: v = layout.end + rng.Below(64); break;
        case 1: v = cedb::kHeaderBytes + rng.Below(b.size()); break;
        case 2: v = Edgy(rng, b.size()); break;
        default: v = rng.Next(); break;
        }
        const size_t field = rng.OneIn(3) ? offsetof(cedb::CommitSlot, seq) : offsetof(cedb::CommitSlot, end);
        Put64(b, slot + field, v);
        ResealSlot(b, slot);
        snprintf(note, sizeof note, "slot %u +%zu = %llu resealed; ", slot, field, static_cast<unsigned long long>(v));
        m.what += note;
        break;
    }
    case 7: {  // a piece of another file spliced in
        const std::vector<BYTE>& other = seeds[rng.Below(seeds.size())];
        if (other.empty() || b.empty()) break;
        size_t from = rng.Below(other.size()), to = rng.Below(b.size());
        size_t n = 1 + rng.Below(std::min<size_t>(200, other.size() - from));
        if (to + n > b.size()) b.resize(to + n);
        memcpy(b.data() + to, other.data() + from, n);
        snprintf(note, sizeof note, "%zu bytes spliced at %zu; ", n, to);
        m.what += note;
        break;
    }
    default: {  // a whole new entry of random properties, committed properly
        if (!layout.valid) break;
        std::vector<cedb::Prop> props;
        const WORD types[] = {CEVT_I2, CEVT_I4, CEVT_LPWSTR, CEVT_BLOB, CEVT_FILETIME, CEVT_UI4, 0x33};
        for (size_t n = rng.Below(6); n > 0; --n) {
            cedb::Prop p;
            p.id = (static_cast<CEPROPID>(1 + rng.Below(6)) << 16) | types[rng.Below(7)];
            p.data.resize(rng.OneIn(8) ? rng.Below(5000) : rng.Below(12));
            for (BYTE& x : p.data) x = static_cast<BYTE>(rng.Next());
            props.push_back(std::move(p));
        }
        CEOID oid = rng.OneIn(4) ? static_cast<CEOID>(rng.Next()) : static_cast<CEOID>(1 + rng.Below(12));
        uint32_t kind = rng.OneIn(4) ? cedb::kEntryDelete : cedb::kEntryPut;
        AppendCommitted(b, cedb::EncodeEntry(kind, oid, kind == cedb::kEntryDelete ? std::vector<cedb::Prop>{} : props));
        snprintf(note, sizeof note, "new entry kind %u oid %lu with %zu properties; ", kind,
                 static_cast<unsigned long>(oid), props.size());
        m.what += note;
        break;
    }
    }
}

// Every property of a record read with the engine's allocation must lie in
// that allocation, strings ended.
bool RecordSane(const Read& r, std::string& why) {
    if (!r.props) return r.count == 0;
    const BYTE* base = reinterpret_cast<const BYTE*>(r.props);
    const SIZE_T size = LocalSize(r.props);
    auto inside = [&](const void* p, size_t n) {
        const BYTE* q = static_cast<const BYTE*>(p);
        return q >= base && n <= size && q - base <= static_cast<ptrdiff_t>(size - n);
    };
    if (!inside(r.props, sizeof(CEPROPVAL) * r.count)) {
        why = "property array outside its buffer";
        return false;
    }
    for (WORD i = 0; i < r.count; ++i) {
        const CEPROPVAL& v = r.props[i];
        if (!cedb::KnownType(TypeFromPropID(v.propid))) {
            why = "property of an unknown type returned";
            return false;
        }
        if (TypeFromPropID(v.propid) == CEVT_LPWSTR) {
            if (!v.val.lpwstr || v.wLenData < 2 || (v.wLenData & 1) || !inside(v.val.lpwstr, v.wLenData) ||
                v.val.lpwstr[v.wLenData / 2 - 1] != 0) {
                why = "string not whole and ended inside the buffer";
                return false;
            }
        } else if (TypeFromPropID(v.propid) == CEVT_BLOB && v.val.blob.dwCount &&
                   !inside(v.val.blob.lpb, v.val.blob.dwCount)) {
            why = "blob outside the buffer";
            return false;
        }
    }
    return true;
}

// Reads every record of an open handle from the first; false on a record
// that is not sane or a read that does not stop.
bool ReadAllSane(HANDLE h, size_t bound, size_t& records, std::string& why) {
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    records = 0;
    for (;;) {
        Read r;
        ReadNext(h, r);
        if (!r.oid) return true;
        if (!RecordSane(r, why)) return false;
        if (++records > bound) {
            why = "more records than the file can hold";
            return false;
        }
    }
}

class CeDbFuzz : public ::testing::Test {
protected:
    ScopedStore store{L"fuzz"};
};

// Real files, made through the calls: every type, updates and deletions,
// several sort orders, a file rewritten whole, an empty one.
std::vector<std::vector<BYTE>> MakeSeeds() {
    std::vector<std::vector<BYTE>> seeds;
    const wchar_t* names[] = {L"Seed Plain", L"Seed Sorted", L"Seed Rewritten", L"Seed Empty"};
    SORTORDERSPEC sorts[4] = {{0x0003001F, CEDB_SORT_CASEINSENSITIVE},
                              {0x00010003, CEDB_SORT_DESCENDING},
                              {0x00050040, 0},
                              {0x00060012, CEDB_SORT_UNKNOWNFIRST}};
    Create(names[0]);
    Create(names[1], 4, sorts);
    SetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", L"2048");
    Create(names[2]);
    Create(names[3]);
    for (int db = 0; db < 3; ++db) {
        HANDLE h = Open(names[db]);
        std::vector<CEOID> ids;
        for (LONG i = 0; i < (db == 2 ? 60 : 12); ++i) {
            wchar_t text[64];
            swprintf(text, 64, L"기록 %ld %ls", i * 7 % 5, i % 2 ? L"Abc" : L"abd");
            BYTE blob[40];
            for (int k = 0; k < 40; ++k) blob[k] = static_cast<BYTE>(i * 31 + k);
            CEPROPVAL v[] = {I4(1, i * 13 % 7), I2(2, static_cast<short>(-i)), Str(3, text),
                             Blob(4, blob, static_cast<DWORD>(i % 41)), Time(5, 0x01C0000000000000ull + i * 977),
                             UI4(7, 0xF0000000u + i)};
            CEPROPVAL ui2{};
            ui2.propid = 0x00060012;
            ui2.val.uiVal = static_cast<USHORT>(i * 3);
            CEPROPVAL r8{};
            r8.propid = 0x00080005;
            r8.val.dblVal = i * 0.25;
            CEPROPVAL extra[] = {ui2, r8};
            CEOID oid = CeWriteRecordProps(h, 0, static_cast<WORD>(i % 3 == 0 ? 3 : 6), v);
            if (i % 4 == 1) CeWriteRecordProps(h, oid, 2, extra);
            ids.push_back(oid);
            if (db == 2 && ids.size() > 4) {  // churn, so the file is rewritten
                CeDeleteRecord(h, ids.front());
                ids.erase(ids.begin());
            }
        }
        if (db != 2) {
            CeDeleteRecord(h, ids[3]);
            CEPROPVAL v = Str(3, L"바뀜");
            CeWriteRecordProps(h, ids[5], 1, &v);
        }
        CloseHandle(h);
    }
    SetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", nullptr);
    for (const wchar_t* name : names) seeds.push_back(Slurp(FileOf(name)));
    return seeds;
}

TEST_F(CeDbFuzz, DamagedFilesAreRefusedAndSetAsideAndNothingElseGoesWrong) {
    const unsigned long long seed = EnvNumber(L"ZEN_FUZZ_SEED", kDefaultSeed);
    const unsigned long long seconds = EnvNumber(L"ZEN_FUZZ_SECONDS", 0);
    const unsigned long long rounds = seconds ? ~0ull : EnvNumber(L"ZEN_FUZZ_ROUNDS", kDefaultRounds);
    const std::vector<std::vector<BYTE>> seeds = MakeSeeds();
    for (const auto& s : seeds) ASSERT_TRUE(LayoutOf(s).valid) << "a seed file is not as expected";

    const ULONGLONG start = GetTickCount64();
    unsigned long long done = 0, refused = 0;
    const std::wstring name = L"Fuzz Target";
    const std::wstring path = FileOf(name.c_str());
    for (; done < rounds; ++done) {
        if (seconds && GetTickCount64() - start >= seconds * 1000) break;
        Rng rng(seed * 0x100000001B3ull + done);
        std::vector<BYTE> bytes = seeds[rng.Below(seeds.size())];
        Mutation m;
        for (size_t n = 1 + (rng.OneIn(3) ? rng.Below(3) : 0); n > 0; --n) Mutate(bytes, seeds, rng, m);
        Spit(path, bytes);
        const std::string where = "round " + std::to_string(done) + " seed " + std::to_string(seed) + ": " + m.what;
        const ULONGLONG roundStart = GetTickCount64();

        SetLastError(0);
        HANDLE h = Open(name.c_str());
        if (h == INVALID_HANDLE_VALUE) {
            ++refused;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT)) << where;
            // Set aside byte for byte, and the name free again.
            std::vector<std::wstring> aside = store.FilesWith(L"damaged");
            EXPECT_EQ(aside.size(), 1u) << where;
            if (aside.size() == 1) {
                EXPECT_TRUE(Slurp(aside[0]) == bytes) << "set-aside file changed; " << where;
            }
            EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << where;
            EXPECT_NE(Create(name.c_str()), 0u) << where;
            for (const std::wstring& f : aside) DeleteFileW(f.c_str());
        } else {
            EXPECT_FALSE(m.mustRefuse) << "damage went unseen; " << where;
            // Read it all in the open order and in every sort order it has.
            const size_t bound = bytes.size() / 24 + 1;
            size_t count = 0;
            std::string why;
            EXPECT_TRUE(ReadAllSane(h, bound, count, why)) << why << "; " << where;
            cedb::FileHeader header;
            memcpy(&header, bytes.data(), sizeof header);
            for (uint32_t i = 0; i < header.numSort && i < CEDB_MAXSORTORDER; ++i) {
                HANDLE sorted = Open(name.c_str(), header.sorts[i].propid);
                if (sorted == INVALID_HANDLE_VALUE) continue;  // a sort on a type no one can seek by
                size_t n = 0;
                EXPECT_TRUE(ReadAllSane(sorted, bound, n, why)) << why << "; sort " << i << "; " << where;
                EXPECT_EQ(n, count) << "sort " << i << "; " << where;
                CEPROPVAL key{};
                key.propid = header.sorts[i].propid;
                if (TypeFromPropID(key.propid) == CEVT_LPWSTR) key.val.lpwstr = const_cast<LPWSTR>(L"기록");
                DWORD index = 0;
                CeSeekDatabase(sorted, CEDB_SEEK_VALUEGREATEROREQUAL, reinterpret_cast<DWORD_PTR>(&key), &index);
                CeSeekDatabase(sorted, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), &index);
                CloseHandle(sorted);
            }
            // It takes writes, and they read back.
            CEPROPVAL v[] = {I4(1, 424242), Str(3, L"새 기록")};
            CEOID added = CeWriteRecordProps(h, 0, 2, v);
            EXPECT_NE(added, 0u) << "write refused (" << GetLastError() << "); " << where;
            CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
            Read first;
            ReadNext(h, first);
            if (first.oid && first.oid != added) {
                CEPROPVAL change = I4(1, 7);
                EXPECT_NE(CeWriteRecordProps(h, first.oid, 1, &change), 0u) << where;
                EXPECT_TRUE(CeDeleteRecord(h, first.oid)) << where;
            }
            CloseHandle(h);
            h = Open(name.c_str());
            EXPECT_NE(h, INVALID_HANDLE_VALUE) << "refused after its own writes; " << where;
            if (h != INVALID_HANDLE_VALUE) {
                EXPECT_TRUE(ReadAllSane(h, bound + 1, count, why)) << why << "; " << where;
                EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CEOID, added, nullptr), added) << where;
                Read back;
                ReadNext(h, back);
                const CEPROPVAL* p = back.Find(0x00010003);
                EXPECT_TRUE(p && p->val.lVal == 424242) << where;
                CloseHandle(h);
            }
            EXPECT_TRUE(store.FilesWith(L"damaged").empty()) << where;
        }
        // Gone, and forgotten by the engine, before the next round.
        DeleteFileW(path.c_str());
        HANDLE none = Open(name.c_str());
        EXPECT_EQ(none, INVALID_HANDLE_VALUE) << where;
        EXPECT_LT(GetTickCount64() - roundStart, 10000u) << "a round took too long; " << where;

        PROCESS_MEMORY_COUNTERS mem{};
        mem.cb = sizeof mem;
        ASSERT_TRUE(GetProcessMemoryInfo(GetCurrentProcess(), &mem, sizeof mem));
        ASSERT_GT(mem.PeakPagefileUsage, 0u) << "no memory figures to check";
        EXPECT_LT(mem.PeakPagefileUsage, kMemoryCeiling) << "memory grew by a count read from the file; " << where;
        if (HasFailure()) break;
    }
    EXPECT_GT(refused, 0u);
    EXPECT_LT(refused, done);
    printf("fuzz cedb: rounds %llu seed %llu\n", done, seed);
    fflush(stdout);
}

}  // namespace
