#include "screens/service/ServiceScreens.h"

#include <memory>

#include "screens/service/CCeMWndHWButton.h"
#include "screens/service/CCeMWndInfo.h"
#include "screens/service/CCeMWndKitReset.h"
#include "screens/service/CCeMWndLock.h"
#include "screens/service/CCeMWndNam.h"
#include "screens/service/CCeMWndPassChange.h"

const int kServiceScreenViews[6] = {11, 15, 20, 21, 23, 28};

namespace {

constexpr int kVersionResult = 35;
constexpr int kStatusInfoResult = 38;
constexpr int kNamResult = 40;

std::unique_ptr<CCeMTabScreen> NewScreen(CCeDataManager& data, int view)
{
    switch (view) {
    case 11: return std::make_unique<CCeMWndPassChange>(data);
    case 15: return std::make_unique<CCeMWndInfo>(data);
    case 20: return std::make_unique<CCeMWndHWButton>(data);
    case 21: return std::make_unique<CCeMWndKitReset>(data);
    case 23: return std::make_unique<CCeMWndLock>(data);
    case 28: return std::make_unique<CCeMWndNam>(data);
    default: return nullptr;
    }
}

}  // namespace

CCeMWnd* MakeServiceScreen(CCeDataManager& data, int view, HWND parent, const CCeMPlacement& pl, int page)
{
    std::unique_ptr<CCeMTabScreen> screen = NewScreen(data, view);
    if (!screen || screen->CreateScreen(parent, pl, static_cast<UINT>(view), page) != 1)
        return nullptr;
    return screen.release();
}

void TurnServiceScreen(CCeMWnd* screen, int page)
{
    if (auto* s = dynamic_cast<CCeMTabScreen*>(screen))
        s->SelectTab(page);
}

bool PassResultToServiceScreen(CCeMWnd* screen, int id, int ok, const CCeMModem& modem)
{
    if (id == kVersionResult) {
        auto* info = dynamic_cast<CCeMWndInfo*>(screen);
        if (!info || !ok)
            return false;
        info->SetVersionFromModule(modem.Status.moduleVersion);
        return true;
    }
    auto* nam = dynamic_cast<CCeMWndNam*>(screen);
    if (!nam)
        return false;
    if (id == kStatusInfoResult) {
        nam->OnStatusInfo();
        return true;
    }
    if (id == kNamResult) {
        nam->ShowAssignment();
        return true;
    }
    return false;
}
