#include "ScreenFrame.h"

#include "stores/CCeDataManager.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"

namespace prefs {

HBITMAP LoadPicture(UINT resId)
{
    return static_cast<HBITMAP>(
        LoadImageW(CCeMToolkit::Instance(), MAKEINTRESOURCEW(resId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

void DrawPicture(HDC dc, HBITMAP bmp, int x, int y)
{
    if (!bmp)
        return;
    BITMAP info = {};
    if (!GetObjectW(bmp, sizeof info, &info))
        return;
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(dc, x, y, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
}

void DrawSideFrame(HDC dc, int width, int height, int top, HBRUSH brush)
{
    const RECT left = {0, top, 2, height};
    const RECT right = {width - 2, top, width, height};
    const RECT bottom = {0, height - 2, width, height};
    FillRect(dc, &left, brush);
    FillRect(dc, &right, brush);
    FillRect(dc, &bottom, brush);
}

void DrawTitle(HDC dc, LPCWSTR title)
{
    HFONT font = CreateFontW(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT rc = kTitleRect;
    DrawTextW(dc, title, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

void PaintListScreen(HWND hwnd, HBITMAP background, HBRUSH frame, LPCWSTR title)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (background) {
        DrawPicture(dc, background, 0, 0);
    } else {
        RECT band = {0, 0, rc.right, kTitleBand};
        FillRect(dc, &band, frame);
    }
    DrawSideFrame(dc, rc.right, rc.bottom, kTitleBand, frame);
    DrawTitle(dc, title);
    EndPaint(hwnd, &ps);
}

void DrawHeaderBand(HDC dc, int width, bool focus, HBRUSH focusBrush, const HeaderColumn* columns, size_t count)
{
    RECT band = {0, 0, width, 18};
    if (focus && focusBrush) {
        FillRect(dc, &band, focusBrush);
        SetTextColor(dc, RGB(255, 255, 255));
    } else {
        FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
    }
    for (size_t i = 0; i < count; ++i) {
        const HeaderColumn& c = columns[i];
        RECT rc = {c.left, 0, c.right < 0 ? width : c.right, 18};
        DrawTextW(dc, c.title, -1, &rc, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

void TrackMenuAt(HWND list, HMENU menu, int x, int y)
{
    POINT p = {x, y};
    ClientToScreen(list, &p);
    TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN, p.x, p.y, list, nullptr);
}

HFONT CreateControlFont()
{
    return CreateFontW(13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
}

void SetFont(HFONT font, std::initializer_list<HWND> controls)
{
    for (HWND c : controls)
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void SendCloseRequest(HWND screen)
{
    const UINT id = static_cast<UINT>(GetDlgCtrlID(screen));
    // Posted: the parent destroys the screen, which must not happen while
    // the button that asked is still inside its own handler.
    PostMessageW(GetParent(screen), WM_COMMAND, MAKEWPARAM(id, kCloseRequest), reinterpret_cast<LPARAM>(screen));
}

void AskMenuBarBack(HWND from)
{
    if (HWND top = GetAncestor(from, GA_ROOT))
        PostMessageW(top, kChildNotify, kNotifyMenuBarBack, reinterpret_cast<LPARAM>(from));
}

int PassGuards(HWND owner)
{
    const SettingsBlock& s = g_pDataManager->m_Settings;
    if (s.bPrivacy == 1) {
        Notice(owner, L"사생활 보호중입니다.", L"알림");
        return 0;
    }
    if (s.bPhoneLocked == 1) {
        Notice(owner, L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.", L"알림");
        return 0;
    }
    return 1;
}

void Notice(HWND owner, LPCWSTR text, LPCWSTR caption)
{
    CCeMMsgBox::Show(owner, text, caption, CCeMDialog::kLayoutOneButton, CCeMMsgBox::kDefaultSeconds);
}

bool Confirm(HWND owner, LPCWSTR text, LPCWSTR caption)
{
    return CCeMMsgBox::Show(owner, text, caption, CCeMDialog::kLayoutTwoButtons, CCeMMsgBox::kDefaultSeconds) == IDOK;
}

}  // namespace prefs
