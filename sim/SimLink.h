#pragma once
// Serves the simulated module on its link pipe, where the platform serial
// driver's loopback backend connects when the card is inserted. A connection
// powers the module on; losing it (card removed) powers it off.
#include <windows.h>

#include <mutex>
#include <string>

#include "ce/devmgr/PipeServer.h"
#include "sim/SimModule.h"

namespace zen::sim {

class SimLink {
public:
    explicit SimLink(SimModule& module);
    ~SimLink();
    SimLink(const SimLink&) = delete;
    SimLink& operator=(const SimLink&) = delete;

    // FALSE when another simulator serves `name` already.
    bool Start(const std::wstring& name);
    void Stop();
    // The card's "Link" value: L"sim:<name>".
    std::wstring Link() const { return L"sim:" + name_; }
    bool Connected() const;

private:
    void Serve(HANDLE pipe, HANDLE stop);
    void Send(BYTE type, const std::string& payload);

    SimModule& module_;
    cedev::PipeServer server_;
    std::wstring name_;
    mutable std::mutex lock_;
    HANDLE current_ = nullptr;
    HANDLE currentStop_ = nullptr;
};

}  // namespace zen::sim
