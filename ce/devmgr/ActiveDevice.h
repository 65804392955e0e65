#pragma once
// One active device: its driver, its open handles (sessions) and the pipe on
// which clients of any process reach them.
#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "ce/devmgr/ActiveRegistry.h"
#include "ce/devmgr/PipeServer.h"
#include "ce/devmgr/StreamDriver.h"

namespace cedev {

class ActiveDevice {
public:
    ActiveDevice(std::wstring pnpId, std::wstring link, DWORD hnd);
    ~ActiveDevice();
    ActiveDevice(const ActiveDevice&) = delete;
    ActiveDevice& operator=(const ActiveDevice&) = delete;

    // Loads the driver, writes the active key, calls Init and starts serving.
    // On failure returns the error code, with nothing left behind.
    DWORD Activate(const DriverEntry& driver);
    // Card removal: every open handle fails from now on and is closed in the
    // driver, calls under way are waited for (a while), then Deinit.
    void Deactivate();

    // Suspend (false) or resume (true) of the handheld.
    void Power(bool on);

    const std::wstring& PnpId() const { return pnpId_; }
    const std::wstring& Name() const { return entry_.name; }

private:
    struct Session {
        DWORD_PTR open = 0;
    };

    void Serve(HANDLE pipe, HANDLE stop);
    void Handle(const struct DevRequest& rq, const BYTE* in, uint32_t& session, bool& primary,
                std::vector<BYTE>& reply);
    // Marks a call into the driver for `session`; false (with `error`) when
    // the device is gone or the handle closed.
    bool Enter(uint32_t session, DWORD_PTR& open, DWORD& error);
    void Leave();
    BOOL CloseSession(uint32_t session);

    std::wstring pnpId_;
    std::wstring link_;
    DWORD hnd_;
    ActiveEntry entry_;
    StreamDriver driver_;
    DWORD_PTR context_ = 0;
    PipeServer server_;

    std::mutex lock_;
    std::condition_variable idle_;
    std::map<uint32_t, Session> sessions_;
    uint32_t nextSession_ = 1;
    int inFlight_ = 0;
    bool removed_ = false;
};

}  // namespace cedev
