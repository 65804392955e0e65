// The device manager as its own host process: started on demand, serving
// cards for every process, and ending when asked.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <vector>

#include "CardFixture.h"
#include "PortHelpers.h"
#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeIo.h"

namespace {

TEST(DevMgrHost, ServesCardsFromItsOwnProcessAndEndsWhenAsked)
{
    ASSERT_TRUE(CeDevMgrStartHost());
    EXPECT_TRUE(CeDevMgrIsRunning(0));
    // Only one device manager per session.
    EXPECT_FALSE(CeDevMgrStartInProcess());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CeDevMgrStartHost());

    {
        // A client that sends far more than any request holds is dropped
        // before the host buffers it.
        HANDLE control = cedev::PipeConnect(cedev::kControlPipe, 2000);
        ASSERT_NE(control, INVALID_HANDLE_VALUE);
        ULONG pid = 0;
        ASSERT_TRUE(GetNamedPipeServerProcessId(control, &pid));
        HANDLE host = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        ASSERT_NE(host, nullptr);
        PROCESS_MEMORY_COUNTERS before{}, after{};
        ASSERT_TRUE(GetProcessMemoryInfo(host, &before, sizeof before));
        std::vector<char> huge(128u << 20, 'x');
        std::vector<BYTE> reply;
        cedev::PipeLimits limits;
        limits.timeoutMs = 10000;
        EXPECT_FALSE(cedev::PipeTransact(control, huge.data(), static_cast<DWORD>(huge.size()), reply, limits));
        CloseHandle(control);
        ASSERT_TRUE(GetProcessMemoryInfo(host, &after, sizeof after));
        CloseHandle(host);
        SIZE_T grown = after.PeakWorkingSetSize > before.PeakWorkingSetSize
                           ? after.PeakWorkingSetSize - before.PeakWorkingSetSize
                           : 0;
        EXPECT_LT(grown, SIZE_T(16u << 20)) << "the host buffered an oversized request";
        EXPECT_TRUE(CeDevMgrIsRunning(0));
    }
    {
        porttest::SimulatedCard card;
        ASSERT_TRUE(card.Setup());
        ASSERT_TRUE(card.Insert());
        HANDLE h = porttest::OpenPort(porttest::FindPort(card.PnpId()));
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_EQ(porttest::Exchange(h, "AT$STSREG?"), "AT$STSREG?\r\r\n1\r\n\r\nOK\r\n\n");
        EXPECT_TRUE(CloseHandle(h));
        ASSERT_TRUE(card.Insert() == FALSE);

        // The host removes its cards when it ends.
        ASSERT_TRUE(CeDevMgrShutdownHost());
        DWORD start = GetTickCount();
        while (CeDevMgrIsRunning(0) && GetTickCount() - start < 5000)
            Sleep(50);
        EXPECT_FALSE(CeDevMgrIsRunning(0));
        EXPECT_EQ(porttest::FindPort(card.PnpId()), L"");
    }
    EXPECT_FALSE(CeDevMgrInsertCard(L"x", L"sim:x", nullptr, 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PIPE_NOT_CONNECTED));
}

}  // namespace
