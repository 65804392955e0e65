#include "toolkit/CCeMBitmapCache.h"

#include <cwchar>

CCeMBitmap* CCeMBitmapCache::AddResource(HINSTANCE instance, UINT resId, int load)
{
    wchar_t key[CCeMBitmap::kNameLength];
    CCeMBitmap::ResourceKey(resId, key);
    if (CCeMBitmap* found = Find(key))
        return found;
    auto record = std::make_unique<CCeMBitmap>();
    if (!record->LoadFromResource(instance, resId, load))
        return nullptr;
    records_.push_back(std::move(record));
    return records_.back().get();
}

CCeMBitmap* CCeMBitmapCache::AddFile(LPCWSTR path, int load)
{
    if (!path)
        return nullptr;
    if (CCeMBitmap* found = Find(path))
        return found;
    auto record = std::make_unique<CCeMBitmap>();
    if (!record->LoadFromFile(path, load))
        return nullptr;
    records_.push_back(std::move(record));
    return records_.back().get();
}

CCeMBitmap* CCeMBitmapCache::AddEmpty()
{
    records_.push_back(std::make_unique<CCeMBitmap>());
    return records_.back().get();
}

CCeMBitmap* CCeMBitmapCache::Find(LPCWSTR key) const
{
    if (!key)
        return nullptr;
    for (const auto& r : records_)
        if (wcscmp(r->Name(), key) == 0)
            return r.get();
    return nullptr;
}

CCeMBitmap* CCeMBitmapCache::Get(HINSTANCE instance, int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    CCeMBitmap* r = records_[static_cast<size_t>(index)].get();
    if (!r->IsLoaded())
        r->Reload(instance);
    return r;
}

void CCeMBitmapCache::Clear()
{
    for (auto& r : records_)
        r->Free();
    records_.clear();
}
