#pragma once
// The settings the display reads and the two it changes (text colour and
// effect), through the data manager. Without a data manager the display
// runs on the reset values: black plain text, nothing saved.
#include <windows.h>

namespace LcdSettings {

// The five colours the display offers, in menu order.
constexpr COLORREF kColours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 255), RGB(255, 0, 0),
                                 RGB(0, 255, 0)};
constexpr int kColourCount = 5;

constexpr int kStylePlain = 0;
constexpr int kStyleShadow = 1;
constexpr int kStyleNeon = 2;

const wchar_t* InstallDir();
// The area code when the automatic area code is on, else null.
const wchar_t* AutoAreaCode();
// The minute tone's interval index, or -1 when the minute tone is off.
int MinuteToneChoice();
COLORREF TextColour();
int TextStyle();
int BellSource();
bool PhoneLocked();
bool UnreadMessages();

// A stored colour that is not one of the five becomes black (and is saved).
void ResetUnknownColour();
// Each saves the settings when the value changed; false without a data manager.
bool SetTextColour(COLORREF colour);
bool SetTextStyle(int style);

}  // namespace LcdSettings
