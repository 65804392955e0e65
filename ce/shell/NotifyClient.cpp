// Shell_NotifyIcon for programs: the request goes to the taskbar window.
#define CE_SHELLAPI_NO_REMAP
#include <ce_shellapi.h>

#include <cstring>

#include "ce/shell/NotifyWire.h"

namespace {

// Renders the icon at the notification area's size; false when it cannot be drawn.
bool IconPixels(HICON icon, uint32_t* out)
{
    const int n = ceshell::kIconSize;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = n;
    bi.bmiHeader.biHeight = -n;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    HDC dc = CreateCompatibleDC(nullptr);
    void* image = nullptr;
    void* mask = nullptr;
    HBITMAP imageBmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &image, nullptr, 0);
    HBITMAP maskBmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &mask, nullptr, 0);
    bool ok = dc && imageBmp && maskBmp;
    if (ok) {
        HGDIOBJ old = SelectObject(dc, imageBmp);
        std::memset(image, 0, n * n * 4);
        ok = DrawIconEx(dc, 0, 0, icon, n, n, 0, nullptr, DI_IMAGE);
        SelectObject(dc, maskBmp);
        std::memset(mask, 0, n * n * 4);
        ok = ok && DrawIconEx(dc, 0, 0, icon, n, n, 0, nullptr, DI_MASK);
        SelectObject(dc, old);
        GdiFlush();
    }
    if (ok) {
        const auto* img = static_cast<const uint32_t*>(image);
        const auto* msk = static_cast<const uint32_t*>(mask);
        for (int i = 0; i < n * n; ++i)
            out[i] = (msk[i] & 0xFFFFFF) ? ceshell::kClearPixel : (img[i] & 0xFFFFFF);
    }
    if (imageBmp)
        DeleteObject(imageBmp);
    if (maskBmp)
        DeleteObject(maskBmp);
    if (dc)
        DeleteDC(dc);
    return ok;
}

}  // namespace

extern "C" BOOL WINAPI ce_Shell_NotifyIcon(DWORD message, PNOTIFYICONDATAW data)
{
    if (!data || (message != NIM_ADD && message != NIM_MODIFY && message != NIM_DELETE))
        return FALSE;
    HWND taskbar = FindWindowW(ceshell::kTaskBarClass, nullptr);
    if (!taskbar)
        return FALSE;
    ceshell::NotifyIconWire wire = {};
    wire.message = message;
    wire.id = data->uID;
    wire.owner = reinterpret_cast<uintptr_t>(data->hWnd);
    if (message != NIM_DELETE) {
        wire.flags = data->uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
        wire.callback = data->uCallbackMessage;
        if (wire.flags & NIF_TIP) {
            std::memcpy(wire.tip, data->szTip, sizeof wire.tip);
            wire.tip[ceshell::kTipChars - 1] = 0;
        }
        if ((wire.flags & NIF_ICON) && !(data->hIcon && IconPixels(data->hIcon, wire.pixels)))
            return FALSE;
    }
    COPYDATASTRUCT cds = {ceshell::kNotifyCopyData, sizeof wire, &wire};
    DWORD_PTR result = 0;
    // A taskbar that does not answer must not hang the program.
    if (!SendMessageTimeoutW(taskbar, WM_COPYDATA, reinterpret_cast<WPARAM>(data->hWnd),
                             reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &result))
        return FALSE;
    return result ? TRUE : FALSE;
}
