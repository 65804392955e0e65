#include "ce/devmgr/ActiveDevice.h"

#include <bcrypt.h>

#include <chrono>
#include <cstring>

#include "ce/devmgr/PipeIo.h"

namespace cedev {
namespace {

// Removal: how long calls may take to leave the driver once their handles
// are closed, before Deinit tells the driver to stop under them; then how
// long they get after Deinit; then how long idle connections get to end.
constexpr DWORD kQuietMs = 200;
constexpr DWORD kDrainMs = 2000;
constexpr DWORD kStopMs = 500;
// How long an open waits for the driver's Init to return.
constexpr DWORD kInitWaitMs = 5000;

bool NewKey(uint8_t* key)
{
    return BCRYPT_SUCCESS(BCryptGenRandom(nullptr, key, kKeySize, BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

}  // namespace

ActiveDevice::ActiveDevice(std::wstring pnpId, std::wstring link, DWORD hnd)
    : pnpId_(std::move(pnpId)), link_(std::move(link)), hnd_(hnd)
{
}

ActiveDevice::~ActiveDevice()
{
    Deactivate();
    server_.Stop(0);
    // Only now has every call left the driver's code.
    driver_.Unload();
}

DWORD ActiveDevice::Activate(const DriverEntry& driver)
{
    std::lock_guard<std::mutex> serial(activation_);
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (removed_)
            return ERROR_DEVICE_REMOVED;  // the card went before its driver came
    }
    if (!driver_.Load(driver.dll, driver.prefix))
        return ERROR_MOD_NOT_FOUND;
    if (!CreateActiveEntry(driver, pnpId_, link_, hnd_, entry_)) {
        DWORD err = GetLastError();
        driver_.Unload();
        entry_ = ActiveEntry{};
        return err ? err : ERROR_BUSY;
    }
    // The device is reachable while Init runs (a driver may open itself from
    // there); opens wait until Init has returned.
    std::weak_ptr<ActiveDevice> self = weak_from_this();
    if (!server_.Start(DevicePipeName(entry_.name), [self](HANDLE p, HANDLE s) {
            if (auto device = self.lock())
                device->Serve(p, s);
        })) {
        DeleteActiveEntry(entry_.path);
        driver_.Unload();
        entry_ = ActiveEntry{};
        return ERROR_GEN_FAILURE;
    }
    DWORD_PTR context = driver_.Init(reinterpret_cast<DWORD_PTR>(entry_.path.c_str()));
    {
        std::lock_guard<std::mutex> hold(lock_);
        context_ = context;
        ready_ = context != 0;
        removed_ = context == 0;
        changed_.notify_all();
    }
    if (!context) {
        server_.Stop(kStopMs);
        DeleteActiveEntry(entry_.path);
        entry_.path.clear();
        return ERROR_GEN_FAILURE;
    }
    return ERROR_SUCCESS;
}

void ActiveDevice::Deactivate()
{
    std::lock_guard<std::mutex> serial(activation_);
    std::vector<DWORD_PTR> open;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (removed_)
            return;
        removed_ = true;  // also keeps a later Activate from starting
        if (!ready_)
            return;
        for (auto& s : sessions_)
            open.push_back(s.second.open);
        sessions_.clear();
        inFlight_ += static_cast<int>(open.size());
        changed_.notify_all();
    }
    // A driver that can be told the card is gone hears it before its handles
    // close (it then does not talk to a line that is no longer there);
    // closing in the driver releases calls blocked on those handles.
    if (driver_.PreDeinit)
        driver_.PreDeinit(context_);
    for (DWORD_PTR h : open)
        driver_.Close(h);
    bool stuck;
    {
        std::unique_lock<std::mutex> hold(lock_);
        inFlight_ -= static_cast<int>(open.size());
        stuck = !changed_.wait_for(hold, std::chrono::milliseconds(kQuietMs), [this] { return inFlight_ == 0; });
        deinit_ = true;
    }
    if (stuck) {
        // Calls that no close ends (an open that waits for the driver's own
        // state, say): the card is gone, so the driver is told to stop now.
        driver_.Deinit(context_);
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait_for(hold, std::chrono::milliseconds(kDrainMs), [this] { return inFlight_ == 0; });
    }
    server_.Stop(kStopMs);
    if (!stuck)
        driver_.Deinit(context_);
    DeleteActiveEntry(entry_.path);
}

void ActiveDevice::Power(bool on)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (removed_ || !ready_)
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
        changed_.notify_all();
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
    SetLastError(0);
    BOOL ok = driver_.Close(open);
    DWORD err = GetLastError();
    Leave();
    SetLastError(ok ? 0 : (err ? err : ERROR_GEN_FAILURE));
    return ok;
}

void ActiveDevice::Serve(HANDLE pipe, HANDLE stop)
{
    Connection c;
    ULONG pid = 0;
    if (GetNamedPipeClientProcessId(pipe, &pid))
        c.pid = pid;
    PipeLimits limits;
    limits.stop = stop;
    limits.maxSize = kMaxDevRequest;
    std::vector<BYTE> msg, reply;
    // A message that is too long, too short or says the wrong length ends
    // the connection: the client does not speak this protocol.
    while (PipeRead(pipe, msg, limits)) {
        DevRequest rq;
        if (msg.size() < sizeof rq)
            break;
        std::memcpy(&rq, msg.data(), sizeof rq);
        if (rq.inSize != msg.size() - sizeof rq)
            break;
        Handle(rq, msg.data() + sizeof rq, c, reply);
        if (!PipeWrite(pipe, reply.data(), static_cast<DWORD>(reply.size()), stop))
            break;
    }
    // The handle's owner closed it, or its process ended: close it in the driver.
    if (c.primary)
        CloseSession(c.session);
}

void ActiveDevice::HandleOpen(const DevRequest& rq, Connection& c, DevReply& rp, std::vector<BYTE>& out, DWORD& err)
{
    if (c.session) {
        err = ERROR_INVALID_PARAMETER;
        return;
    }
    Session s;
    s.pid = c.pid;
    if (!NewKey(s.key.data())) {
        err = ERROR_GEN_FAILURE;
        return;
    }
    {
        // An open during Init waits for it, a while: an Init that opens its
        // own device and waits for that open gets an error, not a deadlock.
        std::unique_lock<std::mutex> hold(lock_);
        if (!changed_.wait_for(hold, std::chrono::milliseconds(kInitWaitMs), [this] { return ready_ || removed_; })) {
            err = ERROR_NOT_READY;
            return;
        }
        if (removed_) {
            err = ERROR_DEVICE_REMOVED;
            return;
        }
        ++inFlight_;
    }
    SetLastError(0);
    s.open = driver_.Open(context_, rq.access, rq.share);
    err = GetLastError();
    bool closeLate = false;
    if (s.open) {
        std::lock_guard<std::mutex> hold(lock_);
        if (!removed_) {
            c.session = nextSession_++;
            c.primary = true;
            sessions_[c.session] = s;
            rp.ok = 1;
            rp.value = c.session;
            out.assign(s.key.begin(), s.key.end());
        } else {
            // The card went while opening; once Deinit ran, nothing more goes in.
            closeLate = !deinit_;
            err = ERROR_DEVICE_REMOVED;
        }
    }
    if (closeLate)
        driver_.Close(s.open);
    Leave();
    if (!s.open && !err)
        err = ERROR_GEN_FAILURE;
}

void ActiveDevice::Handle(const DevRequest& rq, const BYTE* in, Connection& c, std::vector<BYTE>& reply)
{
    DevReply rp{};
    std::vector<BYTE> out;
    DWORD_PTR open = 0;
    DWORD err = 0;
    switch (rq.op) {
    case DevOpen:
        HandleOpen(rq, c, rp, out, err);
        break;
    case DevAttach: {
        if (c.session) {
            err = ERROR_INVALID_PARAMETER;
            break;
        }
        std::lock_guard<std::mutex> hold(lock_);
        auto it = sessions_.find(rq.session);
        if (removed_) {
            err = ERROR_DEVICE_REMOVED;
        } else if (it == sessions_.end()) {
            err = ERROR_INVALID_HANDLE;
        } else if (std::memcmp(it->second.key.data(), rq.key, kKeySize) != 0 ||
                   (it->second.pid && c.pid && it->second.pid != c.pid)) {
            err = ERROR_ACCESS_DENIED;  // another process's handle
        } else {
            c.session = rq.session;
            rp.ok = 1;
        }
        break;
    }
    case DevClose:
        if (!c.primary) {
            err = ERROR_INVALID_HANDLE;
            break;
        }
        rp.ok = CloseSession(c.session);
        err = GetLastError();
        c.primary = false;
        break;
    case DevRead: {
        if (!Enter(c.session, open, err))
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
        if (!Enter(c.session, open, err))
            break;
        SetLastError(0);
        DWORD n = driver_.Write(open, in, rq.inSize);
        err = GetLastError();
        Leave();
        if (n != static_cast<DWORD>(-1) && n <= rq.inSize) {
            rp.ok = 1;
            rp.value = n;
        }
        break;
    }
    case DevIoControl: {
        if (!Enter(c.session, open, err))
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
        if (!Enter(c.session, open, err))
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
    if (!rp.ok && rq.op != DevAttach) {
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
