#include "ce/serialapi/DeviceClient.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeIo.h"

namespace cedev {
namespace {

// One open device handle. The primary connection carries the open and the
// close; every call uses a connection of its own from the pool, so calls of
// several threads run side by side in the device manager.
struct Device {
    std::wstring pipeName;
    uint32_t session = 0;
    uint8_t key[kKeySize] = {};
    HANDLE primary = INVALID_HANDLE_VALUE;
    std::mutex lock;
    std::vector<HANDLE> idle;
    bool closed = false;
    bool removed = false;
};

std::mutex g_lock;
std::map<HANDLE, std::shared_ptr<Device>> g_devices;

std::shared_ptr<Device> Find(HANDLE h)
{
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_devices.find(h);
    return it == g_devices.end() ? nullptr : it->second;
}

bool Exchange(HANDLE pipe, const DevRequest& rq, const void* in, DevReply& rp, std::vector<BYTE>& out)
{
    std::vector<BYTE> msg(sizeof rq + rq.inSize);
    std::memcpy(msg.data(), &rq, sizeof rq);
    if (rq.inSize)
        std::memcpy(msg.data() + sizeof rq, in, rq.inSize);
    std::vector<BYTE> reply;
    PipeLimits limits;
    limits.maxSize = kMaxDevReply;
    if (!PipeTransact(pipe, msg.data(), static_cast<DWORD>(msg.size()), reply, limits) || reply.size() < sizeof rp)
        return false;
    std::memcpy(&rp, reply.data(), sizeof rp);
    if (rp.outSize != reply.size() - sizeof rp)
        return false;
    out.assign(reply.begin() + sizeof rp, reply.end());
    return true;
}

// A pipe broken under a call means the device manager let go of the device.
BOOL Gone(Device& d)
{
    std::lock_guard<std::mutex> hold(d.lock);
    d.removed = true;
    SetLastError(ERROR_DEVICE_REMOVED);
    return FALSE;
}

HANDLE TakeConnection(Device& d)
{
    {
        std::lock_guard<std::mutex> hold(d.lock);
        if (d.removed || d.closed) {
            SetLastError(d.removed ? ERROR_DEVICE_REMOVED : ERROR_INVALID_HANDLE);
            return INVALID_HANDLE_VALUE;
        }
        if (!d.idle.empty()) {
            HANDLE c = d.idle.back();
            d.idle.pop_back();
            return c;
        }
    }
    HANDLE c = PipeConnect(d.pipeName, 5000);
    if (c == INVALID_HANDLE_VALUE) {
        // Only a pipe that is gone means the device is; a busy one fails this call alone.
        if (GetLastError() == ERROR_PIPE_BUSY) {
            SetLastError(ERROR_BUSY);
            return INVALID_HANDLE_VALUE;
        }
        Gone(d);
        return INVALID_HANDLE_VALUE;
    }
    DevRequest rq{};
    rq.op = DevAttach;
    rq.session = d.session;
    std::memcpy(rq.key, d.key, kKeySize);
    DevReply rp{};
    std::vector<BYTE> out;
    if (!Exchange(c, rq, nullptr, rp, out) || !rp.ok) {
        ::CloseHandle(c);
        // Our session is not (or not ours) at the device of that name: the
        // device we opened was removed and another took its place.
        bool replaced = rp.error == ERROR_INVALID_HANDLE || rp.error == ERROR_ACCESS_DENIED;
        if (!rp.ok && rp.error && !replaced) {
            SetLastError(rp.error);
            return INVALID_HANDLE_VALUE;
        }
        Gone(d);
        return INVALID_HANDLE_VALUE;
    }
    return c;
}

void ReturnConnection(Device& d, HANDLE c)
{
    std::lock_guard<std::mutex> hold(d.lock);
    if (d.closed || d.removed)
        ::CloseHandle(c);
    else
        d.idle.push_back(c);
}

// One call on a pool connection.
BOOL Call(HANDLE h, const DevRequest& rq, const void* in, DevReply& rp, std::vector<BYTE>& out)
{
    std::shared_ptr<Device> d = Find(h);
    if (!d) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HANDLE c = TakeConnection(*d);
    if (c == INVALID_HANDLE_VALUE)
        return FALSE;
    if (!Exchange(c, rq, in, rp, out)) {
        ::CloseHandle(c);
        return Gone(*d);
    }
    ReturnConnection(*d, c);
    SetLastError(rp.ok ? ERROR_SUCCESS : rp.error);
    return rp.ok ? TRUE : FALSE;
}

}  // namespace

bool IsDeviceName(LPCWSTR name)
{
    if (!name || lstrlenW(name) != 5)
        return false;
    for (int i = 0; i < 3; ++i) {
        wchar_t c = name[i];
        if (!((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')))
            return false;
    }
    return name[3] >= L'0' && name[3] <= L'9' && name[4] == L':';
}

HANDLE DeviceOpen(LPCWSTR name, DWORD access, DWORD share)
{
    std::wstring device(name);
    CharUpperW(&device[0]);
    auto d = std::make_shared<Device>();
    d->pipeName = DevicePipeName(device);
    d->primary = PipeConnect(d->pipeName, 5000);
    if (d->primary == INVALID_HANDLE_VALUE) {
        DWORD err = GetLastError();
        SetLastError(err == ERROR_PIPE_BUSY ? ERROR_BUSY : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DevRequest rq{};
    rq.op = DevOpen;
    rq.access = access;
    rq.share = share;
    DevReply rp{};
    std::vector<BYTE> out;
    if (!Exchange(d->primary, rq, nullptr, rp, out) || !rp.ok || out.size() != kKeySize) {
        ::CloseHandle(d->primary);
        SetLastError(rp.ok || !rp.error ? ERROR_DEVICE_REMOVED : rp.error);
        return INVALID_HANDLE_VALUE;
    }
    d->session = rp.value;
    std::memcpy(d->key, out.data(), kKeySize);
    // The handle value is an unnamed event of our own: unique, and harmless
    // should it ever reach kernel32.
    HANDLE token = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!token) {
        ::CloseHandle(d->primary);
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    g_devices[token] = d;
    SetLastError(ERROR_SUCCESS);
    return token;
}

bool IsDeviceHandle(HANDLE h)
{
    return Find(h) != nullptr;
}

BOOL DeviceClose(HANDLE h)
{
    std::shared_ptr<Device> d;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_devices.find(h);
        if (it == g_devices.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        d = it->second;
        g_devices.erase(it);
    }
    std::vector<HANDLE> idle;
    bool removed;
    {
        std::lock_guard<std::mutex> hold(d->lock);
        d->closed = true;
        idle.swap(d->idle);
        removed = d->removed;
    }
    for (HANDLE c : idle)
        ::CloseHandle(c);
    // Closing in the driver also releases this handle's calls blocked on other threads.
    DevReply rp{};
    bool answered = false;
    if (!removed) {
        DevRequest rq{};
        rq.op = DevClose;
        std::vector<BYTE> out;
        answered = Exchange(d->primary, rq, nullptr, rp, out);
    }
    ::CloseHandle(d->primary);
    ::CloseHandle(h);
    // The handle is released either way. A removed card's handle (or one whose
    // device manager went away) closes without complaint; a driver that
    // refused the close is reported.
    if (answered && !rp.ok && rp.error != ERROR_DEVICE_REMOVED) {
        SetLastError(rp.error ? rp.error : ERROR_GEN_FAILURE);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL DeviceRead(HANDLE h, void* buffer, DWORD count, DWORD& value)
{
    value = 0;
    BYTE* dst = static_cast<BYTE*>(buffer);
    // Large reads go in pieces; a short piece ends the read (time-out reached).
    while (value < count) {
        DWORD part = count - value < kMaxTransfer ? count - value : kMaxTransfer;
        DevRequest rq{};
        rq.op = DevRead;
        rq.outSize = part;
        DevReply rp{};
        std::vector<BYTE> out;
        if (!Call(h, rq, nullptr, rp, out))
            return value ? TRUE : FALSE;
        DWORD n = static_cast<DWORD>(out.size() < part ? out.size() : part);
        std::memcpy(dst + value, out.data(), n);
        value += n;
        if (n < part)
            break;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL DeviceWrite(HANDLE h, const void* buffer, DWORD count, DWORD& value)
{
    value = 0;
    const BYTE* src = static_cast<const BYTE*>(buffer);
    do {
        DWORD part = count - value < kMaxTransfer ? count - value : kMaxTransfer;
        DevRequest rq{};
        rq.op = DevWrite;
        rq.inSize = part;
        DevReply rp{};
        std::vector<BYTE> out;
        if (!Call(h, rq, src + value, rp, out))
            return FALSE;
        value += rp.value < part ? rp.value : part;
        if (rp.value < part)
            break;
    } while (value < count);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL DeviceIoControl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                     DWORD& returned)
{
    returned = 0;
    if (inSize > kMaxTransfer || outSize > kMaxTransfer || (inSize && !in) || (outSize && !out)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DevRequest rq{};
    rq.op = DevIoControl;
    rq.code = code;
    rq.inSize = inSize;
    rq.outSize = outSize;
    DevReply rp{};
    std::vector<BYTE> data;
    BOOL ok = Call(h, rq, in, rp, data);
    DWORD err = GetLastError();
    if (!data.empty() && data.size() <= outSize)
        std::memcpy(out, data.data(), data.size());
    returned = static_cast<DWORD>(data.size() <= outSize ? data.size() : 0);
    SetLastError(err);
    return ok;
}

}  // namespace cedev
