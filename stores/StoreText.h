#pragma once
// Small text helpers of the stores: property look-up by id, copies cut to a
// caller's buffer, and the 8-bit (module code page) forms of texts.
#include <windows.h>

#include "stores/RecordProps.h"

// The text of a string property, or null when absent or empty.
LPCWSTR NonEmptyText(const RecordBuffer& record, CEPROPID id);

// Copies `text` (null = empty) into out, cut to outChars - 1 characters.
void CopyTextCut(LPWSTR out, int outChars, LPCWSTR text);

// UTF-16 to the module's 8-bit code page through the program's conversion,
// cut at a whole character so it fits outBytes with its zero.
void WideToByteText(LPCWSTR in, char* out, int outBytes);
// 8-bit text to UTF-16, cut to outChars with its zero.
void ByteToWideText(const char* in, LPWSTR out, int outChars);
// Copies 8-bit text, cut at a whole character to fit outBytes.
void CopyByteTextCut(char* out, int outBytes, const char* in);
