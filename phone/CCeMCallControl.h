#pragma once
// The phone's call state machine: follows the modem link's call state one
// transition behind, shows what happens on the display, rings, books ended
// calls into the call list and the call-time totals, and owns the checks
// made before dialling and the keys pressed during a call.
//
// Runs on the main window's thread; the link's values are stable while a
// handler runs because the reader thread sends its messages synchronously.
#include <windows.h>

#include "stores/CCeDataManager.h"

class CCeMWndLcd;

// What call control asks of the main window.
class CCeMCallHost {
public:
    virtual ~CCeMCallHost() = default;
    // A call rings: the window comes forward with the dial pad.
    virtual void ShowDialView() = 0;
    // A call was booked: the call list and call information views refresh
    // when they are shown.
    virtual void CallListChanged() = 0;
};

class CCeMCallControl {
public:
    // Key indices of the dial pad and the in-call keys.
    enum Key { KEY_STAR = 10, KEY_HASH = 11, KEY_SEND = 12, KEY_CLEAR = 13, KEY_END = 14 };

    CCeMCallControl(CCeDataManager& data, CCeMWndLcd& lcd, CCeMCallHost* host);

    // Clears the call record and the link's call values, directs the link's
    // messages to `mainWindow` (texts to `messageWindow`, or the main window
    // when null) and starts opening the link on the module's port. The
    // StartOpening result: 0 under way, -1 when it cannot start.
    int ResetCall(HWND mainWindow, HWND messageWindow = nullptr);
    // The clearing part alone.
    void ResetRecord();

    // WM_MODEM_COMMEVENT: the waiting-caller line, then the transition for
    // a changed call state.
    void CheckState();
    // The caller-id answer (result flag 1 = the number is present).
    void OnCallerId(int numberPresent);
    // WM_MODEM_ERROR: the text blinks on the message line for 5 seconds.
    void OnModemError(LPCWSTR text);

    // The pre-dial checks, then the dial request. An empty number dials the
    // newest call-list entry. 0 when the request went to the link, -1 when
    // refused (with its text on the display, or silently during a call).
    int Dial(LPCWSTR number);
    // Dials what the number line holds.
    int DialNumberLine();
    // A key while a call is in progress (key index 0-14, press kind).
    void InCallKey(int key, int kind);
    // Another screen puts a number on the number line: only between calls.
    // 1 when done, 0 when refused.
    int PutNumber(LPCWSTR text);
    // Set while the message screens send a text message.
    void SetSendingMessage(int sending);

    // A call is in progress: the last handled state is neither idle nor released.
    bool InCall() const;
    LONG LastState() const { return m_data.m_Call.nLastState; }

private:
    void OutgoingStart();
    void RingStart();
    // Returns false when the connection was marked as the message transport's.
    bool Connect();
    void EndOfCall();
    void IncomingCallWork(int numberPresent, bool atRingStart);
    void WaitingCallerLine();
    void BookCall(int kind);
    void ShowStandingRestriction();
    void Blink(LPCWSTR text, int seconds);
    void Steady(LPCWSTR text);
    void LedOff();

    CCeDataManager& m_data;
    CCeMWndLcd& m_lcd;
    CCeMCallHost* m_pHost;
};
