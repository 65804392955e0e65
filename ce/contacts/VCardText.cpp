#include "ce/contacts/VCardText.h"

#include <cctype>
#include <cstring>
#include <cwctype>

namespace vcard {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

bool Decode(const std::string& bytes, UINT codePage, std::wstring& out) {
    out.clear();
    if (bytes.empty()) return true;
    if (codePage == 28591) {  // Latin-1 maps byte for character
        for (unsigned char c : bytes) out += static_cast<wchar_t>(c);
        return true;
    }
    if (codePage == 20127) {  // US-ASCII
        for (unsigned char c : bytes) {
            if (c > 0x7F) return false;
            out += static_cast<wchar_t>(c);
        }
        return true;
    }
    // These code pages take no flags at all.
    bool noFlags = (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011) ||
                   codePage == CP_UTF7 || codePage == 42;
    DWORD flags = noFlags ? 0 : MB_ERR_INVALID_CHARS;
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    out.assign(n, L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return true;
}

bool FromUtf8(const std::string& bytes, std::wstring& out) { return Decode(bytes, CP_UTF8, out); }

namespace {

// Whether the bytes hold a pair of the Korean standard's own range (both
// bytes from 0xA1), which Western text in code page 1252 rarely has.
bool HasKoreanStandardPair(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) continue;
        if (i + 1 < bytes.size() && c >= 0xA1 && static_cast<unsigned char>(bytes[i + 1]) >= 0xA1) return true;
        ++i;
    }
    return false;
}

}  // namespace

bool DecodeUndeclared(const std::string& bytes, std::wstring& out) {
    if (FromUtf8(bytes, out)) return true;
    std::wstring korean, western;
    bool isKorean = Decode(bytes, 949, korean);
    bool isWestern = Decode(bytes, 1252, western);
    // Code page 949 also takes many Western byte pairs (its extension rows),
    // so it wins only with a pair from the standard's range or alone.
    if (isKorean && (HasKoreanStandardPair(bytes) || !isWestern)) {
        out = korean;
        return true;
    }
    if (isWestern) {
        out = western;
        return true;
    }
    return false;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

namespace {

// Names other than "windows-N", "cpN", "ibmN" and "iso-8859-N" that files use
// for the code pages Windows has.
struct CharsetName {
    const char* name;
    UINT codePage;
};
const CharsetName kCharsets[] = {
    {"UTF-8", CP_UTF8},           {"UTF8", CP_UTF8},          {"EUC-KR", 949},          {"EUCKR", 949},
    {"KS_C_5601-1987", 949},      {"KS_C_5601", 949},         {"KSC5601", 949},         {"KSC_5601", 949},
    {"MS949", 949},               {"UHC", 949},               {"ISO-2022-KR", 50225},   {"JOHAB", 1361},
    {"LATIN1", 28591},            {"L1", 28591},              {"LATIN2", 28592},        {"L2", 28592},
    {"LATIN3", 28593},            {"LATIN4", 28594},          {"CYRILLIC", 28595},      {"ARABIC", 28596},
    {"GREEK", 28597},             {"HEBREW", 28598},          {"LATIN5", 28599},        {"LATIN9", 28605},
    {"ISO-8859-8-I", 38598},      {"ISO-8859-11", 874},       {"TIS-620", 874},         {"US-ASCII", 20127},
    {"ASCII", 20127},             {"ANSI_X3.4-1968", 20127},  {"US", 20127},            {"KOI8-R", 20866},
    {"KOI8-U", 21866},            {"KOI8-RU", 21866},         {"SHIFT_JIS", 932},       {"SHIFT-JIS", 932},
    {"SJIS", 932},                {"MS_KANJI", 932},          {"X-SJIS", 932},          {"WINDOWS-31J", 932},
    {"EUC-JP", 20932},            {"ISO-2022-JP", 50220},     {"CSISO2022JP", 50221},   {"GB2312", 936},
    {"GBK", 936},                 {"EUC-CN", 936},            {"X-GBK", 936},           {"GB18030", 54936},
    {"HZ-GB-2312", 52936},        {"BIG5", 950},              {"BIG-5", 950},           {"BIG5-HKSCS", 950},
    {"CN-BIG5", 950},             {"X-X-BIG5", 950},          {"UTF-7", CP_UTF7},       {"MACINTOSH", 10000},
    {"MAC", 10000},               {"X-MAC-ROMAN", 10000},     {"X-MAC-CE", 10029},      {"X-MAC-CYRILLIC", 10007},
    {"X-MAC-GREEK", 10006},       {"X-MAC-TURKISH", 10081},   {"X-MAC-JAPANESE", 10001}, {"X-MAC-KOREAN", 10003},
    {"IBM-THAI", 20838},          {"DOS-862", 862},           {"DOS-720", 720},         {"ASMO-708", 708},
    {"CP-866", 866},              {"X-CP20936", 20936},       {"X-EBCDIC-KOREANEXTENDED", 20833},
};

// The number after one of the prefixes, or 0.
UINT NumberAfter(const std::string& name, const char* prefix) {
    size_t n = strlen(prefix);
    if (name.compare(0, n, prefix) != 0 || name.size() == n || name.size() > n + 5) return 0;
    UINT v = 0;
    for (size_t i = n; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        v = v * 10 + static_cast<UINT>(name[i] - '0');
    }
    return v;
}

}  // namespace

UINT CodePageOfCharset(const std::string& charset) {
    std::string wanted = Upper(charset);
    UINT cp = 0;
    for (const CharsetName& n : kCharsets)
        if (wanted == n.name) cp = n.codePage;
    if (!cp) {
        if (UINT part = NumberAfter(wanted, "ISO-8859-")) cp = part <= 15 ? 28590 + part : 0;
        else if (UINT part2 = NumberAfter(wanted, "ISO8859-")) cp = part2 <= 15 ? 28590 + part2 : 0;
        else if (UINT w = NumberAfter(wanted, "WINDOWS-")) cp = w;
        else if (UINT x = NumberAfter(wanted, "X-CP")) cp = x;
        else if (UINT c = NumberAfter(wanted, "CP")) cp = c;
        else if (UINT i = NumberAfter(wanted, "IBM")) cp = i;
        else if (UINT m = NumberAfter(wanted, "MS")) cp = m;
    }
    // Only what this system can really convert; the two that are done by
    // hand need no table.
    if (cp == 28591 || cp == 20127) return cp;
    return cp && IsValidCodePage(cp) ? cp : 0;
}

std::string QuotedPrintableDecode(const std::string& text) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            int hi = hex(text[i + 1]), lo = hex(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        if (text[i] == '=' && i + 1 >= text.size()) break;  // soft break left at the end
        out += text[i];
    }
    return out;
}

std::string QuotedPrintableEncode(const std::string& bytes, size_t firstLineUsed) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    size_t lineLength = firstLineUsed;
    for (unsigned char c : bytes) {
        std::string piece;
        if (c >= 33 && c <= 126 && c != '=') {
            piece = static_cast<char>(c);
        } else {
            piece = {'=', kHex[c >> 4], kHex[c & 15]};
        }
        if (lineLength + piece.size() > 75) {
            out += "=\r\n";
            lineLength = 0;
        }
        out += piece;
        lineLength += piece.size();
    }
    return out;
}

bool Base64Decode(const std::string& text, std::vector<BYTE>& out) {
    out.clear();
    unsigned buffer = 0;
    int bits = 0;
    for (char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        else if (c >= '0' && c <= '9') v = c - '0' + 52;
        else if (c == '+') v = 62;
        else if (c == '/') v = 63;
        else if (c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        else return false;
        buffer = (buffer << 6) | v;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<BYTE>((buffer >> bits) & 0xFF));
        }
    }
    return true;
}

std::string Base64Encode(const std::vector<BYTE>& bytes) {
    static const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], kAlphabet[v & 63]};
    }
    if (i + 1 == bytes.size()) {
        unsigned v = bytes[i] << 16;
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], '=', '='};
    } else if (i + 2 == bytes.size()) {
        unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out += {kAlphabet[v >> 18], kAlphabet[(v >> 12) & 63], kAlphabet[(v >> 6) & 63], '='};
    }
    return out;
}

std::vector<std::wstring> SplitUnescaped(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size()) {
            parts.back() += text[i];
            parts.back() += text[++i];
        } else if (text[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += text[i];
        }
    }
    return parts;
}

std::wstring Unescape(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        wchar_t next = text[++i];
        out += (next == L'n' || next == L'N') ? L'\n' : next;
    }
    return out;
}

std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\\' || c == L',' || c == L';') {
            out += L'\\';
            out += c;
        } else if (c == L'\n') {
            out += L"\\n";
        } else if (c != L'\r') {
            out += c;
        }
    }
    return out;
}

std::string Fold(const std::string& line) {
    std::string out;
    size_t start = 0, limit = 75;
    while (line.size() - start > limit) {
        size_t cut = start + limit;
        // Step back off UTF-8 continuation bytes.
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        limit = 74;
    }
    out.append(line, start, std::string::npos);
    out += "\r\n";
    return out;
}

std::wstring Trim(const std::wstring& text) {
    size_t a = 0, b = text.size();
    while (a < b && iswspace(text[a])) ++a;
    while (b > a && iswspace(text[b - 1])) --b;
    return text.substr(a, b - a);
}

}  // namespace vcard
