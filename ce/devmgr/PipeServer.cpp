#include "ce/devmgr/PipeServer.h"

#include "ce/devmgr/PipeIo.h"

namespace cedev {
namespace {

// Pause between attempts to create a listening instance that failed.
constexpr DWORD kRetryMs = 50;

struct Connection {
    PipeServer::Handler handler;
    HANDLE pipe;
    HANDLE stop;
};

}  // namespace

PipeServer::~PipeServer()
{
    Stop();
}

bool PipeServer::Start(const std::wstring& name, Handler handler, bool exclusive)
{
    name_ = name;
    handler_ = std::move(handler);
    instance_ = PipeCreateInstance(name_, exclusive);
    if (instance_ == INVALID_HANDLE_VALUE)
        return false;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    listener_ = CreateThread(nullptr, 0, ListenThread, this, 0, nullptr);
    if (!listener_) {
        ::CloseHandle(instance_);
        instance_ = INVALID_HANDLE_VALUE;
        return false;
    }
    return true;
}

bool PipeServer::Stop(DWORD waitMs)
{
    if (!listener_)
        return true;
    SetEvent(stop_);
    WaitForSingleObject(listener_, INFINITE);
    ::CloseHandle(listener_);
    listener_ = nullptr;

    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> hold(lock_);
        threads.swap(threads_);
    }
    bool all = true;
    DWORD start = GetTickCount();
    for (HANDLE t : threads) {
        DWORD spent = GetTickCount() - start;
        if (WaitForSingleObject(t, spent < waitMs ? waitMs - spent : 0) != WAIT_OBJECT_0)
            all = false;  // a driver call that never returns: leave its thread be
        ::CloseHandle(t);
    }
    // A thread still running uses stop_; keep the event then.
    if (all)
        ::CloseHandle(stop_);
    stop_ = nullptr;
    return all;
}

DWORD WINAPI PipeServer::ListenThread(LPVOID self)
{
    static_cast<PipeServer*>(self)->Listen();
    return 0;
}

DWORD WINAPI PipeServer::ConnectionThread(LPVOID arg)
{
    Connection* c = static_cast<Connection*>(arg);
    c->handler(c->pipe, c->stop);
    DisconnectNamedPipe(c->pipe);
    ::CloseHandle(c->pipe);
    delete c;
    return 0;
}

void PipeServer::Reap()
{
    std::lock_guard<std::mutex> hold(lock_);
    for (size_t i = 0; i < threads_.size();) {
        if (WaitForSingleObject(threads_[i], 0) == WAIT_OBJECT_0) {
            ::CloseHandle(threads_[i]);
            threads_.erase(threads_.begin() + i);
        } else {
            ++i;
        }
    }
}

void PipeServer::Listen()
{
    HANDLE connected = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    bool told = false;
    for (;;) {
        if (instance_ == INVALID_HANDLE_VALUE) {
            // No instance to listen on (out of handles, say): clients find the
            // name busy meanwhile; try again until it works or we stop.
            instance_ = createInstance_ ? createInstance_() : PipeCreateInstance(name_, false);
            if (instance_ == INVALID_HANDLE_VALUE) {
                if (!told) {
                    wchar_t text[320];
                    wsprintfW(text, L"devmgr: cannot create an instance of %s (error %lu); retrying\n",
                              name_.c_str(), GetLastError());
                    OutputDebugStringW(text);
                    told = true;
                }
                if (WaitForSingleObject(stop_, kRetryMs) == WAIT_OBJECT_0)
                    break;
                continue;
            }
            told = false;
        }
        OVERLAPPED ov{};
        ov.hEvent = connected;
        ResetEvent(connected);
        bool ok = ConnectNamedPipe(instance_, &ov) != FALSE;
        DWORD err = ok ? 0 : GetLastError();
        if (!ok && err == ERROR_IO_PENDING) {
            HANDLE waits[2] = {connected, stop_};
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIoEx(instance_, &ov);
                DWORD dummy;
                GetOverlappedResult(instance_, &ov, &dummy, TRUE);
                break;
            }
            DWORD dummy;
            ok = GetOverlappedResult(instance_, &ov, &dummy, FALSE) != FALSE;
        } else if (!ok && err == ERROR_PIPE_CONNECTED) {
            ok = true;
        }
        if (WaitForSingleObject(stop_, 0) == WAIT_OBJECT_0)
            break;
        HANDLE client = instance_;
        // The next instance exists before this one is handed on, so a client
        // never finds the name gone (only busy for a moment).
        instance_ = createInstance_ ? createInstance_() : PipeCreateInstance(name_, false);
        if (!ok) {
            ::CloseHandle(client);
            continue;
        }
        Reap();
        Connection* c = new Connection{handler_, client, stop_};
        HANDLE t = CreateThread(nullptr, 0, ConnectionThread, c, 0, nullptr);
        if (!t) {
            ::CloseHandle(client);
            delete c;
            continue;
        }
        std::lock_guard<std::mutex> hold(lock_);
        threads_.push_back(t);
    }
    if (instance_ != INVALID_HANDLE_VALUE) {
        ::CloseHandle(instance_);
        instance_ = INVALID_HANDLE_VALUE;
    }
    ::CloseHandle(connected);
}

}  // namespace cedev
