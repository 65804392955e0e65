// Tap-and-hold: a press held still for about half a second is a context request.
#include <aygshell.h>

#include <cmath>

namespace {

constexpr DWORD kHoldMs = 500;
constexpr DWORD kLongHoldMs = 1000;
constexpr DWORD kCueDelayMs = 150;  // an ordinary tap shows no cue
constexpr int kSlop = 5;            // pixels the pen may wander
constexpr int kCueDots = 8;
constexpr int kCueRadius = 12;

bool FarFrom(POINT a, POINT b)
{
    return std::abs(a.x - b.x) > kSlop || std::abs(a.y - b.y) > kSlop;
}

enum class Pen { Held, Lifted, Moved };

// Looks at the queued mouse input without taking the release or a real move
// away from the window: a tap must still reach it as usual.
Pen CheckQueue(POINT downScreen)
{
    MSG m;
    while (PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
        if (m.message != WM_MOUSEMOVE)
            return Pen::Lifted;
        POINT p = {static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
        if (m.hwnd)
            MapWindowPoints(m.hwnd, nullptr, &p, 1);
        if (FarFrom(p, downScreen))
            return Pen::Moved;
        PeekMessageW(&m, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
    }
    return Pen::Held;
}

// The cue: red dots appear one by one on a circle around the pen.
class Cue {
public:
    Cue(HWND hwnd, POINT at, bool enabled) : hwnd_(hwnd), at_(at), enabled_(enabled) {}
    ~Cue() { Erase(); }

    void Show(int dots)
    {
        if (!enabled_ || dots <= shown_)
            return;
        HDC dc = GetDC(hwnd_);
        HBRUSH red = CreateSolidBrush(RGB(220, 0, 0));
        HGDIOBJ oldBrush = SelectObject(dc, red);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        for (int i = shown_; i < dots && i < kCueDots; ++i) {
            const double a = -1.5707963 + i * 6.2831853 / kCueDots;
            const int x = at_.x + static_cast<int>(std::lround(kCueRadius * std::cos(a)));
            const int y = at_.y + static_cast<int>(std::lround(kCueRadius * std::sin(a)));
            Ellipse(dc, x - 2, y - 2, x + 3, y + 3);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(red);
        ReleaseDC(hwnd_, dc);
        shown_ = dots;
    }

private:
    void Erase()
    {
        if (shown_ == 0 || !IsWindow(hwnd_))
            return;
        const int r = kCueRadius + 4;
        RECT rc = {at_.x - r, at_.y - r, at_.x + r, at_.y + r};
        RedrawWindow(hwnd_, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    HWND hwnd_;
    POINT at_;
    bool enabled_;
    int shown_ = 0;
};

}  // namespace

extern "C" DWORD SHRecognizeGesture(SHRGINFO* shrg)
{
    if (!shrg || shrg->cbSize < sizeof(SHRGINFO) || !IsWindow(shrg->hwndClient))
        return 0;
    HWND hwnd = shrg->hwndClient;
    POINT downScreen = shrg->ptDown;
    ClientToScreen(hwnd, &downScreen);
    const DWORD hold = (shrg->dwFlags & SHRG_LONGDELAY) ? kLongHoldMs : kHoldMs;
    // A press that came from the pen shows in the key state; a synthesised one
    // only in the queue.
    const bool realPress = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;

    Cue cue(hwnd, shrg->ptDown, !(shrg->dwFlags & SHRG_NOANIMATION));
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (CheckQueue(downScreen) != Pen::Held)
            return 0;
        if (realPress && !(GetAsyncKeyState(VK_LBUTTON) & 0x8000))
            return 0;
        if (elapsed >= hold)
            break;
        if (elapsed >= kCueDelayMs)
            cue.Show(1 + static_cast<int>((elapsed - kCueDelayMs) * kCueDots / (hold - kCueDelayMs)));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_MOUSE);
    }
    cue.Show(kCueDots);

    if (shrg->dwFlags & SHRG_NOTIFYPARENT) {
        NMRGINFO nm = {};
        nm.hdr.hwndFrom = hwnd;
        nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
        nm.hdr.code = GN_CONTEXTMENU;
        nm.ptAction = downScreen;
        HWND parent = GetParent(hwnd);
        if (parent)
            SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    return GN_CONTEXTMENU;
}
