#pragma once
// The Xing (VBR) header a encoder puts into the first frame of a stream, where
// the side information of an otherwise empty Layer III frame ends.
#include <mad.h>

#include <cstddef>
#include <cstdint>

struct MeloxXing {
    enum { kFrames = 1, kBytes = 2, kToc = 4, kScale = 8 };
    uint32_t flags;
    uint32_t frames;
    uint32_t bytes;
    unsigned char toc[100];
    uint32_t scale;
};

// Reads the header from the given bits; false (and flags 0) when there is none.
bool MeloxParseXing(MeloxXing& xing, mad_bitptr ptr, unsigned int bitlen);

// Looks for the header in the frame of `length` bytes at `frame`, whose header
// libmad has decoded: after the side information (and the CRC word, if the
// frame has one, or where it would be without it). False (and flags 0) when the
// frame is not such a tag frame.
bool MeloxFindXing(MeloxXing& xing, const mad_header& header, const unsigned char* frame, size_t length);
