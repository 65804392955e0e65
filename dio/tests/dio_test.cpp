#include <gtest/gtest.h>

#include <string>

#include "dio/DioHan.h"

namespace {

std::wstring Hangul40()
{
    std::wstring s;
    for (int i = 0; i < 40; ++i)
        s += static_cast<wchar_t>(0xAC00 + i * 37);  // spread over the syllable block
    return s;
}

TEST(DioHan, HangulTakesTwoBytesEachAndComesBackTheSame)
{
    const std::wstring text = Hangul40();
    char mb[200];
    ASSERT_EQ(81, DioWideCharToMultiByte(949, 0x240, text.c_str(), -1, mb, sizeof mb, nullptr,
                                         nullptr));
    EXPECT_EQ(80u, strlen(mb));
    EXPECT_EQ('\xB0', mb[0]);  // U+AC00 is B0A1 in code page 949
    EXPECT_EQ('\xA1', mb[1]);
    wchar_t back[64];
    ASSERT_EQ(41, DioMultiByteToWideChar(949, 1, mb, -1, back, 64));
    EXPECT_EQ(text, std::wstring(back));
}

TEST(DioHan, EmptySourceGivesTerminatedEmptyText)
{
    char mb[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(1, DioWideCharToMultiByte(949, 0x240, L"", -1, mb, 4, nullptr, nullptr));
    EXPECT_EQ(0, mb[0]);
    wchar_t w[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(1, DioMultiByteToWideChar(949, 1, "", -1, w, 4));
    EXPECT_EQ(0, w[0]);
}

TEST(DioHan, DestinationSizeIsRespected)
{
    char mb[8];
    memset(mb, 'Z', sizeof mb);
    // Four syllables need nine bytes; five are offered.
    EXPECT_EQ(0, DioWideCharToMultiByte(949, 0x240, L"\xAC00\xAC01\xAC02\xAC03", -1, mb, 5,
                                        nullptr, nullptr));
    EXPECT_EQ('Z', mb[5]);
}

}  // namespace
