#pragma once
// Export macro of the audio playback library. The library's own sources (and
// tests that link its static core) see dllexport; users of Melox.dll see dllimport.
#ifdef MELOX_BUILD
#define MELOX_API __declspec(dllexport)
#else
#define MELOX_API __declspec(dllimport)
#endif

#include <windows.h>

// Library version: major 0, minor 1.
MELOX_API void GetVersion(int* major, int* minor);
// Length of the module name when buffer is null; otherwise copies it and returns 1.
MELOX_API int GetModuleName(wchar_t* buffer);
