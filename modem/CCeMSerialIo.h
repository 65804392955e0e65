#pragma once
// The serial calls of the modem link, behind one seam so that tests can put a
// scripted module in place of the port. The default goes to the platform.
#include <windows.h>

class CCeMSerialIo {
public:
    virtual ~CCeMSerialIo() = default;
    virtual HANDLE Open(const wchar_t* device) = 0;
    virtual BOOL GetState(HANDLE h, DCB* dcb) = 0;
    virtual BOOL SetState(HANDLE h, DCB* dcb) = 0;
    virtual BOOL GetTimeouts(HANDLE h, COMMTIMEOUTS* t) = 0;
    virtual BOOL SetTimeouts(HANDLE h, COMMTIMEOUTS* t) = 0;
    virtual BOOL SetMask(HANDLE h, DWORD mask) = 0;
    virtual BOOL WaitEvent(HANDLE h, DWORD* mask) = 0;
    virtual BOOL Read(HANDLE h, void* buf, DWORD size, DWORD* got) = 0;
    virtual BOOL Write(HANDLE h, const void* buf, DWORD size, DWORD* written) = 0;
    virtual BOOL Purge(HANDLE h, DWORD flags) = 0;
    virtual BOOL Escape(HANDLE h, DWORD func) = 0;
    virtual BOOL ModemStatus(HANDLE h, DWORD* status) = 0;
    virtual BOOL Close(HANDLE h) = 0;
};

// The platform's own calls: CreateFileW, GetCommState, ... CloseHandle.
CCeMSerialIo& PlatformSerialIo();
