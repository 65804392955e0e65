#pragma once
// Uncompressed PCM WAV files: 8 or 16 bits, one or two channels.
#include "audio/CCeMDecoder.h"

#include <cstdint>

#pragma pack(push, 1)
struct MeloxWavFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t sampleRate;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t extraSize;
};
#pragma pack(pop)
static_assert(sizeof(MeloxWavFormat) == 18, "the format block is read as 18 bytes");

class MELOX_API CCeMWavDecoder : public CCeMDecoder {
public:
    CCeMWavDecoder();
    ~CCeMWavDecoder() override;

    int Initialize() override;
    void Uninitialize() override;
    int OpenFile(const wchar_t* path) override;
    void CloseFile() override;
    int Seek(int numerator, int denominator) override;
    int GetFileInfo(CCeAudioFileInfo* info) override;
    int GetPCMBlock(BYTE* buffer, DWORD* length) override;
    int GetCurrentPos_secs() override;

    // Parses the RIFF header; 1 if the file can be played, leaving the file
    // positioned at the first sample byte.
    int CheckWavHeader();

private:
    bool ReadExact(void* to, DWORD count);
    bool Skip(uint32_t count);
    uint64_t Tell();
    // Reads the next chunk header; `padded`: a pad byte was skipped before it.
    bool NextChunk(BYTE h[8], bool padded);

    CCeAudioFileInfo m_info;
    HANDLE m_hFile;
    MeloxWavFormat m_format;
    DWORD m_dataSize;
    DWORD m_delivered;
};
