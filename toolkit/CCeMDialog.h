#pragma once
// A dialog from a template of the program's resources, modal or modeless,
// with a standard placement of OK and Cancel and an optional countdown that
// shows the seconds left in the caption and closes (or hides) it at 0.
#include "toolkit/CCeMWnd.h"

class CCeMDialog : public CCeMWnd {
public:
    static constexpr UINT kTimerId = 1000;
    static constexpr int kCaptionLength = 64;
    static constexpr int kLayoutOneButton = 0;
    static constexpr int kLayoutTwoButtons = 1;
    static constexpr int kLayoutKeep = 0xFFFF;

    CCeMDialog();
    ~CCeMDialog() override;

    // A dialog's window only comes from its template.
    int Create(LPCWSTR className, LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent,
               UINT id) override;
    int Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id) override;
    int CreateEx(DWORD exStyle, LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent,
                 UINT id) override;
    int Destroy() override;
    int Attach(HWND hwnd) override;
    int RunMessageLoop() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;

    // Slots 23 to 30.
    virtual int CreateModeless(HINSTANCE instance, UINT templateId, HWND parent);
    virtual int SetTimeout(int seconds);
    virtual INT_PTR DoModal(HINSTANCE instance, UINT templateId, HWND parent, int layout);
    virtual void OnCreateDialog(HWND hwnd);
    virtual int OnInitDialog(HWND hwnd);
    virtual int OnTimer(UINT timerId);
    virtual void OnInitControls(HWND hwnd);
    virtual void OnTimeout(int modeless);

    // Modeless dialogs only.
    int ShowDialog(int showCommand, int seconds);

    void SetCaptionText(LPCWSTR caption);
    const wchar_t* CaptionText() const { return m_szCaption; }
    int Countdown() const { return m_nCountdown; }
    bool IsTimerRunning() const { return m_bTimer != 0; }
    bool IsModal() const { return m_bModal != 0; }
    int Layout() const { return m_nLayout; }

protected:
    void StartTimer(HWND hwnd);

    int m_bTimer;
    int m_nCountdown;
    int m_bModal;
    wchar_t m_szCaption[kCaptionLength];
    int m_nLayout;

private:
    // The template, or null when the resource is missing.
    static LPCDLGTEMPLATEW FindTemplate(HINSTANCE instance, UINT templateId);
    void ShowCountdown();
};
