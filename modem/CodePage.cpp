#include "modem/CodePage.h"

#include "dio/DioHan.h"

namespace {

const DWORD kWideToMbFlags = WC_COMPOSITECHECK | WC_DEFAULTCHAR;  // 0x240
const DWORD kMbToWideFlags = MB_PRECOMPOSED;                       // 1
const UINT kKoreanCodePage = 949;

// A failed conversion may leave a partly written destination; callers treat
// the destination as text, so it is left empty instead.
template <typename Ch>
int Terminated(int result, Ch* dst, int size)
{
    if (result == 0 && dst && size > 0)
        dst[0] = 0;
    return result;
}

int SystemWideToMb(const wchar_t* src, char* dst, int dstBytes)
{
    return Terminated(WideCharToMultiByte(CP_ACP, kWideToMbFlags, src, -1, dst, dstBytes,
                                          nullptr, nullptr),
                      dst, dstBytes);
}

int SystemMbToWide(const char* src, wchar_t* dst, int dstChars)
{
    return Terminated(MultiByteToWideChar(CP_ACP, kMbToWideFlags, src, -1, dst, dstChars),
                      dst, dstChars);
}

int DioWideToMb(const wchar_t* src, char* dst, int dstBytes)
{
    return Terminated(DioWideCharToMultiByte(kKoreanCodePage, kWideToMbFlags, src, -1, dst,
                                             dstBytes, nullptr, nullptr),
                      dst, dstBytes);
}

int DioMbToWide(const char* src, wchar_t* dst, int dstChars)
{
    return Terminated(DioMultiByteToWideChar(kKoreanCodePage, kMbToWideFlags, src, -1, dst,
                                             dstChars),
                      dst, dstChars);
}

}  // namespace

PfnWideToMultiByte g_pfnWideToMultiByte = SystemWideToMb;
PfnMultiByteToWide g_pfnMultiByteToWide = SystemMbToWide;

void UseDioHanConversion()
{
    g_pfnWideToMultiByte = DioWideToMb;
    g_pfnMultiByteToWide = DioMbToWide;
}

void UseSystemConversion()
{
    g_pfnWideToMultiByte = SystemWideToMb;
    g_pfnMultiByteToWide = SystemMbToWide;
}
