#include "CCeMWndCallInfo.h"

#include <cwchar>

#include "CallScreenArt.h"
#include "calls_text.h"
#include "toolkit/WindowText.h"

namespace {

struct Row {
    int top;
    const wchar_t* label;
    COLORREF colour;
};

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kFrameRight = 180;
constexpr int kResetTops[5] = {42, 64, 88, 110, 156};

// The counters are stored signed; a total that ran past the signed range
// keeps counting in the unsigned one rather than showing negative time.
uint64_t Seconds(int32_t stored)
{
    return static_cast<uint32_t>(stored);
}

}  // namespace

CCeMWndCallInfo::CCeMWndCallInfo(CCeDataManager& data)
    : CCeMCallScreen(data, L"CCeMWndCallInfo", CallsText::kCallInfoTitle, 225)
{
}

int CCeMWndCallInfo::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMCallScreen::OnCreate(hwnd, cs);
    for (int i = 0; i < 5; ++i)
        MakeImageButton(hwnd, m_Reset[i], kResetBitmap, CallsText::kResetLabel, {185, kResetTops[i], 42, 21},
                        kResetLastIn + i);
    m_nUsage = UsageFigure(m_NetDB.ReadUsage());
    return 0;
}

LRESULT CCeMWndCallInfo::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != WM_GETTEXT && msg != WM_GETTEXTLENGTH)
        return CCeMCallScreen::WindowProc(hwnd, msg, wp, lp);
    wchar_t value[32], text[64];
    swprintf(value, 32, CallsText::kPacketsFormat, m_nUsage);
    swprintf(text, 64, L"%ls %ls", CallsText::kInternetUse, value);
    return AnswerTextQuery(msg, wp, lp, text);
}

void CCeMWndCallInfo::FormatSeconds(uint64_t seconds, wchar_t* out, int outChars)
{
    swprintf(out, outChars, L"%02llu:%02d:%02d", static_cast<unsigned long long>(seconds / 3600),
             static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
}

void CCeMWndCallInfo::Refresh()
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMWndCallInfo::PaintBody(HDC dc)
{
    CallScreenArt::RoundFrame(dc, {15, 35, 180, 180}, 10, RGB(2, 85, 220));

    const SettingsBlock& s = m_data.m_Settings;
    const uint64_t values[5] = {Seconds(s.nLastInSeconds), Seconds(s.nTotalInSeconds), Seconds(s.nLastOutSeconds),
                                Seconds(s.nTotalOutSeconds),
                                Seconds(s.nTotalInSeconds) + Seconds(s.nTotalOutSeconds)};
    const Row rows[6] = {{40, CallsText::kLastIn, kBlue},      {61, CallsText::kTotalIn, kBlue},
                         {86, CallsText::kLastOut, kRed},      {107, CallsText::kTotalOut, kRed},
                         {128, CallsText::kTotalCalls, kBlack}, {153, CallsText::kInternetUse, kRed}};
    wchar_t value[32];
    for (int i = 0; i < 6; ++i) {
        if (i < 5)
            FormatSeconds(values[i], value, 32);
        else
            swprintf(value, 32, CallsText::kPacketsFormat, m_nUsage);
        CallScreenArt::Text(dc, rows[i].label, {22, rows[i].top, 110, rows[i].top + 20}, kBlack,
                            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        // A figure too wide for its column (hours in the thousands) grows to
        // the left, towards the label, rather than being cut.
        RECT rc = {123, rows[i].top, 175, rows[i].top + 20};
        SIZE size{};
        GetTextExtentPoint32W(dc, value, static_cast<int>(wcslen(value)), &size);
        if (size.cx > rc.right - rc.left) {
            rc.right = kFrameRight - 2;
            rc.left = rc.right - size.cx;
        }
        CallScreenArt::Text(dc, value, rc, rows[i].colour, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

int CCeMWndCallInfo::OnCommand(int notifyCode, int id, HWND control)
{
    if (id < kResetLastIn || id > kResetUsage)
        return CCeMCallScreen::OnCommand(notifyCode, id, control);
    if (!Ask(CallsText::kAskDelete))
        return 0;
    SettingsBlock& s = m_data.m_Settings;
    switch (id) {
    case kResetLastIn: s.nLastInSeconds = 0; break;
    case kResetTotalIn: s.nTotalInSeconds = 0; break;
    case kResetLastOut: s.nLastOutSeconds = 0; break;
    case kResetTotalOut: s.nTotalOutSeconds = 0; break;
    default: break;
    }
    if (id == kResetUsage) {
        m_NetDB.ResetUsage();
        // What is stored now: 0 once deleted, the old count if the store refused.
        m_nUsage = UsageFigure(m_NetDB.ReadUsage());
    } else {
        SaveSettings();
    }
    Refresh();
    return 0;
}
