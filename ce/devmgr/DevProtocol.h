#pragma once
// What travels over the device manager's pipes.
//
// Control pipe: one CtlRequest, one CtlReply.
// Device pipe (one per active device, named after it): a connection starts
// with DevOpen (it then holds that open handle: when it breaks, because the
// client closed it or its process ended, the device manager closes the handle
// in the driver) or DevAttach (a further connection of the same handle, so
// calls from several threads run side by side). Every request gets one reply.
// A handle belongs to the process that opened it: DevOpen's reply carries a
// random key, and DevAttach needs that key and the same process.
// A message longer than its largest size ends the connection unanswered.
#include <windows.h>

#include <cstdint>
#include <string>

namespace cedev {

inline const wchar_t kControlPipe[] = L"\\\\.\\pipe\\ZenDevMgr";
// Held by the running device manager; its existence means "one runs".
inline const wchar_t kInstanceMutex[] = L"ZenDevMgr.Instance";
// Serialises the choice of device numbers and active keys between processes.
inline const wchar_t kRegistryMutex[] = L"ZenDevMgr.Registry";

// "COM3:" -> "\\.\pipe\ZenDev.COM3".
inline std::wstring DevicePipeName(const std::wstring& device)
{
    std::wstring base = device;
    if (!base.empty() && base.back() == L':')
        base.pop_back();
    return L"\\\\.\\pipe\\ZenDev." + base;
}

// Largest data block of one read or write request.
constexpr DWORD kMaxTransfer = 32768;
// Bytes of a session key.
constexpr DWORD kKeySize = 16;

enum DevOp : uint32_t {
    DevOpen = 1,
    DevAttach,
    DevClose,
    DevRead,
    DevWrite,
    DevIoControl,
    DevSeek,
};

struct DevRequest {
    uint32_t op;
    uint32_t session;  // DevAttach: the session to join
    uint32_t code;     // DevIoControl code; DevSeek move method
    uint32_t access;   // DevOpen
    uint32_t share;    // DevOpen
    uint32_t outSize;  // DevRead count; DevIoControl output size
    int32_t amount;    // DevSeek
    uint32_t inSize;   // bytes that follow
    uint8_t key[kKeySize];  // DevAttach: the key DevOpen gave
};

struct DevReply {
    uint32_t ok;
    uint32_t error;    // last error when !ok
    uint32_t value;    // DevOpen: session; read/write/seek: count; ioctl: bytes returned
    uint32_t outSize;  // bytes that follow (DevOpen: the session key)
};

// Largest messages on a device pipe.
constexpr size_t kMaxDevRequest = sizeof(DevRequest) + kMaxTransfer;
constexpr size_t kMaxDevReply = sizeof(DevReply) + kMaxTransfer;

enum CtlOp : uint32_t {
    CtlPing = 1,
    CtlInsert,
    CtlRemove,
    CtlShutdown,
    CtlPowerDown,
    CtlPowerUp,
};

struct CtlRequest {
    uint32_t op;
    wchar_t pnpId[128];
    wchar_t link[260];
};

struct CtlReply {
    uint32_t ok;
    uint32_t error;
    wchar_t name[16];
};

}  // namespace cedev
