#include "PortControl.h"

#include <pegdser.h>

namespace zendrv {

bool PortControl::Request(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize)
{
    if (!serial_.IOControl || !handle_)
        return false;
    DWORD returned = 0;
    return serial_.IOControl(handle_, code, static_cast<PBYTE>(const_cast<void*>(in)), inSize,
                             static_cast<PBYTE>(out), outSize, &returned) != FALSE;
}

bool PortControl::Configure()
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!Request(IOCTL_SERIAL_GET_DCB, nullptr, 0, &dcb, sizeof dcb))
        return false;
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!Request(IOCTL_SERIAL_SET_DCB, &dcb, sizeof dcb, nullptr, 0))
        return false;
    COMMTIMEOUTS t{};
    Request(IOCTL_SERIAL_GET_TIMEOUTS, nullptr, 0, &t, sizeof t);
    t = COMMTIMEOUTS{MAXDWORD, 0, 0, 0, 0};
    return Request(IOCTL_SERIAL_SET_TIMEOUTS, &t, sizeof t, nullptr, 0);
}

bool PortControl::SetWaitMask(DWORD mask)
{
    return Request(IOCTL_SERIAL_SET_WAIT_MASK, &mask, sizeof mask, nullptr, 0);
}

bool PortControl::WaitOnMask(DWORD& events)
{
    events = 0;
    return Request(IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, &events, sizeof events);
}

DWORD PortControl::ModemStatus()
{
    DWORD status = 0;
    return Request(IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, &status, sizeof status) ? status : 0;
}

bool PortControl::Purge(DWORD flags)
{
    return Request(IOCTL_SERIAL_PURGE, &flags, sizeof flags, nullptr, 0);
}

bool PortControl::RaiseDtr()
{
    return Request(IOCTL_SERIAL_SET_DTR, nullptr, 0, nullptr, 0);
}

bool PortControl::RaiseRts()
{
    return Request(IOCTL_SERIAL_SET_RTS, nullptr, 0, nullptr, 0);
}

DWORD PortControl::Read(void* buffer, DWORD count)
{
    return serial_.Read && handle_ ? serial_.Read(handle_, buffer, count) : static_cast<DWORD>(-1);
}

}  // namespace zendrv
