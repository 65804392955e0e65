// The display's state: its lines, indicator slots, call timer and missed
// calls, and the once-a-second tick. Painting, the indicator strip and the
// pop-up menu live in the files beside this one.
#include "phone/CCeMWndLcd.h"

#include <mmsystem.h>

#include <cstdio>
#include <cwchar>

#include "phone/LcdSettings.h"

namespace {

constexpr wchar_t kStartMessage[] = L"번호를 읽어 오는중입니다...";
constexpr wchar_t kStartBanner[] = L"***-****-****";

constexpr LONG kStateIdle = 0;
constexpr LONG kStateConnected = 8;
constexpr LONG kStateNoCarrier = 0x1001;

constexpr RECT kMessageRect = {10, 16, 230, 34};
constexpr RECT kNumberRect = {10, 36, 230, 54};
constexpr RECT kTimerRect = {165, 2, 185, 18};

// Repaint rectangles of the indicator kinds.
constexpr RECT kKindRects[CCeMWndLcd::kKindCount] = {
    {5, 2, 25, 18},     // antenna
    {40, 2, 80, 18},    // call volume
    {79, 2, 119, 18},   // module ring volume / alert mode
    {79, 2, 119, 18},   // handheld volume
    {217, 2, 237, 18},  // module battery
    {125, 2, 145, 18},  // phone lock
    {190, 2, 210, 18},  // unread messages
};

constexpr ULONGLONG kTicksPerSecond = 10000000ULL;  // file time units
constexpr int kSecondsPerDay = 24 * 3600;

// The handheld's volume as a step of 15, as the volume control counts it.
constexpr DWORD kVolumeSteps = 15;

// Characters of `text` up to the display's limit; kLineLength when longer.
int BoundedLength(LPCWSTR text)
{
    return static_cast<int>(wcsnlen(text ? text : L"", CCeMWndLcd::kLineLength));
}

}  // namespace

CCeMWndLcd::CCeMWndLcd()
    : m_hFont(nullptr), m_hSmallFont(nullptr), m_hImage(nullptr), m_bImageLoaded(0),
      m_pBackground(nullptr), m_nNumberLength(0), m_rcMessage(kMessageRect), m_rcNumber(kNumberRect),
      m_nMode(kModeSteady), m_nBlinkPhase(0), m_nRemaining(-1), m_nSlots{}, m_bTimerRunning(0),
      m_ullCallStart(0), m_nMissedCalls(0), m_pLinkCallState(nullptr), m_pHandledCallState(nullptr)
{
    wcscpy(m_szMessage, kStartMessage);
    m_szNumber[0] = 0;
    wcscpy(m_szBanner, kStartBanner);
}

CCeMWndLcd::~CCeMWndLcd()
{
    // A window still bound goes first (its destroy handler frees the fonts).
    Destroy();
    FreeImage();
}

int CCeMWndLcd::CreateDisplay(HWND parent, UINT id)
{
    RegisterWindowClass(kClassName, kClassStyle, nullptr, nullptr, nullptr, nullptr);
    RECT rc = {0, 0, 240, 0};
    if (parent)
        GetClientRect(parent, &rc);
    const CCeMPlacement pl = {0, kTop, rc.right - rc.left, kHeight};
    return Create(nullptr, WS_CHILD | WS_VISIBLE, pl, parent, id);
}

void CCeMWndLcd::SetCallStateSource(const volatile LONG* linkCallState, const volatile LONG* handledCallState)
{
    m_pLinkCallState = linkCallState;
    m_pHandledCallState = handledCallState;
}

ULONGLONG CCeMWndLcd::LocalNow() const
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    if (!SystemTimeToFileTime(&st, &ft))
        return 0;
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

LONG CCeMWndLcd::LinkCallState() const
{
    return m_pLinkCallState ? *m_pLinkCallState : kStateIdle;
}

LONG CCeMWndLcd::HandledCallState() const
{
    return m_pHandledCallState ? *m_pHandledCallState : kStateIdle;
}

int CCeMWndLcd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    m_hFont = CreateFontW(18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    m_hSmallFont = CreateFontW(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    LcdSettings::ResetUnknownColour();

    DWORD volume = 0;
    if (waveOutGetVolume(nullptr, &volume) != MMSYSERR_NOERROR)
        volume = 0;
    m_nSlots[kSlotHandheldVolume] = static_cast<int>(volume / (0xFFFFFFFFu / kVolumeSteps));
    return CCeMWnd::OnCreate(hwnd, cs);
}

int CCeMWndLcd::OnDestroy(HWND hwnd)
{
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hSmallFont)
        DeleteObject(m_hSmallFont);
    m_hFont = m_hSmallFont = nullptr;
    FreeImage();
    m_Menu.DestroyMenu();
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMWndLcd::InvalidateArea(const RECT& rc)
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, &rc, FALSE);
}

void CCeMWndLcd::InvalidateLines()
{
    InvalidateArea(m_rcMessage);
    InvalidateArea(m_rcNumber);
}

// --- message line ---------------------------------------------------------

void CCeMWndLcd::ShowMessage(LPCWSTR text, int mode, int seconds)
{
    const int n = BoundedLength(text);
    if (n >= kLineLength)
        return;
    wmemcpy(m_szMessage, text ? text : L"", n);
    m_szMessage[n] = 0;
    if (mode != m_nMode) {
        m_nMode = mode;
        m_nBlinkPhase = 0;
        m_nRemaining = seconds;
    }
    InvalidateArea(m_rcMessage);
}

void CCeMWndLcd::EndTimedMessage()
{
    m_nMode = kModeSteady;
    m_nBlinkPhase = 0;
    m_nRemaining = -1;
}

void CCeMWndLcd::RestoreStandingLine()
{
    const LONG state = LinkCallState();
    if (state == kStateIdle || state == kStateNoCarrier) {
        const ULONGLONG now = LocalNow();
        const FILETIME ft = {static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
        SYSTEMTIME st = {};
        FileTimeToSystemTime(&ft, &st);
        swprintf(m_szMessage, kLineLength, L"%d년 %2d월 %2d일", st.wYear, st.wMonth, st.wDay);
    }
    EndTimedMessage();
    InvalidateArea(m_rcMessage);
}

void CCeMWndLcd::ClearMessage()
{
    if (m_szMessage[0])
        RestoreStandingLine();
}

// --- banner and number lines ----------------------------------------------

void CCeMWndLcd::SetBanner(LPCWSTR text)
{
    const int n = BoundedLength(text);
    if (n >= kLineLength)
        return;
    wmemcpy(m_szBanner, text ? text : L"", n);
    m_szBanner[n] = 0;
    InvalidateArea(m_rcNumber);
}

void CCeMWndLcd::AppendNumber(LPCWSTR text)
{
    const int n = BoundedLength(text);
    if (m_nNumberLength + n + 1 >= kLineLength)
        return;
    wmemcpy(m_szNumber + m_nNumberLength, text ? text : L"", n);
    m_nNumberLength += n;
    m_szNumber[m_nNumberLength] = 0;
    InvalidateArea(m_rcNumber);
}

void CCeMWndLcd::AppendKey(wchar_t ch, int withAreaCode)
{
    if (m_nNumberLength + 1 >= kLineLength)
        return;
    if (withAreaCode && m_nNumberLength == 0 && LinkCallState() != kStateConnected && ch != L'0' &&
        ch != L'#' && ch != L'*') {
        if (const wchar_t* area = LcdSettings::AutoAreaCode())
            AppendNumber(area);
    }
    if (m_nNumberLength + 1 >= kLineLength)
        return;
    m_szNumber[m_nNumberLength++] = ch;
    m_szNumber[m_nNumberLength] = 0;
    InvalidateArea(m_rcNumber);
}

void CCeMWndLcd::Backspace()
{
    if (m_nNumberLength == 0)
        return;
    m_szNumber[--m_nNumberLength] = 0;
    InvalidateArea(m_rcNumber);
}

void CCeMWndLcd::ClearNumber()
{
    if (m_nNumberLength == 0)
        return;
    m_nNumberLength = 0;
    m_szNumber[0] = 0;
    InvalidateArea(m_rcNumber);
}

void CCeMWndLcd::SetNumber(LPCWSTR text)
{
    ClearNumber();
    AppendNumber(text);
}

// --- indicators -----------------------------------------------------------

int CCeMWndLcd::SetIndicator(int slot, int value, int force, int kind)
{
    if (slot < 0 || slot >= kSlotCount)
        return 0;
    const bool changed = m_nSlots[slot] != value;
    m_nSlots[slot] = value;
    if (!changed && !force)
        return 0;
    // A changed value is repainted too, or the indicator would keep the old one.
    RepaintIndicator(kind);
    return 1;
}

void CCeMWndLcd::RepaintIndicator(int kind)
{
    if (kind >= 0 && kind < kKindCount)
        InvalidateArea(kKindRects[kind]);
}

int CCeMWndLcd::Indicator(int slot) const
{
    return slot >= 0 && slot < kSlotCount ? m_nSlots[slot] : 0;
}

// --- call timer and missed calls ------------------------------------------

void CCeMWndLcd::StartCallTimer()
{
    m_bTimerRunning = 1;
    m_ullCallStart = LocalNow();
    InvalidateArea(kTimerRect);
    InvalidateLines();
}

void CCeMWndLcd::StopCallTimer()
{
    m_bTimerRunning = 0;
    m_ullCallStart = 0;
    InvalidateArea(kTimerRect);
    InvalidateLines();
}

int CCeMWndLcd::CallSeconds() const
{
    if (m_ullCallStart == 0)
        return 0;
    const ULONGLONG now = LocalNow();
    if (now <= m_ullCallStart)
        return 0;  // the clock was set back behind the start
    return static_cast<int>(((now - m_ullCallStart) / kTicksPerSecond) % kSecondsPerDay);
}

ULONGLONG CCeMWndLcd::CallStart()
{
    if (m_ullCallStart == 0)
        m_ullCallStart = LocalNow();
    return m_ullCallStart;
}

void CCeMWndLcd::RestartCallBase()
{
    m_ullCallStart = LocalNow();
}

void CCeMWndLcd::AddMissedCall()
{
    ++m_nMissedCalls;
    InvalidateArea(m_rcNumber);
}

void CCeMWndLcd::ClearMissedCalls()
{
    const bool had = m_nMissedCalls > 0;
    m_nMissedCalls = 0;
    if (had)
        InvalidateArea(m_rcNumber);
}

// --- tick -----------------------------------------------------------------

void CCeMWndLcd::Tick()
{
    if (m_nMode == kModeBlinking) {
        m_nBlinkPhase = !m_nBlinkPhase;
        if (m_nRemaining > 0 && --m_nRemaining <= 0) {
            EndTimedMessage();
            RestoreStandingLine();
        }
        InvalidateLines();
    }
    if (HandledCallState() == kStateConnected) {
        static constexpr int kIntervals[] = {60, 180, 600};
        const int choice = LcdSettings::MinuteToneChoice();
        if (choice >= 0 && choice < 3) {
            const int secs = CallSeconds();
            if (secs > 0 && secs % kIntervals[choice] == 0)
                PlayEffect(L"alert.wav");
        }
        InvalidateArea(m_rcMessage);
    }
}

void CCeMWndLcd::PlayEffect(LPCWSTR file)
{
    wchar_t path[MAX_PATH];
    const int n = _snwprintf(path, MAX_PATH, L"%ls\\Effect\\%ls", LcdSettings::InstallDir(), file);
    if (n < 0 || n >= MAX_PATH)
        return;  // a path that does not fit plays nothing
    PlaySoundW(path, nullptr, SND_FILENAME | SND_ASYNC);
}

// --- what the lines show --------------------------------------------------

void CCeMWndLcd::ShownMessageLine(wchar_t (&out)[kLineLength]) const
{
    if (m_bTimerRunning && LinkCallState() == kStateConnected && m_nMode != kModeBlinking) {
        const int secs = CallSeconds();
        swprintf(out, kLineLength, L"통화시간 : %3d시 %3d분 %3d초", secs / 3600, secs / 60 % 60, secs % 60);
    } else if (m_nMode == kModeBlinking && m_nBlinkPhase == 0) {
        out[0] = 0;
    } else {
        wcscpy(out, m_szMessage);
    }
}

void CCeMWndLcd::ShownNumberLine(wchar_t (&out)[kLineLength]) const
{
    if (m_nMissedCalls >= 1 && LinkCallState() == kStateNoCarrier)
        swprintf(out, kLineLength, L"부재중 통화 %4d", m_nMissedCalls);
    else if (m_nNumberLength == 0)
        wcscpy(out, m_szBanner);
    else if (m_nNumberLength < 12)
        FormatNumber(m_szNumber, out, kLineLength);
    else
        wcscpy(out, m_szNumber);
}
