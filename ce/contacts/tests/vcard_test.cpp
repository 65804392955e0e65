// Reading and writing vCard text: the versions phones export, character
// sets, and input that is broken in the ways real files are.
#include <gtest/gtest.h>

#include <string>

#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardText.h"
#include "stores/tests/ContactFixture.h"

namespace {

std::string Utf8(const wchar_t* s) { return vcard::ToUtf8(s); }

bool MentionsAll(const std::vector<std::wstring>& messages, const wchar_t* part) {
    for (const auto& m : messages)
        if (m.find(part) != std::wstring::npos) return true;
    return false;
}

TEST(VCardRead, TheVersionsPhonesExport) {
    std::string text =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:" + Utf8(L"홍;길동") + ";;;\r\nFN:" + Utf8(L"홍길동") +
        "\r\nTEL;TYPE=CELL,PREF:010-1234-5678\r\nTEL;TYPE=HOME:02-555-0000\r\nTEL;TYPE=WORK,VOICE:031-777-1111\r\n"
        "CATEGORIES:" + Utf8(L"가족") + ",Golf\\, weekends\r\nEND:VCARD\r\n"
        // Version 2.1 with quoted-printable UTF-8 and bare type words.
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=EA=B9=80;=EC=B2=A0=EC=88=98;;;\n"
        "TEL;CELL:011-222-3333\nTEL;HOME;PREF:02-1\nEND:VCARD\n"
        // Version 2.1 in the Korean code page, named and not named.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=EUC-KR:\xC0\xCC;\xBF\xB5\xC8\xF1\r\nTEL:0104445555\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:\xB9\xDA\xC1\xF6\xBC\xBA\r\nTEL;WORK:02-9\r\nEND:VCARD\r\n"
        // Version 4.0 with a group, a folded line and a tel: URI.
        "BEGIN:VCARD\r\nVERSION:4.0\r\nitem1.FN:Jane\r\n  Doe\r\nTEL;VALUE=uri;TYPE=cell;PREF=1:tel:+82-10-1\r\nEND:VCARD\r\n";
    vcard::ParseResult r = vcard::Parse(text);
    ASSERT_EQ(r.contacts.size(), 5u);
    EXPECT_TRUE(r.messages.empty()) << vcard::ToUtf8(r.messages.empty() ? L"" : r.messages[0]);

    const vcard::Contact& a = r.contacts[0];
    EXPECT_EQ(a.family, L"홍");
    EXPECT_EQ(a.given, L"길동");
    EXPECT_EQ(a.formatted, L"홍길동");
    EXPECT_EQ(a.numbers[vcard::kMobile], L"010-1234-5678");
    EXPECT_EQ(a.numbers[vcard::kHome], L"02-555-0000");
    EXPECT_EQ(a.numbers[vcard::kOffice], L"031-777-1111");
    EXPECT_EQ(a.preferred, vcard::kMobile);
    EXPECT_EQ(a.categories, (std::vector<std::wstring>{L"가족", L"Golf, weekends"}));

    EXPECT_EQ(r.contacts[1].formatted, L"김철수");  // composed without a blank for Korean names
    EXPECT_EQ(r.contacts[1].numbers[vcard::kMobile], L"011-222-3333");
    EXPECT_EQ(r.contacts[1].preferred, vcard::kHome);
    EXPECT_EQ(r.contacts[2].formatted, L"이영희");
    EXPECT_EQ(r.contacts[2].numbers[vcard::kMobile], L"0104445555");  // untyped: first free kind
    EXPECT_EQ(r.contacts[3].formatted, L"박지성");
    EXPECT_EQ(r.contacts[4].formatted, L"Jane Doe");
    EXPECT_EQ(r.contacts[4].numbers[vcard::kMobile], L"+82-10-1");
}

TEST(VCardRead, BrokenCardsAreSkippedAndTheRestIsRead) {
    std::string text =
        "garbage before any card\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cut short\r\n"              // no END before the next card
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Good one\r\nTEL:1\r\nthis line has no colon\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN;CHARSET=KLINGON:abc\r\nTEL;TYPE=FAX:2\r\nEND:VCARD\r\n"  // nothing left
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Full\r\nTEL;TYPE=CELL:3\r\nTEL;TYPE=CELL:4\r\n"
        "TEL;TYPE=CELL:" + std::string(80, '5') + "\r\nTEL;TYPE=CELL:6\r\nTEL;TYPE=CELL:7\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Last, truncated";
    vcard::ParseResult r = vcard::Parse(text);
    EXPECT_EQ(r.cardsSeen, 5);
    ASSERT_EQ(r.contacts.size(), 2u);
    EXPECT_EQ(r.contacts[0].formatted, L"Good one");
    EXPECT_EQ(r.contacts[1].numbers[vcard::kMobile], L"3");
    EXPECT_EQ(r.contacts[1].numbers[vcard::kHome], L"4");  // surplus numbers fill free slots
    EXPECT_EQ(r.contacts[1].numbers[vcard::kOffice], L"6");
    EXPECT_TRUE(MentionsAll(r.messages, L"no END:VCARD before the next card"));
    EXPECT_TRUE(MentionsAll(r.messages, L"without a property name"));
    EXPECT_TRUE(MentionsAll(r.messages, L"unknown character set KLINGON"));
    EXPECT_TRUE(MentionsAll(r.messages, L"fax or pager"));
    EXPECT_TRUE(MentionsAll(r.messages, L"neither a name nor a number"));
    EXPECT_TRUE(MentionsAll(r.messages, L"one mobile, one home and one office"));
    EXPECT_TRUE(MentionsAll(r.messages, L"longer than 63"));
    EXPECT_TRUE(MentionsAll(r.messages, L"looks cut short"));
}

TEST(VCardRead, HugeInput) {
    std::string photo(2 * 1024 * 1024, 'A');
    std::string text = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Big photo\r\nPHOTO;ENCODING=b;TYPE=BMP:" + photo +
                       "\r\nTEL:1\r\nEND:VCARD\r\n";
    vcard::ParseResult r = vcard::Parse(text);
    ASSERT_EQ(r.contacts.size(), 1u);
    EXPECT_TRUE(r.contacts[0].photo.empty());
    EXPECT_TRUE(MentionsAll(r.messages, L"larger than 1 MiB"));

    // Folded into many short lines, the same.
    std::string folded = "BEGIN:VCARD\r\nFN:Folded\r\nPHOTO;ENCODING=b:AAAA\r\n";
    for (int i = 0; i < 30000; ++i) folded += " " + std::string(74, 'A') + "\r\n";
    folded += "END:VCARD\r\n";
    r = vcard::Parse(folded);
    ASSERT_EQ(r.contacts.size(), 1u);
    EXPECT_TRUE(MentionsAll(r.messages, L"larger than 1 MiB"));

    EXPECT_TRUE(MentionsAll(vcard::Parse(std::string(vcard::kMaxFileBytes + 1, ' ')).messages, L"larger than 32 MiB"));
}

TEST(VCardRead, MangledFilesNeverStopTheReader) {
    vcard::Contact c;
    c.family = L"홍";
    c.given = L"길동";
    c.formatted = L"홍길동";
    c.numbers[vcard::kMobile] = L"010-1";
    c.categories = {L"가족"};
    c.photo = contacttest::BitmapBytes(6, 6);
    std::string good;
    for (const char* v : {"2.1", "3.0", "4.0"}) good += vcard::Write({c}, v);
    unsigned seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    size_t read = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bad = good.substr(0, next() % (good.size() + 1));  // cut anywhere
        for (int k = 0; k < 8 && !bad.empty(); ++k) bad[next() % bad.size()] = static_cast<char>(next() >> 16);
        vcard::ParseResult r = vcard::Parse(bad);
        ASSERT_LE(r.contacts.size(), 3u);
        for (const auto& got : r.contacts) read += got.formatted.size() <= vcard::kMaxNameChars;
    }
    EXPECT_GT(read, 0u);  // many mangled files still give their intact cards
}

TEST(VCardRead, PicturesMustBeSmallBitmaps) {
    auto card = [](const std::string& photoLine) {
        return vcard::Parse("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:P\r\n" + photoLine + "\r\nEND:VCARD\r\n");
    };
    std::string bmp = vcard::Base64Encode(contacttest::BitmapBytes(50, 40));
    vcard::ParseResult ok = card("PHOTO;ENCODING=b;TYPE=BMP:" + bmp);
    ASSERT_EQ(ok.contacts.size(), 1u);
    EXPECT_EQ(ok.contacts[0].photo, contacttest::BitmapBytes(50, 40));
    EXPECT_EQ(card("PHOTO:data:image/bmp;base64," + bmp).contacts[0].photo.size(), ok.contacts[0].photo.size());

    vcard::ParseResult jpeg = card("PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRg==");
    EXPECT_TRUE(jpeg.contacts[0].photo.empty());
    EXPECT_TRUE(MentionsAll(jpeg.messages, L"JPEG"));
    // A bitmap above the phone's limit is made smaller, keeping its shape.
    vcard::ParseResult big = card("PHOTO;ENCODING=b:" + vcard::Base64Encode(contacttest::BitmapBytes(101, 100, 0x123456)));
    EXPECT_TRUE(big.messages.empty());
    ASSERT_EQ(big.contacts.size(), 1u);
    EXPECT_EQ(vcard::PictureProblem(big.contacts[0].photo), L"");
    std::vector<BYTE> smaller = big.contacts[0].photo;
    ASSERT_GE(smaller.size(), 54u);
    EXPECT_EQ(smaller[18] | smaller[19] << 8, 100);
    EXPECT_EQ(smaller[22] | smaller[23] << 8, 99);
    EXPECT_EQ(smaller[54], 0x56);  // blue, green, red of a pixel: the colour kept
    EXPECT_EQ(smaller[55], 0x34);
    EXPECT_EQ(smaller[56], 0x12);
    std::vector<BYTE> cut = contacttest::BitmapBytes(10, 10);
    cut.resize(100);
    EXPECT_TRUE(MentionsAll(card("PHOTO;ENCODING=b:" + vcard::Base64Encode(cut)).messages, L"cut short"));
    EXPECT_TRUE(MentionsAll(card("PHOTO;VALUE=uri:http://example.invalid/me.bmp").messages, L"link"));
    EXPECT_TRUE(MentionsAll(card("PHOTO;ENCODING=b:@@@@").messages, L"not valid base64"));
}

TEST(VCardWrite, KoreanNamesSurviveEveryVersion) {
    vcard::Contact c;
    c.family = L"홍";
    c.given = L"길동";
    c.formatted = L"홍길동; 대표";  // a separator inside a value
    c.numbers[vcard::kMobile] = L"010-1234-5678";
    c.numbers[vcard::kOffice] = L"02-555-0000";
    c.preferred = vcard::kOffice;
    c.categories = {L"가족", L"A,B"};
    c.photo = contacttest::BitmapBytes(30, 30);
    for (const char* version : {"2.1", "3.0", "4.0"}) {
        std::string text = vcard::Write({c, c}, version);
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            EXPECT_LE(end - start, 76u) << version;  // folded lines
        vcard::ParseResult back = vcard::Parse(text);
        ASSERT_EQ(back.contacts.size(), 2u) << version;
        EXPECT_TRUE(back.messages.empty()) << version;
        const vcard::Contact& b = back.contacts[1];
        EXPECT_EQ(b.family, c.family) << version;
        EXPECT_EQ(b.given, c.given) << version;
        EXPECT_EQ(b.formatted, c.formatted) << version;
        EXPECT_EQ(b.numbers[vcard::kMobile], c.numbers[vcard::kMobile]) << version;
        EXPECT_EQ(b.numbers[vcard::kOffice], c.numbers[vcard::kOffice]) << version;
        EXPECT_EQ(b.preferred, vcard::kOffice) << version;
        EXPECT_EQ(b.categories, c.categories) << version;
        EXPECT_EQ(b.photo, c.photo) << version;
    }
    EXPECT_NE(vcard::Write({c}, "2.1").find("CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE"), std::string::npos);
}

TEST(VCardText, Encodings) {
    EXPECT_EQ(vcard::QuotedPrintableDecode("a=3Db=C3=A9=4"), "a=b\xC3\xA9=4");
    std::vector<BYTE> bytes;
    for (size_t n = 0; n < 5; ++n) {
        std::vector<BYTE> in(n, 0xAB);
        ASSERT_TRUE(vcard::Base64Decode(vcard::Base64Encode(in), bytes));
        EXPECT_EQ(bytes, in);
    }
    EXPECT_EQ(vcard::Unescape(L"a\\,b\\;c\\nd\\\\"), L"a,b;c\nd\\");
    std::wstring longKorean(60, L'한');
    std::string folded = vcard::Fold("FN:" + vcard::ToUtf8(longKorean));
    std::wstring back;
    std::string joined;
    for (size_t i = 0; i < folded.size(); ++i) {
        if (folded.compare(i, 3, "\r\n ") == 0) i += 2;
        else if (folded.compare(i, 2, "\r\n") != 0) joined += folded[i];
        else ++i;
    }
    ASSERT_TRUE(vcard::FromUtf8(joined.substr(3), back));  // no sequence split by the fold
    EXPECT_EQ(back, longKorean);
}

}  // namespace
