// The multi-button control on a real window under real pen input.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "screens/messaging/CCeMMultiButton.h"
#include "test_res.h"

namespace {

const uint32_t kIdle = 0x808080, kPressed = 0x00C000, kDisabled = 0x0000C0, kAbove = 0xC00000;
const UINT kControlId = 100;

// Writes a 24-bit bitmap file whose pixel colours come from `color`.
bool WriteBmp(const wchar_t* path, int width, int height, const std::function<uint32_t(int, int)>& color)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + stride * height;
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;  // bottom-up
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    std::vector<unsigned char> rows(static_cast<size_t>(stride) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = color(x, y);
            unsigned char* p = &rows[static_cast<size_t>(height - 1 - y) * stride + x * 3];
            p[0] = c & 0xFF;
            p[1] = (c >> 8) & 0xFF;
            p[2] = (c >> 16) & 0xFF;
        }
    FILE* f = _wfopen(path, L"wb");
    if (!f)
        return false;
    bool ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&ih, sizeof ih, 1, f) == 1 &&
              fwrite(rows.data(), rows.size(), 1, f) == 1;
    return fclose(f) == 0 && ok;
}

// Records what the control tells its parent; may destroy the control when told to.
class Parent : public CCeMWnd {
public:
    struct Press {
        int id, kind, cell;
    };
    int OnCommand(int, int id, HWND param) override
    {
        const auto lp = reinterpret_cast<LPARAM>(param);
        presses.push_back({id, HIWORD(lp), LOWORD(lp)});
        if (onPress)
            onPress();
        return 0;
    }
    std::vector<Press> presses;
    std::function<void()> onPress;
};

class MultiButtonTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Full-size pictures of a 240 x 200 control.
        const auto solid = [](uint32_t c) { return [c](int, int) { return c; }; };
        ASSERT_TRUE(WriteBmp(L"mb_idle.bmp", 240, 200, solid(kIdle)));
        ASSERT_TRUE(WriteBmp(L"mb_pressed.bmp", 240, 200, solid(kPressed)));
        ASSERT_TRUE(WriteBmp(L"mb_disabled.bmp", 240, 200, solid(kDisabled)));
        // A picture that also covers 58 rows above the control.
        ASSERT_TRUE(WriteBmp(L"mb_tall.bmp", 240, 258, [](int, int y) { return y < 58 ? kAbove : kIdle; }));
    }

    void SetUp() override
    {
        parent.RegisterWindowClass(L"ZenMultiButtonParent", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_EQ(1, parent.Create(L"", WS_POPUP | WS_VISIBLE, {0, 0, 240, 320}, nullptr, 0));
        uitest::Activate(parent.GetHwnd());
        ASSERT_EQ(1, pad.Create(WS_VISIBLE, {0, 84, 240, 200}, parent.GetHwnd(), kControlId));
        ASSERT_EQ(1, pad.SetGrid(3, 4));
        ASSERT_EQ(1, pad.LoadImageFiles(L"mb_idle.bmp", L"mb_pressed.bmp", L"mb_disabled.bmp"));
        zentest::PumpMessages(40);
    }

    // Centre of cell `id` of the 3 x 4 grid, on the screen.
    POINT CellPoint(int id) { return uitest::ScreenPoint(pad.GetHwnd(), (id % 3) * 80 + 40, (id / 3) * 50 + 25); }

    // Colour shown at the centre of each of the twelve cells.
    std::vector<uint32_t> Shown()
    {
        zentest::PumpMessages(30);
        const auto shot = zentest::CaptureWindow(pad.GetHwnd());
        std::vector<uint32_t> colors;
        for (int id = 0; id < 12; ++id)
            colors.push_back(shot.At((id % 3) * 80 + 40, (id / 3) * 50 + 25));
        return colors;
    }
    // All cells idle except the given ones.
    static std::vector<uint32_t> Expect(std::initializer_list<std::pair<int, uint32_t>> except)
    {
        std::vector<uint32_t> colors(12, kIdle);
        for (const auto& e : except)
            colors[e.first] = e.second;
        return colors;
    }

    Parent parent;
    CCeMMultiButton pad;
};

TEST_F(MultiButtonTest, GridDividesTheClientAreaRowByRow)
{
    ASSERT_EQ(12, pad.CellCount());
    for (int i = 0; i < 12; ++i) {
        const MultiButtonCell* c = pad.CellAt(i);
        EXPECT_EQ(i, c->id);
        EXPECT_EQ((i % 3) * 80, c->left);
        EXPECT_EQ((i / 3) * 50, c->top);
        EXPECT_EQ(c->left + 80, c->right);
        EXPECT_EQ(c->top + 50, c->bottom);
        EXPECT_EQ(80, c->width);
        EXPECT_EQ(50, c->height);
        EXPECT_EQ(1, c->enabled);
        EXPECT_EQ(0, c->latched);
    }
    // Left and top edges belong to a cell, right and bottom to the next.
    EXPECT_EQ(4, pad.HitTest(80, 50)->id);
    EXPECT_EQ(0, pad.HitTest(79, 49)->id);
    EXPECT_EQ(nullptr, pad.HitTest(240, 10));
    EXPECT_EQ(nullptr, pad.HitTest(-1, 10));
    // Integer division: 7 columns of 34 leave 2 pixels at the right uncovered.
    ASSERT_EQ(1, pad.SetGrid(7, 3));
    EXPECT_EQ(21, pad.CellCount());
    EXPECT_EQ(34, pad.CellAt(6)->width);
    EXPECT_EQ(66, pad.CellAt(20)->height);
    EXPECT_EQ(nullptr, pad.HitTest(239, 0));
    // Nonsense sizes keep the cells.
    EXPECT_EQ(0, pad.SetGrid(0, 4));
    EXPECT_EQ(0, pad.SetGrid(3, -1));
    EXPECT_EQ(21, pad.CellCount());
}

TEST_F(MultiButtonTest, SetCellsComputesEdgesAndTheFirstCellWinsWhereTheyOverlap)
{
    const MultiButtonCellDef cells[] = {{10, 20, 30, 40, 7, 1, 0}, {0, 0, 100, 100, 8, 0, 1}};
    ASSERT_EQ(1, pad.SetCells(cells, 2));
    ASSERT_EQ(2, pad.CellCount());
    EXPECT_EQ(40, pad.CellAt(0)->right);
    EXPECT_EQ(60, pad.CellAt(0)->bottom);
    EXPECT_EQ(1, pad.CellAt(1)->latched);
    EXPECT_EQ(7, pad.HitTest(10, 20)->id);
    EXPECT_EQ(8, pad.HitTest(9, 20)->id);
    EXPECT_EQ(0, pad.SetCells(nullptr, 3));
    EXPECT_EQ(2, pad.CellCount());
    EXPECT_EQ(1, pad.SetCells(nullptr, 0));
    EXPECT_EQ(0, pad.CellCount());
}

TEST_F(MultiButtonTest, PressShowsThePressedCellAndLiftNotifiesAnOrdinaryPress)
{
    pad.SetTapAndHold(0);
    EXPECT_EQ(Expect({}), Shown());
    uitest::PenMove(CellPoint(4));
    uitest::PenDown(CellPoint(4));
    EXPECT_TRUE(pad.IsTracking());
    EXPECT_EQ(pad.GetHwnd(), GetCapture());
    EXPECT_EQ(Expect({{4, kPressed}}), Shown());
    EXPECT_TRUE(parent.presses.empty());
    uitest::PenUp(CellPoint(4));
    EXPECT_FALSE(pad.IsTracking());
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_EQ(1u, parent.presses.size());
    EXPECT_EQ(static_cast<int>(kControlId), parent.presses[0].id);
    EXPECT_EQ(1, parent.presses[0].kind);
    EXPECT_EQ(4, parent.presses[0].cell);
    EXPECT_EQ(Expect({}), Shown());
}

TEST_F(MultiButtonTest, SlidingNotifiesTheCellUnderThePenAtLiftEvenWhenDisabled)
{
    pad.SetTapAndHold(0);
    EXPECT_EQ(1, pad.SetEnabled(2, 0, 1));
    uitest::PenMove(CellPoint(0));
    uitest::PenDown(CellPoint(0));
    // The pressed look follows the pen.
    ASSERT_TRUE(uitest::PenMoveUntil(CellPoint(1), [this] { return pad.TrackedCell() && pad.TrackedCell()->id == 1; }));
    EXPECT_EQ(Expect({{1, kPressed}, {2, kDisabled}}), Shown());
    ASSERT_TRUE(uitest::PenMoveUntil(CellPoint(2), [this] { return pad.TrackedCell() && pad.TrackedCell()->id == 2; }));
    EXPECT_EQ(Expect({{2, kDisabled}}), Shown());
    uitest::PenUp(CellPoint(2));
    ASSERT_EQ(1u, parent.presses.size());
    EXPECT_EQ(2, parent.presses[0].cell);
    EXPECT_EQ(1, parent.presses[0].kind);

    // Lifted outside every cell (beside the control, the pen still captured): nothing.
    uitest::PenMove(CellPoint(3));
    uitest::PenDown(CellPoint(3));
    const POINT outside = uitest::ScreenPoint(pad.GetHwnd(), 120, -30);
    ASSERT_TRUE(uitest::PenMoveUntil(outside, [this] { return pad.TrackedCell() == nullptr; }));
    EXPECT_TRUE(pad.IsTracking());
    EXPECT_EQ(Expect({{2, kDisabled}}), Shown());
    uitest::PenUp(outside);
    EXPECT_FALSE(pad.IsTracking());
    EXPECT_EQ(1u, parent.presses.size());
}

TEST_F(MultiButtonTest, PressOnADisabledCellDoesNothing)
{
    pad.SetTapAndHold(0);
    EXPECT_EQ(1, pad.SetEnabled(7, 0, 1));
    EXPECT_EQ(0, pad.SetEnabled(99, 0, 1));
    EXPECT_EQ(Expect({{7, kDisabled}}), Shown());
    uitest::Tap(CellPoint(7));
    EXPECT_FALSE(pad.IsTracking());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(parent.presses.empty());
    EXPECT_EQ(Expect({{7, kDisabled}}), Shown());

    EXPECT_EQ(12, pad.SetAllEnabled(0, 1));
    std::vector<uint32_t> allDisabled(12, kDisabled);
    EXPECT_EQ(allDisabled, Shown());
    EXPECT_EQ(12, pad.SetAllEnabled(1, 1));
    EXPECT_EQ(Expect({}), Shown());
}

TEST_F(MultiButtonTest, HoldingACellSendsTapAndHoldAndNoOrdinaryPress)
{
    uitest::PenMove(CellPoint(5));
    const DWORD start = GetTickCount();
    uitest::PenDown(CellPoint(5));  // the control asks the shell, which waits for the hold
    const DWORD held = GetTickCount() - start;
    EXPECT_GE(held, 450u);
    EXPECT_FALSE(pad.IsTracking());
    EXPECT_EQ(nullptr, GetCapture());
    uitest::PenUp(CellPoint(5));
    ASSERT_EQ(1u, parent.presses.size());
    EXPECT_EQ(2, parent.presses[0].kind);
    EXPECT_EQ(5, parent.presses[0].cell);
    EXPECT_EQ(Expect({}), Shown());

    // A quick tap with the gesture on is an ordinary press.
    uitest::Tap(CellPoint(6));
    ASSERT_EQ(2u, parent.presses.size());
    EXPECT_EQ(1, parent.presses[1].kind);
    EXPECT_EQ(6, parent.presses[1].cell);

    // A held press on a disabled cell is nothing at all, and does not keep the pen waiting.
    pad.SetEnabled(8, 0, 0);
    uitest::PenMove(CellPoint(8));
    const DWORD start2 = GetTickCount();
    uitest::PenDown(CellPoint(8));
    EXPECT_LT(GetTickCount() - start2, 400u);
    zentest::PumpMessages(600);
    uitest::PenUp(CellPoint(8));
    EXPECT_EQ(2u, parent.presses.size());
}

TEST_F(MultiButtonTest, LatchModeKeepsTheLastPressedCellPressed)
{
    pad.SetLatchMode(1, 1);
    EXPECT_EQ(1, pad.LatchMode());
    uitest::Tap(CellPoint(3));
    EXPECT_EQ(1, pad.CellAt(3)->latched);
    EXPECT_EQ(Expect({{3, kPressed}}), Shown());
    uitest::Tap(CellPoint(9));
    EXPECT_EQ(0, pad.CellAt(3)->latched);
    EXPECT_EQ(Expect({{9, kPressed}}), Shown());
    // A latched cell that is disabled shows the disabled picture.
    pad.SetEnabled(9, 0, 1);
    EXPECT_EQ(Expect({{9, kDisabled}}), Shown());
    pad.SetEnabled(9, 1, 1);
    pad.ClearLatched(1);
    EXPECT_EQ(Expect({}), Shown());
    EXPECT_EQ(2u, parent.presses.size());

    // Switching the mode clears what is latched; without it nothing stays pressed.
    uitest::Tap(CellPoint(10));
    EXPECT_EQ(Expect({{10, kPressed}}), Shown());
    pad.SetLatchMode(0, 1);
    EXPECT_EQ(Expect({}), Shown());
    uitest::Tap(CellPoint(11));
    EXPECT_EQ(Expect({}), Shown());
    EXPECT_EQ(4u, parent.presses.size());
}

TEST_F(MultiButtonTest, PictureOriginShiftsTheImagesAndMissingImagesLeaveTheDefaults)
{
    ASSERT_EQ(1, pad.LoadImageFiles(L"mb_tall.bmp", L"mb_pressed.bmp", nullptr));
    EXPECT_EQ(nullptr, pad.Image(CCeMMultiButton::IMAGE_DISABLED));
    auto shot = [this] {
        zentest::PumpMessages(30);
        return zentest::CaptureWindow(pad.GetHwnd());
    };
    EXPECT_EQ(kAbove, shot().At(10, 10));
    pad.SetImageOrigin(0, -58);
    EXPECT_EQ(kIdle, shot().At(10, 10));
    EXPECT_EQ(kIdle, shot().At(10, 199));
    // A disabled cell without a disabled picture shows the idle one.
    pad.SetEnabled(0, 0, 1);
    EXPECT_EQ(kIdle, shot().At(40, 25));

    // A file that is not there: the others still load, 0 says one failed.
    EXPECT_EQ(0, pad.LoadImageFiles(L"mb_missing.bmp", L"mb_pressed.bmp", L"mb_disabled.bmp"));
    EXPECT_EQ(nullptr, pad.Image(CCeMMultiButton::IMAGE_NORMAL));
    EXPECT_NE(nullptr, pad.Image(CCeMMultiButton::IMAGE_PRESSED));
    EXPECT_EQ(0xFFFFFFu, shot().At(120, 100));
    EXPECT_EQ(kDisabled, shot().At(40, 25));
}

TEST_F(MultiButtonTest, ImagesFromTheProgramsResources)
{
    // The test strip: 60 x 20, thirds red, green and blue.
    ASSERT_EQ(1, pad.LoadImages(IDB_TEST_FRAMES, IDB_TEST_FRAMES, 0));
    zentest::PumpMessages(30);
    const auto after = zentest::CaptureWindow(pad.GetHwnd());
    EXPECT_EQ(0xFF0000u, after.At(5, 5));
    EXPECT_EQ(0x00FF00u, after.At(25, 5));
    EXPECT_EQ(0xFFFFFFu, after.At(100, 100));  // beyond the picture
    EXPECT_EQ(0, pad.LoadImages(4711, 0, 0));
    EXPECT_EQ(nullptr, pad.Image(CCeMMultiButton::IMAGE_NORMAL));
}

TEST_F(MultiButtonTest, ParentMayDestroyTheControlWhileItNotifies)
{
    pad.SetLatchMode(1, 0);
    parent.onPress = [this] { pad.Destroy(); };
    uitest::Tap(CellPoint(1));
    ASSERT_EQ(1u, parent.presses.size());
    EXPECT_EQ(nullptr, pad.GetHwnd());
    zentest::PumpMessages(30);
    // And during a hold.
    CCeMMultiButton other;
    ASSERT_EQ(1, other.Create(WS_VISIBLE, {0, 84, 240, 200}, parent.GetHwnd(), 101));
    other.SetGrid(1, 1);
    parent.onPress = [&other] { other.Destroy(); };
    const POINT p = uitest::ScreenPoint(other.GetHwnd(), 10, 10);
    uitest::PenMove(p);
    uitest::PenDown(p);
    uitest::PenUp(p);
    ASSERT_EQ(2u, parent.presses.size());
    EXPECT_EQ(2, parent.presses[1].kind);
    EXPECT_EQ(nullptr, other.GetHwnd());
}

TEST_F(MultiButtonTest, ReplacingTheCellsDuringAPressEndsItSafely)
{
    pad.SetTapAndHold(0);
    uitest::PenMove(CellPoint(4));
    uitest::PenDown(CellPoint(4));
    ASSERT_TRUE(pad.IsTracking());
    ASSERT_EQ(1, pad.SetGrid(2, 2));
    EXPECT_FALSE(pad.IsTracking());
    EXPECT_EQ(nullptr, pad.TrackedCell());
    EXPECT_EQ(nullptr, GetCapture());
    uitest::PenMove(CellPoint(5));
    uitest::PenUp(CellPoint(5));
    EXPECT_TRUE(parent.presses.empty());
}

}  // namespace
