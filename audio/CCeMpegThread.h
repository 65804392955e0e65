#pragma once
// The player: plays one MP3 or WAV file at a time on a thread of its own. Every
// command is posted and returns at once; the thread reports by notifications.
#include "audio/CCeMWaveOutCtrl.h"
#include "audio/CCeMWavDecoder.h"
#include "audio/CCeMWndThread.h"
#include "audio/CCeMpegDecoder.h"

class MELOX_API CCeMpegThread : public CCeMWndThread {
public:
    enum Message {
        kMsgOpen = WM_USER + 1,
        kMsgNone = WM_USER + 2,
        kMsgPlay = WM_USER + 3,
        kMsgSeek = WM_USER + 4,
        kMsgStop = WM_USER + 5,
        kMsgPause = WM_USER + 6,
    };
    enum Notification {
        kNotifyOpened = 201,
        kNotifyOpenFailed = 202,
        kNotifyPlaying = 203,
        kNotifyStopped = 204,
        kNotifyPaused = 205,
        kNotifySought = 206,
        kNotifyRefilled = 207,
        kNotifyFinished = 208,
        // The stream changed its sample rate or channel count part way (joined
        // files): the sound before the change plays out, then 208 follows.
        kNotifyFormatChanged = 209,
    };
    enum State { kStopped = 0, kOpened = 1, kPlaying = 2, kPaused = 3, kSought = 4 };

    CCeMpegThread();
    ~CCeMpegThread() override;

    int Open(const wchar_t* path);
    int Play();
    int Stop();
    int Pause();
    // Seek to numerator / denominator of the whole length (both below 65536).
    int Seek(int numerator, int denominator);
    int bBePlaying();
    int GetState();

    void Delete() override;
    void PreCreate() override;
    void PostDestroy() override;
    int ProcThreadMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    int DestroyThread() override;

protected:
    int OnOpenFile(const wchar_t* path);
    int OnPlay();
    int OnStop();
    int OnPause();
    int OnSeek(int numerator, int denominator);
    int ReadyToPlay();
    void RefillAndSoundOut();

private:
    int Post(UINT message, WPARAM wParam = 0);

    CCeMWaveOutCtrl m_waveOut;
    CCeMpegDecoder m_mpeg;
    CCeMWavDecoder m_wav;
    volatile int m_state;
    wchar_t m_path[MAX_PATH];
};
