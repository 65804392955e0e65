#pragma once
// The icons of the taskbar's notification area, kept by owner window and id.
#include <windows.h>

#include <vector>

#include "ce/shell/NotifyWire.h"

namespace ceshell {

struct NotifyIcon {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callback = 0;  // 0: the owner asked for no taps
    bool hasIcon = false;
    wchar_t tip[kTipChars] = {};
    uint32_t pixels[kIconSize * kIconSize] = {};
};

class NotifyArea {
public:
    static constexpr size_t kMaxIcons = 8;
    static constexpr int kSlot = kIconSize + 2;

    // Adds, changes or removes one icon; false when the request does not fit
    // what is there (a second add, a change or removal of an unknown icon, a full area).
    bool Apply(const NotifyIconWire& w);
    // Forgets icons whose owner window is gone; true when one went.
    bool DropOrphans();

    size_t Count() const { return icons_.size(); }
    // Icon i sits left of icon i-1; the first ends at `right`.
    RECT SlotRect(size_t i, int right, int height) const;
    // The icon under x, or -1.
    int HitTest(int x, int y, int right, int height) const;
    const NotifyIcon& At(size_t i) const { return icons_[i]; }
    void Paint(HDC dc, int right, int height) const;

private:
    int Find(HWND owner, UINT id) const;
    std::vector<NotifyIcon> icons_;
};

}  // namespace ceshell
