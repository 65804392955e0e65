#pragma once
// How the main window makes the preference screens of its views (18, 19,
// 25 and 27): each
// returns a new screen created as a visible child at `pl` with the view's
// number as its identifier (the caller owns it), or null when it could not
// be created.
#include "toolkit/CCeMWnd.h"

class SystemVolume;

CCeMWnd* MakeSkinScreen(HWND parent, const CCeMPlacement& pl);
CCeMWnd* MakeVolumeScreen(SystemVolume& handheld, HWND parent, const CCeMPlacement& pl);
CCeMWnd* MakeSpeedDialScreen(HWND parent, const CCeMPlacement& pl);
CCeMWnd* MakeUserBellScreen(HWND parent, const CCeMPlacement& pl);
