#include "PrefsScreens.h"

#include <memory>

#include "CCeMWndSkin.h"
#include "CCeMWndSpeedDial.h"
#include "CCeMWndUserBell.h"
#include "CCeMWndVolume.h"

namespace {

constexpr UINT kSkinView = 18, kVolumeView = 19, kSpeedDialView = 25, kUserBellView = 27;

template <typename Screen>
CCeMWnd* Made(std::unique_ptr<Screen> screen, HWND parent, const CCeMPlacement& pl, UINT id)
{
    return screen->Create(WS_VISIBLE, pl, parent, id) ? screen.release() : nullptr;
}

}  // namespace

CCeMWnd* MakeSkinScreen(HWND parent, const CCeMPlacement& pl)
{
    return Made(std::make_unique<CCeMWndSkin>(), parent, pl, kSkinView);
}

CCeMWnd* MakeVolumeScreen(SystemVolume& handheld, HWND parent, const CCeMPlacement& pl)
{
    return Made(std::make_unique<CCeMWndVolume>(handheld), parent, pl, kVolumeView);
}

CCeMWnd* MakeSpeedDialScreen(HWND parent, const CCeMPlacement& pl)
{
    return Made(std::make_unique<CCeMWndSpeedDial>(), parent, pl, kSpeedDialView);
}

CCeMWnd* MakeUserBellScreen(HWND parent, const CCeMPlacement& pl)
{
    return Made(std::make_unique<CCeMWndUserBell>(), parent, pl, kUserBellView);
}
