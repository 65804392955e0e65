#pragma once
// Process-wide state of the window toolkit and its one shared window procedure.
#include <windows.h>

class CCeMWnd;
class CCeMWndMap;

// Starts the toolkit with the program's instance, or stops it with null.
// Returns 1 on success, 0 when already started (or not started, for null).
int ToolkitInit(HINSTANCE instance);

class CCeMToolkit {
public:
    static HINSTANCE Instance();
    static bool IsStarted();
    // The object whose window is being created right now.
    static void SetObjectUnderCreation(CCeMWnd* wnd);
    static CCeMWnd* TakeObjectUnderCreation();
    static CCeMWndMap& Map();
    // Every toolkit window (and dialog) is served by this procedure.
    static LRESULT CALLBACK SharedWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};
