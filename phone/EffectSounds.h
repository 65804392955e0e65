#pragma once
// Short effect sounds: WAV files of the installation folder's "Effect"
// folder, played asynchronously by the system's sound player.
#include <windows.h>

#include "stores/SettingsBlock.h"

enum EffectSound {
    kEffectConnect = 0,   // "connect.wav": a call is connected
    kEffectDisconnect,    // "disconnect.wav": a call has ended
    kEffectBattery,       // "battery.wav": module battery low
    kEffectMessage,       // "sms.wav": a new text message
    kEffectMinute,        // "alert.wav": call-minute alert
    kEffectCount
};

// File name of an effect ("connect.wav", ...), null for an unknown one.
LPCWSTR EffectSoundFile(int effect);

// Whether the settings ask for the effect (for sms.wav also a ring source
// other than silent).
bool EffectSoundWanted(const SettingsBlock& settings, int effect);

// Plays "<installDir>\Effect\<file>" when the settings ask for it. Returns 1
// when the sound was asked for, 0 when the settings keep it silent. Whether
// the file plays is not reported (a missing file plays nothing).
int PlayEffectSound(LPCWSTR installDir, const SettingsBlock& settings, int effect);

// Key click of a dial-pad key: only keys 0-11 ("0"-"9", "*", "#") and only
// with bKeypadTone 1; plays "<installDir>\Effect\keypad\<key>.wav". 1 when
// a click was asked for.
int PlayKeyClick(LPCWSTR installDir, const SettingsBlock& settings, int keyIndex);

// The path of an effect or key click, as played (for screens and tests).
// Returns false when the name does not fit.
bool EffectSoundPath(LPCWSTR installDir, int effect, LPWSTR pathOut, int pathChars);
bool KeyClickPath(LPCWSTR installDir, int keyIndex, LPWSTR pathOut, int pathChars);
