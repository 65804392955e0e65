// Binding objects to windows and the shared dispatch, on real windows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiInput.h"
#include "WinTest.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMWnd.h"
#include "toolkit/CCeMWndMap.h"

namespace {

// Records what reaches the object.
class Probe : public CCeMWnd {
public:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        seen.push_back(msg);
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override
    {
        ++creates;
        createArg = hwnd;
        handleDuringCreate = m_hWnd;
        return CCeMWnd::OnCreate(hwnd, cs);
    }
    int OnDestroy(HWND hwnd) override
    {
        ++destroys;
        return CCeMWnd::OnDestroy(hwnd);
    }
    int OnLButtonDown(WPARAM, int x, int y) override
    {
        lastX = x;
        lastY = y;
        return lButtonResult;
    }
    void OnPaint(HWND hwnd) override
    {
        ++paints;
        CCeMWnd::OnPaint(hwnd);
    }
    bool Saw(UINT msg) const
    {
        for (UINT m : seen)
            if (m == msg)
                return true;
        return false;
    }

    std::vector<UINT> seen;
    int creates = 0, destroys = 0, paints = 0;
    HWND createArg = nullptr, handleDuringCreate = reinterpret_cast<HWND>(1);
    int lButtonResult = -1;
    int lastX = -1, lastY = -1;
};

const CCeMPlacement kPlace = {10, 10, 100, 80};

Probe* MakeProbe(std::unique_ptr<Probe>& p, DWORD style = WS_POPUP | WS_VISIBLE, HWND parent = nullptr)
{
    p = std::make_unique<Probe>();
    p->RegisterWindowClass(L"ZenProbe", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    return p->Create(L"probe", style, kPlace, parent, 7) ? p.get() : nullptr;
}

TEST(ToolkitInit, StartsOnceAndStopsOnce)
{
    ASSERT_TRUE(CCeMToolkit::IsStarted());  // started for the whole test program
    EXPECT_EQ(0, ToolkitInit(GetModuleHandleW(nullptr)));
    EXPECT_EQ(1, ToolkitInit(nullptr));
    EXPECT_EQ(nullptr, CCeMToolkit::Instance());
    EXPECT_EQ(0, ToolkitInit(nullptr));
    EXPECT_EQ(1, ToolkitInit(GetModuleHandleW(nullptr)));
    EXPECT_EQ(GetModuleHandleW(nullptr), CCeMToolkit::Instance());
}

TEST(WndDispatch, CreateBindsAtCreateAndStoresTheHandleAfterwards)
{
    std::unique_ptr<Probe> p;
    ASSERT_NE(nullptr, MakeProbe(p));
    HWND hwnd = p->GetHwnd();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_STREQ(L"ZenProbe", p->ClassName());
    EXPECT_EQ(1, p->creates);
    EXPECT_EQ(hwnd, p->createArg);
    EXPECT_EQ(nullptr, p->handleDuringCreate);  // only the argument knows it during OnCreate
    EXPECT_FALSE(p->IsAttached());
    EXPECT_EQ(p.get(), WndMap().Lookup(hwnd));
    // Messages before WM_CREATE had default processing only.
    EXPECT_FALSE(p->Saw(WM_NCCREATE));
    EXPECT_EQ(static_cast<UINT>(WM_CREATE), p->seen.front());

    // A bound object refuses to create again and keeps its window.
    EXPECT_EQ(0, p->Create(L"again", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(0, p->Create(L"ZenProbe", L"again", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(hwnd, p->GetHwnd());
    EXPECT_EQ(1, p->creates);
}

TEST(WndDispatch, ClassNamesAreKeptAndUnregistered)
{
    Probe p;
    const std::wstring longName(200, L'c');
    EXPECT_EQ(1, p.RegisterWindowClass(longName.c_str(), 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::wstring(127, L'c'), p.ClassName());  // cut to the field
    EXPECT_EQ(0, p.RegisterWindowClass(longName.c_str(), 0, nullptr, nullptr, nullptr, nullptr));
    ASSERT_EQ(1, p.Create(L"", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(0, p.UnregisterWindowClass());  // a window of the class still lives
    p.Destroy();
    EXPECT_EQ(1, p.UnregisterWindowClass());
    EXPECT_EQ(0, p.Create(L"", WS_POPUP, kPlace, nullptr, 0));  // no such class any more
    EXPECT_EQ(nullptr, CCeMToolkit::TakeObjectUnderCreation());
}

TEST(WndDispatch, CreateWithAnotherClassNameFails)
{
    Probe p;
    p.RegisterWindowClass(L"ZenProbe", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, p.Create(L"ZenOther", L"x", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(nullptr, p.GetHwnd());
    EXPECT_EQ(1, p.Create(L"ZenProbe", L"x", WS_POPUP, kPlace, nullptr, 0));
}

// Creates a child window from inside its own OnCreate.
class Outer : public Probe {
public:
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override
    {
        inner.RegisterWindowClass(L"ZenInner", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
        innerCreated = inner.Create(L"inner", WS_CHILD | WS_VISIBLE, {0, 0, 20, 20}, hwnd, 3);
        return Probe::OnCreate(hwnd, cs);
    }
    Probe inner;
    int innerCreated = 0;
};

TEST(WndDispatch, AWindowCreatedInsideOnCreateIsBoundToo)
{
    Outer outer;
    outer.RegisterWindowClass(L"ZenOuter", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, outer.Create(L"outer", WS_POPUP | WS_VISIBLE, kPlace, nullptr, 0));
    ASSERT_EQ(1, outer.innerCreated);
    EXPECT_EQ(1, outer.creates);
    EXPECT_EQ(1, outer.inner.creates);
    EXPECT_EQ(&outer, WndMap().Lookup(outer.GetHwnd()));
    EXPECT_EQ(&outer.inner, WndMap().Lookup(outer.inner.GetHwnd()));
    EXPECT_EQ(outer.GetHwnd(), GetParent(outer.inner.GetHwnd()));
    EXPECT_EQ(3, GetDlgCtrlID(outer.inner.GetHwnd()));
    // Messages reach each object separately.
    outer.seen.clear();
    outer.inner.seen.clear();
    SendMessageW(outer.inner.GetHwnd(), WM_USER + 5, 0, 0);
    EXPECT_TRUE(outer.inner.Saw(WM_USER + 5));
    EXPECT_FALSE(outer.Saw(WM_USER + 5));
}

TEST(WndDispatch, DestroyUnmapsBeforeOnDestroyAndLaterMessagesGetDefaults)
{
    std::unique_ptr<Probe> p;
    ASSERT_NE(nullptr, MakeProbe(p));
    HWND hwnd = p->GetHwnd();
    p->seen.clear();
    EXPECT_EQ(1, p->Destroy());
    EXPECT_EQ(nullptr, p->GetHwnd());
    EXPECT_EQ(1, p->destroys);
    EXPECT_TRUE(p->Saw(WM_DESTROY));
    EXPECT_FALSE(p->Saw(WM_NCDESTROY));  // after WM_DESTROY: not mapped any more
    EXPECT_EQ(nullptr, WndMap().Lookup(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));

    // Operations on the destroyed window are refused, not crashed.
    EXPECT_EQ(0, p->Destroy());
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, p->Attach(nullptr));
    // The object can take a new window.
    EXPECT_EQ(1, p->Create(L"again", WS_POPUP, kPlace, nullptr, 0));
    EXPECT_EQ(2, p->creates);
}

TEST(WndDispatch, CloseDestroysAnOwnWindowByDefault)
{
    std::unique_ptr<Probe> p;
    ASSERT_NE(nullptr, MakeProbe(p));
    HWND hwnd = p->GetHwnd();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, p->GetHwnd());
}

TEST(WndDispatch, DestructorDestroysABoundWindow)
{
    HWND hwnd;
    {
        std::unique_ptr<Probe> p;
        ASSERT_NE(nullptr, MakeProbe(p));
        hwnd = p->GetHwnd();
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, WndMap().Lookup(hwnd));
}

// A foreign control class whose own procedure records what it gets.
std::vector<UINT> g_foreignSeen;
LRESULT CALLBACK ForeignProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    g_foreignSeen.push_back(msg);
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool ForeignSaw(UINT msg)
{
    for (UINT m : g_foreignSeen)
        if (m == msg)
            return true;
    return false;
}

void RegisterForeign()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ForeignProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZenForeign";
    RegisterClassW(&wc);
}

class AttachTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegisterForeign();
        host = uitest::MakeHost();
        g_foreignSeen.clear();
    }
    void TearDown() override { DestroyWindow(host); }
    HWND host = nullptr;
};

TEST_F(AttachTest, CreateControlOfAForeignClassAttaches)
{
    Probe p;
    ASSERT_EQ(1, p.CreateControl(L"ZenForeign", L"", WS_CHILD | WS_VISIBLE, kPlace, host, 42));
    HWND hwnd = p.GetHwnd();
    EXPECT_TRUE(p.IsAttached());
    EXPECT_EQ(42u, p.GetId());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(CCeMToolkit::SharedWndProc), GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
    EXPECT_EQ(&p, WndMap().Lookup(hwnd));

    // 0 from a handler swallows the message; anything else passes it on.
    g_foreignSeen.clear();
    p.lButtonResult = 0;
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    EXPECT_EQ(5, p.lastX);
    EXPECT_EQ(6, p.lastY);
    EXPECT_FALSE(ForeignSaw(WM_LBUTTONDOWN));
    p.lButtonResult = -1;
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    EXPECT_TRUE(ForeignSaw(WM_LBUTTONDOWN));

    // Painting: the object's OnPaint runs and the control still gets WM_PAINT.
    g_foreignSeen.clear();
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateWindow(hwnd);
    EXPECT_EQ(1, p.paints);
    EXPECT_TRUE(ForeignSaw(WM_PAINT));

    // Unknown messages go to the control's own procedure.
    SendMessageW(hwnd, WM_USER + 9, 0, 0);
    EXPECT_TRUE(ForeignSaw(WM_USER + 9));
}

TEST_F(AttachTest, AnAttachedControlGetsItsProcedureBackAtDestroy)
{
    Probe p;
    ASSERT_EQ(1, p.CreateControl(L"ZenForeign", L"", WS_CHILD | WS_VISIBLE, kPlace, host, 1));
    HWND hwnd = p.GetHwnd();
    g_foreignSeen.clear();
    EXPECT_EQ(1, p.Destroy());
    EXPECT_TRUE(ForeignSaw(WM_DESTROY));
    EXPECT_TRUE(ForeignSaw(WM_NCDESTROY));  // so a system control frees its data
    EXPECT_EQ(nullptr, WndMap().Lookup(hwnd));
    EXPECT_FALSE(p.IsAttached());
}

TEST_F(AttachTest, CreateControlOfItsOwnClassIsNotAttached)
{
    Probe p;
    p.RegisterWindowClass(L"ZenProbe", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, p.CreateControl(L"ZenProbe", L"", WS_CHILD | WS_VISIBLE, kPlace, host, 9));
    EXPECT_FALSE(p.IsAttached());
    EXPECT_EQ(1, p.creates);
    EXPECT_EQ(&p, WndMap().Lookup(p.GetHwnd()));
}

TEST_F(AttachTest, AttachRefusesNullAndASecondWindow)
{
    Probe p;
    EXPECT_EQ(0, p.Attach(nullptr));
    HWND a = CreateWindowExW(0, L"ZenForeign", L"", WS_CHILD, 0, 0, 10, 10, host, nullptr, nullptr, nullptr);
    HWND b = CreateWindowExW(0, L"ZenForeign", L"", WS_CHILD, 0, 0, 10, 10, host, nullptr, nullptr, nullptr);
    EXPECT_EQ(1, p.Attach(a));
    EXPECT_EQ(0, p.Attach(b));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(ForeignProc), GetWindowLongPtrW(b, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, WndMap().Lookup(b));
}

// Attaching into a full bucket fails and leaves the control with its own
// procedure, working; creating such a control fails whole.
TEST_F(AttachTest, AttachIntoAFullBucketFailsAndTheControlKeepsWorking)
{
    HWND control = CreateWindowExW(0, L"ZenForeign", L"", WS_CHILD, 0, 0, 10, 10, host, reinterpret_cast<HMENU>(5),
                                   nullptr, nullptr);
    ASSERT_NE(nullptr, control);
    CCeMWnd standIn;
    std::vector<HWND> fakes;
    const UINT_PTR bucket = static_cast<UINT_PTR>(CCeMWndMap::BucketOf(control));
    for (UINT_PTR n = 0; static_cast<int>(fakes.size()) < CCeMWndMap::kBucketSize && n < 1000; ++n) {
        HWND fake = reinterpret_cast<HWND>(0x7E00000000ull + bucket + 91ull * n);
        if (WndMap().Insert(fake, &standIn))
            fakes.push_back(fake);
    }
    ASSERT_EQ(0, WndMap().Insert(control, &standIn)) << "the bucket is not full";

    Probe p;
    EXPECT_EQ(0, p.Attach(control));
    EXPECT_EQ(nullptr, p.GetHwnd());
    EXPECT_FALSE(p.IsAttached());
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(ForeignProc), GetWindowLongPtrW(control, GWLP_WNDPROC));
    g_foreignSeen.clear();
    SendMessageW(control, WM_USER + 9, 0, 0);
    EXPECT_TRUE(ForeignSaw(WM_USER + 9));

    // A control made through the object whose handle lands in that bucket
    // must not be left behind unserved; made until one does.
    int refused = 0;
    for (int i = 0; i < 400 && !refused; ++i) {
        Probe q;
        if (!q.CreateControl(L"ZenForeign", L"", WS_CHILD, kPlace, host, 6)) {
            ++refused;
            EXPECT_EQ(nullptr, q.GetHwnd());
            EXPECT_FALSE(q.IsAttached());
        }
    }
    EXPECT_EQ(1, refused) << "no handle fell into the full bucket";
    EXPECT_EQ(nullptr, GetDlgItem(host, 6)) << "a refused control was left behind";

    // With a place free again, the same object attaches.
    WndMap().Remove(fakes.back());
    fakes.pop_back();
    EXPECT_EQ(1, p.Attach(control));
    EXPECT_EQ(&p, WndMap().Lookup(control));
    p.Destroy();
    for (HWND fake : fakes)
        WndMap().Remove(fake);
}

// The map full of windows: those that find no place exist but get default
// processing only; nothing crashes and freeing one makes room. Most places
// are taken by stand-in entries first (handles no real window has), so the
// test needs a few hundred real windows rather than 9,100.
TEST_F(AttachTest, AFullMapLeavesNewWindowsUnmappedButWorking)
{
    CCeMWnd standIn;
    std::vector<HWND> fakes;
    const int before = WndMap().Count();
    for (int n = 0; n < 97; ++n)
        for (int bucket = 0; bucket < CCeMWndMap::kBuckets; ++bucket) {
            HWND fake = reinterpret_cast<HWND>(0x7F00000000ull + bucket + 91ull * n);
            if (WndMap().Insert(fake, &standIn))
                fakes.push_back(fake);
        }
    std::vector<std::unique_ptr<Probe>> windows;
    int unmapped = 0;
    while (WndMap().Count() < 9100 && windows.size() < 3000) {
        auto p = std::make_unique<Probe>();
        p->RegisterWindowClass(L"ZenProbe", 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1, p->Create(L"", WS_CHILD, {0, 0, 1, 1}, HWND_MESSAGE, 0)) << windows.size();
        unmapped += p->creates == 0;
        windows.push_back(std::move(p));
    }
    ASSERT_EQ(9100, WndMap().Count());
    EXPECT_EQ(9100 - before - static_cast<int>(fakes.size()) + unmapped, static_cast<int>(windows.size()));

    // One more window finds no place: it exists, Create succeeds, but it gets
    // default processing only.
    auto extra = std::make_unique<Probe>();
    extra->RegisterWindowClass(L"ZenProbe", 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(1, extra->Create(L"", WS_CHILD, {0, 0, 1, 1}, HWND_MESSAGE, 0));
    HWND lost = extra->GetHwnd();
    EXPECT_EQ(0, extra->creates);
    EXPECT_EQ(nullptr, WndMap().Lookup(lost));
    EXPECT_EQ(9100, WndMap().Count());
    SetWindowTextW(lost, L"still a window");
    wchar_t text[32] = {};
    GetWindowTextW(lost, text, 32);
    EXPECT_STREQ(L"still a window", text);
    EXPECT_TRUE(extra->seen.empty());
    EXPECT_EQ(1, extra->Destroy());

    // Freeing one place unmaps only that window.
    const HWND freed = windows.back()->GetHwnd();
    windows.back()->Destroy();
    EXPECT_EQ(9099, WndMap().Count());
    EXPECT_EQ(nullptr, WndMap().Lookup(freed));

    windows.clear();
    for (HWND fake : fakes)
        WndMap().Remove(fake);
    EXPECT_EQ(before, WndMap().Count());
}

}  // namespace
