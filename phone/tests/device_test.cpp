// The handheld's volume steps, notification LEDs and display power, seen
// through the platform's own state (device volume, registry, LED and display
// stand-ins) and, for the display, on the screen.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <ce_wavevol.h>
#include <nled.h>
#include <pwingdi.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "WinTest.h"
#include "phone/DisplayPower.h"
#include "phone/NotificationLed.h"
#include "phone/SystemVolume.h"
#include "sim/SimConsole.h"
#include "sim/SimModule.h"

namespace {

HWAVEOUT Device0() { return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0)); }

DWORD DeviceVolume()
{
    DWORD v = 0xDEADBEEF;
    EXPECT_EQ(MMSYSERR_NOERROR, waveOutGetVolume(Device0(), &v));
    return v;
}

DWORD RegVolume(LPCWSTR name)
{
    DWORD v = 0xDEADBEEF, size = sizeof v;
    RegGetValueW(HKEY_CURRENT_USER, L"ControlPanel\\Volume", name, RRF_RT_REG_DWORD, nullptr, &v, &size);
    return v;
}

class VolumeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"ControlPanel\\Volume");
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\VolumeUnmuted", 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        const DWORD mute = 7, keys = 2, screen = 1;
        RegSetValueExW(key, L"Mute", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mute), 4);
        RegSetValueExW(key, L"Key", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&keys), 4);
        RegSetValueExW(key, L"Screen", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&screen), 4);
        RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Volume", 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(key);
        ASSERT_GT(waveOutGetNumDevs(), 0u) << "the test's sound device is missing";
    }
    void TearDown() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"ControlPanel\\Volume");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"ControlPanel\\VolumeUnmuted");
    }
    SystemVolume volume{15};
};

TEST_F(VolumeTest, TopStepIsAcceptedAndTheRegistryFollows)
{
    const DWORD step = 0xFFFFFFFFu / 15;
    EXPECT_EQ(step, volume.StepSize());
    EXPECT_EQ(1, volume.SetStep(15, 1));
    EXPECT_EQ(15u * step, DeviceVolume());
    EXPECT_EQ(15u * step, RegVolume(L"Volume"));
    EXPECT_EQ(7u, RegVolume(L"Mute"));
    EXPECT_EQ(2u, RegVolume(L"Key"));
    EXPECT_EQ(1u, RegVolume(L"Screen"));
    EXPECT_EQ(15, volume.ReadStep());

    EXPECT_EQ(0, volume.SetStep(16, 1));
    EXPECT_EQ(15, volume.CurrentStep());
    EXPECT_EQ(15u * step, DeviceVolume());

    // Without save the device changes and the registry keeps the old value.
    EXPECT_EQ(1, volume.SetStep(14, 0));
    EXPECT_EQ(14u * step, DeviceVolume());
    EXPECT_EQ(15u * step, RegVolume(L"Volume"));
    EXPECT_EQ(0, volume.StepUp()) << "14 + 1 is not below 15 steps";
    EXPECT_EQ(14, volume.CurrentStep());
    EXPECT_EQ(14u * step, DeviceVolume());

    ASSERT_EQ(1, volume.SetStep(12, 0));
    EXPECT_EQ(1, volume.StepUp());
    EXPECT_EQ(13, volume.CurrentStep());
    EXPECT_EQ(13u * step, DeviceVolume());
    EXPECT_EQ(13u * step, RegVolume(L"Volume"));
}

TEST_F(VolumeTest, StepDownFromOneLeavesStepZeroAndTheVolume)
{
    const DWORD step = volume.StepSize();
    ASSERT_EQ(1, volume.SetStep(3, 0));
    EXPECT_EQ(1, volume.StepDown());
    EXPECT_EQ(1, volume.StepDown());
    EXPECT_EQ(1, volume.CurrentStep());
    EXPECT_EQ(step, DeviceVolume());
    EXPECT_EQ(step, RegVolume(L"Volume"));

    EXPECT_EQ(0, volume.StepDown());
    EXPECT_EQ(0, volume.CurrentStep());
    EXPECT_EQ(step, DeviceVolume()) << "the device keeps step 1's volume";
    EXPECT_EQ(1, volume.ReadStep()) << "and says so when read";
    EXPECT_EQ(0, volume.SetStep(-1, 0));
}

// The loudest sample of a square wave played at the current volume, as it
// reached the sound device.
int PlayedPeak()
{
    const int samples = 4000;
    std::vector<BYTE> wav(44 + samples * 2);
    auto put32 = [&](size_t at, DWORD v) { memcpy(&wav[at], &v, 4); };
    auto put16 = [&](size_t at, WORD v) { memcpy(&wav[at], &v, 2); };
    memcpy(&wav[0], "RIFF", 4);
    put32(4, static_cast<DWORD>(wav.size() - 8));
    memcpy(&wav[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, 8000);
    put32(28, 16000);
    put16(32, 2);
    put16(34, 16);
    memcpy(&wav[36], "data", 4);
    put32(40, samples * 2);
    for (int i = 0; i < samples; ++i)
        put16(44 + i * 2, static_cast<WORD>(i % 16 < 8 ? 20000 : -20000));
    wchar_t capture[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", capture, MAX_PATH);
    std::wstring file(capture);
    file = file.substr(file.find_last_of(L'/') + 1);
    DeleteFileW(file.c_str());
    if (!PlaySoundW(reinterpret_cast<LPCWSTR>(wav.data()), nullptr, SND_MEMORY | SND_SYNC))
        return -1;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    std::vector<short> pcm(GetFileSize(h, nullptr) / 2);
    DWORD read = 0;
    if (!pcm.empty())
        ReadFile(h, pcm.data(), static_cast<DWORD>(pcm.size() * 2), &read, nullptr);
    CloseHandle(h);
    int peak = 0;
    for (size_t i = 0; i < read / 2; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
    return peak;
}

TEST_F(VolumeTest, StepsAreHeard)
{
    ASSERT_EQ(1, volume.SetStep(15, 0));
    const int full = PlayedPeak();
    EXPECT_NEAR(20000, full, 200);
    ASSERT_EQ(1, volume.SetStep(5, 0));
    EXPECT_NEAR(20000 / 3, PlayedPeak(), 200) << "a third of the full volume";
    ASSERT_EQ(1, volume.SetStep(0, 0));
    EXPECT_EQ(0, PlayedPeak());
    volume.SetStep(15, 0);
}

TEST_F(VolumeTest, RegistryIsLeftAloneWhenTheUnmutedKeyIsMissing)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"ControlPanel\\VolumeUnmuted");
    EXPECT_EQ(1, volume.SetStep(5, 1));
    EXPECT_EQ(5u * volume.StepSize(), DeviceVolume());
    EXPECT_EQ(0xDEADBEEFu, RegVolume(L"Volume"));
}

TEST(NotificationLed, CountAndStatesThroughTheDriver)
{
    EXPECT_EQ(2, LedCount());
    EXPECT_EQ(1, LedSet(kRingLed, kLedBlink));
    EXPECT_EQ(kLedBlink, CeNledGetState(0));
    EXPECT_EQ(1, LedSet(1, kLedOn));
    EXPECT_EQ(kLedOn, CeNledGetState(1));
    EXPECT_EQ(kLedBlink, CeNledGetState(0));

    NLED_SETTINGS_INFO info = {};
    info.LedNum = 0;
    ASSERT_TRUE(NLedGetDeviceInfo(NLED_SETTINGS_INFO_ID, &info));
    EXPECT_EQ(kLedBlink, info.OffOnBlink);

    // Bad requests change nothing.
    EXPECT_EQ(0, LedSet(2, kLedOn));
    EXPECT_EQ(0, LedSet(0, 3));
    EXPECT_EQ(0, LedSet(-1, kLedOff));
    EXPECT_EQ(kLedBlink, CeNledGetState(0));
    EXPECT_EQ(-1, CeNledGetState(2));

    EXPECT_EQ(1, LedSet(kRingLed, kLedOff));
    EXPECT_EQ(1, LedSet(1, kLedOff));
    EXPECT_EQ(kLedOff, CeNledGetState(0));
}

// Another process (the module simulator's console, here a probe) sees the
// same LEDs and display.
DWORD ProbeState()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring probe(exe);
    probe = probe.substr(0, probe.find_last_of(L'\\') + 1) + L"device_state_probe.exe";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(probe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(NotificationLed, AnotherProcessSeesTheState)
{
    ASSERT_EQ(1, LedSet(0, kLedBlink));
    ASSERT_EQ(1, LedSet(1, kLedOn));
    EXPECT_EQ(0x211u, ProbeState()) << "LED 0 blink, LED 1 on, display on";
    LedSet(0, kLedOff);
    LedSet(1, kLedOff);
    EXPECT_EQ(0x001u, ProbeState());
}

// The module simulator's console shows the handheld's LEDs and display.
TEST(DisplayPowerTest, ConsoleStatusLineShowsTheHandheld)
{
    zen::sim::SimModule module;
    zen::sim::SimConsole console(module, L"unused");
    ASSERT_EQ(1, LedSet(0, kLedBlink));
    EXPECT_NE(std::string::npos, console.Execute("status").find("\nhandheld: led 0=blink 1=off, display on"))
        << console.Execute("status");
    DisplayPower display;
    ASSERT_EQ(1, display.DisplayOff());
    LedSet(0, kLedOff);
    EXPECT_NE(std::string::npos, console.Execute("status").find("handheld: led 0=off 1=off, display off"));
    ASSERT_EQ(1, display.DisplayOn());
    EXPECT_NE(std::string::npos, console.Execute("status").find("display on"));
}

// A window where the phone would be, counting the taps it gets.
class Phone {
public:
    Phone()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = CreateSolidBrush(RGB(255, 255, 255));
        wc.lpszClassName = L"DisplayTestPhone";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetForegroundWindow(hwnd);
        UpdateWindow(hwnd);
    }
    ~Phone() { DestroyWindow(hwnd); }
    HWND hwnd;
    int taps = 0;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        if (m == WM_LBUTTONDOWN) {
            if (auto* self = reinterpret_cast<Phone*>(GetWindowLongPtrW(h, GWLP_USERDATA)))
                ++self->taps;
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
};

void Tap(int x, int y)
{
    SetCursorPos(x, y);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = static_cast<LONG>((x * 65535.0 + w / 2) / (w - 1));
        i.mi.dy = static_cast<LONG>((y * 65535.0 + h / 2) / (h - 1));
    }
    in[0].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    zentest::PumpMessages(200);
}

TEST(DisplayPowerTest, OffDarkensTheScreenAndSwallowsTapsOnBringsItBack)
{
    Phone phone;
    zentest::PumpMessages(200);
    DisplayPower display;
    EXPECT_EQ(1, display.IsOn());
    EXPECT_EQ(static_cast<ULONG>(VideoPowerOn), CeDisplayGetPowerState());
    Tap(120, 160);
    ASSERT_EQ(1, phone.taps) << "a tap on the lit screen reaches the phone";

    ASSERT_EQ(1, display.DisplayOff());
    EXPECT_EQ(0, display.IsOn());
    EXPECT_EQ(static_cast<ULONG>(VideoPowerOff), CeDisplayGetPowerState());
    EXPECT_EQ(0x004u, ProbeState() & 0x00F);
    HWND dark = CeDisplayGetDarkWindow();
    ASSERT_NE(nullptr, dark);
    EXPECT_TRUE(IsWindowVisible(dark));
    EXPECT_TRUE(GetWindowLongW(dark, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rc;
    GetWindowRect(dark, &rc);
    EXPECT_LE(rc.left, 0);
    EXPECT_LE(rc.top, 0);
    EXPECT_GE(rc.right, 240);
    EXPECT_GE(rc.bottom, 320);
    zentest::PumpMessages(300);
    const zentest::Image shot = zentest::CaptureScreen();
    zentest::SaveScreenshot(shot, L"display_off");
    ASSERT_FALSE(shot.empty());
    const RECT screen = {0, 0, 240, 320};
    EXPECT_EQ(240 * 320, zentest::CountPixels(shot, screen, zentest::Rgb(0, 0, 0)));

    // The phone raising itself does not light the screen.
    SetWindowPos(phone.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    zentest::PumpMessages(700);
    EXPECT_EQ(dark, WindowFromPoint(POINT{120, 160}));
    Tap(120, 160);
    Tap(10, 300);
    EXPECT_EQ(1, phone.taps) << "taps on the dark screen reach nothing";
    // Switching off again keeps the one dark window.
    EXPECT_EQ(1, display.DisplayOff());
    EXPECT_EQ(dark, CeDisplayGetDarkWindow());

    ASSERT_EQ(1, display.DisplayOn());
    EXPECT_EQ(1, display.IsOn());
    EXPECT_EQ(static_cast<ULONG>(VideoPowerOn), CeDisplayGetPowerState());
    EXPECT_EQ(nullptr, CeDisplayGetDarkWindow());
    EXPECT_FALSE(IsWindow(dark));
    zentest::PumpMessages(300);
    const zentest::Image lit = zentest::CaptureScreen();
    zentest::SaveScreenshot(lit, L"display_on");
    EXPECT_GT(zentest::CountPixels(lit, screen, zentest::Rgb(255, 255, 255)), 240 * 320 / 2);
    Tap(120, 160);
    EXPECT_EQ(2, phone.taps);
}

TEST(DisplayPowerTest, BadRequestsToTheEscapeAreRefused)
{
    HDC dc = GetDC(nullptr);
    VIDEO_POWER_MANAGEMENT vpm = {8, 1, VideoPowerOff};  // wrong length
    EXPECT_LT(ExtEscape(dc, SETPOWERMANAGEMENT, sizeof vpm, reinterpret_cast<LPCSTR>(&vpm), 0, nullptr), 0);
    vpm = {sizeof vpm, 1, 9};
    EXPECT_LT(ExtEscape(dc, SETPOWERMANAGEMENT, sizeof vpm, reinterpret_cast<LPCSTR>(&vpm), 0, nullptr), 0);
    EXPECT_LT(ExtEscape(dc, SETPOWERMANAGEMENT, 4, reinterpret_cast<LPCSTR>(&vpm), 0, nullptr), 0);
    DWORD other = 0x7777;
    EXPECT_LE(ExtEscape(dc, QUERYESCSUPPORT, sizeof other, reinterpret_cast<LPCSTR>(&other), 0, nullptr), 0);
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(static_cast<ULONG>(VideoPowerOn), CeDisplayGetPowerState());
    EXPECT_EQ(nullptr, CeDisplayGetDarkWindow());
}

}  // namespace
