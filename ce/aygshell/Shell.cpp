// Dialog set-up, full screen and DIB loading.
#include <aygshell.h>
#include <sipapi.h>

#include "ce/aygshell/ShellLayout.h"

namespace aygshell {

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

}  // namespace aygshell

namespace {

// The dialog's wish for a Done (OK) button in its caption; the caption of a
// Wine window has no such button, so the state is kept for whoever looks.
const wchar_t kDoneProp[] = L"ZenShDoneButton";

}  // namespace

extern "C" BOOL SHDoneButton(HWND hwndRequester, DWORD dwState)
{
    if (!IsWindow(hwndRequester))
        return FALSE;
    if (dwState == SHDB_SHOW)
        return SetPropW(hwndRequester, kDoneProp, reinterpret_cast<HANDLE>(1));
    if (dwState == SHDB_HIDE) {
        RemovePropW(hwndRequester, kDoneProp);
        return TRUE;
    }
    return FALSE;
}

extern "C" BOOL SHInitDialog(PSHINITDLGINFO pshidi)
{
    if (!pshidi || !(pshidi->dwMask & SHIDIM_FLAGS) || !IsWindow(pshidi->hDlg))
        return FALSE;
    const DWORD flags = pshidi->dwFlags;
    if (flags & SHIDIF_DONEBUTTON)
        SHDoneButton(pshidi->hDlg, SHDB_SHOW);
    if (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        // Full width below the taskbar; above the menu bar unless told otherwise.
        const int top = aygshell::kTaskBarHeight;
        int bottom = aygshell::ScreenHeight();
        if (!(flags & SHIDIF_FULLSCREENNOMENUBAR))
            bottom -= aygshell::kMenuBarHeight;
        if ((flags & SHIDIF_SIZEDLG) && !(flags & SHIDIF_SIPDOWN)) {
            SIPINFO si = {};
            si.cbSize = sizeof si;
            if (SipGetInfo(&si) && (si.fdwFlags & SIPF_ON))
                bottom = si.rcSipRect.top;
        }
        SetWindowPos(pshidi->hDlg, nullptr, 0, top, aygshell::ScreenWidth(), bottom - top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (flags & SHIDIF_SIPDOWN)
        SipShowIM(SIPF_OFF);
    return TRUE;
}

extern "C" BOOL SHFullScreen(HWND hwndRequester, DWORD dwState)
{
    if (!IsWindow(hwndRequester))
        return FALSE;
    // The taskbar is the shell's window at the top of the screen; without a
    // shell running there is nothing to hide and the call still succeeds.
    HWND taskbar = FindWindowW(L"HHTaskBar", nullptr);
    if (taskbar) {
        if (dwState & SHFS_HIDETASKBAR)
            ShowWindow(taskbar, SW_HIDE);
        else if (dwState & SHFS_SHOWTASKBAR)
            ShowWindow(taskbar, SW_SHOWNA);
    }
    return TRUE;
}

extern "C" HBITMAP SHLoadDIBitmap(LPCWSTR szFileName)
{
    if (!szFileName || !*szFileName)
        return nullptr;
    return static_cast<HBITMAP>(LoadImageW(nullptr, szFileName, IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}
