// libmad on malformed frames: every buffer it reads or writes ends at a page that
// may not be touched, so any read or write past the end ends this process.
// Each stream here runs past its buffer with libmad as released.
#include <gtest/gtest.h>

#include "guarded_block.h"

#include <mad.h>
#include <windows.h>

#include <cstring>
#include <vector>

using audiotest::GuardedBlock;

namespace {

// MSB-first bit writer for crafting frames.
class Bits {
public:
    void Put(unsigned value, int count)
    {
        for (int i = count - 1; i >= 0; --i) {
            if (bit_ == 0)
                bytes.push_back(0);
            if ((value >> i) & 1)
                bytes.back() |= uint8_t(0x80 >> bit_);
            bit_ = (bit_ + 1) % 8;
        }
    }
    std::vector<uint8_t> bytes;

private:
    int bit_ = 0;
};

struct Outcome {
    int decoded = 0;
    std::vector<mad_error> errors;
};

// Decodes `stream` placed at the very end of guarded memory (after it only the
// guard bytes libmad asks for), with the Layer III reservoir guarded as well.
Outcome DecodeGuarded(const std::vector<uint8_t>& frames)
{
    const size_t size = frames.size() + MAD_BUFFER_GUARD;
    GuardedBlock input(size);
    std::memcpy(input.data(), frames.data(), frames.size());
    std::memset(input.data() + frames.size(), 0, MAD_BUFFER_GUARD);
    GuardedBlock reservoir(MAD_BUFFER_MDLEN);

    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_synth_init(&synth);
    stream.main_data = reinterpret_cast<unsigned char(*)[MAD_BUFFER_MDLEN]>(reservoir.data());
    mad_stream_buffer(&stream, input.data(), size);

    Outcome out;
    for (int guard = 0; guard < 1000; ++guard) {
        if (mad_frame_decode(&frame, &stream) == 0) {
            ++out.decoded;
            mad_synth_frame(&synth, &frame);
            continue;
        }
        out.errors.push_back(stream.error);
        if (!MAD_RECOVERABLE(stream.error))
            break;
    }
    stream.main_data = nullptr;  // ours, not libmad's to free
    mad_synth_finish(&synth);
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    return out;
}

bool Has(const Outcome& o, mad_error e)
{
    for (mad_error x : o.errors)
        if (x == e)
            return true;
    return false;
}

std::vector<uint8_t> Fill(std::vector<uint8_t> header, size_t frameSize, uint8_t with)
{
    header.resize(frameSize, with);
    return header;
}

TEST(LibmadGuard, LayerIAllocationLargerThanTheFrameIsRefused)
{
    // 32 kbit/s at 48 kHz, stereo: a 32-byte frame whose allocation (15 bits for
    // every sample) asks for about 1.5 KiB of scalefactors and samples.
    const Outcome o = DecodeGuarded(Fill({0xFF, 0xFF, 0x14, 0x00}, 32, 0xEE));
    EXPECT_EQ(0, o.decoded);
    EXPECT_TRUE(Has(o, MAD_ERROR_BADFRAMELEN));
    EXPECT_EQ(MAD_ERROR_BUFLEN, o.errors.back());
}

TEST(LibmadGuard, LayerIIAllocationLargerThanTheFrameIsRefused)
{
    // 32 kbit/s at 48 kHz, mono: 96 bytes, every subband allocated to the maximum.
    const Outcome o = DecodeGuarded(Fill({0xFF, 0xFD, 0x14, 0xC0}, 96, 0xEE));
    EXPECT_EQ(0, o.decoded);
    EXPECT_TRUE(Has(o, MAD_ERROR_BADFRAMELEN));
    EXPECT_EQ(MAD_ERROR_BUFLEN, o.errors.back());
}

std::vector<uint8_t> LayerIIIMono(unsigned bitrateIndex, unsigned rateIndex, unsigned mainDataBegin,
                                  unsigned part23, unsigned bigValues, unsigned table, size_t frameSize,
                                  uint8_t fill, unsigned part23Second = ~0u, unsigned sfCompressSecond = 0)
{
    Bits b;
    b.Put(0xFFFB, 16);  // sync, MPEG-1, Layer III, no CRC
    b.Put(bitrateIndex, 4);
    b.Put(rateIndex, 2);
    b.Put(0, 2);      // no padding, private
    b.Put(0xC0, 8);   // single channel
    b.Put(mainDataBegin, 9);
    b.Put(0, 5);  // private bits
    b.Put(0, 4);  // scfsi
    for (int gr = 0; gr < 2; ++gr) {
        b.Put(gr == 1 && part23Second != ~0u ? part23Second : part23, 12);
        b.Put(bigValues, 9);
        b.Put(210, 8);                          // global gain
        b.Put(gr == 1 ? sfCompressSecond : 0, 4);  // scalefac_compress
        b.Put(0, 1);    // no window switching
        for (int r = 0; r < 3; ++r)
            b.Put(table, 5);
        b.Put(7, 4);  // region0_count
        b.Put(3, 3);  // region1_count
        b.Put(0, 3);  // preflag, scalefac_scale, count1table_select
    }
    std::vector<uint8_t> frame = b.bytes;  // 4 + 17 bytes
    frame.resize(frameSize, fill);
    return frame;
}

TEST(LibmadGuard, LayerIIIGranulesLongerThanTheMainDataAreRefused)
{
    // 96 bytes (32 kbit/s, 48 kHz) whose granules claim 2 x 4095 bits.
    const Outcome o = DecodeGuarded(LayerIIIMono(1, 1, 0, 4095, 288, 15, 96, 0xAA));
    EXPECT_EQ(0, o.decoded);
    EXPECT_TRUE(Has(o, MAD_ERROR_BADPART3LEN));
    EXPECT_EQ(MAD_ERROR_BUFLEN, o.errors.back());
}

TEST(LibmadGuard, LayerIIIFreeFormatFrameBehindAFullReservoirIsRefused)
{
    // Two free-format frames of 2,880 bytes at 32 kHz (640 kbit/s). The first
    // decodes and leaves 511 bytes in the reservoir for the second, whose main
    // data would then be copied behind them: 511 + 2,859 bytes into a buffer of
    // MAD_BUFFER_MDLEN.
    std::vector<uint8_t> a = LayerIIIMono(0, 2, 0, 0, 0, 0, 2880, 0x00);
    std::vector<uint8_t> b = LayerIIIMono(0, 2, 511, 0, 0, 0, 2880, 0x00);
    a.insert(a.end(), b.begin(), b.end());
    const Outcome o = DecodeGuarded(a);
    EXPECT_EQ(1, o.decoded);
    EXPECT_TRUE(Has(o, MAD_ERROR_BADDATAPTR));
    EXPECT_EQ(MAD_ERROR_BUFLEN, o.errors.back());
}

TEST(LibmadGuard, LayerIIIScalefactorsPastTheFrameStayWithinTheGuard)
{
    // The first granule takes all 600 bits of main data; the second has no bits
    // but asks for 74 bits of scalefactors, read from the end of the frame on
    // before the mismatch is noticed: more than 8 guard bytes.
    const Outcome o = DecodeGuarded(LayerIIIMono(1, 1, 0, 600, 0, 0, 96, 0xFF, 0, 15));
    EXPECT_EQ(0, o.decoded);
    EXPECT_TRUE(Has(o, MAD_ERROR_BADPART3LEN));
}

TEST(LibmadGuard, WellFormedFramesStillDecode)
{
    // The same 96-byte frame shape with granules that fit: decodes, no error.
    std::vector<uint8_t> stream;
    for (int i = 0; i < 4; ++i) {
        std::vector<uint8_t> f = LayerIIIMono(1, 1, 0, 100, 8, 1, 96, 0x00);
        stream.insert(stream.end(), f.begin(), f.end());
    }
    const Outcome o = DecodeGuarded(stream);
    EXPECT_EQ(4, o.decoded);
    // Only the end of the data (the zero guard bytes are no frame) is reported.
    for (mad_error e : o.errors)
        EXPECT_TRUE(e == MAD_ERROR_LOSTSYNC || e == MAD_ERROR_BUFLEN) << std::hex << e;
    EXPECT_EQ(MAD_ERROR_BUFLEN, o.errors.back());
}

}  // namespace
