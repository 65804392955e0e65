#pragma once
// What the preference screens share: their pictures from the program's
// resources, the framed look below the title band, the title, the close
// request to the parent, and the guards of privacy mode and the phone lock.
#include <windows.h>

#include <cstddef>
#include <initializer_list>

namespace prefs {

constexpr int kTitleBand = 25;
constexpr int kCloseRequest = 1000;  // WM_COMMAND code: a screen asks to be closed
constexpr UINT kChildNotify = 4024;  // to the top-level window: code, sender
constexpr int kNotifyMenuBarBack = 9;
constexpr RECT kTitleRect = {25, 0, 200, 25};

struct HeaderColumn {
    const wchar_t* title;
    int left;
    int right;  // -1: the right edge
};

// The list screens' whole paint: the frame picture (or the title band in
// the frame colour), the side frame and the title.
void PaintListScreen(HWND hwnd, HBITMAP background, HBRUSH frame, LPCWSTR title);
// A list's column-header band {0, 0, width, 18}: dark blue with white text
// while the list has the focus, else light grey with black text.
void DrawHeaderBand(HDC dc, int width, bool focus, HBRUSH focusBrush, const HeaderColumn* columns, size_t count);
// Shows a list's tap-and-hold menu at a client point; the choice arrives as
// the list's WM_COMMAND.
void TrackMenuAt(HWND list, HMENU menu, int x, int y);

// A bitmap resource of the program, or null when it is missing.
HBITMAP LoadPicture(UINT resId);
// Draws the whole bitmap with its top left corner at (x, y); nothing for null.
void DrawPicture(HDC dc, HBITMAP bmp, int x, int y);
// A 2-pixel frame on the left, right and bottom edges of the area below `top`.
void DrawSideFrame(HDC dc, int width, int height, int top, HBRUSH brush);
// The screen's title in the title band, white on a transparent background.
void DrawTitle(HDC dc, LPCWSTR title);
// Asks the parent to close the screen: WM_COMMAND (1000 << 16 | id, window),
// posted.
void SendCloseRequest(HWND screen);
// Tells the top-level window that a part of the screen under the pen went
// away (an editor closed by its own button): the display may have put that
// window over its menu bar, which it puts back. Posted, so it comes after
// the tap's own handling.
void AskMenuBarBack(HWND from);

// 1 when neither privacy mode nor the phone lock stands in the way of a
// change; otherwise the program's message box says which (5 seconds) and 0.
int PassGuards(HWND owner);

// The screens' small type for controls (Tahoma, 13 pixels); the caller
// deletes it once the controls using it are gone.
HFONT CreateControlFont();
// Gives each control the font.
void SetFont(HFONT font, std::initializer_list<HWND> controls);

// Deletes each GDI object that is there and forgets it.
template <typename Handle>
void DeleteAll(std::initializer_list<Handle*> handles)
{
    for (Handle* h : handles) {
        if (*h)
            DeleteObject(*h);
        *h = nullptr;
    }
}

// The message boxes of the screens: one button, 5 seconds.
void Notice(HWND owner, LPCWSTR text, LPCWSTR caption);
// OK and Cancel, 5 seconds; true for OK.
bool Confirm(HWND owner, LPCWSTR text, LPCWSTR caption);

}  // namespace prefs
