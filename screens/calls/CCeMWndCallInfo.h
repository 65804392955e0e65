#pragma once
// The call information screen: the call-time counters of the settings and
// the packet-data usage, each with a reset button.
#include <cstdint>

#include "CCeMCallScreen.h"
#include "stores/CCeNetDB.h"

class CCeMWndCallInfo : public CCeMCallScreen {
public:
    enum ButtonId { kResetLastIn = 2, kResetTotalIn, kResetLastOut, kResetTotalOut, kResetUsage };
    static constexpr UINT kResetBitmap = 134;

    explicit CCeMWndCallInfo(CCeDataManager& data);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnCommand(int notifyCode, int id, HWND control) override;
    // Its text is the usage row as drawn, for other programs to read.
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    // The phone core calls this when a call ended while the screen is shown.
    void Refresh();

    // "hh:mm:ss"; the hours grow past two digits.
    static void FormatSeconds(uint64_t seconds, wchar_t* out, int outChars);
    // The figure shown under the data usage: the byte count / 512.
    static int UsageFigure(DWORD bytes) { return static_cast<int>(bytes >> 9); }
    int ShownUsage() const { return m_nUsage; }

protected:
    void PaintBody(HDC dc) override;

private:
    CCeNetDB m_NetDB;
    int m_nUsage = 0;
    CCeMImageButton m_Reset[5];
};
