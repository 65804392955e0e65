// Serial.dll's host port backend on a real (pseudo) terminal: the driver
// script (hostport_test.py) maps COM9 to a pty whose other end answers "OK"
// to every line, then runs this program, and hangs up when it says HANGUP.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ce_streamdrv.h"
#include "pegdser.h"

namespace {

int Fail(const char* what)
{
    std::printf("FAILED: %s (error %lu)\n", what, GetLastError());
    return 1;
}

}  // namespace

int main()
{
    HMODULE dll = LoadLibraryW(L"Serial.dll");
    if (!dll)
        return Fail("Serial.dll");
    auto Init = reinterpret_cast<PFN_STREAM_INIT>(GetProcAddress(dll, "COM_Init"));
    auto Deinit = reinterpret_cast<PFN_STREAM_DEINIT>(GetProcAddress(dll, "COM_Deinit"));
    auto Open = reinterpret_cast<PFN_STREAM_OPEN>(GetProcAddress(dll, "COM_Open"));
    auto Close = reinterpret_cast<PFN_STREAM_CLOSE>(GetProcAddress(dll, "COM_Close"));
    auto Read = reinterpret_cast<PFN_STREAM_READ>(GetProcAddress(dll, "COM_Read"));
    auto Write = reinterpret_cast<PFN_STREAM_WRITE>(GetProcAddress(dll, "COM_Write"));
    auto IOControl = reinterpret_cast<PFN_STREAM_IOCONTROL>(GetProcAddress(dll, "COM_IOControl"));

    const wchar_t key[] = L"Software\\ZenTest\\HostPort";
    const wchar_t link[] = L"COM9";
    HKEY k;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr))
        return Fail("registry");
    RegSetValueExW(k, L"Link", 0, REG_SZ, reinterpret_cast<const BYTE*>(link), sizeof link);
    RegCloseKey(k);

    DWORD_PTR device = Init(reinterpret_cast<DWORD_PTR>(key));
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
    if (!device)
        return Fail("COM_Init on the host port");
    DWORD_PTR port = Open(device, GENERIC_READ | GENERIC_WRITE, 0);
    if (!port)
        return Fail("COM_Open");
    DCB dcb{};
    DWORD returned;
    IOControl(port, IOCTL_SERIAL_GET_DCB, nullptr, 0, reinterpret_cast<PBYTE>(&dcb), sizeof dcb, &returned);
    dcb.BaudRate = CBR_115200;
    if (!IOControl(port, IOCTL_SERIAL_SET_DCB, reinterpret_cast<PBYTE>(&dcb), sizeof dcb, nullptr, 0, &returned))
        return Fail("SET_DCB");
    COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 0};
    IOControl(port, IOCTL_SERIAL_SET_TIMEOUTS, reinterpret_cast<PBYTE>(&t), sizeof t, nullptr, 0, &returned);

    int result = 0;
    for (int round = 0; round < 3 && result == 0; ++round) {
        if (Write(port, "AT\r\n", 4) != 4)
            return Fail("COM_Write");
        std::string got;
        DWORD start = GetTickCount();
        while (got.find("OK\r\n") == std::string::npos && GetTickCount() - start < 5000) {
            char buf[64];
            DWORD n = Read(port, buf, sizeof buf);
            if (n == static_cast<DWORD>(-1))
                return Fail("COM_Read");
            got.append(buf, n);
            if (!n)
                Sleep(10);
        }
        if (got != "\r\nOK\r\n") {
            std::printf("FAILED: round %d got \"%s\"\n", round, got.c_str());
            result = 1;
        }
    }
    // A pty has no modem lines: the port stands as a plain line with DSR and CTS.
    DWORD status = 0;
    IOControl(port, IOCTL_SERIAL_GET_MODEMSTATUS, nullptr, 0, reinterpret_cast<PBYTE>(&status), sizeof status,
              &returned);
    if (status != (MS_CTS_ON | MS_DSR_ON)) {
        std::printf("FAILED: modem status %lu\n", status);
        result = 1;
    }
    // The other end hangs up, as a pulled adapter does: the port is gone and
    // says so, rather than taking writes into nowhere.
    std::printf("HANGUP\n");
    std::fflush(stdout);
    // A write that races the driver's noticing may fail plainly; within a
    // moment every call says the device was removed.
    DWORD gone = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && gone != ERROR_DEVICE_REMOVED; Sleep(50)) {
        if (Write(port, "AT\r\n", 4) == static_cast<DWORD>(-1))
            gone = GetLastError();
    }
    DWORD waitError = 0;
    DWORD events = 0;
    if (IOControl(port, IOCTL_SERIAL_WAIT_ON_MASK, nullptr, 0, reinterpret_cast<PBYTE>(&events), sizeof events,
                  &returned) == FALSE)
        waitError = GetLastError();
    if (gone != ERROR_DEVICE_REMOVED || waitError != ERROR_DEVICE_REMOVED) {
        std::printf("FAILED: after the hang-up write error %lu, wait error %lu\n", gone, waitError);
        result = 1;
    }
    Close(port);
    Deinit(device);
    if (result == 0)
        std::printf("PASSED: host port exchange\n");
    return result;
}
