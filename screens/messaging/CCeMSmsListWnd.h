#pragma once
// The message list of the message window: the rows of one tab of the
// message store, the reader that shows the current message over the rows
// with its toolbar, and the row's hold menus. Asks the main window (the
// list's grandparent) to dial, to open the composer and to add a contact.
#include <windows.h>

#include <string>

#include "stores/CCeDataManager.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMEdit.h"
#include "toolkit/CCeMItemList.h"

class CCeMSmsListWnd : public CCeMItemList {
public:
    static constexpr int kMaxRows = 15;
    static constexpr int kToolbarId = 105;
    static constexpr int kTextBoxId = 106;
    // The reader's toolbar: command i has the button id kToolFirstId + i.
    enum Tool { kToolCall, kToolReply, kToolSave, kToolAddContact, kToolDelete, kToolForward, kToolPrevious,
                kToolNext, kToolCount };
    static constexpr UINT kToolFirstId = 200;
    // Hold-menu commands.
    enum Command { kCall = 100, kReply = 101, kDelete = 102, kDeleteAll = 103, kVoiceMail = 104 };
    // Requests to the main window.
    static constexpr UINT WM_PUT_NUMBER = 4124;
    static constexpr UINT WM_DIAL_NUMBER = 4125;
    static constexpr UINT WM_OPEN_COMPOSER = 4126;
    static constexpr UINT WM_SHOW_MESSAGES = 4127;
    static constexpr UINT WM_ADD_CONTACT = 4128;
    static constexpr int kNotifyCounts = 5;  // child notification: the counts changed
    static constexpr COLORREF kUnreadInk = RGB(0, 0, 255);
    static constexpr COLORREF kFailedInk = RGB(255, 0, 0);
    static constexpr int kHeaderLines = 4;
    static constexpr int kHeaderLineHeight = 13;
    static constexpr int kToolbarHeight = 20;

    explicit CCeMSmsListWnd(CCeDataManager& data);
    ~CCeMSmsListWnd() override;

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void DrawItems(HDC dc, const RECT& full) override;
    void OnSelChange(int selected, int changed) override;
    void OnItemClick(int selected, int y) override;
    int OnTapAndHold(int x, int y) override;
    void OnScroll() override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;

    // Tab 0 all, 1 received, 2 sent, 3 voice: top and selection cleared,
    // the store's current item forgotten, the reader closed.
    void SetTab(int tab);
    int Tab() const { return m_nTab; }
    // Item count and rows again from the store's cache, keeping the place.
    void Refresh();
    void OpenReader();
    void CloseReader();
    bool IsReaderOpen() const { return m_bReader != 0; }
    // Hold-menu and toolbar commands on the current item.
    void RunCommand(int command);
    void RunTool(int tool);

    int RowCount() const { return m_nRows; }
    const SmsItem* Row(int i) const { return i >= 0 && i < m_nRows ? m_pRows[i] : nullptr; }
    HWND TextBox() const { return m_text.GetHwnd(); }
    HWND ToolButton(int tool) const { return m_tools[tool].GetHwnd(); }
    HMENU Menu(bool voice) const { return voice ? m_hVoiceMenu : m_hMenu; }
    // The row's text colour of an item.
    static COLORREF RowInk(const SmsItem& item);
    // Index in the icon strip for an item's state and teleservice.
    static int IconIndex(const SmsItem& item);

private:
    CCeSmsDB& Store() const { return m_data.m_SmsDB; }
    bool Private() const { return m_data.m_Settings.bPrivacy == 1; }
    HWND MainWindow() const;
    void Notify(int code);
    void FillRows();
    void SelectIndex(int index);
    void ShowCurrentText();
    void UpdateTools();
    void PlaceReader(bool open);
    void DrawRow(HDC dc, int row, const SmsItem& item);
    void DrawReaderHeader(HDC dc);
    void MakeIcons();
    void CallNumber(const char* number);
    void Compose(bool withText);
    void AddContact();
    void SavePhrase();
    void DeleteOne(bool fromReader);
    void DeleteAll();
    void Step(int delta);

    CCeDataManager& m_data;
    int m_nTab = 0;
    SmsItem* m_pRows[kMaxRows] = {};
    int m_nRows = 0;
    int m_bReader = 0;
    int m_bHeld = 0;  // the pen went down and stayed: no tap
    CCeMEdit m_text;
    CCeMButton m_tools[kToolCount];
    HMENU m_hMenu = nullptr;
    HMENU m_hVoiceMenu = nullptr;
    HFONT m_hTextFont = nullptr;
    HFONT m_hSmallFont = nullptr;
    HBITMAP m_hIcons = nullptr;
};
