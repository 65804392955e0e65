// The toolkit edit (Enter notification, tap-and-hold menu, input panel) and
// the thin wrappers on the system controls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <sipapi.h>

#include <string>
#include <vector>

#include "UiInput.h"
#include "WinTest.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMEdit.h"
#include "toolkit/CCeMScrollBar.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/ToolkitMessages.h"

namespace {

class Parent : public CCeMWnd {
public:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_CHILDNOTIFY)
            notifications.push_back({wp, lp});
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
    std::vector<std::pair<WPARAM, LPARAM>> notifications;
};

std::wstring TextOf(HWND hwnd)
{
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return buf;
}

class EditTest : public testing::Test {
protected:
    void SetUp() override
    {
        parent.RegisterWindowClass(L"ZenEditParent", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1, parent.Create(L"", WS_POPUP | WS_VISIBLE, {0, 0, 240, 320}, nullptr, 0));
        ASSERT_EQ(1, edit.Create(L"hello", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, {10, 40, 200, 24},
                                 parent.GetHwnd(), 21));
        ASSERT_EQ(1, other.Create(L"", WS_VISIBLE | WS_BORDER | ES_READONLY, {10, 80, 200, 24},
                                  parent.GetHwnd(), 22));
        uitest::Activate(parent.GetHwnd());
    }
    void TearDown() override
    {
        SipShowIM(SIPF_OFF);
        parent.Destroy();
    }
    bool SipOn()
    {
        SIPINFO si = {};
        si.cbSize = sizeof si;
        return SipGetInfo(&si) && (si.fdwFlags & SIPF_ON);
    }

    Parent parent;
    CCeMEdit edit, other;
};

TEST_F(EditTest, IsAnAttachedSystemEdit)
{
    wchar_t cls[32] = {};
    GetClassNameW(edit.GetHwnd(), cls, 32);
    EXPECT_STREQ(L"Edit", cls);
    EXPECT_TRUE(edit.IsAttached());
    EXPECT_EQ(21u, edit.GetId());
    EXPECT_EQ(L"hello", TextOf(edit.GetHwnd()));
    ASSERT_NE(nullptr, edit.ContextMenu());
    EXPECT_EQ(6, GetMenuItemCount(edit.ContextMenu()));
    EXPECT_EQ(static_cast<UINT>(CCeMEdit::kSelectAll), GetMenuItemID(edit.ContextMenu(), 5));
}

TEST_F(EditTest, EnterNotifiesTheParentOnRelease)
{
    SetFocus(edit.GetHwnd());
    uitest::KeyDown(VK_RETURN);
    EXPECT_TRUE(parent.notifications.empty());
    uitest::KeyUp(VK_RETURN);
    ASSERT_EQ(1u, parent.notifications.size());
    EXPECT_EQ(0u, parent.notifications[0].first);
    EXPECT_EQ(reinterpret_cast<LPARAM>(edit.GetHwnd()), parent.notifications[0].second);
    uitest::Key('A');  // other keys do not notify
    EXPECT_EQ(1u, parent.notifications.size());
}

TEST_F(EditTest, MenuCommandsActOnTheText)
{
    HWND h = edit.GetHwnd();
    SendMessageW(h, WM_COMMAND, CCeMEdit::kSelectAll, 0);
    DWORD from = 1, to = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(0u, from);
    EXPECT_EQ(5u, to);
    SendMessageW(h, WM_COMMAND, CCeMEdit::kCopy, 0);
    SendMessageW(h, EM_SETSEL, 5, 5);
    SendMessageW(h, WM_COMMAND, CCeMEdit::kPaste, 0);
    EXPECT_EQ(L"hellohello", TextOf(h));
    SendMessageW(h, EM_SETSEL, 0, 5);
    SendMessageW(h, WM_COMMAND, CCeMEdit::kCut, 0);
    EXPECT_EQ(L"hello", TextOf(h));
    SendMessageW(h, EM_SETSEL, 0, 2);
    SendMessageW(h, WM_COMMAND, CCeMEdit::kClear, 0);
    EXPECT_EQ(L"llo", TextOf(h));
    // Read-only: the control itself refuses the change.
    SetWindowTextW(other.GetHwnd(), L"fixed");
    SendMessageW(other.GetHwnd(), EM_SETSEL, 0, -1);
    SendMessageW(other.GetHwnd(), WM_COMMAND, CCeMEdit::kCut, 0);
    EXPECT_EQ(L"fixed", TextOf(other.GetHwnd()));
}

// Holds the pen on an edit until its menu opens; returns which of the six
// positions were greyed, read while the menu was up.
std::vector<bool> HoldForMenu(CCeMEdit& e)
{
    std::vector<bool> greyed;
    HMENU menu = e.ContextMenu();
    uitest::HoldForMenu(uitest::ScreenPoint(e.GetHwnd(), 20, 10), 0, [&](HMENU) {
        for (int pos = 0; pos < 6; ++pos)
            greyed.push_back((GetMenuState(menu, pos, MF_BYPOSITION) & MF_GRAYED) != 0);
    });
    zentest::PumpMessages(50);
    return greyed;
}

TEST_F(EditTest, TapAndHoldOpensTheMenuWithEditingItemsEnabled)
{
    const auto greyed = HoldForMenu(edit);
    ASSERT_EQ(6u, greyed.size()) << "the menu did not open";
    EXPECT_FALSE(greyed[0]);  // Copy
    EXPECT_FALSE(greyed[1]);  // Paste
    EXPECT_FALSE(greyed[2]);  // Cut
    EXPECT_FALSE(greyed[3]);  // Clear
    EXPECT_FALSE(greyed[5]);  // Select All
}

TEST_F(EditTest, TapAndHoldOnAReadOnlyEditOffersCopyAndSelectAllOnly)
{
    const auto greyed = HoldForMenu(other);
    ASSERT_EQ(6u, greyed.size()) << "the menu did not open";
    EXPECT_FALSE(greyed[0]);
    EXPECT_TRUE(greyed[1]);
    EXPECT_TRUE(greyed[2]);
    EXPECT_TRUE(greyed[3]);
    EXPECT_FALSE(greyed[5]);
}

TEST_F(EditTest, AQuickTapIsLeftToTheEdit)
{
    SetFocus(other.GetHwnd());
    uitest::Tap(uitest::ScreenPoint(edit.GetHwnd(), 20, 10));
    EXPECT_EQ(edit.GetHwnd(), GetFocus());
    EXPECT_EQ(nullptr, uitest::FindOwnVisible(L"#32768"));
}

TEST_F(EditTest, FocusShowsTheInputPanelAndSelectsTheText)
{
    SetFocus(other.GetHwnd());  // read-only: no panel
    zentest::PumpMessages(30);
    EXPECT_FALSE(SipOn());
    SetFocus(edit.GetHwnd());
    zentest::PumpMessages(30);
    EXPECT_TRUE(SipOn());
    DWORD from = 1, to = 0;
    SendMessageW(edit.GetHwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(0u, from);
    EXPECT_EQ(5u, to);
    SetFocus(other.GetHwnd());
    zentest::PumpMessages(30);
    EXPECT_FALSE(SipOn());

    // Without the input-panel flag nothing is shown.
    edit.SetInputPanel(0);
    SetFocus(edit.GetHwnd());
    zentest::PumpMessages(30);
    EXPECT_FALSE(SipOn());
}

TEST_F(EditTest, TypingOnTheInputPanelReachesTheEdit)
{
    SetFocus(edit.GetHwnd());
    zentest::PumpMessages(30);
    ASSERT_TRUE(SipOn());
    SIPINFO si = {};
    si.cbSize = sizeof si;
    ASSERT_TRUE(SipGetInfo(&si));
    const RECT k = si.rcSipRect;
    const int kw = (k.right - k.left) / 10, kh = (k.bottom - k.top) / 4;
    auto key = [&](int row, int col) { return POINT{k.left + col * kw + kw / 2, k.top + row * kh + kh / 2}; };
    uitest::Tap(key(2, 0));  // "a" replaces the selected text
    uitest::Tap(key(0, 1));  // "2"
    uitest::Tap(key(1, 0));  // "q"
    EXPECT_EQ(L"a2q", TextOf(edit.GetHwnd()));
    uitest::Tap(key(2, 9));  // backspace
    EXPECT_EQ(L"a2", TextOf(edit.GetHwnd()));
    EXPECT_EQ(edit.GetHwnd(), GetFocus());  // the panel never takes the focus
    // The hardware keyboard still types while the panel is up.
    uitest::Key('Z');
    EXPECT_EQ(L"a2z", TextOf(edit.GetHwnd()));
    uitest::Tap(key(3, 9));  // Enter on the panel notifies like the real key
    EXPECT_EQ(1u, parent.notifications.size());
}

TEST(ThinWrappers, EachCreatesAndAttachesItsSystemControl)
{
    HWND host = uitest::MakeHost();
    CCeMButton button;
    CCeMComboBox combo;
    CCeMListBox listBox;
    CCeMProgress progress;
    CCeMTrackBar track;
    CCeMScrollBar scroll;
    ASSERT_EQ(1, button.Create(L"확인", WS_VISIBLE, {0, 0, 60, 20}, host, 1));
    ASSERT_EQ(1, combo.Create(WS_VISIBLE | CBS_DROPDOWNLIST, {0, 30, 100, 80}, host, 2));
    ASSERT_EQ(1, listBox.Create(WS_VISIBLE, {0, 60, 100, 60}, host, 3));
    ASSERT_EQ(1, progress.Create(WS_VISIBLE, {0, 130, 100, 10}, host, 4));
    ASSERT_EQ(1, track.Create(WS_VISIBLE, {0, 150, 100, 20}, host, 5));
    ASSERT_EQ(1, scroll.Create(SBS_VERT | WS_VISIBLE, {200, 0, 13, 100}, host, 6));
    const std::pair<CCeMWnd*, const wchar_t*> expected[] = {
        {&button, L"Button"}, {&combo, L"ComboBox"}, {&listBox, L"ListBox"},
        {&progress, L"msctls_progress32"}, {&track, L"msctls_trackbar32"}, {&scroll, L"ScrollBar"}};
    for (const auto& e : expected) {
        wchar_t cls[64] = {};
        GetClassNameW(e.first->GetHwnd(), cls, 64);
        EXPECT_STREQ(e.second, cls);
        EXPECT_TRUE(e.first->IsAttached()) << cls;
        EXPECT_TRUE(GetWindowLongW(e.first->GetHwnd(), GWL_STYLE) & WS_CHILD) << cls;
    }
    EXPECT_EQ(L"확인", TextOf(button.GetHwnd()));
    // Their own messages still work through the toolkit's procedure.
    EXPECT_EQ(0, SendMessageW(listBox.GetHwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"한글")));
    EXPECT_EQ(1, SendMessageW(listBox.GetHwnd(), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, SendMessageW(combo.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"하나")));
    SendMessageW(progress.GetHwnd(), PBM_SETPOS, 40, 0);
    EXPECT_EQ(40, SendMessageW(progress.GetHwnd(), PBM_GETPOS, 0, 0));

    EXPECT_EQ(1, scroll.SetRange(0, 50, TRUE));
    scroll.SetPos(20, TRUE);
    EXPECT_EQ(20, scroll.GetPos());
    int lo = -1, hi = -1;
    EXPECT_EQ(1, scroll.GetRange(&lo, &hi));
    EXPECT_EQ(50, hi);
    scroll.Destroy();
    EXPECT_EQ(-1, scroll.GetPos());  // no window: failure, not a crash
    EXPECT_EQ(0, scroll.GetRange(&lo, &hi));
    DestroyWindow(host);
}

}  // namespace
