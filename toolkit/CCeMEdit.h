#pragma once
// A system edit control with a tap-and-hold menu (Copy, Paste, Cut, Clear,
// Select All) and the input panel shown while it has the focus.
#include "toolkit/CCeMWnd.h"

class CCeMEdit : public CCeMWnd {
public:
    enum MenuCommand { kCopy = 100, kPaste = 101, kCut = 102, kClear = 103, kSelectAll = 104 };

    CCeMEdit();
    ~CCeMEdit() override;

    using CCeMWnd::Create;
    int Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCommand(int code, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnSetFocus(HWND other) override;
    int OnKillFocus(HWND other) override;

    HMENU ContextMenu() const { return m_hMenu; }
    void SetInputPanel(int on) { m_bInputPanel = on; }

private:
    bool IsReadOnly() const;
    void DestroyContextMenu();

    int m_bInputPanel;
    HMENU m_hMenu;
};
