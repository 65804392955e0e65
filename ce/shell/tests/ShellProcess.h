#pragma once
// zenshell.exe run for a test: started, its taskbar found, closed at the end.
#include <windows.h>

#include "Process.h"
#include "WinTest.h"

namespace shelltest {

class ShellProcess {
public:
    ShellProcess()
    {
        process_ = zentest::StartProgram(L"zenshell.exe");
        zentest::WaitUntil([this] { return (bar_ = FindWindowW(L"HHTaskBar", nullptr)) != nullptr; }, 10000);
        zentest::PumpMessages(300);  // first paint
    }
    ~ShellProcess()
    {
        if (bar_ && IsWindow(bar_))
            PostMessageW(bar_, WM_CLOSE, 0, 0);
        zentest::WaitExit(process_, 5000);
        zentest::EndProcess(process_);
    }
    HWND Bar() const { return bar_; }
    HANDLE Process() const { return process_; }

private:
    HANDLE process_ = nullptr;
    HWND bar_ = nullptr;
};

// An icon of one colour with a see-through border of `border` pixels.
inline HICON SolidIcon(COLORREF colour, int border = 2)
{
    const int n = 16;
    HDC screen = GetDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(screen, n, n);
    HBITMAP mask = CreateBitmap(n, n, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, image);
    RECT all = {0, 0, n, n}, inner = {border, border, n - border, n - border};
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    FillRect(dc, &all, black);
    HBRUSH fill = CreateSolidBrush(colour);
    FillRect(dc, &inner, fill);
    DeleteObject(fill);
    SelectObject(dc, mask);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    FillRect(dc, &inner, black);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ICONINFO ii = {TRUE, 0, 0, mask, image};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(image);
    DeleteObject(mask);
    return icon;
}

// Where the notification area puts its n-th icon (from the right).
inline RECT IconSlot(int n)
{
    const int right = 240 - 32 - 2 - n * 18;
    return {right - 17, 5, right - 1, 21};
}

}  // namespace shelltest
