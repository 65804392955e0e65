// The display on a real window: screenshots of every line state, the
// indicator pieces of the default skin's strip, text colour and effect, and
// tap and hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "LcdTestUtil.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "stores/CCeDataManager.h"

namespace {

using lcdtest::ClockedLcd;
using zentest::Image;
using zentest::Rgb;

constexpr RECT kMessageRect = {10, 16, 230, 34};
constexpr RECT kNumberRect = {10, 36, 230, 54};
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kGrey = 0xC0C0C0;
constexpr COLORREF kTransparent = RGB(255, 128, 255);

// Where text of one colour was drawn inside `rect`: the ink's columns.
struct Ink {
    int count = 0;
    int left = INT32_MAX;
    int right = -1;
    int Width() const { return right < left ? 0 : right - left + 1; }
};

Ink FindInk(const Image& img, const RECT& rect, uint32_t colour, int tolerance = 90)
{
    Ink ink;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) {
            const uint32_t p = img.At(x, y);
            bool alike = true;
            for (int shift = 0; shift < 24; shift += 8)
                alike = alike && std::abs(int((p >> shift) & 0xFF) - int((colour >> shift) & 0xFF)) <= tolerance;
            if (alike) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    return ink;
}

HFONT DisplayFont(int height)
{
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

// Width of `text` in the display's font of the given height.
int Extent(const wchar_t* text, int height)
{
    HDC dc = GetDC(nullptr);
    HFONT font = DisplayFont(height);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

// `text` as a line of the display should look: black on white, centred in
// `rect`, in the normal font or, when that is too wide, the small one.
Image Reference(const wchar_t* text, const RECT& rect)
{
    Image img;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 240;
    bi.bmiHeader.biHeight = -58;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBmp = SelectObject(dc, dib);
    RECT all = {0, 0, 240, 58};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const bool small = Extent(text, 18) > rect.right - rect.left;
    HFONT font = DisplayFont(small ? 15 : 18);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT r = rect;
    DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    GdiFlush();
    img.width = 240;
    img.height = 58;
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    img.pixels.assign(p, p + 240 * 58);
    for (auto& px : img.pixels)
        px &= 0xFFFFFF;
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBmp);
    DeleteObject(dib);
    DeleteDC(dc);
    return img;
}

// The line shows exactly `text`, pixel for pixel.
void ExpectLine(const Image& img, const RECT& rect, const wchar_t* text)
{
    const Image want = Reference(text, rect);
    EXPECT_GT(FindInk(img, rect, kBlack).count, 10) << "no text drawn";
    EXPECT_EQ(0.0, zentest::DifferentShare(img, want, rect)) << "the line does not show the expected text";
}

// Columns and rows where anything but the white background was drawn.
RECT Drawn(const Image& img, const RECT& rect)
{
    RECT b = {INT32_MAX, INT32_MAX, -1, -1};
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (img.At(x, y) != kWhite) {
                b.left = std::min<LONG>(b.left, x);
                b.top = std::min<LONG>(b.top, y);
                b.right = std::max<LONG>(b.right, x);
                b.bottom = std::max<LONG>(b.bottom, y);
            }
    return b;
}

std::vector<UINT> g_commands;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COMMAND)
        g_commands.push_back(LOWORD(wp));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND MakeRecordingHost()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = L"ZenLcdTestHost";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"phone", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                240, 320, nullptr, nullptr, wc.hInstance, nullptr);
    uitest::Activate(hwnd);
    return hwnd;
}

class Display : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        store = new cedbtest::ScopedStore(L"lcd-display");
        manager = new CCeDataManager;
        g_pDataManager = manager;
        manager->m_EnvDB.ResetDefaults();
        host = MakeRecordingHost();
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(host);
        g_pDataManager = nullptr;
        delete manager;
        delete store;
    }

    void SetUp() override
    {
        SettingsBlock& s = manager->m_Settings;
        s.crLcdText = RGB(0, 0, 0);
        s.nLcdTextStyle = 0;
        s.nBellSource = 1;
        s.bPhoneLocked = 0;
        s.nNewMessages = 0;
        g_commands.clear();
        lcd = std::make_unique<ClockedLcd>();
        ASSERT_EQ(1, lcd->CreateDisplay(host, 5));
        uitest::Activate(host);
    }
    void TearDown() override { lcd.reset(); }

    // Repaints the display and takes its picture (kept as a screenshot).
    Image Snap(const std::wstring& name)
    {
        InvalidateRect(lcd->GetHwnd(), nullptr, FALSE);
        UpdateWindow(lcd->GetHwnd());
        zentest::PumpMessages(20);
        Image img = zentest::CaptureWindow(lcd->GetHwnd());
        zentest::SaveScreenshot(img, L"lcd_" + name);
        return img;
    }

    static cedbtest::ScopedStore* store;
    static CCeDataManager* manager;
    static HWND host;
    std::unique_ptr<ClockedLcd> lcd;
};

cedbtest::ScopedStore* Display::store;
CCeDataManager* Display::manager;
HWND Display::host;

TEST_F(Display, SitsUnderTheTitleBandAcrossTheWindow)
{
    RECT rc;
    GetWindowRect(lcd->GetHwnd(), &rc);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(26, rc.top);
    EXPECT_EQ(240, rc.right - rc.left);
    EXPECT_EQ(58, rc.bottom - rc.top);
    wchar_t cls[32];
    GetClassNameW(lcd->GetHwnd(), cls, 32);
    EXPECT_STREQ(L"LCD WND", cls);
}

TEST_F(Display, SteadyMessageAndBanner)
{
    lcd->ShowMessage(L"안녕하세요", 0, -1);
    const Image img = Snap(L"steady");
    ASSERT_EQ(240, img.width);
    ASSERT_EQ(58, img.height);
    ExpectLine(img, kMessageRect, L"안녕하세요");
    ExpectLine(img, kNumberRect, L"***-****-****");
    // No strip loaded: the indicator row stays background.
    EXPECT_EQ(240 * 14, zentest::CountPixels(img, {0, 0, 240, 14}, kWhite));
}

TEST_F(Display, BlinkingMessageOnAndOffPhases)
{
    lcd->ShowMessage(L"착신 전환", 1, 5);
    Image off = Snap(L"blink_off");
    EXPECT_EQ(0, FindInk(off, kMessageRect, kBlack).count);
    ExpectLine(off, kNumberRect, L"***-****-****");
    lcd->Tick();
    Image on = Snap(L"blink_on");
    ExpectLine(on, kMessageRect, L"착신 전환");
    lcd->Tick();
    off = Snap(L"blink_off2");
    EXPECT_EQ(0, FindInk(off, kMessageRect, kBlack).count);
}

TEST_F(Display, CountdownEndsInTheStandingDateLine)
{
    lcd->now = lcdtest::At(2026, 12, 7, 11, 0, 0);
    lcd->ShowMessage(L"지정된 단축번호가 없습니다.", 1, 3);
    lcd->Tick();
    ExpectLine(Snap(L"countdown_on"), kMessageRect, L"지정된 단축번호가 없습니다.");
    lcd->Tick();
    lcd->Tick();
    const Image img = Snap(L"countdown_date");
    EXPECT_STREQ(L"2026년 12월  7일", lcd->MessageText());
    ExpectLine(img, kMessageRect, L"2026년 12월  7일");
    lcd->Tick();  // steady now: no more blinking
    ExpectLine(Snap(L"countdown_date2"), kMessageRect, L"2026년 12월  7일");
}

TEST_F(Display, CallTimeOfOneHourTwoMinutesThreeSeconds)
{
    lcd->linkState = 8;
    lcd->handledState = 8;
    lcd->StartCallTimer();
    lcd->Advance(3723);
    lcd->Tick();
    const Image img = Snap(L"call_time");
    ExpectLine(img, kMessageRect, L"통화시간 :   1시   2분   3초");
    // Without the padding it would look different.
    EXPECT_GT(zentest::DifferentShare(Reference(L"통화시간 : 1시 2분 3초", kMessageRect), img, kMessageRect), 0.0);
}

TEST_F(Display, MissedCallsBetweenCalls)
{
    lcd->linkState = 0x1001;
    lcd->AddMissedCall();
    lcd->AddMissedCall();
    ExpectLine(Snap(L"missed_calls"), kNumberRect, L"부재중 통화    2");
    lcd->ClearMissedCalls();
    ExpectLine(Snap(L"missed_cleared"), kNumberRect, L"***-****-****");
}

TEST_F(Display, DashedNumbersOfThreeToTwelveDigits)
{
    const wchar_t digits[] = L"031234567890";
    for (int n = 3; n <= 12; ++n) {
        const std::wstring number(digits, n);
        lcd->SetNumber(number.c_str());
        wchar_t dashed[32];
        CCeMWndLcd::FormatNumber(number.c_str(), dashed, 32);
        const wchar_t* shown = n < 12 ? dashed : number.c_str();
        SCOPED_TRACE(testing::Message() << n << " digits");
        const Image img = Snap(L"number_" + std::to_wstring(n));
        ExpectLine(img, kNumberRect, shown);
        if (n < 12) {
            // The check tells the dashed form from the digits as typed.
            EXPECT_GT(zentest::DifferentShare(Reference(number.c_str(), kNumberRect), img, kNumberRect), 0.0);
        }
    }
}

TEST_F(Display, HangulInBothFonts)
{
    lcd->ShowMessage(L"가나다라마", 0, -1);
    const Image first = Snap(L"hangul_normal");
    ExpectLine(first, kMessageRect, L"가나다라마");
    lcd->ShowMessage(L"바사아자차", 0, -1);
    const Image second = Snap(L"hangul_normal2");
    // Real glyphs, not one box for every syllable.
    EXPECT_GT(zentest::DifferentShare(first, second, kMessageRect), 0.03);

    const wchar_t* wide = L"전화번호부에서 찾을 수 없는 번호입니다";
    ASSERT_GT(Extent(wide, 18), 220) << "the text must be too wide for the normal font";
    lcd->ShowMessage(wide, 0, -1);
    ExpectLine(Snap(L"hangul_small"), kMessageRect, wide);
}

TEST_F(Display, NumberLineAtItsLimitShowsItsEndInsideTheLine)
{
    for (int i = 0; i < 130; ++i)
        lcd->AppendKey(L"0123456789"[i % 10], 0);
    ASSERT_EQ(127, lcd->NumberLength());
    const Image img = Snap(L"number_limit");
    const Ink ink = FindInk(img, kNumberRect, kBlack);
    EXPECT_GT(ink.count, 100);
    EXPECT_GE(ink.left, kNumberRect.left);
    EXPECT_GE(ink.right, kNumberRect.right - 6);  // the last digits typed stay in view
    // Nothing spills over the line's left and right edges.
    EXPECT_EQ(0, FindInk(img, {0, 36, 10, 54}, kBlack).count);
    EXPECT_EQ(0, FindInk(img, {230, 36, 240, 54}, kBlack).count);
}

// The strip's piece must show at its place: its own pixels where they are
// not transparent, the background (white) where they are.
void ExpectPiece(const Image& shot, const Image& strip, int sx, int sy, int cx, int cy, int dx, int dy)
{
    int mismatches = 0, inked = 0;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            const uint32_t src = strip.At(sx + x, sy + y);
            const bool clear = src == zentest::FromColorRef(kTransparent);
            inked += !clear;
            if (shot.At(dx + x, dy + y) != (clear ? kWhite : src))
                ++mismatches;
        }
    EXPECT_GT(inked, 5) << "piece " << sx << "," << sy << " is empty in the strip";
    EXPECT_EQ(0, mismatches) << "piece " << sx << "," << sy << " at " << dx << "," << dy;
}

void ExpectBlank(const Image& shot, RECT rc)
{
    EXPECT_EQ((rc.right - rc.left) * (rc.bottom - rc.top), zentest::CountPixels(shot, rc, kWhite))
        << rc.left << "," << rc.top;
}

TEST_F(Display, EveryIndicatorPieceAtItsRectangle)
{
    const std::wstring path = lcdtest::SkinFile(L"default", L"LED.bmp");
    const Image strip = zentest::LoadBitmapFile(path);
    ASSERT_FALSE(strip.empty()) << "no LED.bmp in the installation image";
    ASSERT_EQ(1, lcd->LoadImage(path.c_str()));
    lcd->ShowMessage(L"", 0, -1);
    lcd->SetBanner(L"");

    for (int bars = 0; bars <= 5; ++bars) {
        lcd->SetIndicator(CCeMWndLcd::kSlotAntenna, bars, 1, CCeMWndLcd::kKindAntenna);
        ExpectPiece(Snap(L"antenna_" + std::to_wstring(bars)), strip, 16 * bars, 0, 16, 11, 5, 3);
    }
    for (int level = 0; level <= 4; ++level) {
        lcd->SetIndicator(CCeMWndLcd::kSlotCallVolume, level, 1, CCeMWndLcd::kKindCallVolume);
        ExpectPiece(Snap(L"volume_" + std::to_wstring(level)), strip, 20 * level, 11, 20, 11, 40, 3);
    }
    for (int level = 0; level <= 5; ++level) {
        lcd->SetIndicator(CCeMWndLcd::kSlotBattery, level, 1, CCeMWndLcd::kKindBattery);
        ExpectPiece(Snap(L"battery_" + std::to_wstring(level)), strip, 14 * level, 22, 14, 11, 217, 2);
    }
    // Out-of-range values show the nearest piece.
    lcd->SetIndicator(CCeMWndLcd::kSlotAntenna, 9, 1, CCeMWndLcd::kKindAntenna);
    ExpectPiece(Snap(L"antenna_9"), strip, 80, 0, 16, 11, 5, 3);

    SettingsBlock& s = manager->m_Settings;
    s.nBellSource = 1;
    ExpectPiece(Snap(L"bell_module"), strip, 0, 33, 22, 11, 80, 3);
    s.nBellSource = 2;
    ExpectPiece(Snap(L"bell_tone"), strip, 22, 33, 22, 11, 80, 3);
    s.nBellSource = 0;
    ExpectPiece(Snap(L"bell_silent"), strip, 44, 33, 22, 11, 79, 3);

    // Lock, call and unread messages show only while they hold.
    Image none = Snap(L"flags_off");
    ExpectBlank(none, {125, 3, 139, 14});
    ExpectBlank(none, {165, 3, 179, 14});
    ExpectBlank(none, {190, 3, 204, 14});
    s.bPhoneLocked = 1;
    s.nNewMessages = 3;
    lcd->linkState = 8;
    const Image all = Snap(L"flags_on");
    ExpectPiece(all, strip, 0, 44, 14, 11, 125, 3);
    ExpectPiece(all, strip, 14, 44, 14, 11, 165, 3);
    ExpectPiece(all, strip, 28, 44, 14, 11, 190, 3);
}

TEST_F(Display, MissingOrBrokenStripDrawsNoIndicators)
{
    lcd->SetIndicator(CCeMWndLcd::kSlotAntenna, 5, 1, CCeMWndLcd::kKindAntenna);
    lcd->SetIndicator(CCeMWndLcd::kSlotBattery, 5, 1, CCeMWndLcd::kKindBattery);
    lcd->ShowMessage(L"스킨 없음", 0, -1);

    ASSERT_EQ(1, lcd->LoadImage(lcdtest::SkinFile(L"default", L"LED.bmp").c_str()));
    EXPECT_LT(zentest::CountPixels(Snap(L"strip_good"), {0, 0, 240, 14}, kWhite), 240 * 14);

    const struct {
        const wchar_t* name;
        std::string bytes;
    } bad[] = {
        {L"lcd-missing.bmp", ""},
        {L"lcd-text.bmp", "this is not a bitmap\r\n"},
        {L"lcd-cut.bmp", std::string("BM\x36\x10\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00", 14)},
    };
    for (const auto& b : bad) {
        DeleteFileW(b.name);
        if (!b.bytes.empty()) {
            HANDLE f = CreateFileW(b.name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, f);
            DWORD n = 0;
            WriteFile(f, b.bytes.data(), static_cast<DWORD>(b.bytes.size()), &n, nullptr);
            CloseHandle(f);
        }
        EXPECT_EQ(0, lcd->LoadImage(b.name)) << b.name;
        EXPECT_FALSE(lcd->IsImageLoaded());
        const Image img = Snap(std::wstring(L"strip_bad_") + (b.name + 4));
        ExpectBlank(img, {0, 0, 240, 14});  // the old strip is gone too
        ExpectLine(img, kMessageRect, L"스킨 없음");
        DeleteFileW(b.name);
    }
    EXPECT_EQ(0, lcd->LoadImage(nullptr));
}

TEST_F(Display, BackgroundIsTheTopOfTheDialPad)
{
    const std::wstring source = lcdtest::SkinFile(L"default", L"DialPad.bmp");
    ASSERT_TRUE(CopyFileW(source.c_str(), L"lcd-DialPad.bmp", FALSE));
    const Image pad = zentest::LoadBitmapFile(source);
    ASSERT_GE(pad.height, 58);
    CCeMBitmap background;
    ASSERT_EQ(1, background.LoadFromFile(L"lcd-DialPad.bmp", 1));
    lcd->SetBackground(&background);
    lcd->ShowMessage(L"", 0, -1);
    lcd->SetBanner(L"");
    Image img = Snap(L"background");
    int same = 0;
    for (int y = 0; y < 58; ++y)
        for (int x = 0; x < 240; ++x)
            same += img.At(x, y) == pad.At(x, y);
    EXPECT_EQ(240 * 58, same);

    lcd->SetBackground(nullptr);
    img = Snap(L"background_none");
    EXPECT_EQ(240 * 58, zentest::CountPixels(img, {0, 0, 240, 58}, kWhite));
    DeleteFileW(L"lcd-DialPad.bmp");
}

TEST_F(Display, IndicatorsAndTextOverTheSkinBackground)
{
    for (const wchar_t* skin : {L"default", L"type40"}) {
        const std::wstring source = lcdtest::SkinFile(skin, L"DialPad.bmp");
        ASSERT_TRUE(CopyFileW(source.c_str(), L"lcd-DialPad.bmp", FALSE));
        const Image pad = zentest::LoadBitmapFile(source);
        const Image strip = zentest::LoadBitmapFile(lcdtest::SkinFile(skin, L"LED.bmp"));
        CCeMBitmap background;
        ASSERT_EQ(1, background.LoadFromFile(L"lcd-DialPad.bmp", 1));
        lcd->SetBackground(&background);
        ASSERT_EQ(1, lcd->LoadImage(lcdtest::SkinFile(skin, L"LED.bmp").c_str()));
        lcd->SetIndicator(CCeMWndLcd::kSlotAntenna, 4, 1, CCeMWndLcd::kKindAntenna);
        lcd->SetIndicator(CCeMWndLcd::kSlotBattery, 3, 1, CCeMWndLcd::kKindBattery);
        lcd->linkState = 8;
        lcd->StartCallTimer();
        lcd->Advance(75);
        lcd->SetNumber(L"0212345678");
        const Image img = Snap(std::wstring(L"skin_") + skin);
        // Pieces over the picture: transparent pixels show the picture.
        int mismatches = 0;
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint32_t src = strip.At(64 + x, y);
                const uint32_t want = src == zentest::FromColorRef(kTransparent) ? pad.At(5 + x, 3 + y) : src;
                mismatches += img.At(5 + x, 3 + y) != want;
            }
        EXPECT_EQ(0, mismatches);
        EXPECT_GT(FindInk(img, kMessageRect, kBlack, 60).count, 30);  // the call time
        EXPECT_GT(FindInk(img, kNumberRect, kBlack, 60).count, 30);   // the number
        lcd->SetBackground(nullptr);
        lcd->StopCallTimer();
        DeleteFileW(L"lcd-DialPad.bmp");
    }
}

// Every change repaints what it changed: the window as it is after the
// change equals the window painted afresh.
TEST_F(Display, ChangesRepaintWhatTheyChange)
{
    ASSERT_EQ(1, lcd->LoadImage(lcdtest::SkinFile(L"default", L"LED.bmp").c_str()));
    Snap(L"repaint_start");
    SettingsBlock& s = manager->m_Settings;
    const struct {
        const char* what;
        std::function<void()> change;
    } steps[] = {
        {"steady message", [&] { lcd->ShowMessage(L"처음 메시지", 0, -1); }},
        {"blinking message", [&] { lcd->ShowMessage(L"깜박이는 메시지", 1, 4); }},
        {"tick on", [&] { lcd->Tick(); }},
        {"tick off", [&] { lcd->Tick(); }},
        {"key", [&] { lcd->AppendKey(L'0', 0); }},
        {"keys", [&] { lcd->AppendNumber(L"1012345678"); }},
        {"backspace", [&] { lcd->Backspace(); }},
        {"clear number", [&] { lcd->ClearNumber(); }},
        {"banner", [&] { lcd->SetBanner(L"새 인사말"); }},
        {"countdown end", [&] { lcd->Tick(), lcd->Tick(); }},
        {"antenna", [&] { lcd->SetIndicator(CCeMWndLcd::kSlotAntenna, 2, 0, CCeMWndLcd::kKindAntenna); }},
        {"call volume", [&] { lcd->SetIndicator(CCeMWndLcd::kSlotCallVolume, 3, 0, CCeMWndLcd::kKindCallVolume); }},
        {"battery", [&] { lcd->SetIndicator(CCeMWndLcd::kSlotBattery, 1, 0, CCeMWndLcd::kKindBattery); }},
        {"bell", [&] { s.nBellSource = 2, lcd->RepaintIndicator(CCeMWndLcd::kKindAlert); }},
        {"silent", [&] { s.nBellSource = 0, lcd->RepaintIndicator(CCeMWndLcd::kKindAlert); }},
        {"lock", [&] { s.bPhoneLocked = 1, lcd->RepaintIndicator(CCeMWndLcd::kKindLock); }},
        {"messages", [&] { s.nNewMessages = 1, lcd->RepaintIndicator(CCeMWndLcd::kKindMessages); }},
        {"call timer", [&] { lcd->linkState = 8, lcd->handledState = 8, lcd->StartCallTimer(); }},
        {"call second", [&] { lcd->Advance(1), lcd->Tick(); }},
        {"call end", [&] { lcd->linkState = 0x1001, lcd->StopCallTimer(); }},
        {"missed call", [&] { lcd->AddMissedCall(); }},
        {"missed cleared", [&] { lcd->ClearMissedCalls(); }},
        {"colour", [&] { SendMessageW(lcd->GetHwnd(), WM_COMMAND, CCeMWndLcd::kMenuGreen, 0); }},
        {"effect", [&] { SendMessageW(lcd->GetHwnd(), WM_COMMAND, CCeMWndLcd::kMenuNeon, 0); }},
        {"clear message", [&] { lcd->ClearMessage(); }},
    };
    for (const auto& step : steps) {
        step.change();
        UpdateWindow(lcd->GetHwnd());
        zentest::PumpMessages(20);
        const Image after = zentest::CaptureWindow(lcd->GetHwnd());
        const Image fresh = Snap(L"repaint");
        EXPECT_EQ(0.0, zentest::DifferentShare(after, fresh, {0, 0, 240, 58})) << step.what;
    }
}

// The settings as stored, read by a store of their own.
SettingsBlock Stored()
{
    SettingsBlock block = {};
    wchar_t folder[MAX_PATH] = L"";
    CCeEnvDB env(block, folder);
    env.Load();
    return block;
}

TEST_F(Display, ColourAndEffectChoicesAreDrawnAndSaved)
{
    lcd->ShowMessage(L"색상 효과", 0, -1);
    const HWND w = lcd->GetHwnd();

    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuRed, 0);
    Image img = Snap(L"colour_red");
    EXPECT_EQ(RGB(255, 0, 0), Stored().crLcdText);
    EXPECT_GT(FindInk(img, kMessageRect, Rgb(255, 0, 0), 40).count, 20);
    EXPECT_EQ(0, FindInk(img, kMessageRect, kBlack, 40).count);
    EXPECT_EQ(0, FindInk(img, kMessageRect, kGrey, 12).count);
    const RECT plain = Drawn(img, kMessageRect);

    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuShadow, 0);
    img = Snap(L"effect_shadow");
    EXPECT_EQ(1, Stored().nLcdTextStyle);
    EXPECT_GT(FindInk(img, kMessageRect, kGrey, 12).count, 10);
    EXPECT_GT(FindInk(img, kMessageRect, Rgb(255, 0, 0), 40).count, 20);
    const RECT shadow = Drawn(img, kMessageRect);  // one pixel further right and down
    EXPECT_EQ(plain.left, shadow.left);
    EXPECT_EQ(plain.top, shadow.top);
    EXPECT_EQ(plain.right + 1, shadow.right);
    EXPECT_EQ(plain.bottom + 1, shadow.bottom);

    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuShadow, 0);  // again: off
    img = Snap(L"effect_none");
    EXPECT_EQ(0, Stored().nLcdTextStyle);
    EXPECT_EQ(0, FindInk(img, kMessageRect, kGrey, 12).count);

    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuBlue, 0);
    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuNeon, 0);
    img = Snap(L"effect_neon");
    EXPECT_EQ(RGB(0, 0, 255), Stored().crLcdText);
    EXPECT_EQ(2, Stored().nLcdTextStyle);
    EXPECT_GT(FindInk(img, kMessageRect, Rgb(0, 0, 255), 40).count, 10);
    EXPECT_GT(FindInk(img, kMessageRect, kGrey, 12).count, 10);  // the grey core on top
    const RECT neon = Drawn(img, kMessageRect);  // the glow reaches one pixel out all round
    EXPECT_EQ(plain.left - 1, neon.left);
    EXPECT_EQ(plain.top - 1, neon.top);
    EXPECT_EQ(plain.right + 1, neon.right);
    EXPECT_EQ(plain.bottom + 1, neon.bottom);

    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuShadow, 0);  // neon to shadow
    EXPECT_EQ(1, Stored().nLcdTextStyle);
    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuWhite, 0);
    EXPECT_EQ(RGB(255, 255, 255), Stored().crLcdText);
    SendMessageW(w, WM_COMMAND, CCeMWndLcd::kMenuGreen, 0);
    EXPECT_EQ(RGB(0, 255, 0), Stored().crLcdText);
    EXPECT_GT(FindInk(Snap(L"colour_green"), kMessageRect, Rgb(0, 255, 0), 40).count, 20);
}

TEST_F(Display, UnknownStoredColourBecomesBlack)
{
    lcd.reset();
    manager->m_Settings.crLcdText = RGB(1, 2, 3);
    lcd = std::make_unique<ClockedLcd>();
    ASSERT_EQ(1, lcd->CreateDisplay(host, 5));
    EXPECT_EQ(RGB(0, 0, 0), manager->m_Settings.crLcdText);
    EXPECT_EQ(RGB(0, 0, 0), Stored().crLcdText);
}

// Holds the pen at a point of the display until the menu opens; reads the
// menu, then picks an item with the keys (down `downs` times, Enter) or,
// with 0, closes it.
struct MenuItem {
    UINT id;
    std::wstring text;
    bool checked;
};

std::vector<MenuItem> HoldForMenu(HWND lcdWnd, int x, int y, int downs)
{
    std::vector<MenuItem> items;
    uitest::HoldForMenu(uitest::ScreenPoint(lcdWnd, x, y), downs, [&](HMENU menu) {
        for (int pos = 0; pos < GetMenuItemCount(menu); ++pos) {
            wchar_t text[64] = L"";
            GetMenuStringW(menu, pos, text, 64, MF_BYPOSITION);
            items.push_back(
                {GetMenuItemID(menu, pos), text, (GetMenuState(menu, pos, MF_BYPOSITION) & MF_CHECKED) != 0});
        }
    });
    zentest::PumpMessages(100);
    return items;
}

TEST_F(Display, TapAndHoldOpensTheColourAndEffectMenu)
{
    manager->m_Settings.crLcdText = RGB(255, 0, 0);
    manager->m_Settings.nLcdTextStyle = 2;
    const auto items = HoldForMenu(lcd->GetHwnd(), 120, 45, 0);
    ASSERT_EQ(8u, items.size()) << "the menu did not open";
    const MenuItem want[] = {{200, L"검정색", false}, {201, L"하얀색", false}, {202, L"파란색", false},
                             {203, L"빨간색", true},  {204, L"초록색", false}, {0, L"", false},
                             {210, L"그림자 효과", false}, {211, L"네온 효과", true}};
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(want[i].id, items[i].id) << i;
        EXPECT_EQ(want[i].text, items[i].text) << i;
        EXPECT_EQ(want[i].checked, items[i].checked) << i;
    }
    EXPECT_EQ(RGB(255, 0, 0), manager->m_Settings.crLcdText);  // closed without a choice

    HoldForMenu(lcd->GetHwnd(), 30, 25, 3);  // down to "파란색"
    EXPECT_EQ(RGB(0, 0, 255), manager->m_Settings.crLcdText);
    EXPECT_EQ(RGB(0, 0, 255), Stored().crLcdText);
    EXPECT_TRUE(g_commands.empty());
}

TEST_F(Display, TapAndHoldOnIndicatorsOpensTheirScreens)
{
    struct {
        int x;
        UINT command;
    } spots[] = {{200, 40010}, {60, 40021}, {100, 40016}};
    for (const auto& s : spots) {
        g_commands.clear();
        const POINT p = uitest::ScreenPoint(lcd->GetHwnd(), s.x, 10);
        uitest::PenMove(p);
        uitest::PenDown(p);
        zentest::WaitUntil([] { return !g_commands.empty(); }, 2000);
        uitest::PenUp(p);
        ASSERT_EQ(1u, g_commands.size()) << s.x;
        EXPECT_EQ(s.command, g_commands[0]);
    }
    // A quick tap is no gesture.
    g_commands.clear();
    uitest::Tap(uitest::ScreenPoint(lcd->GetHwnd(), 200, 10));
    zentest::PumpMessages(100);
    EXPECT_TRUE(g_commands.empty());
    EXPECT_EQ(nullptr, uitest::FindOwnVisible(L"#32768"));
}

}  // namespace
