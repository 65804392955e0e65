#include "stores/TimeStamp.h"

#include <cstdio>

int TimeStampFromFileTime(const FILETIME* fileTime, char* out) {
    if (!out) return 0;
    out[0] = 0;
    SYSTEMTIME t;
    if (!fileTime || !FileTimeToSystemTime(fileTime, &t) || t.wYear > 9999) return 0;
    snprintf(out, kTimeStampBytes, "%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
             t.wSecond);
    return 1;
}

int FileTimeFromTimeStamp(const char* text, FILETIME* out) {
    if (!out) return 0;
    out->dwLowDateTime = out->dwHighDateTime = 0;
    if (!text) return 0;
    for (int i = 0; i < 14; ++i)
        if (text[i] < '0' || text[i] > '9') return 0;
    auto num = [&](int at, int len) {
        int v = 0;
        for (int i = 0; i < len; ++i) v = v * 10 + (text[at + i] - '0');
        return static_cast<WORD>(v);
    };
    SYSTEMTIME t{};
    t.wYear = num(0, 4);
    t.wMonth = num(4, 2);
    t.wDay = num(6, 2);
    t.wHour = num(8, 2);
    t.wMinute = num(10, 2);
    t.wSecond = num(12, 2);
    if (!SystemTimeToFileTime(&t, out)) {
        out->dwLowDateTime = out->dwHighDateTime = 0;
        return 0;
    }
    return 1;
}
