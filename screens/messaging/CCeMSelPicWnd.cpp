#include "screens/messaging/CCeMSelPicWnd.h"

#include <algorithm>

namespace {

const CCeMPlacement kPlace = {10, 60, 220, 200};
constexpr int kBand = 22;

}  // namespace

CCeMSelPicWnd::CCeMSelPicWnd(LPCWSTR folder) : m_folder(folder ? folder : L"") {}

CCeMSelPicWnd::~CCeMSelPicWnd()
{
    if (m_hWnd)
        Destroy();
}

std::vector<std::wstring> CCeMSelPicWnd::Pictures(LPCWSTR folder)
{
    std::vector<std::wstring> names;
    const std::wstring pattern = std::wstring(folder ? folder : L"") + L"\\*.bmp";
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(pattern.c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

int CCeMSelPicWnd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMWnd::OnCreate(hwnd, cs);
    m_hWnd = hwnd;
    const int w = cs->cx, h = cs->cy;
    m_hFont = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    m_list.Create(WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VISIBLE,
                  {4, kBand + 2, w - 10, h - kBand - 34}, hwnd, kList);
    m_ok.Create(L"확인", BS_PUSHBUTTON | WS_VISIBLE, {w / 2 - 74, h - 28, 68, 22}, hwnd, kOk);
    m_cancel.Create(L"취소", BS_PUSHBUTTON | WS_VISIBLE, {w / 2 + 4, h - 28, 68, 22}, hwnd, kCancel);
    for (CCeMWnd* c : {static_cast<CCeMWnd*>(&m_list), static_cast<CCeMWnd*>(&m_ok),
                       static_cast<CCeMWnd*>(&m_cancel)})
        SendMessageW(c->GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    for (const std::wstring& name : Pictures(m_folder.c_str()))
        SendMessageW(m_list.GetHwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const bool any = SendMessageW(m_list.GetHwnd(), LB_GETCOUNT, 0, 0) > 0;
    if (any)
        SendMessageW(m_list.GetHwnd(), LB_SETCURSEL, 0, 0);
    EnableWindow(m_ok.GetHwnd(), any);
    return 0;
}

int CCeMSelPicWnd::OnDestroy(HWND hwnd)
{
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = nullptr;
    // Destroyed from outside while running: the loop ends as cancelled.
    m_bDone = true;
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMSelPicWnd::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT band;
    GetClientRect(hwnd, &band);
    band.bottom = kBand;
    FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    HGDIOBJ old = SelectObject(dc, m_hFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    const bool any = m_list.GetHwnd() && SendMessageW(m_list.GetHwnd(), LB_GETCOUNT, 0, 0) > 0;
    DrawTextW(dc, any ? L"사진 선택" : L"사진 선택 - 사진이 없습니다", -1, &band,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

void CCeMSelPicWnd::Confirm()
{
    const LRESULT sel = SendMessageW(m_list.GetHwnd(), LB_GETCURSEL, 0, 0);
    const LRESULT len = sel == LB_ERR ? LB_ERR : SendMessageW(m_list.GetHwnd(), LB_GETTEXTLEN, sel, 0);
    if (len == LB_ERR || len <= 0)
        return;
    std::wstring name(static_cast<size_t>(len) + 1, L'\0');
    SendMessageW(m_list.GetHwnd(), LB_GETTEXT, sel, reinterpret_cast<LPARAM>(&name[0]));
    name.resize(static_cast<size_t>(len));
    m_chosen = name;
    End(1);
}

void CCeMSelPicWnd::End(int result)
{
    m_nResult = result;
    m_bDone = true;
}

int CCeMSelPicWnd::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kOk:
        Confirm();
        return 0;
    case kCancel:
        End(0);
        return 0;
    case kList:
        if (code == LBN_DBLCLK)
            Confirm();
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

LRESULT CCeMSelPicWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_CLOSE) {
        End(0);
        return 0;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMSelPicWnd::Run(HWND owner, HWND target)
{
    RegisterWindowClass(L"CCeMSelPicWnd", 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr, nullptr,
                        nullptr);
    m_bDone = false;
    m_nResult = 0;
    m_chosen.clear();
    if (!Create(L"CCeMSelPicWnd", WS_POPUP | WS_BORDER | WS_VISIBLE, kPlace, owner, 0))
        return 0;
    if (owner)
        EnableWindow(owner, FALSE);
    SetActiveWindow(m_hWnd);
    SetFocus(m_list.GetHwnd());
    MSG msg;
    while (!m_bDone) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program ends: leave the quit for the outer loop.
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            End(0);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner)
        EnableWindow(owner, TRUE);
    if (m_hWnd)
        Destroy();
    if (owner)
        SetActiveWindow(owner);
    if (m_nResult != 1 || !target)
        return 0;
    SendMessageW(target, WM_COMMAND, MAKEWPARAM(kChosenCommand, 0), reinterpret_cast<LPARAM>(m_chosen.c_str()));
    return 1;
}
