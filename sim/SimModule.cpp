#include "sim/SimModule.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace zen::sim {
namespace {

const char kVersion[] = "ZM-1X2000 V1.20 2004-03-15";
constexpr DWORD kPowered = MS_CTS_ON | MS_DSR_ON;

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool StartsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// A decimal number of digits only; -1 for anything else.
int Number(const std::string& s)
{
    if (s.empty() || s.size() > 6)
        return -1;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

// The value after "NAME=" of a setting command.
int Setting(const std::string& cmd, const char* name)
{
    return Number(cmd.substr(std::char_traits<char>::length(name)));
}

}  // namespace

SimModule::SimModule() = default;

SimModule::~SimModule()
{
    // Actions use the members below the scheduler: wait for the one running
    // before any of them goes.
    scheduler_.Stop();
}

void SimModule::SetSink(Sink sink)
{
    Lock_ hold(lock_);
    sink_ = std::move(sink);
}

void SimModule::PowerOn()
{
    Lock_ hold(lock_);
    if (powered_)
        return;
    powered_ = true;
    echo_ = true;
    line_.clear();
    collecting_ = afterCr_ = busy_ = false;
    held_.clear();
    deferred_.clear();
    dtr_ = rts_ = false;
    // Texts that came while the card was out are announced once the handheld
    // is listening (raises DTR), as the module does when it starts.
    announceUnread_ = false;
    for (const SimMessage& m : inbox_)
        announceUnread_ = announceUnread_ || !m.read;
    SetLines(kPowered);
}

void SimModule::PowerOff()
{
    Lock_ hold(lock_);
    if (!powered_)
        return;
    if (call_ != CallState::Idle)
        EndCall(false);
    EndData(false);
    SetLines(0);
    powered_ = false;
    busy_ = false;
    held_.clear();
    deferred_.clear();
}

void SimModule::Emit(const std::string& bytes, bool unsolicited)
{
    if (!powered_ || bytes.empty())
        return;
    if (unsolicited && busy_) {
        deferred_ += bytes;
        return;
    }
    if (sink_.send)
        sink_.send(bytes);
}

void SimModule::EmitLine(const std::string& line)
{
    Emit("\r\n" + line + "\r\n", true);
}

void SimModule::SetLines(DWORD status)
{
    if (status == status_)
        return;
    status_ = status;
    if (sink_.lines)
        sink_.lines(status);
}

void SimModule::Receive(const std::string& bytes)
{
    Lock_ hold(lock_);
    if (!powered_)
        return;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (data_.online) {
            DataBytes(bytes.substr(i));
            return;
        }
        ProcessByte(bytes[i]);
    }
}

void SimModule::ProcessByte(char c)
{
    if (busy_) {
        held_ += c;
        return;
    }
    if (collecting_) {
        if (c == '\r' || c == '\n') {
            if (echo_)
                Emit(std::string(1, c));
            collecting_ = false;
            afterCr_ = c == '\r';
            std::string line;
            line.swap(line_);
            Execute(line);
        } else if (c == '\b') {
            if (line_.size() > 1) {
                line_.pop_back();
                if (echo_)
                    Emit("\b");
            }
        } else if (line_.size() < 600) {
            line_ += c;
            if (echo_)
                Emit(std::string(1, c));
        }
        return;
    }
    // The LF after a command's CR is echoed behind the reply: that ends the block.
    if (c == '\n' && afterCr_) {
        afterCr_ = false;
        if (echo_)
            Emit("\n");
        return;
    }
    afterCr_ = false;
    if (c == 'A' || c == 'a') {
        collecting_ = true;
        line_.assign(1, c);
        if (echo_)
            Emit(std::string(1, c));
    }
    // Anything else between command lines (padding, zero bytes) is ignored.
}

void SimModule::Restart()
{
    // Once its answer is out, the module goes away (lines down, deaf) and
    // comes back out of naming mode. A card in a slot leaves it meanwhile,
    // so the handheld sees its port go and come back.
    scheduler_.After(delayMs_ + 50, [this] {
        std::function<void(bool)> slot;
        {
            Lock_ hold(lock_);
            if (!powered_)
                return;
            restarting_ = true;
            SetLines(0);
            slot = restartHandler_;
        }
        if (slot)
            slot(false);
        scheduler_.After(resetMs_, [this] {
            std::function<void(bool)> slot;
            {
                Lock_ hold(lock_);
                restarting_ = false;
                naming_ = false;
                if (powered_)
                    SetLines(kPowered);
                slot = restartHandler_;
            }
            if (slot)
                slot(true);
        });
    });
}

void SimModule::Execute(const std::string& line)
{
    commands_.push_back(line);
    if (silent_ || restarting_)
        return;
    Reply reply = Run(line);
    if (delayMs_ == 0) {
        FinishReply(reply);
        return;
    }
    busy_ = true;
    scheduler_.After(delayMs_, [this, reply] {
        Lock_ hold(lock_);
        if (!powered_ || !busy_)
            return;
        FinishReply(reply);
        busy_ = false;
        DrainHeld();
    });
}

void SimModule::DrainHeld()
{
    std::string held;
    held.swap(held_);
    for (char c : held)
        ProcessByte(c);
    if (!busy_ && !deferred_.empty()) {
        std::string out;
        out.swap(deferred_);
        Emit(out);
    }
}

void SimModule::FinishReply(const Reply& reply)
{
    std::string out;
    if (!reply.lines.empty() || !reply.final.empty()) {
        out = "\r\n";
        for (const std::string& l : reply.lines)
            out += l + "\r\n";
        if (!reply.final.empty()) {
            if (!reply.lines.empty())
                out += "\r\n";
            out += reply.final + "\r\n";
        }
    }
    Emit(out);
    if (reply.after)
        reply.after();
}

SimModule::Reply SimModule::Run(const std::string& line)
{
    std::string u = Upper(line);
    if (u == "AT")
        return Reply{{}, "OK", nullptr};
    if (u == "ATE0" || u == "ATE1") {
        echo_ = u[3] == '1';
        return Reply{{}, "OK", nullptr};
    }
    if (u == "ATZ")
        return Reply{{}, "OK", nullptr};
    if (u == "AT+GMR")
        return Reply{{kVersion}, "OK", nullptr};
    if (StartsWith(u, "ATD") || StartsWith(u, "ATH") || u == "ATO" || u == "ATO0" || StartsWith(u, "AT+CRM"))
        return RunData(u);
    if (!StartsWith(u, "AT$"))
        return Reply{{}, "ERROR", nullptr};
    std::string cmd = u.substr(3);
    if (cmd.empty())
        return Reply{{}, "ERROR", nullptr};
    if (StartsWith(cmd, "SMS") || StartsWith(cmd, "MO") || StartsWith(cmd, "MT") || StartsWith(cmd, "DEL") ||
        StartsWith(cmd, "REMO"))
        return RunMessage(cmd, line);
    if (cmd.back() == '?')
        return RunQuery(cmd);
    return RunSet(cmd, line);
}

SimModule::Reply SimModule::RunQuery(const std::string& cmd)
{
    auto digit = [](int v) { return Reply{{std::to_string(v)}, "OK", nullptr}; };
    if (cmd == "BATT?") {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.2f", battery_);
        return Reply{{buf}, "OK", nullptr};
    }
    if (cmd == "SYSTIME?")
        return Reply{{Now14()}, "OK", nullptr};
    if (cmd == "PING?")
        return digit(signal_);
    if (cmd == "VOL?")
        return digit(volume_);
    if (cmd == "CID?") {
        if (call_ != CallState::Idle && callerIdKnown_ && !callNumber_.empty())
            return Reply{{callNumber_}, "OK", nullptr};
        return Reply{{}, "OK", nullptr};
    }
    if (cmd == "DIAL?")
        return Reply{{ownNumbers_[nam_]}, "OK", nullptr};
    if (cmd == "BELL?")
        return digit(bell_);
    if (cmd == "RINGVOL?")
        return digit(ringVolume_);
    if (cmd == "CMDECHO?")
        return digit(cmdEcho_);
    if (cmd == "STSREG?")
        return digit(registration_);
    if (cmd == "BELLTYPE?")
        return digit(bellType_);
    if (cmd == "STSINFO?") {
        std::ostringstream s;
        s << 384 << ',' << 168 << ',' << 2190 << ',' << 1 << ',' << (registration_ == 1 ? 3 : 0) << ','
          << (-110 + signal_ * 8) << ',' << (-16 + signal_) << ',' << -12 << ',' << 1 << ',' << 1 << ','
          << "0.75";
        return Reply{{s.str()}, "OK", nullptr};
    }
    if (cmd == "NAM?")
        return digit(nam_);
    if (cmd == "ATAN?")
        return digit(atan_);
    return Reply{{}, "ERROR", nullptr};
}

SimModule::Reply SimModule::RunSet(const std::string& cmd, const std::string& line)
{
    const Reply ok{{}, "OK", nullptr};
    const Reply error{{}, "ERROR", nullptr};
    auto store = [&](const char* name, int& field, int max) {
        int v = Setting(cmd, name);
        if (v < 0 || v > max)
            return error;
        field = v;
        return ok;
    };
    if (StartsWith(cmd, "CONRPT="))
        return ok;
    if (StartsWith(cmd, "VOL="))
        return store("VOL=", volume_, 9);
    if (StartsWith(cmd, "RINGVOL="))
        return store("RINGVOL=", ringVolume_, 9);
    if (StartsWith(cmd, "CMDECHO="))
        return store("CMDECHO=", cmdEcho_, 9);
    if (StartsWith(cmd, "BELLTYPE="))
        return store("BELLTYPE=", bellType_, 255);
    if (StartsWith(cmd, "BELL"))
        return store("BELL", bell_, 9);
    if (StartsWith(cmd, "ATAN="))
        return store("ATAN=", atan_, 9);
    if (StartsWith(cmd, "WARNSND="))
        return store("WARNSND=", warnSound_, 9);
    if (StartsWith(cmd, "NAM="))
        return store("NAM=", nam_, 4);
    if (StartsWith(cmd, "PHONENUM=")) {
        std::string number = line.substr(3 + 9);
        // Only a module in naming mode takes a new number.
        if (!naming_ || number.empty() || number.size() > 15)
            return error;
        ownNumbers_[nam_] = number;
        return ok;
    }
    if (cmd == "BWMODE=NAMING") {
        naming_ = true;
        return ok;
    }
    if (cmd == "BWMODE=RESET") {
        // The module restarts: a call in progress is gone.
        if (call_ != CallState::Idle)
            EndCall(false);
        Restart();
        return ok;
    }
    if (cmd == "QCCAV") {
        if (call_ != CallState::Ringing)
            return error;
        call_ = CallState::Connected;
        ++callGen_;
        SetLines((status_ | MS_RLSD_ON) & ~MS_RING_ON);
        return ok;
    }
    if (cmd == "REL") {
        if (call_ != CallState::Idle)
            EndCall(false);
        return ok;
    }
    if (cmd == "REJECT") {
        if (call_ != CallState::Ringing)
            return error;
        EndCall(false);
        return ok;
    }
    if (cmd == "FLASH") {
        if (call_ != CallState::Connected)
            return error;
        if (!waitingNumber_.empty())
            std::swap(callNumber_, waitingNumber_);
        return ok;
    }
    if (StartsWith(cmd, "DTMF"))
        return call_ == CallState::Connected && cmd.size() == 5 ? ok : error;
    if (StartsWith(cmd, "ORI")) {
        std::string number = line.substr(6);
        bool dialable = !number.empty() && number.size() <= 32;
        for (char c : number)
            dialable = dialable && (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#');
        if (!dialable || registration_ >= 2 || call_ != CallState::Idle)
            return error;
        StartCall(CallState::Dialing, number);
        callerIdKnown_ = true;
        if (autoAnswerMs_ >= 0) {
            unsigned gen = callGen_;
            scheduler_.After(static_cast<DWORD>(autoAnswerMs_), [this, gen] {
                Lock_ hold(lock_);
                if (gen == callGen_)
                    RemoteAnswer();
            });
        }
        return ok;
    }
    return error;
}

SimModule::Reply SimModule::RunMessage(const std::string& cmd, const std::string& line)
{
    const Reply ok{{}, "OK", nullptr};
    const Reply error{{}, "ERROR", nullptr};
    auto readFrom = [&](const std::vector<SimMessage>& box, int index) {
        if (index < 1 || index > static_cast<int>(box.size()))
            return error;
        return Reply{{MessageLine(box[index - 1])}, "OK", nullptr};
    };
    auto ackLater = [this] {
        if (ackMode_ == AckMode::None)
            return;
        bool accepted = ackMode_ == AckMode::Ack;
        scheduler_.After(ackDelayMs_, [this, accepted] { SendAck(accepted); });
    };
    auto indexOf = [&](const char* prefix) {
        std::string n = cmd.substr(std::char_traits<char>::length(prefix));
        if (!n.empty() && n.back() == '?')
            n.pop_back();
        return Number(n);
    };

    if (StartsWith(cmd, "SMSMO") && cmd.find('=') != std::string::npos) {
        // AT$SMSMO<slot>=<destination>[,<call-back>],<teleservice>,"<body>"
        std::string args = line.substr(line.find('=') + 1);
        size_t open = args.find('"');
        size_t close = args.rfind('"');
        if (open == std::string::npos || close <= open)
            return error;
        std::vector<std::string> fields;
        std::string head = args.substr(0, open);
        size_t start = 0;
        for (size_t comma; (comma = head.find(',', start)) != std::string::npos; start = comma + 1)
            fields.push_back(head.substr(start, comma - start));
        if (fields.size() != 2 && fields.size() != 3)
            return error;
        SimMessage m;
        m.time = Now14();
        m.number = fields[0];
        if (fields.size() == 3)
            m.callback = fields[1];
        m.teleservice = Number(fields.back());
        m.body = UnescapeBody(args.substr(open + 1, close - open - 1));
        if (m.number.empty() || m.teleservice < 0 || ackMode_ == AckMode::Error)
            return error;
        outbox_.push_back(m);
        return Reply{{}, "OK", ackLater};
    }
    if (StartsWith(cmd, "SMSMO"))
        return readFrom(outbox_, indexOf("SMSMO"));
    if (StartsWith(cmd, "SMSSENT"))
        return readFrom(outbox_, indexOf("SMSSENT"));
    if (StartsWith(cmd, "REMO")) {
        int i = indexOf("REMO");
        if (i < 1 || i > static_cast<int>(outbox_.size()))
            return error;
        return Reply{{}, "OK", ackLater};
    }
    if (cmd == "MOCNT?")
        return Reply{{std::to_string(outbox_.size())}, "OK", nullptr};
    if (cmd == "DELALLMO") {
        outbox_.clear();
        return ok;
    }
    if (StartsWith(cmd, "DELMO=")) {
        int i = Setting(cmd, "DELMO=");
        if (i < 1 || i > static_cast<int>(outbox_.size()))
            return error;
        outbox_.erase(outbox_.begin() + (i - 1));
        return ok;
    }
    if (cmd == "MTCNT?") {
        int unread = 0;
        for (const SimMessage& m : inbox_)
            unread += m.read ? 0 : 1;
        return Reply{{std::to_string(inbox_.size()) + "," + std::to_string(unread)}, "OK", nullptr};
    }
    if (StartsWith(cmd, "SMSNEWMT")) {
        if (indexOf("SMSNEWMT") < 0)
            return error;
        for (SimMessage& m : inbox_) {
            if (!m.read) {
                m.read = true;
                return Reply{{MessageLine(m)}, "OK", nullptr};
            }
        }
        return error;  // no new message: the reading loop ends
    }
    if (StartsWith(cmd, "SMSMT")) {
        int i = indexOf("SMSMT");
        if (i >= 1 && i <= static_cast<int>(inbox_.size()))
            inbox_[i - 1].read = true;
        return readFrom(inbox_, i);
    }
    if (cmd == "DELALLMT") {
        inbox_.clear();
        return ok;
    }
    if (StartsWith(cmd, "DELMT=")) {
        int i = Setting(cmd, "DELMT=");
        if (i < 1 || i > static_cast<int>(inbox_.size()))
            return error;
        inbox_.erase(inbox_.begin() + (i - 1));
        return ok;
    }
    if (StartsWith(cmd, "MTACK="))
        return Setting(cmd, "MTACK=") >= 0 ? ok : error;
    if (cmd == "SMSVOL?")
        return Reply{{std::to_string(smsVolume_)}, "OK", nullptr};
    if (StartsWith(cmd, "SMSVOL=")) {
        int v = Setting(cmd, "SMSVOL=");
        if (v < 0 || v > 9)
            return error;
        smsVolume_ = v;
        return ok;
    }
    return error;
}

std::string SimModule::MessageLine(const SimMessage& m) const
{
    return m.time + "," + m.number + "," + std::to_string(m.teleservice) + "," + EscapeBody(m.body);
}

std::string SimModule::Now14() const
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04u%02u%02u%02u%02u%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return buf;
}

void SimModule::StartCall(CallState state, const std::string& number)
{
    call_ = state;
    callNumber_ = number;
    waitingNumber_.clear();
    ++callGen_;
}

void SimModule::EndCall(bool noCarrierText)
{
    call_ = CallState::Idle;
    ++callGen_;
    callNumber_.clear();
    waitingNumber_.clear();
    callerIdKnown_ = false;
    SetLines(status_ & ~(MS_RLSD_ON | MS_RING_ON));
    if (noCarrierText)
        EmitLine("NO CARRIER");
}

void SimModule::SetControlLines(bool dtr, bool rts)
{
    Lock_ hold(lock_);
    bool raised = dtr && !dtr_;
    // Dropping DTR ends a data call, as a modem set to hang up on it does.
    if (!dtr && dtr_ && data_.connected)
        EndData(true);
    dtr_ = dtr;
    rts_ = rts;
    if (raised && announceUnread_) {
        announceUnread_ = false;
        EmitLine("$NEWMT");
    }
}

void SimModule::Ring(const std::string& caller, bool withCallerId)
{
    Lock_ hold(lock_);
    if (!powered_ || call_ != CallState::Idle || data_.connected)
        return;
    StartCall(CallState::Ringing, caller);
    callerIdKnown_ = withCallerId && !caller.empty();
    SetLines(status_ | MS_RLSD_ON);
    RingOnce(callGen_, 1);
}

void SimModule::RingOnce(unsigned gen, int n)
{
    if (gen != callGen_ || call_ != CallState::Ringing || !powered_)
        return;
    if (n > maxRings_) {
        EndCall(true);  // the caller gave up
        return;
    }
    SetLines(status_ | MS_RING_ON);
    EmitLine("RING");
    if (n == 1 && callerIdKnown_)
        EmitLine("*QRV*CNI: " + callNumber_);
    scheduler_.After(ringOnMs_, [this, gen] {
        Lock_ hold(lock_);
        if (gen == callGen_ && powered_)
            SetLines(status_ & ~MS_RING_ON);
    });
    scheduler_.After(ringPeriodMs_, [this, gen, n] {
        Lock_ hold(lock_);
        RingOnce(gen, n + 1);
    });
}

void SimModule::CallWaiting(const std::string& number)
{
    Lock_ hold(lock_);
    if (call_ != CallState::Connected)
        return;
    waitingNumber_ = number;
    EmitLine("*QRV*CNI: " + number);
}

void SimModule::VoiceCallSetup(const std::string& number)
{
    Lock_ hold(lock_);
    if (!powered_)
        return;
    StartCall(CallState::Dialing, number);
    callerIdKnown_ = true;
    EmitLine("$VCALL" + number);
}

void SimModule::RemoteAnswer()
{
    Lock_ hold(lock_);
    if (call_ != CallState::Dialing)
        return;
    call_ = CallState::Connected;
    ++callGen_;
    SetLines(status_ | MS_RLSD_ON);
    EmitLine("$VCON");
}

void SimModule::RemoteHangUp()
{
    Lock_ hold(lock_);
    if (call_ != CallState::Idle)
        EndCall(true);
    EndData(true);
}

void SimModule::CarrierLoss()
{
    Lock_ hold(lock_);
    if (call_ != CallState::Idle)
        EndCall(false);
}

void SimModule::Lock()
{
    Lock_ hold(lock_);
    registration_ = 2;
    EmitLine("$LOCK");
}

void SimModule::Unlock()
{
    Lock_ hold(lock_);
    registration_ = 1;
}

void SimModule::IncomingText(const std::string& number, const std::string& body, bool qrvNotice, int teleservice)
{
    Lock_ hold(lock_);
    SimMessage m;
    m.time = Now14();
    m.number = number;
    m.teleservice = teleservice;
    m.body = body;
    inbox_.push_back(m);
    EmitLine(qrvNotice ? "*QRV*NEWMSG: " + std::to_string(inbox_.size()) : std::string("$NEWMT"));
}

void SimModule::IncomingTextW(const std::string& number, const std::wstring& body, bool qrvNotice)
{
    IncomingText(number, ToCp949(body), qrvNotice);
}

void SimModule::SendAck(bool accepted)
{
    Lock_ hold(lock_);
    EmitLine(accepted ? "$SMSMOACK" : "$SMSMONAK");
}

void SimModule::SetAckMode(AckMode mode, DWORD delayMs)
{
    Lock_ hold(lock_);
    ackMode_ = mode;
    ackDelayMs_ = delayMs;
}

void SimModule::RingBurst(int count, DWORD intervalMs)
{
    Lock_ hold(lock_);
    // A misbehaving module: ring pulses and "RING" lines with no call behind them.
    // Every edge is timed from the start, so a late pulse never runs into the next.
    for (int i = 0; i < count; ++i) {
        scheduler_.After(intervalMs * i, [this] {
            Lock_ hold(lock_);
            if (!powered_)
                return;
            SetLines(status_ | MS_RING_ON);
            EmitLine("RING");
        });
        scheduler_.After(intervalMs * i + intervalMs / 2, [this] {
            Lock_ hold(lock_);
            if (powered_)
                SetLines(status_ & ~MS_RING_ON);
        });
    }
}

void SimModule::SendRaw(const std::string& bytes)
{
    Lock_ hold(lock_);
    Emit(bytes, true);
}

void SimModule::SendUnsolicited(const std::string& line)
{
    Lock_ hold(lock_);
    EmitLine(line);
}

void SimModule::SetBattery(double volts)
{
    Lock_ hold(lock_);
    battery_ = volts;
}

void SimModule::SetSignal(int level)
{
    Lock_ hold(lock_);
    signal_ = level < 0 ? 0 : level > 9 ? 9 : level;
}

void SimModule::SetRegistration(int status)
{
    Lock_ hold(lock_);
    registration_ = status;
}

void SimModule::SetResponseDelay(DWORD ms)
{
    Lock_ hold(lock_);
    delayMs_ = ms;
}

void SimModule::SetSilent(bool silent)
{
    Lock_ hold(lock_);
    silent_ = silent;
}

void SimModule::SetAutoAnswer(int ms)
{
    Lock_ hold(lock_);
    autoAnswerMs_ = ms;
}

void SimModule::SetRingTiming(DWORD periodMs, DWORD onMs, int maxRings)
{
    Lock_ hold(lock_);
    ringPeriodMs_ = periodMs;
    ringOnMs_ = onMs;
    maxRings_ = maxRings;
}

SimModule::CallState SimModule::Call() const
{
    Lock_ hold(lock_);
    return call_;
}

std::string SimModule::CallNumber() const
{
    Lock_ hold(lock_);
    return callNumber_;
}

DWORD SimModule::ModemStatus() const
{
    Lock_ hold(lock_);
    return status_;
}

bool SimModule::Dtr() const
{
    Lock_ hold(lock_);
    return dtr_;
}

std::vector<SimMessage> SimModule::Inbox() const
{
    Lock_ hold(lock_);
    return inbox_;
}

std::vector<SimMessage> SimModule::Outbox() const
{
    Lock_ hold(lock_);
    return outbox_;
}

std::vector<std::string> SimModule::Commands() const
{
    Lock_ hold(lock_);
    return commands_;
}

int SimModule::Volume() const
{
    Lock_ hold(lock_);
    return volume_;
}

int SimModule::RingVolume() const
{
    Lock_ hold(lock_);
    return ringVolume_;
}

void SimModule::SetResetTime(DWORD ms)
{
    Lock_ hold(lock_);
    resetMs_ = ms;
}

void SimModule::SetRestartHandler(std::function<void(bool back)> handler)
{
    Lock_ hold(lock_);
    restartHandler_ = std::move(handler);
}

bool SimModule::InNamingMode() const
{
    Lock_ hold(lock_);
    return naming_;
}

bool SimModule::Restarting() const
{
    Lock_ hold(lock_);
    return restarting_;
}

int SimModule::ActiveNam() const
{
    Lock_ hold(lock_);
    return nam_;
}

std::string SimModule::OwnNumber() const
{
    Lock_ hold(lock_);
    return ownNumbers_[nam_];
}

bool SimModule::Echo() const
{
    Lock_ hold(lock_);
    return echo_;
}

std::string SimModule::Describe() const
{
    Lock_ hold(lock_);
    static const char* calls[] = {"idle", "dialling", "ringing", "connected"};
    std::ostringstream s;
    s << (powered_ ? "card in" : "card out") << ", call " << calls[static_cast<int>(call_)];
    if (!callNumber_.empty())
        s << " (" << callNumber_ << ")";
    s << ", lines" << ((status_ & MS_RLSD_ON) ? " CD" : "") << ((status_ & MS_RING_ON) ? " RI" : "")
      << ((status_ & MS_DSR_ON) ? " DSR" : "") << ((status_ & MS_CTS_ON) ? " CTS" : "") << (dtr_ ? " DTR" : "")
      << ", battery " << battery_ << " V, signal " << signal_ << ", registration " << registration_ << ", inbox "
      << inbox_.size() << ", outbox " << outbox_.size();
    return s.str();
}

}  // namespace zen::sim
