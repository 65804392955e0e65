#include "screens/service/CCeMTabScreen.h"

#include "screens/service/OffscreenPaint.h"
#include "toolkit/ToolkitMessages.h"
#include "toolkit/WindowText.h"

namespace {

const COLORREF kBackColor = RGB(196, 214, 236);
const COLORREF kPatternColor = RGB(180, 200, 228);
const COLORREF kFrameColor = RGB(40, 70, 130);
const COLORREF kTitleColor = RGB(40, 70, 130);
const COLORREF kTabColor = RGB(236, 242, 250);
const COLORREF kTabPressedColor = RGB(70, 110, 180);
constexpr int kTitleHeight = 25;

HFONT MakeFont(int height, int weight)
{
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, L"Tahoma");
}

}  // namespace

CCeMTabScreen::CCeMTabScreen(CCeDataManager& data)
    : m_data(data), m_nTab(0), m_tabs{}, m_nTabs(0), m_nPanelLeft(kPanel.left), m_pszTitle(L""), m_hFont(nullptr),
      m_hTitleFont(nullptr), m_hPanelBrush(nullptr)
{
}

CCeMTabScreen::~CCeMTabScreen()
{
    Destroy();
}

void CCeMTabScreen::SetTabs(const TabDef* tabs, int count, const wchar_t* title)
{
    m_nTabs = 0;
    for (int i = 0; tabs && i < count && i < kMaxTabs; ++i)
        m_tabs[m_nTabs++] = tabs[i];
    m_pszTitle = title ? title : L"";
}

int CCeMTabScreen::CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id, int tab)
{
    RegisterWindowClass(L"ZenServiceScreen", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr,
                        LoadCursorW(nullptr, IDC_ARROW));
    m_nTab = (tab >= 0 && tab < m_nTabs) ? tab : 0;
    return Create(L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, pl, parent, id);
}

RECT CCeMTabScreen::Panel() const
{
    RECT rc = kPanel;
    rc.left = m_nTabs ? m_nPanelLeft : 3;
    return rc;
}

int CCeMTabScreen::OnCreate(HWND hwnd, LPCREATESTRUCTW)
{
    m_hWnd = hwnd;  // the controls below need their parent before Create returns
    m_hFont = MakeFont(12, FW_NORMAL);
    m_hTitleFont = MakeFont(13, FW_BOLD);
    m_hPanelBrush = CreateSolidBrush(RGB(255, 255, 255));
    RECT client;
    GetClientRect(hwnd, &client);
    MakeControl(L"BUTTON", L"닫기", WS_VISIBLE | BS_PUSHBUTTON, {client.right - 38, 3, 35, 20}, kCloseId);
    CreateControls(hwnd);
    OnTabChanged(m_nTab);
    return 0;
}

int CCeMTabScreen::OnDestroy(HWND)
{
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hTitleFont)
        DeleteObject(m_hTitleFont);
    if (m_hPanelBrush)
        DeleteObject(m_hPanelBrush);
    m_hFont = m_hTitleFont = nullptr;
    m_hPanelBrush = nullptr;
    return 0;
}

HWND CCeMTabScreen::MakeControl(LPCWSTR cls, LPCWSTR text, DWORD style, const CCeMPlacement& pl, UINT id)
{
    HWND w = CreateWindowExW(0, cls, text, WS_CHILD | style, pl.x, pl.y, pl.cx, pl.cy, m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr),
                             nullptr);
    if (w && m_hFont)
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    return w;
}

LRESULT CCeMTabScreen::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // Radio buttons and check boxes sit on the white panel.
        SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(m_hPanelBrush);
    case WM_ERASEBKGND:
        return 1;  // the whole client area is painted off-screen
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        wchar_t text[256];
        PageText(text, 256);
        if (!text[0])
            return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
        return AnswerTextQuery(msg, wp, lp, text);
    }
    default:
        return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
    }
}

void CCeMTabScreen::PageText(wchar_t* out, int outChars) const
{
    if (out && outChars > 0)
        out[0] = 0;
}

void CCeMTabScreen::SelectTab(int tab)
{
    if (tab < 0 || tab >= m_nTabs)
        return;
    m_nTab = tab;
    OnTabChanged(tab);
    Redraw();
}

int CCeMTabScreen::OnLButtonDown(WPARAM, int x, int y)
{
    const POINT pt = {static_cast<short>(x), static_cast<short>(y)};
    for (int i = 0; i < m_nTabs; ++i)
        if (PtInRect(&m_tabs[i].hit, pt)) {
            if (i != m_nTab)
                SelectTab(i);
            return 0;
        }
    return 0;
}

int CCeMTabScreen::OnCommand(int, int id, HWND)
{
    if (id == static_cast<int>(kCloseId)) {
        RequestClose();
        return 0;
    }
    return 1;
}

void CCeMTabScreen::RequestClose()
{
    if (HWND parent = GetParent(m_hWnd))
        PostMessageW(parent, WM_COMMAND, MAKEWPARAM(m_nId, kCloseRequest), reinterpret_cast<LPARAM>(m_hWnd));
}

void CCeMTabScreen::NotifyParent(int code)
{
    if (HWND parent = GetParent(m_hWnd))
        SendMessageW(parent, WM_CHILDNOTIFY, static_cast<WPARAM>(code), reinterpret_cast<LPARAM>(m_hWnd));
}

bool CCeMTabScreen::SaveSettings()
{
    return m_data.m_EnvDB.Save() != 0;
}

void CCeMTabScreen::Redraw()
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMTabScreen::DrawCentred(HDC dc, LPCWSTR text, RECT rc, COLORREF color)
{
    // Centre the wrapped block vertically as well: measure it first.
    RECT measure = rc;
    const int h = DrawTextW(dc, text, -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
    if (h < rc.bottom - rc.top)
        rc.top += (rc.bottom - rc.top - h) / 2;
    SetTextColor(dc, color);
    DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_WORDBREAK);
}

void CCeMTabScreen::PaintFrame(HDC dc, const RECT& client)
{
    HBRUSH back = CreateSolidBrush(kBackColor);
    FillRect(dc, &client, back);
    DeleteObject(back);
    HBRUSH pattern = CreateHatchBrush(HS_DIAGCROSS, kPatternColor);
    SetBkMode(dc, TRANSPARENT);
    RECT body = {client.left, kTitleHeight, client.right, client.bottom};
    FillRect(dc, &body, pattern);
    DeleteObject(pattern);

    RECT title = {client.left, client.top, client.right, kTitleHeight};
    HBRUSH band = CreateSolidBrush(kTitleColor);
    FillRect(dc, &title, band);
    DeleteObject(band);
    HGDIOBJ oldFont = SelectObject(dc, m_hTitleFont);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT titleText = {25, 0, 200, kTitleHeight};
    const wchar_t* text = m_nTabs ? m_tabs[m_nTab].title : m_pszTitle;
    DrawTextW(dc, text, -1, &titleText, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);

    // Two-pixel frame round the client area.
    HPEN pen = CreatePen(PS_SOLID, 2, kFrameColor);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, client.left + 1, client.top + 1, client.right, client.bottom);
    const RECT panel = Panel();
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    RoundRect(dc, panel.left, panel.top, panel.right, panel.bottom, 10, 10);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void CCeMTabScreen::PaintTab(HDC dc, int index)
{
    const RECT& r = m_tabs[index].hit;
    const bool pressed = index == m_nTab;
    HBRUSH face = CreateSolidBrush(pressed ? kTabPressedColor : kTabColor);
    HPEN pen = CreatePen(PS_SOLID, 1, kFrameColor);
    HGDIOBJ oldBrush = SelectObject(dc, face);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    const int shift = pressed ? 1 : 0;  // a pressed tab sinks a little
    RoundRect(dc, r.left + shift, r.top + shift, r.right + shift, r.bottom + shift, 8, 8);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(face);
    DeleteObject(pen);
    RECT text = {r.left + 2 + shift, r.top + shift, r.right - 2 + shift, r.bottom + shift};
    SetTextColor(dc, pressed ? RGB(255, 255, 255) : kFrameColor);
    DrawTextW(dc, m_tabs[index].label, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CCeMTabScreen::OnPaint(HWND hwnd)
{
    OffscreenPaint paint(hwnd);
    HDC dc = paint.Dc();
    PaintFrame(dc, paint.Client());
    HGDIOBJ oldFont = SelectObject(dc, m_hFont);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < m_nTabs; ++i)
        PaintTab(dc, i);
    PaintPage(dc);
    SelectObject(dc, oldFont);
}
