#pragma once
// Texts of cached store items are system strings: allocated with
// SysAllocString, released with SysFreeString; an absent text is null.
#include <windows.h>
#include <oleauto.h>

// A system-string copy of `text`; null for a null text.
BSTR SysStringFrom(LPCWSTR text);
// Frees the string and clears the pointer.
void SysStringRelease(BSTR& text);
// Replaces the string with a copy of `text`.
void SysStringAssign(BSTR& target, LPCWSTR text);
