// What real address-book exports put in a card: numbers of every type,
// names in many character sets, and the structures that broke the reader.
#include <gtest/gtest.h>

#include <string>

#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardText.h"

namespace {

bool Mentions(const std::vector<std::wstring>& messages, const wchar_t* part) {
    for (const auto& m : messages)
        if (m.find(part) != std::wstring::npos) return true;
    return false;
}

// One card of version 3.0 around the given lines.
vcard::ParseResult One(const std::string& lines) {
    return vcard::Parse("BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines + "END:VCARD\r\n");
}

TEST(VCardNumbers, TypedNumbersTakeTheirSlotsBeforeTheRest) {
    // Untyped, voice, main and other numbers come first in the file; the
    // real cell number still gets the mobile slot and the rest fill in.
    vcard::ParseResult r = One("FN:A\r\nTEL:02-111\r\nTEL;TYPE=VOICE:02-222\r\nTEL;TYPE=MAIN:02-333\r\n"
                               "TEL;TYPE=OTHER:02-444\r\nTEL;TYPE=CELL:010-555\r\n");
    ASSERT_EQ(r.contacts.size(), 1u);
    const vcard::Contact& a = r.contacts[0];
    EXPECT_EQ(a.numbers[vcard::kMobile], L"010-555");
    EXPECT_EQ(a.numbers[vcard::kHome], L"02-111");
    EXPECT_EQ(a.numbers[vcard::kOffice], L"02-222");
    EXPECT_EQ(a.preferred, -1);  // nothing marked: the importer takes the mobile one
    EXPECT_TRUE(Mentions(r.messages, L"02-333 left out"));
    EXPECT_TRUE(Mentions(r.messages, L"02-444 left out"));

    // A second cell number also typed home goes to the free home slot, in
    // either order.
    for (const char* lines : {"TEL;TYPE=CELL:010-1\r\nTEL;TYPE=CELL,HOME:010-2\r\n",
                              "TEL;TYPE=CELL,HOME:010-2\r\nTEL;TYPE=CELL:010-1\r\n"}) {
        vcard::ParseResult b = One(std::string("FN:B\r\n") + lines);
        EXPECT_EQ(b.contacts[0].numbers[vcard::kMobile], L"010-1") << lines;
        EXPECT_EQ(b.contacts[0].numbers[vcard::kHome], L"010-2") << lines;
        EXPECT_TRUE(b.messages.empty()) << lines;
    }

    // A preferred number wins its slot; the other cell number moves on.
    vcard::ParseResult c = vcard::Parse(
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:C\r\nTEL;TYPE=cell:010-7\r\nTEL;TYPE=cell;PREF=1:010-8\r\n"
        "TEL;TYPE=work:02-9\r\nEND:VCARD\r\n");
    EXPECT_EQ(c.contacts[0].numbers[vcard::kMobile], L"010-8");
    EXPECT_EQ(c.contacts[0].numbers[vcard::kHome], L"010-7");
    EXPECT_EQ(c.contacts[0].numbers[vcard::kOffice], L"02-9");
    EXPECT_EQ(c.contacts[0].preferred, vcard::kMobile);
}

TEST(VCardNumbers, OnlyNumbersAreStored) {
    vcard::ParseResult r = One(
        "FN:D\r\nTEL;TYPE=CELL:sip:kim@example.invalid\r\nTEL;TYPE=HOME:mailto:kim@example.invalid\r\n"
        "TEL;TYPE=WORK:ask at the desk\r\nTEL;TYPE=WORK:---\r\nTEL;VALUE=uri:tel:+82-2-555-0101;ext=12\r\n"
        "TEL;TYPE=CELL:010-1\r\nTEL:0101\r\n");
    ASSERT_EQ(r.contacts.size(), 1u);
    const vcard::Contact& d = r.contacts[0];
    EXPECT_EQ(d.numbers[vcard::kMobile], L"010-1");
    EXPECT_EQ(d.numbers[vcard::kHome], L"+82-2-555-0101");
    EXPECT_TRUE(d.numbers[vcard::kOffice].empty());  // "0101" is 010-1 written again
    EXPECT_TRUE(Mentions(r.messages, L"sip:kim@example.invalid is not a phone number"));
    EXPECT_TRUE(Mentions(r.messages, L"mailto:"));
    EXPECT_TRUE(Mentions(r.messages, L"ask at the desk"));
    EXPECT_TRUE(Mentions(r.messages, L"has no digits"));
    // Extensions and pauses written as words become dialling pauses.
    vcard::ParseResult x = One("FN:X\r\nTEL;TYPE=WORK:+1 (555) 123-4567 x89\r\nTEL;TYPE=HOME:02-555 ext. 7\r\n"
                               "TEL;TYPE=CELL:010p1234\r\nTEL:555 extra\r\n");
    EXPECT_EQ(x.contacts[0].numbers[vcard::kOffice], L"+1 (555) 123-4567,89");
    EXPECT_EQ(x.contacts[0].numbers[vcard::kHome], L"02-555,7");
    EXPECT_EQ(x.contacts[0].numbers[vcard::kMobile], L"010,1234");
    EXPECT_TRUE(Mentions(x.messages, L"555 extra is not a phone number"));
    // A card whose only "number" is an address is no contact at all.
    vcard::ParseResult e = One("TEL:sip:x@example.invalid\r\n");
    EXPECT_TRUE(e.contacts.empty());
    EXPECT_TRUE(Mentions(e.messages, L"neither a name nor a number"));
}

TEST(VCardNames, EveryCardGetsTheBestNameItHas) {
    std::string text =
        // Organisation only.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Acme\\; Sons;Sales\r\nTEL:1\r\nEND:VCARD\r\n"
        // Central European names, declared.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=WINDOWS-1250:Dvo\xF8\xE1k;Anton\xEDn\r\nTEL:2\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=ISO-8859-2;ENCODING=QUOTED-PRINTABLE:=A3ukasz =A6wi=EAtek\r\n"
        "TEL:3\r\nEND:VCARD\r\n"
        // Western bytes with no character set named.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:M\xFCller;J\xFCrgen\r\nTEL:4\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xC5ke\r\nTEL:5\r\nEND:VCARD\r\n"  // also a valid Korean pair
        // Korean bytes with no character set named stay Korean.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xC8\xAB\xB1\xE6\xB5\xBF\r\nTEL:6\r\nEND:VCARD\r\n"
        // The first FN counts; later ones (other languages) do not replace it.
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:First\r\nFN;LANGUAGE=ko:" + vcard::ToUtf8(L"두번째") +
        "\r\nN:Family;Given\r\nN:Other;Name\r\nTEL:7\r\nEND:VCARD\r\n"
        // Control characters from quoted-printable do not stay in a name.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:Kim=0D=0A=09Lee=07\r\nTEL:8\r\nEND:VCARD\r\n"
        // Nickname before organisation when there is no name.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nORG:Firm\r\nNICKNAME:Bear,Teddy\r\nTEL:9\r\nEND:VCARD\r\n"
        // A character set the system cannot convert is still refused clearly.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=X-NOSUCH:abc\r\nORG:Fallback Inc\r\nEND:VCARD\r\n";
    vcard::ParseResult r = vcard::Parse(text);
    ASSERT_EQ(r.contacts.size(), 10u);
    EXPECT_EQ(r.contacts[0].formatted, L"Acme; Sons");
    EXPECT_EQ(r.contacts[1].formatted, L"Antonín Dvořák");
    EXPECT_EQ(r.contacts[2].formatted, L"Łukasz Świętek");
    EXPECT_EQ(r.contacts[3].formatted, L"Jürgen Müller");
    EXPECT_EQ(r.contacts[4].formatted, L"Åke");
    EXPECT_EQ(r.contacts[5].formatted, L"홍길동");
    EXPECT_EQ(r.contacts[6].formatted, L"First");
    EXPECT_EQ(r.contacts[6].family, L"Family");
    EXPECT_EQ(r.contacts[7].formatted, L"Kim Lee");
    EXPECT_EQ(r.contacts[8].formatted, L"Bear");
    EXPECT_EQ(r.contacts[9].formatted, L"Fallback Inc");
    EXPECT_TRUE(Mentions(r.messages, L"unknown character set X-NOSUCH"));
    EXPECT_EQ(r.messages.size(), 1u);
}

TEST(VCardNames, ANameMadeOfLongPartsIsCutToWhatThePhoneKeeps) {
    vcard::ParseResult r = One("N:" + std::string(200, 'F') + ";" + std::string(200, 'G') + "\r\nTEL:1\r\n");
    ASSERT_EQ(r.contacts.size(), 1u);
    EXPECT_EQ(r.contacts[0].formatted.size(), vcard::kMaxNameChars);
    EXPECT_EQ(r.contacts[0].formatted.substr(0, 201), std::wstring(200, L'G') + L" ");
    EXPECT_TRUE(Mentions(r.messages, L"name longer than 255 characters cut"));
}

TEST(VCardNames, CharacterSetNames) {
    EXPECT_EQ(vcard::CodePageOfCharset("iso-8859-2"), 28592u);
    EXPECT_EQ(vcard::CodePageOfCharset("Windows-1251"), 1251u);
    EXPECT_EQ(vcard::CodePageOfCharset("cp1250"), 1250u);
    EXPECT_EQ(vcard::CodePageOfCharset("KOI8-R"), 20866u);
    EXPECT_EQ(vcard::CodePageOfCharset("ks_c_5601-1987"), 949u);
    EXPECT_EQ(vcard::CodePageOfCharset("Shift_JIS"), 932u);
    EXPECT_EQ(vcard::CodePageOfCharset("windows-99999"), 0u);
    EXPECT_EQ(vcard::CodePageOfCharset("iso-8859-"), 0u);
    EXPECT_EQ(vcard::CodePageOfCharset("klingon"), 0u);
    std::wstring out;
    ASSERT_TRUE(vcard::Decode("\xCF\xF0\xE8\xE2\xE5\xF2", vcard::CodePageOfCharset("windows-1251"), out));
    EXPECT_EQ(out, L"Привет");
}

TEST(VCardStructure, NestedAgentCardsBelongToTheirCard) {
    std::string text =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Boss;Big\r\nAGENT:\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Helper;Harry\r\nTEL;WORK:02-1\r\n"
        "AGENT:\r\nBEGIN:VCARD\r\nN:Deeper;Dee\r\nEND:VCARD\r\nEND:VCARD\r\n"
        "TEL;CELL:010-9\r\nEND:VCARD\r\n"
        // The value on the AGENT line itself.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Second\r\nAGENT:BEGIN:VCARD\r\nFN:Inner\r\nEND:VCARD\r\nTEL:3\r\nEND:VCARD\r\n"
        // Version 3.0 keeps the agent in one escaped value.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Third\r\nAGENT:BEGIN:VCARD\\nFN:Inner\\nEND:VCARD\r\nTEL:4\r\nEND:VCARD\r\n";
    vcard::ParseResult r = vcard::Parse(text);
    ASSERT_EQ(r.contacts.size(), 3u);
    EXPECT_EQ(r.cardsSeen, 3);
    EXPECT_EQ(r.contacts[0].formatted, L"Big Boss");
    EXPECT_EQ(r.contacts[0].numbers[vcard::kMobile], L"010-9");
    EXPECT_TRUE(r.contacts[0].numbers[vcard::kOffice].empty());  // the agent's number is not his
    EXPECT_EQ(r.contacts[1].formatted, L"Second");
    EXPECT_EQ(r.contacts[1].numbers[vcard::kMobile], L"3");
    EXPECT_EQ(r.contacts[2].formatted, L"Third");
    EXPECT_TRUE(r.messages.empty());
}

TEST(VCardStructure, SoftLineBreakAtTheEndOfAValue) {
    std::string text =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:Ki=\r\nm;Min=\r\nsu\r\n"  // real soft breaks
        "NOTE;ENCODING=QUOTED-PRINTABLE:call after six=\r\nTEL;CELL:010-1\r\n"           // a dangling one
        "FN;ENCODING=QUOTED-PRINTABLE:Kim Minsu=\r\nEND:VCARD\r\n"                        // before END
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Next\r\nTEL:2\r\nEND:VCARD\r\n";
    vcard::ParseResult r = vcard::Parse(text);
    ASSERT_EQ(r.contacts.size(), 2u);
    EXPECT_EQ(r.contacts[0].family, L"Kim");
    EXPECT_EQ(r.contacts[0].given, L"Minsu");
    EXPECT_EQ(r.contacts[0].formatted, L"Kim Minsu");
    EXPECT_EQ(r.contacts[0].numbers[vcard::kMobile], L"010-1");
    EXPECT_EQ(r.contacts[1].formatted, L"Next");
    EXPECT_EQ(r.messages.size(), 2u);
    EXPECT_TRUE(Mentions(r.messages, L"line 6: (Minsu Kim) quoted-printable value ends in a soft line break"));
}

TEST(VCardStructure, FilesWithNoCardSayWhy) {
    EXPECT_TRUE(Mentions(vcard::Parse("").messages, L"the file is empty"));
    EXPECT_TRUE(Mentions(vcard::Parse("\r\n \r\n").messages, L"the file is empty"));
    EXPECT_TRUE(Mentions(vcard::Parse("Name,Phone\r\nKim,010-1\r\n").messages, L"no BEGIN:VCARD"));
    std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int i = 0; i < 300; ++i) binary += static_cast<char>(i * 7);
    EXPECT_TRUE(Mentions(vcard::Parse(binary).messages, L"binary data"));
    // Cards that are all empty: each skipped card is named.
    vcard::ParseResult empty = vcard::Parse("BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:x\r\nEND:VCARD\r\n");
    EXPECT_TRUE(empty.contacts.empty());
    EXPECT_EQ(empty.messages.size(), 2u);

    // UTF-16 without a byte-order mark, either order, is read and said.
    std::wstring card = L"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:홍길동\r\nTEL:1\r\nEND:VCARD\r\n";
    for (bool big : {false, true}) {
        std::string bytes;
        for (wchar_t c : card) {
            char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            bytes += big ? hi : lo;
            bytes += big ? lo : hi;
        }
        vcard::ParseResult r = vcard::Parse(bytes);
        ASSERT_EQ(r.contacts.size(), 1u) << big;
        EXPECT_EQ(r.contacts[0].formatted, L"홍길동");
        EXPECT_TRUE(Mentions(r.messages, big ? L"UTF-16 big endian" : L"UTF-16 little endian"));
    }
    // Old Macintosh line ends.
    vcard::ParseResult mac = vcard::Parse("BEGIN:VCARD\rVERSION:3.0\rFN:Mac\rTEL:1\rEND:VCARD\r");
    ASSERT_EQ(mac.contacts.size(), 1u);
    EXPECT_EQ(mac.contacts[0].formatted, L"Mac");
}

}  // namespace
