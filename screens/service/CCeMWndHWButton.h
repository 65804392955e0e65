#pragma once
// Assigns a phone function to each of the handheld's four application
// buttons and binds the button to the main window through the shell.
#include "screens/service/CCeMTabScreen.h"

class CCeMWndHWButton : public CCeMTabScreen {
public:
    static constexpr UINT kFirstList = 101;  // lists 101-104, keys 0xC1-0xC4
    static constexpr int kButtons = 4;
    static constexpr int kFunctions = 11;
    static constexpr BYTE kFirstAppKey = 0xC1;
    static const wchar_t* const kFunctionNames[kFunctions];

    explicit CCeMWndHWButton(CCeDataManager& data);
    ~CCeMWndHWButton() override;

    int OnCommand(int notifyCode, int id, HWND control) override;
    // Stores `function` for button `button` (0-3), binds or releases its key
    // and saves; false (nothing changed) for an index outside the list.
    bool Assign(int button, int function);

protected:
    void CreateControls(HWND hwnd) override;
    void PaintPage(HDC dc) override;
    // The window the keys are bound to: the top-level window holding the screen.
    virtual HWND KeyWindow() const;
};
