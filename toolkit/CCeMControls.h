#pragma once
// Thin wrappers: each creates its system control and attaches to it; the
// screens talk to the control with its own messages.
#include "toolkit/CCeMWnd.h"

class CCeMButton : public CCeMWnd {
public:
    using CCeMWnd::Create;
    int Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id) override;
};

class CCeMComboBox : public CCeMWnd {
public:
    using CCeMWnd::Create;
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
};

class CCeMListBox : public CCeMWnd {
public:
    using CCeMWnd::Create;
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
};

class CCeMProgress : public CCeMWnd {
public:
    using CCeMWnd::Create;
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
};

class CCeMTrackBar : public CCeMWnd {
public:
    using CCeMWnd::Create;
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
};
