#include "UiInput.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "WinTest.h"
#include "toolkit/CCeMToolkit.h"

namespace uitest {

namespace {

INPUT PenInput(POINT p, DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    in.mi.dx = static_cast<LONG>((p.x * 65535.0 + w / 2) / (w - 1));
    in.mi.dy = static_cast<LONG>((p.y * 65535.0 + h / 2) / (h - 1));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}

// The display's own pointer must be there too: the window system reads it
// back now and then (capture changes, for one) and would see a stale place.
void PlacePointer(POINT p)
{
    SetCursorPos(p.x, p.y);
}

bool PointerAt(POINT p)
{
    POINT now;
    return GetCursorPos(&now) && now.x == p.x && now.y == p.y;
}

void SendPen(POINT p, DWORD flags)
{
    PlacePointer(p);
    INPUT in = PenInput(p, flags);
    SendInput(1, &in, sizeof in);
    zentest::PumpMessages(30);
    // On a busy machine the display may report an older pointer place late;
    // move there once more so the last word is ours.
    if (!zentest::WaitUntil([p] { return PointerAt(p); }, 200)) {
        PlacePointer(p);
        INPUT again = PenInput(p, 0);
        SendInput(1, &again, sizeof again);
        zentest::PumpMessages(30);
    }
}

void SendKey(WORD vk, DWORD flags)
{
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    zentest::PumpMessages(30);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// Starts the toolkit once for the whole test program.
class ToolkitEnvironment : public testing::Environment {
public:
    void SetUp() override
    {
        ToolkitInit(GetModuleHandleW(nullptr));
        // The virtual display's pointer may start outside the handheld's
        // screen, where it cannot be warped; confining it brings it in.
        HWND host = MakeHost(L"pointer");
        RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        ClipCursor(&screen);
        zentest::PumpMessages(30);
        ClipCursor(nullptr);
        SetCursorPos(screen.right / 2, screen.bottom / 2);
        DestroyWindow(host);
    }
};
const auto* g_env = testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

}  // namespace

POINT ScreenPoint(HWND hwnd, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

void PenMove(POINT screen) { SendPen(screen, 0); }

bool PenMoveUntil(POINT screen, const std::function<bool()>& arrived)
{
    for (int i = 0; i < 5; ++i) {
        PenMove(screen);
        if (zentest::WaitUntil(arrived, 150))
            return true;
    }
    return false;
}
void PenDown(POINT screen) { SendPen(screen, MOUSEEVENTF_LEFTDOWN); }
void PenUp(POINT screen) { SendPen(screen, MOUSEEVENTF_LEFTUP); }

void QueueTap(POINT screen)
{
    // Down and up arrive together, as from a quick pen: no tap-and-hold.
    PlacePointer(screen);
    INPUT in[3] = {PenInput(screen, 0), PenInput(screen, MOUSEEVENTF_LEFTDOWN),
                   PenInput(screen, MOUSEEVENTF_LEFTUP)};
    SendInput(3, in, sizeof(INPUT));
}

void Tap(POINT screen)
{
    QueueTap(screen);
    zentest::PumpMessages(40);
}

void KeyDown(WORD vk) { SendKey(vk, 0); }
void KeyUp(WORD vk) { SendKey(vk, KEYEVENTF_KEYUP); }

void Key(WORD vk)
{
    KeyDown(vk);
    KeyUp(vk);
}

void TypeChar(wchar_t c)
{
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wScan = c;
        i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void Activate(HWND hwnd)
{
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    zentest::PumpMessages(50);
}

HWND MakeHost(const wchar_t* title)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"ZenToolkitTestHost";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, title, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                nullptr, wc.hInstance, nullptr);
    Activate(hwnd);
    return hwnd;
}

HWND FindOwnVisible(const wchar_t* className)
{
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExW(nullptr, w, className, nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w))
            return w;
    }
    return nullptr;
}

namespace {
std::function<bool()> g_step;
UINT_PTR g_stepTimer;

void CALLBACK StepTimer(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_step && !g_step()) {
        KillTimer(nullptr, g_stepTimer);
        g_step = nullptr;
    }
}
}  // namespace

void StopModalSteps()
{
    if (g_stepTimer)
        KillTimer(nullptr, g_stepTimer);
    g_stepTimer = 0;
    g_step = nullptr;
}

void WhileModal(UINT ms, std::function<bool()> step)
{
    StopModalSteps();
    g_step = std::move(step);
    g_stepTimer = SetTimer(nullptr, 0, ms, StepTimer);
}

void HoldForMenu(POINT screen, int downs, const std::function<void(HMENU)>& whileOpen)
{
    std::atomic<bool> done{false};
    // The pen stays down in the menu's own loop, so the menu is read and
    // answered from beside it.
    std::thread watcher([&] {
        HWND popup = nullptr;
        for (int i = 0; i < 300 && !popup; ++i) {
            popup = FindOwnVisible(L"#32768");
            if (!popup)
                Sleep(10);
        }
        if (popup && whileOpen)
            whileOpen(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)));
        PenUp(screen);
        for (int i = 0; i < downs; ++i)
            Key(VK_DOWN);
        Key(downs ? VK_RETURN : VK_ESCAPE);
        done = true;
    });
    PenMove(screen);
    PenDown(screen);  // returns once the menu has been closed
    zentest::WaitUntil([&] { return done.load(); }, 5000);
    watcher.join();
}

}  // namespace uitest
