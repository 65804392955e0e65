// What surrounds the sound in real MP3 files: tags in front and behind, the
// Xing/Info frame (with and without CRC), joined streams, long stretches of
// something else, and header fields that lie.
#include <gtest/gtest.h>

#include "audio/CCeMpegDecoder.h"
#include "audio/MpegTags.h"
#include "mpeg_files.h"
#include "pcm_compare.h"

#include <cstring>
#include <random>

using namespace audiotest;

namespace {

void Append(Bytes& to, const Bytes& what)
{
    to.insert(to.end(), what.begin(), what.end());
}

void PutBig32(Bytes& b, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(uint8_t(v >> (8 * i)));
}

void PutSyncSafe(Bytes& b, uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        b.push_back(uint8_t((v >> (7 * i)) & 0x7F));
}

// An ID3v2 tag holding one picture frame whose bytes are `picture`; version 4
// with `footer` adds the footer after the body.
Bytes Id3Picture(const Bytes& picture, int version, bool footer)
{
    Bytes frame = {'A', 'P', 'I', 'C'};
    Bytes body = {0};
    const char mime[] = "image/jpeg";
    body.insert(body.end(), mime, mime + sizeof mime);
    body.push_back(3);  // front cover
    body.push_back(0);  // no description
    Append(body, picture);
    if (version == 4)
        PutSyncSafe(frame, uint32_t(body.size()));
    else
        PutBig32(frame, uint32_t(body.size()));
    frame.push_back(0);
    frame.push_back(0);
    Append(frame, body);
    Bytes tag = {'I', 'D', '3', uint8_t(version), 0, uint8_t(footer ? 0x10 : 0)};
    PutSyncSafe(tag, uint32_t(frame.size()));
    Append(tag, frame);
    if (footer) {
        Bytes foot = {'3', 'D', 'I', 4, 0, 0x10};
        PutSyncSafe(foot, uint32_t(frame.size()));
        Append(tag, foot);
    }
    return tag;
}

// An APEv2 tag (header and footer) with one binary item holding `value`.
Bytes ApeTag(const Bytes& value)
{
    Bytes items;
    auto le32 = [](Bytes& b, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(uint8_t(v >> (8 * i)));
    };
    le32(items, uint32_t(value.size()));
    le32(items, 2);  // binary
    const char key[] = "Cover Art (Front)";
    items.insert(items.end(), key, key + sizeof key);
    Append(items, value);
    auto block = [&](uint32_t flags) {
        Bytes b = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X'};
        le32(b, 2000);
        le32(b, uint32_t(items.size() + 32));
        le32(b, 1);
        le32(b, flags);
        b.resize(b.size() + 8, 0);
        return b;
    };
    Bytes tag = block(0xA0000000u);  // has a header, this is it
    Append(tag, items);
    Append(tag, block(0x80000000u));
    return tag;
}

Bytes Id3v1(const char* title)
{
    Bytes t = {'T', 'A', 'G'};
    t.resize(128, 0);
    memcpy(&t[3], title, strlen(title));
    return t;
}

struct Decoded {
    int opened = 0;
    CCeAudioFileInfo info;
    std::vector<int16_t> pcm;
    int formatChanged = 0;
};

struct MpegStream : ::testing::Test {
    const std::wstring path = L"mpeg-stream.mp3";
    CCeMpegDecoder dec;
    void SetUp() override { dec.Initialize(); }
    void TearDown() override
    {
        dec.Uninitialize();
        DeleteFileW(path.c_str());
    }
    Decoded Decode(const Bytes& file)
    {
        Decoded d;
        EXPECT_TRUE(WriteAll(path, file));
        d.opened = dec.OpenFile(path.c_str());
        if (!d.opened)
            return d;
        dec.GetFileInfo(&d.info);
        d.pcm = DecodeAll(dec);
        d.formatChanged = dec.bFormatChanged();
        dec.CloseFile();
        return d;
    }
};

// Frames of another format (8 kHz mono) that look like sound to a scanner.
Bytes ForeignFrames(size_t bytes)
{
    const Bytes other = ReadAll(Media("m25_8k_mono_cbr.mp3"));
    return Bytes(other.begin(), other.begin() + std::min(bytes, other.size()));
}

TEST_F(MpegStream, Id3v2TagsAreSkippedByTheirSize)
{
    const Bytes plain = ReadAll(Media("m1_44k_stereo_cbr.mp3"));  // has a small ID3v2 tag of its own
    const Decoded ref = Decode(plain);
    ASSERT_EQ(1, ref.opened);
    Bytes picture = {0xFF, 0xD8, 0xFF, 0xE0};
    Append(picture, ForeignFrames(6000));
    for (int version : {3, 4}) {
        for (bool footer : {false, true}) {
            if (footer && version != 4)
                continue;
            Bytes file = Id3Picture(picture, version, footer);
            Append(file, plain);
            const Decoded got = Decode(file);
            ASSERT_EQ(1, got.opened) << version << footer;
            EXPECT_EQ(44100, got.info.nSampleRate) << "described by the sound, not the picture";
            EXPECT_EQ(1, got.info.bStereo);
            EXPECT_EQ(4, got.info.nDuration);
            ASSERT_EQ(ref.pcm.size(), got.pcm.size()) << "nothing of the picture is played";
            EXPECT_GE(SnrDb(ref.pcm.data(), got.pcm.data(), ref.pcm.size()), 80.0);
        }
    }
}

TEST_F(MpegStream, TagSizesAreReadAsWritten)
{
    const unsigned char v3[10] = {'I', 'D', '3', 3, 0, 0, 0x00, 0x00, 0x02, 0x01};
    EXPECT_EQ(10u + 257u, MeloxId3v2Size(v3));
    const unsigned char v4footer[10] = {'I', 'D', '3', 4, 0, 0x10, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(10u + 128u + 10u, MeloxId3v2Size(v4footer));
    const unsigned char notSyncSafe[10] = {'I', 'D', '3', 3, 0, 0, 0x00, 0x00, 0x80, 0x00};
    EXPECT_EQ(0u, MeloxId3v2Size(notSyncSafe));
    const unsigned char badVersion[10] = {'I', 'D', '3', 0xFF, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(0u, MeloxId3v2Size(badVersion));
    const unsigned char footer[10] = {'3', 'D', 'I', 4, 0, 0x10, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(10u + 128u + 10u, MeloxId3v2FooterSize(footer));
}

TEST_F(MpegStream, TrailingTagsAreNotSound)
{
    const Bytes plain = ReadAll(Media("m1_44k_stereo_cbr.mp3"));
    const Decoded ref = Decode(plain);
    Bytes file = plain;
    Append(file, ApeTag(ForeignFrames(3000)));
    Append(file, Id3v1("\xFF\xFB\x90\x64 title"));
    const Decoded got = Decode(file);
    ASSERT_EQ(1, got.opened);
    EXPECT_EQ(0, got.formatChanged);
    EXPECT_EQ(ref.pcm.size(), got.pcm.size());
    EXPECT_EQ(4, got.info.nDuration);
}

TEST_F(MpegStream, InfoFramesWithCrcAreFoundAndNotPlayed)
{
    for (const char* name : {"crc_44k_stereo_cbr.mp3", "crc_22k_mono_vbr.mp3"}) {
        const Bytes file = ReadAll(Media(name));
        uint32_t frames = 0;
        ASSERT_TRUE(ReadToc(file, nullptr, &frames)) << name;
        const Decoded got = Decode(file);
        ASSERT_EQ(1, got.opened) << name;
        EXPECT_EQ(3, got.info.nDuration) << name;
        const size_t perFrame = (got.info.nSampleRate >= 32000 ? 1152 : 576) * (got.info.bStereo ? 2 : 1);
        EXPECT_EQ(frames * perFrame, got.pcm.size()) << name << ": the Info frame is not a frame of sound";
    }
}

TEST_F(MpegStream, AFileThatEndsAfterItsInfoFrameIsRefused)
{
    const Bytes plain = ReadAll(Media("m1_44k_stereo_cbr.mp3"));
    const std::vector<size_t> offsets = FrameOffsets(plain);
    ASSERT_GT(offsets.size(), 3u);
    EXPECT_EQ(0, Decode(Bytes(plain.begin(), plain.begin() + offsets[1])).opened);
    // With one frame of sound behind it, that frame is what plays.
    const Decoded one = Decode(Bytes(plain.begin(), plain.begin() + offsets[2]));
    ASSERT_EQ(1, one.opened);
    EXPECT_EQ(1152u * 2, one.pcm.size());
}

TEST_F(MpegStream, JoinedStreamsOfAnotherFormatStopAtTheChange)
{
    const Bytes a = ReadAll(Media("m1_44k_stereo_cbr.mp3"));
    const Decoded ref = Decode(a);
    for (const char* second : {"m25_8k_mono_cbr.mp3", "m2_22k_stereo_vbr.mp3", "m1_32k_mono_vbr.mp3"}) {
        Bytes joined = a;
        Append(joined, ReadAll(Media(second)));
        const Decoded got = Decode(joined);
        ASSERT_EQ(1, got.opened);
        EXPECT_EQ(1, got.formatChanged) << second;
        EXPECT_EQ(ref.pcm.size(), got.pcm.size()) << second << ": the first part whole, nothing of the second";
        // Nothing more comes after the end.
        ASSERT_EQ(1, dec.OpenFile(path.c_str()));
        DecodeAll(dec);
        BYTE buf[64];
        DWORD len = sizeof buf;
        EXPECT_EQ(0, dec.GetPCMBlock(buf, &len));
        EXPECT_EQ(0u, len);
        dec.CloseFile();
    }
}

TEST_F(MpegStream, JoinedStreamsOfOneFormatPlayWholeWithoutTheSecondInfoFrame)
{
    const Bytes a = ReadAll(Media("m1_44k_stereo_cbr.mp3"));
    const Decoded ref = Decode(a);
    Bytes joined = a;
    Append(joined, a);
    const Decoded got = Decode(joined);
    ASSERT_EQ(1, got.opened);
    EXPECT_EQ(0, got.formatChanged);
    EXPECT_EQ(2 * ref.pcm.size(), got.pcm.size());
}

TEST_F(MpegStream, OneOrTwoFramesOfAnotherFormatAreDroppedNotAnEnd)
{
    // Damage can make a false frame start vouched for by a second one where it
    // ends: a pair of strangers is no new stream either.
    const Bytes a = ReadAll(Media("m1_44k_stereo_cbr.mp3"));
    const Decoded ref = Decode(a);
    const std::vector<size_t> offsets = FrameOffsets(a);
    const std::vector<size_t> other = FrameOffsets(ForeignFrames(4000));
    ASSERT_GT(offsets.size(), 60u);
    ASSERT_GT(other.size(), 4u);
    const Bytes foreign = ForeignFrames(4000);
    for (size_t strangers : {1u, 2u}) {
        Bytes file(a.begin(), a.begin() + offsets[50]);
        file.insert(file.end(), foreign.begin() + other[1], foreign.begin() + other[1 + strangers]);
        file.insert(file.end(), a.begin() + offsets[50], a.end());
        const Decoded got = Decode(file);
        ASSERT_EQ(1, got.opened);
        EXPECT_EQ(0, got.formatChanged) << strangers;
        // The intruders are not played and playing goes on; the frames behind
        // them that kept part of their bits in front (the bit reservoir) are lost.
        const size_t frame = 1152 * 2;
        EXPECT_LE(got.pcm.size(), ref.pcm.size()) << strangers;
        EXPECT_GE(got.pcm.size(), ref.pcm.size() - 2 * frame) << strangers;
    }
}

TEST_F(MpegStream, XingFrameCountsBeyondTheFileAreNotBelieved)
{
    const Bytes plain = ReadAll(Media("m1_48k_stereo_vbr.mp3"));
    size_t at = 0;
    while (at + 12 < plain.size() && memcmp(&plain[at], "Xing", 4) != 0)
        ++at;
    ASSERT_LT(at + 12, plain.size());
    ASSERT_TRUE(plain[at + 7] & 1) << "frame count present";
    for (uint32_t frames : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 10000000u}) {
        Bytes file = plain;
        for (int i = 0; i < 4; ++i)
            file[at + 8 + i] = uint8_t(frames >> (8 * (3 - i)));
        ASSERT_TRUE(WriteAll(path, file));
        ASSERT_EQ(1, dec.OpenFile(path.c_str())) << frames;
        // Timed as a file without the count: from the first frame's bitrate,
        // then from the bitrates met while playing.
        CCeAudioFileInfo info;
        dec.GetFileInfo(&info);
        EXPECT_GE(info.nDuration, 0) << frames;
        EXPECT_LE(info.nDuration, 30) << frames;
        DecodeAll(dec);
        dec.GetFileInfo(&info);
        EXPECT_GE(info.nDuration, 3) << frames;
        EXPECT_LE(info.nDuration, 5) << frames;
        dec.CloseFile();
    }
}

// Bytes that never look like a frame start (no 0xFF at all).
Bytes Junk(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b)
        x = uint8_t(rng() % 255);
    return b;
}

TEST_F(MpegStream, ALongStretchWithoutSoundIsCrossedInSteps)
{
    const Bytes a = ReadAll(Media("m25_8k_mono_cbr.mp3"));
    const Decoded ref = Decode(a);
    Bytes file = a;
    Append(file, Junk(3 << 20, 7));
    Append(file, a);
    ASSERT_TRUE(WriteAll(path, file));
    ASSERT_EQ(1, dec.OpenFile(path.c_str()));
    std::vector<BYTE> buf(16384);
    size_t samples = 0;
    int shortCalls = 0;
    for (int i = 0; i < 100000; ++i) {
        DWORD len = DWORD(buf.size());
        const int more = dec.GetPCMBlock(buf.data(), &len);
        samples += len / 2;
        if (!more)
            break;
        shortCalls += len < buf.size();
    }
    // Every call returns after a bounded read, so a player can take its
    // commands between them; both parts are played whole.
    EXPECT_GE(shortCalls, 30);
    EXPECT_EQ(2 * ref.pcm.size(), samples);
    EXPECT_EQ(0, dec.bFormatChanged());
}

TEST_F(MpegStream, SomethingElseNamedMp3IsRefusedWithoutReadingItAll)
{
    // Two megabytes that are not sound before the first frame: not an MP3 file.
    Bytes file = Junk(2 << 20, 3);
    Append(file, ReadAll(Media("m25_8k_mono_cbr.mp3")));
    EXPECT_EQ(0, Decode(file).opened);
    // Ordinary junk in front (a few kilobytes) is passed over.
    Bytes some = Junk(5000, 4);
    Append(some, ReadAll(Media("m25_8k_mono_cbr.mp3")));
    EXPECT_EQ(1, Decode(some).opened);
}

}  // namespace

