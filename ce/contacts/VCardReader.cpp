#include <cstdio>
#include <cwchar>

#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardText.h"
#include "stores/BitmapFile.h"
#include "stores/ContactProps.h"
#include "windbase.h"

namespace vcard {

namespace {

struct Line {
    std::string text;
    int number = 0;
    bool tooLong = false;
};

struct Property {
    std::string name;                                    // upper case, no group
    std::vector<std::pair<std::string, std::string>> params;  // upper-case names, values as written
    std::string value;
};

bool StartsWithBlank(const std::string& s) { return !s.empty() && (s[0] == ' ' || s[0] == '\t'); }

// Upper-cased text before the first colon: enough to see the encoding.
std::string Head(const std::string& line) { return Upper(line.substr(0, line.find(':'))); }

bool IsQuotedPrintable(const std::string& line) { return Head(line).find("QUOTED-PRINTABLE") != std::string::npos; }
bool IsBase64(const std::string& line) {
    std::string h = Head(line);
    return h.find("ENCODING=B") != std::string::npos || h.find(";BASE64") != std::string::npos;
}

std::vector<Line> Unfold(const std::string& bytes) {
    std::vector<Line> lines;
    size_t pos = 0;
    int number = 0;
    auto append = [](Line& l, const std::string& more) {
        if (l.tooLong) return;
        if (l.text.size() + more.size() > kMaxPropertyBytes) {
            l.tooLong = true;
            l.text.resize(std::min(l.text.size(), static_cast<size_t>(200)));
            return;
        }
        l.text += more;
    };
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos) end = bytes.size();
        std::string raw = bytes.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (!lines.empty()) {
            Line& last = lines.back();
            bool qpSoft = IsQuotedPrintable(last.text) && !last.text.empty() && last.text.back() == '=';
            if (qpSoft) {
                last.text.pop_back();
                append(last, raw);
                continue;
            }
            if (StartsWithBlank(raw)) {
                append(last, raw.substr(1));
                continue;
            }
            // Older writers put base64 lines flush left until a blank line.
            if (!raw.empty() && raw.find(':') == std::string::npos && IsBase64(last.text)) {
                append(last, raw);
                continue;
            }
        }
        if (raw.empty()) continue;
        lines.push_back(Line{raw, number, raw.size() > kMaxPropertyBytes});
        if (lines.back().tooLong) lines.back().text.resize(200);
    }
    return lines;
}

// Splits at `sep` outside double quotes.
std::vector<std::string> SplitOutsideQuotes(const std::string& s, char sep) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : s) {
        if (c == '"') quoted = !quoted;
        if (c == sep && !quoted) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

bool ParseProperty(const std::string& line, Property& p) {
    bool quoted = false;
    size_t colon = std::string::npos;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string::npos || colon == 0) return false;
    std::vector<std::string> head = SplitOutsideQuotes(line.substr(0, colon), ';');
    std::string name = Upper(head[0]);
    size_t dot = name.rfind('.');
    p.name = dot == std::string::npos ? name : name.substr(dot + 1);
    if (p.name.empty()) return false;
    for (size_t i = 1; i < head.size(); ++i) {
        std::string param = head[i];
        size_t eq = param.find('=');
        std::string key = eq == std::string::npos ? "" : Upper(param.substr(0, eq));
        std::string value = eq == std::string::npos ? param : param.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (key.empty()) {
            // Version 2.1 writes bare values: the encoding's or a type.
            std::string up = Upper(value);
            key = (up == "QUOTED-PRINTABLE" || up == "BASE64" || up == "8BIT" || up == "7BIT" || up == "B")
                      ? "ENCODING"
                      : "TYPE";
        }
        p.params.emplace_back(key, value);
    }
    p.value = line.substr(colon + 1);
    return true;
}

std::string Param(const Property& p, const char* key) {
    for (const auto& kv : p.params)
        if (kv.first == key) return kv.second;
    return {};
}

// Every TYPE value, upper case, commas split.
std::vector<std::string> Types(const Property& p) {
    std::vector<std::string> types;
    for (const auto& kv : p.params) {
        if (kv.first != "TYPE") continue;
        for (const std::string& t : SplitOutsideQuotes(kv.second, ',')) types.push_back(Upper(t));
    }
    return types;
}

bool Has(const std::vector<std::string>& list, const char* what) {
    for (const auto& s : list)
        if (s == what) return true;
    return false;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

class Reader {
public:
    ParseResult result;

    void Run(const std::string& bytes) {
        for (const Line& line : Unfold(bytes)) Take(line);
        if (inCard_) {
            Note(cardLine_, L"card has no END:VCARD (the file looks cut short); skipped");
            inCard_ = false;
        }
    }

private:
    void Note(int line, const std::wstring& text) {
        wchar_t where[48];
        swprintf(where, 48, L"line %d: ", line);
        std::wstring who = card_.formatted.empty() ? card_.family + card_.given : card_.formatted;
        result.messages.push_back(where + (inCard_ && !who.empty() ? L"(" + who + L") " : L"") + text);
    }

    void Take(const Line& line) {
        if (line.tooLong) {
            Note(line.number, L"property larger than 1 MiB left out");
            return;
        }
        Property p;
        if (!ParseProperty(line.text, p)) {
            if (inCard_) Note(line.number, L"line without a property name and value left out");
            return;
        }
        std::string value = Upper(p.value);
        if (p.name == "BEGIN" && Trim(Widen(value)) == L"VCARD") {
            if (inCard_) Note(cardLine_, L"card has no END:VCARD before the next card; skipped");
            inCard_ = true;
            card_ = Contact{};
            card_.line = cardLine_ = line.number;
            version_ = "2.1";
            ++result.cardsSeen;
            return;
        }
        if (!inCard_) return;  // text between cards carries nothing of ours
        if (p.name == "END") {
            Finish(line.number);
            return;
        }
        if (p.name == "VERSION") {
            version_ = p.value;
            if (version_ != "2.1" && version_ != "3.0" && version_ != "4.0")
                Note(line.number, L"unknown version " + Widen(p.value) + L", read as 3.0");
            return;
        }
        if (p.name == "N") Name(p, line.number);
        else if (p.name == "FN") Formatted(p, line.number);
        else if (p.name == "TEL") Number(p, line.number);
        else if (p.name == "CATEGORIES") Categories(p, line.number);
        else if (p.name == "PHOTO") Photo(p, line.number);
    }

    // The property's text value, decoded; false (with a note) when it cannot be.
    bool Text(const Property& p, int line, std::wstring& out) {
        std::string bytes = p.value;
        if (Upper(Param(p, "ENCODING")) == "QUOTED-PRINTABLE") bytes = QuotedPrintableDecode(bytes);
        std::string charset = Param(p, "CHARSET");
        if (!charset.empty()) {
            UINT cp = CodePageOfCharset(charset);
            if (!cp) {
                Note(line, Widen(p.name) + L" in unknown character set " + Widen(charset) + L" left out");
                return false;
            }
            if (!Decode(bytes, cp, out)) {
                Note(line, Widen(p.name) + L" is not valid " + Widen(charset) + L"; left out");
                return false;
            }
            return true;
        }
        // No character set named: UTF-8 as the newer versions say, else the
        // Korean code page older phones wrote without saying so.
        if (FromUtf8(bytes, out) || Decode(bytes, 949, out)) return true;
        Note(line, Widen(p.name) + L" is neither UTF-8 nor Korean text; left out");
        return false;
    }

    std::wstring Limited(std::wstring text, size_t limit, int line, const wchar_t* what) {
        if (text.size() > limit) {
            Note(line, std::wstring(what) + L" longer than " + std::to_wstring(limit) + L" characters cut");
            text.resize(limit);
        }
        return text;
    }

    void Name(const Property& p, int line) {
        std::wstring text;
        if (!Text(p, line, text)) return;
        std::vector<std::wstring> parts = SplitUnescaped(text, L';');
        card_.family = Limited(Trim(Unescape(parts[0])), kMaxNameChars, line, L"family name");
        if (parts.size() > 1) card_.given = Limited(Trim(Unescape(parts[1])), kMaxNameChars, line, L"given name");
    }

    void Formatted(const Property& p, int line) {
        std::wstring text;
        if (!Text(p, line, text)) return;
        card_.formatted = Limited(Trim(Unescape(text)), kMaxNameChars, line, L"name");
    }

    void Number(const Property& p, int line) {
        std::wstring text;
        if (!Text(p, line, text)) return;
        text = Trim(Unescape(text));
        if (text.compare(0, 4, L"tel:") == 0 || text.compare(0, 4, L"TEL:") == 0) text = text.substr(4);
        if (text.empty()) return;
        std::vector<std::string> types = Types(p);
        if (Has(types, "FAX") || Has(types, "PAGER")) {
            Note(line, L"fax or pager number " + text + L" left out");
            return;
        }
        if (text.size() > kMaxNumberChars) {
            Note(line, L"number longer than 63 characters left out");
            return;
        }
        int kind = Has(types, "CELL") || Has(types, "MOBILE") ? kMobile
                   : Has(types, "HOME")                        ? kHome
                   : Has(types, "WORK")                        ? kOffice
                                                               : -1;
        if (kind < 0) {
            for (int k : {kMobile, kHome, kOffice}) {
                if (card_.numbers[k].empty()) {
                    kind = k;
                    break;
                }
            }
        }
        if (kind < 0 || !card_.numbers[kind].empty()) {
            Note(line, L"number " + text + L" left out: the phone keeps one mobile, one home and one office number");
            return;
        }
        card_.numbers[kind] = text;
        bool preferred = Has(types, "PREF") || !Param(p, "PREF").empty();
        if (preferred && card_.preferred < 0) card_.preferred = kind;
    }

    void Categories(const Property& p, int line) {
        std::wstring text;
        if (!Text(p, line, text)) return;
        for (const std::wstring& part : SplitUnescaped(text, L',')) {
            std::wstring name = Trim(Unescape(part));
            if (name.empty()) continue;
            if (name.size() > 63) {
                Note(line, L"category name longer than 63 characters left out");
                continue;
            }
            bool known = false;
            for (const auto& c : card_.categories) known = known || c == name;
            if (!known) card_.categories.push_back(name);
        }
    }

    void Photo(const Property& p, int line) {
        std::string value = p.value;
        std::string encoding = Upper(Param(p, "ENCODING"));
        std::vector<BYTE> bytes;
        if (Upper(value.substr(0, 5)) == "DATA:") {
            size_t comma = value.find(',');
            if (comma == std::string::npos || Upper(value.substr(0, comma)).find(";BASE64") == std::string::npos) {
                Note(line, L"picture data is not base64; left out");
                return;
            }
            value = value.substr(comma + 1);
        } else if (encoding != "B" && encoding != "BASE64") {
            Note(line, L"picture is a link, not embedded; left out");
            return;
        }
        if (!Base64Decode(value, bytes)) {
            Note(line, L"picture is not valid base64; left out");
            return;
        }
        std::wstring problem = PictureProblem(bytes);
        if (!problem.empty()) {
            Note(line, L"picture left out: " + problem);
            return;
        }
        card_.photo = std::move(bytes);
    }

    void Finish(int line) {
        inCard_ = false;
        bool anyNumber = !card_.numbers[0].empty() || !card_.numbers[1].empty() || !card_.numbers[2].empty();
        if (card_.formatted.empty()) card_.formatted = ComposeDisplayName(card_.family, card_.given);
        if (card_.formatted.empty() && !anyNumber) {
            inCard_ = true;  // name the card in the message by its line
            Note(card_.line, L"card has neither a name nor a number; skipped");
            inCard_ = false;
            return;
        }
        (void)line;
        result.contacts.push_back(card_);
    }

    bool inCard_ = false;
    int cardLine_ = 0;
    std::string version_;
    Contact card_;
};

bool IsHangul(wchar_t c) { return (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0x3130 && c <= 0x318F); }

}  // namespace

std::wstring ComposeDisplayName(const std::wstring& family, const std::wstring& given) {
    if (family.empty() || given.empty()) return family + given;
    bool korean = false;
    for (wchar_t c : family + given) korean = korean || IsHangul(c);
    return korean ? family + given : given + L" " + family;
}

std::wstring PictureProblem(const std::vector<BYTE>& bytes) {
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8) return L"a JPEG picture, not a bitmap";
    if (bytes.size() >= 4 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G')
        return L"a PNG picture, not a bitmap";
    if (bytes.size() >= 3 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') return L"a GIF picture, not a bitmap";
    BitmapFileLayout layout;
    BitmapFileCheck check = CheckBitmapFile(bytes.data(), static_cast<DWORD>(bytes.size()), &layout);
    if (check != kBitmapOk) return Widen(BitmapCheckText(check));
    long long pixels = static_cast<long long>(layout.width) * (layout.height < 0 ? -layout.height : layout.height);
    if (pixels > kMaxPicturePixels)
        return L"the bitmap has " + std::to_wstring(layout.width) + L" x " +
               std::to_wstring(layout.height < 0 ? -layout.height : layout.height) +
               L" pixels; the phone keeps at most 10000";
    if (bytes.size() > CEDB_MAXPROPDATASIZE) return L"the bitmap file is larger than the database can hold";
    return {};
}

ParseResult Parse(const std::string& input) {
    Reader reader;
    if (input.size() > kMaxFileBytes) {
        reader.result.messages.push_back(L"file larger than 32 MiB refused");
        return reader.result;
    }
    std::string bytes = input;
    if (bytes.size() >= 2 && ((BYTE)bytes[0] == 0xFF && (BYTE)bytes[1] == 0xFE)) {
        // UTF-16 little endian, as some desktop programs save.
        std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        bytes = ToUtf8(wide);
    } else if (bytes.size() >= 2 && ((BYTE)bytes[0] == 0xFE && (BYTE)bytes[1] == 0xFF)) {
        std::wstring wide;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide += static_cast<wchar_t>(((BYTE)bytes[i] << 8) | (BYTE)bytes[i + 1]);
        bytes = ToUtf8(wide);
    } else if (bytes.size() >= 3 && (BYTE)bytes[0] == 0xEF && (BYTE)bytes[1] == 0xBB && (BYTE)bytes[2] == 0xBF) {
        bytes.erase(0, 3);
    }
    reader.Run(bytes);
    return reader.result;
}

}  // namespace vcard
