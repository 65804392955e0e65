#pragma once
// The 4-digit password keypad of the protection screens: a multi-button
// control of twelve keys drawn with plain GDI. Each key's cell id is the key
// code it reports: 0 to 9 the digits, 10 clear, 11 confirm.
#include "screens/messaging/CCeMMultiButton.h"

class CCeMPassKeypad : public CCeMMultiButton {
public:
    static constexpr int kClear = 10;
    static constexpr int kConfirm = 11;

    using CCeMMultiButton::Create;
    // Creates the keypad and lays its keys out: 1-9 in rows, then clear, 0, confirm.
    int Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id) override;
    void OnPaint(HWND hwnd) override;

    // Moves the keypad sideways and back (a refused password).
    void Shake();
    // Client-area centre of the key with `code`, for whoever must find a key.
    POINT KeyCentre(int code) const;

    // The key code a keypad notification carries, or -1 for a hold.
    static int KeyOfNotification(LPARAM lp);
};
