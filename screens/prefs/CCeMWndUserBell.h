#pragma once
// The user ring-tone screen: ring tones per person or per contact group, one
// list shown at a time, switched by a drop-down list in the title band.
#include "CCeMBellLists.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMWnd.h"

class CCeMWndUserBell : public CCeMWnd {
public:
    enum Control { kClose = 100, kAdd = 101, kDelete = 102, kKind = 103, kPersonList = 104, kGroupList = 105 };

    CCeMWndUserBell();
    ~CCeMWndUserBell() override;

    using CCeMWnd::Create;
    // Registers "CCeMWndUserBell" and creates the window as a child.
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);
    // Shows or hides the screen; shown, the visible list has the focus.
    void ShowScreen(int showCommand);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    void OnPaint(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;

    CCeMPersonBellList& PersonList() { return m_person; }
    CCeMGroupBellList& GroupList() { return m_group; }
    HWND KindChoice() const { return m_kind.GetHwnd(); }
    CCeMBellList& VisibleList();

private:
    CCeMImageButton m_closeButton;
    CCeMImageButton m_addButton;
    CCeMImageButton m_deleteButton;
    CCeMComboBox m_kind;
    CCeMPersonBellList m_person;
    CCeMGroupBellList m_group;
    HBITMAP m_hBackground;
    HBRUSH m_hFrameBrush;
    HFONT m_hFont;
};
