#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "modem/AtCommandTable.h"
#include "modem/CCeMAtParser.h"
#include "modem/CCeMModemListener.h"

namespace {

std::string Build(int id, const void* arg = nullptr, int kind = AT_ARG_NONE)
{
    char out[AT_MAX_LINE + 1];
    const int n = BuildAtCommand(id, arg, kind, out);
    return n < 0 ? std::string("<none>") : std::string(out, n);
}

std::string BuildValue(int id, int value)
{
    return Build(id, &value, AT_ARG_BYTE);
}

// What goes on the wire for every command that takes no argument.
TEST(AtCommandTable, PlainCommandsWriteTheirTextWithSendLength)
{
    const struct {
        int id;
        const char* wire;
    } rows[] = {
        {0, "AT$BATT?\r\n"},      {1, "AT$SYSTIME?\r\n"},     {2, "AT$PING?\r\n"},
        {3, "AT$VOL?\r\n"},       {5, "AT$CID?\r\n"},         {6, "AT$SMSVOL?\r\n"},
        {8, "AT$QCCAV\r\n"},      {9, "AT$REL\r\n"},          {11, "AT$DIAL?\r\n"},
        {12, "AT$BELL?\r\n"},     {14, "AT$RINGVOL?\r\n"},    {16, "AT$CMDECHO?\r\n"},
        {20, "AT$MOCNT?\r\n"},    {23, "AT$DELALLMO\r\n"},    {24, "AT$MTCNT?\r\n"},
        {28, "AT$DELALLMT\r\n"},  {30, "AT$STSREG?\r\n"},     {31, "ATZ\r\n"},
        {33, "AT$FLASH\r\n"},     {35, "AT+GMR\r\n"},         {36, "AT$BELLTYPE?\r\n"},
        {38, "AT$STSINFO?\r\n"},  {39, "AT$BWMODE=RESET\r\n"}, {40, "AT$NAM?\r\n"},
        {42, "AT$BWMODE=NAMING\r\n"}, {44, "AT$REJECT\r\n"},  {45, "AT$ATAN?\r\n"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.wire, Build(r.id)) << "id " << r.id;
}

TEST(AtCommandTable, DigitCommandsOverwriteOneCharacter)
{
    EXPECT_EQ("AT$VOL=7\r\n", BuildValue(0x1004, 7));
    EXPECT_EQ("AT$SMSVOL=3\r\n", BuildValue(0x1007, 3));
    EXPECT_EQ("AT$BELL5\r\n", BuildValue(0x100D, 5));
    EXPECT_EQ("AT$RINGVOL=0\r\n", BuildValue(0x100F, 0));
    EXPECT_EQ("AT$CMDECHO=1\r\n", BuildValue(0x1011, 1));
    EXPECT_EQ("ATE1\r\n", BuildValue(0x1020, 1));
    EXPECT_EQ("AT$NAM=2\r\n", BuildValue(0x1029, 2));
    EXPECT_EQ("AT$ATAN=1\r\n", BuildValue(0x102E, 1));
    EXPECT_EQ("AT$WARNSND=1\r\n", BuildValue(0x1030, 1));
    // A set command leaves its query row alone.
    EXPECT_EQ("AT$VOL?\r\n", Build(3));
    // Without the argument flag the row's own text goes out unchanged.
    EXPECT_EQ("AT$VOL=0\r\n", Build(4));
}

TEST(AtCommandTable, NumberCommandsWriteUnsignedDecimal)
{
    EXPECT_EQ("AT$REMO12\r\n", BuildValue(0x1013, 12));
    EXPECT_EQ("AT$SMSMO3?\r\n", BuildValue(0x1015, 3));
    EXPECT_EQ("AT$DELMO=255\r\n", BuildValue(0x1016, 255));
    EXPECT_EQ("AT$SMSMT4?\r\n", BuildValue(0x1019, 4));
    EXPECT_EQ("AT$SMSNEWMT0?\r\n", BuildValue(0x101A, 0));
    EXPECT_EQ("AT$DELMT=9\r\n", BuildValue(0x101B, 9));
    EXPECT_EQ("AT$MTACK=1\r\n", BuildValue(0x101D, 1));
    EXPECT_EQ("AT$BELLTYPE=10\r\n", BuildValue(0x1025, 10));
    EXPECT_EQ("AT$SMSSENT2?\r\n", BuildValue(0x102F, 2));
    // Only the first byte of the value counts.
    EXPECT_EQ("AT$DELMT=4\r\n", BuildValue(0x101B, 0x104));
}

TEST(AtCommandTable, CharacterAndTextArguments)
{
    EXPECT_EQ("AT$DTMF#\r\n", Build(0x1022, "#", AT_ARG_BYTE));
    EXPECT_EQ("AT$PHONENUM=0111234567\r\n", Build(0x102B, "0111234567", AT_ARG_SZ));
    const char* line = "AT$SMSMO0=0111234567,4098,\"hi\"\r\n";
    EXPECT_EQ(line, Build(0x1012, line, AT_ARG_TEXT));
}

TEST(AtCommandTable, DialLineEndsWithTwoSpacesAndTwoZeroBytes)
{
    const std::string wire = Build(0x100A, "0123456789", AT_ARG_SZ);
    ASSERT_EQ(22u, wire.size());
    EXPECT_EQ(std::string("AT$ORI0123456789\r\n  \0\0", 22), wire);

    // 6 + 118 digits stays below 125 and is sent; 119 digits are refused.
    const std::string longest(118, '1');
    const std::string wire118 = Build(0x100A, longest.c_str(), AT_ARG_SZ);
    EXPECT_EQ(130u, wire118.size());
    EXPECT_EQ(std::string("\r\n  \0\0", 6), wire118.substr(124));
    EXPECT_EQ("<none>", Build(0x100A, std::string(119, '1').c_str(), AT_ARG_SZ));
}

TEST(AtCommandTable, ArgumentsThatWouldLeaveTheirLineAreRefused)
{
    for (const char* number : {"0101234567\r\nAT$DELALLMT", "010\n", "010\r", "010\"", "0\x01",
                               "0\x7f", "\t010"}) {
        EXPECT_EQ("<none>", Build(0x100A, number, AT_ARG_SZ)) << number;
        EXPECT_EQ("<none>", Build(0x102B, number, AT_ARG_SZ)) << number;
    }
    EXPECT_EQ("<none>", Build(0x1022, "\r", AT_ARG_BYTE));
    // A send line carries one command, ended by its own CR LF.
    EXPECT_EQ("<none>", Build(0x1012, "AT$SMSMO0=011,4098,\"a\"\r\nATZ\r\n", AT_ARG_TEXT));
    EXPECT_EQ("<none>", Build(0x1012, "AT$SMSMO0=011,4098,\"a\"", AT_ARG_TEXT));
    // What a dial pad and an address book give still goes out.
    EXPECT_EQ(std::string("AT$ORI*23#+82 10-1234,5\r\n  ") + std::string(2, '\0'),
              Build(0x100A, "*23#+82 10-1234,5", AT_ARG_SZ));
    EXPECT_EQ("AT$ORI\xB0\xA1\r\n  ", Build(0x100A, "\xB0\xA1", AT_ARG_SZ).substr(0, 12));
}

TEST(AtCommandTable, UnknownIdsAndMissingArgumentsWriteNothing)
{
    EXPECT_EQ("<none>", Build(49));
    EXPECT_EQ("<none>", Build(-1));
    EXPECT_EQ("<none>", BuildValue(0x1003, 1));  // row 3 takes no argument
    EXPECT_EQ("<none>", BuildValue(0x1031, 1));
    EXPECT_EQ("<none>", Build(0x1004, nullptr, AT_ARG_BYTE));
}

// The catalogue itself: a wrong echo-match length makes a row take another
// row's echo, or miss its own.
TEST(AtCommandTable, EveryRowHasItsCatalogueValues)
{
    const struct {
        int id;
        const char* text;
        int sendLength;
        int echoMatchLength;
        DWORD timeoutMs;
    } expected[AT_COMMAND_COUNT] = {
        {0, "AT$BATT?\r\n", 10, 8, 1000},
        {1, "AT$SYSTIME?\r\n", 13, 11, 1000},
        {2, "AT$PING?\r\n", 10, 8, 1000},
        {3, "AT$VOL?\r\n", 9, 7, 1000},
        {0x1004, "AT$VOL=0\r\n", 10, 7, 1000},
        {5, "AT$CID?\r\n", 9, 7, 1000},
        {6, "AT$SMSVOL?\r\n", 12, 10, 1000},
        {0x1007, "AT$SMSVOL=0\r\n", 13, 10, 1000},
        {8, "AT$QCCAV\r\n", 10, 8, 1000},
        {9, "AT$REL\r\n", 8, 6, 1000},
        {0x100A, "AT$ORI", 6, 6, 2000},
        {11, "AT$DIAL?\r\n", 10, 8, 1000},
        {12, "AT$BELL?\r\n", 10, 8, 1000},
        {0x100D, "AT$BELL0\r\n", 10, 7, 1000},
        {14, "AT$RINGVOL?\r\n", 13, 11, 1000},
        {0x100F, "AT$RINGVOL=1\r\n", 14, 11, 1000},
        {16, "AT$CMDECHO?\r\n", 13, 11, 1000},
        {0x1011, "AT$CMDECHO=0\r\n", 14, 11, 1000},
        {0x1012, "AT$SMSMO", 8, 8, 2000},
        {0x1013, "AT$REMO", 7, 7, 2000},
        {20, "AT$MOCNT?\r\n", 11, 9, 1000},
        {0x1015, "AT$SMSMO", 8, 8, 1000},
        {0x1016, "AT$DELMO=", 9, 9, 1000},
        {23, "AT$DELALLMO\r\n", 13, 11, 1000},
        {24, "AT$MTCNT?\r\n", 11, 9, 1000},
        {0x1019, "AT$SMSMT", 8, 8, 1000},
        {0x101A, "AT$SMSNEWMT", 11, 11, 1000},
        {0x101B, "AT$DELMT=", 9, 9, 1000},
        {28, "AT$DELALLMT\r\n", 13, 11, 1000},
        {0x101D, "AT$MTACK=", 9, 9, 1000},
        {30, "AT$STSREG?\r\n", 12, 10, 1000},
        {31, "ATZ\r\n", 5, 3, 1000},
        {0x1020, "ATE0\r\n", 6, 3, 1000},
        {33, "AT$FLASH\r\n", 10, 7, 2000},
        {0x1022, "AT$DTMF", 7, 7, 2000},
        {35, "AT+GMR\r\n", 8, 6, 1000},
        {36, "AT$BELLTYPE?\r\n", 14, 12, 1000},
        {0x1025, "AT$BELLTYPE=", 12, 12, 1000},
        {38, "AT$STSINFO?\r\n", 13, 11, 1000},
        {39, "AT$BWMODE=RESET\r\n", 17, 15, 2000},
        {40, "AT$NAM?\r\n", 9, 7, 1000},
        {0x1029, "AT$NAM=0\r\n", 10, 7, 1000},
        {42, "AT$BWMODE=NAMING\r\n", 18, 16, 1000},
        {0x102B, "AT$PHONENUM=", 12, 12, 1000},
        {44, "AT$REJECT\r\n", 11, 9, 2000},
        {45, "AT$ATAN?\r\n", 10, 8, 1000},
        {0x102E, "AT$ATAN=0\r\n", 11, 8, 1000},
        {0x102F, "AT$SMSSENT%d?\r\n", 10, 10, 1000},
        {0x1030, "AT$WARNSND=0\r\n", 14, 11, 1000},
    };
    for (int i = 0; i < AT_COMMAND_COUNT; ++i) {
        const AtCommandRow& row = AtCommandTable[i];
        EXPECT_EQ(expected[i].id, row.id) << "row " << i;
        EXPECT_STREQ(expected[i].text, row.text) << "row " << i;
        EXPECT_EQ(expected[i].sendLength, row.sendLength) << "row " << i;
        EXPECT_EQ(expected[i].echoMatchLength, row.echoMatchLength) << "row " << i;
        EXPECT_EQ(expected[i].timeoutMs, row.timeoutMs) << "row " << i;
    }
}

class EchoParser : public CCeMAtParser {
public:
    int lastId = -1;
    // The id a response block with this echo is taken for, or -1.
    int IdOf(const std::string& echo)
    {
        lastId = -1;
        const std::string bytes = echo + "\r\r\n\r\nOK\r\n\n";
        Feed(bytes.data(), static_cast<int>(bytes.size()));
        return lastId;
    }

protected:
    void OnBlockResult(int id, int) override { lastId = id; }
    void NotifyMessageWindow(UINT, WPARAM, LPARAM) override {}
};

// Each command's own echo comes back to its own row, also where a shorter
// prefix fits it too ("AT$BELL" of row 13 fits both "AT$BELLTYPE" echoes);
// the two "AT$SMSMO" rows share one echo, which the earlier row takes.
TEST(AtCommandTable, EchoOfEveryCommandFindsItsRow)
{
    EchoParser p;
    for (int i = 0; i < AT_COMMAND_COUNT; ++i) {
        const AtCommandRow& row = AtCommandTable[i];
        std::string wire;
        if (row.id & AT_ARG_FLAG) {
            const char* text = row.form == AtArgForm::Line ? "AT$SMSMO0=011,4098,\"x\"\r\n"
                               : row.form == AtArgForm::Char ? "#"
                               : row.form == AtArgForm::Dial || row.form == AtArgForm::Text
                                   ? "0111234567"
                                   : "\x07";
            wire = Build(row.id, text, row.form == AtArgForm::Dial || row.form == AtArgForm::Text ||
                                               row.form == AtArgForm::Line
                                           ? AT_ARG_SZ
                                           : AT_ARG_BYTE);
        } else {
            wire = Build(row.id);
        }
        ASSERT_NE("<none>", wire) << "row " << i;
        const std::string echo = wire.substr(0, wire.find('\r'));
        const int expectedId = i == 21 ? 0x1012 : row.id;
        EXPECT_EQ(expectedId, p.IdOf(echo)) << "row " << i << " echo " << echo;
    }
    // Too short for any row, or a command the table does not hold.
    EXPECT_EQ(-1, p.IdOf("AT"));
    EXPECT_EQ(-1, p.IdOf("AT$VOL"));
    EXPECT_EQ(-1, p.IdOf("AT$UNKNOWN?"));
}

// Every handler is reached from its own row's id, with the result passed on.
class RecordingListener : public CCeMModemListener {
public:
    std::vector<std::pair<int, int>> calls;  // row, ok
    void OnBattery(int ok) override { Record(0, ok); }
    void OnSysTime(int ok) override { Record(1, ok); }
    void OnPing(int ok) override { Record(2, ok); }
    void OnVolume(int ok) override { Record(3, ok); }
    void OnSetVolume(int ok) override { Record(4, ok); }
    void OnCallerId(int ok) override { Record(5, ok); }
    void OnSmsVolume(int ok) override { Record(6, ok); }
    void OnSetSmsVolume(int ok) override { Record(7, ok); }
    void OnAnswer(int ok) override { Record(8, ok); }
    void OnRelease(int ok) override { Record(9, ok); }
    void OnDial(int ok) override { Record(10, ok); }
    void OnDialInfo(int ok) override { Record(11, ok); }
    void OnBell(int ok) override { Record(12, ok); }
    void OnSetBell(int ok) override { Record(13, ok); }
    void OnRingVolume(int ok) override { Record(14, ok); }
    void OnSetRingVolume(int ok) override { Record(15, ok); }
    void OnCommandEcho(int ok) override { Record(16, ok); }
    void OnSetCommandEcho(int ok) override { Record(17, ok); }
    void OnSmsSend(int ok) override { Record(18, ok); }
    void OnReMo(int ok) override { Record(19, ok); }
    void OnMoCount(int ok) override { Record(20, ok); }
    void OnReadMo(int ok) override { Record(21, ok); }
    void OnDeleteMo(int ok) override { Record(22, ok); }
    void OnDeleteAllMo(int ok) override { Record(23, ok); }
    void OnMtCount(int ok) override { Record(24, ok); }
    void OnReadMt(int ok) override { Record(25, ok); }
    void OnReadNewMt(int ok) override { Record(26, ok); }
    void OnDeleteMt(int ok) override { Record(27, ok); }
    void OnDeleteAllMt(int ok) override { Record(28, ok); }
    void OnMtAck(int ok) override { Record(29, ok); }
    void OnRegistration(int ok) override { Record(30, ok); }
    void OnReset(int ok) override { Record(31, ok); }
    void OnSetEcho(int ok) override { Record(32, ok); }
    void OnFlash(int ok) override { Record(33, ok); }
    void OnDtmf(int ok) override { Record(34, ok); }
    void OnVersion(int ok) override { Record(35, ok); }
    void OnBellType(int ok) override { Record(36, ok); }
    void OnSetBellType(int ok) override { Record(37, ok); }
    void OnStatusInfo(int ok) override { Record(38, ok); }
    void OnModeReset(int ok) override { Record(39, ok); }
    void OnNam(int ok) override { Record(40, ok); }
    void OnSetNam(int ok) override { Record(41, ok); }
    void OnModeNaming(int ok) override { Record(42, ok); }
    void OnSetPhoneNumber(int ok) override { Record(43, ok); }
    void OnReject(int ok) override { Record(44, ok); }
    void OnAtan(int ok) override { Record(45, ok); }
    void OnSetAtan(int ok) override { Record(46, ok); }
    void OnSmsSent(int ok) override { Record(47, ok); }
    void OnSetWarnSound(int ok) override { Record(48, ok); }

private:
    void Record(int row, int ok) { calls.emplace_back(row, ok); }
};

TEST(CCeMModemListener, DispatchReachesTheHandlerOfEveryRow)
{
    RecordingListener l;
    for (int i = 0; i < AT_COMMAND_COUNT; ++i) {
        const int ok = i % 2;
        l.calls.clear();
        EXPECT_EQ(1, l.Dispatch(AtCommandTable[i].id, ok)) << "row " << i;
        ASSERT_EQ(1u, l.calls.size()) << "row " << i;
        EXPECT_EQ(i, l.calls[0].first) << "row " << i;
        EXPECT_EQ(ok, l.calls[0].second) << "row " << i;
    }
}

TEST(CCeMModemListener, IdsOfNoRowReachNoHandler)
{
    RecordingListener l;
    EXPECT_EQ(0, l.Dispatch(4, 1));       // row 4 needs its argument flag
    EXPECT_EQ(0, l.Dispatch(0x1000, 1));  // row 0 has none
    EXPECT_EQ(0, l.Dispatch(49, 1));
    EXPECT_EQ(0, l.Dispatch(0x1031, 1));
    EXPECT_EQ(0, l.Dispatch(-1, 1));
    EXPECT_TRUE(l.calls.empty());
}

}  // namespace
