#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modem/CCeMAtParser.h"
#include "modem/ModemMessages.h"

namespace {

class TestParser : public CCeMAtParser {
public:
    struct Result {
        int id;
        int ok;
        std::vector<std::string> lines;
    };
    std::vector<Result> results;
    std::vector<std::string> notices;  // "smsnew c" / "smssent w"

    // Feeds like the link does: dispatch when the parser asks for it.
    void Put(const std::string& bytes)
    {
        if (Feed(bytes.data(), static_cast<int>(bytes.size())))
            DispatchUnsolicited();
    }

protected:
    void OnBlockResult(int id, int ok) override
    {
        Result r{id, ok, {}};
        for (int i = 0; i < BlockLineCount; ++i)
            r.lines.push_back(BlockLines[i]);
        results.push_back(r);
        ForgetBlock();
    }
    void NotifyMessageWindow(UINT msg, WPARAM w, LPARAM) override
    {
        notices.push_back((msg == WM_MODEM_SMSNEW ? "smsnew " : "smssent ") +
                          std::to_string(w));
    }
};

std::string Block(const std::string& echo, const std::string& body)
{
    return echo + "\r\r\n" + body + "\n";
}

TEST(AtParserFraming, EmptyLineAndRingSetCallStateWithoutMessages)
{
    TestParser p;
    p.Put("\r\nRING\r\n");
    EXPECT_EQ(CALL_RINGING, p.CallState);
    EXPECT_TRUE(p.notices.empty());
    EXPECT_TRUE(p.results.empty());
}

TEST(AtParserFraming, BlockWithValueEmptyLineAndOk)
{
    TestParser p;
    p.Put(Block("AT$BATT?", "3.85\r\n\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ(0, p.results[0].id);
    EXPECT_EQ(1, p.results[0].ok);
    EXPECT_EQ((std::vector<std::string>{"3.85", "", "OK"}), p.results[0].lines);

    p.Put(Block("AT$PING?", "5\r\n\r\nok\r\n"));  // lower case counts
    ASSERT_EQ(2u, p.results.size());
    EXPECT_EQ(2, p.results[1].id);
    EXPECT_EQ(1, p.results[1].ok);

    p.Put(Block("AT$PING?", "\r\nERROR\r\n"));
    ASSERT_EQ(3u, p.results.size());
    EXPECT_EQ(0, p.results[2].ok);
}

TEST(AtParserFraming, BlockSplitAcrossFeedsByteByByte)
{
    TestParser p;
    const std::string bytes = "\r\n$NEWMT\r\n" + Block("AT$VOL=3", "\r\nOK\r\n");
    for (char c : bytes)
        p.Put(std::string(1, c));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ(0x1004, p.results[0].id);
    EXPECT_EQ((std::vector<std::string>{"smsnew 0"}), p.notices);
}

TEST(AtParserFraming, EchoTakenByEarliestFittingRow)
{
    TestParser p;
    p.Put(Block("AT$SMSMO0=011,4098,\"x\"", "\r\nOK\r\n"));
    p.Put(Block("AT$SMSMO3?", "\r\nOK\r\n"));
    p.Put(Block("AT$VOL?", "\r\nOK\r\n"));
    p.Put(Block("ATE1", "\r\nOK\r\n"));
    p.Put(Block("AT$SMSSENT1?", "\r\nOK\r\n"));
    ASSERT_EQ(5u, p.results.size());
    EXPECT_EQ(0x1012, p.results[0].id);
    EXPECT_EQ(0x1012, p.results[1].id);
    EXPECT_EQ(3, p.results[2].id);
    EXPECT_EQ(0x1020, p.results[3].id);
    EXPECT_EQ(0x102F, p.results[4].id);
}

TEST(AtParserFraming, UnknownEchoGivesNoResultAndLeavesNoTrace)
{
    TestParser p;
    p.Put(Block("AT$NOSUCH", "\r\nOK\r\n"));
    EXPECT_TRUE(p.results.empty());
    p.Put(Block("AT$CID?", "0111234567\r\n\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ(5, p.results[0].id);
    EXPECT_EQ("0111234567", p.results[0].lines[0]);
}

TEST(AtParserUnsolicited, CallerNumberCodesAndCallSetup)
{
    TestParser p;
    p.Put("\r\n$VCALL0123456789\r\n");
    EXPECT_EQ(CALL_SETUP, p.CallState);
    EXPECT_STREQ("0123456789", p.CallerNumber);
    EXPECT_EQ(1, p.CallerIdSource);

    TestParser idle;
    idle.Put("\r\n*QRV*CNI: 0167778888\r\n");
    EXPECT_EQ(CALL_IDLE, idle.CallState);
    EXPECT_STREQ("0167778888", idle.CallerNumber);
    EXPECT_EQ(2, idle.CallerIdSource);

    idle.Put("\r\nCONNECT\r\n*QRV*CNI: 0105551234\r\n");
    EXPECT_EQ(CALL_CONNECTED, idle.CallState);
    EXPECT_STREQ("0167778888", idle.CallerNumber);
    EXPECT_STREQ("0105551234", idle.WaitingCallerNumber);
    EXPECT_EQ(1, idle.WaitingNoticeCount);

    // During set-up a caller-number line keeps the character after the colon.
    p.Put("\r\n*QRV*CNI: 0167778888\r\n");
    EXPECT_STREQ(" 0167778888", p.CallerNumber);
    EXPECT_EQ(1, p.CallerIdSource);

    // A bare prefix reads nothing past the line.
    TestParser bare;
    bare.Put("\r\n*QRV*CNI:\r\n");
    EXPECT_STREQ("", bare.CallerNumber);
}

TEST(AtParserUnsolicited, CallCodesFollowTheTable)
{
    const struct {
        const char* line;
        LONG state;
    } cases[] = {
        {"RING", CALL_RINGING},          {"$VCON", CALL_CONNECTED},
        {"CONNECT 9600", CALL_CONNECTED}, {"NO CARRIER", CALL_NO_CARRIER},
        {"NODIALTONE", CALL_NO_DIALTONE}, {"NO ANSWER", CALL_NO_ANSWER},
        {"$LOCK", CALL_LOCKED},
    };
    for (const auto& c : cases) {
        TestParser p;
        p.Put(std::string("\r\n") + c.line + "\r\n");
        EXPECT_EQ(c.state, p.CallState) << c.line;
    }
}

TEST(AtParserUnsolicited, MessageNoticesReachTheMessageWindow)
{
    TestParser p;
    p.Put("\r\n*QRV*NEWMSG: 1\r\n");
    p.Put("\r\n$SMSMONAK\r\n");
    p.Put("\r\n$SMSMOACK\r\n");
    p.Put("\r\n$REMT\r\n");  // second kind alone: nothing
    p.Put("\r\n*QRV*REMSG: 2\r\n");
    EXPECT_EQ((std::vector<std::string>{"smsnew 0", "smssent 0", "smssent 1"}), p.notices);
    EXPECT_EQ(0, p.MessageFlags);

    // Records waiting go out with the notice.
    p.SmsRecordCount = 2;
    p.Put("\r\n$REMT\r\n");
    EXPECT_EQ("smsnew 2", p.notices.back());
    EXPECT_EQ(0, p.SmsRecordCount);
}

TEST(AtParserUnsolicited, CallResultsOfAnswerReleaseAndDial)
{
    TestParser p;
    p.Put(Block("AT$QCCAV", "\r\nOK\r\n"));
    EXPECT_EQ(CALL_CONNECTED, p.CallState);
    EXPECT_EQ(2, p.CallerIdSource);
    p.Put(Block("AT$REL", "\r\nOK\r\n"));
    EXPECT_EQ(CALL_NO_CARRIER, p.CallState);
    p.Put(Block("AT$ORI0123456789", "\r\nOK\r\n"));
    EXPECT_EQ(CALL_SETUP, p.CallState);
    EXPECT_EQ(1, p.CallerIdSource);
    p.Put(Block("AT$ORI0167778888", "\r\nERROR\r\n"));
    EXPECT_EQ(CALL_NO_CARRIER, p.CallState);
    EXPECT_STREQ("0167778888", p.CallerNumber);
    p.Put(Block("AT$QCCAV", "\r\nERROR\r\n"));
    EXPECT_EQ(CALL_NO_CARRIER, p.CallState);
    EXPECT_EQ(0, p.CallerIdSource);
    EXPECT_STREQ("", p.CallerNumber);
}

TEST(AtParserGetField, FieldsCutAndMissing)
{
    char buf[10];
    const char* line = "3,1,,4098";
    EXPECT_EQ(1, CCeMAtParser::GetField(line, 0, buf, sizeof buf));
    EXPECT_STREQ("3", buf);
    EXPECT_EQ(3, CCeMAtParser::GetField(line, 1, buf, sizeof buf));
    EXPECT_STREQ("1", buf);
    CCeMAtParser::GetField(line, 2, buf, sizeof buf);
    EXPECT_STREQ("", buf);
    EXPECT_EQ(9, CCeMAtParser::GetField(line, 3, buf, sizeof buf));
    EXPECT_STREQ("4098", buf);
    EXPECT_EQ(9, CCeMAtParser::GetField(line, 7, buf, sizeof buf));
    EXPECT_STREQ("", buf);
    char small[4] = {'x', 'x', 'x', 'x'};
    CCeMAtParser::GetField("123456", 0, small, sizeof small);
    EXPECT_STREQ("12", small);  // n - 2 characters
}

// --- what the module may send that it should not -------------------------

TEST(AtParserGarbage, OverlongLineIsCutAndFramingRecovers)
{
    TestParser p;
    const size_t overlong = 4 * CCeMAtParser::LINE_STORE;
    p.Put("\r\n" + std::string(overlong, 'X') + "\r\n");
    EXPECT_GT(p.CutBytes, overlong - CCeMAtParser::LINE_STORE);
    p.Put(std::string(3000, 'Y'));  // never ended
    p.Put("\r\nRING\r\n");
    EXPECT_EQ(CALL_RINGING, p.CallState);
    p.Put(Block("AT$PING?", "4\r\n\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ((std::vector<std::string>{"4", "", "OK"}), p.results[0].lines);
}

TEST(AtParserGarbage, LongBlockKeepsFiftyLinesAndItsOk)
{
    TestParser p;
    std::string body;
    for (int i = 0; i < 80; ++i)
        body += "L" + std::to_string(i) + "\r\n";
    p.Put(Block("AT$STSINFO?", body + "\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ(38, p.results[0].id);
    EXPECT_EQ(1, p.results[0].ok);
    ASSERT_EQ(50u, p.results[0].lines.size());
    EXPECT_EQ("L0", p.results[0].lines[0]);
    EXPECT_EQ("L49", p.results[0].lines[49]);
}

TEST(AtParserGarbage, BlockLargerThanTheStoreDropsLinesButNeverCorrupts)
{
    TestParser p;
    std::string body;
    for (int i = 0; i < 200; ++i)
        body += "line-" + std::to_string(i) + "-abcdefghijklmnopqrstuvwxyz\r\n";
    p.Put(Block("AT$STSINFO?", body + "\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_GT(p.DroppedLines + p.CutBytes, 0u);
    // What was kept is what was sent, in order.
    const auto& lines = p.results[0].lines;
    ASSERT_FALSE(lines.empty());
    for (size_t i = 0; i < lines.size() && i < 10; ++i)
        EXPECT_EQ("line-" + std::to_string(i) + "-abcdefghijklmnopqrstuvwxyz", lines[i]);
    p.Put(Block("AT$BATT?", "3.9\r\n\r\nOK\r\n"));
    ASSERT_EQ(2u, p.results.size());
    EXPECT_EQ((std::vector<std::string>{"3.9", "", "OK"}), p.results[1].lines);
}

TEST(AtParserGarbage, NulHighBytesAndLoneCrs)
{
    TestParser p;
    p.Put(std::string("\r\nRI\0NG\r\n", 9));  // NUL is not part of a line
    EXPECT_EQ(CALL_RINGING, p.CallState);
    p.Put("\r\n\xB0\xA1\xFF\x80\r\n");
    // Lone CRs never end a line; a CR before CR LF opens a response block,
    // so the next line waits in it...
    p.Put("abc\rdef\r\rxyz\r");
    p.Put("\r\nNO CARRIER\r\n");
    EXPECT_EQ(CALL_RINGING, p.CallState);
    // ...until the next echo flushes it as unsolicited, and the block after works.
    p.Put(Block("AT$CID?", "\xB0\xA1\r\n\r\nOK\r\n"));
    EXPECT_EQ(CALL_NO_CARRIER, p.CallState);
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ(5, p.results[0].id);
    EXPECT_EQ("\xB0\xA1", p.results[0].lines[0]);
}

TEST(AtParserGarbage, FloodOfUnsolicitedLinesWrapsTheStoreManyTimes)
{
    TestParser p;
    std::string flood;
    for (int i = 0; i < 2000; ++i)
        flood += (i % 2 ? "\r\nRING\r\n" : "\r\n*QRV*CNI: 0101234" + std::to_string(i) + "\r\n");
    // Fed in odd-sized pieces, as reads arrive.
    for (size_t at = 0; at < flood.size(); at += 37)
        p.Put(flood.substr(at, 37));
    EXPECT_EQ(CALL_RINGING, p.CallState);
    EXPECT_STREQ("01012341998", p.CallerNumber);
    EXPECT_EQ(0u, p.DroppedLines);
    p.Put(Block("AT$PING?", "3\r\n\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ("3", p.results[0].lines[0]);
}

TEST(AtParserGarbage, UnendedBlockIsFlushedByTheNextEcho)
{
    TestParser p;
    // A block whose final LF never comes; unsolicited lines then pile up in it.
    p.Put("AT$PING?\r\r\n5\r\n\r\nOK\r\n");
    for (int i = 0; i < 200; ++i)
        p.Put("\r\n$SMSMOACK\r\n");
    EXPECT_TRUE(p.results.empty());
    p.Put(Block("AT$BATT?", "3.7\r\n\r\nOK\r\n"));
    ASSERT_EQ(1u, p.results.size());
    EXPECT_EQ(0, p.results[0].id);
    EXPECT_EQ("3.7", p.results[0].lines[0]);
}

}  // namespace
