#pragma once
// How the main window makes the service screens of its views and hands them
// the module's answers they wait for; kept here so the phone core only
// plugs them in.
#include <windows.h>

#include "modem/CCeMModem.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMWnd.h"

// The first views of the service screens: password 11, information 15,
// hardware buttons 20, module reset 21, lock 23, number assignment 28.
extern const int kServiceScreenViews[6];

// Makes the screen whose first view is `view` as a child of `parent`,
// showing `page`; null for a view that is no service screen or when the
// window cannot be made. The caller owns the screen.
CCeMWnd* MakeServiceScreen(CCeDataManager& data, int view, HWND parent, const CCeMPlacement& pl, int page);
// Turns a screen made above to another page (screens with pages only).
void TurnServiceScreen(CCeMWnd* screen, int page);
// A result of command `id` (the version, engineering values and assignment
// queries) for `screen` when it is the one that waits for it; true when taken.
bool PassResultToServiceScreen(CCeMWnd* screen, int id, int ok, const CCeMModem& modem);
