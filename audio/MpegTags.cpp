#include "audio/MpegTags.h"

#include <cstring>

namespace {

// Four 7-bit bytes, most significant first; 0 with any high bit set.
bool SyncSafe(const unsigned char* p, uint32_t& value)
{
    if ((p[0] | p[1] | p[2] | p[3]) & 0x80)
        return false;
    value = (uint32_t(p[0]) << 21) | (uint32_t(p[1]) << 14) | (uint32_t(p[2]) << 7) | p[3];
    return true;
}

uint32_t Id3v2Common(const unsigned char* p, const char* magic)
{
    if (std::memcmp(p, magic, 3) != 0)
        return 0;
    const unsigned major = p[3], revision = p[4], flags = p[5];
    if (major < 2 || major > 4 || revision == 0xFF)
        return 0;
    uint32_t body = 0;
    if (!SyncSafe(p + 6, body))
        return 0;
    // Only version 4 has a footer; it repeats the header after the body.
    const uint32_t footer = (major == 4 && (flags & 0x10)) ? 10 : 0;
    return 10 + body + footer;
}

}  // namespace

uint32_t MeloxId3v2Size(const unsigned char h[10])
{
    return Id3v2Common(h, "ID3");
}

uint32_t MeloxId3v2FooterSize(const unsigned char f[10])
{
    // A footer only exists with the footer flag, so the size always counts it.
    if (f[3] != 4 || !(f[5] & 0x10))
        return 0;
    return Id3v2Common(f, "3DI");
}

uint32_t MeloxApeFooterSize(const unsigned char f[32])
{
    if (std::memcmp(f, "APETAGEX", 8) != 0)
        return 0;
    const auto le32 = [](const unsigned char* p) {
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    };
    const uint32_t size = le32(f + 12);  // items and footer
    const uint32_t flags = le32(f + 20);
    if (size < 32 || size > 0x7FFFFFFFu)
        return 0;
    return size + ((flags & 0x80000000u) ? 32 : 0);  // with its header
}

bool MeloxIsId3v1(const unsigned char t[3])
{
    return std::memcmp(t, "TAG", 3) == 0;
}
