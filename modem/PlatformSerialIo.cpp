#include "modem/CCeMSerialIo.h"

// Device names such as "COM3:" reach the handheld's device manager; on plain
// Win32 the header is absent and the same names go to kernel32.
#if __has_include(<ce_serialapi.h>)
#include <ce_serialapi.h>
#endif

namespace {

class PlatformIo final : public CCeMSerialIo {
public:
    HANDLE Open(const wchar_t* device) override
    {
        return CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    }
    BOOL GetState(HANDLE h, DCB* dcb) override { return GetCommState(h, dcb); }
    BOOL SetState(HANDLE h, DCB* dcb) override { return SetCommState(h, dcb); }
    BOOL GetTimeouts(HANDLE h, COMMTIMEOUTS* t) override { return GetCommTimeouts(h, t); }
    BOOL SetTimeouts(HANDLE h, COMMTIMEOUTS* t) override { return SetCommTimeouts(h, t); }
    BOOL SetMask(HANDLE h, DWORD mask) override { return SetCommMask(h, mask); }
    BOOL WaitEvent(HANDLE h, DWORD* mask) override { return WaitCommEvent(h, mask, nullptr); }
    BOOL Read(HANDLE h, void* buf, DWORD size, DWORD* got) override
    {
        return ReadFile(h, buf, size, got, nullptr);
    }
    BOOL Write(HANDLE h, const void* buf, DWORD size, DWORD* written) override
    {
        return WriteFile(h, buf, size, written, nullptr);
    }
    BOOL Purge(HANDLE h, DWORD flags) override { return PurgeComm(h, flags); }
    BOOL Escape(HANDLE h, DWORD func) override { return EscapeCommFunction(h, func); }
    BOOL ModemStatus(HANDLE h, DWORD* status) override { return GetCommModemStatus(h, status); }
    BOOL Close(HANDLE h) override { return CloseHandle(h); }
};

}  // namespace

CCeMSerialIo& PlatformSerialIo()
{
    static PlatformIo io;
    return io;
}
