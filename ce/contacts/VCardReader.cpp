#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardPicture.h"
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
    bool danglingSoftBreak = false;  // quoted-printable value cut at a soft break
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

// Names of the properties the versions define, to tell a new property from
// the rest of a value.
bool KnownName(const std::string& name) {
    static const char* kNames[] = {
        "BEGIN", "END", "VERSION", "N", "FN", "TEL", "EMAIL", "ADR", "LABEL", "ORG", "TITLE", "ROLE", "NOTE",
        "PHOTO", "LOGO", "SOUND", "CATEGORIES", "BDAY", "ANNIVERSARY", "URL", "UID", "REV", "NICKNAME", "AGENT",
        "GEO", "TZ", "KEY", "MAILER", "SORT-STRING", "CLASS", "PRODID", "SOURCE", "NAME", "PROFILE", "IMPP",
        "GENDER", "KIND", "LANG", "RELATED", "MEMBER", "CLIENTPIDMAP", "XML", "FBURL", "CALADRURI", "CALURI"};
    if (name.size() > 2 && name.compare(0, 2, "X-") == 0) return true;
    for (const char* n : kNames)
        if (name == n) return true;
    return false;
}

// Whether a raw line starts a property: [group.]NAME then ';' or ':'.
bool StartsProperty(const std::string& raw) {
    size_t end = raw.find_first_of(";:");
    if (end == std::string::npos || end == 0) return false;
    std::string name = Upper(raw.substr(0, end));
    size_t dot = name.rfind('.');
    if (dot != std::string::npos) name = name.substr(dot + 1);
    for (char c : name)
        if (!isalnum(static_cast<unsigned char>(c)) && c != '-') return false;
    return KnownName(name);
}

// Splits at CRLF, LF or a lone CR (old Macintosh files).
std::vector<std::string> RawLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(pos));
            break;
        }
        lines.push_back(bytes.substr(pos, end - pos));
        pos = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

std::vector<Line> Unfold(const std::string& bytes) {
    std::vector<Line> lines;
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
    for (std::string& raw : RawLines(bytes)) {
        ++number;
        if (!lines.empty()) {
            Line& last = lines.back();
            bool qpSoft = !last.text.empty() && last.text.back() == '=' && IsQuotedPrintable(last.text);
            if (qpSoft) {
                // A value that ends in a soft break with nothing after it must
                // not swallow the property on the next line.
                if (StartsProperty(raw)) {
                    last.text.pop_back();
                    last.danglingSoftBreak = true;
                } else {
                    last.text.pop_back();
                    append(last, raw);
                    continue;
                }
            } else if (StartsWithBlank(raw)) {
                append(last, raw.substr(1));
                continue;
            } else if (!raw.empty() && raw.find(':') == std::string::npos && IsBase64(last.text)) {
                // Older writers put base64 lines flush left until a blank line.
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

// Control characters (decoded from quoted-printable or escaped line breaks)
// become blanks; runs of blanks become one.
std::wstring Clean(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == 0xFEFF || c == 0x200B) continue;
        bool blank = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == L' ' || c == 0x2028 || c == 0x2029;
        if (blank) {
            if (!out.empty() && out.back() != L' ') out += L' ';
        } else {
            out += c;
        }
    }
    return Trim(out);
}

// A TEL value as a dialable number: digits with the usual separators, at
// least one digit. False with the reason when it is something else.
bool DialableNumber(std::wstring& text, std::wstring& why) {
    std::wstring lower;
    for (wchar_t c : text) lower += static_cast<wchar_t>(towlower(c));
    if (lower.compare(0, 4, L"tel:") == 0) {
        text = text.substr(4);
        size_t params = text.find(L';');  // ;ext=, ;phone-context= and the like
        if (params != std::wstring::npos) text = text.substr(0, params);
        text = Trim(text);
    }
    // An extension or a pause written as a word ("x12", "ext. 12", "p12")
    // becomes the dialling pause ','.
    std::wstring number;
    for (size_t i = 0; i < text.size();) {
        size_t j = i;
        while (j < text.size() && (iswalpha(text[j]) || (text[j] == L'.' && j > i))) ++j;
        if (j == i) {
            number += text[i++];
            continue;
        }
        std::wstring word;
        for (size_t k = i; k < j; ++k) word += static_cast<wchar_t>(towlower(text[k]));
        size_t next = j;
        while (next < text.size() && text[next] == L' ') ++next;
        bool afterNumber = !Trim(number).empty();
        bool beforeDigit = next < text.size() && text[next] >= L'0' && text[next] <= L'9';
        if (!(afterNumber && beforeDigit) ||
            (word != L"x" && word != L"ext" && word != L"ext." && word != L"extension" && word != L"p" && word != L"w")) {
            why = L"is not a phone number";
            return false;
        }
        while (!number.empty() && number.back() == L' ') number.pop_back();
        number += L',';
        i = next;
    }
    text = number;
    bool digit = false;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9') {
            digit = true;
            continue;
        }
        if (wcschr(L"+-()./*#, ", c) && c) continue;
        why = L"is not a phone number";
        return false;
    }
    if (!digit) {
        why = L"has no digits";
        return false;
    }
    return true;
}

// Digits, '+', '*' and '#' only: two ways of writing one number look the same.
std::wstring DigitsOf(const std::wstring& number) {
    std::wstring d;
    for (wchar_t c : number)
        if ((c >= L'0' && c <= L'9') || c == L'*' || c == L'#' || c == L'+') d += c;
    return d;
}

// A number of a card before it is given one of the three slots.
struct PendingNumber {
    std::wstring text;
    std::vector<int> kinds;  // the slots its types name, in the order tried
    int prefRank;            // lower is more preferred; kNoPref when not marked
    int line;
};
constexpr int kNoPref = 1 << 30;

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
        std::wstring who = card_.formatted.empty() ? ComposeDisplayName(card_.family, card_.given) : card_.formatted;
        result.messages.push_back(where + (inCard_ && !who.empty() ? L"(" + who + L") " : L"") + text);
    }

    void Take(const Line& line) {
        if (line.tooLong) {
            if (!skipDepth_) Note(line.number, L"property larger than 1 MiB left out");
            return;
        }
        Property p;
        bool parsed = ParseProperty(line.text, p);
        bool begin = parsed && p.name == "BEGIN" && Trim(Widen(Upper(p.value))) == L"VCARD";
        bool end = parsed && p.name == "END" && Trim(Widen(Upper(p.value))) == L"VCARD";
        // The card of an AGENT written in place (version 2.1) belongs to the
        // outer card; none of it is read.
        if (skipDepth_) {
            skipDepth_ += begin ? 1 : end ? -1 : 0;
            return;
        }
        if (agentPending_) {
            agentPending_ = false;
            if (begin && inCard_) {
                skipDepth_ = 1;
                return;
            }
        }
        if (line.danglingSoftBreak && inCard_)
            Note(line.number, L"quoted-printable value ends in a soft line break; the next line is read as a new property");
        if (!parsed) {
            if (inCard_) Note(line.number, L"line without a property name and value left out");
            return;
        }
        if (begin) {
            if (inCard_) Note(cardLine_, L"card has no END:VCARD before the next card; skipped");
            inCard_ = true;
            card_ = Contact{};
            numbers_.clear();
            haveN_ = false;
            org_.clear();
            nickname_.clear();
            card_.line = cardLine_ = line.number;
            version_ = "2.1";
            ++result.cardsSeen;
            return;
        }
        if (!inCard_) return;  // text between cards carries nothing of ours
        if (p.name == "END") {
            Finish();
            return;
        }
        if (p.name == "VERSION") {
            version_ = p.value;
            if (version_ != "2.1" && version_ != "3.0" && version_ != "4.0")
                Note(line.number, L"unknown version " + Widen(p.value) + L", read as 3.0");
            return;
        }
        if (p.name == "AGENT") {
            std::string value = Upper(p.value);
            if (Trim(Widen(value)).empty()) agentPending_ = true;
            else if (value.compare(0, 11, "BEGIN:VCARD") == 0 && value.find("END:VCARD") == std::string::npos)
                skipDepth_ = 1;
            return;
        }
        if (p.name == "N") Name(p, line.number);
        else if (p.name == "FN") Formatted(p, line.number);
        else if (p.name == "ORG") FirstPart(p, line.number, org_);
        else if (p.name == "NICKNAME") FirstPart(p, line.number, nickname_);
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
        if (DecodeUndeclared(bytes, out)) return true;
        Note(line, Widen(p.name) + L" is neither UTF-8, Korean nor Western text; left out");
        return false;
    }

    std::wstring Limited(std::wstring text, size_t limit, int line, const wchar_t* what) {
        if (text.size() > limit) {
            Note(line, std::wstring(what) + L" longer than " + std::to_wstring(limit) + L" characters cut");
            text.resize(limit);
        }
        return text;
    }

    // The first of several N or FN lines counts.
    void Name(const Property& p, int line) {
        if (haveN_) return;
        std::wstring text;
        if (!Text(p, line, text)) return;
        std::vector<std::wstring> parts = SplitUnescaped(text, L';');
        card_.family = Limited(Clean(Unescape(parts[0])), kMaxNameChars, line, L"family name");
        if (parts.size() > 1) card_.given = Limited(Clean(Unescape(parts[1])), kMaxNameChars, line, L"given name");
        haveN_ = !card_.family.empty() || !card_.given.empty();
    }

    void Formatted(const Property& p, int line) {
        if (!card_.formatted.empty()) return;
        std::wstring text;
        if (!Text(p, line, text)) return;
        card_.formatted = Limited(Clean(Unescape(text)), kMaxNameChars, line, L"name");
    }

    // First non-empty part of an ORG (organisation;unit) or NICKNAME (a,b).
    void FirstPart(const Property& p, int line, std::wstring& into) {
        if (!into.empty()) return;
        std::wstring text;
        if (!Text(p, line, text)) return;
        for (const std::wstring& part : SplitUnescaped(text, p.name == "ORG" ? L';' : L',')) {
            into = Clean(Unescape(part));
            if (!into.empty()) break;
        }
    }

    void Number(const Property& p, int line) {
        std::wstring text;
        if (!Text(p, line, text)) return;
        text = Trim(Unescape(text));
        if (text.empty()) return;
        std::wstring shown = Clean(text);
        std::vector<std::string> types = Types(p);
        if (Has(types, "FAX") || Has(types, "PAGER")) {
            Note(line, L"fax or pager number " + shown + L" left out");
            return;
        }
        std::wstring why;
        if (!DialableNumber(text, why)) {
            Note(line, L"TEL value " + shown.substr(0, 80) + L" " + why + L"; left out");
            return;
        }
        if (text.size() > kMaxNumberChars) {
            Note(line, L"number longer than 63 characters left out");
            return;
        }
        PendingNumber n{text, {}, kNoPref, line};
        if (Has(types, "CELL") || Has(types, "MOBILE") || Has(types, "IPHONE")) n.kinds.push_back(kMobile);
        if (Has(types, "HOME")) n.kinds.push_back(kHome);
        if (Has(types, "WORK")) n.kinds.push_back(kOffice);
        std::string pref = Param(p, "PREF");
        if (!pref.empty()) n.prefRank = atoi(pref.c_str()) > 0 ? std::min(atoi(pref.c_str()), 100) : 1;
        else if (Has(types, "PREF")) n.prefRank = 1;
        // The same number written twice (typed and again untyped) is one number.
        for (PendingNumber& known : numbers_) {
            if (DigitsOf(known.text) != DigitsOf(text)) continue;
            for (int k : n.kinds)
                if (std::find(known.kinds.begin(), known.kinds.end(), k) == known.kinds.end()) known.kinds.push_back(k);
            known.prefRank = std::min(known.prefRank, n.prefRank);
            return;
        }
        numbers_.push_back(n);
    }

    // Tries to give number i one of its typed slots, moving numbers already
    // placed to another of theirs when that frees one.
    bool Place(int i, std::array<int, 3>& owner, std::array<bool, 3>& tried) {
        for (int k : numbers_[i].kinds) {
            if (tried[k]) continue;
            tried[k] = true;
            if (owner[k] < 0 || Place(owner[k], owner, tried)) {
                owner[k] = i;
                return true;
            }
        }
        return false;
    }

    // Typed numbers take their slots first (preferred ones first, then in
    // file order); the rest fill the free slots; what is left is reported.
    void AssignNumbers() {
        std::vector<int> order(numbers_.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return numbers_[a].prefRank < numbers_[b].prefRank; });
        std::array<int, 3> owner = {-1, -1, -1};
        std::vector<bool> placed(numbers_.size(), false);
        for (int i : order) {
            std::array<bool, 3> tried = {false, false, false};
            if (!numbers_[i].kinds.empty()) Place(i, owner, tried);
        }
        for (int k = 0; k < 3; ++k)
            if (owner[k] >= 0) placed[owner[k]] = true;
        for (int i : order) {
            if (placed[i]) continue;
            for (int k : {kMobile, kHome, kOffice}) {
                if (owner[k] >= 0) continue;
                owner[k] = i;
                placed[i] = true;
                break;
            }
            if (!placed[i])
                Note(numbers_[i].line, L"number " + numbers_[i].text +
                                           L" left out: the phone keeps one mobile, one home and one office number");
        }
        int bestRank = kNoPref;
        for (int k = 0; k < 3; ++k) {
            if (owner[k] < 0) continue;
            card_.numbers[k] = numbers_[owner[k]].text;
            if (numbers_[owner[k]].prefRank < bestRank) {
                bestRank = numbers_[owner[k]].prefRank;
                card_.preferred = k;
            }
        }
    }

    void Categories(const Property& p, int line) {
        std::wstring text;
        if (!Text(p, line, text)) return;
        for (const std::wstring& part : SplitUnescaped(text, L',')) {
            std::wstring name = Clean(Unescape(part));
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
        if (!card_.photo.empty()) return;  // the first picture counts
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
        if (PictureProblem(bytes).empty()) {
            card_.photo = std::move(bytes);
            return;
        }
        // Any other picture, or a bitmap too large to keep, is redrawn small.
        std::vector<BYTE> fitted;
        std::wstring why;
        if (!FitPicture(bytes, fitted, why)) {
            std::wstring problem = PictureProblem(bytes);
            Note(line, L"picture left out: " + (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? problem : why));
            return;
        }
        card_.photo = std::move(fitted);
    }

    void Finish() {
        inCard_ = false;
        AssignNumbers();
        bool anyNumber = !card_.numbers[0].empty() || !card_.numbers[1].empty() || !card_.numbers[2].empty();
        if (card_.formatted.empty())
            card_.formatted = Limited(ComposeDisplayName(card_.family, card_.given), kMaxNameChars, card_.line, L"name");
        if (card_.formatted.empty()) card_.formatted = Limited(nickname_, kMaxNameChars, card_.line, L"nickname");
        if (card_.formatted.empty()) card_.formatted = Limited(org_, kMaxNameChars, card_.line, L"organisation");
        if (card_.formatted.empty() && !anyNumber) {
            inCard_ = true;  // name the card in the message by its line
            Note(card_.line, L"card has neither a name nor a number; skipped");
            inCard_ = false;
            return;
        }
        result.contacts.push_back(card_);
    }

    bool inCard_ = false;
    bool haveN_ = false;
    bool agentPending_ = false;
    int skipDepth_ = 0;
    int cardLine_ = 0;
    std::string version_;
    Contact card_;
    std::vector<PendingNumber> numbers_;
    std::wstring org_, nickname_;
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

namespace {

std::string FromUtf16(const std::string& bytes, size_t from, bool bigEndian) {
    std::wstring wide;
    wide.reserve((bytes.size() - from) / 2);
    for (size_t i = from; i + 1 < bytes.size(); i += 2) {
        BYTE lo = static_cast<BYTE>(bytes[i + (bigEndian ? 1 : 0)]), hi = static_cast<BYTE>(bytes[i + (bigEndian ? 0 : 1)]);
        wide += static_cast<wchar_t>((hi << 8) | lo);
    }
    return ToUtf8(wide);
}

// UTF-16 written without a byte-order mark shows as ASCII with a zero byte
// beside every character: 1 little endian, 2 big endian, 0 neither.
int Utf16WithoutMark(const std::string& bytes) {
    size_t n = std::min<size_t>(bytes.size(), 4096) & ~size_t(1);
    if (n < 8) return 0;
    size_t zeroEven = 0, zeroOdd = 0;
    for (size_t i = 0; i < n; ++i)
        if (bytes[i] == 0) ++(i % 2 ? zeroOdd : zeroEven);
    size_t pairs = n / 2;
    if (zeroOdd * 10 >= pairs * 3 && zeroEven * 20 < pairs) return 1;
    if (zeroEven * 10 >= pairs * 3 && zeroOdd * 20 < pairs) return 2;
    return 0;
}

// Zero bytes, or many control bytes, mean the file is no text at all.
bool LooksBinary(const std::string& bytes) {
    size_t n = std::min<size_t>(bytes.size(), 65536), control = 0;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == 0) return true;
        if (c < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != 0x1A) ++control;
    }
    return control * 20 > n;
}

bool OnlyBlanks(const std::string& bytes) {
    for (char c : bytes)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != 0x1A) return false;
    return true;
}

}  // namespace

ParseResult Parse(const std::string& input) {
    Reader reader;
    if (input.size() > kMaxFileBytes) {
        reader.result.messages.push_back(L"file larger than 32 MiB refused");
        return reader.result;
    }
    std::string bytes;
    if (input.size() >= 2 && (BYTE)input[0] == 0xFF && (BYTE)input[1] == 0xFE) {
        bytes = FromUtf16(input, 2, false);  // as some desktop programs save
    } else if (input.size() >= 2 && (BYTE)input[0] == 0xFE && (BYTE)input[1] == 0xFF) {
        bytes = FromUtf16(input, 2, true);
    } else if (int order = Utf16WithoutMark(input);
               order && Upper(FromUtf16(input, 0, order == 2)).find("BEGIN:VCARD") != std::string::npos) {
        reader.result.messages.push_back(std::wstring(L"file is UTF-16 without a byte-order mark; read as UTF-16 ") +
                                         (order == 1 ? L"little" : L"big") + L" endian");
        bytes = FromUtf16(input, 0, order == 2);
    } else if (input.size() >= 3 && (BYTE)input[0] == 0xEF && (BYTE)input[1] == 0xBB && (BYTE)input[2] == 0xBF) {
        bytes = input.substr(3);
    } else {
        bytes = input;
    }
    reader.Run(bytes);
    ParseResult& r = reader.result;
    if (r.cardsSeen == 0) {
        if (OnlyBlanks(bytes)) r.messages.push_back(L"the file is empty; no contacts read");
        else if (LooksBinary(bytes)) r.messages.push_back(L"the file is not text (it holds binary data); no contacts read");
        else r.messages.push_back(L"no vCard in the file (no BEGIN:VCARD line); no contacts read");
    } else if (r.contacts.empty() && r.messages.empty()) {
        r.messages.push_back(L"no card held a contact; no contacts read");
    }
    return r;
}

}  // namespace vcard
