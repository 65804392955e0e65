// Effect sounds, key clicks and the ring tone, heard at the test's sound
// device (a capture file): each test file's samples carry one value, so the
// capture tells which file played.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>

#include "CeDbTestUtil.h"
#include "SoundFixture.h"
#include "audio/CCeMpegThread.h"
#include "phone/EffectSounds.h"
#include "phone/RingTone.h"

using namespace soundtest;

namespace {

// Values of the test files' samples (8-bit silence is 0x80).
const uint8_t kDefaultTone = 0x11, kUserTone = 0x22, kCategoryTone = 0x33, kOtherTone = 0x44;
const uint8_t kConnect = 0x51, kDisconnect = 0x52, kBattery = 0x53, kSms = 0x54, kAlert = 0x55;
uint8_t KeyValue(int key) { return static_cast<uint8_t>(0x60 + key); }

const size_t kToneSamples = 16000;  // two seconds
const size_t kEffectSamples = 1200;

SettingsBlock Defaults()
{
    SettingsBlock s = {};
    s.nBellSource = 2;
    s.bKeypadTone = s.bConnectTone = s.bDisconnectTone = s.bBatteryTone = s.bMessageTone = s.bMinuteTone = 1;
    wcscpy(s.szBellFile, L"default.wav");
    return s;
}

class EffectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.Put(L"Effect\\connect.wav", MakeWav(kConnect, kEffectSamples));
        folder.Put(L"Effect\\disconnect.wav", MakeWav(kDisconnect, kEffectSamples));
        folder.Put(L"Effect\\battery.wav", MakeWav(kBattery, kEffectSamples));
        folder.Put(L"Effect\\sms.wav", MakeWav(kSms, kEffectSamples));
        folder.Put(L"Effect\\alert.wav", MakeWav(kAlert, kEffectSamples));
        for (int k = 0; k < 15; ++k)
            folder.Put(L"Effect\\keypad\\" + std::to_wstring(k) + L".wav", MakeWav(KeyValue(k), kEffectSamples));
        ClearCapture();
    }
    // Plays through `play` and tells whether `value` reached the device.
    bool Heard(uint8_t value, const std::function<int()>& play, int expectAsked)
    {
        ClearCapture();
        EXPECT_EQ(expectAsked, play());
        if (!expectAsked) {
            PumpUntil([] { return false; }, 300);
            return CapturedCount(value) > 0;
        }
        return WaitForCapture(value, kEffectSamples);
    }
    InstallFolder folder{L"effects"};
    SettingsBlock settings = Defaults();
};

TEST_F(EffectTest, EachEffectPlaysItsFileWhenTheSettingsAskForIt)
{
    const LPCWSTR dir = folder.Path().c_str();
    const struct {
        int effect;
        uint8_t value;
        int32_t SettingsBlock::*flag;
    } cases[] = {
        {kEffectConnect, kConnect, &SettingsBlock::bConnectTone},
        {kEffectDisconnect, kDisconnect, &SettingsBlock::bDisconnectTone},
        {kEffectBattery, kBattery, &SettingsBlock::bBatteryTone},
        {kEffectMessage, kSms, &SettingsBlock::bMessageTone},
        {kEffectMinute, kAlert, &SettingsBlock::bMinuteTone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(EffectSoundFile(c.effect));
        settings = Defaults();
        EXPECT_TRUE(Heard(c.value, [&] { return PlayEffectSound(dir, settings, c.effect); }, 1));
        settings.*c.flag = 0;
        EXPECT_FALSE(Heard(c.value, [&] { return PlayEffectSound(dir, settings, c.effect); }, 0));
    }
    // The message sound also needs a ring source other than silent.
    settings = Defaults();
    settings.nBellSource = 0;
    EXPECT_FALSE(Heard(kSms, [&] { return PlayEffectSound(dir, settings, kEffectMessage); }, 0));
    settings.nBellSource = 1;
    EXPECT_TRUE(Heard(kSms, [&] { return PlayEffectSound(dir, settings, kEffectMessage); }, 1));
    EXPECT_EQ(0, PlayEffectSound(dir, settings, kEffectCount));
}

TEST_F(EffectTest, KeyClicksOnlyForTheTwelveDialKeys)
{
    const LPCWSTR dir = folder.Path().c_str();
    for (int key = 0; key < 12; ++key) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(Heard(KeyValue(key), [&] { return PlayKeyClick(dir, settings, key); }, 1));
    }
    // Send, clear and end have files here too, and still stay silent.
    for (int key : {12, 13, 14, -1}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(Heard(KeyValue(key), [&] { return PlayKeyClick(dir, settings, key); }, 0));
    }
    settings.bKeypadTone = 0;
    EXPECT_FALSE(Heard(KeyValue(5), [&] { return PlayKeyClick(dir, settings, 5); }, 0));

    wchar_t path[MAX_PATH];
    ASSERT_TRUE(KeyClickPath(L"\\Zen", 11, path, MAX_PATH));
    EXPECT_STREQ(L"\\Zen\\Effect\\keypad\\11.wav", path);
    EXPECT_FALSE(KeyClickPath(L"\\Zen", 12, path, MAX_PATH));
    EXPECT_FALSE(EffectSoundPath(std::wstring(300, L'x').c_str(), kEffectConnect, path, MAX_PATH));
}

TEST_F(EffectTest, MissingInstallationFolderPlaysNothingAndReturns)
{
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, PlayEffectSound(L"C:\\no such folder", settings, kEffectConnect));
    EXPECT_EQ(1, PlayKeyClick(L"C:\\no such folder", settings, 1));
    EXPECT_EQ(1, PlayEffectSound(nullptr, settings, kEffectConnect));
    EXPECT_EQ(1, PlayEffectSound(L"", settings, kEffectMessage));
    EXPECT_LT(GetTickCount() - start, 2000u) << "the calls do not wait for anything";
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(0u, CapturedCount(kConnect));
    EXPECT_EQ(0u, CapturedCount(KeyValue(1)));
    EXPECT_EQ(0u, CapturedCount(kSms));
}

// The module's ringer and message-alert volumes the settings ask for.
TEST(ModuleRinger, VolumesFollowTheRingSourceAndMessageTone)
{
    SettingsBlock s = Defaults();
    s.nModuleBellVolume = 3;
    s.nBellSource = 1;
    EXPECT_EQ(3, ModuleRingVolume(s));
    s.nBellSource = 2;
    EXPECT_EQ(0, ModuleRingVolume(s));
    s.nBellSource = 0;
    EXPECT_EQ(0, ModuleRingVolume(s));
    EXPECT_EQ(0, ModuleMessageVolume(s));
    s.bMessageTone = 0;
    EXPECT_EQ(4, ModuleMessageVolume(s));
}

// The main window's part, played by a plain window: it gets the player's
// notices and hands them to the ring-tone code with the call's state.
class RingTest : public ::testing::Test {
public:
    void SetUp() override
    {
        folder.Put(L"bell\\default.wav", MakeWav(kDefaultTone, kToneSamples));
        folder.Put(L"bell\\user.wav", MakeWav(kUserTone, kToneSamples));
        folder.Put(L"bell\\group.wav", MakeWav(kCategoryTone, kToneSamples));
        folder.Put(L"bell\\other.wav", MakeWav(kOtherTone, kToneSamples));
        data.SetInstallDir(folder.Path().c_str());
        data.m_Settings = Defaults();
        ASSERT_EQ(1, data.m_UserBellDB.Add(L"Kim", L"011-234-5678", L"user.wav"));
        ASSERT_EQ(1, data.m_CategoryBellDB.Set(L"Family", L"group.wav"));

        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"RingTestOwner";
        RegisterClassW(&wc);
        owner = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                              nullptr);
        SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ASSERT_NE(nullptr, CreateRingPlayer(data, GetModuleHandleW(nullptr), owner));
        ASSERT_EQ(data.m_pRingPlayer, CreateRingPlayer(data, GetModuleHandleW(nullptr), owner)) << "one player";
        ASSERT_TRUE(WaitFor(100));  // the player's window exists
        ClearCapture();
    }
    void TearDown() override
    {
        DestroyRingPlayer(data);
        EXPECT_EQ(nullptr, data.m_pRingPlayer);
        DestroyWindow(owner);
    }

    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<RingTest*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (m == WM_COMMAND && self && LOWORD(wp) == kRingPlayerNoticeId) {
            self->notices.push_back(HIWORD(wp));
            self->restarts += OnRingPlayerNotice(self->data, wp, self->callState, self->rejected);
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
    int Count(int code) const { return static_cast<int>(std::count(notices.begin(), notices.end(), code)); }
    bool WaitFor(int code, int times = 1, DWORD ms = 10000)
    {
        return PumpUntil([&] { return Count(code) >= times; }, ms);
    }
    bool WaitQuiet(DWORD ms) { return PumpUntil([] { return false; }, ms); }

    cedbtest::ScopedStore store{L"ringtone"};
    InstallFolder folder{L"ringtones"};
    CCeDataManager data;
    HWND owner = nullptr;
    std::vector<int> notices;
    LONG callState = 2;
    int rejected = 0;
    int restarts = 0;
};

TEST_F(RingTest, ChoiceInTheFourOrdersReachesTheDevice)
{
    wchar_t path[MAX_PATH];
    const struct {
        const char* what;
        const wchar_t* number;
        const wchar_t* category;
        int locked, privacy;
        int source;
        uint8_t heard;
    } cases[] = {
        {"locked: the settings' file, though the caller has his own", L"0112345678", L"Family", 1, 0, kRingFixed,
         kDefaultTone},
        {"privacy: the settings' file", L"0112345678", L"Family", 0, 1, kRingFixed, kDefaultTone},
        {"the caller's own bell wins over his category's", L"0112345678", L"Family", 0, 0, kRingByNumber, kUserTone},
        {"the category's bell", L"0109999999", L"Family", 0, 0, kRingByCategory, kCategoryTone},
        {"nothing assigned: the default", L"0109999999", L"Work", 0, 0, kRingDefault, kDefaultTone},
        {"no number, no category: the default", L"", nullptr, 0, 0, kRingDefault, kDefaultTone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data.m_Settings.bPhoneLocked = c.locked;
        data.m_Settings.bPrivacy = c.privacy;
        ClearCapture();
        const int playing = Count(203);
        EXPECT_EQ(c.source, PlayRingTone(data, c.number, c.category, path, MAX_PATH));
        EXPECT_TRUE(WaitFor(203, playing + 1));
        EXPECT_TRUE(WaitForCapture(c.heard, kToneSamples / 2));
        for (uint8_t other : {kDefaultTone, kUserTone, kCategoryTone}) {
            if (other != c.heard) {
                EXPECT_EQ(0u, CapturedCount(other));
            }
        }
        StopRingTone(data);
        EXPECT_TRUE(WaitFor(204));
        notices.clear();
    }
    data.m_Settings.bPhoneLocked = data.m_Settings.bPrivacy = 0;
    PlayRingTone(data, L"0109999999", nullptr, path, MAX_PATH);
    EXPECT_EQ(folder.Path() + L"\\bell\\default.wav", std::wstring(path));
}

TEST_F(RingTest, ToneRepeatsWhileRingingAndStopsOnEachStopEvent)
{
    // Each way a ringing call stops ringing: the tone must not start again.
    const struct {
        const char* what;
        std::function<void(RingTest&)> stop;
    } events[] = {
        {"answered", [](RingTest& t) { t.callState = 8; StopRingTone(t.data); }},
        {"ended", [](RingTest& t) { t.callState = 0x1001; StopRingTone(t.data); }},
        {"rejected by key", [](RingTest& t) { t.rejected = 1; StopRingTone(t.data); }},
        {"silenced", [](RingTest& t) { t.data.m_Settings.nBellSource = 0; StopRingTone(t.data); }},
        {"state changed while the tone ended", [](RingTest& t) { t.callState = 0; }},
        {"rejected while the tone ended", [](RingTest& t) { t.rejected = 1; }},
        {"module rings instead", [](RingTest& t) { t.data.m_Settings.nBellSource = 1; }},
    };
    for (const auto& e : events) {
        SCOPED_TRACE(e.what);
        callState = 2;
        rejected = 0;
        data.m_Settings.nBellSource = 2;
        notices.clear();
        restarts = 0;
        ClearCapture();
        ASSERT_EQ(kRingByNumber, PlayRingTone(data, L"0112345678", nullptr));
        EXPECT_TRUE(WaitForCapture(kUserTone, kToneSamples / 4));
        ASSERT_TRUE(WaitFor(208, 2, 20000)) << "the tone ended twice: it was started again";
        EXPECT_GE(restarts, 2);
        e.stop(*this);
        // Whatever was under way finishes; then nothing more starts.
        WaitQuiet(1000);
        const int started = Count(203);
        WaitQuiet(1500);
        EXPECT_EQ(started, Count(203));
        EXPECT_EQ(0, data.m_pRingPlayer->bBePlaying());
    }
}

TEST_F(RingTest, BrokenOrMissingToneFilesLeaveTheCallSilentWithoutHanging)
{
    folder.Put(L"bell\\empty.mp3", {});
    folder.Put(L"bell\\empty.wav", {});
    folder.Put(L"bell\\noise.mp3", Bytes(5000, 0x5A));
    Bytes junkWav = MakeWav(kOtherTone, 100);
    memcpy(&junkWav[8], "JUNKfmt ", 8);
    folder.Put(L"bell\\junk.wav", junkWav);
    Bytes headerOnly = MakeWav(kOtherTone, 0);
    folder.Put(L"bell\\silent.wav", headerOnly);
    for (const wchar_t* file : {L"empty.mp3", L"empty.wav", L"noise.mp3", L"junk.wav", L"silent.wav", L"gone.mp3",
                                L"tone.txt"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(file)));
        wcscpy(data.m_Settings.szBellFile, file);
        notices.clear();
        restarts = 0;
        ClearCapture();
        const DWORD start = GetTickCount();
        EXPECT_EQ(kRingDefault, PlayRingTone(data, L"0109999999", nullptr));
        WaitQuiet(2000);
        EXPECT_LE(restarts, 10) << "a tone with nothing to play is not restarted for ever";
        const int count = static_cast<int>(notices.size());
        WaitQuiet(500);
        EXPECT_EQ(count, static_cast<int>(notices.size())) << "the player has gone quiet";
        EXPECT_EQ(0u, CapturedCount(kOtherTone));
        EXPECT_LT(GetTickCount() - start, 4000u);
        StopRingTone(data);
    }
    // The installation folder itself is missing.
    data.SetInstallDir(L"C:\\no such folder");
    wcscpy(data.m_Settings.szBellFile, L"default.wav");
    notices.clear();
    EXPECT_EQ(kRingDefault, PlayRingTone(data, L"0109999999", nullptr));
    EXPECT_TRUE(WaitFor(202));
    WaitQuiet(300);
    EXPECT_EQ(0, Count(208));
    EXPECT_EQ(0, data.m_pRingPlayer->bBePlaying());
}

TEST_F(RingTest, ShutdownWhilePlayingEndsThePlayer)
{
    ASSERT_EQ(kRingByNumber, PlayRingTone(data, L"0112345678", nullptr));
    ASSERT_TRUE(WaitFor(203));
    const DWORD start = GetTickCount();
    DestroyRingPlayer(data);
    EXPECT_EQ(nullptr, data.m_pRingPlayer);
    EXPECT_LT(GetTickCount() - start, 3000u);
    // Without a player every operation is harmless.
    EXPECT_EQ(0, PlayRingTone(data, L"0112345678", nullptr));
    EXPECT_EQ(0, StopRingTone(data));
    EXPECT_EQ(0, OnRingPlayerNotice(data, MAKEWPARAM(kRingPlayerNoticeId, kRingPlayerFinished), 2, 0));
}

// The ring tones made for the installation folder decode and play.
TEST(InstalledTones, GeneratedRingTonesPlay)
{
    wchar_t image[MAX_PATH] = L"";
    ASSERT_GT(GetEnvironmentVariableW(L"ZEN_TEST_INSTALL_IMAGE", image, MAX_PATH), 0u);
    cedbtest::ScopedStore store{L"installed"};
    CCeDataManager data;
    data.SetInstallDir(image);
    data.m_Settings = Defaults();

    struct Owner {
        std::deque<int> codes;
        static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_COMMAND)
                reinterpret_cast<Owner*>(GetWindowLongPtrW(h, GWLP_USERDATA))->codes.push_back(HIWORD(wp));
            return DefWindowProcW(h, m, wp, lp);
        }
    } owner;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Owner::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"InstalledTonesOwner";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                              nullptr);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&owner));
    ASSERT_NE(nullptr, CreateRingPlayer(data, wc.hInstance, hwnd));
    for (const wchar_t* file : {L"morning.mp3", L"waltz.mp3", L"chime.mp3", L"default.wav"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(file)));
        wcscpy(data.m_Settings.szBellFile, file);
        owner.codes.clear();
        ClearCapture();
        PlayRingTone(data, L"", nullptr);
        EXPECT_TRUE(PumpUntil([&] { return std::count(owner.codes.begin(), owner.codes.end(), 208) > 0; }, 20000));
        EXPECT_EQ(0, std::count(owner.codes.begin(), owner.codes.end(), 202));
        // At least a second of 16-bit sound that is not all silence.
        const Bytes pcm = ReadAll(CapturePath());
        EXPECT_GT(pcm.size(), 22050u * 2);
        size_t loud = 0;
        for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
            const int16_t s = static_cast<int16_t>(pcm[i] | (pcm[i + 1] << 8));
            loud += s > 3000 || s < -3000;
        }
        EXPECT_GT(loud, 1000u);
    }
    DestroyRingPlayer(data);
    DestroyWindow(hwnd);
}

// The key clicks of the installation folder are the keys' DTMF tone pairs,
// about 150 ms long, and every effect the phone plays is there.
TEST(InstalledTones, KeyClicksAreTheKeysDtmfPairs)
{
    wchar_t image[MAX_PATH] = L"";
    ASSERT_GT(GetEnvironmentVariableW(L"ZEN_TEST_INSTALL_IMAGE", image, MAX_PATH), 0u);
    for (int effect = 0; effect < kEffectCount; ++effect) {
        wchar_t path[MAX_PATH];
        ASSERT_TRUE(EffectSoundPath(image, effect, path, MAX_PATH));
        EXPECT_GT(ReadAll(path).size(), 1000u) << EffectSoundFile(effect);
    }
    const double rows[] = {697, 770, 852, 941}, cols[] = {1209, 1336, 1477, 1633};
    // Key index: 0-9, then "*" and "#"; row and column of each on the pad.
    const int row[] = {3, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3}, col[] = {1, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 2};
    for (int key = 0; key < 12; ++key) {
        SCOPED_TRACE(key);
        wchar_t path[MAX_PATH];
        ASSERT_TRUE(KeyClickPath(image, key, path, MAX_PATH));
        const Bytes wav = ReadAll(path);
        ASSERT_GT(wav.size(), 44u);
        // 16-bit mono; the samples follow the "data" chunk header.
        uint32_t rate = 0;
        memcpy(&rate, &wav[24], 4);
        size_t at = 12;
        while (at + 8 <= wav.size() && memcmp(&wav[at], "data", 4) != 0) {
            uint32_t size = 0;
            memcpy(&size, &wav[at + 4], 4);
            at += 8 + size;
        }
        ASSERT_LE(at + 8, wav.size());
        std::vector<double> x;
        for (size_t i = at + 8; i + 1 < wav.size(); i += 2)
            x.push_back(static_cast<int16_t>(wav[i] | (wav[i + 1] << 8)));
        EXPECT_NEAR(0.150, static_cast<double>(x.size()) / rate, 0.01);
        auto power = [&](double f) {
            const double w = 2 * 3.14159265358979 * f / rate, c = 2 * std::cos(w);
            double s1 = 0, s2 = 0;
            for (double v : x) {
                const double s0 = v + c * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            return s1 * s1 + s2 * s2 - c * s1 * s2;
        };
        int bestRow = 0, bestCol = 0;
        for (int i = 1; i < 4; ++i) {
            if (power(rows[i]) > power(rows[bestRow]))
                bestRow = i;
            if (power(cols[i]) > power(cols[bestCol]))
                bestCol = i;
        }
        EXPECT_EQ(row[key], bestRow);
        EXPECT_EQ(col[key], bestCol);
        // Both tones clearly there: each far above a frequency between them.
        EXPECT_GT(power(rows[row[key]]), 100 * power(1050));
        EXPECT_GT(power(cols[col[key]]), 100 * power(1050));
    }
}

}  // namespace
