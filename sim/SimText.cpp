// Message body escaping and code page 949 for the simulated module.
#include <cstring>

#include "sim/SimModule.h"

namespace zen::sim {
namespace {

struct Escape {
    const char* text;
    char ch;
};

// Tried in this order at each position of a received body.
const Escape kUnescape[] = {
    {"\\\\", '\\'}, {"\\x3B", ';'}, {"\\x3b", ';'}, {"\\X3B", ';'}, {"\\'", '\''}, {"\\x22", '"'},
    {"\\?", '?'},   {"\\x0D", '\r'}, {"\\x0d", '\r'}, {"\\X0D", '\r'}, {"\\x0A", '\n'}, {"\\x0a", '\n'},
    {"\\X0A", '\n'},
};

}  // namespace

std::string EscapeBody(const std::string& body)
{
    std::string out;
    for (char c : body) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case ';': out += "\\x3B"; break;
        case '\'': out += "\\'"; break;
        case '"': out += "\\x22"; break;
        case '?': out += "\\?"; break;
        case '\r': out += "\\x0D"; break;
        case '\n': out += "\\x0A"; break;
        default: out += c;
        }
    }
    return out;
}

std::string UnescapeBody(const std::string& text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        bool matched = false;
        for (const Escape& e : kUnescape) {
            size_t n = std::strlen(e.text);
            if (text.compare(i, n, e.text) == 0) {
                out += e.ch;
                i += n;
                matched = true;
                break;
            }
        }
        if (!matched)
            out += text[i++];
    }
    return out;
}

std::string ToCp949(const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(949, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(949, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FromCp949(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int n = MultiByteToWideChar(949, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(949, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

}  // namespace zen::sim
