#include "audio/CCeMpegThread.h"

#include <cwchar>

namespace {
bool EndsWith(const wchar_t* path, const wchar_t* ext)
{
    const size_t n = wcslen(path);
    return n >= 3 && _wcsicmp(path + n - 3, ext) == 0;
}
}  // namespace

CCeMpegThread::CCeMpegThread() : m_state(kStopped)
{
    m_path[0] = L'\0';
}

CCeMpegThread::~CCeMpegThread()
{
    // The thread uses this object: it must have ended before the memory goes.
    if (m_hThread)
        DestroyThread();
}

void CCeMpegThread::Delete()
{
    delete this;
}

int CCeMpegThread::Post(UINT message, WPARAM wParam)
{
    if (m_threadId == DWORD(-1))
        return 0;
    return PostThreadMessageW(m_threadId, message, wParam, 0) ? 1 : 0;
}

int CCeMpegThread::Open(const wchar_t* path)
{
    if (path) {
        // Kept within the buffer and always terminated, whatever the caller passes.
        wcsncpy(m_path, path, MAX_PATH - 1);
        m_path[MAX_PATH - 1] = L'\0';
    }
    return Post(kMsgOpen);
}

int CCeMpegThread::Play()
{
    return Post(kMsgPlay);
}

int CCeMpegThread::Stop()
{
    return Post(kMsgStop);
}

int CCeMpegThread::Pause()
{
    return Post(kMsgPause);
}

int CCeMpegThread::Seek(int numerator, int denominator)
{
    if (numerator < 0 || numerator > 0xFFFF || denominator < 1 || denominator > 0xFFFF)
        return 0;
    return Post(kMsgSeek, (WPARAM(numerator) << 16) | WPARAM(denominator));
}

int CCeMpegThread::bBePlaying()
{
    return m_waveOut.bBePlaying();
}

int CCeMpegThread::GetState()
{
    return m_state;
}

void CCeMpegThread::PreCreate()
{
    m_mpeg.Initialize();
    m_wav.Initialize();
    m_path[0] = L'\0';
    // The first wave-out call of a process loads the sound driver (tens of
    // milliseconds); pay for it now rather than on the first ring.
    waveOutGetNumDevs();
}

void CCeMpegThread::PostDestroy()
{
    m_waveOut.SetDecoder(nullptr);
    m_waveOut.Uninitialize(0);
    m_mpeg.Uninitialize();
    m_wav.Uninitialize();
}

int CCeMpegThread::ProcThreadMsg(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case MM_WOM_DONE:
        RefillAndSoundOut();
        return 1;
    case kMsgOpen: {
        wchar_t path[MAX_PATH];
        wcsncpy(path, m_path, MAX_PATH - 1);
        path[MAX_PATH - 1] = L'\0';
        OnOpenFile(path);
        return 1;
    }
    case kMsgNone:
        return 1;
    case kMsgPlay:
        OnPlay();
        return 1;
    case kMsgSeek:
        OnSeek(int((wParam >> 16) & 0xFFFF), int(wParam & 0xFFFF));
        return 1;
    case kMsgStop:
        OnStop();
        return 1;
    case kMsgPause:
        OnPause();
        return 1;
    default:
        return CCeMWndThread::ProcThreadMsg(message, wParam, lParam);
    }
}

int CCeMpegThread::OnOpenFile(const wchar_t* path)
{
    CCeMDecoder* decoder = nullptr;
    if (EndsWith(path, L"MP3"))
        decoder = &m_mpeg;
    else if (EndsWith(path, L"WAV"))
        decoder = &m_wav;
    if (!decoder) {
        SendNotifyCode(kNotifyOpenFailed);
        return 0;
    }
    // Examining a file may read far into it: never at the priority that
    // protects running output from the user interface.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    // A new open replaces whatever was playing: detach and close the old file first.
    if (CCeMDecoder* old = m_waveOut.GetAppropriateDecoder()) {
        m_waveOut.SetDecoder(nullptr);
        old->CloseFile();
    }
    if (m_waveOut.IsWaveOutActive())
        m_waveOut.Uninitialize(0);
    decoder->CloseFile();
    const int ok = decoder->OpenFile(path);
    if (ok) {
        m_waveOut.SetDecoder(decoder);
        m_state = kOpened;
        SendNotifyCode(kNotifyOpened);
    } else {
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        m_state = kStopped;
        SendNotifyCode(kNotifyOpenFailed);
    }
    return ok;
}

int CCeMpegThread::OnPlay()
{
    if (!m_waveOut.GetAppropriateDecoder())
        return 1;
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    if (!m_waveOut.IsWaveOutActive() && !ReadyToPlay()) {
        // No device for this format: give the file up rather than hold it attached.
        CCeMDecoder* decoder = m_waveOut.GetAppropriateDecoder();
        m_waveOut.SetDecoder(nullptr);
        decoder->CloseFile();
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
        m_state = kStopped;
        SendNotifyCode(kNotifyStopped);
        return 0;
    }
    m_waveOut.SetPause(0);
    m_state = kPlaying;
    SendNotifyCode(kNotifyPlaying);
    RefillAndSoundOut();
    return 1;
}

int CCeMpegThread::ReadyToPlay()
{
    CCeMDecoder* decoder = m_waveOut.GetAppropriateDecoder();
    if (!decoder)
        return 0;
    CCeAudioFileInfo info;
    decoder->GetFileInfo(&info);
    return m_waveOut.ReadyToStart(&info, GetCurrentThreadId());
}

void CCeMpegThread::RefillAndSoundOut()
{
    if (!m_waveOut.IsWaveOutActive())
        return;
    if (CCeMDecoder* decoder = m_waveOut.GetAppropriateDecoder()) {
        m_waveOut.RefillBuffers();
        SendNotifyCode(kNotifyRefilled);
        if (!m_waveOut.GetAppropriateDecoder() && decoder == &m_mpeg && m_mpeg.bFormatChanged())
            SendNotifyCode(kNotifyFormatChanged);
        if (m_waveOut.GetAppropriateDecoder() && m_waveOut.IsOutputComplete()) {
            // The decoder is crossing a long stretch without sound and nothing is
            // queued, so no buffer will come back to drive the next refill. Come
            // back through the queue, where commands get their turn, and at
            // normal priority: there is no output to protect.
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
            PostThreadMessageW(GetCurrentThreadId(), MM_WOM_DONE, 0, 0);
            return;
        }
        if (m_state == kPlaying || m_state == kSought)
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }
    if (m_waveOut.bBePlaying())
        return;
    m_waveOut.Uninitialize(0);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    SendNotifyCode(kNotifyFinished);
}

int CCeMpegThread::OnStop()
{
    if (CCeMDecoder* decoder = m_waveOut.GetAppropriateDecoder()) {
        m_waveOut.SetDecoder(nullptr);
        decoder->CloseFile();
    }
    m_waveOut.Uninitialize(0);
    m_state = kStopped;
    SendNotifyCode(kNotifyStopped);
    return 1;
}

int CCeMpegThread::OnPause()
{
    if (m_waveOut.IsWaveOutActive())
        m_waveOut.SetPause(1);
    m_state = kPaused;
    SendNotifyCode(kNotifyPaused);
    return 1;
}

int CCeMpegThread::OnSeek(int numerator, int denominator)
{
    if (!m_waveOut.IsWaveOutActive())
        return 0;
    // Only a seek that happened throws the queued sound away: a decoder that
    // cannot seek (WAV), a fraction without a denominator or a file that has
    // already been read to its end keep playing as they were.
    CCeMDecoder* decoder = m_waveOut.GetAppropriateDecoder();
    if (!decoder || !decoder->Seek(numerator, denominator))
        return 0;
    m_waveOut.Flush(0);
    m_state = kSought;
    SendNotifyCode(kNotifySought);
    return 1;
}

int CCeMpegThread::DestroyThread()
{
    if (!m_hThread)
        return 0;
    // Stop and end on the player's own thread (its open message cannot end the
    // loop), then wait until it has ended, so the object may be deleted afterwards.
    m_hOwner = nullptr;
    const UINT end[] = {kMsgStop, WM_QUIT};
    PostAndJoin(end, 2);
    m_state = kStopped;
    return 1;
}
