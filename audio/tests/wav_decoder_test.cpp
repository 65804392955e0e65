// The WAV decoder: which files it takes, what it says about them, and that it
// hands out exactly the stored samples.
#include <gtest/gtest.h>

#include "audio/CCeMWavDecoder.h"
#include "test_files.h"

using namespace audiotest;

namespace {

Bytes Ramp(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 7 + 3);
    return b;
}

Bytes DrainAll(CCeMWavDecoder& d, DWORD block = 1000)
{
    Bytes all;
    std::vector<BYTE> buf(block);
    for (int i = 0; i < 100000; ++i) {
        DWORD len = block;
        const int more = d.GetPCMBlock(buf.data(), &len);
        EXPECT_LE(len, block);
        all.insert(all.end(), buf.begin(), buf.begin() + len);
        if (!more)
            break;
    }
    return all;
}

struct WavDecoderTest : ::testing::Test {
    CCeMWavDecoder dec;
    const std::wstring path = L"wav-under-test.wav";
    void SetUp() override { ASSERT_EQ(1, dec.Initialize()); }
    void TearDown() override
    {
        dec.Uninitialize();
        DeleteFileW(path.c_str());
    }
    int Open(const Bytes& file)
    {
        dec.CloseFile();
        EXPECT_TRUE(WriteAll(path, file));
        return dec.OpenFile(path.c_str());
    }
};

TEST_F(WavDecoderTest, CanonicalFileDeliversTheSamplesAfterTheHeader)
{
    const Bytes data = Ramp(10000);
    const Bytes file = MakeWav(WavLayout{}, data);
    ASSERT_EQ(44u, file.size() - data.size());
    ASSERT_EQ(1, Open(file));
    CCeAudioFileInfo info;
    EXPECT_EQ(1, dec.GetFileInfo(&info));
    EXPECT_EQ(44100, info.nSampleRate);
    EXPECT_EQ(1, info.bStereo);
    EXPECT_EQ(1, info.b16Bit);
    EXPECT_EQ(0, info.nBitrate);
    BYTE first[4];
    DWORD len = sizeof first;
    EXPECT_EQ(1, dec.GetPCMBlock(first, &len));
    ASSERT_EQ(4u, len);
    EXPECT_EQ(0, memcmp(first, data.data(), 4));
    Bytes rest = DrainAll(dec, 3000);
    rest.insert(rest.begin(), first, first + 4);
    EXPECT_EQ(data, rest);
    EXPECT_EQ(0, dec.GetCurrentPos_secs());
    EXPECT_EQ(0, dec.Seek(1, 2));
}

TEST_F(WavDecoderTest, RoomForPartOfASampleFrameNeverShiftsTheSamples)
{
    const Bytes data = Ramp(10000);  // 16-bit stereo: 4-byte frames
    ASSERT_EQ(1, Open(MakeWav(WavLayout{}, data)));
    BYTE small[3];
    DWORD len = sizeof small;
    EXPECT_EQ(1, dec.GetPCMBlock(small, &len)) << "less than a frame of room is not the end";
    EXPECT_EQ(0u, len);
    EXPECT_EQ(data, DrainAll(dec, 1001)) << "whole frames in every block, none lost";
}

TEST_F(WavDecoderTest, FormatsAndTheirFlags)
{
    struct Case {
        uint16_t channels, bits;
        int stereo, is16;
    } cases[] = {{1, 8, 0, 0}, {2, 8, 1, 0}, {1, 16, 0, 1}, {2, 16, 1, 1}};
    for (const Case& c : cases) {
        WavLayout s;
        s.channels = c.channels;
        s.bits = c.bits;
        s.rate = 8000;
        const Bytes data = Ramp(4000);
        ASSERT_EQ(1, Open(MakeWav(s, data))) << c.channels << "x" << c.bits;
        CCeAudioFileInfo info;
        dec.GetFileInfo(&info);
        EXPECT_EQ(c.stereo, info.bStereo);
        EXPECT_EQ(c.is16, info.b16Bit);
        EXPECT_EQ(8000, info.nSampleRate);
        EXPECT_EQ(data, DrainAll(dec));
    }
}

TEST_F(WavDecoderTest, ExtraChunksAndLongFormatChunksAreSkipped)
{
    WavLayout s;
    s.fmtSize = 18;  // with the extra-size word
    const Bytes data = Ramp(2000);
    Bytes file = MakeWav(s, {});
    file.resize(file.size() - 8);  // drop the empty data chunk
    AppendChunk(file, "LIST", Bytes(26, 'x'));
    AppendChunk(file, "fact", {1, 0, 0, 0});
    AppendChunk(file, "data", data);
    AppendChunk(file, "id3 ", Bytes(100, 0x55));  // after the data: not sound
    ASSERT_EQ(1, Open(file));
    EXPECT_EQ(data, DrainAll(dec));

    // A chunk before "fmt " is passed over too.
    Bytes early = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(early, "JUNK", Bytes(12, 0));
    const Bytes canon = MakeWav(WavLayout{}, data);
    early.insert(early.end(), canon.begin() + 12, canon.end());
    ASSERT_EQ(1, Open(early));
    EXPECT_EQ(data, DrainAll(dec));
}

// The extensible format block (tag 0xFFFE) with the given sub-format.
Bytes Extensible(uint16_t channels, uint16_t bits, uint16_t validBits, uint8_t subFormat, const Bytes& data)
{
    WavLayout s;
    s.formatTag = 0xFFFE;
    s.channels = channels;
    s.bits = bits;
    s.fmtSize = 40;
    Bytes file = MakeWav(s, data);
    // After the 16 classic bytes at 20: extra size 22, valid bits, channel mask, GUID.
    const uint8_t ext[24] = {22, 0, uint8_t(validBits), 0, 3, 0, 0, 0, subFormat, 0, 0, 0, 0, 0, 0x10, 0,
                             0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    std::copy(ext, ext + sizeof ext, file.begin() + 36);
    return file;
}

TEST_F(WavDecoderTest, ExtensibleFormatWithPcmInsideIsPlayed)
{
    const Bytes data = Ramp(4000);
    ASSERT_EQ(1, Open(Extensible(2, 16, 16, 1, data)));
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    EXPECT_EQ(1, info.bStereo);
    EXPECT_EQ(1, info.b16Bit);
    EXPECT_EQ(data, DrainAll(dec));
    ASSERT_EQ(1, Open(Extensible(1, 16, 12, 1, data))) << "12 valid bits in a 16-bit container";
    EXPECT_EQ(data, DrainAll(dec));
    EXPECT_EQ(0, Open(Extensible(2, 16, 16, 3, data))) << "floating point inside";
    EXPECT_EQ(0, Open(Extensible(2, 16, 20, 1, data))) << "more valid bits than the container";
    Bytes cut = Extensible(2, 16, 16, 1, data);
    cut[36] = 10;  // extra size too small for the sub-format
    EXPECT_EQ(0, Open(cut));
}

TEST_F(WavDecoderTest, OddSizedChunksAreFollowedByAPadByte)
{
    const Bytes data = Ramp(3000);
    const Bytes canon = MakeWav(WavLayout{}, data);
    // "fmt ", then a 7-byte chunk with its pad byte, then "data".
    Bytes file(canon.begin(), canon.begin() + 36);
    AppendChunk(file, "LIST", Bytes(7, 'x'));
    file.push_back(0);
    file.insert(file.end(), canon.begin() + 36, canon.end());
    ASSERT_EQ(1, Open(file));
    EXPECT_EQ(data, DrainAll(dec));

    // Before "fmt " as well.
    Bytes early = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(early, "JUNK", Bytes(3, 0));
    early.push_back(0);
    early.insert(early.end(), canon.begin() + 12, canon.end());
    ASSERT_EQ(1, Open(early));
    EXPECT_EQ(data, DrainAll(dec));

    // A writer that left the pad byte out is still understood.
    Bytes unpadded(canon.begin(), canon.begin() + 36);
    AppendChunk(unpadded, "LIST", Bytes(7, 'x'));
    unpadded.insert(unpadded.end(), canon.begin() + 36, canon.end());
    ASSERT_EQ(1, Open(unpadded));
    EXPECT_EQ(data, DrainAll(dec));
}

TEST_F(WavDecoderTest, WhatCannotBePlayedIsRefused)
{
    WavLayout floatFmt;
    floatFmt.formatTag = 3;
    floatFmt.bits = 32;
    WavLayout adpcm;
    adpcm.formatTag = 2;
    adpcm.bits = 4;
    WavLayout quad;
    quad.channels = 4;
    WavLayout deep;
    deep.bits = 24;
    for (const WavLayout& s : {floatFmt, adpcm, quad, deep})
        EXPECT_EQ(0, Open(MakeWav(s, Ramp(1200)))) << s.formatTag << " " << s.channels << " " << s.bits;

    Bytes dataFirst = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(dataFirst, "data", Ramp(100));
    const Bytes canon = MakeWav(WavLayout{}, {});
    dataFirst.insert(dataFirst.end(), canon.begin() + 12, canon.end() - 8);  // "fmt " only
    EXPECT_EQ(0, Open(dataFirst));

    Bytes notRiff = MakeWav(WavLayout{}, Ramp(100));
    notRiff[0] = 'X';
    EXPECT_EQ(0, Open(notRiff));
    Bytes notWave = MakeWav(WavLayout{}, Ramp(100));
    notWave[8] = 'X';
    EXPECT_EQ(0, Open(notWave));
    EXPECT_EQ(0, Open({}));
    EXPECT_EQ(0, dec.OpenFile(L"no-such-file.wav"));
    EXPECT_EQ(0, dec.GetFileInfo(nullptr));  // nothing stayed open
}

TEST_F(WavDecoderTest, HugeOrLyingSizesNeitherHangNorOverrun)
{
    // A chunk size that would wrap round to "back 8 bytes" if taken as signed.
    Bytes loop = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(loop, "JUNK", {}, 0xFFFFFFF8u);
    EXPECT_EQ(0, Open(loop));

    // A format chunk too short to hold a format.
    Bytes shortFmt = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(shortFmt, "fmt ", Bytes(8, 1));
    AppendChunk(shortFmt, "data", Ramp(64));
    EXPECT_EQ(0, Open(shortFmt));

    // The data chunk claims more than the file holds: the file's samples, then the end.
    const Bytes data = Ramp(3000);
    Bytes lying = MakeWav(WavLayout{}, data);
    lying[40] = 0x00;
    lying[41] = 0x00;
    lying[42] = 0x00;
    lying[43] = 0x10;  // 256 MiB
    ASSERT_EQ(1, Open(lying));
    EXPECT_EQ(data, DrainAll(dec, 4096));

    // Truncated inside a sample frame: the torn frame is not delivered.
    Bytes torn = MakeWav(WavLayout{}, data);
    torn.resize(torn.size() - 3);
    ASSERT_EQ(1, Open(torn));
    EXPECT_EQ(Bytes(data.begin(), data.end() - 4), DrainAll(dec, 4096));
}

TEST_F(WavDecoderTest, DurationFromTheDataTheFileHolds)
{
    // 10,584,000 bytes of 44.1 kHz 16-bit stereo are 60 seconds.
    Bytes file = MakeWav(WavLayout{}, {});
    const uint32_t size = 10584000;
    for (int i = 0; i < 4; ++i)
        file[40 + i] = uint8_t(size >> (8 * i));
    ASSERT_TRUE(WriteAll(path, file));
    // The header alone promises a minute the file does not hold.
    ASSERT_EQ(1, dec.OpenFile(path.c_str()));
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    EXPECT_EQ(0, info.nDuration);
    dec.CloseFile();
    // Half of it: 30 seconds; all of it: 60.
    for (uint32_t held : {size / 2, size}) {
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        SetFilePointer(f, LONG(file.size() + held), nullptr, FILE_BEGIN);
        EXPECT_TRUE(SetEndOfFile(f));
        CloseHandle(f);
        ASSERT_EQ(1, dec.OpenFile(path.c_str()));
        dec.GetFileInfo(&info);
        EXPECT_EQ(held == size ? 60 : 30, info.nDuration);
        dec.CloseFile();
    }
}

TEST_F(WavDecoderTest, SecondOpenWithoutCloseFails)
{
    ASSERT_EQ(1, Open(MakeWav(WavLayout{}, Ramp(100))));
    const std::wstring other = L"wav-under-test-2.wav";
    ASSERT_TRUE(WriteAll(other, MakeWav(WavLayout{}, Ramp(100))));
    EXPECT_EQ(0, dec.OpenFile(other.c_str()));
    CCeAudioFileInfo info;
    EXPECT_EQ(1, dec.GetFileInfo(&info));  // the first file is still open
    dec.CloseFile();
    EXPECT_EQ(1, dec.OpenFile(other.c_str()));
    dec.CloseFile();
    DeleteFileW(other.c_str());
}

}  // namespace
