#pragma once
// MPEG audio (MP3) files, decoded by libmad.
#include "audio/CCeMDecoder.h"
#include "audio/XingHeader.h"

#include <mad.h>

class MELOX_API CCeMpegDecoder : public CCeMDecoder {
public:
    enum { kInputSize = 40000, kScanSize = 8192 };

    CCeMpegDecoder();
    ~CCeMpegDecoder() override;

    int Initialize() override;
    void Uninitialize() override;
    int OpenFile(const wchar_t* path) override;
    void CloseFile() override;
    int Seek(int numerator, int denominator) override;
    int GetFileInfo(CCeAudioFileInfo* info) override;
    int GetPCMBlock(BYTE* buffer, DWORD* length) override;
    int GetCurrentPos_secs() override;
    // The same in milliseconds, for a finer position display.
    long GetCurrentPos_ms();

private:
    bool ScanHeader(mad_header& header);
    // Keeps the undecoded tail, tops the input buffer up from the file and hands
    // it to the stream; false at the end of the file.
    bool Refill();
    void ResetState();

    HANDLE m_hFile;
    DWORD m_fileSize;
    MeloxXing m_xing;
    mad_stream m_stream;
    mad_frame m_frame;
    mad_synth m_synth;
    bool m_madReady;
    unsigned int m_position;
    mad_timer_t m_played;
    mad_timer_t m_duration;
    unsigned long m_bitrateSum;
    unsigned long m_bitrateCount;
    CCeAudioFileInfo m_info;
    unsigned char m_input[kInputSize + MAD_BUFFER_GUARD];
    DWORD m_inputLength;
    bool m_atEnd;
};
