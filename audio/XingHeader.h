#pragma once
// The Xing (VBR) header a encoder puts into the ancillary data of the first frame.
#include <mad.h>

#include <cstdint>

struct MeloxXing {
    enum { kFrames = 1, kBytes = 2, kToc = 4, kScale = 8 };
    uint32_t flags;
    uint32_t frames;
    uint32_t bytes;
    unsigned char toc[100];
    uint32_t scale;
};

// Reads the header from the ancillary bits; false (and flags 0) when there is none.
bool MeloxParseXing(MeloxXing& xing, mad_bitptr ptr, unsigned int bitlen);
