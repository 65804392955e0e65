#include "audio/XingHeader.h"

#include <initializer_list>

namespace {
uint32_t Tag(char a, char b, char c, char d)
{
    return (uint32_t(uint8_t(a)) << 24) | (uint8_t(b) << 16) | (uint8_t(c) << 8) | uint8_t(d);
}
}  // namespace

bool MeloxParseXing(MeloxXing& xing, mad_bitptr ptr, unsigned int bitlen)
{
    xing.flags = 0;
    if (bitlen < 64)
        return false;
    const uint32_t magic = mad_bit_read(&ptr, 32);
    // "Info" is the same header written for constant-bitrate files.
    if (magic != Tag('X', 'i', 'n', 'g') && magic != Tag('I', 'n', 'f', 'o'))
        return false;
    const uint32_t flags = mad_bit_read(&ptr, 32);
    bitlen -= 64;
    if (flags & MeloxXing::kFrames) {
        if (bitlen < 32)
            return false;
        xing.frames = mad_bit_read(&ptr, 32);
        bitlen -= 32;
    }
    if (flags & MeloxXing::kBytes) {
        if (bitlen < 32)
            return false;
        xing.bytes = mad_bit_read(&ptr, 32);
        bitlen -= 32;
    }
    if (flags & MeloxXing::kToc) {
        if (bitlen < 800)
            return false;
        for (int i = 0; i < 100; ++i)
            xing.toc[i] = (unsigned char)mad_bit_read(&ptr, 8);
        bitlen -= 800;
    }
    if (flags & MeloxXing::kScale) {
        if (bitlen < 32)
            return false;
        xing.scale = mad_bit_read(&ptr, 32);
        bitlen -= 32;
    }
    xing.flags = flags & (MeloxXing::kFrames | MeloxXing::kBytes | MeloxXing::kToc | MeloxXing::kScale);
    return true;
}

bool MeloxFindXing(MeloxXing& xing, const mad_header& header, const unsigned char* frame, size_t length)
{
    xing.flags = 0;
    if (header.layer != MAD_LAYER_III || !frame)
        return false;
    const bool mono = header.mode == MAD_MODE_SINGLE_CHANNEL;
    size_t sideInfo;
    if (header.flags & MAD_FLAG_LSF_EXT)
        sideInfo = mono ? 9 : 17;
    else
        sideInfo = mono ? 17 : 32;
    // After the CRC word where the frame has one; encoders also write it there
    // as if the frame had none.
    const bool crc = (header.flags & MAD_FLAG_PROTECTION) != 0;
    for (size_t at : {4 + (crc ? 2 : 0) + sideInfo, 4 + sideInfo}) {
        if (length < at + 8)
            continue;
        mad_bitptr ptr;
        mad_bit_init(&ptr, frame + at);
        if (MeloxParseXing(xing, ptr, unsigned((length - at) * 8)))
            return true;
    }
    return false;
}
