#pragma once
// Common frame of the service screens: a title bar with a close button,
// image-like tabs down the left edge, and a white content panel beside them.
// The frame is painted off-screen; each screen paints its page text and
// keeps its own controls.
#include <windows.h>

#include "stores/CCeDataManager.h"
#include "toolkit/CCeMWnd.h"

class CCeMTabScreen : public CCeMWnd {
public:
    static constexpr UINT kCloseId = 100;
    static constexpr int kCloseRequest = 1000;  // close command code to the parent
    static constexpr int kMaxTabs = 3;

    struct TabDef {
        RECT hit;              // where a tap selects the tab
        const wchar_t* label;  // drawn on the tab
        const wchar_t* title;  // drawn in the title bar
    };

    explicit CCeMTabScreen(CCeDataManager& data);
    ~CCeMTabScreen() override;

    // Creates the screen as a visible child showing `tab`.
    int CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id, int tab);
    // Turns to another page; out-of-range tabs are ignored.
    virtual void SelectTab(int tab);
    int CurrentTab() const { return m_nTab; }

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int notifyCode, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;

    // The panel right of the tabs, in client coordinates.
    static constexpr RECT kPanel = {100, 27, 237, 187};
    static constexpr RECT kPageText = {105, 35, 232, 180};

    // The text the page shows (empty for pages of controls only). It is also
    // the window's text, so other programs can read the screen.
    virtual void PageText(wchar_t* out, int outChars) const;

protected:
    // Tabs of the screen (count 0: a screen without tabs and a title only).
    void SetTabs(const TabDef* tabs, int count, const wchar_t* title);
    // Makes the screen's controls; called from WM_CREATE.
    virtual void CreateControls(HWND hwnd) = 0;
    // The selected page changed (also at creation).
    virtual void OnTabChanged(int tab) { (void)tab; }
    // Paints the page over the panel; `dc` is the off-screen picture.
    virtual void PaintPage(HDC dc) { (void)dc; }
    // Panel rectangle (screens without tabs use the whole width).
    RECT Panel() const;
    // Where the panel starts for a screen with narrower tabs.
    void SetPanelLeft(int x) { m_nPanelLeft = x; }

    // Asks the parent to close this screen.
    void RequestClose();
    // Tells the parent what changed (child notification with `code`).
    void NotifyParent(int code);
    // Saves the settings block; false when the store refused.
    bool SaveSettings();
    // Wraps a control made by a helper: the dialog font, and visibility.
    HWND MakeControl(LPCWSTR cls, LPCWSTR text, DWORD style, const CCeMPlacement& pl, UINT id);
    void Redraw();
    HFONT Font() const { return m_hFont; }
    // Draws `text` centred with word wrap in `rc`.
    void DrawCentred(HDC dc, LPCWSTR text, RECT rc, COLORREF color = RGB(0, 0, 0));

    CCeDataManager& m_data;
    int m_nTab;

private:
    void PaintFrame(HDC dc, const RECT& client);
    void PaintTab(HDC dc, int index);

    TabDef m_tabs[kMaxTabs];
    int m_nTabs;
    int m_nPanelLeft;
    const wchar_t* m_pszTitle;
    HFONT m_hFont;
    HFONT m_hTitleFont;
    HBRUSH m_hPanelBrush;
};
