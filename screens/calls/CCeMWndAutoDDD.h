#pragma once
// The automatic area code screen: a region list, a typed code and on/off.
// When on, the dial pad puts the code before the first digit typed.
#include "CCeMCallScreen.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMEdit.h"

class CCeMWndAutoDDD : public CCeMCallScreen {
public:
    enum ControlId { kOnId = 101, kOffId = 102, kRegionId = 103, kCodeId = 104 };
    static constexpr int kEntryLimit = 25;
    // A stored code is 1 to 9 digits: it goes in front of a dialled number.
    static constexpr int kLongestCode = 9;

    struct Region {
        const wchar_t* text;
        const wchar_t* code;
    };
    // Item 0 ("사용자 정의") has no code; the list ends with an empty entry.
    static const Region kRegions[];

    explicit CCeMWndAutoDDD(CCeDataManager& data);

    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnCommand(int notifyCode, int id, HWND control) override;

    // Whether a text may be stored as the area code.
    static bool IsValidCode(const wchar_t* text);

protected:
    void PaintBody(HDC dc) override;

private:
    void SetChecks(bool on);
    // The entry's text, 64 characters at most.
    void EntryText(wchar_t (&out)[65]) const;
    void OnSwitchOn();
    void OnSwitchOff();
    void OnRegion();
    void OnCodeChanged();
    void TurnOffIfOn();

    CCeMComboBox m_Region;
    CCeMEdit m_Code;
    CCeMButton m_On;
    CCeMButton m_Off;
    // Filling the entry from the list must not count as the user typing.
    bool m_bFilling = false;
};
