#pragma once
// The shared pictures of the screens, by index in order of registration. A
// record may be registered unloaded; it loads when first fetched.
#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/CCeMBitmap.h"

class CCeMBitmapCache {
public:
    CCeMBitmapCache() = default;
    ~CCeMBitmapCache() { Clear(); }
    CCeMBitmapCache(const CCeMBitmapCache&) = delete;
    CCeMBitmapCache& operator=(const CCeMBitmapCache&) = delete;

    CCeMBitmap* AddResource(HINSTANCE instance, UINT resId, int load);
    CCeMBitmap* AddFile(LPCWSTR path, int load);
    CCeMBitmap* AddEmpty();
    CCeMBitmap* Find(LPCWSTR key) const;
    CCeMBitmap* Get(HINSTANCE instance, int index);
    int Count() const { return static_cast<int>(records_.size()); }
    void Clear();

private:
    std::vector<std::unique_ptr<CCeMBitmap>> records_;
};
