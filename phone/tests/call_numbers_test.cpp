// What may be dialled, which callers count as numbers, and the pre-dial checks.
#include <gtest/gtest.h>

#include <string>

#include "modem/ModemMessages.h"
#include "phone/CallNumbers.h"

namespace {

TEST(CallNumbers, OnlyDialCharactersMayBeDialled)
{
    EXPECT_TRUE(IsDiallableNumber(L"0101234567"));
    EXPECT_TRUE(IsDiallableNumber(L"+82-10-1234,P5678T#*"));
    EXPECT_FALSE(IsDiallableNumber(L""));
    EXPECT_FALSE(IsDiallableNumber(nullptr));
    // Whatever could end or extend the command line is refused.
    for (const wchar_t* bad : {L"0101\r\nATZ", L"010;", L"010 1234", L"010p", L"0101234567\x0001",
                               L"전화", L"ATD0", L"010\"1"})
        EXPECT_FALSE(IsDiallableNumber(bad)) << std::wstring(bad).size();
}

TEST(CallNumbers, PlainCallerNumbersAndControlCharacters)
{
    EXPECT_TRUE(IsPlainCallerNumber("010-123*#"));
    EXPECT_FALSE(IsPlainCallerNumber(""));
    EXPECT_FALSE(IsPlainCallerNumber("+8210"));
    EXPECT_FALSE(IsPlainCallerNumber("01012\x1b"));

    char text[] = "\x01" "010\r\n12\x7f" "34\t";
    EXPECT_EQ(7, DropControlChars(text));
    EXPECT_STREQ("0101234", text);
    char korean[] = "\xb9\xdf\x07";  // an 8-bit character stays whole
    EXPECT_EQ(2, DropControlChars(korean));
    EXPECT_EQ(0, DropControlChars(nullptr));
}

class DialChecks : public testing::Test {
protected:
    SettingsBlock s{};
    DialCheck Check(const wchar_t* number, LONG direction = 0, LONG last = CALL_IDLE)
    {
        return CheckDial(s, direction, last, number);
    }
};

TEST_F(DialChecks, LengthAndCharacters)
{
    const std::wstring sixty(60, L'1');
    EXPECT_EQ(DialCheck::Allowed, Check(sixty.c_str()));
    EXPECT_EQ(DialCheck::TooLong, Check((sixty + L"1").c_str()));
    EXPECT_EQ(DialCheck::TooLong, Check(L"0101234567\r\nAT$REL"));
    EXPECT_STREQ(L"*** 발신 번호 오류 ***", DialRefusalText(DialCheck::TooLong));
    // A wrong number is reported before any restriction.
    s.bPhoneLocked = 1;
    EXPECT_EQ(DialCheck::TooLong, Check((sixty + L"1").c_str()));
}

TEST_F(DialChecks, RestrictionsInTheirOrder)
{
    s.bPhoneLocked = 1;
    s.bBarOutgoing = 1;
    s.bBarInternational = 1;
    EXPECT_EQ(DialCheck::PhoneLocked, Check(L"0012345"));
    EXPECT_STREQ(L"*** 휴대폰이 잠김 ***", DialRefusalText(DialCheck::PhoneLocked));
    s.bPhoneLocked = 0;
    EXPECT_EQ(DialCheck::BarredOutgoing, Check(L"0012345"));
    EXPECT_STREQ(L"*** 발신 금지 ***", DialRefusalText(DialCheck::BarredOutgoing));
    // During a call the outgoing bar does not apply, the international one does.
    EXPECT_EQ(DialCheck::BarredInternational, Check(L"0012345", 1, CALL_CONNECTED));
    EXPECT_STREQ(L"*** 국제 전화 발신 금지 ***", DialRefusalText(DialCheck::BarredInternational));
    s.bBarOutgoing = 0;
    EXPECT_EQ(DialCheck::BarredInternational, Check(L"0012"));
    EXPECT_EQ(DialCheck::Allowed, Check(L"00"));
    EXPECT_EQ(DialCheck::Allowed, Check(L"001"));
    EXPECT_EQ(DialCheck::Allowed, Check(L"0101234567"));
}

TEST_F(DialChecks, ACallInProgressRefusesWithoutText)
{
    EXPECT_EQ(DialCheck::CallInProgress, Check(L"0101234567", 1, CALL_SETUP));
    EXPECT_EQ(DialCheck::CallInProgress, Check(L"0101234567", 2, CALL_CONNECTED));
    EXPECT_EQ(DialCheck::CallInProgress, Check(L"0101234567", 0, CALL_LOCKED));
    EXPECT_EQ(nullptr, DialRefusalText(DialCheck::CallInProgress));
    EXPECT_EQ(nullptr, DialRefusalText(DialCheck::Allowed));
    EXPECT_EQ(DialCheck::Allowed, Check(L"0101234567", 0, CALL_NO_CARRIER));
}

}  // namespace
