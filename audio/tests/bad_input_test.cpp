// Damaged, empty, random and mislabelled files: the decoders refuse them or end
// early, never crash, hang or read past their buffers.
#include <gtest/gtest.h>

#include "audio/CCeMWavDecoder.h"
#include "audio/CCeMpegDecoder.h"
#include "test_files.h"

#include <random>

using namespace audiotest;

namespace {

const std::wstring kPath = L"bad-input.mp3";

// Opens and drains the file; returns the PCM bytes delivered, or -1 when refused.
long long Play(CCeMDecoder& d, const Bytes& file, const std::wstring& path = kPath)
{
    d.CloseFile();
    EXPECT_TRUE(WriteAll(path, file));
    if (!d.OpenFile(path.c_str()))
        return -1;
    CCeAudioFileInfo info;
    EXPECT_EQ(1, d.GetFileInfo(&info));
    std::vector<BYTE> buf(16384);
    long long total = 0;
    // Every call either delivers sound or ends: a bounded number of calls.
    const long long limit = 4 + (long long)file.size() * 2000 / 16384;
    for (long long i = 0; i < limit; ++i) {
        DWORD len = DWORD(buf.size());
        const int more = d.GetPCMBlock(buf.data(), &len);
        EXPECT_LE(len, buf.size());
        total += len;
        if (!more) {
            DWORD again = DWORD(buf.size());
            d.GetPCMBlock(buf.data(), &again);  // the end stays the end
            d.CloseFile();
            return total;
        }
    }
    ADD_FAILURE() << "decoding did not end";
    d.CloseFile();
    return total;
}

Bytes Random(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b)
        x = uint8_t(rng());
    return b;
}

struct BadInput : ::testing::Test {
    CCeMpegDecoder mpeg;
    CCeMWavDecoder wav;
    Bytes good = ReadAll(Media("m1_44k_stereo_cbr.mp3"));
    void SetUp() override
    {
        ASSERT_GT(good.size(), 10000u);
        mpeg.Initialize();
        wav.Initialize();
    }
    void TearDown() override
    {
        mpeg.Uninitialize();
        wav.Uninitialize();
        DeleteFileW(kPath.c_str());
    }
};

TEST_F(BadInput, EmptyAndTinyFilesAreRefused)
{
    EXPECT_EQ(-1, Play(mpeg, {}));
    EXPECT_EQ(-1, Play(mpeg, {0xFF}));
    EXPECT_EQ(-1, Play(mpeg, {0xFF, 0xFB, 0x90, 0x64}));  // a lone header, no frame behind it
    EXPECT_EQ(-1, Play(wav, {}));
    EXPECT_EQ(-1, Play(wav, {'R', 'I', 'F', 'F'}));
}

TEST_F(BadInput, AFileOfOneFrameStillOpens)
{
    // The first frame of a real file (the Info frame) and its first sound frame.
    const Bytes plain = ReadAll(Media("m2_24k_stereo_cbr.mp3"));
    const size_t frame = 72 * 64000 / 24000;  // 192 bytes
    ASSERT_EQ(0xFF, plain[frame]);
    EXPECT_EQ(576 * 2 * 2, Play(mpeg, Bytes(plain.begin() + frame, plain.begin() + 2 * frame)));
}

TEST_F(BadInput, RandomBytesEndCleanly)
{
    // Random bytes hold chance frame headers, but not a stream of them.
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const Bytes junk = Random(60000, seed);
        EXPECT_EQ(-1, Play(mpeg, junk)) << seed;
        EXPECT_EQ(-1, Play(wav, junk)) << seed;
    }
}

TEST_F(BadInput, TruncatedFilesPlayWhatTheyHold)
{
    const long long whole = Play(mpeg, good);
    ASSERT_GT(whole, 0);
    // Cut in the middle of a frame and near the start.
    for (size_t keep : {good.size() / 2 + 77, size_t(3000)}) {
        const long long part = Play(mpeg, Bytes(good.begin(), good.begin() + keep));
        EXPECT_GT(part, 0);
        EXPECT_LT(part, whole);
    }
}

TEST_F(BadInput, CorruptedFramesAreSkipped)
{
    const long long whole = Play(mpeg, good);
    for (unsigned seed = 1; seed <= 4; ++seed) {
        Bytes bad = good;
        std::mt19937 rng(seed);
        for (int i = 0; i < 200; ++i)
            bad[2000 + rng() % (bad.size() - 4000)] = uint8_t(rng());
        // A run of garbage in the middle, too.
        for (size_t i = bad.size() / 3; i < bad.size() / 3 + 3000; ++i)
            bad[i] = uint8_t(rng());
        const long long played = Play(mpeg, bad);
        EXPECT_GT(played, whole / 2);
        EXPECT_LE(played, whole + 16384);
    }
}

TEST_F(BadInput, MislabelledFiles)
{
    // An MP3 given to the WAV decoder is refused; a WAV given to the MPEG decoder
    // is refused or ends (its samples may happen to look like frame headers).
    EXPECT_EQ(-1, Play(wav, good, L"bad-input.wav"));
    DeleteFileW(L"bad-input.wav");
    WavLayout s;
    Bytes pcm(200000);
    for (size_t i = 0; i < pcm.size(); i += 2) {
        const int16_t v = int16_t(12000 * ((i / 2) % 100 < 50 ? 1 : -1) + int(i % 7));
        pcm[i] = uint8_t(v);
        pcm[i + 1] = uint8_t(v >> 8);
    }
    EXPECT_EQ(-1, Play(mpeg, MakeWav(s, pcm)));
}

TEST_F(BadInput, Id3v2TagWithAHugeSize)
{
    // "ID3", version 4, size 0x0FFFFFFF (syncsafe): far beyond the file.
    Bytes tagged = {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    for (int i = 0; i < 64; ++i)
        tagged.push_back('T');
    tagged.insert(tagged.end(), good.begin(), good.end());
    // A tag larger than the file is damaged: the frames are found by scanning.
    EXPECT_EQ(Play(mpeg, good), Play(mpeg, tagged));
}

TEST_F(BadInput, FalseFrameHeadersEverywhere)
{
    // Valid-looking headers with nothing sensible behind them, of every layer.
    Bytes fake;
    const uint8_t second[] = {0xFB, 0xFD, 0xFF, 0xF3, 0xE3, 0xFA};
    for (int i = 0; i < 3000; ++i) {
        fake.push_back(0xFF);
        fake.push_back(second[i % 6]);
        fake.push_back(uint8_t(0x10 + (i % 14) * 0x10 + (i % 3) * 4));
        fake.push_back(uint8_t(i * 37));
        for (int j = 0; j < i % 50; ++j)
            fake.push_back(uint8_t(0xF0 + j % 15));
    }
    // Whatever is taken for sound, no frame yields more than 1,152 stereo samples.
    const long long played = Play(mpeg, fake);
    EXPECT_LE(played, 3000LL * 1152 * 4);
    if (played > 0) {
        CCeAudioFileInfo info;
        EXPECT_TRUE(WriteAll(kPath, fake));
        ASSERT_EQ(1, mpeg.OpenFile(kPath.c_str()));
        mpeg.GetFileInfo(&info);
        EXPECT_GT(info.nSampleRate, 0);
        mpeg.CloseFile();
    }
}

}  // namespace
