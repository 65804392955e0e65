#pragma once
// The dial pad's skin: the pictures of a skin folder and its key layout.
#include <windows.h>

#include "screens/messaging/CCeMMultiButton.h"
#include "stores/SettingsBlock.h"

class CCeMWndLcd;

// Keys of the dial pad: 0-9, then '*', '#', send, clear, end.
constexpr int kDialPadKeys = 15;

// Key rectangles of the standard layout, or of the type-40 layout.
const MultiButtonCellDef* DialPadLayout(bool type40);

// Paths of the skin's files; false when one does not fit `chars`.
bool SkinFilePath(LPCWSTR installDir, LPCWSTR skin, LPCWSTR file, LPWSTR out, int chars);

// Loads the skin named in the settings into the dial pad and the display:
// falls back to "default" (and saves that choice through `save`) when the
// skin's "DialPad.bmp" is no bitmap. Returns 1 when the pad has its picture.
int LoadDialPadSkin(SettingsBlock& settings, LPCWSTR installDir, CCeMMultiButton& pad, CCeMWndLcd& lcd,
                    int (*save)(void* context), void* context);
