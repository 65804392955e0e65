#include "toolkit/CCeMMsgBox.h"

#include <cwchar>

#include "toolkit/CCeMToolkit.h"

CCeMMsgBox::CCeMMsgBox() : m_szText{} {}

CCeMMsgBox::~CCeMMsgBox() = default;

void CCeMMsgBox::SetText(LPCWSTR text)
{
    wcsncpy(m_szText, text ? text : L"", kTextLength - 1);
    m_szText[kTextLength - 1] = 0;
}

INT_PTR CCeMMsgBox::Show(HWND parent, LPCWSTR text, LPCWSTR caption, int layout, int seconds)
{
    CCeMMsgBox box;
    box.SetCaptionText(caption);
    box.SetText(text);
    box.SetTimeout(seconds);
    return box.DoModal(CCeMToolkit::Instance(), kTemplateId, parent, layout);
}

HFONT CCeMMsgBox::DialogFont() const
{
    return reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
}

int CCeMMsgBox::OnInitDialog(HWND hwnd)
{
    SetWindowTextW(hwnd, m_szCaption);
    if (m_nCountdown <= 0)
        m_nCountdown = kDefaultSeconds;
    CCeMDialog::OnInitDialog(hwnd);
    if (m_nLayout != kLayoutKeep) {
        if (m_okButton.Attach(GetDlgItem(hwnd, IDOK))) {
            m_okButton.SetBitmap(kOkBitmapId, 2);
            m_okButton.SizeToFrame();
        }
        if (m_cancelButton.Attach(GetDlgItem(hwnd, IDCANCEL))) {
            m_cancelButton.SetBitmap(kCancelBitmapId, 2);
            m_cancelButton.SizeToFrame();
        }
    } else {
        ShowWindow(GetDlgItem(hwnd, IDOK), SW_HIDE);
        ShowWindow(GetDlgItem(hwnd, IDCANCEL), SW_HIDE);
    }
    return 1;
}

void CCeMMsgBox::OnInitControls(HWND hwnd)
{
    RECT rc;
    GetWindowRect(hwnd, &rc);
    const int top = rc.top;
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, DialogFont());
    DrawTextW(dc, m_szText, -1, &rc, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    int width = rc.right;
    int x = (240 - width) / 2;
    if (width < 180) {
        width = 180;
        x = 30;
    }
    const int y = (270 - top) / 2;
    const int height = rc.bottom + (m_nLayout != kLayoutKeep ? 15 : 0);
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER);
}

void CCeMMsgBox::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    rc.top += 10;
    rc.bottom -= 20;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, DialogFont());
    DrawTextW(dc, m_szText, -1, &rc, DT_CENTER | DT_WORDBREAK);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

int CCeMMsgBox::OnCommand(int code, int id, HWND control)
{
    if (m_nLayout == kLayoutKeep && (id == IDOK || id == IDCANCEL))
        return 0;
    return CCeMDialog::OnCommand(code, id, control);
}
