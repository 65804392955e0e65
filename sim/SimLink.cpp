#include "sim/SimLink.h"

#include <vector>

#include "ce/devmgr/PipeIo.h"
#include "ce/serial/LinkProtocol.h"

namespace zen::sim {

SimLink::SimLink(SimModule& module) : module_(module)
{
    module_.SetSink(SimModule::Sink{
        [this](const std::string& bytes) { Send(zenlink::kData, bytes); },
        [this](DWORD status) { Send(zenlink::kModemStatus, std::string(1, static_cast<char>(status))); },
    });
}

SimLink::~SimLink()
{
    Stop();
    module_.SetSink(SimModule::Sink{});
}

bool SimLink::Start(const std::wstring& name)
{
    name_ = name;
    return server_.Start(zenlink::LinkPipeName(name), [this](HANDLE p, HANDLE s) { Serve(p, s); }, true);
}

void SimLink::Stop()
{
    server_.Stop();
}

bool SimLink::Connected() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return current_ != nullptr;
}

void SimLink::Send(BYTE type, const std::string& payload)
{
    std::vector<BYTE> msg(1 + payload.size());
    msg[0] = type;
    std::copy(payload.begin(), payload.end(), msg.begin() + 1);
    std::lock_guard<std::mutex> hold(lock_);
    if (current_)
        cedev::PipeWrite(current_, msg.data(), static_cast<DWORD>(msg.size()), currentStop_);
}

void SimLink::Serve(HANDLE pipe, HANDLE stop)
{
    {
        // The newest connection is the card in the slot.
        std::lock_guard<std::mutex> hold(lock_);
        current_ = pipe;
        currentStop_ = stop;
    }
    module_.PowerOn();
    Send(zenlink::kModemStatus, std::string(1, static_cast<char>(module_.ModemStatus())));
    std::vector<BYTE> msg;
    while (cedev::PipeRead(pipe, msg, stop)) {
        if (msg.empty())
            continue;
        std::string payload(msg.begin() + 1, msg.end());
        if (msg[0] == zenlink::kData)
            module_.Receive(payload);
        else if (msg[0] == zenlink::kControlLines && payload.size() == 1)
            module_.SetControlLines((payload[0] & zenlink::kDtr) != 0, (payload[0] & zenlink::kRts) != 0);
    }
    bool wasCurrent;
    {
        std::lock_guard<std::mutex> hold(lock_);
        wasCurrent = current_ == pipe;
        if (wasCurrent)
            current_ = nullptr;
    }
    if (wasCurrent)
        module_.PowerOff();
}

}  // namespace zen::sim
