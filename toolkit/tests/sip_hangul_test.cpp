// Korean typing on the input panel with real pen taps into an edit.
#include <gtest/gtest.h>

#include <windows.h>
#include <sipapi.h>

#include <cstdlib>
#include <string>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"

namespace {

// The standard two-set rows, under the digit row; shift is the first key
// of the fourth row, backspace the last of the third.
const wchar_t* const kRows[] = {L"1234567890", L"ㅂㅈㄷㄱㅅㅛㅕㅑㅐㅔ", L"ㅁㄴㅇㄹㅎㅗㅓㅏㅣ\b",
                                L"^ㅋㅌㅊㅍㅠㅜㅡ,."};

std::wstring TextOf(HWND hwnd)
{
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return buf;
}

class SipHangulTest : public testing::Test {
protected:
    void SetUp() override
    {
        host = uitest::MakeHost(L"hangul");
        edit = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                               10, 40, 220, 24, host, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, edit);
        uitest::Activate(host);
        SetFocus(edit);
        ASSERT_TRUE(SipShowIM(SIPF_ON));
        zentest::PumpMessages(50);
        SIPINFO si = {};
        si.cbSize = sizeof si;
        ASSERT_TRUE(SipGetInfo(&si));
        panel = si.rcSipRect;
    }
    void TearDown() override
    {
        SipShowIM(SIPF_OFF);
        DestroyWindow(host);
    }

    // Latin panel: four rows of ten; the layout key is left of Enter.
    void TapLatin(int row, int col)
    {
        const int w = (panel.right - panel.left) / 10, h = (panel.bottom - panel.top) / 4;
        uitest::Tap({panel.left + col * w + w / 2, panel.top + row * h + h / 2});
    }
    // Korean panel: five rows of sixteen pixels.
    POINT HangulKey(int row, int col) const
    {
        const int w = (panel.right - panel.left) / 10, h = (panel.bottom - panel.top) / 5;
        return {panel.left + col * w + w / 2, panel.top + row * h + h / 2};
    }
    void TapHangul(wchar_t key)
    {
        for (int r = 0; r < 4; ++r)
            if (const wchar_t* at = wcschr(kRows[r], key)) {
                uitest::Tap(HangulKey(r, static_cast<int>(at - kRows[r])));
                return;
            }
        FAIL() << "no key " << int(key);
    }
    // '^' is shift, '\b' backspace, ' ' the space bar.
    void TypeHangul(const std::wstring& keys)
    {
        for (wchar_t k : keys) {
            if (k == L'^')
                uitest::Tap(HangulKey(3, 0));
            else if (k == L' ')
                uitest::Tap(HangulKey(4, 5));
            else
                TapHangul(k);
        }
    }
    void SwitchFromHangul() { uitest::Tap(HangulKey(4, 0)); }

    HWND host = nullptr, edit = nullptr;
    RECT panel = {};
};

TEST_F(SipHangulTest, TypesSyllablesIntoTheEdit)
{
    TapLatin(3, 8);  // to the Korean layout
    TypeHangul(L"ㅎㅏㄴ");
    // The syllable in progress is in the edit already.
    EXPECT_EQ(L"한", TextOf(edit));
    TypeHangul(L"ㄱㅡㄹ");
    EXPECT_EQ(L"한글", TextOf(edit));
    auto shot = zentest::CaptureScreen();
    zentest::SaveScreenshot(shot, L"sip_hangul");
    // Keys are drawn: more than the face and frame colours on the panel.
    EXPECT_GT(zentest::DistinctColors(shot, panel), 2);

    // The final moves on to the next syllable; backspace takes back jamo.
    TypeHangul(L" ㄷㅏㄹㄱ");
    EXPECT_EQ(L"한글 닭", TextOf(edit));
    TypeHangul(L"ㅣ");
    EXPECT_EQ(L"한글 달기", TextOf(edit));
    TypeHangul(L"\b");
    EXPECT_EQ(L"한글 달ㄱ", TextOf(edit));
    TypeHangul(L"\b\b");
    EXPECT_EQ(L"한글 ", TextOf(edit));  // 달 was finished: removed whole
    TypeHangul(L"ㄱㅗㅏㄴ");
    EXPECT_EQ(L"한글 관", TextOf(edit));
    TypeHangul(L"\b\b");
    EXPECT_EQ(L"한글 고", TextOf(edit));

    // Shift gives the doubled consonant and the extra vowel, once.
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    TypeHangul(L"^ㄱㅏ^ㅐㄱ");
    EXPECT_EQ(L"까ㅒㄱ", TextOf(edit));
    TypeHangul(L"^ㅅㅓ1");
    EXPECT_EQ(L"까ㅒㄱ써1", TextOf(edit));
    EXPECT_EQ(edit, GetFocus());  // the panel never takes the focus

    // Back to Latin letters.
    SwitchFromHangul();
    TapLatin(2, 0);
    EXPECT_EQ(L"까ㅒㄱ써1a", TextOf(edit));
}

TEST_F(SipHangulTest, MovingTheCaretEndsComposing)
{
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"xy"));
    SendMessageW(edit, EM_SETSEL, 2, 2);
    TapLatin(3, 8);
    TypeHangul(L"ㄱㅏ");
    EXPECT_EQ(L"xy가", TextOf(edit));
    // The user puts the caret elsewhere: the next jamo must not replace
    // the character before it.
    SendMessageW(edit, EM_SETSEL, 1, 1);
    TypeHangul(L"ㄴ");
    EXPECT_EQ(L"xㄴy가", TextOf(edit));
    // Another window taking the focus ends composing too.
    HWND other = CreateWindowExW(0, L"Edit", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 80, 220, 24,
                                 host, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetFocus(other);
    TypeHangul(L"ㅗ");
    EXPECT_EQ(L"ㅗ", TextOf(other));
    EXPECT_EQ(L"xㄴy가", TextOf(edit));
    // Hiding the panel ends composing: the syllable stays as typed.
    SipShowIM(SIPF_OFF);
    SipShowIM(SIPF_ON);
    zentest::PumpMessages(30);
    TypeHangul(L"ㅏ");
    EXPECT_EQ(L"ㅗㅏ", TextOf(other));
    SwitchFromHangul();
}

}  // namespace

namespace {

int g_sipNotices = 0;

LRESULT CALLBACK CountSipNotices(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETTINGCHANGE && wp == SPI_SETSIPINFO)
        ++g_sipNotices;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

// The thread's windows hear when the panel comes and goes, once per change
// and not when it only stays as it was.
TEST(SipNotice, ComingAndGoingIsToldToTheThreadsWindows)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountSipNotices;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"sip notice watcher";
    RegisterClassW(&wc);
    HWND watcher = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    ASSERT_NE(nullptr, watcher);
    SipShowIM(SIPF_OFF);
    zentest::PumpMessages(50);
    g_sipNotices = 0;

    ASSERT_TRUE(SipShowIM(SIPF_ON));
    ASSERT_TRUE(SipShowIM(SIPF_ON));
    zentest::PumpMessages(50);
    EXPECT_EQ(1, g_sipNotices);
    ASSERT_TRUE(SipShowIM(SIPF_OFF));
    ASSERT_TRUE(SipShowIM(SIPF_OFF));
    zentest::PumpMessages(50);
    EXPECT_EQ(2, g_sipNotices);
    DestroyWindow(watcher);
}
