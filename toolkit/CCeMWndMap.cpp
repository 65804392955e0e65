#include "toolkit/CCeMWndMap.h"

namespace {

class Guard {
public:
    explicit Guard(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Guard() { LeaveCriticalSection(&cs_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

}  // namespace

CCeMWndMap::CCeMWndMap() : table_{}
{
    InitializeCriticalSection(&lock_);
}

CCeMWndMap::~CCeMWndMap()
{
    DeleteCriticalSection(&lock_);
}

int CCeMWndMap::Find(const Entry* bucket, HWND hwnd) const
{
    for (int i = 0; i < kBucketSize && bucket[i].wnd; ++i)
        if (bucket[i].hwnd == hwnd)
            return i;
    return -1;
}

int CCeMWndMap::Insert(HWND hwnd, CCeMWnd* wnd)
{
    if (!wnd)
        return 0;
    Guard g(lock_);
    Entry* bucket = table_[BucketOf(hwnd)];
    int i = 0;
    for (; i < kBucketSize && bucket[i].wnd; ++i)
        if (bucket[i].hwnd == hwnd && bucket[i].wnd == wnd)
            return 1;
    if (i == kBucketSize)
        return 0;
    bucket[i] = {hwnd, wnd};
    return 1;
}

CCeMWnd* CCeMWndMap::Lookup(HWND hwnd)
{
    Guard g(lock_);
    const Entry* bucket = table_[BucketOf(hwnd)];
    const int i = Find(bucket, hwnd);
    return i < 0 ? nullptr : bucket[i].wnd;
}

CCeMWnd* CCeMWndMap::Remove(HWND hwnd)
{
    Guard g(lock_);
    Entry* bucket = table_[BucketOf(hwnd)];
    const int i = Find(bucket, hwnd);
    if (i < 0)
        return nullptr;
    CCeMWnd* removed = bucket[i].wnd;
    int last = i;
    for (; last + 1 < kBucketSize && bucket[last + 1].wnd; ++last)
        bucket[last] = bucket[last + 1];
    bucket[last] = {nullptr, nullptr};
    return removed;
}

int CCeMWndMap::Count()
{
    Guard g(lock_);
    int n = 0;
    for (const auto& bucket : table_)
        for (const auto& e : bucket) {
            if (!e.wnd)
                break;
            ++n;
        }
    return n;
}
