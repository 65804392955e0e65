// The MPEG decoder against a reference decoder, and its timing, seeking and
// sample conversion.
#include <gtest/gtest.h>

#include "audio/CCeMpegDecoder.h"
#include "audio/MpegDither.h"
#include "mpeg_files.h"
#include "pcm_compare.h"
#include "test_files.h"

#include <mad.h>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace audiotest;

namespace {

struct Medium {
    const char* name;
    int rate;
    int channels;
    int seconds;
    // Starts with a Xing/Info frame (the encoder leaves it out where a frame is
    // too small to hold it): a tag, not sound.
    bool infoFrame;
};

const Medium kMedia[] = {
    {"m1_44k_stereo_cbr", 44100, 2, 4, true},  {"m1_48k_stereo_vbr", 48000, 2, 4, true},
    {"m1_32k_mono_vbr", 32000, 1, 4, true},    {"m2_22k_stereo_vbr", 22050, 2, 4, true},
    {"m2_16k_mono_cbr", 16000, 1, 3, false},    {"m2_24k_stereo_cbr", 24000, 2, 3, true},
    {"m25_8k_mono_cbr", 8000, 1, 3, false},     {"m25_11k_stereo_vbr", 11025, 2, 3, true},
    {"cbr128_noxing", 44100, 2, 10, false},    {"vbr_noxing", 44100, 2, 6, false},
};

std::string Name(const char* base)
{
    return std::string(base) + ".mp3";
}

class MpegAccuracy : public ::testing::TestWithParam<Medium> {};

TEST_P(MpegAccuracy, MatchesTheReferenceDecoder)
{
    const Medium m = GetParam();
    CCeMpegDecoder dec;
    dec.Initialize();
    ASSERT_EQ(1, dec.OpenFile(Media(Name(m.name).c_str()).c_str()));
    CCeAudioFileInfo info;
    ASSERT_EQ(1, dec.GetFileInfo(&info));
    EXPECT_EQ(m.rate, info.nSampleRate);
    EXPECT_EQ(m.channels == 2 ? 1 : 0, info.bStereo);
    EXPECT_EQ(1, info.b16Bit);
    EXPECT_EQ(m.seconds, info.nDuration);

    const std::vector<int16_t> ours = DecodeAll(dec);
    const std::vector<int16_t> ref = Samples(ReadAll(Media((std::string(m.name) + ".ref").c_str())));
    ASSERT_GT(ref.size(), size_t(m.rate));

    const size_t frame = m.rate >= 32000 ? 1152 : 576;
    const size_t lag = BestLag(ref, ours, m.channels, 2 * frame);
    EXPECT_EQ(0u, lag) << "the Info frame is not played as a frame of silence";
    const size_t off = lag * m.channels;
    ASSERT_LT(off, ours.size());
    const size_t n = std::min(ours.size() - off, ref.size());
    // All of the reference is delivered, give or take one frame at the end.
    EXPECT_LE(std::abs(double(ours.size() - off) - double(ref.size())), double(frame * m.channels));
    if (m.infoFrame) {
        // Exactly the frames the tag counts, the tag frame itself not among them.
        uint32_t frames = 0;
        ASSERT_TRUE(ReadToc(ReadAll(Media(Name(m.name).c_str())), nullptr, &frames));
        EXPECT_EQ(size_t(frames) * frame * m.channels, ours.size());
    }
    const double snr = SnrDb(ref.data(), ours.data() + off, n);
    EXPECT_GE(snr, 80.0);
    std::printf("%s: SNR %.1f dB against the reference over %zu samples\n", m.name, snr, n);
    EXPECT_EQ(m.seconds, dec.GetCurrentPos_secs());
}

INSTANTIATE_TEST_SUITE_P(Media, MpegAccuracy, ::testing::ValuesIn(kMedia),
                         [](const ::testing::TestParamInfo<Medium>& i) { return std::string(i.param.name); });

TEST(MpegDither, FullScaleAndTheErrorItLeaves)
{
    MeloxDither d = {};
    EXPECT_EQ(32767, MeloxDitherSample(1 << 28, d));
    EXPECT_EQ(8191, d.error[0]);
    MeloxDither n = {};
    EXPECT_NEAR(-32768, MeloxDitherSample(-(1 << 28), n), 1);  // dithered, not clipped
    MeloxDither big = {};
    EXPECT_EQ(32767, MeloxDitherSample(0x7FFFFFFF, big));  // far beyond full scale: clipped
}

TEST(MpegDither, AverageFollowsValuesBelowOneStep)
{
    // A quarter of one output step: truncation would give 0 every time; the
    // dither gives 0 and 1 in the right proportion.
    MeloxDither d = {};
    const int32_t quarter = (1 << 13) / 4;
    double sum = 0;
    const int n = 40000;
    for (int i = 0; i < n; ++i)
        sum += MeloxDitherSample(quarter, d);
    EXPECT_NEAR(0.25, sum / n, 0.03);
}

TEST(MpegDecoder, DurationWithoutXingFromSizeAndBitrate)
{
    const std::wstring path = Media("cbr128_noxing.mp3");
    const size_t size = ReadAll(path).size();
    CCeMpegDecoder dec;
    dec.Initialize();
    ASSERT_EQ(1, dec.OpenFile(path.c_str()));
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    EXPECT_EQ(int(size * 8 / 128000), info.nDuration);
    EXPECT_EQ(128, info.nBitrate);
}

TEST(MpegDecoder, VbrDurationWithXingIsFixedAndWithoutItFollowsPlayback)
{
    CCeMpegDecoder xing;
    xing.Initialize();
    ASSERT_EQ(1, xing.OpenFile(Media("m1_48k_stereo_vbr.mp3").c_str()));
    CCeAudioFileInfo before, after;
    xing.GetFileInfo(&before);
    std::vector<BYTE> buf(16384);
    for (int i = 0; i < 10; ++i) {
        DWORD len = DWORD(buf.size());
        xing.GetPCMBlock(buf.data(), &len);
    }
    xing.GetFileInfo(&after);
    EXPECT_EQ(before.nDuration, after.nDuration);

    CCeMpegDecoder vbr;
    vbr.Initialize();
    ASSERT_EQ(1, vbr.OpenFile(Media("vbr_noxing.mp3").c_str()));
    CCeAudioFileInfo info;
    vbr.GetFileInfo(&info);
    const int first = info.nDuration;
    bool changed = false;
    for (int i = 0; i < 1000; ++i) {
        DWORD len = DWORD(buf.size());
        const int more = vbr.GetPCMBlock(buf.data(), &len);
        vbr.GetFileInfo(&info);
        changed = changed || info.nDuration != first;
        EXPECT_GE(info.nDuration, vbr.GetCurrentPos_secs());
        if (!more)
            break;
    }
    EXPECT_TRUE(changed) << "the estimate from the first frame's bitrate is refined while playing";
}

TEST(MpegDecoder, MonoIsDeliveredAsTwoByteSamples)
{
    CCeMpegDecoder dec;
    dec.Initialize();
    ASSERT_EQ(1, dec.OpenFile(Media("m1_32k_mono_vbr.mp3").c_str()));
    std::vector<BYTE> buf(16384);
    DWORD len = 16384;
    EXPECT_EQ(1, dec.GetPCMBlock(buf.data(), &len));
    EXPECT_EQ(16384u, len);  // 8,192 samples
    len = 1;                 // room for less than one sample
    EXPECT_EQ(1, dec.GetPCMBlock(buf.data(), &len));
    EXPECT_EQ(0u, len);
}

TEST(MpegDecoder, SeekLandsWhereTheTableOfContentsPoints)
{
    const char* name = "m1_48k_stereo_vbr.mp3";
    const Bytes file = ReadAll(Media(name));
    unsigned char toc[100];
    uint32_t frames = 0;
    ASSERT_TRUE(ReadToc(file, toc, &frames));
    const std::vector<size_t> offsets = FrameOffsets(file);
    ASSERT_GT(offsets.size(), 100u);
    const size_t N = 1152, channels = 2;

    // The table's promise for one half: this byte, inside the frame that starts
    // the second half of the sound.
    const size_t byte = size_t(double(file.size()) * (toc[50] / 256.0));
    size_t k = 0;  // the first whole frame from there (counting the Info frame)
    while (k < offsets.size() && offsets[k] < byte)
        ++k;
    const double promisedFrames = 0.5 * frames;
    EXPECT_LE(std::fabs(double(k - 1) - promisedFrames), 1.0) << "the table keeps its promise";

    CCeMpegDecoder dec;
    dec.Initialize();
    ASSERT_EQ(1, dec.OpenFile(Media(name).c_str()));
    const std::vector<int16_t> whole = DecodeAll(dec);  // from the first frame after the Info frame
    ASSERT_EQ(1, dec.OpenFile(Media(name).c_str()));
    ASSERT_EQ(1, dec.Seek(1, 2));
    const double reportedFrames = dec.GetCurrentPos_ms() * 48.0 / N;
    const std::vector<int16_t> after = DecodeAll(dec);
    ASSERT_GT(after.size(), 4 * N * channels);

    // Where the sound after the seek really is in the whole decode (whose
    // frame 0 is the file's frame 1: the Info frame is not played).
    const size_t a = k - 1;
    double best = -1;
    size_t j = 0;
    for (size_t f = a; f < a + 8 && (f + 4) * N * channels <= whole.size(); ++f) {
        const double snr = SnrDb(whole.data() + f * N * channels, after.data(), 4 * N * channels);
        if (snr > best) {
            best = snr;
            j = f;
        }
    }
    EXPECT_GE(best, 60.0);
    EXPECT_GE(j, a + 2) << "two frames settle the decoder";
    // The reported position is the sound's, within two frames: the table
    // places the seek in 256 steps, and the time reported is the one asked for.
    EXPECT_LE(std::fabs(double(j) - reportedFrames), 2.0) << j << " " << reportedFrames;
}

TEST(MpegDecoder, SeekToTheStartAndInvalidSeeks)
{
    const char* name = "m1_44k_stereo_cbr.mp3";
    CCeMpegDecoder dec;
    dec.Initialize();
    EXPECT_EQ(0, dec.Seek(0, 1));  // nothing open
    ASSERT_EQ(1, dec.OpenFile(Media(name).c_str()));
    const std::vector<int16_t> whole = DecodeAll(dec);
    EXPECT_EQ(0, dec.Seek(1, 0));
    EXPECT_EQ(0, dec.Seek(-1, 2));
    ASSERT_EQ(1, dec.OpenFile(Media(name).c_str()));
    std::vector<BYTE> buf(16384);
    DWORD len = 16384;
    dec.GetPCMBlock(buf.data(), &len);
    ASSERT_EQ(1, dec.Seek(0, 1));
    EXPECT_EQ(0, dec.GetCurrentPos_secs());
    const std::vector<int16_t> again = DecodeAll(dec);
    ASSERT_EQ(whole.size(), again.size());
    EXPECT_GE(SnrDb(whole.data() + 4096, again.data() + 4096, whole.size() - 4096), 70.0);
}

TEST(MpegDecoder, OpeningAnotherFileClosesTheFirst)
{
    CCeMpegDecoder dec;
    dec.Initialize();
    ASSERT_EQ(1, dec.OpenFile(Media("m1_44k_stereo_cbr.mp3").c_str()));
    ASSERT_EQ(1, dec.OpenFile(Media("m25_8k_mono_cbr.mp3").c_str()));
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    EXPECT_EQ(8000, info.nSampleRate);
    dec.CloseFile();
    EXPECT_EQ(0, dec.GetFileInfo(&info));
    DWORD len = 100;
    BYTE b[100];
    EXPECT_EQ(0, dec.GetPCMBlock(b, &len));
    EXPECT_EQ(0u, len);
}

}  // namespace
