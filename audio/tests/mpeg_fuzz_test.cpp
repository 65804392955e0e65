// Seeded mutations of valid MP3 files: ID3v2 sizes and footers, Xing/Info
// frames (with CRC too), frame sync words inside tag data, trailing tags,
// truncation, joined streams of different rates, flipped bytes. Each is opened,
// described, decoded to the end with seeks on the way into a buffer that ends at
// a no-access page; nothing may crash, hang or write past the room it was given.
#include <gtest/gtest.h>

#include "audio/CCeMpegDecoder.h"
#include "fuzz_run.h"
#include "guarded_block.h"
#include "test_files.h"

#include <algorithm>
#include <cstring>

using namespace audiotest;

namespace {

const std::wstring kPath = L"mpeg-fuzz.mp3";

const char* const kMedia[] = {
    "m1_44k_stereo_cbr.mp3", "m1_48k_stereo_vbr.mp3", "m1_32k_mono_vbr.mp3",  "m2_22k_stereo_vbr.mp3",
    "m2_16k_mono_cbr.mp3",   "m25_8k_mono_cbr.mp3",   "crc_44k_stereo_cbr.mp3", "crc_22k_mono_vbr.mp3",
};
const size_t kMediaCount = sizeof kMedia / sizeof kMedia[0];

void SyncSafe(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t((v >> (7 * (3 - i))) & 0x7F);
}

// The start of a run of frames: bytes that a scanner takes for sound.
Bytes FramesOf(const Bytes& file, size_t n)
{
    size_t at = 0;
    while (at + 1 < file.size() && !(file[at] == 0xFF && (file[at + 1] & 0xE0) == 0xE0))
        ++at;
    return Bytes(file.begin() + at, file.begin() + std::min(file.size(), at + n));
}

Bytes Id3v2(const Bytes& body, bool footer)
{
    Bytes tag = {'I', 'D', '3', uint8_t(footer ? 4 : 3), 0, uint8_t(footer ? 0x10 : 0), 0, 0, 0, 0};
    SyncSafe(tag, 6, uint32_t(body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    if (footer) {
        Bytes foot = {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 0};
        SyncSafe(foot, 6, uint32_t(body.size()));
        tag.insert(tag.end(), foot.begin(), foot.end());
    }
    return tag;
}

size_t Find(const Bytes& f, const char* what, size_t limit)
{
    const size_t n = strlen(what);
    for (size_t i = 0; i + n <= f.size() && i < limit; ++i)
        if (memcmp(&f[i], what, n) == 0)
            return i;
    return size_t(-1);
}

class MpegFuzz : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : kMedia) {
            media_.push_back(ReadAll(Media(name)));
            ASSERT_GT(media_.back().size(), 1000u) << name;
        }
    }
    const Bytes& Any(std::mt19937& rng) { return media_[rng() % kMediaCount]; }

    Bytes Mutate(std::mt19937& rng)
    {
        Bytes f = Any(rng);
        const int steps = 1 + int(rng() % 3);
        for (int s = 0; s < steps && f.size() > 16; ++s) {
            switch (rng() % 10) {
            case 0: {  // a tag in front holding frames of another file
                Bytes body = {'A', 'P', 'I', 'C', 0, 0, 0, 0, 0, 0, 0};
                const Bytes frames = FramesOf(Any(rng), 500 + rng() % 4000);
                body.insert(body.end(), frames.begin(), frames.end());
                const Bytes tag = Id3v2(body, rng() % 2);
                f.insert(f.begin(), tag.begin(), tag.end());
                break;
            }
            case 1: {  // a tag size or footer flag that lies
                if (f.size() > 10 && memcmp(f.data(), "ID3", 3) == 0) {
                    const uint32_t sizes[] = {0, 1, 9, 10, uint32_t(f.size()), uint32_t(f.size() - 10),
                                              0x0FFFFFFF, uint32_t(rng() % 20000)};
                    if (rng() % 3)
                        SyncSafe(f, 6, sizes[rng() % 8]);
                    else
                        f[5] ^= 0x10;
                    if (rng() % 4 == 0)
                        f[6 + rng() % 4] |= 0x80;  // not sync-safe
                } else {
                    const Bytes tag = Id3v2(Bytes(rng() % 300, 0), rng() % 2);
                    f.insert(f.begin(), tag.begin(), tag.end());
                }
                break;
            }
            case 2: {  // the Xing/Info header: flags, frame count, table
                size_t at = Find(f, "Xing", 8192);
                if (at == size_t(-1))
                    at = Find(f, "Info", 8192);
                if (at == size_t(-1) || at + 120 > f.size())
                    break;
                const uint32_t counts[] = {0, 1, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu, uint32_t(rng())};
                const int what = int(rng() % 3);
                if (what == 0)
                    f[at + 7] = uint8_t(rng() % 16);
                else if (what == 1)
                    for (int i = 0; i < 4; ++i)
                        f[at + 8 + i] = uint8_t(counts[rng() % 6] >> (8 * (3 - i)));
                else
                    for (int i = 0; i < 20; ++i)
                        f[at + 12 + rng() % 100] = uint8_t(rng());
                break;
            }
            case 3:  // cut anywhere
                f.resize(rng() % (f.size() + 1));
                break;
            case 4: {  // joined with another file, maybe of another rate
                const Bytes& other = Any(rng);
                f.insert(f.end(), other.begin(), other.end());
                break;
            }
            case 5:  // bytes flipped
                for (int i = 0; i < 1 + int(rng() % 16); ++i)
                    f[rng() % f.size()] ^= uint8_t(1 + rng() % 255);
                break;
            case 6: {  // sync words and frames in trailing tags
                Bytes tail = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 7, 0, 0};
                const Bytes frames = FramesOf(Any(rng), 200 + rng() % 2000);
                const uint32_t size = uint32_t(frames.size() + 32);
                Bytes foot = tail;
                for (int i = 0; i < 4; ++i)
                    foot.push_back(uint8_t((rng() % 4 ? size : uint32_t(rng())) >> (8 * i)));
                foot.insert(foot.end(), {0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0});
                f.insert(f.end(), frames.begin(), frames.end());
                f.insert(f.end(), foot.begin(), foot.end());
                if (rng() % 2) {
                    Bytes v1 = {'T', 'A', 'G', 0xFF, 0xFB, 0x90, 0x64};
                    v1.resize(128, 0xFF);
                    f.insert(f.end(), v1.begin(), v1.end());
                }
                break;
            }
            case 7: {  // a stretch of something else in the middle
                const size_t at = rng() % f.size();
                Bytes junk(rng() % 60000);
                for (auto& x : junk)
                    x = uint8_t(rng());
                f.insert(f.begin() + at, junk.begin(), junk.end());
                break;
            }
            case 8: {  // a piece moved elsewhere (frames cut in half, repeated)
                const size_t a = rng() % f.size();
                const size_t b = std::min(f.size(), a + rng() % 3000);
                const Bytes piece(f.begin() + a, f.begin() + b);
                f.insert(f.begin() + rng() % f.size(), piece.begin(), piece.end());
                break;
            }
            default: {  // frame header fields changed in place
                for (int i = 0; i < 8; ++i) {
                    const size_t at = rng() % (f.size() - 4);
                    if (f[at] == 0xFF && (f[at + 1] & 0xE0) == 0xE0)
                        f[at + 1 + rng() % 3] ^= uint8_t(1 << (rng() % 8));
                }
                break;
            }
            }
        }
        return f;
    }

    std::vector<Bytes> media_;
};

const size_t kRoom = 16384;

// One mutated file: opened (or refused), described, decoded to its end with
// seeks on the way. Counts it in `opened` when it opened.
void Check(CCeMpegDecoder& dec, const Bytes& file, std::mt19937& rng, GuardedBlock& out, long& opened)
{
    if (!OpenInput(dec, kPath, file, opened))
        return;
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    ASSERT_GE(info.nDuration, 0);
    const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    ASSERT_NE(std::end(rates), std::find(std::begin(rates), std::end(rates), info.nSampleRate));
    const size_t frame = info.bStereo ? 4 : 2;
    // Every call delivers sound, crosses a bounded stretch, or ends.
    const size_t limit = 64 + file.size() / 8;
    int seeks = 0;
    bool ended = false;
    for (size_t calls = 0; calls < limit && !ended; ++calls) {
        // Any room, placed so that its last byte is the last one that may be touched.
        const DWORD room = DWORD(1 + rng() % kRoom);
        DWORD len = room;
        const int more = dec.GetPCMBlock(out.data() + (kRoom - room), &len);
        ASSERT_LE(len, room);
        ASSERT_EQ(0u, len % frame);
        ended = !more;
        if (more && seeks < 3 && rng() % 24 == 0) {
            ++seeks;
            const int den = int(rng() % 5);
            const int num = int(rng() % 7);
            const int ok = dec.Seek(num, den);
            if (den == 0)
                ASSERT_EQ(0, ok);
            ASSERT_GE(dec.GetCurrentPos_secs(), 0);
        }
    }
    ASSERT_TRUE(ended) << "the data never ended";
    dec.GetFileInfo(&info);
    ASSERT_GE(info.nDuration, 0);
    DWORD len = 64;
    ASSERT_EQ(0, dec.GetPCMBlock(out.data() + kRoom - 64, &len)) << "the end stays the end";
    dec.CloseFile();
}

TEST_F(MpegFuzz, MutatedFilesNeverCrashHangOrOverrun)
{
    FuzzRun run(20261207, 500);
    CCeMpegDecoder dec;
    dec.Initialize();
    GuardedBlock out(kRoom);
    long opened = 0;
    RunRounds(run, L"mpeg-fuzz-failed.mp3", [this](std::mt19937& rng) { return Mutate(rng); },
              [&](const Bytes& file, std::mt19937& rng) { Check(dec, file, rng, out, opened); });
    DeleteFileW(kPath.c_str());
    run.Report("audio_mpeg", opened);
    EXPECT_GT(opened, run.Rounds() / 4) << "the mutations leave enough playable files to decode";
}

}  // namespace
