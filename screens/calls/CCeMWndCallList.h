#pragma once
// The call list screen (view 3): the kind filter with its header count, the
// entry list with its detail page, back and delete-all. Created hidden with
// the main window and shown by the view switch.
#include "CCeMCallListView.h"
#include "CCeMCallScreen.h"
#include "toolkit/CCeMControls.h"

class CCeMWndCallList : public CCeMCallScreen {
public:
    enum ControlId { kDeleteAllId = 101, kFilterId = 102, kListId = 103 };
    static constexpr UINT kDeleteAllBitmap = 166;

    explicit CCeMWndCallList(CCeDataManager& data);

    // Created hidden: the view switch shows it.
    int CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnCommand(int notifyCode, int id, HWND control) override;

    // What the phone core calls after a call: the list refills from the store.
    void Reload();
    void DeleteAll();
    CCeMCallListView& List() { return m_List; }

protected:
    void PaintBody(HDC dc) override;

private:
    void OnShown();

    CCeMImageButton m_DeleteAll;
    CCeMComboBox m_Filter;
    CCeMCallListView m_List;
    // Cached calls when the rows were last filled: a call added by the phone
    // core shows at the next repaint.
    int m_nSeenItems = -1;
};
