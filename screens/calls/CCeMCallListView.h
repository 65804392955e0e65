#pragma once
// The entry list of the call list screen: rows of one filter, the detail
// page of the current entry with its button bar, and the row pop-up menu.
// Asks the main window (its grandparent) to dial or write to a number.
#include <windows.h>

#include "stores/CCeDataManager.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMItemList.h"

class CCeMCallListView : public CCeMItemList {
public:
    static constexpr int kPageSize = 15;
    static constexpr int kHeaderRow = 20;
    // Detail bar cells (button ids are kBarFirstId + cell).
    enum Cell { kCellCall, kCellText, kCellAdd, kCellDelete, kCellPrevious, kCellNext, kCellCount };
    static constexpr UINT kBarFirstId = 300;
    // Row pop-up menu items.
    enum MenuItem { kMenuCall = 104, kMenuText = 105, kMenuAdd = 106, kMenuDelete = 107 };
    // To the main window: put an 8-bit number on the number line (answers 1
    // when taken), dial it, open the composer, show the message view, and
    // store a number as a contact (wParam UTF-16 number, lParam sender).
    static constexpr UINT WM_PUT_NUMBER = 4124;
    static constexpr UINT WM_DIAL_NUMBER = 4125;
    static constexpr UINT WM_COMPOSE_TO = 4126;
    static constexpr UINT WM_SHOW_MESSAGES = 4127;
    static constexpr UINT WM_ADD_CONTACT = 4128;

    explicit CCeMCallListView(CCeDataManager& data);
    ~CCeMCallListView() override;

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int notifyCode, int id, HWND control) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void OnSelChange(int selected, int changed) override;
    void OnItemDblClick(int row) override;
    int OnTapAndHold(int x, int y) override;
    void OnScroll() override;

    // Filter 0 all, 1 dialled, 2 received, 3 missed and rejected: starts
    // again from the top (a detail page is closed first).
    void SetFilter(int filter);
    int Filter() const { return m_nFilter; }
    // Loads the store again and refills from the top.
    void Reload();
    // Refills the rows from the store's cache, keeping the place.
    void Refill();
    void OpenDetail();
    void CloseDetail();
    bool IsDetailOpen() const { return m_bDetail != 0; }
    int CurrentPosition() const { return m_nCurrent; }
    // Row actions on the current entry.
    void CallBack();
    void SendText();
    void AddToContacts();
    void DeleteCurrent(bool fromDetail);
    void Step(int delta);
    // The shown rows (copies: the store may be reloaded under them).
    int PageCount() const { return m_nPage; }
    const CallItem& PageItem(int i) const { return m_Page[i]; }
    CCeMImageButton& BarButton(int cell) { return m_Bar[cell]; }

private:
    HWND MainWindow() const;
    bool Privacy() const { return m_data.m_Settings.bPrivacy == 1; }
    void SelectPosition(int position);
    void UpdateBar();
    void DrawRow(HDC dc, int row, const CallItem& item);
    void DrawDetail(HDC dc);
    void DrawStatusIcon(HDC dc, int x, int y, int kind);
    void MakeIcons();
    // A menu item's action (the detail bar's first four cells do the same).
    void RunAction(int item, bool fromDetail);
    void TellScreen();

    CCeDataManager& m_data;
    int m_nFilter = 0;
    int m_nCurrent = -1;
    CallItem m_Page[kPageSize];
    int m_nPage = 0;
    int m_bDetail = 0;
    HMENU m_hMenu = nullptr;
    CCeMImageButton m_Bar[kCellCount];
    HBITMAP m_hIcons = nullptr;
    int m_bOwnIcons = 0;
    HFONT m_hBold = nullptr;
};
