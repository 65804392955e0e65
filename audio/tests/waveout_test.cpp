// The wave-out ring on its own, with a decoder that counts what is asked of it,
// and the plain window thread.
#include <gtest/gtest.h>

#include "audio/CCeMWaveOutCtrl.h"
#include "audio/CCeMWndThread.h"

#include <vector>

namespace {

class CountingDecoder : public CCeMDecoder {
public:
    explicit CountingDecoder(int blocks, DWORD lastLength = 16384) : blocks_(blocks), last_(lastLength) {}
    int GetFileInfo(CCeAudioFileInfo* info) override
    {
        info->Init();
        info->nSampleRate = 8000;
        info->bStereo = 0;
        info->b16Bit = 0;  // 8-bit mono: 16 KiB is two seconds per buffer
        return 1;
    }
    int GetPCMBlock(BYTE* buffer, DWORD* length) override
    {
        ++calls;
        const bool last = calls >= blocks_;
        *length = last ? std::min(*length, last_) : *length;
        memset(buffer, 0x80 + calls, *length);
        return last ? 0 : 1;
    }
    void CloseFile() override { ++closed; }
    int calls = 0;
    int closed = 0;

private:
    int blocks_;
    DWORD last_;
};

void DropDeviceMessages()
{
    MSG m;
    while (PeekMessageW(&m, nullptr, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE))
        ;
}

TEST(WaveOutCtrl, RingOfEightRefillFlushAndClose)
{
    CountingDecoder dec(1000);
    CCeMWaveOutCtrl out;
    EXPECT_EQ(0, out.RefillBuffers());  // no device yet
    EXPECT_EQ(0, out.Flush(0));
    EXPECT_EQ(0, out.SetPause(1));
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    out.SetDecoder(&dec);
    ASSERT_EQ(1, out.ReadyToStart(&info, GetCurrentThreadId()));
    EXPECT_EQ(1, out.IsWaveOutActive());
    EXPECT_EQ(1, out.SetPause(1));  // held: what is queued stays queued

    EXPECT_EQ(1, out.RefillBuffers());
    EXPECT_EQ(8, dec.calls);
    EXPECT_EQ(0, out.IsOutputComplete());
    EXPECT_EQ(1, out.RefillBuffers());  // no free buffer: nothing asked
    EXPECT_EQ(8, dec.calls);

    EXPECT_EQ(1, out.Flush(0));  // every buffer comes back
    EXPECT_EQ(1, out.RefillBuffers());
    EXPECT_EQ(16, dec.calls);
    EXPECT_EQ(1, out.bBePlaying());

    out.Uninitialize(0);
    out.Uninitialize(0);  // twice is harmless
    EXPECT_EQ(0, out.IsWaveOutActive());
    EXPECT_EQ(1, out.IsOutputComplete());
    EXPECT_EQ(&dec, out.GetAppropriateDecoder());
    out.SetDecoder(nullptr);
    EXPECT_EQ(0, out.bBePlaying());
    DropDeviceMessages();
}

TEST(WaveOutCtrl, TheLastPartialBlockIsQueuedThenTheDecoderLetGo)
{
    CountingDecoder dec(3, 1000);
    CCeMWaveOutCtrl out;
    CCeAudioFileInfo info;
    dec.GetFileInfo(&info);
    out.SetDecoder(&dec);
    ASSERT_EQ(1, out.ReadyToStart(&info, GetCurrentThreadId()));
    out.SetPause(1);
    EXPECT_EQ(1, out.RefillBuffers());
    EXPECT_EQ(3, dec.calls);  // stops at the end of the data
    EXPECT_EQ(1, dec.closed);
    EXPECT_EQ(nullptr, out.GetAppropriateDecoder());
    EXPECT_EQ(1, out.bBePlaying()) << "three buffers, the last of 1,000 bytes, still queued";
    out.Uninitialize(0);
    EXPECT_EQ(0, out.bBePlaying());
    DropDeviceMessages();
}

// The plain window thread: its loop ends on WM_USER + 1.
struct Owner {
    std::vector<WPARAM> got;
    HWND hwnd;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_COMMAND) {
            reinterpret_cast<Owner*>(GetWindowLongPtrW(h, GWLP_USERDATA))->got.push_back(wp);
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
    Owner()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"WndThreadTestOwner";
        RegisterClassW(&wc);
        hwnd = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(this));
    }
    ~Owner() { DestroyWindow(hwnd); }
    bool WaitFor(WPARAM wp)
    {
        for (int i = 0; i < 500; ++i) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&m);
            for (WPARAM w : got)
                if (w == wp)
                    return true;
            Sleep(10);
        }
        return false;
    }
};

TEST(WndThread, NotifiesCreationAndTheEndOfItsLoop)
{
    Owner owner;
    CCeMWndThread* t = new CCeMWndThread;
    EXPECT_EQ(DWORD(-1), t->GetThreadID());
    ASSERT_EQ(1, t->CreateThread(GetModuleHandleW(nullptr), 0x12345, owner.hwnd));
    EXPECT_TRUE(owner.WaitFor((100 << 16) | 0x2345)) << "only the low 16 bits of the id";
    EXPECT_EQ(0, t->CreateThread(GetModuleHandleW(nullptr), 1, owner.hwnd)) << "one thread per object";
    PostThreadMessageW(t->GetThreadID(), WM_USER + 2, 0, 0);  // anything else is taken and ignored
    PostThreadMessageW(t->GetThreadID(), WM_USER + 1, 0, 0);
    EXPECT_TRUE(owner.WaitFor((102 << 16) | 0x2345));
    t->Delete();
}

// A thread whose end takes a while, and that says when it has ended.
class SlowEndThread : public CCeMWndThread {
public:
    explicit SlowEndThread(volatile LONG* ended) : ended_(ended) {}
    void PostDestroy() override
    {
        Sleep(300);
        InterlockedExchange(ended_, 1);
    }
    HANDLE OpenOwnThread() { return OpenThread(SYNCHRONIZE, FALSE, GetThreadID()); }

private:
    volatile LONG* ended_;
};

TEST(WndThread, DestroyThreadAndDeleteWaitForTheThreadToEnd)
{
    Owner owner;
    volatile LONG ended = 0;
    SlowEndThread t(&ended);
    ASSERT_EQ(1, t.CreateThread(GetModuleHandleW(nullptr), 7, owner.hwnd));
    ASSERT_TRUE(owner.WaitFor((100 << 16) | 7));
    HANDLE h = t.OpenOwnThread();
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(1, t.DestroyThread());
    EXPECT_EQ(1, ended) << "the thread had finished its work";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 0)) << "and ended";
    CloseHandle(h);
    EXPECT_EQ(DWORD(-1), t.GetThreadID());

    // Deleting an object whose thread runs ends the thread first (by then the
    // derived part is gone, so only the base's hooks run).
    volatile LONG ended2 = 0;
    SlowEndThread* running = new SlowEndThread(&ended2);
    ASSERT_EQ(1, running->CreateThread(GetModuleHandleW(nullptr), 8, owner.hwnd));
    ASSERT_TRUE(owner.WaitFor((100 << 16) | 8));
    h = running->OpenOwnThread();
    running->Delete();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(h, 0));
    CloseHandle(h);
}

TEST(WndThread, DestroyThreadLetsTheOwnerGo)
{
    Owner owner;
    CCeMWndThread t;
    EXPECT_EQ(0, t.DestroyThread()) << "no window yet";
    ASSERT_EQ(1, t.CreateThread(GetModuleHandleW(nullptr), 7, owner.hwnd));
    ASSERT_TRUE(owner.WaitFor((100 << 16) | 7));
    EXPECT_EQ(1, t.DestroyThread());
    Sleep(200);
    owner.got.clear();
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&m);
    EXPECT_TRUE(owner.got.empty()) << "no notification once the owner was let go";
    EXPECT_EQ(0, t.SendNotifyCode(205));
}

}  // namespace
