#pragma once
// A system scroll bar control, attached.
#include "toolkit/CCeMWnd.h"

class CCeMScrollBar : public CCeMWnd {
public:
    using CCeMWnd::Create;
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);

    int GetPos() const;
    int GetRange(int* minPos, int* maxPos) const;
    int SetPos(int pos, BOOL redraw);
    int SetRange(int minPos, int maxPos, BOOL redraw);
};
