#pragma once
// The volume screen: the module's call and ring volumes and the handheld's
// own volume on three sliders; nothing changes until apply.
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMImageButton.h"
#include "toolkit/CCeMWnd.h"

class SystemVolume;

class CCeMWndVolume : public CCeMWnd {
public:
    enum Control { kClose = 100, kApply = 101, kCallSlider = 102, kRingSlider = 103, kHandheldSlider = 104 };
    static constexpr int kModuleSteps = 4;
    static constexpr int kHandheldSteps = 15;

    explicit CCeMWndVolume(SystemVolume& handheld);
    ~CCeMWndVolume() override;

    using CCeMWnd::Create;
    // Registers "CCeMWndVolume" and creates the window as a child.
    virtual int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id);

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    void OnPaint(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    int OnDestroy(HWND hwnd) override;

    // The sliders show the current values again (after the volumes changed
    // elsewhere, such as by a hardware button).
    void Refresh();
    // What a slider shows.
    int SliderPos(int id) const;
    HWND Slider(int id) const;

private:
    void Apply();

    SystemVolume& m_handheld;
    CCeMImageButton m_closeButton;
    CCeMImageButton m_applyButton;
    CCeMTrackBar m_sliders[3];
    HBITMAP m_hTitle;
    HBITMAP m_hScale;
    HBITMAP m_hLabels[3];
    HBRUSH m_hPattern;
    HBRUSH m_hFrameBrush;
};
