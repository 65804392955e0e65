// Seeded mutations of valid WAV files: header fields, chunk sizes, odd and
// repeated chunks, truncation. Each is opened, described, drained into a
// buffer that ends at a no-access page, and sought; nothing may crash, hang or
// write past the room it was given.
#include <gtest/gtest.h>

#include "audio/CCeMWavDecoder.h"
#include "fuzz_run.h"
#include "guarded_block.h"
#include "test_files.h"

#include <algorithm>

using namespace audiotest;

namespace {

const std::wstring kPath = L"wav-fuzz.wav";

void Put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4 && at + i < b.size(); ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

Bytes Pcm(size_t n, std::mt19937& rng)
{
    Bytes b(n);
    for (auto& x : b)
        x = uint8_t(rng());
    return b;
}

// A valid file of some format and layout.
Bytes Seed(std::mt19937& rng)
{
    WavLayout s;
    s.channels = uint16_t(1 + rng() % 2);
    s.bits = rng() % 2 ? 16 : 8;
    s.rate = 8000 + uint32_t(rng() % 40000);
    s.fmtSize = rng() % 3 == 0 ? 18 : 16;
    const Bytes data = Pcm(rng() % 6000, rng);
    Bytes file = MakeWav(s, {});
    file.resize(file.size() - 8);  // the data chunk comes below
    const int extra = int(rng() % 4);
    for (int i = 0; i < extra; ++i) {
        const Bytes body = Pcm(rng() % 9, rng);
        AppendChunk(file, rng() % 2 ? "LIST" : "fact", body);
        if (body.size() % 2 && rng() % 4)
            file.push_back(0);  // the pad byte, mostly
    }
    AppendChunk(file, "data", data);
    if (rng() % 3 == 0)
        AppendChunk(file, "id3 ", Pcm(rng() % 40, rng));
    if (rng() % 4 == 0) {
        // The extensible format block with PCM inside.
        Bytes ext = MakeWav(WavLayout{uint16_t(0xFFFE), s.channels, s.rate, s.bits, 40}, data);
        const uint8_t tail[24] = {22, 0, uint8_t(s.bits), 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0,
                                  0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
        std::copy(tail, tail + sizeof tail, ext.begin() + 36);
        file = ext;
    }
    return file;
}

// Offsets of chunk headers as a reader would find them (sizes as written).
std::vector<size_t> ChunkHeaders(const Bytes& f)
{
    std::vector<size_t> at;
    size_t p = 12;
    while (p + 8 <= f.size() && at.size() < 32) {
        at.push_back(p);
        const uint32_t size = f[p + 4] | (f[p + 5] << 8) | (f[p + 6] << 16) | (uint32_t(f[p + 7]) << 24);
        p += 8 + size + (size & 1);
    }
    return at;
}

void Mutate(Bytes& f, std::mt19937& rng)
{
    const uint32_t interesting[] = {0, 1, 2, 3, 7, 15, 16, 17, 18, 40, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu,
                                    0xFFFFFFF8u, uint32_t(f.size()), uint32_t(f.size() + 1)};
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps && !f.empty(); ++s) {
        const std::vector<size_t> chunks = ChunkHeaders(f);
        switch (rng() % 8) {
        case 0:  // a chunk size
            if (!chunks.empty())
                Put32(f, chunks[rng() % chunks.size()] + 4,
                      rng() % 2 ? interesting[rng() % 16] : uint32_t(rng()));
            break;
        case 1:  // a format field: tag, channels, rate, average, align, bits, extra size
            if (f.size() > 38) {
                const size_t field[] = {20, 22, 24, 28, 32, 34, 36};
                const size_t at = field[rng() % 7];
                if (at == 24 || at == 28)
                    Put32(f, at, rng() % 2 ? interesting[rng() % 16] : uint32_t(rng()));
                else
                    f[at] = uint8_t(rng() % 2 ? rng() % 40 : rng()), f[at + 1] = uint8_t(rng() % 4 ? 0 : rng());
            }
            break;
        case 2:  // an odd chunk, padded or not, somewhere after the header
            if (!chunks.empty()) {
                Bytes c = {'J', 'U', 'N', 'K'};
                const uint32_t n = uint32_t(rng() % 12);
                for (int i = 0; i < 4; ++i)
                    c.push_back(uint8_t(n >> (8 * i)));
                c.resize(c.size() + n + (rng() % 2 ? (n & 1) : 0), 0);
                f.insert(f.begin() + chunks[rng() % chunks.size()], c.begin(), c.end());
            }
            break;
        case 3:  // cut anywhere
            f.resize(rng() % (f.size() + 1));
            break;
        case 4:  // bytes flipped
            for (int i = 0; i < 1 + int(rng() % 8); ++i)
                f[rng() % f.size()] ^= uint8_t(1 + rng() % 255);
            break;
        case 5:  // a chunk repeated
            if (!chunks.empty()) {
                const size_t a = chunks[rng() % chunks.size()];
                const size_t b = std::min(f.size(), a + 8 + rng() % 64);
                const Bytes copy(f.begin() + a, f.begin() + b);
                f.insert(f.begin() + chunks[rng() % chunks.size()], copy.begin(), copy.end());
            }
            break;
        case 6:  // a chunk identifier changed
            if (!chunks.empty()) {
                const char* ids[] = {"fmt ", "data", "LIST", "\0\0\0\0", "RIFF"};
                const char* id = ids[rng() % 5];
                std::copy(id, id + 4, f.begin() + chunks[rng() % chunks.size()]);
            }
            break;
        default:  // the RIFF size
            Put32(f, 4, interesting[rng() % 16]);
            break;
        }
    }
}

const size_t kRoom = 16384;

// One mutated file: opened (or refused), described, drained with seeks tried on
// the way. Counts it in `opened` when it opened.
void Check(CCeMWavDecoder& dec, const Bytes& file, std::mt19937& rng, GuardedBlock& out, long& opened)
{
    if (!OpenInput(dec, kPath, file, opened))
        return;
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    ASSERT_GE(info.nDuration, 0);
    ASSERT_LE(size_t(info.nDuration), file.size()) << "no more seconds than bytes";
    ASSERT_GT(info.nSampleRate, 0);
    const size_t frame = size_t(info.bStereo ? 2 : 1) * (info.b16Bit ? 2 : 1);
    size_t total = 0;
    bool ended = false;
    for (size_t calls = 0; calls < 4 + file.size() && !ended; ++calls) {
        // Any room, placed so that its last byte is the last one that may be touched.
        const DWORD room = DWORD(1 + rng() % kRoom);
        DWORD len = room;
        const int more = dec.GetPCMBlock(out.data() + (kRoom - room), &len);
        ASSERT_LE(len, room);
        ASSERT_EQ(0u, len % frame) << "whole sample frames only";
        total += len;
        if (rng() % 16 == 0)
            ASSERT_EQ(0, dec.Seek(int(rng() % 3), int(rng() % 3)));
        ended = !more;
    }
    ASSERT_TRUE(ended) << "the data never ended";
    ASSERT_LE(total, file.size());
    DWORD len = 64;
    ASSERT_EQ(0, dec.GetPCMBlock(out.data() + kRoom - 64, &len)) << "the end stays the end";
    dec.CloseFile();
}

TEST(WavFuzz, MutatedFilesNeverCrashHangOrOverrun)
{
    FuzzRun run(20261207, 1000);
    CCeMWavDecoder dec;
    dec.Initialize();
    GuardedBlock out(kRoom);
    long opened = 0;
    RunRounds(
        run, L"wav-fuzz-failed.wav",
        [](std::mt19937& rng) {
            Bytes file = Seed(rng);
            Mutate(file, rng);
            return file;
        },
        [&](const Bytes& file, std::mt19937& rng) { Check(dec, file, rng, out, opened); });
    DeleteFileW(kPath.c_str());
    run.Report("audio_wav", opened);
    EXPECT_GT(opened, run.Rounds() / 10) << "the mutations leave enough playable files to decode";
}

}  // namespace
