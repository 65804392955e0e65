#include "toolkit/CCeMToolkit.h"

#include <commctrl.h>

#include "toolkit/CCeMWnd.h"
#include "toolkit/CCeMWndMap.h"

namespace {

HINSTANCE g_instance;
CCeMWnd* g_creating;
bool g_commonControlsReady;

}  // namespace

int ToolkitInit(HINSTANCE instance)
{
    if (instance) {
        if (g_instance)
            return 0;
        if (!g_commonControlsReady) {
            INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
            InitCommonControlsEx(&icc);
            g_commonControlsReady = true;
        }
        g_instance = instance;
        return 1;
    }
    if (!g_instance)
        return 0;
    g_instance = nullptr;
    return 1;
}

HINSTANCE CCeMToolkit::Instance()
{
    return g_instance;
}

bool CCeMToolkit::IsStarted()
{
    return g_instance != nullptr;
}

void CCeMToolkit::SetObjectUnderCreation(CCeMWnd* wnd)
{
    g_creating = wnd;
}

CCeMWnd* CCeMToolkit::TakeObjectUnderCreation()
{
    CCeMWnd* wnd = g_creating;
    g_creating = nullptr;
    return wnd;
}

CCeMWndMap& CCeMToolkit::Map()
{
    return WndMap();
}

CCeMWndMap& WndMap()
{
    // Never destroyed: static window objects may still unregister at exit.
    static CCeMWndMap* map = new CCeMWndMap;
    return *map;
}

LRESULT CALLBACK CCeMToolkit::SharedWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    CCeMWndMap& map = WndMap();
    CCeMWnd* wnd = nullptr;
    if (msg == WM_CREATE || msg == WM_INITDIALOG) {
        wnd = TakeObjectUnderCreation();
        if (wnd)
            map.Insert(hwnd, wnd);
        // A full bucket leaves the window unmapped: default processing only.
        wnd = map.Lookup(hwnd);
    } else {
        wnd = map.Lookup(hwnd);
    }
    if (!wnd)
        return CCeMWnd::DefaultProc(hwnd, msg, wp, lp);
    if (msg == WM_DESTROY)
        map.Remove(hwnd);
    return wnd->WindowProc(hwnd, msg, wp, lp);
}
