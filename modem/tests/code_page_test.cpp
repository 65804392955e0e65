#include <gtest/gtest.h>

#include <string>

#include "modem/CodePage.h"

namespace {

TEST(CodePage, DioHanPointersConvert949BothWays)
{
    UseDioHanConversion();
    const std::wstring text = L"\uc548\ub155 0101234567 *#-";  // "안녕" and a number
    char mb[64];
    ASSERT_GT(g_pfnWideToMultiByte(text.c_str(), mb, sizeof mb), 0);
    EXPECT_EQ(std::string("\xBE\xC8\xB3\xE7 0101234567 *#-"), mb);
    wchar_t back[64];
    ASSERT_GT(g_pfnMultiByteToWide(mb, back, 64), 0);
    EXPECT_EQ(text, back);
    UseSystemConversion();
}

TEST(CodePage, TooSmallDestinationStaysTerminatedAndUnderrun)
{
    UseDioHanConversion();
    char mb[8];
    memset(mb, 'Z', sizeof mb);
    EXPECT_EQ(0, g_pfnWideToMultiByte(L"\uc548\ub155\ud558\uc138\uc694", mb, 6));
    EXPECT_EQ(0, mb[0]);
    EXPECT_EQ('Z', mb[6]);
    wchar_t w[4];
    EXPECT_EQ(0, g_pfnMultiByteToWide("abcdefgh", w, 4));
    EXPECT_EQ(0, w[0]);
    UseSystemConversion();
}

TEST(CodePage, SystemConversionPassesAscii)
{
    UseSystemConversion();
    char mb[16];
    ASSERT_EQ(8, g_pfnWideToMultiByte(L"*0-9 #A", mb, sizeof mb));
    EXPECT_STREQ("*0-9 #A", mb);
}

}  // namespace
