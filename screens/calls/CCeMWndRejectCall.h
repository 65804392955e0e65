#pragma once
// The call rejection screen: the list of rejected numbers with its add page,
// and add / delete buttons in the header band.
#include "CCeMCallScreen.h"
#include "screens/messaging/CCeMDenyListWnd.h"

class CCeMWndRejectCall : public CCeMCallScreen {
public:
    enum ControlId { kAddId = 101, kDeleteId = 102, kListId = 103 };
    static constexpr UINT kAddBitmap = 167;
    static constexpr UINT kDeleteBitmap = 166;

    explicit CCeMWndRejectCall(CCeDataManager& data);

    int CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnCommand(int notifyCode, int id, HWND control) override;

    CCeMDenyListWnd& List() { return m_List; }

protected:
    void PaintBody(HDC dc) override;

private:
    CCeMDenyListWnd m_List;
    CCeMImageButton m_Add;
    CCeMImageButton m_Delete;
};
