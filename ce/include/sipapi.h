#pragma once
// The input panel (soft keyboard). CE's names and values.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SIPF_OFF 0x00000000
#define SIPF_ON 0x00000001
#define SIPF_DOCKED 0x00000002
#define SIPF_LOCKED 0x00000004

// WM_SETTINGCHANGE's wParam when the input panel came up or went away.
#ifndef SPI_SETSIPINFO
#define SPI_SETSIPINFO 224
#endif

typedef struct tagSIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    void* pvImData;
} SIPINFO;

BOOL SipShowIM(DWORD dwFlag);
BOOL SipGetInfo(SIPINFO* pSipInfo);

#ifdef __cplusplus
}
#endif
