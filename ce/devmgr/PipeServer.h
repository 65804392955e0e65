#pragma once
// Serves a named pipe: one listening instance at all times and one thread per
// connected client, so a client blocked in a long call never holds up another.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace cedev {

class PipeServer {
public:
    // Runs on the connection's own thread until the client goes away or the
    // server stops (`stop` is signalled then; pass it to PipeRead/PipeWrite).
    using Handler = std::function<void(HANDLE pipe, HANDLE stop)>;

    PipeServer() = default;
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    // `exclusive`: fail when another server already owns the name.
    bool Start(const std::wstring& name, Handler handler, bool exclusive = false);
    // Stops listening, tells every connection to end and waits for them up to
    // `waitMs`. FALSE when some connection thread was still busy then.
    bool Stop(DWORD waitMs = 3000);
    // How the listening instances after the first are made (tests stand in a
    // failing one); set before Start.
    void SetInstanceFactory(std::function<HANDLE()> create) { createInstance_ = std::move(create); }

private:
    static DWORD WINAPI ListenThread(LPVOID self);
    static DWORD WINAPI ConnectionThread(LPVOID arg);
    void Listen();
    void Reap();

    std::wstring name_;
    Handler handler_;
    HANDLE stop_ = nullptr;
    HANDLE listener_ = nullptr;
    HANDLE instance_ = INVALID_HANDLE_VALUE;
    std::function<HANDLE()> createInstance_;
    std::mutex lock_;
    std::vector<HANDLE> threads_;
};

}  // namespace cedev
