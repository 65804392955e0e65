#include "ce/serial/HostPortBackend.h"
#include "ce/serial/LoopbackBackend.h"
#include "ce/serial/SerialBackend.h"

namespace zenserial {

ReaderThread::~ReaderThread()
{
    Stop();
    if (stop_)
        CloseHandle(stop_);
}

bool ReaderThread::Start(std::function<void(HANDLE stop)> loop)
{
    loop_ = std::move(loop);
    if (!stop_)
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(stop_);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    return thread_ != nullptr;
}

void ReaderThread::Stop()
{
    if (stop_)
        SetEvent(stop_);
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

DWORD WINAPI ReaderThread::Run(LPVOID self)
{
    ReaderThread* t = static_cast<ReaderThread*>(self);
    t->loop_(t->stop_);
    return 0;
}

std::unique_ptr<SerialBackend> CreateBackend(const std::wstring& link)
{
    if (link.empty())
        return nullptr;
    if (link.compare(0, 4, L"sim:") == 0)
        return std::make_unique<LoopbackBackend>(link.substr(4));
    return std::make_unique<HostPortBackend>(link);
}

}  // namespace zenserial
