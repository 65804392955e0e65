#include "audio/CCeMWndThread.h"

namespace {
const wchar_t kClassName[] = L"CCEMWNDTHREAD";
const int kPostAttempts = 6;
const DWORD kPostRetryMs = 200;
}  // namespace

CCeMWndThread::CCeMWndThread()
    : m_hWnd(nullptr), m_hInstance(nullptr), m_hOwner(nullptr), m_notifyId(0), m_hThread(nullptr),
      m_threadId(DWORD(-1)), m_hQueueReady(nullptr)
{
}

CCeMWndThread::~CCeMWndThread()
{
    // The thread runs on this object: it ends before the memory goes.
    if (m_hThread) {
        m_hOwner = nullptr;
        const UINT end = WM_USER + 1;
        PostAndJoin(&end, 1);
    }
    if (m_hThread)
        CloseHandle(m_hThread);
    if (m_hQueueReady)
        CloseHandle(m_hQueueReady);
}

void CCeMWndThread::Delete()
{
    delete this;
}

int CCeMWndThread::WndRegisterClass()
{
    WNDCLASSW wc = {};
    wc.style = 11;  // CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS
    wc.lpfnWndProc = HiddenWndProc;
    wc.hInstance = m_hInstance;
    wc.lpszClassName = kClassName;
    if (RegisterClassW(&wc))
        return 1;
    // Several players, or a second start, share the one class.
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void CCeMWndThread::WndUnRegisterClass()
{
    UnregisterClassW(kClassName, m_hInstance);
}

int CCeMWndThread::CreateWnd()
{
    if (m_hWnd)
        return 0;
    // No parent notifications: the owner's thread may be waiting for this one to end.
    HWND parent = m_hOwner ? m_hOwner : HWND_MESSAGE;
    m_hWnd = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kClassName, L"", WS_CHILD, 0, 0, 0, 0, parent,
                             nullptr, m_hInstance, nullptr);
    if (!m_hWnd) {
        SendNotifyCode(kNotifyWndFailed);
        return 0;
    }
    SendNotifyCode(kNotifyWndCreated);
    return 1;
}

void CCeMWndThread::PreCreate() {}

void CCeMWndThread::PostDestroy() {}

int CCeMWndThread::ProcThreadMsg(UINT message, WPARAM, LPARAM)
{
    return message == WM_USER + 1 ? 0 : 1;
}

int CCeMWndThread::Run()
{
    MSG msg = {};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        if (msg.hwnd) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        } else if (!ProcThreadMsg(msg.message, msg.wParam, msg.lParam)) {
            break;
        }
    }
    if (m_hWnd) {
        DestroyWindow(m_hWnd);
        m_hWnd = nullptr;
    }
    SendNotifyCode(kNotifyLoopEnded);
    PostDestroy();
    return int(msg.wParam);
}

int CCeMWndThread::CreateThread(HINSTANCE instance, UINT notifyId, HWND owner)
{
    if (m_hThread)
        return 0;
    m_hInstance = instance;
    m_notifyId = notifyId;
    m_hOwner = owner;
    if (!m_hQueueReady)
        m_hQueueReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(m_hQueueReady);
    DWORD id = 0;
    m_hThread = ::CreateThread(nullptr, 0, ThreadEntry, this, 0, &id);
    if (!m_hThread)
        return 0;
    m_threadId = id;
    // Commands posted right after this call must not be lost: wait until the
    // thread has its message queue (or has ended).
    HANDLE waitFor[2] = {m_hQueueReady, m_hThread};
    WaitForMultipleObjects(m_hQueueReady ? 2 : 1, m_hQueueReady ? waitFor : &m_hThread, FALSE, 5000);
    return 1;
}

int CCeMWndThread::DestroyThread()
{
    if (!m_hThread)
        return 0;
    m_hOwner = nullptr;
    const UINT end = WM_USER + 1;
    PostAndJoin(&end, 1);
    return 1;
}

bool CCeMWndThread::PostAndJoin(const UINT* messages, int count)
{
    if (!m_hThread)
        return true;
    int attempts = 0;
    bool posted = false;
    for (;;) {
        if (!posted) {
            posted = true;
            for (int i = 0; i < count && posted; ++i)
                posted = PostThreadMessageW(m_threadId, messages[i], 0, 0) != 0;
            // A queue that keeps refusing: the caller's own loop is told to end,
            // but this object still waits for its thread.
            if (!posted && ++attempts == kPostAttempts)
                PostQuitMessage(0);
        }
        if (GetCurrentThreadId() == m_threadId)
            return false;  // called on the thread itself: it ends when this returns
        if (WaitForThreadEnd(posted ? INFINITE : kPostRetryMs)) {
            ForgetThread();
            return true;
        }
        if (posted)
            return false;  // the wait itself failed
    }
}

DWORD CCeMWndThread::GetThreadID()
{
    return m_threadId;
}

int CCeMWndThread::SendNotifyCode(int code)
{
    HWND owner = m_hOwner;
    if (!owner)
        return 0;
    const WPARAM wp = (WPARAM(code) << 16) | (m_notifyId & 0xFFFF);
    PostMessageW(owner, WM_COMMAND, wp, reinterpret_cast<LPARAM>(m_hWnd));
    return 1;
}

bool CCeMWndThread::WaitForThreadEnd(DWORD timeoutMs)
{
    if (!m_hThread || GetCurrentThreadId() == m_threadId)
        return false;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (timeoutMs != INFINITE && spent >= timeoutMs)
            return false;
        const DWORD r = MsgWaitForMultipleObjects(1, &m_hThread, FALSE,
                                                  timeoutMs == INFINITE ? INFINITE : timeoutMs - spent,
                                                  QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return true;
        if (r != WAIT_OBJECT_0 + 1)
            return false;
        // Serve messages the player's window sends to ours; leave posted ones queued.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CCeMWndThread::ForgetThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
    m_hThread = nullptr;
    m_threadId = DWORD(-1);
}

DWORD WINAPI CCeMWndThread::ThreadEntry(LPVOID param)
{
    CCeMWndThread* self = static_cast<CCeMWndThread*>(param);
    self->PreCreate();
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    if (self->m_hQueueReady)
        SetEvent(self->m_hQueueReady);
    self->WndRegisterClass();
    if (!self->CreateWnd())
        return DWORD(-1);
    return DWORD(self->Run());
}

LRESULT CALLBACK CCeMWndThread::HiddenWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
