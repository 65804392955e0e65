// Wine's own comm events on the rig's port, without the platform driver in
// between. A program of its own: after such a wait had completed in a
// process, putting the card in (which loads the serial driver) in that same
// process was seen to hang under Wine 8.
#include <gtest/gtest.h>

#include "ModuleEnd.h"

namespace {

using rigtest::HostPort;
using rigtest::ModuleEnd;

// They come from the lines' change counts, so a ring pulse shorter than any
// polling interval still shows.
TEST(SerialRigEvents, WineSeesRingAndCarrierEventsOfThePort)
{
    ModuleEnd module;
    ASSERT_TRUE(module.Connected()) << "run under rig.py";
    HANDLE port = CreateFileW(HostPort().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, port) << GetLastError();
    ASSERT_TRUE(SetCommMask(port, EV_RING | EV_RLSD | EV_CTS | EV_DSR)) << GetLastError();
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // One wait at a time; a wait that never ends is left behind (its record
    // too), since Wine did not end such a wait on cancel.
    auto waitFor = [&](const std::string& request) {
        OVERLAPPED* ov = new OVERLAPPED{};
        ov->hEvent = done;
        ResetEvent(done);
        DWORD events = 0, n = 0;
        for (int tries = 0; tries < 20 && events == 0; ++tries) {
            if (!WaitCommEvent(port, &events, ov) && GetLastError() != ERROR_IO_PENDING)
                break;
            // Wine takes the lines' counts in a thread of its own once the
            // wait began: a change before that would go unseen.
            if (tries == 0) {
                Sleep(100);
                EXPECT_EQ("ok", module.Ask(request));
            }
            if (WaitForSingleObject(done, 3000) != WAIT_OBJECT_0) {
                CancelIoEx(port, ov);
                return DWORD(0);
            }
            GetOverlappedResult(port, ov, &n, FALSE);  // no event: Wine woke the wait early
            ResetEvent(done);
        }
        delete ov;
        return events;
    };
    EXPECT_EQ(DWORD(EV_RING), waitFor("ripulse 3"));
    EXPECT_EQ(DWORD(EV_RLSD), waitFor("carrier 1"));
    DWORD status = 0;
    EXPECT_TRUE(GetCommModemStatus(port, &status));
    EXPECT_EQ(DWORD(MS_RLSD_ON | MS_CTS_ON | MS_DSR_ON), status);
    EXPECT_EQ(DWORD(EV_RLSD), waitFor("carrier 0"));
    CloseHandle(done);
    CloseHandle(port);
    DWORD t0 = GetTickCount();
    HANDLE again = CreateFileW(HostPort().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    printf("reopen %p err %lu in %lu ms\n", again, GetLastError(), GetTickCount() - t0); fflush(stdout);
    COMMTIMEOUTS t{5, 0, 20, 0, 0};
    printf("timeouts %d\n", SetCommTimeouts(again, &t)); fflush(stdout);
    DWORD st; printf("gms %d\n", GetCommModemStatus(again, &st)); fflush(stdout);
    CloseHandle(again);
}

}  // namespace
