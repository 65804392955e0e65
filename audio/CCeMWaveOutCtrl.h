#pragma once
// Feeds the attached decoder's PCM to the wave-out device through a ring of eight buffers.
#include "audio/CCeMDecoder.h"

#include <mmsystem.h>

class MELOX_API CCeMWaveOutCtrl {
public:
    enum { kBufferCount = 8, kBufferSize = 16384 };

    CCeMWaveOutCtrl();
    ~CCeMWaveOutCtrl();

    void SetDecoder(CCeMDecoder* decoder);
    CCeMDecoder* GetAppropriateDecoder();
    int IsWaveOutActive();
    // Opens the device for the file's format; buffer-done messages go to threadId.
    int ReadyToStart(const CCeAudioFileInfo* info, DWORD threadId);
    int RefillBuffers();
    int SetPause(int pause);
    int IsOutputComplete();
    int bBePlaying();
    int Flush(int unused);
    void Uninitialize(int unused);

    CCeMWaveOutCtrl(const CCeMWaveOutCtrl&) = delete;
    CCeMWaveOutCtrl& operator=(const CCeMWaveOutCtrl&) = delete;

private:
    CCeMDecoder* volatile m_decoder;
    HWAVEOUT m_hWaveOut;
    WAVEHDR m_headers[kBufferCount];
    BYTE* m_block;
};
