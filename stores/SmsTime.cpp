#include <cstring>

#include "stores/CCeSmsDB.h"
#include "stores/TimeStamp.h"

void TimeStampNow(char* out) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    TimeStampFromFileTime(&ft, out);
}

void TimeStampFromModule(const char* moduleTime, char* out) {
    char digits[kTimeStampBytes] = "";
    int n = 0;
    bool tooLong = false;
    for (const char* p = moduleTime; p && *p; ++p) {
        if (*p < '0' || *p > '9') continue;
        if (n == 14) {
            tooLong = true;
            break;
        }
        digits[n++] = *p;
    }
    digits[n] = 0;
    char candidate[kTimeStampBytes] = "";
    if (!tooLong && n == 14) {
        memcpy(candidate, digits, kTimeStampBytes);
    } else if (!tooLong && n == 12) {
        candidate[0] = '2';
        candidate[1] = '0';
        memcpy(candidate + 2, digits, 13);
    }
    FILETIME check;
    if (candidate[0] && FileTimeFromTimeStamp(candidate, &check)) {
        // Round trip so that an out-of-range month or day is refused.
        char back[kTimeStampBytes];
        if (TimeStampFromFileTime(&check, back) && strcmp(back, candidate) == 0) {
            memcpy(out, candidate, kTimeStampBytes);
            return;
        }
    }
    TimeStampNow(out);
}
