// wait-window CLASS [TITLE] [TIMEOUT_MS]: exits 0 once such a top-level window
// exists (and has painted), 1 on time-out. Lets scripts wait for a program's window.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    const wchar_t* cls = argv[1];
    const wchar_t* title = argc > 2 && *argv[2] ? argv[2] : nullptr;
    const DWORD timeout = argc > 3 ? wcstoul(argv[3], nullptr, 10) : 15000;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout) {
        HWND w = FindWindowW(cls, title);
        if (w && IsWindowVisible(w)) {
            Sleep(300);  // let it paint before anyone takes a picture
            return 0;
        }
        Sleep(50);
    }
    return 1;
}
