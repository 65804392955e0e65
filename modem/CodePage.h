#pragma once
// The two process-wide text conversions between the program's UTF-16 and the
// module's 8-bit code page. Every conversion goes through these pointers so
// that one place decides which converter is used.
#include <windows.h>

// Wide (zero-terminated) to 8-bit; returns bytes written with the terminator, 0 on failure.
typedef int (*PfnWideToMultiByte)(const wchar_t* src, char* dst, int dstBytes);
// 8-bit (zero-terminated) to wide; returns characters written with the terminator, 0 on failure.
typedef int (*PfnMultiByteToWide)(const char* src, wchar_t* dst, int dstChars);

extern PfnWideToMultiByte g_pfnWideToMultiByte;
extern PfnMultiByteToWide g_pfnMultiByteToWide;

// Points both conversions at DioHan with code page 949 (done once at start-up).
void UseDioHanConversion();
// Back to the system's own conversions with the default code page.
void UseSystemConversion();
