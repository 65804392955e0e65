#pragma once
// What a decoder tells about an opened file, and the PCM it will deliver.
#include "audio/MeloxApi.h"

class MELOX_API CCeAudioFileInfo {
public:
    CCeAudioFileInfo();
    CCeAudioFileInfo(const CCeAudioFileInfo& other);
    CCeAudioFileInfo& operator=(const CCeAudioFileInfo& other);
    virtual ~CCeAudioFileInfo();

    void Init();

    int nDuration;    // whole length in seconds
    int nBitrate;     // kbit/s; 0 for WAV
    int nSampleRate;  // samples per second per channel
    int bStereo;      // 1: two interleaved channels, 0: one
    int b16Bit;       // 1: 16-bit signed samples, 0: 8-bit unsigned
};
