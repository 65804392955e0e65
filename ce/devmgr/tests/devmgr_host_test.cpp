// The device manager as its own host process: started on demand, serving
// cards for every process, and ending when asked.
#include <gtest/gtest.h>

#include "CardFixture.h"
#include "PortHelpers.h"

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
