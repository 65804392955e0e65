#include <gtest/gtest.h>

#include <string>

#include "modem/AtCommandTable.h"
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

TEST(AtCommandTable, UnknownIdsAndMissingArgumentsWriteNothing)
{
    EXPECT_EQ("<none>", Build(49));
    EXPECT_EQ("<none>", Build(-1));
    EXPECT_EQ("<none>", BuildValue(0x1003, 1));  // row 3 takes no argument
    EXPECT_EQ("<none>", BuildValue(0x1031, 1));
    EXPECT_EQ("<none>", Build(0x1004, nullptr, AT_ARG_BYTE));
}

TEST(AtCommandTable, RowsKeepTheirIdsLengthsAndTimeouts)
{
    for (int i = 0; i < AT_COMMAND_COUNT; ++i) {
        const AtCommandRow& row = AtCommandTable[i];
        EXPECT_EQ(i, row.id & ~AT_ARG_FLAG);
        EXPECT_LE(row.echoMatchLength, row.sendLength) << i;
        if (row.form == AtArgForm::None) {
            EXPECT_EQ(static_cast<size_t>(row.sendLength), strlen(row.text)) << i;
        }
    }
    const int twoSecond[] = {10, 18, 19, 33, 34, 39, 44};
    for (int i : twoSecond)
        EXPECT_EQ(2000u, AtCommandTable[i].timeoutMs) << i;
    EXPECT_EQ(1000u, AtCommandTable[21].timeoutMs);
    EXPECT_EQ(10, AtCommandTable[47].sendLength);
    EXPECT_EQ(3, AtCommandTable[32].echoMatchLength);
}

class RecordingListener : public CCeMModemListener {
public:
    std::string calls;
    void OnBattery(int ok) override { calls += "batt" + std::to_string(ok) + " "; }
    void OnSetVolume(int ok) override { calls += "setvol" + std::to_string(ok) + " "; }
    void OnDial(int ok) override { calls += "dial" + std::to_string(ok) + " "; }
    void OnSetWarnSound(int ok) override { calls += "warn" + std::to_string(ok) + " "; }
};

TEST(CCeMModemListener, DispatchFindsTheRowOfTheExactId)
{
    RecordingListener l;
    EXPECT_EQ(1, l.Dispatch(0, 1));
    EXPECT_EQ(1, l.Dispatch(0x1004, 0));
    EXPECT_EQ(1, l.Dispatch(0x100A, 1));
    EXPECT_EQ(1, l.Dispatch(0x1030, 1));
    EXPECT_EQ(1, l.Dispatch(2, 1));  // not overridden: does nothing, still handled
    EXPECT_EQ("batt1 setvol0 dial1 warn1 ", l.calls);

    EXPECT_EQ(0, l.Dispatch(4, 1));       // row 4 needs its argument flag
    EXPECT_EQ(0, l.Dispatch(0x1000, 1));  // row 0 has none
    EXPECT_EQ(0, l.Dispatch(49, 1));
    EXPECT_EQ(0, l.Dispatch(-1, 1));
    EXPECT_EQ("batt1 setvol0 dial1 warn1 ", l.calls);
}

}  // namespace
