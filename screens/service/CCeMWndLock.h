#pragma once
// The phone lock and usage restrictions, behind the 4-digit password typed
// on the screen's keypad. Page 0 turns the lock on or off, page 1 sets the
// four restrictions; the phone core reads the flags from the settings.
#include "screens/service/CCeMPassKeypad.h"
#include "screens/service/CCeMTabScreen.h"
#include "screens/service/PasswordEntry.h"

class CCeMWndLock : public CCeMTabScreen {
public:
    static constexpr UINT kKeypadId = 101;
    static constexpr UINT kLockOn = 102;
    static constexpr UINT kLockOff = 103;
    static constexpr UINT kBarOutgoing = 110;
    static constexpr UINT kBarIncoming = 111;
    static constexpr UINT kBarInternational = 112;
    static constexpr UINT kPrivacy = 113;
    static constexpr int kNotifyLock = 4;  // child notification: the lock changed

    explicit CCeMWndLock(CCeDataManager& data);
    ~CCeMWndLock() override;

    int OnCommand(int notifyCode, int id, HWND control) override;

    // A key code of the keypad (0-9 digits, 10 clear); what a tap reports.
    void OnKey(int key);
    bool IsAccepted() const { return m_bAccepted != 0; }
    const PasswordEntry& Typed() const { return m_typed; }
    CCeMPassKeypad& Keypad() { return m_keypad; }

protected:
    void CreateControls(HWND hwnd) override;
    void OnTabChanged(int tab) override;
    void PaintPage(HDC dc) override;

private:
    void ShowPageControls();

    CCeMPassKeypad m_keypad;
    PasswordEntry m_typed;
    int m_bAccepted;
};
