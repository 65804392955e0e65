#pragma once
// Owns one menu handle (a pop-up or a bar). Every operation answers 0 when
// there is no menu.
#include <windows.h>

class CCeMMenu {
public:
    CCeMMenu() = default;
    ~CCeMMenu() { DestroyMenu(); }
    CCeMMenu(const CCeMMenu&) = delete;
    CCeMMenu& operator=(const CCeMMenu&) = delete;

    int CreateBar();
    int CreatePopup();
    int DestroyMenu();
    int Append(UINT_PTR id, LPCWSTR text, UINT flags);
    int Check(UINT item, UINT flags);
    int Enable(UINT item, UINT flags);
    int Track(UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);

    HMENU Handle() const { return m_hMenu; }

private:
    HMENU m_hMenu = nullptr;
};
