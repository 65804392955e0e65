#pragma once
// The screens of the later views, plugged into the main window: makers for
// the screens of views 11-28 and the standing call list of view 3.
#include <memory>

class CCeDataManager;
class CCeMWnd;
class CCeMWndPhone;

// Registers the makers and creates the call list under the window (which
// must exist). The caller keeps the returned call list for the window's life;
// null when it could not be made (the view then stays empty).
std::unique_ptr<CCeMWnd> PlugInScreens(CCeMWndPhone& phone, CCeDataManager& data);
