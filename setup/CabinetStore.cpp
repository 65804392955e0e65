#include "setup/CabinetStore.h"

#include <ce_platform.h>

#include <cwchar>

namespace {

const UINT_PTR kTimer = 1;

struct Progress {
    LPCWSTR installDir;  // null while removing
    bool pocketPc;
};

// A path of the handheld's file system.
bool Handheld(LPCWSTR path, wchar_t* out)
{
    return CeMapHandheldPath(path, out, MAX_PATH) != FALSE;
}

bool InFolder(LPCWSTR dir, LPCWSTR name, wchar_t* out)
{
    const int n = _snwprintf(out, MAX_PATH, L"%ls\\%ls", dir, name);
    return n > 0 && n < MAX_PATH;
}

void MoveOrDelete(LPCWSTR from, LPCWSTR to)
{
    if (to && CopyFileW(from, to, FALSE))
        DeleteFileW(from);
    else if (!to)
        DeleteFileW(from);
}

INT_PTR CALLBACK ProgressProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dlg, DWLP_USER, lp);
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetTimer(dlg, kTimer, 2000, nullptr);
        return TRUE;
    case WM_PAINT: {
        auto* p = reinterpret_cast<Progress*>(GetWindowLongPtrW(dlg, DWLP_USER));
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dlg, &ps);
        RECT rc;
        GetClientRect(dlg, &rc);
        const wchar_t* text =
            p && p->installDir
                ? L"iPAQ File Store에 설치 파일을 저장하고 있습니다.\r\n\r\n잠시만 기달려 주십시오."
                : L"iPAQ File Store에 설치 파일을 제거하고 있습니다.\r\n\r\n잠시만 기달려 주십시오.";
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dlg, WM_GETFONT, 0, 0)));
        DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_WORDBREAK);
        SelectObject(dc, old);
        EndPaint(dlg, &ps);
        return TRUE;
    }
    case WM_TIMER:
        if (wp == kTimer) {
            KillTimer(dlg, kTimer);
            auto* p = reinterpret_cast<Progress*>(GetWindowLongPtrW(dlg, DWLP_USER));
            if (p && p->installDir)
                StoreCabinet(p->installDir, p->pocketPc);
            else
                RemoveStoredCabinet();
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            EndDialog(dlg, IDOK);
        }
        return TRUE;
    case WM_COMMAND:
        return TRUE;  // the work runs to its end
    }
    return FALSE;
}

}  // namespace

void StoreCabinet(LPCWSTR installDir, bool pocketPc)
{
    wchar_t cab[MAX_PATH], installer[MAX_PATH];
    if (!installDir || !InFolder(installDir, L"Zentrika.CAB", cab) ||
        !InFolder(installDir, L"InstallZentrika.exe", installer))
        return;
    if (!pocketPc) {
        MoveOrDelete(cab, nullptr);
        MoveOrDelete(installer, nullptr);
        return;
    }
    wchar_t store[MAX_PATH], kivo[MAX_PATH], cabTo[MAX_PATH], installerTo[MAX_PATH];
    if (!Handheld(L"\\iPAQ File Store", store) || !Handheld(L"\\iPAQ File Store\\Kivo", kivo) ||
        !Handheld(L"\\iPAQ File Store\\Kivo\\Zentrika.CAB", cabTo) ||
        !Handheld(L"\\iPAQ File Store\\InstallZentrika.exe", installerTo))
        return;
    CreateDirectoryW(store, nullptr);
    CreateDirectoryW(kivo, nullptr);
    MoveOrDelete(cab, cabTo);
    MoveOrDelete(installer, installerTo);
}

void RemoveStoredCabinet()
{
    wchar_t path[MAX_PATH];
    if (Handheld(L"\\iPAQ File Store\\Kivo\\Zentrika.CAB", path))
        DeleteFileW(path);
    if (Handheld(L"\\iPAQ File Store\\InstallZentrika.exe", path))
        DeleteFileW(path);
}

void ShowCabinetProgress(HINSTANCE module, HWND parent, LPCWSTR installDir, bool pocketPc)
{
    Progress progress{installDir, pocketPc};
    if (DialogBoxParamW(module, MAKEINTRESOURCEW(103), parent, ProgressProc,
                        reinterpret_cast<LPARAM>(&progress)) == -1) {
        // Without its dialog the work is still done.
        if (installDir)
            StoreCabinet(installDir, pocketPc);
        else
            RemoveStoredCabinet();
    }
}
