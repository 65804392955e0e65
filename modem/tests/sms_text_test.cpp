// Message bodies on the AT line: escapes both ways, the send line, and a
// seeded property run of random bodies through both.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "modem/CodePage.h"
#include "modem/SmsText.h"

namespace {

std::string Escape(const std::string& body, int size = SMS_BODY_BUFFER)
{
    std::string out(size, 'Z');
    const int n = EscapeText(body.c_str(), &out[0], size);
    if (n < 0)
        return out[0] == 0 ? "<refused>" : "<refused, not emptied>";
    EXPECT_EQ(static_cast<size_t>(n), strlen(out.c_str()));
    return out.substr(0, n);
}

std::string Unescape(const std::string& text, int size = SMS_RECEIVED_BODY_MAX + 1)
{
    std::string out(size + 4, 'Z');
    const int n = UnescapeText(text.c_str(), &out[0], size);
    EXPECT_EQ(static_cast<size_t>(n), strlen(out.c_str()));
    EXPECT_EQ('Z', out[size]);  // nothing written past the given size
    return out.substr(0, n);
}

std::string Line(int slot, const char* to, const char* callback, int ts, const char* body)
{
    char* line = BuildSmsSendLine(slot, to, callback, ts, body);
    if (!line)
        return "<none>";
    std::string s = line;
    ReleaseSmsSendLine(line);
    return s;
}

TEST(SmsEscape, EveryTableEntryAndPlainBytes)
{
    EXPECT_EQ("a\\x3Bb\\x22c", Escape("a;b\"c"));
    EXPECT_EQ("a\\\\b", Escape("a\\b"));
    EXPECT_EQ("\\'\\?\\x0D\\x0A", Escape("'?\r\n"));
    // Hangul "안녕" is two double-byte characters and passes unchanged.
    EXPECT_EQ("\xBE\xC8\xB3\xE7,x", Escape("\xBE\xC8\xB3\xE7,x"));
    EXPECT_EQ("", Escape(""));
}

TEST(SmsEscape, GrowthPastTheBufferIsRefusedNeverCut)
{
    // 82 semicolons escape to 328 bytes: fits with its terminator.
    EXPECT_EQ(328u, Escape(std::string(82, ';')).size());
    // One more grows to 332: refused, and the output left empty.
    EXPECT_EQ("<refused>", Escape(std::string(83, ';')));
    EXPECT_EQ("<refused>", Escape(std::string(329, 'a') + "?"));
    EXPECT_EQ(329u, Escape(std::string(329, 'a')).size());
    EXPECT_EQ("<refused>", Escape("ab", 2));
}

TEST(SmsUnescape, TableVariantsInOrder)
{
    EXPECT_EQ("a;b\rc", Unescape("a\\x3bb\\X0Dc"));
    EXPECT_EQ(";;;", Unescape("\\x3B\\x3b\\X3B"));
    EXPECT_EQ("\n\n\n\r\r", Unescape("\\x0A\\x0a\\X0A\\x0D\\x0d"));
    EXPECT_EQ("'\"?\\", Unescape("\\'\\x22\\?\\\\"));
    // Two backslashes come first: "\\x3B" is a backslash and the text x3B.
    EXPECT_EQ("\\x3B", Unescape("\\\\x3B"));
    // Forms the table does not hold are copied.
    EXPECT_EQ("\\X22\\X3b\\n", Unescape("\\X22\\X3b\\n"));
}

TEST(SmsUnescape, BrokenEscapesAreCopiedAndNothingOverruns)
{
    EXPECT_EQ("ab\\x3", Unescape("ab\\x3"));
    EXPECT_EQ("ab\\", Unescape("ab\\"));
    EXPECT_EQ("\\", Unescape("\\"));
    EXPECT_EQ("\\x", Unescape("\\x"));
    EXPECT_EQ("", Unescape(""));
    EXPECT_EQ("", Unescape("abc", 1));
}

TEST(SmsUnescape, LongBodiesAreCutAtWholeCharacters)
{
    EXPECT_EQ(std::string(255, 'a'), Unescape(std::string(300, 'a')));
    // 127 Hangul syllables are 254 bytes; the 128th does not fit whole.
    std::string hangul;
    for (int i = 0; i < 130; ++i)
        hangul += "\xB0\xA1";  // "가"
    const std::string cut = Unescape("a" + hangul);
    EXPECT_EQ(255u, cut.size());
    EXPECT_EQ("a" + hangul.substr(0, 254), cut);
    EXPECT_EQ(254u, Unescape(hangul).size());
    // An escape that does not fit is not half written.
    EXPECT_EQ(std::string(255, 'b'), Unescape(std::string(255, 'b') + "\\x3B"));
}

TEST(SmsSendLine, BothFormsAndTheLineLimit)
{
    EXPECT_EQ("AT$SMSMO0=0167778888,0101234567,4098,\"a\\x3Bb\"\r\n",
              Line(0, "0167778888", "0101234567", 4098, "a\\x3Bb"));
    EXPECT_EQ("AT$SMSMO0=0167778888,4098,\"hi\"\r\n", Line(0, "0167778888", nullptr, 4098, "hi"));
    // An empty call-back text still makes the field.
    EXPECT_EQ("AT$SMSMO0=011,,4098,\"\"\r\n", Line(0, "011", "", 4098, ""));
    // The longest body with the longest number fits; a line over 438 does not.
    const std::string body(329, 'x');
    const std::string number(63, '1');
    EXPECT_EQ(412u, Line(0, number.c_str(), nullptr, 4098, body.c_str()).size());
    EXPECT_EQ(438u, Line(0, number.c_str(), std::string(25, '2').c_str(), 4098, body.c_str()).size());
    EXPECT_EQ("<none>", Line(0, number.c_str(), std::string(26, '2').c_str(), 4098, body.c_str()));
    EXPECT_EQ("<none>", Line(0, nullptr, nullptr, 4098, "x"));
}

// Seeded random bodies, bytes and Hangul, through escape, the send line's
// quoted field and unescape: the body comes back exactly.
TEST(SmsRoundTrip, RandomBodiesComeBackExactly)
{
    UseDioHanConversion();
    std::mt19937 rng(20261207);
    const std::string specials = "\\;'\"?\r\n";
    for (int round = 0; round < 400; ++round) {
        std::string body;
        if (round % 2 == 0) {
            const int n = std::uniform_int_distribution<int>(0, 120)(rng);
            for (int i = 0; i < n; ++i) {
                char c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(rng));
                if (i % 5 == 0)
                    c = specials[rng() % specials.size()];
                body += c;
            }
        } else {
            std::wstring wide;
            const int n = std::uniform_int_distribution<int>(0, 60)(rng);
            for (int i = 0; i < n; ++i)
                wide += (rng() % 3) ? static_cast<wchar_t>(0xAC00 + rng() % 11172)
                                    : static_cast<wchar_t>(specials[rng() % specials.size()]);
            char mb[SMS_BODY_BUFFER];
            ASSERT_GT(g_pfnWideToMultiByte(wide.c_str(), mb, sizeof mb), 0) << round;
            body = mb;
            wchar_t back[SMS_BODY_BUFFER];
            ASSERT_GT(g_pfnMultiByteToWide(mb, back, SMS_BODY_BUFFER), 0);
            ASSERT_EQ(wide, back) << round;
        }
        char escaped[SMS_BODY_BUFFER];
        const int n = EscapeText(body.c_str(), escaped, sizeof escaped);
        if (n < 0)
            continue;  // refused for growth, covered above
        ASSERT_EQ(std::string::npos, std::string(escaped).find_first_of(";\"\r\n")) << round;
        char* line = BuildSmsSendLine(0, "0101234567", nullptr, 4098, escaped);
        ASSERT_NE(nullptr, line);
        std::string quoted = line;
        ReleaseSmsSendLine(line);
        const size_t open = quoted.find('"');
        const size_t close = quoted.rfind('"');
        ASSERT_EQ(escaped, quoted.substr(open + 1, close - open - 1));
        EXPECT_EQ(body, Unescape(escaped, SMS_BODY_BUFFER)) << round;
    }
    UseSystemConversion();
}

TEST(SmsRoundTrip, FortySyllablesAreEightyBytesBothWays)
{
    UseDioHanConversion();
    std::wstring wide;
    for (int i = 0; i < 40; ++i)
        wide += static_cast<wchar_t>(0xAC00 + i * 271);
    char mb[SMS_BODY_BUFFER];
    ASSERT_EQ(81, g_pfnWideToMultiByte(wide.c_str(), mb, sizeof mb));
    char escaped[SMS_BODY_BUFFER];
    EXPECT_EQ(80, EscapeText(mb, escaped, sizeof escaped));
    char back8[SMS_BODY_BUFFER];
    EXPECT_EQ(80, UnescapeText(escaped, back8, sizeof back8));
    wchar_t back[64];
    ASSERT_EQ(41, g_pfnMultiByteToWide(back8, back, 64));
    EXPECT_EQ(wide, back);
    UseSystemConversion();
}

}  // namespace
