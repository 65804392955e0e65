// The volume screen against the simulated module: apply puts exactly the
// changed volume commands on the wire, the ring slider stays at 0 unless the
// module rings, and the handheld's volume is set through its steps.
#include <windows.h>

#include <commctrl.h>

#include "CCeMWndVolume.h"
#include "CallFixture.h"
#include "PrefsFixture.h"
#include "phone/SystemVolume.h"

namespace {

class VolumeTest : public CallTest {
protected:
    void SetUp() override
    {
        CallTest::SetUp();
        recorder.RegisterWindowClass(L"ZenPrefsHost", 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1, recorder.Create(L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, 240, 320}, nullptr, 0));
        uitest::Activate(recorder.GetHwnd());
        ASSERT_EQ(1, handheld.SetStep(5, 0));
    }
    void TearDown() override
    {
        screen.Destroy();
        recorder.Destroy();
        CallTest::TearDown();
    }
    void Open()
    {
        ASSERT_EQ(1, screen.Create(WS_VISIBLE, prefstest::kViewPlace, recorder.GetHwnd(), 19));
        zentest::PumpMessages(150);
    }
    void TapButton(int id)
    {
        uitest::Tap(uitest::ScreenPoint(screen.GetHwnd(), id == CCeMWndVolume::kClose ? 226 : 204, 13));
        zentest::PumpMessages(150);
    }
    // Drags the slider's thumb with the pen to its right or left end.
    void Drag(int id, bool right)
    {
        HWND slider = screen.Slider(id);
        RECT thumb;
        SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        const int y = (thumb.top + thumb.bottom) / 2;
        const POINT from = uitest::ScreenPoint(slider, (thumb.left + thumb.right) / 2, y);
        const POINT to = uitest::ScreenPoint(slider, right ? 130 : -10, y);
        uitest::PenMove(from);
        uitest::PenDown(from);
        zentest::PumpMessages(50);
        uitest::PenMove(to);
        zentest::PumpMessages(50);
        uitest::PenUp(to);
        zentest::PumpMessages(100);
    }
    void Keys(int id, WORD vk, int times)
    {
        SetFocus(screen.Slider(id));
        for (int i = 0; i < times; ++i)
            uitest::Key(vk);
        zentest::PumpMessages(100);
    }
    size_t VolumeLines() { return Sent("AT$VOL=").size() + Sent("AT$RINGVOL=").size(); }

    prefstest::HostWindow recorder;
    SystemVolume handheld{15};
    CCeMWndVolume screen{handheld};
};

TEST_F(VolumeTest, TheSlidersShowTheModuleAndHandheldVolumes)
{
    data.m_Modem.Status.speakerVolume = 3;
    Open();
    EXPECT_EQ(3, screen.SliderPos(CCeMWndVolume::kCallSlider));
    EXPECT_EQ(card.Module().RingVolume(), screen.SliderPos(CCeMWndVolume::kRingSlider));
    EXPECT_TRUE(IsWindowEnabled(screen.Slider(CCeMWndVolume::kRingSlider)));
    EXPECT_EQ(5, screen.SliderPos(CCeMWndVolume::kHandheldSlider));
    zentest::PumpMessages(100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"volume");
}

TEST_F(VolumeTest, ApplySendsOnlyTheChangedVolumes)
{
    Open();
    const int ring = screen.SliderPos(CCeMWndVolume::kRingSlider);
    ASSERT_GT(ring, 0);
    // Unchanged: no command, yet the parent is told and the handheld set.
    TapButton(CCeMWndVolume::kApply);
    zentest::PumpMessages(300);
    EXPECT_EQ(0u, VolumeLines());
    EXPECT_EQ(std::vector<int>{1}, recorder.notices);

    const int call = screen.SliderPos(CCeMWndVolume::kCallSlider);
    Drag(CCeMWndVolume::kCallSlider, call < 4);
    const int moved = call < 4 ? 4 : 0;
    EXPECT_EQ(moved, screen.SliderPos(CCeMWndVolume::kCallSlider));
    TapButton(CCeMWndVolume::kApply);
    ASSERT_TRUE(WaitSent("AT$VOL="));
    zentest::PumpMessages(300);
    EXPECT_EQ(std::vector<std::string>{"AT$VOL=" + std::to_string(moved)}, Sent("AT$VOL="));
    EXPECT_TRUE(Sent("AT$RINGVOL=").empty());
    EXPECT_EQ(moved, data.m_Modem.Status.speakerVolume);
    EXPECT_EQ(moved, card.Module().Volume());

    // The ring volume is a setting of its own and is saved.
    Keys(CCeMWndVolume::kRingSlider, VK_LEFT, ring);
    EXPECT_EQ(0, screen.SliderPos(CCeMWndVolume::kRingSlider));
    TapButton(CCeMWndVolume::kApply);
    ASSERT_TRUE(WaitSent("AT$RINGVOL="));
    zentest::PumpMessages(300);
    EXPECT_EQ(std::vector<std::string>{"AT$RINGVOL=0"}, Sent("AT$RINGVOL="));
    EXPECT_EQ(1u, Sent("AT$VOL=").size());
    EXPECT_EQ(0, data.m_Settings.nModuleBellVolume);
    SettingsBlock saved = data.m_Settings;
    data.m_Settings.nModuleBellVolume = 4;
    ASSERT_EQ(1, data.m_EnvDB.Load());
    EXPECT_EQ(0, data.m_Settings.nModuleBellVolume);
    data.m_Settings = saved;
    EXPECT_EQ(3u, recorder.notices.size());
}

TEST_F(VolumeTest, TheHandheldVolumeTakesTheSlidersStep)
{
    Open();
    Keys(CCeMWndVolume::kHandheldSlider, VK_RIGHT, 4);
    EXPECT_EQ(9, screen.SliderPos(CCeMWndVolume::kHandheldSlider));
    EXPECT_EQ(5, handheld.ReadStep());  // not before apply
    TapButton(CCeMWndVolume::kApply);
    EXPECT_EQ(9, handheld.ReadStep());
    EXPECT_EQ(0u, VolumeLines());
}

TEST_F(VolumeTest, MovingAndClosingWithoutApplyChangesNothing)
{
    Open();
    Drag(CCeMWndVolume::kCallSlider, screen.SliderPos(CCeMWndVolume::kCallSlider) < 4);
    Keys(CCeMWndVolume::kHandheldSlider, VK_RIGHT, 3);
    TapButton(CCeMWndVolume::kClose);
    EXPECT_EQ(1, recorder.CloseRequests(19));
    zentest::PumpMessages(300);
    EXPECT_EQ(0u, VolumeLines());
    EXPECT_EQ(5, handheld.ReadStep());
    EXPECT_TRUE(recorder.notices.empty());
}

TEST_F(VolumeTest, TheRingSliderIsFixedAtZeroUnlessTheModuleRings)
{
    data.m_Settings.nBellSource = 2;
    Open();
    HWND ring = screen.Slider(CCeMWndVolume::kRingSlider);
    EXPECT_EQ(0, screen.SliderPos(CCeMWndVolume::kRingSlider));
    EXPECT_FALSE(IsWindowEnabled(ring));
    Drag(CCeMWndVolume::kRingSlider, true);
    EXPECT_EQ(0, screen.SliderPos(CCeMWndVolume::kRingSlider));
    zentest::PumpMessages(100);
    zentest::SaveScreenshot(zentest::CaptureScreen(), L"volume-handheld-rings");
    TapButton(CCeMWndVolume::kApply);
    zentest::PumpMessages(300);
    EXPECT_TRUE(Sent("AT$RINGVOL=").empty());
    EXPECT_NE(0, data.m_Modem.Status.ringVolume);  // the module's own value stays
}

}  // namespace
