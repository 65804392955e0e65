// How fast CCeMpegDecoder decodes compared with a bare libmad loop over the same
// file, and how long the player takes from Play to handing sound to the device.
#include "bench/BenchClock.h"
#include "audio/CCeMpegDecoder.h"
#include "audio/CCeMpegThread.h"

#include <mad.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Now() { return bench::NowSeconds(); }

std::vector<unsigned char> ReadAll(const wchar_t* path)
{
    std::vector<unsigned char> data;
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return data;
    data.resize(GetFileSize(f, nullptr));
    DWORD got = 0;
    ReadFile(f, data.data(), DWORD(data.size()), &got, nullptr);
    data.resize(got);
    CloseHandle(f);
    return data;
}

// Seconds of sound decoded, and the wall time it took.
struct Run {
    double audio = 0, wall = 0;
};

Run DecodeWithOurs(const wchar_t* path)
{
    CCeMpegDecoder dec;
    dec.Initialize();
    Run r;
    const double t0 = Now();
    if (!dec.OpenFile(path))
        return r;
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    static BYTE buf[16384];
    unsigned long long bytes = 0;
    for (;;) {
        DWORD len = sizeof buf;
        const int more = dec.GetPCMBlock(buf, &len);
        bytes += len;
        if (!more)
            break;
    }
    r.wall = Now() - t0;
    r.audio = double(bytes) / (info.bStereo ? 4.0 : 2.0) / info.nSampleRate;
    return r;
}

// The plainest player loop: the whole file in memory, decode, synthesize, and
// round and clip to 16 bits.
Run DecodeBare(const wchar_t* path)
{
    Run r;
    const double t0 = Now();
    std::vector<unsigned char> data = ReadAll(path);
    const size_t size = data.size();
    data.resize(size + MAD_BUFFER_GUARD, 0);
    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_synth_init(&synth);
    mad_stream_buffer(&stream, data.data(), data.size());
    static short out[1152 * 2];
    unsigned long long samples = 0, checksum = 0;
    unsigned rate = 44100;
    for (;;) {
        if (mad_frame_decode(&frame, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error))
                continue;
            break;
        }
        mad_synth_frame(&synth, &frame);
        rate = synth.pcm.samplerate;
        for (unsigned i = 0; i < synth.pcm.length; ++i)
            for (unsigned c = 0; c < synth.pcm.channels; ++c) {
                mad_fixed_t s = synth.pcm.samples[c][i] + (1L << (MAD_F_FRACBITS - 16));
                s = std::min<mad_fixed_t>(std::max<mad_fixed_t>(s, -MAD_F_ONE), MAD_F_ONE - 1);
                out[i * 2 + c] = short(s >> (MAD_F_FRACBITS + 1 - 16));
            }
        samples += synth.pcm.length;
        checksum += unsigned(out[0]);
    }
    if (checksum == 1)  // keeps the conversion from being optimised away
        std::printf(" ");
    mad_synth_finish(&synth);
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    r.wall = Now() - t0;
    r.audio = double(samples) / rate;
    return r;
}

// The fastest of several runs of each, taken in turns so that both see the same
// machine (the build machine is shared).
void BestOfBoth(const wchar_t* path, int times, Run& ours, Run& bare)
{
    for (int i = 0; i < times; ++i) {
        const Run a = DecodeWithOurs(path);
        const Run b = DecodeBare(path);
        if (ours.wall == 0 || (a.wall > 0 && a.wall < ours.wall))
            ours = a;
        if (bare.wall == 0 || (b.wall > 0 && b.wall < bare.wall))
            bare = b;
    }
}

// A decoder that passes everything on to the MPEG decoder and notes when the
// wave-out control comes back for a second block: by then the first buffer has
// been handed to the device.
class TimedDecoder : public CCeMDecoder {
public:
    explicit TimedDecoder(CCeMDecoder& inner) : inner_(inner) {}
    int GetFileInfo(CCeAudioFileInfo* info) override { return inner_.GetFileInfo(info); }
    int GetPCMBlock(BYTE* buffer, DWORD* length) override
    {
        if (++calls_ == 2)
            firstHandedOver = Now();
        return inner_.GetPCMBlock(buffer, length);
    }
    void CloseFile() override { inner_.CloseFile(); }
    double firstHandedOver = 0;

private:
    CCeMDecoder& inner_;
    int calls_ = 0;
};

// What the player does on Play, step by step on this thread: open the device
// for the file, then refill. Returns milliseconds to the first buffer handed
// over, or -1 without a device.
double FirstBufferMs(const wchar_t* path, double* openMs)
{
    CCeMpegDecoder dec;
    dec.Initialize();
    if (!dec.OpenFile(path))
        return -1;
    TimedDecoder timed(dec);
    CCeMWaveOutCtrl out;
    out.SetDecoder(&timed);
    CCeAudioFileInfo info;
    const double t0 = Now();
    timed.GetFileInfo(&info);
    if (!out.ReadyToStart(&info, GetCurrentThreadId()))
        return -1;
    *openMs = (Now() - t0) * 1000;
    out.SetPause(0);
    out.RefillBuffers();
    const double ms = (timed.firstHandedOver - t0) * 1000;
    out.SetDecoder(nullptr);
    out.Uninitialize(0);
    MSG m;  // the device's messages to this thread
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        ;
    return ms;
}

double g_started;
double g_refilled;

LRESULT CALLBACK OwnerProc(HWND h, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_COMMAND) {
        if (HIWORD(wp) == 207 && g_refilled < 0)
            g_refilled = (Now() - g_started) * 1000;
        return 0;
    }
    return DefWindowProcW(h, m, wp, lp);
}

void Pump(double seconds, const double* until)
{
    const double end = Now() + seconds;
    MSG m;
    while (Now() < end && (!until || *until < 0)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&m);
    }
}

// Through the player: Play posted, until its first refill (all eight buffers
// queued) is reported. Two rounds: the first one in the process, then again.
void PlayerStart(const wchar_t* path, double ms[2])
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"AudioBenchOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    CCeMpegThread* player = new CCeMpegThread;
    player->CreateThread(wc.hInstance, 1, owner);
    for (int round = 0; round < 2; ++round) {
        player->Open(path);
        Pump(0.3, nullptr);
        g_refilled = -1;
        g_started = Now();
        player->Play();
        Pump(3.0, &g_refilled);
        ms[round] = g_refilled;
        player->Stop();
        Pump(0.2, nullptr);
    }
    player->DestroyThread();
    player->Delete();
    DestroyWindow(owner);
}

}  // namespace

int main(int argc, char** argv)
{
    wchar_t arg[MAX_PATH] = L"bench-3min.mp3";
    if (argc > 1)
        MultiByteToWideChar(CP_ACP, 0, argv[1], -1, arg, MAX_PATH);
    const wchar_t* path = arg;
    if (ReadAll(path).empty()) {
        std::printf("usage: audio_bench <file.mp3> (a 3-minute 128 kbit/s stereo file is made in the build's bench/audio)\n");
        return 1;
    }
    DecodeWithOurs(path);  // warm the file cache
    Run ours, bare;
    BestOfBoth(path, 9, ours, bare);
    std::printf("audio: %.1f s\n", ours.audio);
    std::printf("CCeMpegDecoder:   %7.1f x real time (%.3f s)\n", ours.audio / ours.wall, ours.wall);
    std::printf("bare libmad loop: %7.1f x real time (%.3f s)\n", bare.audio / bare.wall, bare.wall);
    std::printf("ratio (ours / bare speed): %.3f\n", (ours.audio / ours.wall) / (bare.audio / bare.wall));

    // The player first: it is what the phone uses, and this is the process's
    // first sound.
    double player[2] = {-1, -1};
    PlayerStart(path, player);
    if (player[0] < 0) {
        std::printf("Play to first buffer: no wave-out device (see the top of bench/audio/CMakeLists.txt)\n");
        return 0;
    }
    std::printf("through the player, Play to all eight buffers queued (the first went out before): "
                "%.1f ms first time, %.1f ms second time\n", player[0], player[1]);
    double openMs = 0;
    const double first = FirstBufferMs(path, &openMs);
    std::printf("the same steps on one thread, to the first buffer handed to the device: %.1f ms "
                "(of which opening the device %.1f ms)\n", first, openMs);
    return 0;
}
