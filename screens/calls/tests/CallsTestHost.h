#pragma once
// A stand-in for the main window under the call screens: a top-level window
// covering the screen that records the messages its views send it.
#include <windows.h>

#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "Screenshot.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMWnd.h"

namespace callstest {

struct Sent {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    std::string narrow;   // 4124 with 8-bit text: the text
    std::wstring wide;    // 4124 / 4126 with UTF-16 text: the text
};

class Host {
public:
    Host();
    ~Host();
    HWND Hwnd() const { return hwnd_; }
    // The view rectangle of the main window.
    static CCeMPlacement ViewPlacement() { return {0, 84, 240, 190}; }
    std::vector<Sent> sent;
    LRESULT numberAnswer = 1;  // what 4124 answers
    int CountOf(UINT msg) const;
    const Sent* Last(UINT msg) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// A data manager on a private object store with the settings loaded.
struct Data {
    explicit Data(const wchar_t* tag);
    cedbtest::ScopedStore store;
    CCeDataManager data;
};

// Screen position of a client point of a window.
POINT At(HWND hwnd, int x, int y);
// Taps a client point and lets the window handle it.
void TapAt(HWND hwnd, int x, int y);
// Taps OK (or Cancel) in the next message box that comes up and returns its text.
void AnswerNextBox(bool ok, std::wstring* text = nullptr);
// The screen's pixels in window coordinates (captured from the desktop).
zentest::Image Shot(HWND hwnd, const wchar_t* name);

}  // namespace callstest

namespace callstest {
// Whether `rect` of `shot` shows `text` as the screens draw it (13-pixel
// font, the DrawText flags given, ink of `colour`): the ink masks of the
// screenshot and of the same text drawn apart agree.
bool ShowsText(const zentest::Image& shot, const RECT& rect, const wchar_t* text, COLORREF colour, UINT flags,
               int fontHeight = 13, bool bold = false);
// The same, compared only within the columns [left, right) of the rectangle
// (where controls cover part of it).
bool ShowsTextWithin(const zentest::Image& shot, const RECT& rect, int left, int right, const wchar_t* text,
                     COLORREF colour, UINT flags);
// Pixels near `colour` in `rect`.
int Ink(const zentest::Image& shot, const RECT& rect, COLORREF colour, int tolerance = 60);
}  // namespace callstest

namespace callstest {
// Holds the pen at a client point until a pop-up menu opens, reads its
// items, then picks the item `downs` steps down with the keys (0 closes it).
std::vector<std::wstring> HoldForMenu(HWND hwnd, int x, int y, int downs);
// Two quick taps.
void DoubleTapAt(HWND hwnd, int x, int y);
}  // namespace callstest
