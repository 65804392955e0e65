#pragma once
// The modal wait while the module is put into naming mode, programmed and
// reset: each second, before the count is lowered, the count left picks the
// command to send.
#include "modem/CCeMModem.h"
#include "toolkit/CCeMDialog.h"

class CCeMNamCountdown : public CCeMDialog {
public:
    enum Mode { MODE_SELECT = 0, MODE_NUMBER = 1 };

    // `number`: 8-bit text for MODE_NUMBER; `index`: the assignment for
    // MODE_SELECT; `activeNam`: the assignment active when it started.
    CCeMNamCountdown(CCeMModem& modem, int mode, const char* number, int index, int activeNam);

    // Runs the wait; returns when the count reached 0.
    INT_PTR Run(HWND parent);
    // Milliseconds per count (a second unless a test hurries it).
    void SetTickMs(UINT ms) { m_uTickMs = ms; }
    int Seconds() const;

    int OnInitDialog(HWND hwnd) override;
    int OnTimer(UINT timerId) override;

    // The command due at `remaining` in this mode (sent through the link).
    void StepAt(int remaining);

private:
    CCeMModem& m_modem;
    int m_nMode;
    char m_szNumber[32];
    int m_nIndex;
    int m_nActiveNam;
    UINT m_uTickMs;
    HCURSOR m_hOldCursor;
};
