#pragma once
// A push button painted from a horizontal strip of frames:
// 0 normal, 1 pressed, 2 disabled.
#include "toolkit/CCeMWnd.h"

class CCeMImageButton : public CCeMWnd {
public:
    CCeMImageButton();
    ~CCeMImageButton() override;

    using CCeMWnd::Create;
    int Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id) override;
    int Attach(HWND hwnd) override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnDestroy(HWND hwnd) override;
    void OnPaint(HWND hwnd) override;
    int OnLButtonDown(WPARAM keys, int x, int y) override;
    int OnLButtonUp(WPARAM keys, int x, int y) override;
    int OnMouseMove(WPARAM keys, int x, int y) override;

    int SetBitmap(UINT resId, int frames);
    int SetBitmap(HBITMAP bitmap, int frames, int owns);
    void SizeToFrame();

    bool IsTracking() const { return m_bTracking != 0; }
    bool IsInside() const { return m_bInside != 0; }
    bool HasFocus() const { return m_bFocus != 0; }
    int FrameWidth() const { return m_nFrameWidth; }
    int BitmapHeight() const { return m_nBitmapHeight; }

private:
    void DropBitmap();

    RECT m_rcHit;
    int m_bTracking;
    int m_bInside;
    HBITMAP m_hBitmap;
    int m_nBitmapWidth;
    int m_nBitmapHeight;
    int m_bFocus;
    int m_nFrames;
    int m_nFrameWidth;
    int m_bOwnsBitmap;
};
