#pragma once
// A real window that records the modem link's messages in arrival order.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct LoggedMessage {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LONG callState;      // the link's CallState while the message was handled
    std::string caller;  // and its caller number
    std::wstring text;   // WM_MODEM_ERROR's text
};

class CCeMModem;

class MessageLog {
public:
    explicit MessageLog(CCeMModem* modem);
    ~MessageLog();

    HWND Window() const { return m_hwnd; }
    const std::vector<LoggedMessage>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }
    // Messages of one kind, in order.
    std::vector<LoggedMessage> Of(UINT msg) const;
    size_t Count(UINT msg) const { return Of(msg).size(); }
    // Pumps until `count` messages of `msg` arrived.
    bool WaitCount(UINT msg, size_t count, DWORD timeoutMs = 3000);

    // Runs inside the window procedure after a message was logged.
    std::function<void(const LoggedMessage&)> onMessage;

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);

    HWND m_hwnd;
    CCeMModem* m_modem;
    std::vector<LoggedMessage> m_entries;
};
