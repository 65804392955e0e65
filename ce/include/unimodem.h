#pragma once
// Device configuration of the platform's modem driver, passed with a dial-up
// entry (RasSetEntryProperties' device information).
#include <windows.h>

#define DIAL_MODIFIER_LEN 40
#define MAX_NAME_LENGTH 8
#define MAX_CFG_BLOB 126

#define MDM_FLOWCONTROL_HARD 0x00000010
#define MDM_FLOWCONTROL_SOFT 0x00000020

#define MDMCFG_VERSION 0x0020

#pragma pack(push, 2)
// 252 bytes on "PocketPC" handhelds.
typedef struct tagDEVMINICFG {
    WORD wVersion;
    WORD wWaitBong;
    DWORD dwCallSetupFailTimer;
    DWORD dwModemOptions;
    DWORD dwBaudRate;
    WORD fwOptions;
    BYTE ByteSize;
    BYTE StopBits;
    BYTE Parity;
    BYTE bPad;
    WCHAR szDialModifier[DIAL_MODIFIER_LEN + 1];
    WCHAR szDriverName[MAX_NAME_LENGTH + 1];
    BYTE pConfigBlob[MAX_CFG_BLOB];
    DWORD dwPortHandle;  // a 32-bit handle on the handheld
} DEVMINICFG, *PDEVMINICFG;

// 128 bytes: the older form ("Palm PC2"), with an 8-bit dial modifier.
typedef struct tagDEVMINICFG_OLD {
    WORD wVersion;
    WORD wWaitBong;
    DWORD dwCallSetupFailTimer;
    DWORD dwModemOptions;
    DWORD dwBaudRate;
    WORD fwOptions;
    BYTE ByteSize;
    BYTE StopBits;
    BYTE Parity;
    char szDialModifier[DIAL_MODIFIER_LEN + 1];
    BYTE bReserved[66];
} DEVMINICFG_OLD, *PDEVMINICFG_OLD;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(DEVMINICFG) == 252, "the handheld's DEVMINICFG");
static_assert(sizeof(DEVMINICFG_OLD) == 128, "the older DEVMINICFG");
#endif
