#pragma once
// The phone's display: a message line, a number line, status indicators drawn
// from the skin's image strip, the running call time and the missed-call
// count. A child of the main window; everything the phone core wants the
// user to see in the dial view goes through it.
#include <windows.h>

#include "toolkit/CCeMBitmap.h"
#include "toolkit/CCeMMenu.h"
#include "toolkit/CCeMWnd.h"

class CCeMWndLcd : public CCeMWnd {
public:
    static constexpr wchar_t kClassName[] = L"LCD WND";
    static constexpr UINT kClassStyle = 11;  // redraw on size, double clicks
    static constexpr int kTop = 26;           // placement in the main window
    static constexpr int kHeight = 58;
    static constexpr int kLineLength = 128;  // characters of each line, terminator included

    // Message line modes.
    static constexpr int kModeSteady = 0;
    static constexpr int kModeBlinking = 1;

    // Indicator slots (the values SetIndicator stores).
    enum Slot {
        kSlotAntenna = 0,         // bars 0-5
        kSlotRingVolume = 1,      // the module's ring volume
        kSlotCallVolume = 2,      // 0-4
        kSlotBattery = 3,         // the module's battery, 0-5
        kSlotHandheldVolume = 4,  // the handheld's volume step
        kSlotCount = 5
    };
    // Indicator kinds: which rectangle a change repaints.
    enum Kind {
        kKindAntenna = 0,
        kKindCallVolume = 1,
        kKindAlert = 2,  // module ring volume / alert mode
        kKindHandheldVolume = 3,
        kKindBattery = 4,
        kKindLock = 5,
        kKindMessages = 6,
        kKindCount = 7
    };

    // Pop-up menu items.
    static constexpr UINT kMenuBlack = 200;
    static constexpr UINT kMenuWhite = 201;
    static constexpr UINT kMenuBlue = 202;
    static constexpr UINT kMenuRed = 203;
    static constexpr UINT kMenuGreen = 204;
    static constexpr UINT kMenuShadow = 210;
    static constexpr UINT kMenuNeon = 211;
    // Commands sent to the parent on a tap and hold over an indicator.
    static constexpr UINT kCmdMessages = 40010;
    static constexpr UINT kCmdVolume = 40021;
    static constexpr UINT kCmdRingTone = 40016;

    CCeMWndLcd();
    ~CCeMWndLcd() override;

    // Registers "LCD WND" and creates the window as a visible child at
    // {0, 26, parent's client width, 58}. 1 when the window exists.
    int CreateDisplay(HWND parent, UINT id);

    // Where the display reads the phone's call state: the link's live
    // CallState and the last state the call control handled. Until set (or
    // when given null) both read as 0 (idle).
    void SetCallStateSource(const volatile LONG* linkCallState, const volatile LONG* handledCallState);

    // Message line. Texts of 128 characters or more are ignored. Mode 0 with
    // seconds -1 is steady; mode 1 blinks for `seconds` (a second blinking
    // message replaces the text and keeps the running countdown).
    void ShowMessage(LPCWSTR text, int mode, int seconds);
    // Between calls: today's date as "%d년 %2d월 %2d일"; ends any timed message.
    void RestoreStandingLine();
    void ClearMessage();

    // Banner line: shown while the number line is empty.
    void SetBanner(LPCWSTR text);

    // Number line (each ignored when the line would reach 128 characters).
    void AppendNumber(LPCWSTR text);
    void AppendKey(wchar_t ch, int withAreaCode);
    void Backspace();
    void ClearNumber();
    // Replaces the number line (ClearNumber, then AppendNumber).
    void SetNumber(LPCWSTR text);

    // Stores `value` in `slot`; 0 when it did not change and force is 0,
    // else 1 (the rectangle of `kind` is repainted).
    int SetIndicator(int slot, int value, int force, int kind);
    // Repaints the rectangle of `kind` (for indicators drawn from settings:
    // alert mode, lock, unread messages).
    void RepaintIndicator(int kind);

    // Call timer.
    void StartCallTimer();
    void StopCallTimer();
    // Seconds since the start (whole days dropped); 0 when no start is set.
    int CallSeconds() const;
    // The start as a local file time; set to now first when it was 0.
    ULONGLONG CallStart();
    // Start = now (after the handheld's clock was set).
    void RestartCallBase();

    void AddMissedCall();
    void ClearMissedCalls();

    // Once a second: blink, count down, minute alert, call-time repaint.
    void Tick();

    // The dashed form of a number ("0212345678" -> "02-1234-5678"); text
    // that is not such a number comes back unchanged. `out` may be `text`;
    // the result is cut to fit `outChars` with its terminator. Returns the
    // length written.
    static int FormatNumber(LPCWSTR text, LPWSTR out, int outChars);
    static int FormatNumber(const char* text, char* out, int outBytes);

    // The skin's indicator strip ("LED.bmp"); 0 when it cannot be loaded as
    // a bitmap (the indicators are then not drawn).
    int LoadImage(LPCWSTR path);
    // The dial pad's background image (not owned; null for none): its top
    // is the display's background.
    void SetBackground(CCeMBitmap* image);

    // What the display holds.
    const wchar_t* MessageText() const { return m_szMessage; }
    const wchar_t* NumberText() const { return m_szNumber; }
    int NumberLength() const { return m_nNumberLength; }
    const wchar_t* BannerText() const { return m_szBanner; }
    int MessageMode() const { return m_nMode; }
    int BlinkPhase() const { return m_nBlinkPhase; }
    int RemainingSeconds() const { return m_nRemaining; }
    int Indicator(int slot) const;
    bool IsCallTimerRunning() const { return m_bTimerRunning != 0; }
    int MissedCalls() const { return m_nMissedCalls; }
    bool IsImageLoaded() const { return m_bImageLoaded != 0; }

    // The texts the two lines show right now (empty during a blink's off phase).
    void ShownMessageLine(wchar_t (&out)[kLineLength]) const;
    void ShownNumberLine(wchar_t (&out)[kLineLength]) const;

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnCommand(int notifyCode, int id, HWND control) override;

protected:
    // Plays an effect sound from the installation folder's "Effect" folder.
    virtual void PlayEffect(LPCWSTR file);
    // Opens the colour and effect menu at a client point.
    virtual void OpenMenu(int x, int y);
    // The local time as a file time: the call timer's and the date line's clock.
    virtual ULONGLONG LocalNow() const;

private:
    LONG LinkCallState() const;
    LONG HandledCallState() const;
    void InvalidateLines();
    void InvalidateArea(const RECT& rc);
    void EndTimedMessage();
    void ApplyMenuChoice(UINT id);
    void DrawLine(HDC dc, const wchar_t* text, const RECT& rc, bool keepEnd);
    void DrawIndicators(HDC dc, HDC mem);
    void FreeImage();

    HFONT m_hFont;
    HFONT m_hSmallFont;
    HBITMAP m_hImage;
    int m_bImageLoaded;
    CCeMBitmap* m_pBackground;
    wchar_t m_szMessage[kLineLength];
    wchar_t m_szNumber[kLineLength];
    int m_nNumberLength;
    wchar_t m_szBanner[kLineLength];
    RECT m_rcMessage;
    RECT m_rcNumber;
    int m_nMode;
    int m_nBlinkPhase;
    int m_nRemaining;
    int m_nSlots[kSlotCount];
    int m_bTimerRunning;
    ULONGLONG m_ullCallStart;
    int m_nMissedCalls;
    CCeMMenu m_Menu;

    const volatile LONG* m_pLinkCallState;
    const volatile LONG* m_pHandledCallState;
};
