#pragma once
// One dial-up call of the handheld's dial-up program: the entry's modem port
// found by its device name, opened through the device manager, the number
// dialled with AT commands, data moved on the connection and the call hung
// up by dropping DTR. The port goes back when the session ends.
#include <windows.h>

#include <atomic>
#include <string>

namespace ceras {

// What a phone-book entry asks of the modem.
struct DialPlan {
    std::wstring device;  // the entry's device name
    std::wstring port;    // "COM3:"
    std::string init;     // a command sent before dialling, or empty
    std::string number;   // dialled with "ATDT"
    DWORD baud = 115200;
    DWORD setupSeconds = 120;  // how long the network may take to answer
};

// The port of the active device whose driver registration has `device` as
// its friendly name (HKLM "Drivers\Active\NN" "Key" -> "FriendlyName");
// empty when no such card is in.
std::wstring PortOfDevice(const std::wstring& device);

// The plan for the stored entry `name`. ERROR_SUCCESS, or
// ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_INVALID_PARAMETER (no number) or
// ERROR_DEVICE_NOT_AVAILABLE (no port for its device); `plan->device` is
// filled as far as it was read.
DWORD PlanOfEntry(const std::wstring& name, DialPlan* plan);

class DialSession {
public:
    enum Outcome { kConnected, kPortFailed, kModemSilent, kRefused, kNoAnswer, kCancelled, kLost };

    DialSession() = default;
    ~DialSession() { HangUp(); }
    DialSession(const DialSession&) = delete;
    DialSession& operator=(const DialSession&) = delete;

    // Opens and configures the port, wakes the modem and dials. `cancel`
    // stops a dial under way; `said` gets the modem's last words.
    Outcome Dial(const DialPlan& plan, const std::atomic<bool>& cancel, std::string* said);
    // Sends `count` bytes and waits up to `ms` for the same bytes to come
    // back (the connection echoes them). false on any difference or loss.
    bool Exchange(size_t count, DWORD ms);
    // Carrier still up.
    bool Online() const;
    // DTR down, carrier awaited down, the modem's last words read, the port
    // closed. Safe to call again.
    void HangUp();

    // Every byte through the port, commands included.
    unsigned long long Written() const { return written_; }
    unsigned long long Read() const { return read_; }
    // The data bytes of the connection.
    unsigned long long DataSent() const { return dataSent_; }
    unsigned long long DataReceived() const { return dataReceived_; }

private:
    bool Configure(DWORD baud);
    bool Send(const std::string& text);
    // Reads what arrives within `ms` (at most `max` bytes).
    std::string ReadFor(DWORD ms, size_t max = 4096);
    // Waits for a final result line after a command; empty on time-out.
    std::string Await(DWORD ms, const std::atomic<bool>& cancel);

    HANDLE port_ = INVALID_HANDLE_VALUE;
    std::atomic<unsigned long long> written_{0}, read_{0}, dataSent_{0}, dataReceived_{0};
    unsigned pattern_ = 0;
};

}  // namespace ceras
