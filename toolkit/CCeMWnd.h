#pragma once
// Base of every window object: binds an object to a window (own class or an
// attached foreign control) and turns its messages into virtual handlers.
// Handlers return 0 for "handled"; anything else asks for default processing.
#include <windows.h>

// Where a window goes: {x, y, width, height}, not a rectangle.
struct CCeMPlacement {
    int x;
    int y;
    int cx;
    int cy;
};

class CCeMWnd {
public:
    static constexpr int kClassNameLength = 128;

    CCeMWnd();
    CCeMWnd(const CCeMWnd&) = delete;
    CCeMWnd& operator=(const CCeMWnd&) = delete;

    // Slots 0 to 22, in this order.
    virtual ~CCeMWnd();
    virtual int Create(LPCWSTR className, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                       HWND parent, UINT id);
    virtual int Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
    virtual int CreateEx(DWORD exStyle, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                         HWND parent, UINT id);
    virtual int Destroy();
    virtual int CreateControl(LPCWSTR className, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                              HWND parent, UINT id);
    virtual int CreateControlEx(LPCWSTR className, LPCWSTR title, DWORD style, DWORD exStyle,
                                const CCeMPlacement& pl, HWND parent, UINT id);
    // Takes over a foreign window's procedure. 0 when a window is bound, the
    // handle is null, or the window map has no place for it (nothing is
    // bound then, and the window keeps its own procedure).
    virtual int Attach(HWND hwnd);
    virtual int RunMessageLoop();
    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    virtual int OnCommand(int notifyCode, int id, HWND control);
    virtual int OnCreate(HWND hwnd, LPCREATESTRUCTW cs);
    virtual int OnClose(HWND hwnd);
    virtual int OnDestroy(HWND hwnd);
    virtual void OnPaint(HWND hwnd);
    virtual int OnLButtonDown(WPARAM keys, int x, int y);
    virtual int OnLButtonUp(WPARAM keys, int x, int y);
    virtual int OnRButtonDown(WPARAM keys, int x, int y);
    virtual int OnRButtonUp(WPARAM keys, int x, int y);
    virtual int OnMouseMove(WPARAM keys, int x, int y);
    virtual void OnNotify(WPARAM wp, LPARAM lp);
    virtual int OnSetFocus(HWND other);
    virtual int OnKillFocus(HWND other);

    int RegisterWindowClass(LPCWSTR className, UINT classStyle, HBRUSH background, HICON icon,
                            LPCWSTR menuName, HCURSOR cursor);
    int UnregisterWindowClass();

    HWND GetHwnd() const { return m_hWnd; }
    UINT GetId() const { return m_nId; }
    const wchar_t* ClassName() const { return m_szClassName; }
    // An attached window keeps a foreign procedure behind the shared one.
    bool IsAttached() const;

    // Default processing where no object (or no handler) takes a message.
    static LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

protected:
    // Default processing for this object's window: DefWindowProcW for its
    // own windows, the control's own procedure for an attached one.
    LRESULT CallDefault(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND m_hWnd;
    UINT m_nId;
    WNDPROC m_pfnPrevProc;
    wchar_t m_szClassName[kClassNameLength];

private:
    int CreateWindowOfClass(DWORD exStyle, LPCWSTR title, DWORD style, const CCeMPlacement& pl,
                            HWND parent, UINT id);
    int CreateAnyControl(LPCWSTR className, LPCWSTR title, DWORD style, DWORD exStyle,
                         const CCeMPlacement& pl, HWND parent, UINT id);
};
