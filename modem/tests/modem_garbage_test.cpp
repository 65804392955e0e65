// The module may send anything; the link must come through it and go on.
#include "LinkFixture.h"

namespace {

std::string Garbage()
{
    std::string g;
    g += "\r\n" + std::string(3000, 'L') + "\r\n";                 // over-long line
    g += "AT$STSINFO?\r\r\n";                                       // a block of 80 lines
    for (int i = 0; i < 80; ++i)
        g += "v" + std::to_string(i) + "\r\n";
    g += "\r\nOK\r\n\n";
    g += std::string("\r\nRI\0\0NG\x01\xff\xfe\r\n", 13);          // NUL and high bytes
    g += "\r\r\r\rabc\rdef\r";                                      // lone CRs
    for (int i = 0; i < 300; ++i)                                  // unsolicited flood
        g += i % 3 ? "\r\n$SMSMONAK\r\n" : "\r\n*QRV*CNI: 0101111" + std::to_string(i) + "\r\n";
    g += FakeModemIo::Block("AT$REL\r\n", {});                       // answer to nothing sent
    g += "\n\n\n\r\n\r\n";
    return g;
}

TEST_F(LinkTest, GarbageFromTheModuleThenTheNextCommandCompletes)
{
    OpenReady();
    const std::string garbage = Garbage();
    ASSERT_GT(garbage.size(), 4 * CCeMSerialPort::RX_SIZE);
    // In pieces of odd sizes, and once all at once (more than one read's worth).
    for (size_t at = 0; at < garbage.size(); at += 333)
        io.Inject(garbage.substr(at, 333));
    io.Inject(garbage);
    // Both copies end with a block answering a release nobody sent.
    const auto releases = [&] {
        size_t n = 0;
        for (WPARAM id : Ids(WM_MODEM_RESULT))
            n += id == 9;
        return n;
    };
    ASSERT_TRUE(zentest::WaitUntil([&] { return releases() == 2; }, 5000));

    io.SetAnswer("AT$PING?", {"4"});
    ASSERT_EQ(1, modem.CmdPing());
    ASSERT_TRUE(zentest::WaitUntil(
        [&] {
            for (const LoggedMessage& m : log.Of(WM_MODEM_RESULT))
                if (m.wParam == 2)
                    return true;
            return false;
        },
        3000));
    const auto results = log.Of(WM_MODEM_RESULT);
    EXPECT_EQ(1, results.back().lParam);
    EXPECT_EQ(2u, results.back().wParam);
    EXPECT_EQ(-1, modem.InFlight.id);
    EXPECT_EQ(1, modem.Ready);
    // Lines that pile up inside a block that never ends are dropped when the
    // store is full; the rest arrive, each once.
    EXPECT_GT(log.Count(WM_MODEM_SMSSENT), 0u);
    EXPECT_LE(log.Count(WM_MODEM_SMSSENT), 400u);
    EXPECT_GT(modem.DroppedLines, 0u);
    EXPECT_GT(modem.CutBytes, 0u);
}

TEST_F(LinkTest, LongSilenceWithPartialLineDoesNotWedgeTheQueue)
{
    OpenReady();
    io.Inject("AT$BATT?\r\r\n3.9\r\n");  // a block that never ends
    ASSERT_TRUE(Settle(1));
    ASSERT_EQ(1, modem.CmdVolume());
    ASSERT_EQ(1, modem.CmdPing());
    ASSERT_TRUE(log.WaitCount(WM_MODEM_RESULT, 2));
    EXPECT_EQ((std::vector<WPARAM>{3, 2}), Ids(WM_MODEM_RESULT));
}

}  // namespace
