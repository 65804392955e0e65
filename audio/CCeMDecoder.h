#pragma once
// The one interface through which the wave-out control reads PCM from any file type.
#include "audio/CCeAudioFileInfo.h"

class MELOX_API CCeMDecoder {
public:
    CCeMDecoder();
    virtual ~CCeMDecoder();

    // Reset to the state without a file; 1 on success.
    virtual int Initialize();
    // Close the file and release decoding state.
    virtual void Uninitialize();
    // Open and examine the file; 1 on success, 0 on failure.
    virtual int OpenFile(const wchar_t* path);
    virtual void CloseFile();
    // Continue from numerator / denominator of the whole length; 1 on success.
    virtual int Seek(int numerator, int denominator);
    // Copies the file information; 1 while a file is open.
    virtual int GetFileInfo(CCeAudioFileInfo* info);
    // length in: room in bytes; out: bytes written. Returns 1 while data continues,
    // 0 at the end (the bytes written by that last call are still valid).
    virtual int GetPCMBlock(BYTE* buffer, DWORD* length);
    // Seconds played so far.
    virtual int GetCurrentPos_secs();

    CCeMDecoder(const CCeMDecoder&) = delete;
    CCeMDecoder& operator=(const CCeMDecoder&) = delete;
};
