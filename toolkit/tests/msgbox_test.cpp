// The program's message box: self-closing countdown, image buttons, layouts,
// and how it looks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

std::wstring Caption(HWND hwnd)
{
    wchar_t buf[128] = {};
    GetWindowTextW(hwnd, buf, 128);
    return buf;
}

// The message box that is up now, if any.
HWND OpenBox()
{
    return uitest::FindOwnVisible(L"#32770");
}

class MsgBoxTest : public testing::Test {
protected:
    void TearDown() override { uitest::StopModalSteps(); }

    // Records every caption the box shows while it is up.
    void RecordCaptions()
    {
        uitest::WhileModal(100, [this] {
            if (HWND box = OpenBox()) {
                const std::wstring c = Caption(box);
                if (captions.empty() || captions.back() != c)
                    captions.push_back(c);
            }
            return true;
        });
    }

    std::vector<std::wstring> captions;
};

TEST_F(MsgBoxTest, ClosesItselfAfterFiveSecondsByDefault)
{
    RecordCaptions();
    const DWORD start = GetTickCount();
    const INT_PTR r = CCeMMsgBox::Show(nullptr, L"저장하였습니다.", L"알림", 0, 0);
    const DWORD took = GetTickCount() - start;
    EXPECT_EQ(2, r);
    EXPECT_GE(took, 4800u);
    EXPECT_LT(took, 7500u);
    const std::vector<std::wstring> expected = {L"알림", L"알림(4)", L"알림(3)", L"알림(2)", L"알림(1)"};
    EXPECT_EQ(expected, captions);
}

TEST_F(MsgBoxTest, AShorterCountdownCountsTheSameWay)
{
    RecordCaptions();
    EXPECT_EQ(2, CCeMMsgBox::Show(nullptr, L"잠시", L"경고", 0, 2));
    const std::vector<std::wstring> expected = {L"경고", L"경고(1)"};
    EXPECT_EQ(expected, captions);
}

TEST_F(MsgBoxTest, TappingTheOkImageButtonAnswersOne)
{
    bool sized = false;
    uitest::WhileModal(100, [&] {
        HWND box = OpenBox();
        if (!box)
            return true;
        HWND ok = GetDlgItem(box, IDOK);
        RECT rc;
        GetWindowRect(ok, &rc);
        sized = rc.right - rc.left == 56 && rc.bottom - rc.top == 22;  // one frame
        uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        return false;
    });
    EXPECT_EQ(1, CCeMMsgBox::Show(nullptr, L"삭제 하시겠습니까 ?", L"알림", 0, 5));
    EXPECT_TRUE(sized);
}

TEST_F(MsgBoxTest, TwoButtonsAndCancelAnswersTwo)
{
    bool bothShown = false;
    uitest::WhileModal(100, [&] {
        HWND box = OpenBox();
        if (!box)
            return true;
        HWND cancel = GetDlgItem(box, IDCANCEL);
        bothShown = IsWindowVisible(cancel) && IsWindowVisible(GetDlgItem(box, IDOK));
        RECT rc;
        GetWindowRect(cancel, &rc);
        uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
        return false;
    });
    EXPECT_EQ(2, CCeMMsgBox::Show(nullptr, L"삭제 하시겠습니까 ?", L"알림", 1, 5));
    EXPECT_TRUE(bothShown);
}

TEST_F(MsgBoxTest, WithoutButtonsOkAndCancelAreIgnored)
{
    int polls = 0;
    bool hidden = false;
    uitest::WhileModal(100, [&] {
        HWND box = OpenBox();
        if (!box)
            return true;
        hidden = !IsWindowVisible(GetDlgItem(box, IDOK)) && !IsWindowVisible(GetDlgItem(box, IDCANCEL));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(box, WM_CLOSE, 0, 0);
        ++polls;
        return true;
    });
    const DWORD start = GetTickCount();
    EXPECT_EQ(2, CCeMMsgBox::Show(nullptr, L"잠시 기다려 주십시오.", L"알림", CCeMDialog::kLayoutKeep, 1));
    EXPECT_GE(GetTickCount() - start, 900u);  // only the countdown closed it
    EXPECT_GT(polls, 3);
    EXPECT_TRUE(hidden);
}

TEST_F(MsgBoxTest, SizedToItsTextAndCentredAcross)
{
    RECT box = {};
    uitest::WhileModal(100, [&] {
        HWND w = OpenBox();
        if (!w)
            return true;
        GetWindowRect(w, &box);
        PostMessageW(w, WM_COMMAND, IDOK, 0);
        return false;
    });
    EXPECT_EQ(1, CCeMMsgBox::Show(nullptr, L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.", L"알림", 0, 5));
    const int width = box.right - box.left;
    EXPECT_GE(width, 180);
    EXPECT_EQ(width == 180 ? 30 : (240 - width) / 2, box.left);
}

TEST_F(MsgBoxTest, OverlongTextIsCut)
{
    const std::wstring text(300, L'가');
    CCeMMsgBox box;
    box.SetText(text.c_str());
    EXPECT_EQ(std::wstring(127, L'가'), box.Text());
}

TEST_F(MsgBoxTest, Screenshot)
{
    HWND host = uitest::MakeHost();
    zentest::Image shot;
    RECT okRect = {};
    uitest::WhileModal(300, [&] {
        HWND w = OpenBox();
        if (!w)
            return true;
        shot = zentest::CaptureScreen();
        GetWindowRect(GetDlgItem(w, IDOK), &okRect);
        PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
        return false;
    });
    EXPECT_EQ(2, CCeMMsgBox::Show(host, L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.", L"알림", 1, 5));
    ASSERT_FALSE(shot.empty());
    zentest::SaveScreenshot(shot, L"message_box");
    // The OK button shows our bitmap: its blue face, not a system button.
    const int blue = zentest::CountPixels(shot, okRect, zentest::Rgb(35, 105, 200), 40);
    EXPECT_GT(blue, (okRect.right - okRect.left) * (okRect.bottom - okRect.top) / 3);
    DestroyWindow(host);
}

}  // namespace
