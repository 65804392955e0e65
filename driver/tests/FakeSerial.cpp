// A platform serial driver that records every call, built as "Serial.dll"
// in a folder of its own, so the modem port driver can be tested against it
// in one process. With FAKE_SERIAL_PARTIAL it lacks COM_PowerDown.
#include <windows.h>
#include <pegdser.h>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

namespace {

constexpr DWORD_PTR kContext = 0x5000;

std::mutex g_lock;
std::condition_variable g_changed;
std::string g_log;
std::set<DWORD_PTR> g_open;
DWORD_PTR g_next = 0x100;
DWORD g_mask = 0;
unsigned g_maskChanges = 0;
DWORD g_events = 0;
DWORD g_status = MS_CTS_ON | MS_DSR_ON;
bool g_down = false;
bool g_failOpens = false;

void Log(const char* format, ...)
{
    char line[160];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::lock_guard<std::mutex> hold(g_lock);
    g_log += line;
    g_log += '\n';
}

bool Known(DWORD_PTR open)
{
    std::lock_guard<std::mutex> hold(g_lock);
    return g_open.count(open) != 0;
}

BOOL WaitOnMask(DWORD* events)
{
    std::unique_lock<std::mutex> hold(g_lock);
    if (g_mask == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    unsigned changes = g_maskChanges;
    for (;;) {
        if (g_down) {
            SetLastError(ERROR_DEVICE_REMOVED);
            return FALSE;
        }
        if (g_maskChanges != changes) {
            *events = 0;
            return TRUE;
        }
        if (g_events & g_mask) {
            *events = g_events & g_mask;
            g_events = 0;
            return TRUE;
        }
        g_changed.wait(hold);
    }
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD_PTR COM_Init(DWORD_PTR key)
{
    Log("Init %llx", static_cast<unsigned long long>(key));
    std::lock_guard<std::mutex> hold(g_lock);
    g_down = false;
    return kContext;
}

__declspec(dllexport) BOOL COM_Deinit(DWORD_PTR device)
{
    Log("Deinit %llx", static_cast<unsigned long long>(device));
    std::lock_guard<std::mutex> hold(g_lock);
    g_down = true;
    g_open.clear();
    g_changed.notify_all();
    return device == kContext;
}

__declspec(dllexport) DWORD_PTR COM_Open(DWORD_PTR device, DWORD access, DWORD share)
{
    DWORD_PTR h = 0;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        if (device == kContext && !g_down && !g_failOpens) {
            h = g_next++;
            g_open.insert(h);
        }
    }
    Log("Open %lx %lx -> %llx", access, share, static_cast<unsigned long long>(h));
    if (!h)
        SetLastError(ERROR_ACCESS_DENIED);
    return h;
}

__declspec(dllexport) BOOL COM_Close(DWORD_PTR open)
{
    Log("Close %llx", static_cast<unsigned long long>(open));
    std::lock_guard<std::mutex> hold(g_lock);
    g_changed.notify_all();
    return g_open.erase(open) ? TRUE : FALSE;
}

__declspec(dllexport) DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count)
{
    Log("Read %llx %lu", static_cast<unsigned long long>(open), count);
    if (!Known(open))
        return static_cast<DWORD>(-1);
    DWORD n = count < 7 ? count : 7;
    std::memset(buffer, 'r', n);
    return n;
}

__declspec(dllexport) DWORD COM_Write(DWORD_PTR open, LPCVOID, DWORD count)
{
    Log("Write %llx %lu", static_cast<unsigned long long>(open), count);
    return Known(open) ? count : static_cast<DWORD>(-1);
}

__declspec(dllexport) BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out,
                                         DWORD outSize, PDWORD returned)
{
    Log("IOControl %llx %lx %lu %lu", static_cast<unsigned long long>(open), code, inSize, outSize);
    if (!Known(open)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD dummy;
    if (!returned)
        returned = &dummy;
    *returned = 0;
    switch (code) {
    case IOCTL_SERIAL_SET_WAIT_MASK: {
        std::lock_guard<std::mutex> hold(g_lock);
        g_mask = in && inSize >= 4 ? *reinterpret_cast<DWORD*>(in) : 0;
        g_events = 0;
        ++g_maskChanges;
        g_changed.notify_all();
        return TRUE;
    }
    case IOCTL_SERIAL_WAIT_ON_MASK:
        if (!out || outSize < 4 || !WaitOnMask(reinterpret_cast<DWORD*>(out)))
            return FALSE;
        *returned = 4;
        return TRUE;
    case IOCTL_SERIAL_GET_MODEMSTATUS: {
        if (!out || outSize < 4)
            return FALSE;
        std::lock_guard<std::mutex> hold(g_lock);
        *reinterpret_cast<DWORD*>(out) = g_status;
        *returned = 4;
        return TRUE;
    }
    case IOCTL_SERIAL_GET_DCB:
    case IOCTL_SERIAL_GET_TIMEOUTS:
        if (out)
            std::memset(out, 0, outSize);
        *returned = outSize;
        return TRUE;
    case IOCTL_SERIAL_SET_DCB:
    case IOCTL_SERIAL_SET_TIMEOUTS:
    case IOCTL_SERIAL_PURGE:
    case IOCTL_SERIAL_SET_DTR:
    case IOCTL_SERIAL_SET_RTS:
        return TRUE;
    default:
        // Any other request: the output is filled so the caller sees it came back.
        if (out)
            std::memset(out, 0x5A, outSize);
        *returned = outSize;
        return in && inSize ? in[0] == 0x42 : TRUE;
    }
}

__declspec(dllexport) void COM_PowerUp(DWORD_PTR device)
{
    Log("PowerUp %llx", static_cast<unsigned long long>(device));
}

#ifndef FAKE_SERIAL_PARTIAL
__declspec(dllexport) void COM_PowerDown(DWORD_PTR device)
{
    Log("PowerDown %llx", static_cast<unsigned long long>(device));
}
#endif

// What the test reads and sets.
__declspec(dllexport) DWORD FakeSerial_Log(char* out, DWORD size)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (out && size)
        lstrcpynA(out, g_log.c_str(), static_cast<int>(size));
    return static_cast<DWORD>(g_log.size());
}

__declspec(dllexport) DWORD FakeSerial_OpenCount()
{
    std::lock_guard<std::mutex> hold(g_lock);
    return static_cast<DWORD>(g_open.size());
}

__declspec(dllexport) void FakeSerial_FailOpens(BOOL fail)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_failOpens = fail != FALSE;
}

// Line change: the modem status and the events it raises.
__declspec(dllexport) void FakeSerial_Lines(DWORD status, DWORD events)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_status = status;
    g_events |= events;
    g_changed.notify_all();
}

}  // extern "C"
