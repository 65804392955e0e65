#pragma once
// The speed-dial screen: a framed title band with close, assign and delete
// buttons around the speed-dial list.
#include "CCeMSpeedDialList.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMWnd.h"

class CCeMWndSpeedDial : public CCeMWnd {
public:
    enum Control { kClose = 100, kAssign = 101, kDelete = 102, kList = 103 };

    CCeMWndSpeedDial();
    ~CCeMWndSpeedDial() override;

    using CCeMWnd::Create;
    // Registers "CCeMWndSpeedDial" and creates the window as a child.
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    void OnPaint(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;

    CCeMSpeedDialList& List() { return m_list; }

private:
    CCeMImageButton m_closeButton;
    CCeMImageButton m_assignButton;
    CCeMImageButton m_deleteButton;
    CCeMSpeedDialList m_list;
    HBITMAP m_hBackground;
    HBRUSH m_hFrameBrush;
};
