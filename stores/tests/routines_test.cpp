#include <gtest/gtest.h>

#include <string>

#include "stores/NumberRoutines.h"
#include "stores/SysStrings.h"
#include "stores/TimeStamp.h"

namespace {

std::wstring Norm(const wchar_t* n) {
    WCHAR out[kNumberChars];
    NormaliseForMatch(n, out);
    return out;
}

TEST(NumberRoutines, NormaliseForMatch) {
    EXPECT_EQ(Norm(L"123-4567"), L"0111234567");
    EXPECT_EQ(Norm(L"02 345 6789"), L"023456789");
    EXPECT_EQ(Norm(L""), L"011");
    EXPECT_EQ(Norm(nullptr), L"011");
    EXPECT_EQ(Norm(L"*23#"), L"011*23#");
    EXPECT_TRUE(NumbersMatch(L"011-234-5678", L"2345678"));
    EXPECT_TRUE(NumbersMatch(L"011-234-5678", L"0112345678"));
    EXPECT_FALSE(NumbersMatch(L"011-234-5678", L"02345678"));
    // A number too long for the buffer is cut, never written past it.
    std::wstring longNumber(200, L'7');
    WCHAR out[kNumberChars + 4];
    for (WCHAR& c : out) c = L'!';
    EXPECT_EQ(NormaliseForMatch(longNumber.c_str(), out, kNumberChars), kNumberChars - 1);
    EXPECT_EQ(out[kNumberChars - 1], 0);
    EXPECT_EQ(out[kNumberChars], L'!');
}

TEST(NumberRoutines, KeepDialCharsBothWidths) {
    WCHAR w[16];
    EXPECT_EQ(KeepDialChars(L"*23#-9a", w, 16), 5);
    EXPECT_STREQ(w, L"*23#9");
    KeepDialChars(L"", w, 16);
    EXPECT_STREQ(w, L"");
    char a[16];
    KeepDialChars("(02) 1#*x", a, 16);
    EXPECT_STREQ(a, "021#*");
    char small[4];
    EXPECT_EQ(KeepDialChars("123456", small, 4), 3);
    EXPECT_STREQ(small, "123");
}

TEST(NumberRoutines, SameNumberAndDialString) {
    EXPECT_TRUE(SameNumber(L"02-123-4567", L"021234567"));
    EXPECT_FALSE(SameNumber(L"1234567", L"0111234567"));  // no "011" step here
    EXPECT_EQ(IsDialString(L"02-123"), 0);
    EXPECT_EQ(IsDialString(L"02 123"), -1);
    EXPECT_EQ(IsDialString(L""), 0);
    EXPECT_EQ(IsDialString(nullptr), -1);
    EXPECT_EQ(IsDialString(L"*23"), -1);
}

TEST(TimeStamp, KnownDateAndRoundTrip) {
    SYSTEMTIME t{2003, 4, 5, 11, 6, 1, 42, 0};
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&t, &ft));
    char stamp[kTimeStampBytes];
    ASSERT_EQ(TimeStampFromFileTime(&ft, stamp), 1);
    EXPECT_STREQ(stamp, "20030411060142");
    FILETIME back;
    ASSERT_EQ(FileTimeFromTimeStamp(stamp, &back), 1);
    EXPECT_EQ(CompareFileTime(&ft, &back), 0);
    // Any time with zero milliseconds survives the trip.
    for (ULONGLONG v = 116444736000000000ull; v < 150000000000000000ull; v += 3333333330000000ull) {
        FILETIME x{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
        char s[kTimeStampBytes];
        ASSERT_EQ(TimeStampFromFileTime(&x, s), 1);
        FILETIME y;
        ASSERT_EQ(FileTimeFromTimeStamp(s, &y), 1);
        EXPECT_EQ(CompareFileTime(&x, &y), 0) << s;
    }
}

TEST(TimeStamp, BadTextIsRefused) {
    FILETIME ft{1, 1};
    EXPECT_EQ(FileTimeFromTimeStamp("2003041106014", &ft), 0);  // 13 digits
    EXPECT_EQ(ft.dwLowDateTime | ft.dwHighDateTime, 0u);
    EXPECT_EQ(FileTimeFromTimeStamp("2003x411060142", &ft), 0);
    EXPECT_EQ(FileTimeFromTimeStamp("20031341060142", &ft), 0);  // month 13
    EXPECT_EQ(FileTimeFromTimeStamp(nullptr, &ft), 0);
    char s[kTimeStampBytes];
    EXPECT_EQ(TimeStampFromFileTime(nullptr, s), 0);
    EXPECT_STREQ(s, "");
}

TEST(SysStrings, OwnedCopiesAndNullForAbsent) {
    WCHAR text[] = L"홍길동";
    BSTR s = SysStringFrom(text);
    text[0] = L'X';
    EXPECT_STREQ(s, L"홍길동");
    EXPECT_EQ(SysStringLen(s), 3u);
    SysStringAssign(s, nullptr);
    EXPECT_EQ(s, nullptr);
    SysStringAssign(s, L"abc");
    EXPECT_STREQ(s, L"abc");
    SysStringRelease(s);
    EXPECT_EQ(s, nullptr);
    SysStringRelease(s);  // twice is harmless
}

}  // namespace
