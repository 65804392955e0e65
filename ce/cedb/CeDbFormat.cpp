#include "ce/cedb/CeDbFormat.h"

#include <cstring>

namespace cedb {
namespace {

constexpr char kMagic[8] = {'Z', 'C', 'E', 'D', 'B', '0', '1', 0};
constexpr uint32_t kEntryMagic = 0x52424443;  // "CDBR"
constexpr uint32_t kEntryFixed = 5 * 4;       // magic, size, kind, oid, count
constexpr uint32_t kPropFixed = 8;               // id, length

uint32_t Get32(const BYTE* p) {
    uint32_t v;
    memcpy(&v, p, 4);
    return v;
}

void Put32(std::vector<BYTE>& out, uint32_t v) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&v);
    out.insert(out.end(), p, p + 4);
}

}  // namespace

size_t FixedSize(WORD type) {
    switch (type) {
    case CEVT_I2:
    case CEVT_UI2: return 2;
    case CEVT_I4:
    case CEVT_UI4:
    case CEVT_BOOL: return 4;
    case CEVT_R8:
    case CEVT_FILETIME: return 8;
    default: return 0;
    }
}

bool KnownType(WORD type) { return FixedSize(type) || type == CEVT_LPWSTR || type == CEVT_BLOB; }

uint32_t Crc32(const void* data, size_t len, uint32_t crc) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
        ready = true;
    }
    const BYTE* p = static_cast<const BYTE*>(data);
    crc = ~crc;
    for (size_t i = 0; i < len; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void SealHeader(FileHeader& h) {
    memcpy(h.magic, kMagic, sizeof kMagic);
    h.headerBytes = kHeaderBytes;
    h.crc = Crc32(&h, offsetof(FileHeader, crc));
}

bool HeaderValid(const FileHeader& h) {
    return memcmp(h.magic, kMagic, sizeof kMagic) == 0 && h.headerBytes == kHeaderBytes &&
           h.numSort <= CEDB_MAXSORTORDER && h.dbOid != 0 &&
           h.crc == Crc32(&h, offsetof(FileHeader, crc));
}

void SealSlot(CommitSlot& s) { s.crc = Crc32(&s, offsetof(CommitSlot, crc)); }

bool SlotValid(const CommitSlot& s, uint64_t generation) {
    return s.generation == generation && s.end >= kHeaderBytes &&
           s.crc == Crc32(&s, offsetof(CommitSlot, crc));
}

std::vector<BYTE> EncodeEntry(uint32_t kind, CEOID oid, const std::vector<Prop>& props) {
    std::vector<BYTE> out;
    size_t size = kEntryFixed + 4;
    for (const Prop& p : props) size += 8 + ((p.data.size() + 3) & ~size_t(3));
    out.reserve(size);
    Put32(out, kEntryMagic);
    Put32(out, static_cast<uint32_t>(size));
    Put32(out, kind);
    Put32(out, oid);
    Put32(out, static_cast<uint32_t>(props.size()));
    for (const Prop& p : props) {
        Put32(out, p.id);
        Put32(out, static_cast<uint32_t>(p.data.size()));
        out.insert(out.end(), p.data.begin(), p.data.end());
        out.resize((out.size() + 3) & ~size_t(3), 0);
    }
    Put32(out, Crc32(out.data(), out.size()));
    return out;
}

uint32_t DecodeEntry(const BYTE* base, size_t len, size_t pos, Entry& out) {
    if (pos > len || len - pos < kEntryFixed + 4) return 0;
    const BYTE* p = base + pos;
    uint32_t size = Get32(p + 4);
    if (Get32(p) != kEntryMagic || size < kEntryFixed + 4 || size > kMaxEntryBytes || (size & 3) ||
        size > len - pos)
        return 0;
    if (Crc32(p, size - 4) != Get32(p + size - 4)) return 0;
    out.kind = Get32(p + 8);
    out.oid = Get32(p + 12);
    uint32_t count = Get32(p + 16);
    if ((out.kind != kEntryPut && out.kind != kEntryDelete) || out.oid == 0) return 0;
    // A count is only believed as far as the entry has room for it: a
    // checksum says the bytes are as written, not that they are sane.
    const uint32_t room = size - 4 - kEntryFixed;
    if (count > room / kPropFixed || count > kMaxProps || (out.kind == kEntryDelete && count)) return 0;
    out.record.props.clear();
    out.record.props.reserve(count);
    size_t at = kEntryFixed;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + kPropFixed > size - 4) return 0;
        Prop prop;
        prop.id = Get32(p + at);
        uint32_t n = Get32(p + at + 4);
        at += kPropFixed;
        if (n > size - 4 - at || n > CEDB_MAXPROPDATASIZE) return 0;
        // Values must be what a write can store: a known type, fixed sizes
        // exact, strings whole UTF-16 characters.
        const WORD type = TypeFromPropID(prop.id);
        if (!KnownType(type)) return 0;
        if (size_t fixed = FixedSize(type)) {
            if (n != fixed) return 0;
        } else if (type == CEVT_LPWSTR && (n & 1)) {
            return 0;
        }
        prop.data.assign(p + at, p + at + n);
        at += (n + 3) & ~size_t(3);
        out.record.props.push_back(std::move(prop));
    }
    if (at != size - 4) return 0;
    out.record.crc = Get32(p + size - 4);
    out.record.bytes = size;
    return size;
}

}  // namespace cedb
