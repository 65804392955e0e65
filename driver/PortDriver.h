#pragma once
// The modem port driver: forwards the stream entry points to the platform's
// serial driver, keeps the port open on a monitor thread while no program
// uses it, wakes the phone on a call or a message, lends its own handle to
// the program that opens the port, and tells the taskbar agent the module's
// state and traffic. One instance per process; it serves one port.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "SerialLibrary.h"

namespace zendrv {

class PortDriver {
public:
    PortDriver();
    ~PortDriver();
    PortDriver(const PortDriver&) = delete;
    PortDriver& operator=(const PortDriver&) = delete;

    // Library entry: loads "Serial.dll" and resolves its entry points.
    void Attach();
    void Detach();

    DWORD_PTR Init(DWORD_PTR activeKey);
    BOOL Deinit(DWORD_PTR device);
    // The card is gone: nothing more reaches the line, waits end.
    BOOL PreDeinit(DWORD_PTR device);
    DWORD_PTR Open(DWORD_PTR device, DWORD access, DWORD share);
    BOOL Close(DWORD_PTR open);
    DWORD Read(DWORD_PTR open, LPVOID buffer, DWORD count);
    DWORD Write(DWORD_PTR open, LPCVOID buffer, DWORD count);
    BOOL IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize,
                   PDWORD returned);
    void PowerUp(DWORD_PTR device);
    void PowerDown(DWORD_PTR device);

private:
    static DWORD WINAPI MonitorThread(LPVOID self);
    DWORD Monitor(unsigned generation);
    // Opens, configures and raises the control lines; true with a handle.
    bool OpenMonitorPort();
    void CheckStartBytes();
    void Arm();
    void Watch();
    void WaitWithoutHandle();
    // Starts the phone with "WAKEUP"; false when that failed.
    bool StartPhone();
    // Waits while a copy of the phone runs without the port: false when the
    // port is handed over or the driver stops meanwhile, true once it has
    // ended or after kPhoneEndMs with no call on.
    bool AwaitEndingPhone();
    bool CarrierOn();
    void TellAgent(int state);
    void StopMonitor();
    DWORD_PTR HandOver(DWORD access, DWORD share);
    void TakeBack();
    bool Usable() const;
    void Traffic(WPARAM written, LPARAM read);
    std::wstring InstallDir();

    SerialLibrary serial_;
    std::mutex lifecycle_;  // Init and Deinit
    std::atomic<DWORD_PTR> context_{0};
    // The monitor's own open handle of the port; 0 when it has none.
    std::atomic<DWORD_PTR> monitorHandle_{0};
    // An opener's own handle, taken while the monitor had none to lend.
    std::atomic<DWORD_PTR> directHandle_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> handedOver_{false};
    std::atomic<bool> lentHandle_{false};
    std::atomic<bool> appHolds_{false};
    std::atomic<unsigned> generation_{0};
    std::atomic<HWND> phone_{nullptr};
    std::atomic<HWND> agent_{nullptr};
    std::atomic<DWORD> lastStart_{0};
    std::atomic<bool> started_{false};
    DWORD startStatus_ = 0;  // monitor thread only

    std::mutex dirLock_;
    std::wstring installDir_;

    // Kept for the library's life: a late caller never waits on a closed handle.
    HANDLE MonitorStarted = nullptr;
    HANDLE PortReturned = nullptr;
    HANDLE MonitorArmed = nullptr;
    HANDLE MonitorReleased = nullptr;
    HANDLE wake_ = nullptr;  // an opener wants the port while the monitor has no handle
    HANDLE thread_ = nullptr;
    CRITICAL_SECTION openLock_;
    CRITICAL_SECTION closeLock_;
};

PortDriver& Driver();

}  // namespace zendrv
