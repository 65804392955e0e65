#pragma once
// DioHan: the Korean conversion library the phone links against. Only code
// page 949 matters to us; the calls keep the shape of the system's own ones.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

int DioMultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcLen,
                           LPWSTR dst, int dstChars);
int DioWideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcLen,
                           LPSTR dst, int dstBytes, LPCSTR defaultChar, LPBOOL usedDefault);

#ifdef __cplusplus
}
#endif
