#pragma once
// The texts the message window shows: its title line, the start of a
// message in a list row, and the reader's header lines and body.
#include <windows.h>

#include <string>

#include "stores/CCeSmsDB.h"

namespace SmsViewText {

// The title of the list by tab (0 all, 1 received, 2 sent, 3 voice).
std::wstring ListTitle(int tab, const CCeSmsDB& store);

// A message's 8-bit text as UTF-16 (330 characters at most) with control
// characters other than line breaks and tabs shown as blanks.
std::wstring Body(const SmsItem& item);
// The start of a body for a list row: a body of up to 7 characters whole,
// a longer one as many characters as keep the count below 14 bytes (two
// for a character of code 256 or more); line breaks shown as blanks.
std::wstring RowSnippet(const std::wstring& body);
// The body for the multi-line reader: every line break as CR LF.
std::wstring ReaderBody(const std::wstring& body);

// The reader's header lines of an item.
std::wstring DateLine(const SmsItem& item);
std::wstring TimeLine(const SmsItem& item);
std::wstring StateLine(const SmsItem& item);
// "송신자 : ..." for a received message, "수신자 : ..." for a sent one,
// with the name in parentheses when known.
std::wstring PartyLine(const SmsItem& item);

// The item's number and name as UTF-16.
std::wstring Number(const SmsItem& item);

}  // namespace SmsViewText
