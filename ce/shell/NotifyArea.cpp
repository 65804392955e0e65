// The notification area's icons: requests from programs, hit tests, painting.
#include "ce/shell/NotifyArea.h"

#include <cstring>

namespace ceshell {

int NotifyArea::Find(HWND owner, UINT id) const
{
    for (size_t i = 0; i < icons_.size(); ++i)
        if (icons_[i].owner == owner && icons_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

bool NotifyArea::Apply(const NotifyIconWire& w)
{
    HWND owner = reinterpret_cast<HWND>(static_cast<uintptr_t>(w.owner));
    const int at = Find(owner, w.id);
    switch (w.message) {
    case NIM_ADD:
        if (at >= 0 || icons_.size() >= kMaxIcons || !IsWindow(owner))
            return false;
        icons_.emplace_back();
        icons_.back().owner = owner;
        icons_.back().id = w.id;
        break;
    case NIM_MODIFY:
        if (at < 0)
            return false;
        break;
    case NIM_DELETE:
        if (at < 0)
            return false;
        icons_.erase(icons_.begin() + at);
        return true;
    default:
        return false;
    }
    NotifyIcon& icon = at >= 0 ? icons_[at] : icons_.back();
    if (w.flags & NIF_MESSAGE)
        icon.callback = w.callback;
    if (w.flags & NIF_TIP) {
        std::memcpy(icon.tip, w.tip, sizeof icon.tip);
        icon.tip[kTipChars - 1] = 0;
    }
    if (w.flags & NIF_ICON) {
        std::memcpy(icon.pixels, w.pixels, sizeof icon.pixels);
        icon.hasIcon = true;
    }
    return true;
}

bool NotifyArea::DropOrphans()
{
    const size_t before = icons_.size();
    for (size_t i = icons_.size(); i-- > 0;)
        if (!IsWindow(icons_[i].owner))
            icons_.erase(icons_.begin() + i);
    return icons_.size() != before;
}

RECT NotifyArea::SlotRect(size_t i, int right, int height) const
{
    const int r = right - static_cast<int>(i) * kSlot;
    return {r - kSlot, 0, r, height};
}

int NotifyArea::HitTest(int x, int y, int right, int height) const
{
    const POINT pt = {x, y};
    for (size_t i = 0; i < icons_.size(); ++i) {
        const RECT rc = SlotRect(i, right, height);
        if (PtInRect(&rc, pt))
            return static_cast<int>(i);
    }
    return -1;
}

void NotifyArea::Paint(HDC dc, int right, int height) const
{
    for (size_t i = 0; i < icons_.size(); ++i) {
        if (!icons_[i].hasIcon)
            continue;
        const RECT rc = SlotRect(i, right, height);
        const int x0 = rc.left + 1, y0 = (height - kIconSize) / 2;
        for (int y = 0; y < kIconSize; ++y)
            for (int x = 0; x < kIconSize; ++x) {
                const uint32_t p = icons_[i].pixels[y * kIconSize + x];
                if (p != kClearPixel)
                    SetPixelV(dc, x0 + x, y0 + y, RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
            }
    }
}

}  // namespace ceshell
