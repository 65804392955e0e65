// The item list: geometry, scrolling, selection and taps by real pen and keys,
// and what it paints.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "toolkit/CCeMItemList.h"

namespace {

// A list of "Item n" rows with a title band and a header band.
class TestList : public CCeMItemList {
public:
    void DrawItems(HDC dc, const RECT& full) override
    {
        RECT title = {0, 0, full.right, m_nBand1};
        HBRUSH band = CreateSolidBrush(RGB(40, 90, 170));
        FillRect(dc, &title, band);
        DeleteObject(band);
        RECT header = {0, m_nBand1, full.right, RowsTop()};
        FillRect(dc, &header, m_bFocus ? HeaderBrush() : static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, L"목록", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        DrawTextW(dc, L"이름", -1, &header, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        SetTextColor(dc, RGB(0, 0, 0));
        for (int r = m_nTop; r < m_nCount && r < m_nTop + m_nVisible + 1; ++r) {
            RECT row = RowRect(r);
            row.right -= IsScrollBarVisible() ? kScrollBarWidth : 0;
            if (r == m_nSelected)
                FillRect(dc, &row, m_hSelection);
            const std::wstring text = L"항목 " + std::to_wstring(r);
            row.left += 4;
            DrawTextW(dc, text.c_str(), -1, &row, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
    }
    void OnSelChange(int selected, int changed) override { selChanges.push_back({selected, changed}); }
    void OnItemClick(int selected, int) override { clicks.push_back(selected); }
    void OnItemDblClick(int row) override { dblClicks.push_back(row); }
    void OnScroll() override { ++scrolls; }
    int OnTapAndHold(int x, int y) override
    {
        const int r = CCeMItemList::OnTapAndHold(x, y);
        holds += r;
        return r;
    }
    void SetCount(int n, int hide = 0)
    {
        SetItemCount(n, hide);
        InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    void DisableGesture() { m_bContextGesture = 0; }
    HBRUSH Background() const { return m_hBackground; }

    std::vector<std::pair<int, int>> selChanges;
    std::vector<int> clicks, dblClicks;
    int scrolls = 0, holds = 0;
};

class ItemListTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = uitest::MakeHost();
        // 200 high: (200 - 40) / 16 = 10 visible rows.
        ASSERT_EQ(1, list.Create({0, 40, 240, 200}, host, WS_VISIBLE, 12));
        uitest::Activate(host);
        zentest::PumpMessages(30);
    }
    void TearDown() override
    {
        list.Destroy();
        DestroyWindow(host);
    }
    // Screen point of the middle of a visible row.
    POINT RowPoint(int row) { return uitest::ScreenPoint(list.GetHwnd(), 60, 40 + (row - list.TopIndex()) * 16 + 8); }

    HWND host = nullptr;
    TestList list;
};

TEST_F(ItemListTest, GeometryFromTheCreationSize)
{
    EXPECT_EQ(10, list.VisibleRows());
    EXPECT_EQ(40, list.RowsTop());
    EXPECT_EQ(-1, list.SelectedIndex());
    EXPECT_EQ(0, list.TopIndex());
    EXPECT_FALSE(list.IsScrollBarVisible());
    EXPECT_EQ(static_cast<LRESULT>(DLGC_WANTALLKEYS), SendMessageW(list.GetHwnd(), WM_GETDLGCODE, 0, 0));
}

TEST_F(ItemListTest, FewItemsHaveNoScrollBarAndIgnoreArrowKeys)
{
    list.SetCount(5);
    EXPECT_FALSE(list.IsScrollBarVisible());
    EXPECT_EQ(0, list.LargestTopIndex());
    SetFocus(list.GetHwnd());
    uitest::Key(VK_DOWN);
    uitest::Key(VK_RIGHT);
    EXPECT_EQ(0, list.TopIndex());
    EXPECT_EQ(0, list.scrolls);
}

TEST_F(ItemListTest, ManyItemsPlaceTheScrollBarAndKeysScroll)
{
    list.SetCount(30);
    ASSERT_TRUE(list.IsScrollBarVisible());
    EXPECT_EQ(20, list.LargestTopIndex());
    RECT bar;
    GetWindowRect(list.ScrollBar().GetHwnd(), &bar);
    MapWindowPoints(nullptr, list.GetHwnd(), reinterpret_cast<POINT*>(&bar), 2);
    EXPECT_EQ(240 - 13, bar.left);
    EXPECT_EQ(39, bar.top);
    EXPECT_EQ(13, bar.right - bar.left);
    EXPECT_EQ(160, bar.bottom - bar.top);
    int lo = -1, hi = -1;
    EXPECT_EQ(1, list.ScrollBar().GetRange(&lo, &hi));
    EXPECT_EQ(0, lo);
    EXPECT_EQ(20, hi);

    SetFocus(list.GetHwnd());
    uitest::Key(VK_UP);  // at the top: nothing
    EXPECT_EQ(0, list.TopIndex());
    EXPECT_EQ(0, list.scrolls);
    uitest::Key(VK_DOWN);
    EXPECT_EQ(1, list.TopIndex());
    EXPECT_EQ(1, list.ScrollBar().GetPos());
    uitest::Key(VK_RIGHT);
    EXPECT_EQ(11, list.TopIndex());
    uitest::Key(VK_RIGHT);  // stops at the largest top index
    EXPECT_EQ(20, list.TopIndex());
    uitest::Key(VK_RIGHT);
    EXPECT_EQ(20, list.TopIndex());
    EXPECT_EQ(3, list.scrolls);
    uitest::Key(VK_LEFT);
    EXPECT_EQ(10, list.TopIndex());
    EXPECT_EQ(-1, list.SelectedIndex());  // arrows scroll, they do not select
}

TEST_F(ItemListTest, ThumbPositionsClampAndTheArrowOfTheBarScrolls)
{
    list.SetCount(30);
    HWND bar = list.ScrollBar().GetHwnd();
    SendMessageW(list.GetHwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 50), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(20, list.TopIndex());
    SendMessageW(list.GetHwnd(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(7, list.TopIndex());
    SendMessageW(list.GetHwnd(), WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 7), reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(7, list.ScrollBar().GetPos());

    // The system scroll bar's own down arrow, tapped with the pen.
    RECT rc;
    GetClientRect(bar, &rc);
    uitest::Tap(uitest::ScreenPoint(bar, rc.right / 2, rc.bottom - 4));
    EXPECT_EQ(8, list.TopIndex());
    uitest::Tap(uitest::ScreenPoint(bar, rc.right / 2, 4));
    EXPECT_EQ(7, list.TopIndex());
}

TEST_F(ItemListTest, TapSelectsAndTheReleaseConfirms)
{
    list.SetCount(30);
    uitest::Tap(RowPoint(3));
    EXPECT_EQ(3, list.SelectedIndex());
    EXPECT_EQ(list.GetHwnd(), GetFocus());
    ASSERT_EQ(1u, list.selChanges.size());
    EXPECT_EQ(std::make_pair(3, 1), list.selChanges[0]);
    ASSERT_EQ(1u, list.clicks.size());
    EXPECT_EQ(3, list.clicks[0]);

    // The same row again (late enough not to be a double tap): reported
    // unchanged, no click.
    zentest::PumpMessages(GetDoubleClickTime() + 50);
    uitest::Tap(RowPoint(3));
    ASSERT_EQ(2u, list.selChanges.size());
    EXPECT_EQ(std::make_pair(3, 0), list.selChanges[1]);
    EXPECT_EQ(1u, list.clicks.size());

    // After scrolling, rows count from the top index.
    SetFocus(list.GetHwnd());
    uitest::Key(VK_RIGHT);
    ASSERT_EQ(10, list.TopIndex());
    uitest::Tap(RowPoint(14));
    EXPECT_EQ(14, list.SelectedIndex());

    // The bands are not rows.
    uitest::Tap(uitest::ScreenPoint(list.GetHwnd(), 60, 30));
    EXPECT_EQ(14, list.SelectedIndex());
    EXPECT_EQ(0, list.holds);
}

TEST_F(ItemListTest, TapBelowTheLastRowClearsTheSelection)
{
    list.SetCount(4);
    uitest::Tap(RowPoint(2));
    ASSERT_EQ(2, list.SelectedIndex());
    uitest::Tap(RowPoint(7));
    EXPECT_EQ(-1, list.SelectedIndex());
    EXPECT_EQ(std::make_pair(-1, 1), list.selChanges.back());
}

TEST_F(ItemListTest, DoubleTapReportsTheRow)
{
    list.SetCount(30);
    const POINT p = RowPoint(5);
    uitest::Tap(p);
    uitest::Tap(p);
    ASSERT_EQ(1u, list.dblClicks.size());
    EXPECT_EQ(5, list.dblClicks[0]);
}

TEST_F(ItemListTest, HoldingThePenIsTapAndHoldAndTakesTheClickOver)
{
    list.SetCount(30);
    const POINT p = RowPoint(2);
    uitest::PenMove(p);
    const DWORD start = GetTickCount();
    uitest::PenDown(p);  // held: the list asks the shell, which waits
    const DWORD held = GetTickCount() - start;
    uitest::PenUp(p);
    EXPECT_EQ(1, list.holds);
    EXPECT_GE(held, 450u);
    EXPECT_EQ(2, list.SelectedIndex());
    EXPECT_TRUE(list.clicks.empty());  // the gesture took the click over

    // With the gesture switched off, holding is just a tap.
    list.DisableGesture();
    uitest::PenMove(RowPoint(4));
    uitest::PenDown(RowPoint(4));
    zentest::PumpMessages(600);
    uitest::PenUp(RowPoint(4));
    EXPECT_EQ(1, list.holds);
    ASSERT_EQ(1u, list.clicks.size());
    EXPECT_EQ(4, list.clicks[0]);
}

TEST_F(ItemListTest, PaintsRowsAndSelectionAndTheFocusBand)
{
    list.SetCount(30);
    uitest::Tap(RowPoint(1));
    zentest::PumpMessages(50);
    const auto shot = zentest::CaptureScreen();
    zentest::SaveScreenshot(shot, L"item_list");
    const POINT origin = uitest::ScreenPoint(list.GetHwnd(), 0, 0);
    const RECT selected = {origin.x + 100, origin.y + 40 + 16, origin.x + 200, origin.y + 40 + 32};
    EXPECT_EQ(100 * 16, zentest::CountPixels(shot, selected, zentest::FromColorRef(CCeMItemList::kSelectionColor)));
    // The header band is dark blue while the list has the focus.
    const RECT header = {origin.x + 100, origin.y + 22, origin.x + 200, origin.y + 38};
    EXPECT_EQ(100 * 16, zentest::CountPixels(shot, header, zentest::Rgb(0, 0, 156)));
    // Rows carry text (more than one colour), the scroll bar shows at the right.
    const RECT row0 = {origin.x, origin.y + 40, origin.x + 120, origin.y + 56};
    EXPECT_GT(zentest::DistinctColors(shot, row0), 2);
    const RECT barArea = {origin.x + 228, origin.y + 60, origin.x + 239, origin.y + 180};
    EXPECT_GE(zentest::DistinctColors(shot, barArea), 3);

    SetFocus(host);
    zentest::PumpMessages(50);
    const auto unfocused = zentest::CaptureScreen();
    EXPECT_EQ(0, zentest::CountPixels(unfocused, header, zentest::Rgb(0, 0, 156)));
}

TEST_F(ItemListTest, ResizingRecountsTheRows)
{
    list.SetCount(30);
    MoveWindow(list.GetHwnd(), 0, 40, 240, 280, TRUE);  // 15 rows
    EXPECT_EQ(15, list.VisibleRows());
    EXPECT_EQ(15, list.LargestTopIndex());
    MoveWindow(list.GetHwnd(), 0, 40, 240, 600, TRUE);  // everything fits
    EXPECT_FALSE(list.IsScrollBarVisible());
    EXPECT_EQ(0, list.TopIndex());
}

TEST_F(ItemListTest, PatternBrushesAreDeletedWhenReplacedAndAtTheEnd)
{
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, nullptr);
    ASSERT_NE(nullptr, pattern);
    list.SetBackgroundPattern(pattern, 1);
    const HBRUSH first = list.Background();
    ASSERT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(first));
    list.SetBackgroundPattern(pattern, 0);
    const HBRUSH second = list.Background();
    EXPECT_EQ(0u, GetObjectType(first)) << "the replaced pattern brush leaked";
    {
        TestList other;
        other.SetBackgroundPattern(pattern, 1);
        const HBRUSH third = other.Background();
        ASSERT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(third));
        other.SetBackgroundPattern(nullptr, 0);
        EXPECT_EQ(0u, GetObjectType(third));
    }
    list.SetBackgroundColor(RGB(1, 2, 3));
    EXPECT_EQ(0u, GetObjectType(second));
    // The bitmap is still the caller's.
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(pattern));
    DeleteObject(pattern);
}

TEST_F(ItemListTest, OperationsAfterDestroyAreHarmless)
{
    list.SetCount(30);
    HWND hwnd = list.GetHwnd();
    ASSERT_EQ(1, list.Destroy());
    EXPECT_FALSE(IsWindow(hwnd));
    list.SetItemCount(50, 0);
    list.SetTopIndex(3);
    list.InvalidateRow(2);
    list.OnVScroll(SB_PAGEDOWN, 0, nullptr);
    list.OnVScroll(SB_THUMBTRACK, 70, nullptr);
    list.SetBackgroundColor(RGB(1, 2, 3));
    EXPECT_FALSE(list.IsScrollBarVisible());
    EXPECT_EQ(40, list.LargestTopIndex());
    EXPECT_EQ(nullptr, list.GetHwnd());
    // The object can make a new window.
    EXPECT_EQ(1, list.Create({0, 40, 240, 200}, host, WS_VISIBLE, 12));
}

}  // namespace
