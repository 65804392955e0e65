#pragma once
// The modem link: the serial channel, the command transactions and the
// parser in one object, which exists once in the application's global data.
#include <windows.h>

#include "modem/CCeMAtParser.h"
#include "modem/CCeMAtSender.h"
#include "modem/CCeMSerialPort.h"

class CCeMModem : public CCeMSerialPort, public CCeMAtSender, public CCeMAtParser {
public:
    static constexpr int NO_PORT = 100;

    CCeMModem();
    ~CCeMModem() override;

    // Port number of the module from the active drivers' registry entries,
    // or NO_PORT. The key is a parameter so tests can use a private one.
    static int FindModemPort(HKEY root = HKEY_LOCAL_MACHINE,
                             const wchar_t* path = L"Drivers\\Active");

    // Opens on a thread of its own, which posts WM_MODEM_OPENED with the
    // open result. 0 when started or already under way, -1 when it cannot start.
    int StartOpening(int port, int caller);

    int Open(int port, int caller) override;
    void Detach() override;
    int Close() override;
    void AfterOpen(BOOL success) override;

    // Called by the phone core every second while the link is ready or
    // locked: runs the pump and, when it sent nothing and no call is in
    // progress, queries the signal every 30th and the battery every 60th
    // such tick. Returns the pump's result.
    int TimerTick();
    int PollTickCount() const { return m_pollTick; }

    // Bytes the caller already holds from the module, outside any transaction.
    int WriteDirect(const char* text);

    void SetWindows(HWND main, HWND result, HWND message)
    {
        m_hWndMain = main;
        m_hWndResult = result;
        m_hWndMessage = message;
    }
    // Milliseconds to wait after each of the two lines written at open.
    void SetSettleDelay(DWORD ms) { m_settleMs = ms; }

    volatile LONG LinkState;
    volatile LONG LineCheckSuspended;
    BOOL OpenUnderWay() const { return m_bOpenUnderWay != 0; }
    static LONG RingBurstCount() { return s_ringBurst; }

protected:
    void HandleCommEvent(DWORD mask) override;
    virtual void Receive();
    virtual void LineCheck(DWORD mask);
    // The call state the module is in at start-up (a call already ringing or up).
    LONG PendingCallProbe();
    void IssueStartupQueries();

    // Sender and parser hooks.
    int WriteCommand(const void* bytes, DWORD count) override;
    BOOL CanIssue() override;
    void PrepareResend() override;
    void NotifyResultWindow(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnResultArrived(int id, int ok) override;
    void ForgetParsedBlock() override;
    void OnBlockResult(int id, int ok) override;
    void NotifyMessageWindow(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI OpenThreadProc(LPVOID self);
    void ResetLink();
    void FeedReceived();
    bool OpenThreadRunning() const;
    // Waits, answering messages sent to this thread, at most a few seconds;
    // an open thread stuck in a platform call is then ended by force.
    void WaitForOpenThread();
    // Sleeps `ms`; false, at once, when a close began meanwhile.
    bool Settle(DWORD ms);
    // Closing from a handler of a message the open or reader thread sent
    // (WM_MODEM_SENT, WM_MODEM_RESULT): that thread waits for our answer
    // while we would wait for it, so answer first.
    static void ReleaseSender();
    // An open result posted before the close began, not yet handled: the
    // close overrides it.
    void DropOpenedReports();

    HWND m_hWndMain;
    HWND m_hWndResult;
    HWND m_hWndMessage;
    volatile LONG m_bOpenUnderWay;
    volatile LONG m_bClosing;
    HANDLE m_hOpenThread;
    DWORD m_idOpenThread;
    int m_openPort;
    int m_openCaller;
    DWORD m_settleMs;
    DWORD m_lastRingTick;
    bool m_bRingSeen;
    int m_pollTick;  // 1 to 65534, idle ticks only
    static LONG s_ringBurst;  // process-wide
};
