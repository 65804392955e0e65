// Seeded random mutations of vCard files of all three versions: whatever the
// bytes, the reader and the importer neither crash nor hang, and every file
// gives contacts or says why not.
//   ZEN_FUZZ_SEED     seed (default 20261207)
//   ZEN_FUZZ_ROUNDS   rounds (default 1500)
//   ZEN_FUZZ_SECONDS  run rounds until this many seconds have passed instead
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "PictureMaker.h"
#include "ce/contacts/ContactBook.h"
#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardText.h"
#include "stores/tests/ContactFixture.h"

namespace {

unsigned long long EnvNumber(const char* name, unsigned long long fallback) {
    const char* v = getenv(name);
    return v && *v ? strtoull(v, nullptr, 10) : fallback;
}

std::string Utf8(const wchar_t* s) { return vcard::ToUtf8(s); }

std::string Wrap(const std::string& base64) {
    std::string out;
    for (size_t i = 0; i < base64.size(); i += 60) out += " " + base64.substr(i, 60) + "\r\n";
    return out;
}

// Files the way many programs write them.
std::vector<std::string> Seeds() {
    using picturetest::Kind;
    auto paint = [](UINT x, UINT y) -> DWORD { return 0xFF000000 | (x * 40) << 16 | (y * 40) << 8 | ((x ^ y) * 30); };
    std::vector<BYTE> jpegBytes = picturetest::Encode(Kind::Jpeg, 24, 16, paint);
    // With an Exif block saying the camera was turned.
    const BYTE exif[] = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01,
                         3,    0,    1, 0,  0,   0,   6,   0,   0, 0, 0,   0,   0,  0};
    if (jpegBytes.size() > 2) jpegBytes.insert(jpegBytes.begin() + 2, exif, exif + sizeof exif);
    std::string jpeg = vcard::Base64Encode(jpegBytes);
    std::string png = vcard::Base64Encode(picturetest::Encode(Kind::Png, 130, 20, paint));
    std::string gif = vcard::Base64Encode(picturetest::Encode(Kind::Gif, 12, 12, paint));
    std::string bmp = vcard::Base64Encode(contacttest::BitmapBytes(9, 7));
    std::vector<std::string> seeds;
    seeds.push_back(
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=ED=99=8D;=EA=B8=B8=EB=8F=99;;;\r\n"
        "FN;CHARSET=EUC-KR:\xC8\xAB\xB1\xE6\xB5\xBF\r\nTEL;CELL;PREF:010-1234-5678\r\nTEL;HOME;VOICE:02-555-0000\r\n"
        "TEL;WORK;FAX:02-555-0001\r\nNOTE;ENCODING=QUOTED-PRINTABLE:line one=0D=0Aline=\r\n two\r\n"
        "AGENT:\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nN:Agent;Inner\r\nTEL:1\r\nEND:VCARD\r\n"
        "PHOTO;ENCODING=BASE64;TYPE=BMP:\r\n" + Wrap(bmp) + "\r\n"
        "CATEGORIES:" + Utf8(L"가족") + ",VIP\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=WINDOWS-1250:Dvo\xF8\xE1k;Anton\xEDn\r\nORG:Firma;Odd\r\n"
        "TEL:+420 222 111 000\r\nTEL;CELL:sip:ad@example.invalid\r\nPHOTO;ENCODING=BASE64;TYPE=GIF:" + gif +
        "\r\n\r\nEND:VCARD\r\n");
    seeds.push_back(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:M\xFCller;J\xFCrgen;;;\r\nFN:J\xFCrgen M\xFCller\r\n"
        "TEL;TYPE=CELL,VOICE:+49 170 1234567\r\nTEL;TYPE=WORK:+49 (30) 1234-56\r\nTEL;TYPE=HOME,CELL:+49 30 999\r\n"
        "item1.TEL:0301111\r\nitem1.X-ABLabel:other\r\nEMAIL;TYPE=INTERNET:jm@example.invalid\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:" + jpeg + "\r\nCATEGORIES:Work,Golf\\, weekends\r\n"
        "AGENT:BEGIN:VCARD\\nFN:Escaped Agent\\nEND:VCARD\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Acme\\; Sons;Sales\r\nTEL;TYPE=MAIN:1588-0000\r\nEND:VCARD\r\n");
    seeds.push_back(
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jane Doe\r\nFN;LANGUAGE=ko:" + Utf8(L"제인") + "\r\nN:Doe;Jane;;;\r\n"
        "TEL;VALUE=uri;TYPE=\"cell,text\";PREF=1:tel:+82-10-1111-2222\r\nTEL;VALUE=uri;TYPE=home:tel:+82-2-333;ext=4\r\n"
        "PHOTO:data:image/png;base64," + png + "\r\nKIND:individual\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nNICKNAME:Bear,Teddy\r\nTEL:0101\r\nEND:VCARD\r\n");
    // UTF-16 with and without a byte-order mark, and a lone-CR file.
    std::wstring wide = L"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:와이드\r\nTEL:1\r\nEND:VCARD\r\n";
    std::string le(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    seeds.push_back("\xFF\xFE" + le);
    seeds.push_back(le);
    seeds.push_back("BEGIN:VCARD\rVERSION:3.0\rFN:Mac\rTEL:1\rEND:VCARD\r");
    return seeds;
}

// Pieces that make structure when dropped anywhere.
const char* const kTokens[] = {
    "BEGIN:VCARD\r\n", "END:VCARD\r\n", "VERSION:2.1\r\n", "=\r\n", "AGENT:\r\n", "AGENT:BEGIN:VCARD\r\n",
    ";CHARSET=ISO-8859-2", ";CHARSET=X-BOGUS", ";ENCODING=QUOTED-PRINTABLE", ";ENCODING=BASE64", "\r\n ",
    "\r\n", "\r", ":", ";", "\\", "=0D=0A", "=00", "TEL;TYPE=CELL,HOME:", "TEL:sip:", "PHOTO;ENCODING=b:",
    "data:image/jpeg;base64,", "/9j/", "iVBORw0KGgo", "R0lGODlh", "Qk0", "" /* a zero byte */, "\xFF\xFE",
    "\xC5", "\xEA\xB9", "ORG:", "FN:", "N:;;;;;;;;",
};

std::string Mutate(std::string s, const std::vector<std::string>& seeds, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? static_cast<size_t>(rng() % n) : 0; };
    int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
        switch (rng() % 9) {
        case 0:  // flip bits
            if (!s.empty()) s[pick(s.size())] ^= static_cast<char>(1 << (rng() % 8));
            break;
        case 1:  // random byte
            if (!s.empty()) s[pick(s.size())] = static_cast<char>(rng());
            break;
        case 2:  // cut the rest
            s.resize(pick(s.size() + 1));
            break;
        case 3: {  // delete a stretch
            size_t at = pick(s.size() + 1), n = pick(64);
            s.erase(at, n);
            break;
        }
        case 4: {  // repeat a stretch
            size_t at = pick(s.size() + 1), n = pick(200);
            s.insert(at, s.substr(at, n));
            break;
        }
        case 5: {  // a structural token
            std::string t = kTokens[rng() % (sizeof kTokens / sizeof kTokens[0])];
            if (t.empty()) t.assign(1, '\0');
            s.insert(pick(s.size() + 1), t);
            break;
        }
        case 6: {  // a piece of another file
            const std::string& other = seeds[rng() % seeds.size()];
            size_t from = pick(other.size() + 1), n = pick(400);
            s.insert(pick(s.size() + 1), other.substr(from, n));
            break;
        }
        case 7: {  // binary garbage
            std::string junk(pick(300), '\0');
            for (char& c : junk) c = static_cast<char>(rng());
            s.insert(pick(s.size() + 1), junk);
            break;
        }
        default: {  // damage inside base64 picture data
            size_t at = s.find("PHOTO", pick(s.size() + 1));
            if (at == std::string::npos) at = s.find("PHOTO");
            if (at != std::string::npos) {
                size_t spot = at + 20 + pick(400);
                if (spot < s.size()) s[spot] = "AZaz09+/=!"[rng() % 10];
            }
        }
        }
    }
    return s;
}

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// What every contact the reader gives must be.
void CheckContact(const vcard::Contact& c) {
    EXPECT_LE(c.formatted.size(), vcard::kMaxNameChars);
    for (const std::wstring* name : {&c.formatted, &c.family, &c.given})
        for (wchar_t ch : *name) ASSERT_FALSE(IsControl(ch)) << "control character in a name";
    bool anyNumber = false;
    for (const std::wstring& n : c.numbers) {
        EXPECT_LE(n.size(), vcard::kMaxNumberChars);
        bool digit = false;
        for (wchar_t ch : n) {
            ASSERT_TRUE((ch >= L'0' && ch <= L'9') || wcschr(L"+-()./*#, ", ch)) << "not a number: " << vcard::ToUtf8(n);
            digit = digit || (ch >= L'0' && ch <= L'9');
        }
        EXPECT_TRUE(n.empty() || digit);
        anyNumber = anyNumber || !n.empty();
    }
    EXPECT_TRUE(!c.formatted.empty() || anyNumber);
    EXPECT_TRUE(c.preferred >= -1 && c.preferred <= 2);
    if (c.preferred >= 0) {
        EXPECT_FALSE(c.numbers[c.preferred].empty());
    }
    if (!c.photo.empty()) {
        EXPECT_EQ(vcard::PictureProblem(c.photo), L"");
    }
}

TEST(VCardFuzz, MutatedFilesGiveContactsOrAReason) {
    const unsigned long long seed = EnvNumber("ZEN_FUZZ_SEED", 20261207);
    const unsigned long long rounds = EnvNumber("ZEN_FUZZ_ROUNDS", 1500);
    const unsigned long long seconds = EnvNumber("ZEN_FUZZ_SECONDS", 0);
    std::mt19937 rng(static_cast<std::mt19937::result_type>(seed));
    std::vector<std::string> seeds = Seeds();
    cedbtest::ScopedStore store{L"fuzz"};
    ULONGLONG until = GetTickCount64() + seconds * 1000;
    unsigned long long done = 0;
    size_t contacts = 0, imported = 0;
    for (; seconds ? GetTickCount64() < until : done < rounds; ++done) {
        std::string input = Mutate(seeds[rng() % seeds.size()], seeds, rng);
        if (rng() % 4 == 0) input = Mutate(input, seeds, rng);
        vcard::ParseResult r = vcard::Parse(input);
        ASSERT_TRUE(!r.contacts.empty() || !r.messages.empty()) << "round " << done << ": silent on a file";
        // Every card left out is accounted for by a message.
        ASSERT_GE(r.messages.size() + r.contacts.size(), static_cast<size_t>(r.cardsSeen)) << "round " << done;
        for (const vcard::Contact& c : r.contacts) CheckContact(c);
        if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) {
            ADD_FAILURE() << "round " << done << " seed " << seed;
            break;
        }
        contacts += r.contacts.size();
        if (done % 50 == 0 && !r.contacts.empty()) {
            // The database takes whatever the reader gives.
            contacts::ImportReport report = contacts::Import(r.contacts);
            EXPECT_EQ(report.written + report.duplicates, static_cast<int>(r.contacts.size())) << "round " << done;
            EXPECT_EQ(report.failed, 0);
            imported += report.written;
        }
    }
    EXPECT_GT(contacts, done / 4);  // mutations still leave most files readable
    printf("fuzz vcard: rounds %llu seed %llu\n", done, seed);
    printf("(%zu contacts read, %zu imported)\n", contacts, imported);
}

}  // namespace
