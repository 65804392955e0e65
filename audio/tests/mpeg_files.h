#pragma once
// MPEG test files read independently of the decoder, and draining a decoder.
#include "test_files.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CCeMDecoder;

namespace audiotest {

// Every sample the decoder delivers, in blocks of `block` bytes.
std::vector<int16_t> DecodeAll(CCeMDecoder& d, unsigned long block = 16384);
// The frame count (and, unless toc is null, the table of contents) of the
// file's Xing/Info header; false when it has none (or no table when one is asked).
bool ReadToc(const Bytes& file, unsigned char toc[100], uint32_t* frames);
// Byte offsets of the frames as libmad finds them.
std::vector<size_t> FrameOffsets(Bytes file);

}  // namespace audiotest
