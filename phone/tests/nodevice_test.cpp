// With a sound device that cannot open, sounds and ring tones go quiet and
// nothing waits on them.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>

#include "CeDbTestUtil.h"
#include "SoundFixture.h"
#include "audio/CCeMpegThread.h"
#include "phone/EffectSounds.h"
#include "phone/RingTone.h"
#include "phone/SystemVolume.h"

using namespace soundtest;

namespace {

std::vector<int> g_notices;

LRESULT CALLBACK OwnerProc(HWND h, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_COMMAND && LOWORD(wp) == kRingPlayerNoticeId) {
        g_notices.push_back(HIWORD(wp));
        return 0;
    }
    return DefWindowProcW(h, m, wp, lp);
}

TEST(NoSoundDevice, EverythingReturnsAndStaysQuiet)
{
    HWAVEOUT out = nullptr;
    WAVEFORMATEX fmt = {WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
    const MMRESULT opened = waveOutOpen(&out, WAVE_MAPPER, &fmt, 0, 0, CALLBACK_NULL);
    if (opened == MMSYSERR_NOERROR)
        waveOutClose(out);
    ASSERT_NE(MMSYSERR_NOERROR, opened) << "this test needs a device that cannot open";

    InstallFolder folder(L"nodevice");
    folder.Put(L"Effect\\connect.wav", MakeWav(0x51, 4000));
    folder.Put(L"Effect\\keypad\\1.wav", MakeWav(0x61, 1200));
    folder.Put(L"bell\\default.wav", MakeWav(0x11, 16000));
    SettingsBlock s = {};
    s.nBellSource = 2;
    s.bConnectTone = s.bKeypadTone = 1;
    wcscpy(s.szBellFile, L"default.wav");

    DWORD start = GetTickCount();
    EXPECT_EQ(1, PlayEffectSound(folder.Path().c_str(), s, kEffectConnect));
    EXPECT_EQ(1, PlayKeyClick(folder.Path().c_str(), s, 1));
    EXPECT_LT(GetTickCount() - start, 2000u);

    SystemVolume volume(15);
    volume.SetStep(9, 0);
    EXPECT_EQ(9, volume.CurrentStep());

    cedbtest::ScopedStore store(L"nodevice");
    CCeDataManager data;
    data.SetInstallDir(folder.Path().c_str());
    data.m_Settings = s;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"NoDeviceOwner";
    RegisterClassW(&wc);
    HWND owner = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
    ASSERT_NE(nullptr, CreateRingPlayer(data, wc.hInstance, owner));
    EXPECT_EQ(kRingDefault, PlayRingTone(data, L"0101234567", nullptr));
    int restarts = 0;
    PumpUntil(
        [&] {
            for (int c : g_notices)
                if (c == kRingPlayerFinished)
                    restarts += OnRingPlayerNotice(data, MAKEWPARAM(kRingPlayerNoticeId, c), 2, 0);
            g_notices.erase(std::remove(g_notices.begin(), g_notices.end(), kRingPlayerFinished), g_notices.end());
            return false;
        },
        1500);
    EXPECT_LE(restarts, 10) << "no endless restarts of a tone that cannot sound";
    StopRingTone(data);
    start = GetTickCount();
    DestroyRingPlayer(data);
    EXPECT_LT(GetTickCount() - start, 3000u);
    EXPECT_EQ(nullptr, data.m_pRingPlayer);
    DestroyWindow(owner);
}

}  // namespace
