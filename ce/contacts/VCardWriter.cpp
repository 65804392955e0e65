#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardText.h"

namespace vcard {

namespace {

bool IsAscii(const std::string& s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) > 0x7F) return false;
    return true;
}

class Writer {
public:
    explicit Writer(const std::string& version) : version_(version) {}

    void Card(const Contact& c) {
        Put("BEGIN", "", "VCARD");
        Put("VERSION", "", version_);
        TextLine("N", "", Escape(c.family) + L";" + Escape(c.given) + L";;;");
        TextLine("FN", "", Escape(c.formatted));
        static const char* kTypes[3] = {"cell", "home", "work"};
        for (int k = 0; k < 3; ++k) {
            if (c.numbers[k].empty()) continue;
            bool pref = c.preferred == k;
            std::string params;
            if (version_ == "2.1") params = std::string(";") + Upper(kTypes[k]) + (pref ? ";PREF" : "");
            else if (version_ == "3.0") params = std::string(";TYPE=") + Upper(kTypes[k]) + (pref ? ",PREF" : "");
            else params = std::string(";TYPE=") + kTypes[k] + (pref ? ";PREF=1" : "");
            TextLine("TEL", params, Escape(c.numbers[k]));
        }
        if (!c.categories.empty()) {
            std::wstring joined;
            for (const auto& name : c.categories) joined += (joined.empty() ? L"" : L",") + Escape(name);
            TextLine("CATEGORIES", "", joined);
        }
        if (!c.photo.empty()) {
            std::string data = Base64Encode(c.photo);
            if (version_ == "2.1") {
                out_ += Fold("PHOTO;ENCODING=BASE64;TYPE=BMP:" + data);
                out_ += "\r\n";  // older readers end the picture at a blank line
            } else if (version_ == "3.0") {
                out_ += Fold("PHOTO;ENCODING=b;TYPE=BMP:" + data);
            } else {
                out_ += Fold("PHOTO:data:image/bmp;base64," + data);
            }
        }
        Put("END", "", "VCARD");
    }

    std::string Text() const { return out_; }

private:
    void Put(const std::string& name, const std::string& params, const std::string& value) {
        out_ += Fold(name + params + ":" + value);
    }

    void TextLine(const std::string& name, const std::string& params, const std::wstring& value) {
        std::string bytes = ToUtf8(value);
        if (version_ != "2.1" || IsAscii(bytes)) {
            Put(name, params, bytes);
            return;
        }
        // Version 2.1 names its character set and keeps lines 7-bit.
        std::string head = name + params + ";CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
        out_ += head + QuotedPrintableEncode(bytes, head.size()) + "\r\n";
    }

    std::string version_;
    std::string out_;
};

}  // namespace

std::string Write(const std::vector<Contact>& contacts, const std::string& version) {
    Writer w(version == "2.1" || version == "4.0" ? version : "3.0");
    for (const Contact& c : contacts) w.Card(c);
    return w.Text();
}

}  // namespace vcard
