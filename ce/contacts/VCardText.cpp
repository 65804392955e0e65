#include "ce/contacts/VCardText.h"

#include <cctype>
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
    DWORD flags = MB_ERR_INVALID_CHARS;
    int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    out.assign(n, L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
    return true;
}

bool FromUtf8(const std::string& bytes, std::wstring& out) { return Decode(bytes, CP_UTF8, out); }

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

UINT CodePageOfCharset(const std::string& charset) {
    struct Name {
        const char* name;
        UINT codePage;
    };
    static const Name kNames[] = {
        {"UTF-8", CP_UTF8},       {"UTF8", CP_UTF8},          {"EUC-KR", 949},        {"EUCKR", 949},
        {"KS_C_5601-1987", 949},  {"KS_C_5601", 949},         {"KSC5601", 949},       {"CP949", 949},
        {"MS949", 949},           {"UHC", 949},               {"WINDOWS-949", 949},   {"ISO-8859-1", 28591},
        {"LATIN1", 28591},        {"US-ASCII", 20127},        {"ASCII", 20127},       {"WINDOWS-1252", 1252},
        {"SHIFT_JIS", 932},       {"GB2312", 936},            {"GBK", 936},           {"BIG5", 950},
    };
    std::string wanted = Upper(charset);
    for (const Name& n : kNames)
        if (wanted == n.name) return n.codePage;
    return 0;
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
