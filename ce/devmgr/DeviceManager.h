#pragma once
// The device manager: card insertion and removal, and the control pipe.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ce/devmgr/ActiveDevice.h"
#include "ce/devmgr/PipeServer.h"

namespace cedev {

class DeviceManager {
public:
    DeviceManager() = default;
    ~DeviceManager();
    DeviceManager(const DeviceManager&) = delete;
    DeviceManager& operator=(const DeviceManager&) = delete;

    // FALSE with ERROR_ALREADY_EXISTS when another one runs in the session.
    bool Start();
    // Removes every card and stops serving.
    void Stop();

    DWORD Insert(const std::wstring& pnpId, const std::wstring& link, std::wstring& name);
    DWORD Remove(const std::wstring& pnpId);
    // Suspend tells every driver PowerDown; resume tells it PowerUp and then,
    // as card services do after the cards lost power, de-activates and
    // re-activates every card's driver (open handles fail from then on).
    void Power(bool on);
    // Signalled when a client asked the host process to end.
    HANDLE ShutdownEvent() const { return shutdown_; }

private:
    void ServeControl(HANDLE pipe, HANDLE stop);
    std::shared_ptr<ActiveDevice> Take(const std::wstring& pnpId);
    void Unlist(const std::shared_ptr<ActiveDevice>& device);
    std::vector<std::shared_ptr<ActiveDevice>> Snapshot();
    void Reactivate(const std::shared_ptr<ActiveDevice>& device);

    // Guards the list only: no driver is called with it held.
    std::mutex lock_;
    std::vector<std::shared_ptr<ActiveDevice>> devices_;
    PipeServer control_;
    HANDLE instance_ = nullptr;
    HANDLE shutdown_ = nullptr;
    DWORD nextHnd_ = 1;
    bool stopping_ = false;
};

}  // namespace cedev
