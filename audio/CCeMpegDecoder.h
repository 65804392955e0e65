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
    // 1 when the data ended because the stream changed its sample rate or
    // channel count (joined files): playing stops at the change.
    int bFormatChanged();

private:
    // Where the sound lies in the file, between the tags.
    void FindTags();
    bool ScanHeader(mad_header& header);
    // Keeps the undecoded tail, tops the input buffer up from the file and hands
    // it to the stream; false at the end of the audio.
    bool Refill();
    // Decodes the next frame to be played: 1 decoded, 0 the data ends, -1 a long
    // stretch without sound was crossed and the caller should come back.
    int DecodeNext();
    bool ReadAt(DWORD offset, unsigned char* to, DWORD count);
    DWORD AudioBytes() const;
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
    // File offsets: the end of the leading tags, the Xing frame (when there is
    // one), the first byte to decode, the end of the audio (before trailing tags).
    DWORD m_tagEnd;
    DWORD m_xingPos;
    DWORD m_audioStart;
    DWORD m_audioEnd;
    DWORD m_tailTags;  // bytes of tags after the audio
    DWORD m_readPos;   // next file offset the input buffer reads from
    int m_otherFrames;         // frames in a row of another format
    mad_header m_otherHeader;  // the first of them
    bool m_formatChanged;
    bool m_ended;  // GetPCMBlock has reported the end
};
