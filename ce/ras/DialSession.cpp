#include "DialSession.h"

#include "ce_serialapi.h"

#include <vector>

#include "PhoneBook.h"
#include "PppConfig.h"

namespace ceras {
namespace {

// How long the modem may take over a plain command.
constexpr DWORD kCommandMs = 3000;
// After DTR drops: how long carrier may take to follow.
constexpr DWORD kCarrierDropMs = 2000;
// A poll of the port: a read returns at its first byte or after this.
constexpr DWORD kPollMs = 50;
// Longest wait for the network to answer, whatever the entry says.
constexpr DWORD kMaxSetupSeconds = 300;

bool IsFinal(const std::string& line)
{
    for (const char* word : {"OK", "CONNECT", "NO CARRIER", "BUSY", "NO DIALTONE", "NO ANSWER", "ERROR"})
        if (line.compare(0, strlen(word), word) == 0)
            return true;
    return false;
}

}  // namespace

std::wstring PortOfDevice(const std::wstring& device)
{
    HKEY active;
    if (device.empty() || RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Drivers\\Active", 0, KEY_READ, &active) != ERROR_SUCCESS)
        return std::wstring();
    std::wstring port;
    wchar_t sub[256];
    for (DWORD i = 0; port.empty(); ++i) {
        DWORD len = 256;
        if (RegEnumKeyExW(active, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY k;
        if (RegOpenKeyExW(active, sub, 0, KEY_READ, &k) != ERROR_SUCCESS)
            continue;
        const std::wstring name = GetString(k, L"Name"), driverKey = GetString(k, L"Key");
        RegCloseKey(k);
        HKEY d;
        if (name.empty() || driverKey.empty() ||
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, driverKey.c_str(), 0, KEY_READ, &d) != ERROR_SUCCESS)
            continue;
        if (GetString(d, L"FriendlyName") == device)
            port = name;
        RegCloseKey(d);
    }
    RegCloseKey(active);
    return port;
}

DWORD PlanOfEntry(const std::wstring& name, DialPlan* plan)
{
    StoredEntry e;
    if (!ValidEntryName(name.c_str()) || ReadEntry(name.c_str(), &e) != ERROR_SUCCESS)
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    SecureZeroMemory(&e.password[0], e.password.size() * sizeof(wchar_t));
    const wchar_t* dev = e.entry.szDeviceName;
    plan->device.assign(dev, wcsnlen(dev, RAS_MaxDeviceName + 1));
    const ModemConfig c = ConfigOf(e.devCfg);
    plan->init = InitCommand(c);
    plan->number = DialedNumber(e.entry);
    plan->baud = c.baud;
    plan->setupSeconds = c.timeout < kMaxSetupSeconds ? c.timeout : kMaxSetupSeconds;
    if (plan->number.empty())
        return ERROR_INVALID_PARAMETER;
    plan->port = PortOfDevice(plan->device);
    return plan->port.empty() ? ERROR_DEVICE_NOT_AVAILABLE : ERROR_SUCCESS;
}

bool DialSession::Configure(DWORD baud)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port_, &dcb))
        return false;
    dcb.BaudRate = baud;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = dcb.fInX = FALSE;
    // A read returns at its first byte, or empty after the poll time.
    COMMTIMEOUTS t{MAXDWORD, MAXDWORD, kPollMs, 0, 5000};
    return SetCommState(port_, &dcb) && SetCommTimeouts(port_, &t) && EscapeCommFunction(port_, SETDTR) &&
           PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR);
}

bool DialSession::Send(const std::string& text)
{
    DWORD n = 0;
    if (!WriteFile(port_, text.data(), static_cast<DWORD>(text.size()), &n, nullptr))
        return false;
    written_ += n;
    return n == text.size();
}

std::string DialSession::ReadFor(DWORD ms, size_t max)
{
    std::string got;
    const DWORD start = GetTickCount();
    char buf[512];
    while (got.size() < max) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(max - got.size() < sizeof buf ? max - got.size() : sizeof buf);
        if (!ReadFile(port_, buf, want, &n, nullptr))
            break;
        read_ += n;
        got.append(buf, n);
        if (GetTickCount() - start >= ms)
            break;
    }
    return got;
}

std::string DialSession::Await(DWORD ms, const std::atomic<bool>& cancel)
{
    const DWORD start = GetTickCount();
    std::string text;
    while (GetTickCount() - start < ms) {
        if (cancel)
            return std::string();
        text += ReadFor(kPollMs, 1024);
        // Whole lines only; the echo of the command is not a result.
        size_t from = 0;
        for (size_t end; (end = text.find_first_of("\r\n", from)) != std::string::npos; from = end + 1) {
            const std::string line = text.substr(from, end - from);
            if (IsFinal(line))
                return line;
        }
        if (text.size() > 4096)
            text.erase(0, text.size() - 1024);
    }
    return std::string();
}

DialSession::Outcome DialSession::Dial(const DialPlan& plan, const std::atomic<bool>& cancel, std::string* said)
{
    HangUp();
    port_ = CreateFileW(plan.port.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port_ == INVALID_HANDLE_VALUE)
        return kPortFailed;
    std::string last;
    if (!Configure(plan.baud)) {
        HangUp();
        return kPortFailed;
    }
    // The modem answers at all, then takes the entry's setting.
    for (const std::string& cmd : {std::string("AT"), plan.init}) {
        if (cmd.empty())
            continue;
        if (!Send(cmd + "\r")) {
            HangUp();
            return kPortFailed;
        }
        last = Await(kCommandMs, cancel);
        if (said)
            *said = last;
        if (cancel) {
            HangUp();
            return kCancelled;
        }
        if (last != "OK") {
            HangUp();
            return last.empty() ? kModemSilent : kRefused;
        }
    }
    if (!Send("ATDT" + plan.number + "\r")) {
        HangUp();
        return kPortFailed;
    }
    last = Await(plan.setupSeconds * 1000, cancel);
    if (said)
        *said = last;
    if (last.compare(0, 7, "CONNECT") == 0) {
        dataSent_ = dataReceived_ = 0;
        return kConnected;
    }
    HangUp();
    if (cancel)
        return kCancelled;
    return last.empty() ? kNoAnswer : kRefused;
}

bool DialSession::Online() const
{
    DWORD status = 0;
    return port_ != INVALID_HANDLE_VALUE && GetCommModemStatus(port_, &status) && (status & MS_RLSD_ON);
}

bool DialSession::Exchange(size_t count, DWORD ms)
{
    if (port_ == INVALID_HANDLE_VALUE)
        return false;
    // A pattern that differs from call to call, so a stale echo shows.
    std::string out(count, '\0');
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<char>('a' + (pattern_++ % 26));
    if (!Send(out))
        return false;
    dataSent_ += count;
    const DWORD start = GetTickCount();
    std::string back;
    while (back.size() < count && GetTickCount() - start < ms) {
        const std::string got = ReadFor(kPollMs, count - back.size());
        dataReceived_ += got.size();
        back += got;
        if (got.empty() && !Online())
            break;
    }
    return back == out;
}

void DialSession::HangUp()
{
    if (port_ == INVALID_HANDLE_VALUE)
        return;
    if (Online()) {
        EscapeCommFunction(port_, CLRDTR);
        const DWORD start = GetTickCount();
        while (Online() && GetTickCount() - start < kCarrierDropMs)
            ReadFor(kPollMs, 1024);
        ReadFor(kPollMs, 1024);  // "NO CARRIER"
    }
    CloseHandle(port_);
    port_ = INVALID_HANDLE_VALUE;
}

}  // namespace ceras
