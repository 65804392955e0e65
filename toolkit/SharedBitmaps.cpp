#include "toolkit/SharedBitmaps.h"

#include "toolkit/CCeMToolkit.h"

namespace SharedBitmaps {

namespace {
// Set and read on the window thread only.
CCeMBitmapCache* g_published = nullptr;
}  // namespace

int Register(CCeMBitmapCache& cache, HINSTANCE instance)
{
    int added = 0;
    for (UINT id : kResources)
        added += cache.AddResource(instance, id, 0) != nullptr;
    return added;
}

void Publish(CCeMBitmapCache* cache)
{
    g_published = cache;
}

CCeMBitmapCache* Published()
{
    return g_published;
}

HBITMAP Get(int index)
{
    if (!g_published)
        return nullptr;
    CCeMBitmap* record = g_published->Get(CCeMToolkit::Instance(), index);
    return record ? record->Handle() : nullptr;
}

}  // namespace SharedBitmaps
