#pragma once
// The screens of the later views, plugged into the main window: makers for
// the screens of views 11-28 and the standing phonebook and call list of
// views 2 and 3 and the message window of view 4.
#include <memory>

class CCeDataManager;
class CCeMWnd;
class CCeMWndPhone;

// The standing screens made under the main window; kept by the caller for the
// window's life. A screen that could not be made is null (its view stays empty).
struct PhoneStandingScreens {
    std::unique_ptr<CCeMWnd> contacts;  // view 2
    std::unique_ptr<CCeMWnd> callList;  // view 3
    std::unique_ptr<CCeMWnd> messages;  // view 4, told of received texts
};

// Registers the makers and creates the standing screens under the window,
// which must exist.
PhoneStandingScreens PlugInScreens(CCeMWndPhone& phone, CCeDataManager& data);
