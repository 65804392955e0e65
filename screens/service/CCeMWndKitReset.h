#pragma once
// Resets the phone module, unless a call or a text message is under way.
#include "screens/service/CCeMTabScreen.h"

class CCeMWndKitReset : public CCeMTabScreen {
public:
    static constexpr UINT kResetId = 101;
    static constexpr int kDefaultWaitSeconds = 15;
    enum Outcome { REFUSED_CALL = -1, REFUSED_SENDING = -2, NO_LINK = -3, RESET = 1 };

    explicit CCeMWndKitReset(CCeDataManager& data);
    ~CCeMWndKitReset() override;

    int OnCommand(int notifyCode, int id, HWND control) override;
    // Button 101: checks, the reset command and the wait; returns an Outcome.
    int Reset();
    void SetWaitSeconds(int seconds) { m_nWaitSeconds = seconds; }

protected:
    void CreateControls(HWND hwnd) override;
    void PaintPage(HDC dc) override;
    // A notice in the program's message box, closing itself after `seconds`.
    virtual void ShowNotice(LPCWSTR text, int seconds);

private:
    int m_nWaitSeconds;
};
