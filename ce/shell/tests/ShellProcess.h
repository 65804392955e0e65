#pragma once
// zenshell.exe run for a test: started, its taskbar found, closed at the end.
#include <windows.h>

#include <string>

#include "Process.h"
#include "WinTest.h"

namespace shelltest {

class ShellProcess {
public:
    explicit ShellProcess(const std::wstring& exe = L"zenshell.exe")
    {
        process_ = zentest::StartProgram(exe);
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

namespace shelltest {

// A folder of its own beside the test, removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* name)
    {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        path_ = std::wstring(cwd) + L"\\" + name;
        Clear();
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Clear(); }
    const std::wstring& Path() const { return path_; }
    std::wstring File(const wchar_t* name) const { return path_ + L"\\" + name; }
    // Copies a built program in under another name.
    bool Put(const wchar_t* built, const wchar_t* as) const
    {
        return CopyFileW((zentest::BinDir() + built).c_str(), File(as).c_str(), FALSE) != FALSE;
    }
    // The command line a start probe in this folder wrote, or empty.
    std::wstring Started() const
    {
        HANDLE f = CreateFileW(File(L"started.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE)
            return L"";
        wchar_t text[512] = {};
        DWORD read = 0;
        ReadFile(f, text, sizeof text - sizeof(wchar_t), &read, nullptr);
        CloseHandle(f);
        return text;
    }

private:
    void Clear() const
    {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((path_ + L"\\" + fd.cFileName).c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring path_;
};

}  // namespace shelltest
