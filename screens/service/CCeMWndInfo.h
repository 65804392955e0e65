#pragma once
// Module information: the greeting of the idle display (with its on/off
// choice), the handheld's own number as the module reports it, and the
// software and module versions.
#include "screens/service/CCeMTabScreen.h"

class CCeMWndInfo : public CCeMTabScreen {
public:
    static constexpr UINT kGreetingEdit = 101;
    static constexpr UINT kGreetingOn = 102;
    static constexpr UINT kGreetingOff = 103;
    static constexpr int kGreetingChars = 20;  // what can be typed
    static constexpr int kNotifyGreeting = 2;  // child notification: the banner changed
    static constexpr UINT kVersionTimer = 1;
    static constexpr DWORD kDefaultVersionWaitMs = 10000;
    static const wchar_t kSoftwareVersion[];

    explicit CCeMWndInfo(CCeDataManager& data);
    ~CCeMWndInfo() override;

    int OnCommand(int notifyCode, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    // The module's answer to the version query (the phone core passes it on).
    void SetVersionText(LPCWSTR text);
    // The same from the link's 8-bit status text.
    void SetVersionFromModule(const char* text);
    const wchar_t* VersionText() const { return m_szVersion; }
    // How long the version page waits for the module before it says so.
    void SetVersionWait(DWORD ms) { m_dwVersionWait = ms; }
    // The text of the page shown (tabs 1 and 2; empty on tab 0).
    void PageText(wchar_t* out, int outChars) const override;

protected:
    void CreateControls(HWND hwnd) override;
    void OnTabChanged(int tab) override;
    void PaintPage(HDC dc) override;

private:
    void RequestVersion();
    // Copies the edit field into the greeting; true when it changed.
    bool TakeGreeting();

    wchar_t m_szVersion[64];
    int m_bVersionAnswered;
    int m_bVersionAsked;  // a query is out and its wait not over
    DWORD m_dwVersionWait;
};
