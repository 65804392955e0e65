#pragma once
// The pictures the main window keeps in its bitmap cache for every screen.
// They are registered unloaded at its creation, in this order, which gives
// their indexes; a screen fetches one by index and never deletes it.
#include <windows.h>

#include "toolkit/CCeMBitmapCache.h"

namespace SharedBitmaps {

constexpr UINT kResources[] = {105, 106, 108, 126, 127, 128, 140, 141, 142, 148, 149};
constexpr int kCount = static_cast<int>(sizeof kResources / sizeof kResources[0]);

enum Index {
    kCallIcons = 1,  // call list's status icons (106)
    kSkinFrame = 3,
    kSkinPattern = 4,
    kSkinClose = 5,
    kListFrame = 6,
    kListPattern = 7,
    kListClose = 8,
    kListAssign = 9,
    kListDelete = 10,
};

// Registers the pictures in `cache` without loading them; the count registered.
int Register(CCeMBitmapCache& cache, HINSTANCE instance);

// The cache the main window has published (null while it has none).
void Publish(CCeMBitmapCache* cache);
CCeMBitmapCache* Published();

// The published cache's picture at `index`, loaded on first use; null without
// a published cache or when the picture cannot be loaded.
HBITMAP Get(int index);

}  // namespace SharedBitmaps
