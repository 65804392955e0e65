#pragma once
// The handheld's wave-out volume by device number.
//
// On the handheld waveOutGetVolume/waveOutSetVolume with a device number
// (0 for the one device) read and set the device's own volume, which every
// sound then plays at. Wine takes only open handles there, so code that sets
// the device's volume includes this header: a device number then goes to the
// device's mixer volume, which Wine applies to every sound this program
// plays; an open handle goes to winmm unchanged. The value is the handheld's:
// left channel in the low word, right in the high word. With
// CE_WAVEVOL_NO_REMAP defined only the Ce* functions are declared.
#include <windows.h>
#include <mmsystem.h>

#ifdef __cplusplus
extern "C" {
#endif

MMRESULT WINAPI CeWaveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume);
MMRESULT WINAPI CeWaveOutSetVolume(HWAVEOUT hwo, DWORD dwVolume);

#ifdef __cplusplus
}
#endif

#ifndef CE_WAVEVOL_NO_REMAP
#undef waveOutGetVolume
#define waveOutGetVolume CeWaveOutGetVolume
#undef waveOutSetVolume
#define waveOutSetVolume CeWaveOutSetVolume
#endif
