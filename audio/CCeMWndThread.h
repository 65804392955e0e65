#pragma once
// A thread with its own message loop and a hidden window; tells an owner window
// what happens by posted WM_COMMAND notifications.
#include "audio/MeloxApi.h"

class MELOX_API CCeMWndThread {
public:
    enum {
        kNotifyWndCreated = 100,
        kNotifyWndFailed = 101,
        kNotifyLoopEnded = 102,
    };

    CCeMWndThread();
    virtual ~CCeMWndThread();

    virtual void Delete();
    virtual int WndRegisterClass();
    virtual void WndUnRegisterClass();
    virtual int CreateWnd();
    virtual void PreCreate();
    virtual void PostDestroy();
    // Returns 0 to end the loop.
    virtual int ProcThreadMsg(UINT message, WPARAM wParam, LPARAM lParam);
    virtual int Run();
    virtual int CreateThread(HINSTANCE instance, UINT notifyId, HWND owner);
    virtual int DestroyThread();

    DWORD GetThreadID();
    int SendNotifyCode(int code);

    CCeMWndThread(const CCeMWndThread&) = delete;
    CCeMWndThread& operator=(const CCeMWndThread&) = delete;

protected:
    // Waits for the thread to end while serving messages sent to this thread.
    bool WaitForThreadEnd(DWORD timeoutMs);
    // After the thread has ended: drops its handle, so a new one may be started.
    void ForgetThread();
    // Posts the messages to the thread (again every 200 ms while its queue
    // refuses them) and waits, however long, until it has ended, serving
    // messages sent to this thread meanwhile. True once it has ended.
    bool PostAndJoin(const UINT* messages, int count);

    HWND m_hWnd;
    HINSTANCE m_hInstance;
    HWND volatile m_hOwner;
    UINT m_notifyId;
    HANDLE m_hThread;
    DWORD m_threadId;
    HANDLE m_hQueueReady;  // set once the thread can take posted messages

private:
    static DWORD WINAPI ThreadEntry(LPVOID self);
    static LRESULT CALLBACK HiddenWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
