#include "CCeMCallScreen.h"

#include "CallScreenArt.h"
#include "calls_text.h"
#include "toolkit/CCeMMsgBox.h"

CCeMCallScreen::CCeMCallScreen(CCeDataManager& data, LPCWSTR className, LPCWSTR title, int titleRight)
    : m_data(data), m_pszClass(className), m_pszTitle(title), m_nTitleRight(titleRight)
{
}

CCeMCallScreen::~CCeMCallScreen()
{
    if (m_hWnd)
        Destroy();
}

int CCeMCallScreen::CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id)
{
    return CreateWithVisibility(parent, pl, id, true);
}

int CCeMCallScreen::CreateWithVisibility(HWND parent, const CCeMPlacement& pl, UINT id, bool visible)
{
    RegisterWindowClass(m_pszClass, CS_DBLCLKS, nullptr, nullptr, nullptr, nullptr);
    return Create(L"", WS_CHILD | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), pl, parent, id);
}

LRESULT CCeMCallScreen::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // Check buttons and labels sit on the screen's white ground.
    if (msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORBTN) {
        SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMCallScreen::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    m_nWidth = cs->cx;
    m_nHeight = cs->cy;
    m_hFont = CallScreenArt::MakeFont(13, false);
    m_hTitleFont = CallScreenArt::MakeFont(15, true);
    MakeImageButton(hwnd, m_Back, kBackBitmap, nullptr, {m_nWidth - 24, 3, 20, 20}, kBackId);
    return 0;
}

void CCeMCallScreen::MakeImageButton(HWND parent, CCeMImageButton& button, UINT resId, LPCWSTR label, const CCeMPlacement& pl,
                                     UINT id)
{
    button.Create(L"", WS_CHILD | WS_VISIBLE, pl, parent, id);
    if (HBITMAP strip = CallScreenArt::ButtonStrip(resId, pl.cx, pl.cy, label))
        button.SetBitmap(strip, 3, 1);
}

int CCeMCallScreen::OnDestroy(HWND hwnd)
{
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hTitleFont)
        DeleteObject(m_hTitleFont);
    m_hFont = m_hTitleFont = nullptr;
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMCallScreen::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP canvas = CreateCompatibleBitmap(dc, m_nWidth, m_nHeight);
    HGDIOBJ oldBmp = SelectObject(mem, canvas);
    RECT full = {0, 0, m_nWidth, m_nHeight};
    FillRect(mem, &full, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    CallScreenArt::DrawTitleBand(mem, m_nWidth, {25, 0, m_nTitleRight, 25}, m_pszTitle ? m_pszTitle : L"",
                                 m_hTitleFont);
    HGDIOBJ oldFont = SelectObject(mem, m_hFont);
    SetBkMode(mem, TRANSPARENT);
    PaintBody(mem);
    BitBlt(dc, 0, 0, m_nWidth, m_nHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, oldFont);
    SelectObject(mem, oldBmp);
    DeleteObject(canvas);
    DeleteDC(mem);
    EndPaint(hwnd, &ps);
}

int CCeMCallScreen::OnCommand(int, int id, HWND)
{
    if (id == static_cast<int>(kBackId)) {
        RequestClose();
        return 0;
    }
    return 1;
}

void CCeMCallScreen::RequestClose()
{
    PostMessageW(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(m_nId, kCloseRequest), reinterpret_cast<LPARAM>(m_hWnd));
}

int CCeMCallScreen::SaveSettings()
{
    const int saved = m_data.m_EnvDB.Save();
    if (!saved)
        Tell(CallsText::kNotSaved, CallsText::kWarning);
    return saved;
}

int CCeMCallScreen::Ask(LPCWSTR text)
{
    return CCeMMsgBox::Show(m_hWnd, text, CallsText::kNotice, CCeMDialog::kLayoutTwoButtons, 0) == IDOK;
}

void CCeMCallScreen::Tell(LPCWSTR text, LPCWSTR caption)
{
    CCeMMsgBox::Show(m_hWnd, text, caption, CCeMDialog::kLayoutOneButton, 0);
}
