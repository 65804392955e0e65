#pragma once
// The phone application's one top-level window: the title band with its
// clock, the display, the dial pad, the bottom bar of companion
// applications, the menu bar, and one view at a time in the view area.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>

#include "modem/CCeMModemListener.h"
#include "phone/CCeMCallControl.h"
#include "phone/CCeMWndLcd.h"
#include "phone/DisplayPower.h"
#include "phone/PhoneViews.h"
#include "screens/messaging/CCeMMultiButton.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMBitmap.h"
#include "toolkit/CCeMBitmapCache.h"
#include "toolkit/CCeMMenuBar.h"
#include "toolkit/CCeMWnd.h"

class CCeMSmsSenderWnd;

class CCeMWndPhone : public CCeMWnd, public CCeMModemListener, public CCeMCallHost {
public:
    static constexpr UINT kDialPadId = 100;
    static constexpr UINT kCompanionBarId = 30;
    static constexpr UINT kDisplayId = 1;
    // Messages from the screens (WM_USER-based, fixed values).
    static constexpr UINT WM_CHILD_NOTIFY = 4024;   // code / sender
    static constexpr UINT WM_PUT_NUMBER = 4124;     // 8-bit text / UTF-16 text
    static constexpr UINT WM_DIAL_NUMBER = 4125;
    // Opens the message composer: recipient data for the message screen,
    // which gets the message as it came (a command line's "SMS" sends it
    // with wParam 0 and the recipient's UTF-16 text, or 0, in lParam).
    static constexpr UINT WM_OPEN_COMPOSER = 4126;
    static constexpr UINT WM_SHOW_MESSAGES = 4127;
    // Offers a number (UTF-16 text in wParam) for the contacts.
    static constexpr UINT WM_ADD_CONTACT = 4128;
    // Posted by the modem port driver: 0 the module went away, 1 back.
    static constexpr UINT WM_MODEM_WAKE = WM_USER + 1000;
    static constexpr UINT kRaiseMenuBar = WM_APP + 1;  // posted to itself
    static constexpr int kCloseRequest = 1000;      // a screen asks to be closed
    static constexpr UINT kTickTimer = 1000;
    static constexpr UINT kRaiseBarTimer = 1001;
    static constexpr UINT kRaiseBarDelayMs = 150;
    static constexpr UINT kMenuBarId = 101;
    static constexpr int kMenuBarImages = 202;
    static constexpr int kMenuBarImageCount = 11;
    static constexpr int kNoCompanion = -1;

    // How a screen of views 11-28 is made for a page, and turned to another
    // page of the same screen. The window owns what `make` returns.
    struct ScreenMaker {
        std::function<CCeMWnd*(HWND parent, const CCeMPlacement& pl, int page)> make;
        std::function<void(CCeMWnd* screen, int page)> setPage;
    };

    explicit CCeMWndPhone(CCeDataManager& data);
    ~CCeMWndPhone() override;

    // Registers the class "Norvale Zentrika" and creates the window over the screen.
    int CreatePhone(HINSTANCE instance);

    // The screens of views 2-4 live for the window's life; their issues plug
    // them in (created hidden at the view rectangle).
    void SetStandingScreen(int view, CCeMWnd* screen);
    // The window the link tells of received texts and send verdicts: the
    // message screen of view 4, or null while there is none.
    HWND MessageWindow() const;
    // Screens of views 11-28, by their screen's first view.
    void SetScreenMaker(int screen, ScreenMaker maker);

    // The view switch; 1 when the view is now `view`.
    int SwitchView(int view);
    int CurrentView() const { return m_nView; }
    CCeMWnd* CurrentScreen() const { return m_pScreen.get(); }

    // How the call-list screen reloads its list after a call was booked.
    void SetCallListReload(std::function<void()> reload) { m_CallListReload = std::move(reload); }

    // The program's own command line, run once the link first opens.
    void SetStartCommandLine(LPCWSTR commandLine);
    // "CALL <number>", "SMS [number]"; anything else does nothing.
    void RunCommandLine(LPCWSTR commandLine);
    // WM_MODEM_OPENED: 0 opened, anything else failed.
    void OnModemOpened(int result);
    // WM_MODEM_WAKE: 0 the module went away, 1 the driver watches the port again.
    void OnModemWake(int watching);
    // A companion application's button or menu command: a missing one is
    // said in a message box, else the phone closes and starts it.
    void ChooseCompanion(int slot);
    int ChosenCompanion() const { return m_nCompanionSlot; }
    // Path of the chosen companion (empty when none), read when it was chosen.
    LPCWSTR ChosenCompanionPath() const { return m_szCompanionPath; }
    // Enables the bottom bar's button of each installed companion.
    void RefreshCompanions();
    // The program's main window ends the message loop when it is destroyed.
    void EndProgramOnDestroy() { m_bQuitOnDestroy = 1; }
    CCeMMenuBar& MenuBar() { return m_MenuBar; }

    // Reloads the skin into the dial pad and the display.
    int LoadSkin();

    CCeMWndLcd& Lcd() { return m_Lcd; }
    CCeMMultiButton& DialPad() { return m_DialPad; }
    CCeMMultiButton& CompanionBar() { return m_CompanionBar; }
    // The screens' shared pictures (published for them while the window lives).
    CCeMBitmapCache& Bitmaps() { return m_Bitmaps; }
    CCeMCallControl& Calls() { return m_Calls; }

    // Call control's requests of the window.
    void ShowDialView() override;
    void CallListChanged() override;

    // A dial-pad press: key index 0-14 and press kind (1 tap, 2 hold).
    void OnDialPadPress(int key, int kind);

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int notifyCode, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;

    // The one-second tick: link pump and polling, display, clock.
    void OnTick();
    int TickCount() const { return m_nTick; }
    bool IsTaskbarHidden() const { return m_bTaskbarHidden != 0; }

    // Results of the module's commands (the values are the link's status).
    void OnBattery(int ok) override;
    // The service screens' answers go to the screen shown, when it waits for them.
    void OnVersion(int ok) override;
    void OnStatusInfo(int ok) override;
    void OnNam(int ok) override;
    // The module restarts once it has answered: its lines drop and come back,
    // which must not be taken for a ring or a lost call.
    void OnModeReset(int ok) override;
    void OnSysTime(int ok) override;
    void OnPing(int ok) override;
    void OnVolume(int ok) override;
    // The module's answer to a call volume a hardware button set.
    void OnSetVolume(int ok) override;
    void OnCallerId(int ok) override;
    void OnDialInfo(int ok) override;
    void OnRingVolume(int ok) override;
    void OnReadMt(int ok) override;
    void OnReadNewMt(int ok) override;

    // Runs the function the settings give an application key (0xC1-0xC4);
    // false for any other character.
    bool OnAppKey(wchar_t key);
    // Child notification 4024 with its code.
    void OnChildNotify(int code);

    // Antenna bars of a signal level 0-9.
    static int AntennaBars(int level);

protected:
    // The message box of a view refused while the phone is locked.
    virtual void ShowLockedNotice();
    // The warning before the program ends for an exhausted module battery.
    virtual void ShowLowBatteryNotice();
    // Sets the handheld's clock; false when the platform refused.
    virtual bool SetHandheldTime(const SYSTEMTIME& time);
    // The notice of a companion application that is not installed.
    virtual void ShowCompanionMissing(int slot);

private:
    static int SaveSettings(void* self);
    void PaintClock(HDC dc);
    void HideTaskbar(HWND hwnd);
    void IdleKey(int key, int kind);
    // Speed dial of a one- or two-digit number line: 1 dialled, -1 no such
    // entry (said on the display), 0 the line is no speed-dial slot.
    int TrySpeedDial();
    void ToggleSilence();
    // The service codes open the number-assignment view; the short one only on send.
    bool OpenHiddenCode(bool onSend);
    int PutNumber(WPARAM wp, LPARAM lp);
    // Shows the message view and hands the recipient data to its screen.
    void OpenComposer(WPARAM wp, LPARAM lp);
    CCeMWnd* StandingScreen(int view) const;
    // The message screen's composer, or null while there is none.
    CCeMSmsSenderWnd* MessageSender() const;

    CCeDataManager& m_data;

    // Title band.
    int m_bTaskbarHidden;
    SYSTEMTIME m_stLastPainted;
    int m_nTick;
    int m_bFirstOpen;
    CCeMBitmap m_bmpClock;
    CCeMBitmapCache m_Bitmaps;

    CCeMMultiButton m_CompanionBar;
    CCeMMenuBar m_MenuBar;
    CCeMWndLcd m_Lcd;
    CCeMMultiButton m_DialPad;

    // Child screens: contacts, call list and messages stand; the others are
    // made on entry and closed on leaving.
    CCeMWnd* m_pStanding[3];
    std::unique_ptr<CCeMWnd> m_pScreen;
    std::map<int, ScreenMaker> m_Makers;

    void BindAppKeys(HWND hwnd);
    // Puts the menu bar back above this window when it is in front and
    // something (a control taking the pen, a closed drop-down) raised it
    // over its own bar.
    void KeepMenuBarAbove();
    // A window owned by this one, directly or through another (its boxes and dialogs).
    bool IsOwnWindow(HWND hwnd) const;
    void StepCallVolume(int delta);
    // The volume screen, when shown, shows the volumes again.
    void RefreshVolumeScreen();

    DisplayPower m_DisplayPower;
    int m_nView;
    int m_nCompanionSlot;
    wchar_t m_szCompanionPath[260];
    wchar_t m_szStartCommand[256];
    int m_bQuitOnDestroy;
    // Set once the program ends for an exhausted module battery: the link
    // stays closed, whatever the driver says meanwhile.
    int m_bEnding;
    // A hardware button changed the call volume and the module has not answered yet.
    int m_bVolumeAsked;
    std::function<void()> m_CallListReload;

    CCeMCallControl m_Calls;
};
