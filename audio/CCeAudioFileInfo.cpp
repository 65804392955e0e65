#include "audio/CCeAudioFileInfo.h"

CCeAudioFileInfo::CCeAudioFileInfo()
{
    Init();
}

CCeAudioFileInfo::CCeAudioFileInfo(const CCeAudioFileInfo& other) = default;
CCeAudioFileInfo& CCeAudioFileInfo::operator=(const CCeAudioFileInfo& other) = default;
CCeAudioFileInfo::~CCeAudioFileInfo() = default;

void CCeAudioFileInfo::Init()
{
    nDuration = 0;
    nBitrate = 0;
    nSampleRate = 0;
    bStereo = 1;
    b16Bit = 1;
}
