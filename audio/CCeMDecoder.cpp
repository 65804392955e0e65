#include "audio/CCeMDecoder.h"

CCeMDecoder::CCeMDecoder() = default;
CCeMDecoder::~CCeMDecoder() = default;

int CCeMDecoder::Initialize()
{
    return 0;
}

void CCeMDecoder::Uninitialize() {}

int CCeMDecoder::OpenFile(const wchar_t*)
{
    return 0;
}

void CCeMDecoder::CloseFile() {}

int CCeMDecoder::Seek(int, int)
{
    return 0;
}

int CCeMDecoder::GetFileInfo(CCeAudioFileInfo*)
{
    return 0;
}

int CCeMDecoder::GetPCMBlock(BYTE*, DWORD* length)
{
    if (length)
        *length = 0;
    return 0;
}

int CCeMDecoder::GetCurrentPos_secs()
{
    return -1;
}
