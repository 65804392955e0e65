#include "dio/DioHan.h"

// The handheld's library does its own table look-up; here the platform's
// converter does the same job for code page 949.

extern "C" int DioMultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen,
                                      LPWSTR dst, int dstChars)
{
    return MultiByteToWideChar(codePage, flags, src, srcLen, dst, dstChars);
}

extern "C" int DioWideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen,
                                      LPSTR dst, int dstBytes, LPCSTR defaultChar,
                                      LPBOOL usedDefault)
{
    return WideCharToMultiByte(codePage, flags, src, srcLen, dst, dstBytes, defaultChar,
                               usedDefault);
}
