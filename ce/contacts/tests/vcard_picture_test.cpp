// Pictures of the kinds address books export, made small for the phone.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PictureMaker.h"
#include "ce/contacts/VCard.h"
#include "ce/contacts/VCardPicture.h"
#include "ce/contacts/VCardText.h"
#include "stores/BitmapFile.h"

namespace {

using picturetest::BitmapHeight;
using picturetest::BitmapPixel;
using picturetest::BitmapWidth;
using picturetest::Kind;

bool Near(DWORD a, DWORD b, int tolerance) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

vcard::ParseResult CardWithPhoto(const std::string& photoLine) {
    return vcard::Parse("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:P\r\n" + photoLine + "\r\nEND:VCARD\r\n");
}

TEST(VCardPicture, JpegPngAndGifBecomeSmallBitmaps) {
    // Left half red, right half blue.
    auto halves = [](UINT w) { return [w](UINT x, UINT) -> DWORD { return x < w / 2 ? 0xFFFF0000 : 0xFF0000FF; }; };
    struct Case {
        Kind kind;
        UINT w, h;
        int wantW, wantH, tolerance;
        const char* line;
    } cases[] = {
        {Kind::Jpeg, 400, 200, 100, 50, 40, "PHOTO;ENCODING=b;TYPE=JPEG:"},
        {Kind::Png, 120, 300, 40, 100, 2, "PHOTO;ENCODING=b;TYPE=PNG:"},
        {Kind::Gif, 64, 48, 64, 48, 2, "PHOTO:data:image/gif;base64,"},  // small enough: not scaled up
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = picturetest::Encode(c.kind, c.w, c.h, halves(c.w));
        ASSERT_FALSE(bytes.empty()) << c.line;
        vcard::ParseResult r = CardWithPhoto(c.line + vcard::Base64Encode(bytes));
        ASSERT_EQ(r.contacts.size(), 1u) << c.line;
        EXPECT_TRUE(r.messages.empty()) << c.line << vcard::ToUtf8(r.messages.empty() ? L"" : r.messages[0]);
        const std::vector<BYTE>& bmp = r.contacts[0].photo;
        ASSERT_EQ(vcard::PictureProblem(bmp), L"") << c.line;
        EXPECT_EQ(BitmapWidth(bmp), c.wantW) << c.line;
        EXPECT_EQ(BitmapHeight(bmp), c.wantH) << c.line;
        EXPECT_TRUE(Near(BitmapPixel(bmp, 2, c.wantH / 2), 0xFF0000, c.tolerance)) << c.line;
        EXPECT_TRUE(Near(BitmapPixel(bmp, c.wantW - 3, c.wantH / 2), 0x0000FF, c.tolerance)) << c.line;
        EXPECT_TRUE(Near(BitmapPixel(bmp, c.wantW / 2 - 2, 1), 0xFF0000, c.tolerance)) << c.line;
        // The phone makes its picture from exactly these bytes.
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP shown = BitmapFromFileBytes(dc, bmp.data(), static_cast<DWORD>(bmp.size()));
        BITMAP info{};
        ASSERT_NE(shown, nullptr) << c.line;
        GetObjectW(shown, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, c.wantW);
        EXPECT_EQ(info.bmHeight, c.wantH);
        DeleteObject(shown);
        DeleteDC(dc);
    }
}

TEST(VCardPicture, TransparencyBecomesWhiteAndDetailIsAveraged) {
    // Transparent top half over a green bottom half.
    std::vector<BYTE> png = picturetest::Encode(Kind::Png, 200, 200, [](UINT, UINT y) -> DWORD {
        return y < 100 ? 0x00000000 : 0xFF00FF00;
    });
    std::vector<BYTE> bmp;
    std::wstring why;
    ASSERT_TRUE(vcard::FitPicture(png, bmp, why));
    EXPECT_EQ(BitmapWidth(bmp), 100);
    EXPECT_EQ(BitmapHeight(bmp), 100);
    EXPECT_EQ(BitmapPixel(bmp, 50, 10), 0xFFFFFFu);
    EXPECT_EQ(BitmapPixel(bmp, 50, 90), 0x00FF00u);

    // A fine black and white checker board averages to grey, not to one of
    // the two as picking pixels would.
    std::vector<BYTE> checker = picturetest::Encode(Kind::Png, 300, 300, [](UINT x, UINT y) -> DWORD {
        return (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000;
    });
    ASSERT_TRUE(vcard::FitPicture(checker, bmp, why));
    EXPECT_TRUE(Near(BitmapPixel(bmp, 40, 40), 0x808080, 20)) << std::hex << BitmapPixel(bmp, 40, 40);
}

// The bytes of a JPEG with an Exif block that gives the orientation.
std::vector<BYTE> WithOrientation(std::vector<BYTE> jpeg, int orientation, bool bigEndian) {
    std::vector<BYTE> exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0};
    std::vector<BYTE> tiff = bigEndian ? std::vector<BYTE>{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                                                           0, static_cast<BYTE>(orientation), 0, 0, 0, 0, 0, 0}
                                       : std::vector<BYTE>{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
                                                           static_cast<BYTE>(orientation), 0, 0, 0, 0, 0, 0, 0};
    exif.insert(exif.end(), tiff.begin(), tiff.end());
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    return jpeg;
}

TEST(VCardPicture, CameraPicturesAreTurnedUpright) {
    // Stored lying down: red on the left, blue on the right.
    std::vector<BYTE> jpeg =
        picturetest::Encode(Kind::Jpeg, 80, 40, [](UINT x, UINT) -> DWORD { return x < 40 ? 0xFFFF0000 : 0xFF0000FF; });
    ASSERT_FALSE(jpeg.empty());
    struct Case {
        int orientation;
        bool bigEndian;
        int w, h;
        POINT red, blue;
    } cases[] = {
        {1, false, 80, 40, {10, 20}, {70, 20}},  // as stored
        {6, false, 40, 80, {20, 10}, {20, 70}},  // turned clockwise: red on top
        {8, true, 40, 80, {20, 70}, {20, 10}},   // turned the other way: red below
        {3, true, 80, 40, {70, 20}, {10, 20}},   // upside down
        {2, false, 80, 40, {70, 20}, {10, 20}},  // mirrored
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bmp;
        std::wstring why;
        ASSERT_TRUE(vcard::FitPicture(WithOrientation(jpeg, c.orientation, c.bigEndian), bmp, why)) << c.orientation;
        EXPECT_EQ(BitmapWidth(bmp), c.w) << c.orientation;
        EXPECT_EQ(BitmapHeight(bmp), c.h) << c.orientation;
        EXPECT_TRUE(Near(BitmapPixel(bmp, c.red.x, c.red.y), 0xFF0000, 40)) << c.orientation;
        EXPECT_TRUE(Near(BitmapPixel(bmp, c.blue.x, c.blue.y), 0x0000FF, 40)) << c.orientation;
    }
    // An Exif block that lies about its sizes changes nothing.
    std::vector<BYTE> bad = WithOrientation(jpeg, 6, false);
    bad[4] = bad[5] = 0xFF;  // the block claims more than the file has
    std::vector<BYTE> bmp;
    std::wstring why;
    if (vcard::FitPicture(bad, bmp, why)) {
        EXPECT_EQ(BitmapWidth(bmp), 80);
    }
    bad = WithOrientation(jpeg, 6, false);
    bad[16] = 0xF0;  // the directory lies far beyond the block
    ASSERT_TRUE(vcard::FitPicture(bad, bmp, why));
    EXPECT_EQ(BitmapWidth(bmp), 80);
}

TEST(VCardPicture, PicturesThatCannotBeReadAreNamed) {
    std::vector<BYTE> jpeg = picturetest::Encode(Kind::Jpeg, 50, 50, [](UINT, UINT) -> DWORD { return 0xFF336699; });
    ASSERT_GT(jpeg.size(), 100u);
    std::vector<BYTE> cut(jpeg.begin(), jpeg.begin() + 20);
    vcard::ParseResult r = CardWithPhoto("PHOTO;ENCODING=b;TYPE=JPEG:" + vcard::Base64Encode(cut));
    ASSERT_EQ(r.contacts.size(), 1u);  // the contact stays, without its picture
    EXPECT_TRUE(r.contacts[0].photo.empty());
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].find(L"picture left out: the JPEG picture"), std::wstring::npos);

    std::vector<BYTE> bmp;
    std::wstring why;
    EXPECT_FALSE(vcard::FitPicture({'I', 'I', '*', 0, 8, 0, 0, 0}, bmp, why));  // TIFF is not offered
    EXPECT_EQ(why, L"not a JPEG, PNG, GIF or bitmap picture");
    std::vector<BYTE> gif = picturetest::Encode(Kind::Gif, 8, 8, [](UINT, UINT) -> DWORD { return 0xFF000000; });
    ASSERT_GT(gif.size(), 10u);
    gif.resize(13);  // the screen descriptor and no image
    EXPECT_FALSE(vcard::FitPicture(gif, bmp, why));
    EXPECT_TRUE(bmp.empty());
}

}  // namespace
