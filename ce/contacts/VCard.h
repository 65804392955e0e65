#pragma once
// vCard files (versions 2.1, 3.0 and 4.0) as far as the phone's contacts go:
// names, three numbers, categories and a bitmap picture.
#include <windows.h>

#include <string>
#include <vector>

namespace vcard {

enum NumberKind { kMobile = 0, kHome = 1, kOffice = 2 };

struct Contact {
    std::wstring family;
    std::wstring given;
    std::wstring formatted;     // display name
    std::wstring numbers[3];    // by NumberKind
    int preferred = -1;         // a NumberKind, -1 none
    std::vector<std::wstring> categories;
    std::vector<BYTE> photo;    // the bytes of a bitmap file
    int line = 0;               // where the card began
};

struct ParseResult {
    std::vector<Contact> contacts;
    std::vector<std::wstring> messages;  // what was left out, and why
    int cardsSeen = 0;
};

// Files above this size are refused whole.
constexpr size_t kMaxFileBytes = 32u * 1024 * 1024;
// A single property (after unfolding) above this size is left out.
constexpr size_t kMaxPropertyBytes = 1024 * 1024;
// Longest number and name the phone keeps.
constexpr size_t kMaxNumberChars = 63;
constexpr size_t kMaxNameChars = 255;

// Reads every card of a file's bytes. Bad cards and properties are left out
// with a message; the rest is read.
ParseResult Parse(const std::string& bytes);
// Writes the contacts as vCard text of version "2.1", "3.0" or "4.0".
std::string Write(const std::vector<Contact>& contacts, const std::string& version);

// The display name a card without FN gets: family then given, joined
// directly for Korean names and with a blank otherwise.
std::wstring ComposeDisplayName(const std::wstring& family, const std::wstring& given);
// Why picture bytes cannot be kept, or empty when they are a usable bitmap.
std::wstring PictureProblem(const std::vector<BYTE>& bytes);

}  // namespace vcard
