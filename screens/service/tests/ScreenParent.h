#pragma once
// A top-level window standing in for the main window: it carries one service
// screen at the view rectangle and records what the screen tells it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "screens/service/CCeMPassKeypad.h"
#include "screens/service/CCeMTabScreen.h"
#include "toolkit/CCeMWnd.h"
#include "toolkit/ToolkitMessages.h"

class ScreenParent : public CCeMWnd {
public:
    // The view rectangle of the main window on a 240 x 320 screen.
    static constexpr CCeMPlacement kView = {0, 84, 240, 190};
    static constexpr UINT kScreenId = 500;

    std::vector<int> notices;  // child notification codes
    int closeRequests = 0;

    bool Make()
    {
        RegisterWindowClass(L"ZenServiceParent", 0, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)), nullptr,
                            nullptr, LoadCursorW(nullptr, IDC_ARROW));
        if (Create(L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, {0, 0, 240, 320}, nullptr, 0) != 1)
            return false;
        uitest::Activate(m_hWnd);
        return true;
    }
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override
    {
        if (msg == WM_CHILDNOTIFY) {
            notices.push_back(static_cast<int>(wp));
            return 0;
        }
        if (msg == WM_COMMAND && HIWORD(wp) == CCeMTabScreen::kCloseRequest) {
            ++closeRequests;
            return 0;
        }
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
};

namespace servicetest {

// A pen tap at a client point of `hwnd`, then the messages it caused.
inline void TapAt(HWND hwnd, int x, int y)
{
    uitest::Tap(uitest::ScreenPoint(hwnd, x, y));
    zentest::PumpMessages(60);
}

// Taps the keys of `keys` ('0'-'9', 'C' clear, 'K' confirm) on a keypad.
inline void TypeKeys(CCeMPassKeypad& pad, const char* keys)
{
    for (const char* k = keys; *k; ++k) {
        const int code = *k == 'C' ? CCeMPassKeypad::kClear : *k == 'K' ? CCeMPassKeypad::kConfirm : *k - '0';
        const POINT c = pad.KeyCentre(code);
        ASSERT_GE(c.x, 0) << "no key " << *k;
        TapAt(pad.GetHwnd(), c.x, c.y);
    }
}

// Taps the centre of a child control of the screen.
inline void TapControl(HWND screen, UINT id)
{
    HWND w = GetDlgItem(screen, id);
    ASSERT_NE(nullptr, w) << id;
    RECT rc;
    GetClientRect(w, &rc);
    uitest::Tap(uitest::ScreenPoint(w, 10, rc.bottom / 2));
    zentest::PumpMessages(80);
}

inline bool Shown(HWND screen, UINT id)
{
    HWND w = GetDlgItem(screen, id);
    return w && IsWindowVisible(w) && IsWindowEnabled(w);
}

// Saves what the screen shows, for a person to look at.
inline void Snap(HWND hwnd, const wchar_t* name)
{
    zentest::PumpMessages(60);
    zentest::SaveScreenshot(zentest::CaptureWindow(hwnd), name);
}

}  // namespace servicetest
