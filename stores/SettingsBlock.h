#pragma once
// All user settings, stored whole as one BLOB record: a stored format, so
// the field order, widths and offsets are fixed (checked below and by the
// tests). Little-endian; strings are UTF-16 with a terminating zero inside
// their room.
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct SettingsBlock {
    int32_t bAutoAreaCode;         // 1: a new number starts with szAreaCode
    WCHAR szAreaCode[30];          //
    WCHAR szBaseFolder[260];       // copy of the installation folder
    WCHAR szSkinName[260];         // skin folder under "Skin"
    int32_t nBellSource;           // 0 silent, 1 module's ring, 2 sound file here
    int32_t nModuleBellVolume;     // 0 to 4
    int32_t bMinuteTone;           //
    int32_t nMinuteToneChoice;     // 0: 60 s, 1: 180 s, 2: 600 s
    int32_t bKeypadTone;           //
    int32_t bConnectTone;          //
    int32_t bDisconnectTone;       //
    int32_t bBatteryTone;          //
    int32_t bMessageTone;          //
    int32_t nHwButton[4];          // actions of application keys 0xC1..0xC4
    int32_t bShowGreeting;         // idle display: 1 greeting, 0 own number
    WCHAR szGreeting[40];          //
    WCHAR szLockCode[10];          // 4 digits
    int32_t bPhoneLocked;          //
    int32_t bBarOutgoing;          //
    int32_t bBarIncoming;          //
    int32_t bBarInternational;     //
    int32_t bPrivacy;              //
    uint16_t wNamesOnly;           // phonebook shows names without numbers
    uint16_t wReserved;            //
    int32_t nLastInSeconds;        //
    int32_t nTotalInSeconds;       //
    int32_t nLastOutSeconds;       //
    int32_t nTotalOutSeconds;      //
    uint32_t crLcdText;            // COLORREF of the display text
    int32_t nLcdTextStyle;         // 0 plain, 1 shadow, 2 neon
    WCHAR szBellFile[260];         // ring tone file in the "bell" folder
    int32_t nNewMessages;          //
    int32_t nSavedBellSource;      // nBellSource before the phone was silenced
};

constexpr DWORD kSettingsBlockBytes = 1836;
static_assert(sizeof(SettingsBlock) == kSettingsBlockBytes, "stored size");
static_assert(offsetof(SettingsBlock, szSkinName) == 584, "stored layout");
static_assert(offsetof(SettingsBlock, nHwButton) == 1140, "stored layout");
static_assert(offsetof(SettingsBlock, wNamesOnly) == 1280, "stored layout");
static_assert(offsetof(SettingsBlock, szBellFile) == 1308, "stored layout");
static_assert(offsetof(SettingsBlock, nSavedBellSource) == 1832, "stored layout");
