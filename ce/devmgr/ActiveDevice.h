#pragma once
// One active device: its driver, its open handles (sessions) and the pipe on
// which clients of any process reach them. Owned through shared_ptr: every
// connection thread holds a reference, so the device (and its driver's code)
// outlives the last call into it.
#include <windows.h>

#include <array>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ce/devmgr/ActiveRegistry.h"
#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeServer.h"
#include "ce/devmgr/StreamDriver.h"

namespace cedev {

class ActiveDevice : public std::enable_shared_from_this<ActiveDevice> {
public:
    ActiveDevice(std::wstring pnpId, std::wstring link, DWORD hnd);
    ~ActiveDevice();
    ActiveDevice(const ActiveDevice&) = delete;
    ActiveDevice& operator=(const ActiveDevice&) = delete;

    // Loads the driver, writes the active key, starts serving and calls Init
    // (opens that arrive meanwhile wait for it, up to 5 s). On failure returns the error
    // code, with nothing left behind.
    DWORD Activate(const DriverEntry& driver);
    // Card removal: every open handle fails from now on and is closed in the
    // driver; calls still in the driver after a moment are told to end by
    // Deinit; the active key goes. The driver stays loaded until the last
    // call has left it.
    void Deactivate();

    // Suspend (false) or resume (true) of the handheld.
    void Power(bool on);

    const std::wstring& PnpId() const { return pnpId_; }
    const std::wstring& Link() const { return link_; }
    const std::wstring& Name() const { return entry_.name; }

private:
    using Key = std::array<uint8_t, kKeySize>;
    struct Session {
        DWORD_PTR open = 0;
        DWORD pid = 0;  // the opening process; 0 when unknown
        Key key{};
    };
    // What one connection is: the session it uses and whether it opened it.
    struct Connection {
        DWORD pid = 0;
        uint32_t session = 0;
        bool primary = false;
    };

    void Serve(HANDLE pipe, HANDLE stop);
    void Handle(const DevRequest& rq, const BYTE* in, Connection& c, std::vector<BYTE>& reply);
    void HandleOpen(const DevRequest& rq, Connection& c, DevReply& rp, std::vector<BYTE>& out, DWORD& err);
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
    std::mutex activation_;  // Activate and Deactivate, one at a time

    std::mutex lock_;
    std::condition_variable changed_;
    std::map<uint32_t, Session> sessions_;
    uint32_t nextSession_ = 1;
    int inFlight_ = 0;
    bool ready_ = false;    // Init returned a context
    bool removed_ = false;  // no new calls
    bool deinit_ = false;   // Deinit called: nothing more goes to the driver
};

}  // namespace cedev
