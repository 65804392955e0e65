#include "stores/RingToneChoice.h"

#include <cwchar>

#include "stores/StoreText.h"

int ChooseRingTone(const SettingsBlock& settings, CCeUserBellDB& userBells, CCeCategoryBellDB& categoryBells,
                   LPCWSTR callerNumber, LPCWSTR callerCategory, LPCWSTR installDir, LPWSTR pathOut,
                   int pathChars) {
    WCHAR name[64], file[MAX_PATH] = L"";
    int source = kRingDefault;
    if (settings.bPhoneLocked == 1 || settings.bPrivacy == 1) {
        source = kRingFixed;
    } else if (userBells.Lookup(callerNumber, name, file, 64, MAX_PATH) && file[0]) {
        source = kRingByNumber;
    } else if (callerCategory && callerCategory[0] && categoryBells.Lookup(callerCategory, file, MAX_PATH) &&
               file[0]) {
        source = kRingByCategory;
    }
    if (source == kRingFixed || source == kRingDefault) {
        // The stored block may come from outside: never read past its room.
        size_t n = wcsnlen(settings.szBellFile, MAX_PATH - 1);
        wmemcpy(file, settings.szBellFile, n);
        file[n] = 0;
    }
    if (pathOut && pathChars > 0) {
        swprintf(pathOut, pathChars, L"%ls\\bell\\%ls", installDir ? installDir : L"", file);
        pathOut[pathChars - 1] = 0;
    }
    return source;
}
