#include "toolkit/CCeMDialog.h"

#include <aygshell.h>

#include <cwchar>

#include "toolkit/CCeMToolkit.h"

CCeMDialog::CCeMDialog() : m_bTimer(0), m_nCountdown(0), m_bModal(0), m_szCaption{}, m_nLayout(kLayoutKeep) {}

CCeMDialog::~CCeMDialog()
{
    if (m_hWnd) {
        HWND hwnd = m_hWnd;
        m_hWnd = nullptr;
        DestroyWindow(hwnd);
    }
}

int CCeMDialog::Create(LPCWSTR, LPCWSTR, DWORD, const CCeMPlacement&, HWND, UINT) { return 0; }
int CCeMDialog::Create(LPCWSTR, DWORD, const CCeMPlacement&, HWND, UINT) { return 0; }
int CCeMDialog::CreateEx(DWORD, LPCWSTR, DWORD, const CCeMPlacement&, HWND, UINT) { return 0; }
int CCeMDialog::Destroy() { return 0; }
int CCeMDialog::Attach(HWND) { return 0; }
int CCeMDialog::RunMessageLoop() { return 0; }
void CCeMDialog::OnPaint(HWND) {}
void CCeMDialog::OnInitControls(HWND) {}
void CCeMDialog::OnTimeout(int) {}

void CCeMDialog::SetCaptionText(LPCWSTR caption)
{
    wcsncpy(m_szCaption, caption ? caption : L"", kCaptionLength - 1);
    m_szCaption[kCaptionLength - 1] = 0;
}

LPCDLGTEMPLATEW CCeMDialog::FindTemplate(HINSTANCE instance, UINT templateId)
{
    HRSRC res = FindResourceW(instance, MAKEINTRESOURCEW(LOWORD(templateId)), MAKEINTRESOURCEW(5));
    if (!res)
        return nullptr;
    HGLOBAL data = LoadResource(instance, res);
    return data ? static_cast<LPCDLGTEMPLATEW>(LockResource(data)) : nullptr;
}

int CCeMDialog::CreateModeless(HINSTANCE instance, UINT templateId, HWND parent)
{
    if (m_hWnd)
        return 0;
    m_bModal = 0;
    LPCDLGTEMPLATEW tmpl = FindTemplate(instance, templateId);
    if (!tmpl)
        return 0;
    CCeMToolkit::SetObjectUnderCreation(this);
    HWND hwnd = CreateDialogIndirectParamW(instance, tmpl, parent,
                                           reinterpret_cast<DLGPROC>(CCeMToolkit::SharedWndProc), 0);
    CCeMToolkit::TakeObjectUnderCreation();
    m_hWnd = hwnd;
    return hwnd != nullptr;
}

INT_PTR CCeMDialog::DoModal(HINSTANCE instance, UINT templateId, HWND parent, int layout)
{
    if (m_hWnd)
        return -1;
    m_nLayout = layout;
    m_bModal = 1;
    LPCDLGTEMPLATEW tmpl = FindTemplate(instance, templateId);
    if (!tmpl)
        return -1;
    CCeMToolkit::SetObjectUnderCreation(this);
    const INT_PTR result = DialogBoxIndirectParamW(
        instance, tmpl, parent, reinterpret_cast<DLGPROC>(CCeMToolkit::SharedWndProc), 0);
    CCeMToolkit::TakeObjectUnderCreation();
    return result;
}

int CCeMDialog::SetTimeout(int seconds)
{
    if (m_bTimer)
        return 0;
    m_nCountdown = seconds;
    return 1;
}

void CCeMDialog::StartTimer(HWND hwnd)
{
    if (!m_bTimer && m_nCountdown > 0)
        m_bTimer = SetTimer(hwnd, kTimerId, 1000, nullptr) != 0;
}

void CCeMDialog::OnCreateDialog(HWND hwnd)
{
    StartTimer(hwnd);
}

int CCeMDialog::OnInitDialog(HWND hwnd)
{
    m_hWnd = hwnd;
    HWND ok = GetDlgItem(hwnd, IDOK);
    HWND cancel = GetDlgItem(hwnd, IDCANCEL);
    if (m_nLayout == kLayoutOneButton) {
        OnInitControls(hwnd);
        if (ok && cancel) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            ShowWindow(cancel, SW_HIDE);
            MoveWindow(ok, rc.right / 2 - 28, rc.bottom - 30, 80, 25, TRUE);
        }
    } else if (m_nLayout == kLayoutTwoButtons) {
        if (ok && cancel) {
            OnInitControls(hwnd);
            RECT rc;
            GetClientRect(hwnd, &rc);
            MoveWindow(ok, rc.right / 2 - 65, rc.bottom - 30, 60, 25, TRUE);
            MoveWindow(cancel, rc.right / 2 + 5, rc.bottom - 30, 60, 25, TRUE);
        }
    }
    SHINITDLGINFO init = {SHIDIM_FLAGS, hwnd, SHIDIF_DONEBUTTON};
    SHInitDialog(&init);
    StartTimer(hwnd);
    return 1;
}

void CCeMDialog::ShowCountdown()
{
    wchar_t text[kCaptionLength + 16];
    swprintf(text, sizeof text / sizeof text[0], L"%ls(%d)", m_szCaption, m_nCountdown);
    SetWindowTextW(m_hWnd, text);
}

int CCeMDialog::OnTimer(UINT timerId)
{
    if (timerId != kTimerId)
        return 0;
    --m_nCountdown;
    ShowCountdown();
    if (m_nCountdown <= 0) {
        KillTimer(m_hWnd, kTimerId);
        m_bTimer = 0;
        if (m_bModal) {
            OnTimeout(0);
            EndDialog(m_hWnd, IDCANCEL);
        } else {
            OnTimeout(1);
            ShowDialog(SW_HIDE, 0);
        }
    }
    return 1;
}

int CCeMDialog::ShowDialog(int showCommand, int seconds)
{
    if (!m_hWnd || m_bModal)
        return 0;
    const bool visible = IsWindowVisible(m_hWnd) != 0;
    if (showCommand == SW_SHOW) {
        if (visible)
            return 0;
        SetWindowTextW(m_hWnd, m_szCaption);
        m_nCountdown = seconds;
        if (seconds != 0 && !m_bTimer)
            m_bTimer = SetTimer(m_hWnd, kTimerId, 1000, nullptr) != 0;
    } else if (showCommand == SW_HIDE) {
        if (visible && m_bTimer) {
            KillTimer(m_hWnd, kTimerId);
            m_nCountdown = 0;
            m_bTimer = 0;
        }
    }
    return ShowWindow(m_hWnd, showCommand);
}

int CCeMDialog::OnCommand(int, int id, HWND)
{
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(m_hWnd, id);
        return 1;
    }
    return 0;
}

LRESULT CCeMDialog::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE:
        OnCreateDialog(hwnd);
        return 0;
    case WM_PAINT:
        OnPaint(hwnd);
        return 0;
    case WM_INITDIALOG:
        return OnInitDialog(hwnd);
    case WM_COMMAND:
        return OnCommand(HIWORD(wp), LOWORD(wp), reinterpret_cast<HWND>(lp));
    case WM_TIMER:
        return OnTimer(static_cast<UINT>(wp));
    case WM_CLOSE:
        // The dialog manager turns it into Cancel; destroying a modal
        // dialog's window here would break its loop.
        return 0;
    case WM_DESTROY:
        m_bTimer = 0;
        break;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}
