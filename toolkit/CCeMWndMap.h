#pragma once
// Window handle -> window object: one fixed table for the whole process.
#include <windows.h>

class CCeMWnd;

class CCeMWndMap {
public:
    static constexpr int kBuckets = 91;
    static constexpr int kBucketSize = 100;

    CCeMWndMap();
    ~CCeMWndMap();
    CCeMWndMap(const CCeMWndMap&) = delete;
    CCeMWndMap& operator=(const CCeMWndMap&) = delete;

    int Insert(HWND hwnd, CCeMWnd* wnd);
    CCeMWnd* Lookup(HWND hwnd);
    CCeMWnd* Remove(HWND hwnd);
    int Count();

    static int BucketOf(HWND hwnd)
    {
        return static_cast<int>(static_cast<UINT32>(reinterpret_cast<UINT_PTR>(hwnd)) % kBuckets);
    }

private:
    struct Entry {
        HWND hwnd;
        CCeMWnd* wnd;
    };
    // Position of hwnd's entry in its bucket, or -1.
    int Find(const Entry* bucket, HWND hwnd) const;

    CRITICAL_SECTION lock_;
    Entry table_[kBuckets][kBucketSize];
};

// The process's one map.
CCeMWndMap& WndMap();
