#include "audio/CCeMWaveOutCtrl.h"

#include <cstring>

CCeMWaveOutCtrl::CCeMWaveOutCtrl() : m_decoder(nullptr), m_hWaveOut(nullptr), m_block(nullptr)
{
    std::memset(m_headers, 0, sizeof m_headers);
}

CCeMWaveOutCtrl::~CCeMWaveOutCtrl() = default;

void CCeMWaveOutCtrl::SetDecoder(CCeMDecoder* decoder)
{
    m_decoder = decoder;
}

CCeMDecoder* CCeMWaveOutCtrl::GetAppropriateDecoder()
{
    return m_decoder;
}

int CCeMWaveOutCtrl::IsWaveOutActive()
{
    return m_hWaveOut != nullptr;
}

int CCeMWaveOutCtrl::ReadyToStart(const CCeAudioFileInfo* info, DWORD threadId)
{
    if (!info || m_hWaveOut)
        return 0;
    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = info->bStereo ? 2 : 1;
    fmt.wBitsPerSample = info->b16Bit ? 16 : 8;
    fmt.nSamplesPerSec = DWORD(info->nSampleRate);
    fmt.nBlockAlign = WORD(fmt.wBitsPerSample / 8 * fmt.nChannels);
    fmt.nAvgBytesPerSec = fmt.nSamplesPerSec * fmt.nBlockAlign;
    fmt.cbSize = 0;
    if (waveOutOpen(&m_hWaveOut, WAVE_MAPPER, &fmt, threadId, 0, CALLBACK_THREAD) != MMSYSERR_NOERROR) {
        m_hWaveOut = nullptr;
        return 0;
    }
    m_block = static_cast<BYTE*>(
        VirtualAlloc(nullptr, kBufferCount * kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!m_block) {
        Uninitialize(0);
        return 0;
    }
    for (int i = 0; i < kBufferCount; ++i) {
        WAVEHDR& h = m_headers[i];
        std::memset(&h, 0, sizeof h);
        h.lpData = reinterpret_cast<LPSTR>(m_block + i * kBufferSize);
        h.dwBufferLength = kBufferSize;
        if (waveOutPrepareHeader(m_hWaveOut, &h, sizeof h) != MMSYSERR_NOERROR) {
            Uninitialize(0);
            return 0;
        }
    }
    return 1;
}

int CCeMWaveOutCtrl::RefillBuffers()
{
    if (!m_hWaveOut)
        return 0;
    for (int i = 0; i < kBufferCount && m_decoder; ++i) {
        WAVEHDR& h = m_headers[i];
        if (h.dwFlags & WHDR_INQUEUE)
            continue;
        DWORD length = kBufferSize;
        const int more = m_decoder->GetPCMBlock(reinterpret_cast<BYTE*>(h.lpData), &length);
        if (length > kBufferSize)
            length = kBufferSize;
        if (length) {
            h.dwBufferLength = length;
            waveOutWrite(m_hWaveOut, &h, sizeof h);
        }
        if (!more) {
            m_decoder->CloseFile();
            m_decoder = nullptr;
        }
    }
    return 1;
}

int CCeMWaveOutCtrl::SetPause(int pause)
{
    if (!m_hWaveOut)
        return 0;
    if (pause == 1) {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        waveOutPause(m_hWaveOut);
    } else {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
        waveOutRestart(m_hWaveOut);
    }
    return 1;
}

int CCeMWaveOutCtrl::IsOutputComplete()
{
    if (!m_hWaveOut)
        return 1;
    for (const WAVEHDR& h : m_headers)
        if (h.dwFlags & WHDR_INQUEUE)
            return 0;
    return 1;
}

int CCeMWaveOutCtrl::bBePlaying()
{
    return m_decoder != nullptr || !IsOutputComplete();
}

int CCeMWaveOutCtrl::Flush(int)
{
    if (!m_hWaveOut)
        return 0;
    waveOutReset(m_hWaveOut);
    return IsOutputComplete();
}

void CCeMWaveOutCtrl::Uninitialize(int)
{
    if (!m_hWaveOut)
        return;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    waveOutReset(m_hWaveOut);
    for (WAVEHDR& h : m_headers)
        if (h.dwFlags & WHDR_PREPARED)
            waveOutUnprepareHeader(m_hWaveOut, &h, sizeof h);
    if (m_block) {
        VirtualFree(m_block, 0, MEM_RELEASE);
        m_block = nullptr;
    }
    waveOutClose(m_hWaveOut);
    m_hWaveOut = nullptr;
    std::memset(m_headers, 0, sizeof m_headers);
}
