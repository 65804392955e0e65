// The module's ringer and message-alert volumes, and the new-message request,
// as they go to a scripted module on the wire.
#include <gtest/gtest.h>

#include "LinkFixture.h"
#include "phone/RingTone.h"

namespace {

class RingerTest : public LinkTest {
protected:
    // Waits for `count` commands on the wire and returns them.
    std::vector<std::string> Sent(size_t count)
    {
        zentest::WaitUntil([&] { return io.CommandWrites().size() >= count; }, 3000);
        zentest::PumpMessages(50);
        return io.CommandWrites();
    }
    SettingsBlock settings = {};
};

TEST_F(RingerTest, ModuleRingsOnlyWhenItIsTheRingSource)
{
    OpenReady();
    settings.nModuleBellVolume = 3;
    settings.bMessageTone = 1;

    settings.nBellSource = 1;  // the module rings, at its volume
    EXPECT_EQ(2, SyncModuleRinger(modem, settings, 0));
    EXPECT_EQ((std::vector<std::string>{"AT$RINGVOL=3\r\n", "AT$SMSVOL=0\r\n"}), Sent(2));
    io.ClearWrites();

    EXPECT_EQ(1, SyncModuleRinger(modem, settings, 3)) << "already at its volume";
    EXPECT_EQ((std::vector<std::string>{"AT$SMSVOL=0\r\n"}), Sent(1));
    io.ClearWrites();

    settings.nBellSource = 2;  // the handheld rings: the module keeps quiet
    settings.bMessageTone = 0;
    EXPECT_EQ(2, SyncModuleRinger(modem, settings, 4));
    EXPECT_EQ((std::vector<std::string>{"AT$RINGVOL=0\r\n", "AT$SMSVOL=4\r\n"}), Sent(2));
    io.ClearWrites();

    settings.nBellSource = 0;
    EXPECT_EQ(1, SyncModuleRinger(modem, settings, 0));
    EXPECT_EQ((std::vector<std::string>{"AT$SMSVOL=4\r\n"}), Sent(1));
}

TEST_F(RingerTest, NewMessageAsksForTheNextOne)
{
    OpenReady();
    OnNewTextMessage(modem, L"C:\\no such folder", settings);
    EXPECT_EQ((std::vector<std::string>{"AT$SMSNEWMT0?\r\n"}), Sent(1));
}

}  // namespace
