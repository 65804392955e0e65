// The player as the phone uses it, through Melox.dll: commands posted from the
// owner's thread, notifications back to its window, and what reached the sound
// device (a capture file here) compared with what the decoders produce.
#include <gtest/gtest.h>

#include "audio/CCeMpegThread.h"
#include "pcm_compare.h"
#include "test_files.h"

#include <algorithm>
#include <deque>

using namespace audiotest;

namespace {

const UINT kNotifyId = 3024;
const wchar_t kCapture[] = L"player-capture.raw";

// The owner: a window on the test's thread that records every notification.
class Owner {
public:
    Owner()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PlayerTestOwner";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(L"PlayerTestOwner", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, this);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Owner() { DestroyWindow(hwnd); }

    // Pumps messages until `code` arrives (consuming the codes before it).
    bool WaitFor(int code, DWORD ms = 10000)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            while (!codes.empty()) {
                const int c = codes.front();
                codes.pop_front();
                seen.push_back(c);
                if (c == code)
                    return true;
            }
            if (GetTickCount() - start > ms)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            Pump();
        }
    }
    // Pumps for a while and returns everything that arrived.
    std::vector<int> Drain(DWORD ms = 300)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            Pump();
        }
        std::vector<int> out(codes.begin(), codes.end());
        seen.insert(seen.end(), codes.begin(), codes.end());
        codes.clear();
        return out;
    }
    void Pump()
    {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    int Count(int code) const
    {
        int n = 0;
        for (int c : seen)
            n += c == code;
        return n;
    }

    HWND hwnd = nullptr;
    std::deque<int> codes;
    std::vector<int> seen;
    HWND lastSender = nullptr;
    int wrongId = 0;
    int sentSeen = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
    {
        Owner* self = reinterpret_cast<Owner*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (msg == WM_APP + 7 && self) {
            ++self->sentSeen;
            return 0;
        }
        if (msg == WM_COMMAND && self) {
            if (LOWORD(wp) != kNotifyId)
                ++self->wrongId;
            self->codes.push_back(HIWORD(wp));
            self->lastSender = reinterpret_cast<HWND>(lp);
            return 0;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }
};

struct PlayerTest : ::testing::Test {
    Owner owner;
    CCeMpegThread* player = nullptr;

    void SetUp() override
    {
        player = new CCeMpegThread;
        ASSERT_EQ(1, player->CreateThread(GetModuleHandleW(nullptr), kNotifyId, owner.hwnd));
        ASSERT_TRUE(owner.WaitFor(CCeMWndThread::kNotifyWndCreated));
    }
    void TearDown() override
    {
        if (player) {
            player->DestroyThread();
            player->Delete();
        }
        EXPECT_EQ(0, owner.wrongId);
    }
    // Opens and plays `path` to its end; returns the captured bytes.
    Bytes PlayToEnd(const std::wstring& path)
    {
        EXPECT_EQ(1, player->Open(path.c_str()));
        EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
        EXPECT_EQ(1, player->Play());
        EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 20000));
        EXPECT_EQ(0, player->bBePlaying());
        return ReadAll(kCapture);
    }
};

// The device starts (and may end) with silence of its own; around it, what
// was played must be exactly `data`.
void ExpectSilenceAround(const Bytes& capture, const Bytes& data, uint8_t silence)
{
    ASSERT_GE(data.size(), 64u);
    ASSERT_GE(capture.size(), data.size());
    size_t at = 0;
    while (at + data.size() <= capture.size() && capture[at] == silence &&
           !std::equal(data.begin(), data.begin() + 64, capture.begin() + at))
        ++at;
    ASSERT_LE(at + data.size(), capture.size()) << "the sound is not in the capture";
    EXPECT_TRUE(std::equal(data.begin(), data.end(), capture.begin() + at));
    for (size_t i = at + data.size(); i < capture.size(); ++i)
        ASSERT_EQ(silence, capture[i]) << "after the sound, at " << i;
}

// Noise that never repeats and has no silent sample (odd values only), so
// every stretch of it can be found in a capture at exactly one place.
Bytes Tone16(size_t frames, int channels)
{
    Bytes b;
    uint32_t r = 2463534242u;
    for (size_t i = 0; i < frames * size_t(channels); ++i) {
        r = r * 1664525u + 1013904223u;
        const int16_t v = int16_t(int16_t(r >> 16) / 2 | 1);
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    }
    return b;
}

TEST_F(PlayerTest, WavFilesReachTheDeviceByteForByte)
{
    struct Case {
        uint16_t channels, bits;
    } cases[] = {{2, 16}, {1, 8}};
    for (const Case& c : cases) {
        WavLayout s;
        s.channels = c.channels;
        s.bits = c.bits;
        s.rate = 22050;
        Bytes data = c.bits == 16 ? Tone16(30000, c.channels) : Bytes(50000);
        if (c.bits == 8)
            for (size_t i = 0; i < data.size(); ++i)
                data[i] = uint8_t(128 + (i % 64) - 32);
        const std::wstring path = L"player-tone.WaV";
        ASSERT_TRUE(WriteAll(path, MakeWav(s, data)));
        owner.seen.clear();
        ExpectSilenceAround(PlayToEnd(path), data, c.bits == 8 ? 0x80 : 0x00);
        // Notifications in order: opened, playing, refills, then one "finished".
        ASSERT_GE(owner.seen.size(), 4u);
        EXPECT_EQ(CCeMpegThread::kNotifyOpened, owner.seen[0]);
        EXPECT_EQ(CCeMpegThread::kNotifyPlaying, owner.seen[1]);
        EXPECT_EQ(CCeMpegThread::kNotifyRefilled, owner.seen[2]);
        EXPECT_EQ(1, owner.Count(CCeMpegThread::kNotifyFinished));
        EXPECT_EQ(std::vector<int>{}, owner.Drain(200)) << "nothing after the end";
        DeleteFileW(path.c_str());
    }
}

// The file through the library's own decoder.
std::vector<int16_t> Decode(const std::wstring& path)
{
    CCeMpegDecoder dec;
    dec.Initialize();
    EXPECT_EQ(1, dec.OpenFile(path.c_str()));
    std::vector<uint8_t> bytes;
    std::vector<BYTE> buf(16384);
    for (;;) {
        DWORD len = 16384;
        const int more = dec.GetPCMBlock(buf.data(), &len);
        bytes.insert(bytes.end(), buf.begin(), buf.begin() + len);
        if (!more)
            break;
    }
    return Samples(bytes);
}

// Past the device's own leading silence, the decoder's samples and then silence
// only. The dither continues from wherever the process's last decode left it,
// so the two agree to the last bit or so, not exactly.
void ExpectDecodedInCapture(const std::vector<int16_t>& played, const std::vector<int16_t>& decoded,
                            int channels)
{
    ASSERT_GE(played.size(), decoded.size());
    size_t lead = 0;
    while (lead < played.size() && played[lead] == 0)
        ++lead;
    const size_t back = std::min(lead, size_t(4096)) / channels * channels;  // the sound may start with zeros too
    const size_t from = lead / channels * channels - back;
    const size_t at = from + BestLag(decoded, std::vector<int16_t>(played.begin() + from, played.end()),
                                     channels, back / channels) * channels;
    ASSERT_LE(at + decoded.size(), played.size());
    EXPECT_GE(SnrDb(decoded.data(), played.data() + at, decoded.size()), 80.0);
    for (size_t i = at + decoded.size(); i < played.size(); ++i)
        ASSERT_EQ(0, played[i]) << "after the sound, at " << i;
}

TEST_F(PlayerTest, Mp3ReachesTheDeviceAsTheDecoderMakesIt)
{
    const std::wstring path = Media("m2_22k_stereo_vbr.mp3");
    const std::vector<int16_t> played = Samples(PlayToEnd(path));
    ExpectDecodedInCapture(played, Decode(path), 2);
}

TEST_F(PlayerTest, ExtensionsAndRefusals)
{
    EXPECT_EQ(1, player->Open(L"something.ogg"));
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpenFailed));
    EXPECT_EQ(1, player->Open(L"missing.mp3"));
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpenFailed));
    EXPECT_EQ(CCeMpegThread::kStopped, player->GetState());
    // Play without an open file does nothing and tells nothing.
    EXPECT_EQ(1, player->Play());
    EXPECT_EQ(std::vector<int>{}, owner.Drain(300));
    EXPECT_EQ(0, player->bBePlaying());
    // A seek while stopped is answered by silence too.
    EXPECT_EQ(1, player->Seek(1, 2));
    EXPECT_EQ(std::vector<int>{}, owner.Drain(200));

    // A WAV file named .mp3 and an MP3 named .wav: refused or played to an end.
    const Bytes mp3 = ReadAll(Media("m25_8k_mono_cbr.mp3"));
    ASSERT_TRUE(WriteAll(L"mislabelled.wav", mp3));
    EXPECT_EQ(1, player->Open(L"MISLABELLED.WAV"));
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpenFailed));
    // The WAV's noise holds chance frame headers, but no two in a row that make
    // a stream: refused like any file without sound.
    WavLayout s;
    ASSERT_TRUE(WriteAll(L"mislabelled.mp3", MakeWav(s, Tone16(20000, 2))));
    EXPECT_EQ(1, player->Open(L"mislabelled.Mp3"));
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpenFailed));
    EXPECT_EQ(0, owner.Count(CCeMpegThread::kNotifyOpened));
    EXPECT_EQ(CCeMpegThread::kStopped, player->GetState());
    DeleteFileW(L"mislabelled.wav");
    DeleteFileW(L"mislabelled.mp3");
}

TEST_F(PlayerTest, OpenNullPlaysTheSameFileAgain)
{
    const std::wstring path = Media("m25_8k_mono_cbr.mp3");
    const std::vector<int16_t> decoded = Decode(path);
    ExpectDecodedInCapture(Samples(PlayToEnd(path)), decoded, 1);
    EXPECT_EQ(1, player->Open(nullptr));
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    EXPECT_EQ(1, player->Play());
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 20000));
    ExpectDecodedInCapture(Samples(ReadAll(kCapture)), decoded, 1);
    EXPECT_EQ(2, owner.Count(CCeMpegThread::kNotifyFinished));
}

TEST_F(PlayerTest, PauseResumeSeekAndStop)
{
    EXPECT_EQ(1, player->Open(Media("cbr128_noxing.mp3").c_str()));
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    EXPECT_EQ(CCeMpegThread::kOpened, player->GetState());
    EXPECT_EQ(1, player->bBePlaying());  // a decoder is attached
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyPlaying));
    player->Pause();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyPaused));
    EXPECT_EQ(CCeMpegThread::kPaused, player->GetState());
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyPlaying));
    player->Seek(1, 2);
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifySought));
    player->Stop();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyStopped));
    EXPECT_EQ(CCeMpegThread::kStopped, player->GetState());
    EXPECT_EQ(0, player->bBePlaying());
    EXPECT_EQ(0, owner.Count(CCeMpegThread::kNotifyFinished));
    EXPECT_EQ(1, player->Seek(1, 2));  // stopped: nothing to seek
    EXPECT_EQ(std::vector<int>{}, owner.Drain(200));
}

// The capture of 16-bit stereo without runs of 16 or more silent sample frames
// (the device's own, and what a paused device may write).
Bytes WithoutSilence(const Bytes& capture)
{
    const size_t frame = 4;
    Bytes out;
    size_t run = 0;  // silent frames seen and not yet kept
    for (size_t i = 0; i + frame <= capture.size(); i += frame) {
        const bool silent = std::all_of(capture.begin() + i, capture.begin() + i + frame,
                                        [](uint8_t b) { return b == 0; });
        if (silent) {
            ++run;
            continue;
        }
        if (run > 0 && run < 16)
            out.insert(out.end(), run * frame, 0);
        run = 0;
        out.insert(out.end(), capture.begin() + i, capture.begin() + i + frame);
    }
    return out;
}

TEST_F(PlayerTest, PauseAndResumeContinueWhereTheOutputStopped)
{
    WavLayout s;
    s.rate = 22050;
    const Bytes data = Tone16(22050 * 8, 2);  // 8 s: far more than the ring holds
    const std::wstring path = L"player-pause.wav";
    ASSERT_TRUE(WriteAll(path, MakeWav(s, data)));
    player->Open(path.c_str());
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyRefilled));
    player->Pause();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyPaused));
    owner.Drain(300);
    EXPECT_EQ(0, owner.Count(CCeMpegThread::kNotifyFinished)) << "paused before the end";
    EXPECT_EQ(1, player->bBePlaying());
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 30000));
    // Played on from where it stopped: no gap, nothing twice. Stopping and
    // starting makes Wine rewind the device by a few milliseconds, which the
    // capture file cannot undo, so up to 4 KiB at the start and 2 KiB at the
    // end of the capture may be spoilt; everything between must be exact.
    const Bytes capture = ReadAll(kCapture);
    const Bytes played = WithoutSilence(capture);
    size_t skipped = 0;
    auto at = played.end();
    for (; skipped <= 4096 && at == played.end(); skipped += 64)
        at = std::search(played.begin(), played.end(), data.begin() + skipped, data.begin() + skipped + 64);
    ASSERT_NE(played.end(), at) << "the start of the sound is not in the capture";
    skipped -= 64;
    const size_t n = std::min(size_t(played.end() - at), data.size() - skipped);
    EXPECT_GE(skipped + n + 2048, data.size());
    EXPECT_TRUE(std::equal(at, at + n, data.begin() + skipped));
    DeleteFileW(path.c_str());
}

TEST_F(PlayerTest, ASeekThatCannotBeDoneKeepsTheQueuedSound)
{
    WavLayout s;
    s.rate = 22050;
    const Bytes data = Tone16(22050 * 2, 2);
    const std::wstring path = L"player-noseek.wav";
    ASSERT_TRUE(WriteAll(path, MakeWav(s, data)));
    player->Open(path.c_str());
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyRefilled));
    EXPECT_EQ(0, player->Seek(1, 0)) << "no denominator: refused at once";
    EXPECT_EQ(1, player->Seek(1, 2)) << "posted; a WAV file cannot seek";
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 20000));
    EXPECT_EQ(0, owner.Count(CCeMpegThread::kNotifySought));
    EXPECT_NE(CCeMpegThread::kSought, player->GetState());
    // Every byte was played, none twice.
    ExpectSilenceAround(ReadAll(kCapture), data, 0x00);
    DeleteFileW(path.c_str());
}

TEST_F(PlayerTest, JoinedFilesOfAnotherFormatStopAtTheChangeAndSaySo)
{
    Bytes joined = ReadAll(Media("m25_8k_mono_cbr.mp3"));
    const Bytes second = ReadAll(Media("m2_22k_stereo_vbr.mp3"));
    joined.insert(joined.end(), second.begin(), second.end());
    const std::wstring path = L"player-joined.mp3";
    ASSERT_TRUE(WriteAll(path, joined));
    const std::vector<int16_t> played = Samples(PlayToEnd(path));
    EXPECT_EQ(1, owner.Count(CCeMpegThread::kNotifyFormatChanged));
    EXPECT_EQ(1, owner.Count(CCeMpegThread::kNotifyFinished));
    const auto change = std::find(owner.seen.begin(), owner.seen.end(), int(CCeMpegThread::kNotifyFormatChanged));
    const auto end = std::find(owner.seen.begin(), owner.seen.end(), int(CCeMpegThread::kNotifyFinished));
    EXPECT_LT(change, end) << "the change is told before the end";
    // What played is the first file, at its own format.
    ExpectDecodedInCapture(played, Decode(Media("m25_8k_mono_cbr.mp3")), 1);
    DeleteFileW(path.c_str());
}

TEST_F(PlayerTest, ALongStretchWithoutSoundPlaysThrough)
{
    const Bytes part = ReadAll(Media("m25_8k_mono_cbr.mp3"));
    Bytes file = part;
    uint32_t r = 99;
    for (size_t i = 0; i < (size_t(4) << 20); ++i) {
        r = r * 1664525u + 1013904223u;
        file.push_back(uint8_t((r >> 24) % 255));  // never 0xFF: no frame start
    }
    file.insert(file.end(), part.begin(), part.end());
    const std::wstring path = L"player-gap.mp3";
    ASSERT_TRUE(WriteAll(path, file));
    // Both parts play and the end comes: crossing the stretch in steps, the
    // player is not left waiting for buffers that were never queued.
    const std::vector<int16_t> decoded = Decode(path);
    ASSERT_EQ(1, player->Open(path.c_str()));
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 30000));
    // The device fills the gap with silence of its own: find each part.
    const std::vector<int16_t> played = Samples(ReadAll(kCapture));
    const size_t half = decoded.size() / 2;
    for (int k = 0; k < 2; ++k) {
        const std::vector<int16_t> want(decoded.begin() + k * half, decoded.begin() + (k + 1) * half);
        size_t at = 0;  // where a stretch well inside the part matches
        for (size_t i = 0; i + half <= played.size(); ++i)
            if (SnrDb(want.data() + 4000, played.data() + i + 4000, 256) > 60) {
                at = i;
                break;
            }
        EXPECT_GE(SnrDb(want.data(), played.data() + at, half), 60.0) << "part " << k;
    }
    DeleteFileW(path.c_str());
}

TEST_F(PlayerTest, OpeningAFileIsNotDoneAtThePriorityOfRunningOutput)
{
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, player->GetThreadID());
    ASSERT_NE(nullptr, thread);
    player->Open(Media("cbr128_noxing.mp3").c_str());
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyRefilled));
    EXPECT_EQ(THREAD_PRIORITY_TIME_CRITICAL, GetThreadPriority(thread)) << "output runs";
    // A new file is examined (which may mean reading far into it) at normal
    // priority, and stays there until it plays.
    player->Open(Media("m1_44k_stereo_cbr.mp3").c_str());
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyOpened));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(thread));
    player->Stop();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyStopped));
    CloseHandle(thread);
}

// A player whose thread is kept busy by a message of the test's, and which
// sends to the owner's thread before it is done.
class BusyPlayer : public CCeMpegThread {
public:
    enum { kMsgBusy = WM_USER + 50 };
    HWND target = nullptr;
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~BusyPlayer() override { CloseHandle(started); }
    int ProcThreadMsg(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kMsgBusy)
            return CCeMpegThread::ProcThreadMsg(message, wParam, lParam);
        SetEvent(started);
        Sleep(5600);
        SendMessageW(target, WM_APP + 7, 0, 0);  // answered only if the owner's thread serves it
        return 1;
    }
};

TEST_F(PlayerTest, DestroyThreadWaitsHoweverLongThePlayerIsBusy)
{
    BusyPlayer* busy = new BusyPlayer;
    busy->target = owner.hwnd;
    ASSERT_EQ(1, busy->CreateThread(GetModuleHandleW(nullptr), kNotifyId, owner.hwnd));
    ASSERT_TRUE(owner.WaitFor(CCeMWndThread::kNotifyWndCreated));
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, busy->GetThreadID());
    ASSERT_NE(nullptr, thread);
    PostThreadMessageW(busy->GetThreadID(), BusyPlayer::kMsgBusy, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(busy->started, 5000));
    EXPECT_EQ(1, busy->DestroyThread());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0)) << "returned only once the thread had ended";
    EXPECT_EQ(1, owner.sentSeen) << "the thread's sent message was served while waiting";
    CloseHandle(thread);
    busy->Delete();
}

TEST_F(PlayerTest, CommandsInAnyOrderNeverStick)
{
    const std::wstring files[] = {Media("m1_44k_stereo_cbr.mp3"), Media("m25_8k_mono_cbr.mp3"),
                                  L"missing.mp3", L"bad.txt"};
    unsigned r = 12345;
    for (int i = 0; i < 300; ++i) {
        r = r * 1103515245u + 12345u;
        switch ((r >> 16) % 6) {
        case 0: player->Open(files[(r >> 8) % 4].c_str()); break;
        case 1: player->Play(); break;
        case 2: player->Stop(); break;
        case 3: player->Pause(); break;
        case 4: player->Seek(int((r >> 4) % 10), 10); break;
        case 5: player->Open(nullptr); break;
        }
        if (i % 25 == 0)
            owner.Drain(5);
    }
    // The player still answers, and ends cleanly.
    player->Stop();
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyStopped, 10000));
    EXPECT_EQ(0, player->bBePlaying());
    player->Open(Media("m25_8k_mono_cbr.mp3").c_str());
    player->Play();
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 20000));
}

TEST_F(PlayerTest, DestroyWhilePlayingEndsTheThread)
{
    player->Open(Media("cbr128_noxing.mp3").c_str());
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyPlaying));
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, player->DestroyThread());
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(0, player->bBePlaying());
    EXPECT_EQ(DWORD(-1), player->GetThreadID()) << "the thread has ended";
    // Notifications already on their way may still arrive; none is sent after
    // the owner was let go (no "stopped", no "loop ended").
    for (int code : owner.Drain(200))
        EXPECT_EQ(CCeMpegThread::kNotifyRefilled, code);
    // The same object can start a new thread and play again.
    ASSERT_EQ(1, player->CreateThread(GetModuleHandleW(nullptr), kNotifyId, owner.hwnd));
    ASSERT_TRUE(owner.WaitFor(CCeMWndThread::kNotifyWndCreated));
    EXPECT_TRUE(IsWindow(owner.lastSender)) << "lParam is the hidden window";
    player->Open(Media("m25_8k_mono_cbr.mp3").c_str());
    player->Play();
    EXPECT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyFinished, 20000));
}

}  // namespace

namespace {

TEST_F(PlayerTest, OwnerWindowGoingFirstEndsThePlayer)
{
    player->Open(Media("cbr128_noxing.mp3").c_str());
    player->Play();
    ASSERT_TRUE(owner.WaitFor(CCeMpegThread::kNotifyPlaying));
    DestroyWindow(owner.hwnd);  // takes the player's hidden child window with it
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, player->DestroyThread());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(DWORD(-1), player->GetThreadID());
    EXPECT_EQ(0, player->bBePlaying());
}

}  // namespace
