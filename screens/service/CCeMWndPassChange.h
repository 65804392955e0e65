#pragma once
// Changing the 4-digit password in three steps: the current password, the
// new one, and the new one again.
#include "screens/service/CCeMPassKeypad.h"
#include "screens/service/CCeMTabScreen.h"
#include "screens/service/PasswordEntry.h"

class CCeMWndPassChange : public CCeMTabScreen {
public:
    static constexpr UINT kKeypadId = 101;
    enum Step { STEP_CURRENT = 0, STEP_NEW = 1, STEP_REPEAT = 2 };

    explicit CCeMWndPassChange(CCeDataManager& data);
    ~CCeMWndPassChange() override;

    int OnCommand(int notifyCode, int id, HWND control) override;

    // A key code of the keypad: 0-9 digits, 10 clear, 11 confirm.
    void OnKey(int key);
    int StepNow() const { return m_nStep; }
    bool HasError() const { return m_bError != 0; }
    const PasswordEntry& Field() const { return m_field; }
    const wchar_t* Prompt() const;
    CCeMPassKeypad& Keypad() { return m_keypad; }

protected:
    void CreateControls(HWND hwnd) override;
    void PaintPage(HDC dc) override;
    // A notice in the program's message box (it closes itself).
    virtual void ShowNotice(LPCWSTR text, LPCWSTR caption);

private:
    void Confirm();
    // Stores the new password; on a refused save the old one is kept.
    bool StorePassword();

    CCeMPassKeypad m_keypad;
    PasswordEntry m_field;
    wchar_t m_szNew[kPasswordLength + 1];
    int m_nStep;
    int m_bError;
};
