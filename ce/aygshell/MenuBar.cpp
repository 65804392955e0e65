// The menu bar at the bottom of the screen: text and image buttons from the
// menu-bar description, pop-up menus from the menu resource, and the input
// panel button at the right end.
#include <aygshell.h>
#include <commctrl.h>
#include <sipapi.h>

#include <memory>
#include <string>
#include <vector>

#include "ce/aygshell/ShellLayout.h"

namespace {

const wchar_t kBarClass[] = L"menu_worker";
constexpr int kImageSize = 16;
constexpr int kImageButtonWidth = 24;
constexpr int kSipButtonWidth = 24;
constexpr COLORREF kDefaultBack = RGB(214, 211, 206);
constexpr COLORREF kImageKey = RGB(255, 0, 255);  // transparent in the image strip

struct BarButton {
    int image = I_IMAGENONE;
    UINT command = 0;
    bool enabled = true;
    std::wstring text;
    int submenu = NOMENU;
    RECT rc = {};
};

struct Bar {
    HWND parent = nullptr;
    HMENU menu = nullptr;
    HBITMAP images = nullptr;
    int imageCount = 0;
    COLORREF back = kDefaultBack;
    bool sipButton = true;
    RECT sipRc = {};
    std::vector<BarButton> buttons;
    int pressed = -1;  // button index, or -2 for the input panel button
    HFONT font = nullptr;

    Bar() = default;
    Bar(const Bar&) = delete;
    Bar& operator=(const Bar&) = delete;
    ~Bar()
    {
        if (menu)
            DestroyMenu(menu);
        if (images)
            DeleteObject(images);
        if (font)
            DeleteObject(font);
    }
};

Bar* BarOf(HWND hwnd)
{
    return reinterpret_cast<Bar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

// The description resource: menu id, button count, then seven words a button
// (image, command, state, style, string id, unused, submenu index).
bool ReadDescription(HINSTANCE inst, UINT id, Bar& bar)
{
    HRSRC res = FindResourceW(inst, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!res)
        return false;
    const DWORD size = SizeofResource(inst, res);
    const WORD* w = static_cast<const WORD*>(LockResource(LoadResource(inst, res)));
    if (!w || size < 4)
        return false;
    const size_t words = size / 2;
    const size_t count = w[1];
    if (words < 2 + count * 7)
        return false;
    if (w[0] != 0)
        bar.menu = LoadMenuW(inst, MAKEINTRESOURCEW(w[0]));
    for (size_t i = 0; i < count; ++i) {
        const WORD* b = w + 2 + i * 7;
        BarButton btn;
        btn.image = static_cast<short>(b[0]);
        btn.command = b[1];
        btn.enabled = (b[2] & TBSTATE_ENABLED) != 0;
        if (b[4]) {
            wchar_t text[64] = {};
            if (LoadStringW(inst, b[4], text, 64) > 0)
                btn.text = text;
        }
        btn.submenu = b[6];
        bar.buttons.push_back(btn);
    }
    return true;
}

bool ReadMenu(HINSTANCE inst, UINT id, Bar& bar)
{
    bar.menu = LoadMenuW(inst, MAKEINTRESOURCEW(id));
    if (!bar.menu)
        return false;
    const int n = GetMenuItemCount(bar.menu);
    for (int i = 0; i < n; ++i) {
        BarButton btn;
        wchar_t text[64] = {};
        GetMenuStringW(bar.menu, i, text, 64, MF_BYPOSITION);
        btn.text = text;
        if (GetSubMenu(bar.menu, i))
            btn.submenu = i;
        else
            btn.command = GetMenuItemID(bar.menu, i);
        bar.buttons.push_back(btn);
    }
    return true;
}

void Layout(HWND hwnd, Bar& bar)
{
    RECT client;
    GetClientRect(hwnd, &client);
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, bar.font);
    int x = 0;
    for (auto& b : bar.buttons) {
        int w = kImageButtonWidth;
        if (b.image == I_IMAGENONE || b.image < 0) {
            SIZE sz = {};
            GetTextExtentPoint32W(dc, b.text.c_str(), static_cast<int>(b.text.size()), &sz);
            w = sz.cx + 14 > 36 ? sz.cx + 14 : 36;
        }
        b.rc = {x, 0, x + w, client.bottom};
        x += w;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    bar.sipRc = bar.sipButton ? RECT{client.right - kSipButtonWidth, 0, client.right, client.bottom}
                              : RECT{};
}

void DrawSipGlyph(HDC dc, const RECT& rc)
{
    RECT k = {rc.left + 4, rc.top + 8, rc.right - 4, rc.bottom - 7};
    FrameRect(dc, &k, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    for (int x = k.left + 3; x < k.right - 2; x += 4)
        for (int y = k.top + 3; y < k.bottom - 2; y += 4)
            SetPixel(dc, x, y, RGB(0, 0, 0));
}

void Paint(HWND hwnd, Bar& bar)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH back = CreateSolidBrush(bar.back);
    FillRect(dc, &client, back);
    DeleteObject(back);
    RECT line = {0, 0, client.right, 1};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));

    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ oldFont = SelectObject(dc, bar.font);
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < bar.buttons.size(); ++i) {
        const BarButton& b = bar.buttons[i];
        const bool down = bar.pressed == static_cast<int>(i);
        if (down) {
            RECT r = b.rc;
            InflateRect(&r, 0, -2);
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        }
        if (b.image >= 0 && b.image < bar.imageCount && bar.images) {
            HGDIOBJ oldBmp = SelectObject(mem, bar.images);
            const int x = (b.rc.left + b.rc.right - kImageSize) / 2;
            const int y = (b.rc.top + b.rc.bottom - kImageSize) / 2;
            TransparentBlt(dc, x, y, kImageSize, kImageSize, mem, b.image * kImageSize, 0,
                           kImageSize, kImageSize, kImageKey);
            SelectObject(mem, oldBmp);
        } else {
            RECT r = b.rc;
            SetTextColor(dc, !b.enabled ? RGB(128, 128, 128) : down ? RGB(255, 255, 255) : RGB(0, 0, 0));
            DrawTextW(dc, b.text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    }
    if (bar.sipButton)
        DrawSipGlyph(dc, bar.sipRc);
    SelectObject(dc, oldFont);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

int ButtonAt(const Bar& bar, int x, int y)
{
    POINT p = {x, y};
    for (size_t i = 0; i < bar.buttons.size(); ++i)
        if (PtInRect(&bar.buttons[i].rc, p))
            return static_cast<int>(i);
    if (bar.sipButton && PtInRect(&bar.sipRc, p))
        return -2;
    return -1;
}

BarButton* ButtonById(Bar& bar, UINT id)
{
    for (auto& b : bar.buttons)
        if (b.command == id)
            return &b;
    return nullptr;
}

void OpenSubmenu(HWND hwnd, Bar& bar, int index)
{
    const BarButton& b = bar.buttons[index];
    HMENU sub = bar.menu ? GetSubMenu(bar.menu, b.submenu) : nullptr;
    if (!sub)
        return;
    POINT at = {b.rc.left, 0};
    ClientToScreen(hwnd, &at);
    TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_BOTTOMALIGN, at.x, at.y, bar.parent, nullptr);
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    Bar* bar = BarOf(hwnd);
    if (!bar)
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        Paint(hwnd, *bar);
        return 0;
    case WM_LBUTTONDOWN: {
        const int i = ButtonAt(*bar, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        if (i == -1 || (i >= 0 && !bar->buttons[i].enabled))
            return 0;
        bar->pressed = i;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (i >= 0 && bar->buttons[i].submenu != NOMENU) {
            UpdateWindow(hwnd);
            OpenSubmenu(hwnd, *bar, i);
            bar->pressed = -1;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        SetCapture(hwnd);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int was = bar->pressed;
        if (was == -1)
            return 0;
        bar->pressed = -1;
        if (GetCapture() == hwnd)
            ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        if (ButtonAt(*bar, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))) != was)
            return 0;
        if (was == -2) {
            SIPINFO si = {};
            si.cbSize = sizeof si;
            SipGetInfo(&si);
            SipShowIM((si.fdwFlags & SIPF_ON) ? SIPF_OFF : SIPF_ON);
        } else {
            PostMessageW(bar->parent, WM_COMMAND, MAKEWPARAM(bar->buttons[was].command, 0),
                         reinterpret_cast<LPARAM>(hwnd));
        }
        return 0;
    }
    case SHCMBM_GETMENU:
        return reinterpret_cast<LRESULT>(bar->menu);
    case SHCMBM_GETSUBMENU: {
        BarButton* b = ButtonById(*bar, static_cast<UINT>(lp));
        if (!b || b->submenu == NOMENU || !bar->menu)
            return 0;
        return reinterpret_cast<LRESULT>(GetSubMenu(bar->menu, b->submenu));
    }
    case TB_ENABLEBUTTON: {
        BarButton* b = ButtonById(*bar, static_cast<UINT>(wp));
        if (!b)
            return FALSE;
        b->enabled = LOWORD(lp) != 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case TB_GETRECT: {
        const BarButton* b = ButtonById(*bar, static_cast<UINT>(wp));
        if (!b || !lp)
            return FALSE;
        *reinterpret_cast<RECT*>(lp) = b->rc;
        return TRUE;
    }
    case TB_ISBUTTONENABLED: {
        BarButton* b = ButtonById(*bar, static_cast<UINT>(wp));
        return b && b->enabled;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete bar;
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

extern "C" BOOL SHCreateMenuBar(SHMENUBARINFO* pmbi)
{
    if (!pmbi || pmbi->cbSize < sizeof(SHMENUBARINFO) || !IsWindow(pmbi->hwndParent))
        return FALSE;
    pmbi->hwndMB = nullptr;
    HINSTANCE inst = pmbi->hInstRes ? pmbi->hInstRes : aygshell::ModuleInstance();

    auto bar = std::make_unique<Bar>();
    bar->parent = pmbi->hwndParent;
    bar->sipButton = !(pmbi->dwFlags & SHCMBF_HIDESIPBUTTON);
    if (pmbi->dwFlags & SHCMBF_COLORBK)
        bar->back = pmbi->clrBk;
    if (!(pmbi->dwFlags & SHCMBF_EMPTYBAR)) {
        const bool ok = (pmbi->dwFlags & SHCMBF_HMENU) ? ReadMenu(inst, pmbi->nToolBarId, *bar)
                                                      : ReadDescription(inst, pmbi->nToolBarId, *bar);
        if (!ok)
            return FALSE;
    }
    if (pmbi->nBmpId && pmbi->cBmpImages > 0) {
        bar->images = static_cast<HBITMAP>(
            LoadImageW(inst, MAKEINTRESOURCEW(pmbi->nBmpId), IMAGE_BITMAP, 0, 0, 0));
        bar->imageCount = bar->images ? pmbi->cBmpImages : 0;
    }
    bar->font = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                            VARIABLE_PITCH, L"Tahoma");

    WNDCLASSW wc = {};
    wc.lpfnWndProc = BarProc;
    wc.hInstance = aygshell::ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBarClass;
    RegisterClassW(&wc);  // harmless when already registered

    const int w = aygshell::ScreenWidth(), h = aygshell::ScreenHeight();
    const DWORD style = WS_POPUP | ((pmbi->dwFlags & SHCMBF_HIDDEN) ? 0 : WS_VISIBLE);
    HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kBarClass, L"", style & ~WS_VISIBLE,
                                0, h - aygshell::kMenuBarHeight, w, aygshell::kMenuBarHeight,
                                pmbi->hwndParent, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return FALSE;
    Bar* raw = bar.release();
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(raw));
    Layout(hwnd, *raw);
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOWNA);
    pmbi->hwndMB = hwnd;
    return TRUE;
}
