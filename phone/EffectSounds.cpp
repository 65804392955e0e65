#include "phone/EffectSounds.h"

#include <mmsystem.h>

#include <cstdarg>
#include <cwchar>

namespace {

const wchar_t* const kEffectFiles[kEffectCount] = {
    L"connect.wav", L"disconnect.wav", L"battery.wav", L"sms.wav", L"alert.wav",
};

// File name, asynchronous: the sound player returns at once.
const DWORD kEffectFlags = SND_FILENAME | SND_ASYNC;

// False (and a cut, terminated text) when the path does not fit.
bool FormatPath(LPWSTR out, int chars, const wchar_t* format, ...)
{
    if (!out || chars <= 0)
        return false;
    va_list args;
    va_start(args, format);
    const int n = _vsnwprintf(out, chars, format, args);
    va_end(args);
    if (n < 0 || n >= chars) {
        out[chars - 1] = 0;
        return false;
    }
    return true;
}

}  // namespace

LPCWSTR EffectSoundFile(int effect)
{
    return effect >= 0 && effect < kEffectCount ? kEffectFiles[effect] : nullptr;
}

bool EffectSoundWanted(const SettingsBlock& s, int effect)
{
    switch (effect) {
    case kEffectConnect:
        return s.bConnectTone == 1;
    case kEffectDisconnect:
        return s.bDisconnectTone == 1;
    case kEffectBattery:
        return s.bBatteryTone == 1;
    case kEffectMessage:
        return s.bMessageTone == 1 && s.nBellSource != 0;
    case kEffectMinute:
        return s.bMinuteTone == 1;
    default:
        return false;
    }
}

bool EffectSoundPath(LPCWSTR installDir, int effect, LPWSTR pathOut, int pathChars)
{
    LPCWSTR file = EffectSoundFile(effect);
    return file && FormatPath(pathOut, pathChars, L"%ls\\Effect\\%ls", installDir ? installDir : L"", file);
}

bool KeyClickPath(LPCWSTR installDir, int keyIndex, LPWSTR pathOut, int pathChars)
{
    if (keyIndex < 0 || keyIndex > 11)
        return false;
    return FormatPath(pathOut, pathChars, L"%ls\\Effect\\keypad\\%d.wav", installDir ? installDir : L"", keyIndex);
}

int PlayEffectSound(LPCWSTR installDir, const SettingsBlock& settings, int effect)
{
    if (!EffectSoundWanted(settings, effect))
        return 0;
    wchar_t path[MAX_PATH];
    if (EffectSoundPath(installDir, effect, path, MAX_PATH))
        PlaySoundW(path, nullptr, kEffectFlags);
    return 1;
}

int PlayKeyClick(LPCWSTR installDir, const SettingsBlock& settings, int keyIndex)
{
    if (settings.bKeypadTone != 1 || keyIndex < 0 || keyIndex > 11)
        return 0;
    wchar_t path[MAX_PATH];
    if (KeyClickPath(installDir, keyIndex, path, MAX_PATH))
        PlaySoundW(path, nullptr, kEffectFlags);
    return 1;
}
