#pragma once
// Base of the call screens shown as views of the main window: a child
// window at the view rectangle with the header band, its title and the back
// button (id 100). Talks to its parent only by window messages.
#include <windows.h>

#include "stores/CCeDataManager.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMWnd.h"

class CCeMCallScreen : public CCeMWnd {
public:
    static constexpr UINT kBackId = 100;
    static constexpr UINT kBackBitmap = 164;
    // WM_COMMAND notification code of a screen asking to be closed.
    static constexpr int kCloseRequest = 1000;
    // Child notification to the main window (code / sender).
    static constexpr UINT WM_CHILD_NOTIFY = 4024;

    CCeMCallScreen(CCeDataManager& data, LPCWSTR className, LPCWSTR title, int titleRight);
    ~CCeMCallScreen() override;

    // Creates the screen as a visible child of `parent` at `pl`.
    virtual int CreateScreen(HWND parent, const CCeMPlacement& pl, UINT id);

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    void OnPaint(HWND hwnd) override;
    int OnCommand(int notifyCode, int id, HWND control) override;

protected:
    int CreateWithVisibility(HWND parent, const CCeMPlacement& pl, UINT id, bool visible);
    // Everything below the title band, on a white background.
    virtual void PaintBody(HDC dc) = 0;
    // Asks the parent to close this screen (posted: the parent destroys us).
    void RequestClose();
    // Saves the settings; tells the user when the store refused the write.
    int SaveSettings();
    // The toolkit's message box; 1 when the user chose OK.
    int Ask(LPCWSTR text);
    void Tell(LPCWSTR text, LPCWSTR caption);
    void MakeImageButton(HWND parent, CCeMImageButton& button, UINT resId, LPCWSTR label, const CCeMPlacement& pl, UINT id);

    CCeDataManager& m_data;
    int m_nWidth = 0;
    int m_nHeight = 0;
    HFONT m_hFont = nullptr;
    HFONT m_hTitleFont = nullptr;

private:
    const wchar_t* m_pszClass;
    const wchar_t* m_pszTitle;
    int m_nTitleRight;
    CCeMImageButton m_Back;
};
