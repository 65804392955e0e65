#include "ce/devmgr/DeviceManager.h"

#include <cstring>

#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeIo.h"

namespace cedev {

DeviceManager::~DeviceManager()
{
    Stop();
}

bool DeviceManager::Start()
{
    instance_ = CreateMutexW(nullptr, FALSE, kInstanceMutex);
    if (!instance_ || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (instance_)
            ::CloseHandle(instance_);
        instance_ = nullptr;
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    RemoveStaleActiveEntries();
    stopping_ = false;
    shutdown_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!control_.Start(kControlPipe, [this](HANDLE p, HANDLE s) { ServeControl(p, s); }, true)) {
        ::CloseHandle(instance_);
        instance_ = nullptr;
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    return true;
}

void DeviceManager::Stop()
{
    if (!instance_)
        return;
    // Cards go first, so that once the control pipe is gone (the manager no
    // longer answers) no active key of ours is left.
    std::vector<std::shared_ptr<ActiveDevice>> devices;
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        devices.swap(devices_);
    }
    for (auto& d : devices)
        d->Deactivate();
    devices.clear();
    control_.Stop();
    ::CloseHandle(shutdown_);
    shutdown_ = nullptr;
    ::CloseHandle(instance_);
    instance_ = nullptr;
}

DWORD DeviceManager::Insert(const std::wstring& pnpId, const std::wstring& link, std::wstring& name)
{
    DriverEntry driver;
    if (!ReadDriverEntry(pnpId, driver))
        return ERROR_FILE_NOT_FOUND;
    std::shared_ptr<ActiveDevice> device;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stopping_)
            return ERROR_SHUTDOWN_IN_PROGRESS;
        for (auto& d : devices_) {
            if (lstrcmpiW(d->PnpId().c_str(), pnpId.c_str()) == 0)
                return ERROR_ALREADY_EXISTS;
        }
        // Listed before its driver runs, so a second insertion of the card
        // is refused meanwhile; the list's lock is not held across Init.
        device = std::make_shared<ActiveDevice>(pnpId, link, nextHnd_++);
        devices_.push_back(device);
    }
    DWORD err = device->Activate(driver);
    if (err != ERROR_SUCCESS) {
        Unlist(device);
        return err;
    }
    name = device->Name();
    return ERROR_SUCCESS;
}

std::shared_ptr<ActiveDevice> DeviceManager::Take(const std::wstring& pnpId)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        if (lstrcmpiW((*it)->PnpId().c_str(), pnpId.c_str()) == 0) {
            std::shared_ptr<ActiveDevice> device = std::move(*it);
            devices_.erase(it);
            return device;
        }
    }
    return nullptr;
}

void DeviceManager::Unlist(const std::shared_ptr<ActiveDevice>& device)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        if (*it == device) {
            devices_.erase(it);
            return;
        }
    }
}

std::vector<std::shared_ptr<ActiveDevice>> DeviceManager::Snapshot()
{
    std::lock_guard<std::mutex> hold(lock_);
    return devices_;
}

DWORD DeviceManager::Remove(const std::wstring& pnpId)
{
    std::shared_ptr<ActiveDevice> device = Take(pnpId);
    if (!device)
        return ERROR_FILE_NOT_FOUND;
    device->Deactivate();
    return ERROR_SUCCESS;
}

void DeviceManager::Reactivate(const std::shared_ptr<ActiveDevice>& device)
{
    std::shared_ptr<ActiveDevice> fresh;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stopping_)
            return;
        fresh = std::make_shared<ActiveDevice>(device->PnpId(), device->Link(), nextHnd_++);
        bool listed = false;
        for (auto& d : devices_) {
            if (d == device) {
                d = fresh;  // a second insertion stays refused throughout
                listed = true;
            }
        }
        if (!listed)
            return;  // removed meanwhile
    }
    device->Deactivate();
    DriverEntry driver;
    DWORD err = ReadDriverEntry(fresh->PnpId(), driver) ? fresh->Activate(driver) : ERROR_FILE_NOT_FOUND;
    // The card's driver did not come back: the card counts as removed.
    if (err != ERROR_SUCCESS)
        Unlist(fresh);
}

void DeviceManager::Power(bool on)
{
    std::vector<std::shared_ptr<ActiveDevice>> devices = Snapshot();
    for (auto& d : devices)
        d->Power(on);
    if (on) {
        for (auto& d : devices)
            Reactivate(d);
    }
}

void DeviceManager::ServeControl(HANDLE pipe, HANDLE stop)
{
    PipeLimits limits;
    limits.stop = stop;
    limits.maxSize = sizeof(CtlRequest);
    std::vector<BYTE> msg;
    while (PipeRead(pipe, msg, limits)) {
        CtlRequest rq;
        if (msg.size() != sizeof rq)
            break;
        std::memcpy(&rq, msg.data(), sizeof rq);
        rq.pnpId[127] = 0;
        rq.link[259] = 0;
        CtlReply rp{};
        DWORD err = ERROR_SUCCESS;
        switch (rq.op) {
        case CtlPing:
            break;
        case CtlInsert: {
            std::wstring name;
            err = Insert(rq.pnpId, rq.link, name);
            lstrcpynW(rp.name, name.c_str(), 16);
            break;
        }
        case CtlRemove:
            err = Remove(rq.pnpId);
            break;
        case CtlPowerDown:
        case CtlPowerUp:
            Power(rq.op == CtlPowerUp);
            break;
        case CtlShutdown:
            SetEvent(shutdown_);
            break;
        default:
            err = ERROR_INVALID_FUNCTION;
        }
        rp.ok = err == ERROR_SUCCESS;
        rp.error = err;
        if (!PipeWrite(pipe, &rp, sizeof rp, stop))
            break;
    }
}

}  // namespace cedev
