#include "phone/PhoneWindowClass.h"

bool RegisterPhoneWindowClass(HINSTANCE instance, WNDPROC proc)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kPhoneWindowClass;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreatePhoneWindow(HINSTANCE instance)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    return CreateWindowExW(0, kPhoneWindowClass, kPhoneWindowTitle, WS_POPUP | WS_VISIBLE,
                           0, 0, width, height, nullptr, nullptr, instance, nullptr);
}
