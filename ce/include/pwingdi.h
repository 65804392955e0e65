#pragma once
// Display driver escapes of the handheld: power management of the display
// through ExtEscape.
//
// Wine's display driver has no power escape, so code that switches the
// display includes this header: ExtEscape then goes to CeExtEscape, which
// answers the power escapes itself (SETPOWERMANAGEMENT darkens the whole
// screen, and a tap on the dark screen reaches no program) and passes every
// other escape to gdi32. With CE_DISPLAY_NO_REMAP defined only CeExtEscape is
// declared.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef QUERYESCSUPPORT
#define QUERYESCSUPPORT 8
#endif
#define SETPOWERMANAGEMENT 6147  // 0x1803
#define GETPOWERMANAGEMENT 6148  // 0x1804

typedef enum _VIDEO_POWER_STATE {
    VideoPowerOn = 1,
    VideoPowerStandBy,
    VideoPowerSuspend,
    VideoPowerOff
} VIDEO_POWER_STATE;

typedef struct _VIDEO_POWER_MANAGEMENT {
    ULONG Length;
    ULONG DPMSVersion;
    ULONG PowerState;
} VIDEO_POWER_MANAGEMENT, *PVIDEO_POWER_MANAGEMENT;

int WINAPI CeExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData);

// Not on the handheld: the display's power state (VideoPowerOn when no
// program has switched it) and the window that darkens the screen while it is
// off (null while on), from any process.
ULONG WINAPI CeDisplayGetPowerState(void);
HWND WINAPI CeDisplayGetDarkWindow(void);

#ifdef __cplusplus
}
#endif

#ifndef CE_DISPLAY_NO_REMAP
#undef ExtEscape
#define ExtEscape CeExtEscape
#endif
