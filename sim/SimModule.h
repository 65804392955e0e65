#pragma once
// The substitute phone module: answers the AT commands of the handheld with
// echo on and in response blocks, keeps the state of a CDMA module (calls,
// received and sent texts, number assignment, volumes, battery, signal,
// registration and lock), drives the modem-status lines, and can be made to
// do what a real module and network do (ring, answer, hang up, send a text,
// lock, misbehave).
//
// Bytes to the handheld and line changes leave through the sink; bytes from
// the handheld come in through Receive. Every operation is thread-safe.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sim/SimScheduler.h"

namespace zen::sim {

struct SimMessage {
    std::string time;    // 14 digits, year to second
    std::string number;  // sender (received) or destination (sent)
    std::string callback;
    int teleservice = 4098;
    std::string body;    // code page 949, unescaped
    bool read = false;
};

// A packet-data call and the data bytes it carried.
struct SimDataCounts {
    bool connected = false;  // a data call is up
    bool online = false;     // bytes from the handheld are data, not commands
    std::string number;      // the number dialled
    unsigned calls = 0;      // data calls connected so far
    unsigned long long fromHandheld = 0;  // data bytes of every call
    unsigned long long toHandheld = 0;
    unsigned long long callFrom = 0;  // of the current (or last) call
    unsigned long long callTo = 0;
};

class SimModule {
public:
    struct Sink {
        std::function<void(const std::string& bytes)> send;
        std::function<void(DWORD modemStatus)> lines;  // MS_* bits
    };
    // Error: the send line itself is answered "ERROR" (nothing sent, no verdict).
    enum class AckMode { Ack, Nak, None, Error };
    enum class CallState { Idle, Dialing, Ringing, Connected };

    SimModule();
    ~SimModule();
    SimModule(const SimModule&) = delete;
    SimModule& operator=(const SimModule&) = delete;

    void SetSink(Sink sink);
    // Power: the card is in the slot (lines up) or not (silent, call dropped).
    // Unread texts at power-on are announced with "$NEWMT" when DTR first rises.
    void PowerOn();
    void PowerOff();

    // From the handheld.
    void Receive(const std::string& bytes);
    void SetControlLines(bool dtr, bool rts);

    // Network and module events.
    // Rings until answered, rejected, hung up or `maxRings` passed; with a
    // caller number the "*QRV*CNI:" line follows the first ring. Not while a
    // data call is up.
    void Ring(const std::string& caller = std::string(), bool withCallerId = true);
    void CallWaiting(const std::string& number);  // during a connected call
    void VoiceCallSetup(const std::string& number);  // "$VCALL<number>"
    void RemoteAnswer();   // the called party answers a dialled call
    void RemoteHangUp();   // the other party ends the call: "NO CARRIER"
    void CarrierLoss();    // carrier detect drops with no text
    void Lock();           // "$LOCK", registration 2
    void Unlock();
    // A received text: stored unread, announced with "$NEWMT" (or
    // "*QRV*NEWMSG:" when `qrvNotice`). `body` is code page 949.
    void IncomingText(const std::string& number, const std::string& body, bool qrvNotice = false,
                      int teleservice = 4098);
    void IncomingTextW(const std::string& number, const std::wstring& body, bool qrvNotice = false);
    void SendAck(bool accepted);  // "$SMSMOACK" / "$SMSMONAK"
    void SetAckMode(AckMode mode, DWORD delayMs = 300);
    void RingBurst(int count, DWORD intervalMs);
    void SendRaw(const std::string& bytes);        // garbage, broken lines
    void SendUnsolicited(const std::string& line); // CR LF line CR LF
    void SetBattery(double volts);
    void SetSignal(int level);
    void SetRegistration(int status);
    void SetResponseDelay(DWORD ms);  // slow answers
    void SetSilent(bool silent);      // missing answers
    // How long the module is away after "AT$BWMODE=RESET": its lines drop and
    // it answers nothing until it has started again.
    void SetResetTime(DWORD ms);
    // What the slot does with a card whose module restarts: called with false
    // once it has gone (lines down) and with true when it is back, on the
    // module's own thread and outside its lock. Without one only the lines drop.
    void SetRestartHandler(std::function<void(bool back)> handler);
    // Dialled calls are answered after `ms` (negative: only by RemoteAnswer).
    void SetAutoAnswer(int ms);
    void SetRingTiming(DWORD periodMs, DWORD onMs, int maxRings);
    // Packet data: "ATD<number>" answers "CONNECT" after `connectMs` and
    // raises carrier detect; from then on every byte is data, echoed back
    // and counted, until DTR drops (the call ends with "NO CARRIER"), the
    // other side hangs up, or "+++" with `guardMs` of silence before and
    // after it returns to commands ("ATH" ends the call, "ATO" goes back).
    void SetDataTiming(DWORD connectMs, DWORD guardMs);

    // State, for the console and tests.
    CallState Call() const;
    std::string CallNumber() const;
    DWORD ModemStatus() const;
    bool Dtr() const;
    std::vector<SimMessage> Inbox() const;
    std::vector<SimMessage> Outbox() const;
    std::vector<std::string> Commands() const;  // every command line received
    int Volume() const;
    int RingVolume() const;
    int ActiveNam() const;
    bool InNamingMode() const;
    bool Restarting() const;
    std::string OwnNumber() const;
    bool Echo() const;
    std::string Describe() const;
    SimDataCounts Data() const;
    std::string DescribeData() const;

private:
    struct Reply {
        std::vector<std::string> lines;
        std::string final;  // "OK", "ERROR" or empty (no final line)
        std::function<void()> after;  // runs once the reply is out
    };
    using Lock_ = std::unique_lock<std::recursive_mutex>;

    void ProcessByte(char c);
    void Execute(const std::string& line);
    Reply Run(const std::string& line);
    Reply RunQuery(const std::string& cmd);
    Reply RunSet(const std::string& cmd, const std::string& line);
    Reply RunMessage(const std::string& cmd, const std::string& line);
    void FinishReply(const Reply& reply);
    void Emit(const std::string& bytes, bool unsolicited = false);
    void EmitLine(const std::string& line);
    void SetLines(DWORD status);
    void StartCall(CallState state, const std::string& number);
    void EndCall(bool noCarrierText);
    void RingOnce(unsigned gen, int n);
    void DrainHeld();
    void Restart();
    Reply RunData(const std::string& upper);
    void DataBytes(const std::string& bytes);
    void EndData(bool noCarrierText);
    std::string MessageLine(const SimMessage& m) const;
    std::string Now14() const;

    mutable std::recursive_mutex lock_;
    Sink sink_;
    SimScheduler scheduler_;
    bool powered_ = false;
    bool announceUnread_ = false;

    // Line assembly.
    std::string line_;
    bool collecting_ = false;
    bool afterCr_ = false;
    bool busy_ = false;      // a slow reply is due: hold input until it is out
    std::string held_;
    std::string deferred_;  // unsolicited lines held back while a reply is due

    // Settings.
    bool echo_ = true;
    DWORD delayMs_ = 0;
    bool silent_ = false;
    int autoAnswerMs_ = 2000;
    DWORD ringPeriodMs_ = 3000;
    DWORD ringOnMs_ = 1000;
    int maxRings_ = 10;
    AckMode ackMode_ = AckMode::Ack;
    DWORD ackDelayMs_ = 300;

    // Module state.
    DWORD status_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    CallState call_ = CallState::Idle;
    unsigned callGen_ = 0;
    std::string callNumber_;
    std::string waitingNumber_;
    bool callerIdKnown_ = false;
    double battery_ = 3.85;
    int signal_ = 4;
    int registration_ = 1;
    int volume_ = 3;
    int smsVolume_ = 4;
    int ringVolume_ = 2;
    int cmdEcho_ = 0;
    int bell_ = 1;
    int bellType_ = 1;
    int atan_ = 0;
    int warnSound_ = 1;
    int nam_ = 0;
    bool naming_ = false;      // numbers can be programmed
    bool restarting_ = false;  // after a reset, until the module is back
    DWORD resetMs_ = 3000;
    std::function<void(bool back)> restartHandler_;
    std::string ownNumbers_[5] = {"01012345678", "01712345678", "", "", ""};
    std::vector<SimMessage> inbox_;
    std::vector<SimMessage> outbox_;
    std::vector<std::string> commands_;

    // Packet data.
    SimDataCounts data_;
    unsigned dataGen_ = 0;  // changes when a data call starts or ends
    DWORD dataConnectMs_ = 300;
    DWORD guardMs_ = 1000;
    DWORD lastDataTick_ = 0;
    int plus_ = 0;          // escape characters so far
    DWORD plusTick_ = 0;    // when the first of them came
    unsigned escapeGen_ = 0;  // changes with every data byte
};

// Text escaping of message bodies on the line (both directions).
std::string EscapeBody(const std::string& body);
std::string UnescapeBody(const std::string& text);
// Code page 949 and back.
std::string ToCp949(const std::wstring& text);
std::wstring FromCp949(const std::string& text);

}  // namespace zen::sim
