// The CeDev* functions of ce_serialapi.h: device handles go to the device
// manager, the comm calls become IOCTL_SERIAL_* requests, everything else
// goes to kernel32.
#define CE_SERIALAPI_NO_REMAP
#include "ce_serialapi.h"

#include "ce/serialapi/DeviceClient.h"

namespace {

bool IsDevice(HANDLE h)
{
    return h && h != INVALID_HANDLE_VALUE && cedev::IsDeviceHandle(h);
}

BOOL Ioctl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out = nullptr, DWORD outSize = 0,
           DWORD* returned = nullptr)
{
    DWORD n = 0;
    BOOL ok = cedev::DeviceIoControl(h, code, in, inSize, out, outSize, n);
    if (returned)
        *returned = n;
    return ok;
}

BOOL NoOverlapped()
{
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // namespace

extern "C" {

HANDLE WINAPI CeDevCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                               DWORD creation, DWORD flags, HANDLE templateFile)
{
    if (cedev::IsDeviceName(name))
        return cedev::DeviceOpen(name, access, share);
    return CreateFileW(name, access, share, sa, creation, flags, templateFile);
}

BOOL WINAPI CeDevReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov)
{
    if (!IsDevice(h))
        return ReadFile(h, buffer, toRead, read, ov);
    if (ov)
        return NoOverlapped();
    DWORD n = 0;
    BOOL ok = cedev::DeviceRead(h, buffer, toRead, n);
    if (read)
        *read = n;
    return ok;
}

BOOL WINAPI CeDevWriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov)
{
    if (!IsDevice(h))
        return WriteFile(h, buffer, toWrite, written, ov);
    if (ov)
        return NoOverlapped();
    DWORD n = 0;
    BOOL ok = cedev::DeviceWrite(h, buffer, toWrite, n);
    if (written)
        *written = n;
    return ok;
}

BOOL WINAPI CeDevCloseHandle(HANDLE h)
{
    if (IsDevice(h))
        return cedev::DeviceClose(h);
    return CloseHandle(h);
}

BOOL WINAPI CeDevDeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                 LPDWORD returned, LPOVERLAPPED ov)
{
    if (!IsDevice(h))
        return DeviceIoControl(h, code, in, inSize, out, outSize, returned, ov);
    if (ov)
        return NoOverlapped();
    return Ioctl(h, code, in, inSize, out, outSize, returned);
}

BOOL WINAPI CeDevGetCommState(HANDLE h, LPDCB dcb)
{
    if (!IsDevice(h))
        return GetCommState(h, dcb);
    if (!dcb)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_GET_DCB, nullptr, 0, dcb, sizeof(DCB));
}

BOOL WINAPI CeDevSetCommState(HANDLE h, LPDCB dcb)
{
    if (!IsDevice(h))
        return SetCommState(h, dcb);
    if (!dcb)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_SET_DCB, dcb, sizeof(DCB));
}

BOOL WINAPI CeDevGetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS timeouts)
{
    if (!IsDevice(h))
        return GetCommTimeouts(h, timeouts);
    if (!timeouts)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_GET_TIMEOUTS, nullptr, 0, timeouts, sizeof(COMMTIMEOUTS));
}

BOOL WINAPI CeDevSetCommTimeouts(HANDLE h, LPCOMMTIMEOUTS timeouts)
{
    if (!IsDevice(h))
        return SetCommTimeouts(h, timeouts);
    if (!timeouts)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_SET_TIMEOUTS, timeouts, sizeof(COMMTIMEOUTS));
}

BOOL WINAPI CeDevGetCommMask(HANDLE h, LPDWORD mask)
{
    if (!IsDevice(h))
        return GetCommMask(h, mask);
    if (!mask)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_GET_WAIT_MASK, nullptr, 0, mask, sizeof(DWORD));
}

BOOL WINAPI CeDevSetCommMask(HANDLE h, DWORD mask)
{
    if (!IsDevice(h))
        return SetCommMask(h, mask);
    return Ioctl(h, IOCTL_SERIAL_SET_WAIT_MASK, &mask, sizeof mask);
}

BOOL WINAPI CeDevWaitCommEvent(HANDLE h, LPDWORD mask, LPOVERLAPPED ov)
{
    if (!IsDevice(h))
        return WaitCommEvent(h, mask, ov);
    if (ov || !mask)
        return NoOverlapped();
    DWORD events = 0;
    BOOL ok = Ioctl(h, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events);
    *mask = ok ? events : 0;
    return ok;
}

BOOL WINAPI CeDevPurgeComm(HANDLE h, DWORD flags)
{
    if (!IsDevice(h))
        return PurgeComm(h, flags);
    return Ioctl(h, IOCTL_SERIAL_PURGE, &flags, sizeof flags);
}

BOOL WINAPI CeDevEscapeCommFunction(HANDLE h, DWORD func)
{
    if (!IsDevice(h))
        return EscapeCommFunction(h, func);
    DWORD code;
    switch (func) {
    case SETXOFF: code = IOCTL_SERIAL_SET_XOFF; break;
    case SETXON: code = IOCTL_SERIAL_SET_XON; break;
    case SETRTS: code = IOCTL_SERIAL_SET_RTS; break;
    case CLRRTS: code = IOCTL_SERIAL_CLR_RTS; break;
    case SETDTR: code = IOCTL_SERIAL_SET_DTR; break;
    case CLRDTR: code = IOCTL_SERIAL_CLR_DTR; break;
    case SETBREAK: code = IOCTL_SERIAL_SET_BREAK_ON; break;
    case CLRBREAK: code = IOCTL_SERIAL_SET_BREAK_OFF; break;
    case 10: code = IOCTL_SERIAL_ENABLE_IR; break;   // SETIR
    case 11: code = IOCTL_SERIAL_DISABLE_IR; break;  // CLRIR
    default:
        // RESETDEV and the rest have no request on the handheld either.
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Ioctl(h, code, nullptr, 0);
}

BOOL WINAPI CeDevGetCommModemStatus(HANDLE h, LPDWORD status)
{
    if (!IsDevice(h))
        return GetCommModemStatus(h, status);
    if (!status)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, status, sizeof(DWORD));
}

BOOL WINAPI CeDevClearCommError(HANDLE h, LPDWORD errors, LPCOMSTAT stat)
{
    if (!IsDevice(h))
        return ClearCommError(h, errors, stat);
    SERIAL_DEV_STATUS st{};
    if (!Ioctl(h, IOCTL_SERIAL_GET_COMMSTATUS, nullptr, 0, &st, sizeof st))
        return FALSE;
    if (errors)
        *errors = st.Errors;
    if (stat)
        *stat = st.ComStat;
    return TRUE;
}

BOOL WINAPI CeDevSetupComm(HANDLE h, DWORD inQueue, DWORD outQueue)
{
    if (!IsDevice(h))
        return SetupComm(h, inQueue, outQueue);
    SERIAL_QUEUE_SIZES sizes{inQueue, outQueue};
    return Ioctl(h, IOCTL_SERIAL_SET_QUEUE_SIZE, &sizes, sizeof sizes);
}

BOOL WINAPI CeDevGetCommProperties(HANDLE h, LPCOMMPROP prop)
{
    if (!IsDevice(h))
        return GetCommProperties(h, prop);
    if (!prop)
        return NoOverlapped();
    return Ioctl(h, IOCTL_SERIAL_GET_PROPERTIES, nullptr, 0, prop, sizeof(COMMPROP));
}

BOOL WINAPI CeDevIsDeviceHandle(HANDLE h)
{
    return IsDevice(h) ? TRUE : FALSE;
}

}  // extern "C"
