#pragma once
// The text-message screen (view 4): a title band with the tab choice, the
// message list with its reader, and the composer. It is also the window the
// modem link tells of received messages and send verdicts, so it stores
// new messages while the user is elsewhere.
#include <windows.h>

#include <string>

#include "screens/messaging/CCeMSmsListWnd.h"
#include "screens/messaging/CCeMSmsSenderWnd.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMWnd.h"

class CCeMModem;

class CCeMWndSMS : public CCeMWnd {
public:
    enum Command { kBack = 100, kNewMessage = 101, kTabs = 102, kRedrawTitle = 110 };
    enum ChildId { kListId = 103, kComposerId = 104 };
    static constexpr int kCloseRequest = 1000;  // to the parent, with our id
    // From the main window: open the composer (wParam UTF-16 number and
    // lParam UTF-16 text, or wParam 0 and lParam the number).
    static constexpr UINT WM_OPEN_COMPOSER = 4126;
    // From the main window when the module went away: a run being sent
    // cannot go on, and what it still holds fails at once.
    static constexpr UINT WM_STOP_SENDING = 4134;
    static constexpr int kTitleHeight = 24;
    static constexpr UINT kReadTimer = 1;
    static constexpr UINT kReadDelayMs = 500;

    // Null link: the program's own (the data manager's).
    explicit CCeMWndSMS(CCeDataManager& data, CCeMModem* link = nullptr);
    ~CCeMWndSMS() override;

    using CCeMWnd::Create;
    // A hidden child of `parent` at `pl` (the main window's view rectangle).
    int Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id);
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;

    // WM_MODEM_SMSNEW: `count` records delivered, or 0 for an announcement.
    void OnNewMessages(int count, const ModemSmsRecord* records);
    void ShowComposer();
    void ShowList();
    bool IsComposerShown() const { return m_bComposer != 0; }
    // The title line as drawn; `excess` tells it is drawn in red.
    std::wstring TitleText(bool* excess = nullptr) const;

    CCeMSmsListWnd& List() { return m_list; }
    CCeMSmsSenderWnd& Composer() { return m_composer; }
    HWND TabCombo() const { return m_tabs.GetHwnd(); }
    HWND Button(int id) const { return GetDlgItem(m_hWnd, id); }

private:
    CCeMModem* Link() const;
    void OnShown();
    void RedrawTitle();
    void PlayTone();
    void OpenComposerFor(WPARAM wp, LPARAM lp);

    CCeDataManager& m_data;
    CCeMModem* m_pLink;
    CCeMSmsListWnd m_list;
    CCeMSmsSenderWnd m_composer;
    CCeMComboBox m_tabs;
    CCeMButton m_back;
    CCeMButton m_new;
    HFONT m_hFont = nullptr;
    int m_bComposer = 0;
};
