#pragma once
// Pocket PC shell library: menu bar, tap-and-hold, dialog set-up, full screen,
// application keys, DIB loading. CE's names and values.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef WINSHELLAPI
#define WINSHELLAPI
#endif

// Menu bar.
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

WINSHELLAPI BOOL SHCreateMenuBar(SHMENUBARINFO* pmbi);
// The menu of a bar button that has a submenu (SHCMBM_GETSUBMENU).
#define SHCMBM_SETSUBMENU (WM_USER + 400)
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define SHCMBM_GETMENU (WM_USER + 402)

// Resource type of the menu-bar description (an RCDATA of 16-bit words).
#ifndef SHMENUBAR
#define SHMENUBAR RCDATA
#endif
#define NOMENU 0xFFFF
#ifndef I_IMAGENONE
#define I_IMAGENONE (-2)
#endif

// Tap-and-hold.
#define SHRG_RETURNCMD 0x00000001
#define SHRG_NOTIFYPARENT 0x00000002
#define SHRG_LONGDELAY 0x00000008
#define SHRG_NOANIMATION 0x00000010
#define GN_CONTEXTMENU 1000

typedef struct tagSHRGI {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;
    DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

typedef struct tagNMRGINFO {
    NMHDR hdr;
    POINT ptAction;
    DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;

WINSHELLAPI DWORD SHRecognizeGesture(SHRGINFO* shrg);

// Dialog set-up.
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010

typedef struct tagSHINITDIALOG {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

WINSHELLAPI BOOL SHInitDialog(PSHINITDLGINFO pshidi);

#define SHDB_SHOW 0x0001
#define SHDB_HIDE 0x0002
WINSHELLAPI BOOL SHDoneButton(HWND hwndRequester, DWORD dwState);

// Full screen.
#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020
WINSHELLAPI BOOL SHFullScreen(HWND hwndRequester, DWORD dwState);

// Hardware application keys (VK 0xC1 .. 0xCF).
WINSHELLAPI BOOL SHSetAppKeyWndAssoc(BYTE bVk, HWND hwnd);

WINSHELLAPI HBITMAP SHLoadDIBitmap(LPCWSTR szFileName);

#ifdef __cplusplus
}
#endif
