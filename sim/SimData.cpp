// Packet data through the module: the dial, the data bytes (echoed back, so
// the handheld can check what it sent), the escape to commands and the
// hang-up.
#include "sim/SimModule.h"

#include <sstream>

namespace zen::sim {
namespace {

constexpr int kEscapeLength = 3;

}  // namespace

SimModule::Reply SimModule::RunData(const std::string& u)
{
    const Reply ok{{}, "OK", nullptr};
    const Reply error{{}, "ERROR", nullptr};
    if (u.compare(0, 7, "AT+CRM=") == 0) {
        // The packet rate setting the dial-up entry sends before dialling.
        const std::string value = u.substr(7);
        bool digits = !value.empty() && value.size() <= 3;
        for (char c : value)
            digits = digits && c >= '0' && c <= '9';
        return digits ? ok : error;
    }
    if (u == "ATH" || u == "ATH0") {
        EndData(false);
        return ok;
    }
    if (u == "ATO" || u == "ATO0") {
        if (!data_.connected)
            return Reply{{}, "NO CARRIER", nullptr};
        data_.online = true;
        lastDataTick_ = GetTickCount();
        plus_ = 0;
        return Reply{{}, "CONNECT 115200", nullptr};
    }
    // "ATD", "ATDT" or "ATDP" and the number.
    if (u.compare(0, 3, "ATD") != 0)
        return error;
    std::string number = u.substr(3);
    if (!number.empty() && (number[0] == 'T' || number[0] == 'P'))
        number.erase(0, 1);
    bool dialable = !number.empty() && number.size() <= 32;
    for (char c : number)
        dialable = dialable && ((c >= '0' && c <= '9') || c == '*' || c == '#');
    if (!dialable || data_.connected)
        return error;
    if (call_ != CallState::Idle)
        return Reply{{}, "BUSY", nullptr};
    if (registration_ >= 2)
        return Reply{{}, "NO CARRIER", nullptr};
    // The answer comes once the network has set the call up.
    const unsigned gen = ++dataGen_;
    scheduler_.After(dataConnectMs_, [this, gen, number] {
        Lock_ hold(lock_);
        if (gen != dataGen_ || !powered_)
            return;
        if (call_ != CallState::Idle) {
            EmitLine("NO CARRIER");  // a voice call came first
            return;
        }
        data_.connected = data_.online = true;
        data_.number = number;
        data_.callFrom = data_.callTo = 0;
        ++data_.calls;
        lastDataTick_ = GetTickCount();
        plus_ = 0;
        EmitLine("CONNECT 115200");
        SetLines(status_ | MS_RLSD_ON);
    });
    return Reply{{}, "", nullptr};
}

void SimModule::DataBytes(const std::string& received)
{
    std::string bytes = received;
    // The line feed behind the CR of "ATO" still belongs to the command.
    if (afterCr_ && !bytes.empty() && bytes[0] == '\n') {
        afterCr_ = false;
        if (echo_)
            Emit("\n");
        bytes.erase(0, 1);
    }
    afterCr_ = false;
    if (bytes.empty())
        return;
    const DWORD now = GetTickCount();
    for (char c : bytes) {
        ++escapeGen_;
        if (c == '+' && plus_ == 0 && now - lastDataTick_ >= guardMs_) {
            plus_ = 1;
            plusTick_ = now;
        } else if (c == '+' && plus_ > 0 && plus_ < kEscapeLength && now - plusTick_ < guardMs_) {
            ++plus_;
        } else {
            plus_ = 0;
        }
        lastDataTick_ = now;
    }
    data_.fromHandheld += bytes.size();
    data_.callFrom += bytes.size();
    data_.toHandheld += bytes.size();
    data_.callTo += bytes.size();
    Emit(bytes);
    if (plus_ != kEscapeLength)
        return;
    // Silence after the escape too: then the module listens for commands.
    const unsigned gen = escapeGen_;
    const unsigned call = dataGen_;
    scheduler_.After(guardMs_, [this, gen, call] {
        Lock_ hold(lock_);
        if (gen != escapeGen_ || call != dataGen_ || !data_.online)
            return;
        data_.online = false;
        plus_ = 0;
        Emit("\r\nOK\r\n");
    });
}

void SimModule::EndData(bool noCarrierText)
{
    ++dataGen_;  // a dial still being set up is called off too
    if (!data_.connected)
        return;
    data_.connected = data_.online = false;
    plus_ = 0;
    // The words first: whoever waits for carrier detect to drop has them by then.
    if (noCarrierText)
        EmitLine("NO CARRIER");
    if (call_ == CallState::Idle)
        SetLines(status_ & ~MS_RLSD_ON);
}

void SimModule::SetDataTiming(DWORD connectMs, DWORD guardMs)
{
    Lock_ hold(lock_);
    dataConnectMs_ = connectMs;
    guardMs_ = guardMs;
}

SimDataCounts SimModule::Data() const
{
    Lock_ hold(lock_);
    return data_;
}

std::string SimModule::DescribeData() const
{
    Lock_ hold(lock_);
    std::ostringstream s;
    if (data_.connected)
        s << "data call to " << data_.number << (data_.online ? " on line" : " in command mode");
    else
        s << "no data call";
    s << "; this call " << data_.callFrom << " bytes from the handheld, " << data_.callTo << " to it; "
      << data_.calls << " calls, " << data_.fromHandheld << " bytes from the handheld, " << data_.toHandheld
      << " to it (echoed)";
    return s.str();
}

}  // namespace zen::sim
