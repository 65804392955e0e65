#pragma once
// The preference screens on real windows: the stores on a private object
// store, a host window standing in for the main window (it records what the
// screens tell it), and a watcher that reads and answers message boxes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"
#include "toolkit/CCeMWndMap.h"
#include "toolkit/ToolkitMessages.h"

namespace prefstest {

// The view rectangle of the main window on a 240 x 320 screen.
constexpr CCeMPlacement kViewPlace = {0, 84, 240, 190};

class HostWindow : public CCeMWnd {
public:
    std::vector<std::pair<int, int>> commands;  // (code, id)
    std::vector<int> notices;                   // child notification codes

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_CHILDNOTIFY)
            notices.push_back(static_cast<int>(wp));
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
    int OnCommand(int code, int id, HWND) override
    {
        commands.emplace_back(code, id);
        return 0;
    }
    int CloseRequests(int id) const
    {
        int n = 0;
        for (const auto& c : commands)
            n += c.first == 1000 && c.second == id;
        return n;
    }
};

struct SeenBox {
    std::wstring caption;  // without the countdown
    std::wstring text;
    bool system = false;   // the system's message box, not the program's
};

// Reads every message box that comes up and answers it with `answer`; on a
// pop-up menu of `menu` records which items are greyed and taps the item at
// `menuChoice` (or leaves with Escape for -1).
class BoxWatcher {
public:
    std::vector<SeenBox> seen;
    int answer = IDOK;
    HMENU menu = nullptr;
    int menuChoice = -1;
    std::vector<bool> greyed;
    int menusSeen = 0;

    void Start()
    {
        uitest::WhileModal(50, [this] {
            if (HWND popup = uitest::FindOwnVisible(L"#32768")) {
                if (!inMenu_)
                    OnMenu(popup);
                return true;
            }
            inMenu_ = false;
            HWND box = uitest::FindOwnVisible(L"#32770");
            if (!box || box == last_)
                return true;
            last_ = box;
            seen.push_back(Read(box));
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
            return true;
        });
    }
    void Stop() { uitest::StopModalSteps(); }

private:
    void OnMenu(HWND popup)
    {
        inMenu_ = true;
        ++menusSeen;
        greyed.clear();
        for (int pos = 0; menu && pos < GetMenuItemCount(menu); ++pos)
            greyed.push_back((GetMenuState(menu, pos, MF_BYPOSITION) & MF_GRAYED) != 0);
        POINT at;
        GetCursorPos(&at);
        uitest::PenUp(at);
        RECT rc;
        if (menuChoice >= 0 && GetMenuItemRect(popup, menu, menuChoice, &rc))
            uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        else
            uitest::Key(VK_ESCAPE);
    }

    static SeenBox Read(HWND box)
    {
        SeenBox b;
        wchar_t buf[256] = {};
        GetWindowTextW(box, buf, 256);
        b.caption = buf;
        const size_t paren = b.caption.find(L'(');
        if (paren != std::wstring::npos)
            b.caption.resize(paren);
        if (auto* own = dynamic_cast<CCeMMsgBox*>(CCeMToolkit::Map().Lookup(box))) {
            b.text = own->Text();
            return b;
        }
        b.system = true;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            wchar_t cls[32] = {};
            GetClassNameW(c, cls, 32);
            if (_wcsicmp(cls, L"Static") == 0) {
                GetWindowTextW(c, buf, 256);
                if (wcslen(buf) > b.text.size())
                    b.text = buf;
            }
        }
        return b;
    }
    HWND last_ = nullptr;
    bool inMenu_ = false;
};

class ScreenTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!CCeMToolkit::IsStarted())
            ToolkitInit(GetModuleHandleW(nullptr));
    }

    void SetUp() override
    {
        g_pDataManager = &data;
        data.m_EnvDB.Load();
        host.RegisterWindowClass(L"ZenPrefsHost", 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_EQ(1, host.Create(L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, 240, 320}, nullptr, 0));
        uitest::Activate(host.GetHwnd());
        watcher.Start();
    }
    void TearDown() override
    {
        watcher.Stop();
        host.Destroy();
        g_pDataManager = nullptr;
    }

    void TapAt(HWND hwnd, int x, int y)
    {
        uitest::Tap(uitest::ScreenPoint(hwnd, x, y));
        zentest::PumpMessages(60);
    }
    void Shot(const wchar_t* name)
    {
        zentest::PumpMessages(150);
        zentest::SaveScreenshot(zentest::CaptureScreen(), name);
    }

    cedbtest::ScopedStore store{L"prefs"};
    CCeDataManager data;
    HostWindow host;
    BoxWatcher watcher;
};

}  // namespace prefstest
