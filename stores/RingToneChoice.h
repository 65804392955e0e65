#pragma once
// Which ring tone an incoming call plays when the handheld rings.
#include <windows.h>

#include "stores/CCeCategoryBellDB.h"
#include "stores/CCeUserBellDB.h"
#include "stores/SettingsBlock.h"

enum RingToneSource {
    kRingFixed = 1,     // phone locked or privacy on: the settings' file
    kRingByNumber = 2,  // the caller's own ring tone
    kRingByCategory = 3,
    kRingDefault = 4,   // the settings' file
};

// Chooses the file for a caller (number and the category NameByNumber gave,
// either may be empty) and writes "<installDir>\bell\<file>" into pathOut.
// Returns where the file came from.
int ChooseRingTone(const SettingsBlock& settings, CCeUserBellDB& userBells, CCeCategoryBellDB& categoryBells,
                   LPCWSTR callerNumber, LPCWSTR callerCategory, LPCWSTR installDir, LPWSTR pathOut,
                   int pathChars = MAX_PATH);
