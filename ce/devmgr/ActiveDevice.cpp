#include "ce/devmgr/ActiveDevice.h"

#include <chrono>
#include <cstring>
#include <vector>

#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeIo.h"

namespace cedev {
namespace {

// How long removal waits for driver calls that are under way.
constexpr DWORD kDrainMs = 3000;

}  // namespace

ActiveDevice::ActiveDevice(std::wstring pnpId, std::wstring link, DWORD hnd)
    : pnpId_(std::move(pnpId)), link_(std::move(link)), hnd_(hnd)
{
}

ActiveDevice::~ActiveDevice()
{
    Deactivate();
}

DWORD ActiveDevice::Activate(const DriverEntry& driver)
{
    if (!driver_.Load(driver.dll, driver.prefix))
        return ERROR_MOD_NOT_FOUND;
    if (!CreateActiveEntry(driver, pnpId_, link_, hnd_, entry_)) {
        DWORD err = GetLastError();
        driver_.Unload();
        return err ? err : ERROR_BUSY;
    }
    context_ = driver_.Init(reinterpret_cast<DWORD_PTR>(entry_.path.c_str()));
    if (!context_) {
        DeleteActiveEntry(entry_.path);
        driver_.Unload();
        entry_ = ActiveEntry{};
        return ERROR_GEN_FAILURE;
    }
    if (!server_.Start(DevicePipeName(entry_.name), [this](HANDLE p, HANDLE s) { Serve(p, s); })) {
        driver_.Deinit(context_);
        DeleteActiveEntry(entry_.path);
        driver_.Unload();
        entry_ = ActiveEntry{};
        context_ = 0;
        return ERROR_GEN_FAILURE;
    }
    return ERROR_SUCCESS;
}

void ActiveDevice::Deactivate()
{
    std::vector<DWORD_PTR> open;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (removed_ || !context_)
            return;
        removed_ = true;
        for (auto& s : sessions_)
            open.push_back(s.second.open);
        sessions_.clear();
        inFlight_ += static_cast<int>(open.size());
    }
    // Closing in the driver releases calls blocked in it (waits, reads).
    for (DWORD_PTR h : open)
        driver_.Close(h);
    bool drained;
    {
        std::unique_lock<std::mutex> hold(lock_);
        inFlight_ -= static_cast<int>(open.size());
        drained = idle_.wait_for(hold, std::chrono::milliseconds(kDrainMs), [this] { return inFlight_ == 0; });
    }
    bool stopped = server_.Stop(1000);
    driver_.Deinit(context_);
    DeleteActiveEntry(entry_.path);
    // Code a stuck thread may still run in must stay loaded.
    if (drained && stopped)
        driver_.Unload();
}

void ActiveDevice::Power(bool on)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (removed_ || !context_)
            return;
        ++inFlight_;
    }
    if (on && driver_.PowerUp)
        driver_.PowerUp(context_);
    else if (!on && driver_.PowerDown)
        driver_.PowerDown(context_);
    Leave();
}

bool ActiveDevice::Enter(uint32_t session, DWORD_PTR& open, DWORD& error)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (removed_) {
        error = ERROR_DEVICE_REMOVED;
        return false;
    }
    auto it = sessions_.find(session);
    if (it == sessions_.end()) {
        error = ERROR_INVALID_HANDLE;
        return false;
    }
    open = it->second.open;
    ++inFlight_;
    return true;
}

void ActiveDevice::Leave()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (--inFlight_ == 0)
        idle_.notify_all();
}

BOOL ActiveDevice::CloseSession(uint32_t session)
{
    DWORD_PTR open;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto it = sessions_.find(session);
        if (it == sessions_.end()) {
            SetLastError(removed_ ? ERROR_DEVICE_REMOVED : ERROR_INVALID_HANDLE);
            return FALSE;
        }
        open = it->second.open;
        sessions_.erase(it);
        ++inFlight_;
    }
    BOOL ok = driver_.Close(open);
    DWORD err = GetLastError();
    Leave();
    SetLastError(err);
    return ok;
}

void ActiveDevice::Serve(HANDLE pipe, HANDLE stop)
{
    uint32_t session = 0;
    bool primary = false;
    std::vector<BYTE> msg, reply;
    while (PipeRead(pipe, msg, stop)) {
        DevRequest rq;
        if (msg.size() < sizeof rq)
            break;
        std::memcpy(&rq, msg.data(), sizeof rq);
        if (rq.inSize != msg.size() - sizeof rq)
            break;
        Handle(rq, msg.data() + sizeof rq, session, primary, reply);
        if (!PipeWrite(pipe, reply.data(), static_cast<DWORD>(reply.size()), stop))
            break;
    }
    // The handle's owner closed it, or its process ended: close it in the driver.
    if (primary)
        CloseSession(session);
}

void ActiveDevice::Handle(const DevRequest& rq, const BYTE* in, uint32_t& session, bool& primary,
                          std::vector<BYTE>& reply)
{
    DevReply rp{};
    std::vector<BYTE> out;
    DWORD_PTR open = 0;
    DWORD err = 0;
    switch (rq.op) {
    case DevOpen: {
        if (session) {
            err = ERROR_INVALID_PARAMETER;
            break;
        }
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (removed_) {
                err = ERROR_DEVICE_REMOVED;
                break;
            }
            ++inFlight_;
        }
        SetLastError(0);
        open = driver_.Open(context_, rq.access, rq.share);
        err = GetLastError();
        if (open) {
            std::lock_guard<std::mutex> hold(lock_);
            if (!removed_) {
                session = nextSession_++;
                sessions_[session].open = open;
                primary = true;
                rp.ok = 1;
                rp.value = session;
            }
        }
        if (open && !rp.ok) {
            driver_.Close(open);  // the card went while opening
            err = ERROR_DEVICE_REMOVED;
        }
        Leave();
        if (!open && !err)
            err = ERROR_GEN_FAILURE;
        break;
    }
    case DevAttach:
        if (session || !Enter(rq.session, open, err))
            break;
        Leave();
        session = rq.session;
        rp.ok = 1;
        break;
    case DevClose:
        if (!primary) {
            err = ERROR_INVALID_HANDLE;
            break;
        }
        rp.ok = CloseSession(session);
        err = GetLastError();
        primary = false;
        break;
    case DevRead: {
        if (!Enter(session, open, err))
            break;
        out.resize(rq.outSize < kMaxTransfer ? rq.outSize : kMaxTransfer);
        SetLastError(0);
        DWORD n = driver_.Read(open, out.data(), static_cast<DWORD>(out.size()));
        err = GetLastError();
        Leave();
        if (n == static_cast<DWORD>(-1) || n > out.size()) {
            out.clear();
            break;
        }
        out.resize(n);
        rp.ok = 1;
        rp.value = n;
        break;
    }
    case DevWrite: {
        if (!Enter(session, open, err))
            break;
        SetLastError(0);
        DWORD n = driver_.Write(open, in, rq.inSize);
        err = GetLastError();
        Leave();
        if (n != static_cast<DWORD>(-1)) {
            rp.ok = 1;
            rp.value = n;
        }
        break;
    }
    case DevIoControl: {
        if (!Enter(session, open, err))
            break;
        std::vector<BYTE> input(in, in + rq.inSize);
        out.resize(rq.outSize < kMaxTransfer ? rq.outSize : kMaxTransfer);
        DWORD returned = 0;
        SetLastError(0);
        BOOL ok = driver_.IOControl(open, rq.code, input.empty() ? nullptr : input.data(), rq.inSize,
                                    out.empty() ? nullptr : out.data(), static_cast<DWORD>(out.size()), &returned);
        err = GetLastError();
        Leave();
        if (returned > out.size())
            returned = static_cast<DWORD>(out.size());
        out.resize(returned);
        rp.ok = ok ? 1 : 0;
        rp.value = returned;
        break;
    }
    case DevSeek: {
        if (!Enter(session, open, err))
            break;
        if (driver_.Seek) {
            SetLastError(0);
            DWORD pos = driver_.Seek(open, rq.amount, rq.code);
            err = GetLastError();
            rp.ok = pos != static_cast<DWORD>(-1);
            rp.value = pos;
        } else {
            err = ERROR_NOT_SUPPORTED;
        }
        Leave();
        break;
    }
    default:
        err = ERROR_INVALID_FUNCTION;
    }
    if (!rp.ok && !err)
        err = ERROR_GEN_FAILURE;
    if (!rp.ok) {
        // A call cut short by the card's removal says so.
        std::lock_guard<std::mutex> hold(lock_);
        if (removed_)
            err = ERROR_DEVICE_REMOVED;
    }
    rp.error = rp.ok ? 0 : err;
    rp.outSize = static_cast<uint32_t>(out.size());
    reply.resize(sizeof rp + out.size());
    std::memcpy(reply.data(), &rp, sizeof rp);
    if (!out.empty())
        std::memcpy(reply.data() + sizeof rp, out.data(), out.size());
}

}  // namespace cedev
