#include "sim/SimConsole.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "ce_devmgr.h"
#include "nled.h"
#include "pwingdi.h"

namespace zen::sim {
namespace {

const char kHelp[] =
    "ring [number]        incoming call (with caller id when a number is given)\n"
    "ringnocid [number]   incoming call without caller id\n"
    "wait <number>        call waiting during a call\n"
    "vcall <number>       call set-up announced by the module\n"
    "answer               the called party answers\n"
    "hangup               the other party hangs up (NO CARRIER)\n"
    "carrier              carrier lost without a word\n"
    "lock | unlock        module locked ($LOCK) or registered again\n"
    "sms <number> <text>  incoming text ($NEWMT); smsqrv: with *QRV*NEWMSG:\n"
    "ack | nak            network verdict on a sent text\n"
    "ackmode <mode>       later sent texts: ack, nak, none or error\n"
    "battery <volts>      battery voltage\n"
    "signal <0-9>         signal level\n"
    "burst <n> [ms]       n ring pulses in quick succession\n"
    "raw <text>           bytes as they are (\\r \\n \\xNN understood)\n"
    "broken <text>        a line that never ends\n"
    "delay <ms>           slow answers; silent on|off: no answers\n"
    "autoanswer <ms>|off  dialled calls answered after ms\n"
    "insert | remove      the card in the slot\n"
    "data                 the packet-data call and the bytes it carried\n"
    "status | quit";

std::wstring Utf8ToWide(const std::string& s)
{
    if (s.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// The handheld's side: its notification LEDs and its display.
std::string HandheldStatus()
{
    static const char* const kLed[] = {"off", "on", "blink"};
    std::string out = "handheld: led";
    for (UINT led = 0; led < 2; ++led) {
        const int state = CeNledGetState(led);
        out += " " + std::to_string(led) + "=" + (state >= 0 && state <= 2 ? kLed[state] : "?");
    }
    const ULONG power = CeDisplayGetPowerState();
    out += power == VideoPowerOn ? ", display on" : ", display off";
    return out;
}

std::string Unquote(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 'x' && i + 2 < s.size()) {
            out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

}  // namespace

SimConsole::SimConsole(SimModule& module, std::wstring link, std::wstring pnpId)
    : module_(module), link_(std::move(link)), pnpId_(std::move(pnpId))
{
}

bool SimConsole::InsertCard(std::wstring* name)
{
    wchar_t buf[16] = L"";
    if (!CeDevMgrInsertCard(pnpId_.c_str(), link_.c_str(), buf, 16))
        return false;
    if (name)
        *name = buf;
    return true;
}

bool SimConsole::RemoveCard()
{
    return CeDevMgrRemoveCard(pnpId_.c_str()) != FALSE;
}

std::string SimConsole::Execute(const std::string& line)
{
    std::istringstream in(line);
    std::string cmd, arg;
    in >> cmd;
    in >> std::ws;
    std::getline(in, arg);
    std::string first = arg.substr(0, arg.find(' '));
    std::string rest = arg.find(' ') == std::string::npos ? std::string() : arg.substr(arg.find(' ') + 1);

    if (cmd.empty())
        return std::string();
    if (cmd == "help")
        return kHelp;
    if (cmd == "status")
        return module_.Describe() + "\n" + module_.DescribeData() + "\n" + HandheldStatus();
    if (cmd == "data")
        return module_.DescribeData();
    if (cmd == "quit" || cmd == "exit") {
        quit_ = true;
        return "bye";
    }
    if (cmd == "ring" || cmd == "ringnocid") {
        if (module_.Call() != SimModule::CallState::Idle)
            return "busy: a call is in progress";
        if (module_.Data().connected)
            return "busy: a data call is up";
        module_.Ring(first, cmd == "ring");
        return "ringing";
    }
    if (cmd == "wait" && !first.empty()) {
        module_.CallWaiting(first);
        return "call waiting from " + first;
    }
    if (cmd == "vcall" && !first.empty()) {
        module_.VoiceCallSetup(first);
        return "call set-up " + first;
    }
    if (cmd == "answer") {
        module_.RemoteAnswer();
        return "answered";
    }
    if (cmd == "hangup") {
        module_.RemoteHangUp();
        return "hung up";
    }
    if (cmd == "carrier") {
        module_.CarrierLoss();
        return "carrier lost";
    }
    if (cmd == "lock") {
        module_.Lock();
        return "locked";
    }
    if (cmd == "unlock") {
        module_.Unlock();
        return "registered";
    }
    if ((cmd == "sms" || cmd == "smsqrv") && !first.empty()) {
        module_.IncomingText(first, ToCp949(Utf8ToWide(rest)), cmd == "smsqrv");
        return "text from " + first + " announced";
    }
    if (cmd == "ack" || cmd == "nak") {
        module_.SendAck(cmd == "ack");
        return cmd == "ack" ? "accepted" : "refused";
    }
    if (cmd == "ackmode") {
        if (first == "ack")
            module_.SetAckMode(SimModule::AckMode::Ack);
        else if (first == "nak")
            module_.SetAckMode(SimModule::AckMode::Nak);
        else if (first == "none")
            module_.SetAckMode(SimModule::AckMode::None);
        else if (first == "error")
            module_.SetAckMode(SimModule::AckMode::Error);
        else
            return "ackmode ack|nak|none|error";
        return "sent texts: " + first;
    }
    if (cmd == "battery" && !first.empty()) {
        module_.SetBattery(std::atof(first.c_str()));
        return "battery " + first + " V";
    }
    if (cmd == "signal" && !first.empty()) {
        module_.SetSignal(std::atoi(first.c_str()));
        return "signal " + first;
    }
    if (cmd == "burst" && !first.empty()) {
        int ms = rest.empty() ? 300 : std::atoi(rest.c_str());
        module_.RingBurst(std::atoi(first.c_str()), ms > 0 ? ms : 300);
        return "ring burst";
    }
    if (cmd == "raw" && !arg.empty()) {
        module_.SendRaw(Unquote(arg));
        return "sent";
    }
    if (cmd == "broken" && !arg.empty()) {
        module_.SendRaw("\r\n" + Unquote(arg));
        return "sent";
    }
    if (cmd == "delay" && !first.empty()) {
        module_.SetResponseDelay(static_cast<DWORD>(std::atoi(first.c_str())));
        return "answers delayed " + first + " ms";
    }
    if (cmd == "silent" && (first == "on" || first == "off")) {
        module_.SetSilent(first == "on");
        return "silent " + first;
    }
    if (cmd == "autoanswer" && !first.empty()) {
        module_.SetAutoAnswer(first == "off" ? -1 : std::atoi(first.c_str()));
        return "auto answer " + first;
    }
    if (cmd == "insert") {
        std::wstring name;
        if (!InsertCard(&name))
            return "insert failed (error " + std::to_string(GetLastError()) + ")";
        return "card in as " + std::string(name.begin(), name.end());
    }
    if (cmd == "remove")
        return RemoveCard() ? "card out" : "remove failed (error " + std::to_string(GetLastError()) + ")";
    return "unknown command; try help";
}

}  // namespace zen::sim
