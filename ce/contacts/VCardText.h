#pragma once
// Byte and text chores of vCard files: UTF-8, character sets, quoted-
// printable, base64, escapes and line folding.
#include <windows.h>

#include <string>
#include <vector>

namespace vcard {

// UTF-16 to UTF-8 and back; invalid UTF-8 fails (returns false).
std::string ToUtf8(const std::wstring& text);
bool FromUtf8(const std::string& bytes, std::wstring& out);

// The code page of a CHARSET name (case-insensitive), 0 when unknown.
UINT CodePageOfCharset(const std::string& charset);
// Bytes in a code page to UTF-16; false when they are not valid there.
bool Decode(const std::string& bytes, UINT codePage, std::wstring& out);

// Text that names no character set: UTF-8 when it is valid UTF-8, else the
// Korean code page older phones wrote, else Western (1252).
bool DecodeUndeclared(const std::string& bytes, std::wstring& out);

std::string QuotedPrintableDecode(const std::string& text);
// Encodes bytes; soft line breaks keep lines within 76 characters, the
// first line shortened by `firstLineUsed` characters already written.
std::string QuotedPrintableEncode(const std::string& bytes, size_t firstLineUsed);
// false when the text holds characters outside the base64 alphabet.
bool Base64Decode(const std::string& text, std::vector<BYTE>& out);
std::string Base64Encode(const std::vector<BYTE>& bytes);

// Splits on `separator` where it is not escaped with a backslash; the parts
// keep their escapes.
std::vector<std::wstring> SplitUnescaped(const std::wstring& text, wchar_t separator);
// Turns \\, \, \; \: and \n (\N) back into their characters.
std::wstring Unescape(const std::wstring& text);
// Escapes backslash, comma, semicolon and line breaks.
std::wstring Escape(const std::wstring& text);

// Folds one content line (without its line end) into lines of at most 75
// bytes, each continuation starting with a blank; never splits a UTF-8
// sequence. Ends with CRLF.
std::string Fold(const std::string& line);

std::string Upper(std::string text);
std::wstring Trim(const std::wstring& text);

}  // namespace vcard
