// Status values and received-message records, parsed from response blocks
// framed as the module frames them.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "modem/CCeMAtParser.h"
#include "modem/ModemMessages.h"

namespace {

class Probe : public CCeMAtParser {
public:
    using CCeMAtParser::ParseQueryValues;
    std::vector<int> results;                // id * 2 + ok
    std::vector<std::vector<ModemSmsRecord>> deliveries;
    std::vector<WPARAM> smsNew;

    // Echo, the lines, a blank line and the final line, as the module sends them.
    void Answer(const std::string& echo, const std::vector<std::string>& lines, bool ok = true)
    {
        std::string bytes = echo + "\r\r\n";
        for (const std::string& l : lines)
            bytes += l + "\r\n";
        bytes += (lines.empty() ? "" : "\r\n") + std::string(ok ? "OK" : "ERROR") + "\r\n\n";
        if (Feed(bytes.data(), static_cast<int>(bytes.size())))
            DispatchUnsolicited();
    }
    void Notice(const std::string& line)
    {
        const std::string bytes = "\r\n" + line + "\r\n";
        if (Feed(bytes.data(), static_cast<int>(bytes.size())))
            DispatchUnsolicited();
    }
    int LastOk() const { return results.empty() ? -1 : results.back() & 1; }

protected:
    void OnBlockResult(int id, int ok) override
    {
        results.push_back(id * 2 + ok);
        ForgetBlock();
    }
    void NotifyMessageWindow(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg != WM_MODEM_SMSNEW)
            return;
        smsNew.push_back(w);
        if (w > 0) {
            const auto* r = reinterpret_cast<const ModemSmsRecord*>(l);
            deliveries.emplace_back(r, r + w);
        }
    }
};

TEST(StatusValues, ResetValues)
{
    Probe p;
    p.Status.signalLevel = 5;
    p.Status.Reset();
    EXPECT_FLOAT_EQ(-1.0f, p.Status.batteryVolts);
    EXPECT_EQ(-1, p.Status.activeNam);
    EXPECT_EQ(0, p.Status.registration);
    EXPECT_EQ(0, p.Status.signalLevel);
    EXPECT_STREQ("", p.Status.moduleVersion);
    EXPECT_EQ(0, p.Status.mtCount[1]);
}

TEST(StatusValues, BatteryReadsADecimalNumberOrZero)
{
    Probe p;
    p.Answer("AT$BATT?", {"3.85"});
    EXPECT_FLOAT_EQ(3.85f, p.Status.batteryVolts);
    EXPECT_EQ(1, p.LastOk());
    p.Answer("AT$BATT?", {"4"});
    EXPECT_FLOAT_EQ(4.0f, p.Status.batteryVolts);
    p.Answer("AT$BATT?", {"V3.9"});
    EXPECT_FLOAT_EQ(0.0f, p.Status.batteryVolts);
    p.Answer("AT$BATT?", {"3.70"}, false);  // no "OK": unchanged
    EXPECT_FLOAT_EQ(0.0f, p.Status.batteryVolts);
    EXPECT_EQ(0, p.LastOk());
    p.Answer("AT$BATT?", {std::string(300, '9')});  // no overflow to infinity
    EXPECT_GT(p.Status.batteryVolts, 1e29f);
    EXPECT_LT(p.Status.batteryVolts, 1e32f);
}

TEST(StatusValues, DigitQueriesTakeTheFirstCharacter)
{
    Probe p;
    const struct {
        const char* echo;
        LONG ModemStatus::*value;
    } rows[] = {
        {"AT$PING?", &ModemStatus::signalLevel},   {"AT$VOL?", &ModemStatus::speakerVolume},
        {"AT$RINGVOL?", &ModemStatus::ringVolume}, {"AT$BELL?", &ModemStatus::bell},
        {"AT$SMSVOL?", &ModemStatus::smsVolume},   {"AT$CMDECHO?", &ModemStatus::commandEcho},
        {"AT$ATAN?", &ModemStatus::atan},          {"AT$NAM?", &ModemStatus::activeNam},
        {"AT$STSREG?", &ModemStatus::registration},
    };
    for (const auto& row : rows) {
        p.Answer(row.echo, {"7x"});
        EXPECT_EQ(7, p.Status.*row.value) << row.echo;
        // A line that does not start with a digit, or no line at all, keeps it.
        p.Answer(row.echo, {"x9"});
        p.Answer(row.echo, {});
        EXPECT_EQ(7, p.Status.*row.value) << row.echo;
    }
    // "AT$BELL" of the bell-setting row also fits the bell type's echoes;
    // the longer fit wins, so the bell stays as it was and the bell type,
    // a whole decimal number, is read.
    p.Answer("AT$BELLTYPE?", {"12"});
    EXPECT_EQ(36 * 2 + 1, p.results.back());
    EXPECT_EQ(12, p.Status.bellType);
    EXPECT_EQ(7, p.Status.bell);
    p.Answer("AT$BELLTYPE=3", {});
    EXPECT_EQ(0x1025 * 2 + 1, p.results.back());
    EXPECT_EQ(7, p.Status.bell);
}

TEST(StatusValues, NoOkEmptiesTextsAndMarksRegistration)
{
    Probe p;
    p.Answer("AT$SYSTIME?", {"20261207101500"});
    p.Answer("AT$DIAL?", {"01012345678"});
    p.Answer("AT+GMR", {"ZM V1"});
    p.Answer("AT$STSREG?", {"1"});
    p.Answer("AT$PING?", {"4"});
    EXPECT_STREQ("20261207101500", p.Status.moduleTime);
    EXPECT_STREQ("01012345678", p.Status.dialInfo);
    EXPECT_EQ(1, p.Status.registration);

    p.Answer("AT$SYSTIME?", {"20261207101501"}, false);
    p.Answer("AT$DIAL?", {"x"}, false);
    p.Answer("AT+GMR", {"ZM V2"}, false);
    p.Answer("AT$STSREG?", {"1"}, false);
    p.Answer("AT$PING?", {"6"}, false);
    EXPECT_STREQ("", p.Status.moduleTime);
    EXPECT_STREQ("", p.Status.dialInfo);
    EXPECT_STREQ("ZM V1", p.Status.moduleVersion);
    EXPECT_EQ(3, p.Status.registration);
    EXPECT_EQ(4, p.Status.signalLevel);
}

TEST(StatusValues, TextsAreCutToTheirFields)
{
    Probe p;
    p.Status.dialInfo[31] = 'Z';
    p.Answer("AT$DIAL?", {std::string(100, '1')});
    EXPECT_EQ(std::string(31, '1'), p.Status.dialInfo);
    p.Answer("AT+GMR", {std::string(200, 'v')});
    EXPECT_EQ(std::string(63, 'v'), p.Status.moduleVersion);
    EXPECT_EQ(0, p.Status.engineering[0]);  // the field after the version is untouched
}

TEST(StatusValues, CallerIdCopiesOrEmpties)
{
    Probe p;
    p.Answer("AT$CID?", {"0167778888"});
    EXPECT_STREQ("0167778888", p.CallerNumber);
    p.Answer("AT$CID?", {});
    EXPECT_STREQ("", p.CallerNumber);
    p.Answer("AT$CID?", {std::string(50, '5')});
    EXPECT_EQ(std::string(31, '5'), p.CallerNumber);
    p.Answer("AT$CID?", {"0101"}, false);
    EXPECT_STREQ("", p.CallerNumber);
}

TEST(StatusValues, MessageCountsAndDeleteAll)
{
    Probe p;
    p.Answer("AT$MTCNT?", {"3,1"});
    EXPECT_EQ(3, p.Status.mtCount[0]);
    EXPECT_EQ(1, p.Status.mtCount[1]);
    p.Answer("AT$MTCNT?", {"12345678901234,"});  // field cut to 8 digits
    EXPECT_EQ(12345678, p.Status.mtCount[0]);
    EXPECT_EQ(0, p.Status.mtCount[1]);
    p.Answer("AT$MTCNT?", {"4,2"});
    p.Answer("AT$DELALLMT", {}, false);
    EXPECT_EQ(4, p.Status.mtCount[0]);
    p.Answer("AT$DELALLMT", {});
    EXPECT_EQ(0, p.Status.mtCount[0]);
    EXPECT_EQ(0, p.Status.mtCount[1]);
}

TEST(StatusValues, EngineeringValuesWithMissingFields)
{
    Probe p;
    p.Answer("AT$STSINFO?", {"384,168,2190,1,3,-78,-12,-12,1,1,0.75"});
    const LONG full[10] = {384, 168, 2190, 1, 3, -78, -12, -12, 1, 1};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(full[k], p.Status.engineering[k]) << k;
    EXPECT_FLOAT_EQ(0.75f, p.Status.engineeringFloat);

    p.Answer("AT$STSINFO?", {"777,,5"});
    const LONG part[10] = {777, 0, 5, 0, 0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(part[k], p.Status.engineering[k]) << k;
    EXPECT_FLOAT_EQ(0.0f, p.Status.engineeringFloat);
    // An over-long field is cut to 18 characters, not overrun.
    p.Answer("AT$STSINFO?", {std::string(40, '1') + ",2"});
    EXPECT_EQ(LONG_MAX, p.Status.engineering[0]);
    EXPECT_EQ(2, p.Status.engineering[1]);
}

TEST(StatusValues, SettingEchoesGiveTheNumberAfterTheEqualsSign)
{
    Probe p;
    p.Answer("AT$VOL=7", {});
    p.Answer("AT$RINGVOL=3", {});
    p.Answer("AT$SMSVOL=12", {});
    p.Answer("AT$CMDECHO=4", {});
    EXPECT_EQ(4, p.Status.commandEcho);
    p.Answer("AT$CMDECHO=", {});
    p.Answer("AT$BELL5", {});
    EXPECT_EQ(7, p.Status.speakerVolume);
    EXPECT_EQ(3, p.Status.ringVolume);
    EXPECT_EQ(12, p.Status.smsVolume);
    EXPECT_EQ(0, p.Status.commandEcho);
    EXPECT_EQ(5, p.Status.bell);
    p.Answer("AT$VOL=1234567890123", {});  // nine digits at most
    EXPECT_EQ(123456789, p.Status.speakerVolume);
    // Refused settings change nothing.
    p.Answer("AT$VOL=2", {}, false);
    p.Answer("AT$BELL1", {}, false);
    EXPECT_EQ(123456789, p.Status.speakerVolume);
    EXPECT_EQ(5, p.Status.bell);
}

// --- received messages ---------------------------------------------------

TEST(MessageRecords, ThreeCommasFillEveryField)
{
    Probe p;
    p.Status.mtCount[1] = 1;
    p.Answer("AT$SMSNEWMT0?", {"20261207101500,0167778888,4098,a\\x3bb\\X0Dc,d"});
    ASSERT_EQ(1, p.SmsRecordCount);
    const ModemSmsRecord& r = p.SmsRecords[0];
    EXPECT_STREQ("", r.index);
    EXPECT_STREQ("20261207101500", r.timeStamp);
    EXPECT_STREQ("0167778888", r.number);
    EXPECT_STREQ("4098", r.teleservice);
    EXPECT_STREQ("a;b\rc,d", r.body);
    EXPECT_EQ(0, p.Status.mtCount[1]);
    p.Answer("AT$SMSNEWMT0?", {"20261207101501,0167778888,4098,x"});
    EXPECT_EQ(0, p.Status.mtCount[1]);  // never below 0
    EXPECT_EQ(2, p.SmsRecordCount);
    EXPECT_EQ(0x101A * 2 + 1, p.results.back());
}

TEST(MessageRecords, TwoCommasLeaveTheNumberEmpty)
{
    Probe p;
    p.Answer("AT$SMSNEWMT0?", {"20261207101500,4097,voice mail"});
    ASSERT_EQ(1, p.SmsRecordCount);
    EXPECT_STREQ("20261207101500", p.SmsRecords[0].timeStamp);
    EXPECT_STREQ("", p.SmsRecords[0].number);
    EXPECT_STREQ("4097", p.SmsRecords[0].teleservice);
    EXPECT_STREQ("voice mail", p.SmsRecords[0].body);
}

TEST(MessageRecords, FewCommasOrNoOkMakeNoRecord)
{
    Probe p;
    p.Status.mtCount[1] = 2;
    p.Answer("AT$SMSNEWMT0?", {"20261207101500,hello"});
    EXPECT_EQ(0, p.SmsRecordCount);
    EXPECT_EQ(1, p.LastOk());
    EXPECT_EQ(2, p.Status.mtCount[1]);
    p.Answer("AT$SMSNEWMT0?", {"20261207101500,011,4098,x"}, false);
    EXPECT_EQ(0, p.SmsRecordCount);
    EXPECT_EQ(0, p.LastOk());
    // A stored message read by number is not taken as a new one.
    p.Answer("AT$SMSMT1?", {"20261207101500,011,4098,x"});
    EXPECT_EQ(0, p.SmsRecordCount);
}

TEST(MessageRecords, BadFieldsAreCutOrEmptyAndNeighboursIntact)
{
    Probe p;
    const std::string longTime(40, '2'), longNumber(100, '0'), longService(30, '4');
    p.Answer("AT$SMSNEWMT0?", {longTime + "," + longNumber + "," + longService + ",body"});
    p.Answer("AT$SMSNEWMT0?", {",,,"});
    p.Answer("AT$SMSNEWMT0?", {"t,1,4098,tail\\x3"});
    p.Answer("AT$SMSNEWMT0?", {"t,1,4098,tail\\"});
    ASSERT_EQ(4, p.SmsRecordCount);
    const ModemSmsRecord* r = p.SmsRecords;
    EXPECT_EQ(std::string(23, '2'), r[0].timeStamp);
    EXPECT_EQ(std::string(62, '0'), r[0].number);
    EXPECT_EQ(std::string(13, '4'), r[0].teleservice);
    EXPECT_STREQ("body", r[0].body);
    EXPECT_STREQ("", r[1].timeStamp);
    EXPECT_STREQ("", r[1].teleservice);
    EXPECT_STREQ("", r[1].body);
    EXPECT_STREQ("tail\\x3", r[2].body);
    EXPECT_STREQ("tail\\", r[3].body);
}

TEST(MessageRecords, LongBodyIsCutTo255)
{
    Probe p;
    p.Answer("AT$SMSNEWMT0?", {"t,1,4098," + std::string(300, 'm')});
    ASSERT_EQ(1, p.SmsRecordCount);
    EXPECT_EQ(std::string(255, 'm'), p.SmsRecords[0].body);
    EXPECT_EQ(0, p.SmsRecords[0].body[256]);
}

TEST(MessageRecords, BodyOfNothingButEscapesArrivesWhole)
{
    // Every field full and every body character a 4-byte escape: the longest
    // message line the module can send, in reads of any size.
    const std::string time(24, '2'), number(63, '0'), service = "4098" + std::string(10, '0');
    std::string escaped, plain;
    const char* escapes[] = {"\\x3B", "\\X0D", "\\x22", "\\x0a"};
    const char chars[] = {';', '\r', '"', '\n'};
    for (int i = 0; i < 255; ++i) {
        escaped += escapes[i % 4];
        plain += chars[i % 4];
    }
    const std::string line = time + "," + number + "," + service + "," + escaped;
    ASSERT_EQ(static_cast<size_t>(CCeMAtParser::LONGEST_LINE), line.size());
    for (int piece : {1024, 7, 1}) {
        Probe p;
        const std::string bytes =
            "\r\n$NEWMT\r\nAT$SMSNEWMT0?\r\r\n" + line + "\r\n\r\nOK\r\n\n";
        for (size_t at = 0; at < bytes.size(); at += piece)
            if (p.Feed(bytes.data() + at, static_cast<int>(std::min(bytes.size() - at,
                                                                  static_cast<size_t>(piece)))))
                p.DispatchUnsolicited();
        ASSERT_EQ(1, p.SmsRecordCount) << piece;
        EXPECT_EQ(plain, p.SmsRecords[0].body) << piece;
        EXPECT_EQ(std::string(23, '2'), p.SmsRecords[0].timeStamp);
        EXPECT_EQ(std::string(62, '0'), p.SmsRecords[0].number);
        EXPECT_EQ(0u, p.CutBytes + p.DroppedLines);
        EXPECT_EQ(0x101A * 2 + 1, p.results.back());
    }
}

TEST(MessageRecords, SixthRecordHandsTheFirstFiveOverFirst)
{
    Probe p;
    for (int i = 0; i < 6; ++i)
        p.Answer("AT$SMSNEWMT0?", {"t,01" + std::to_string(i) + ",4098,m" + std::to_string(i)});
    ASSERT_EQ(1u, p.deliveries.size());
    ASSERT_EQ(5u, p.deliveries[0].size());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ("m" + std::to_string(i), p.deliveries[0][i].body);
    ASSERT_EQ(1, p.SmsRecordCount);
    EXPECT_STREQ("m5", p.SmsRecords[0].body);
    EXPECT_STREQ("015", p.SmsRecords[0].number);
}

TEST(MessageRecords, DeliveryClearsRecordsAndFlags)
{
    Probe p;
    EXPECT_EQ(0, p.DeliverRecords());
    EXPECT_TRUE(p.smsNew.empty());
    p.Answer("AT$SMSNEWMT0?", {"t,011,4098,one"});
    p.Answer("AT$SMSNEWMT0?", {"t,012,4098,two"});
    p.MessageFlags = 0x102;
    EXPECT_EQ(1, p.DeliverRecords());
    ASSERT_EQ(1u, p.deliveries.size());
    EXPECT_EQ(2u, p.deliveries[0].size());
    EXPECT_STREQ("two", p.deliveries[0][1].body);
    EXPECT_EQ(0, p.SmsRecordCount);
    EXPECT_EQ(0, p.MessageFlags);
    EXPECT_EQ(0, p.DeliverRecords());
    // A new-message notice with records held hands them over too.
    p.Answer("AT$SMSNEWMT0?", {"t,013,4098,three"});
    p.Notice("$REMT");
    ASSERT_EQ(2u, p.deliveries.size());
    EXPECT_STREQ("three", p.deliveries[1][0].body);
}

}  // namespace
