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
    std::vector<std::unique_ptr<ActiveDevice>> devices;
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
    std::lock_guard<std::mutex> hold(lock_);
    if (stopping_)
        return ERROR_SHUTDOWN_IN_PROGRESS;
    for (auto& d : devices_) {
        if (lstrcmpiW(d->PnpId().c_str(), pnpId.c_str()) == 0)
            return ERROR_ALREADY_EXISTS;
    }
    DriverEntry driver;
    if (!ReadDriverEntry(pnpId, driver))
        return ERROR_FILE_NOT_FOUND;
    auto device = std::make_unique<ActiveDevice>(pnpId, link, nextHnd_++);
    DWORD err = device->Activate(driver);
    if (err != ERROR_SUCCESS)
        return err;
    name = device->Name();
    devices_.push_back(std::move(device));
    return ERROR_SUCCESS;
}

DWORD DeviceManager::Remove(const std::wstring& pnpId)
{
    std::unique_ptr<ActiveDevice> device;
    {
        std::lock_guard<std::mutex> hold(lock_);
        for (auto it = devices_.begin(); it != devices_.end(); ++it) {
            if (lstrcmpiW((*it)->PnpId().c_str(), pnpId.c_str()) == 0) {
                device = std::move(*it);
                devices_.erase(it);
                break;
            }
        }
    }
    if (!device)
        return ERROR_FILE_NOT_FOUND;
    device->Deactivate();
    return ERROR_SUCCESS;
}

void DeviceManager::Power(bool on)
{
    std::lock_guard<std::mutex> hold(lock_);
    for (auto& d : devices_)
        d->Power(on);
}

void DeviceManager::ServeControl(HANDLE pipe, HANDLE stop)
{
    std::vector<BYTE> msg;
    while (PipeRead(pipe, msg, stop)) {
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
