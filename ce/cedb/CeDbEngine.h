#pragma once
// Process-wide state of the engine: open handles and the databases they
// share, and the thread that delivers change notifications.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "ce/cedb/CeDbFile.h"

namespace cedb {

struct DbHandle {
    HANDLE ours = nullptr;  // our copy of the object behind the caller's handle
    std::shared_ptr<Database> db;
    int sort = -1;
    DWORD flags = 0;
    // Current position: an index into the order, and the record there, so
    // the position survives changes to the order.
    size_t pos = 0;
    CEOID posOid = 0;
    uint64_t posVersion = ~0ull;
    bool notify = false;
    CENOTIFYREQUEST request{};
    uint64_t lastSeq = 0;
};

class Engine {
public:
    static Engine& Get();

    // Every engine call holds this for its whole length.
    void Enter() { EnterCriticalSection(&cs_); }
    void Leave() { LeaveCriticalSection(&cs_); }

    // The database of this name in the current store, loaded or brought up to date.
    DWORD OpenDb(const std::shared_ptr<Store>& store, const wchar_t* name, std::shared_ptr<Database>& out);
    void ForgetDb(const std::shared_ptr<Database>& db);
    std::shared_ptr<Database> CachedByOid(Store& store, CEOID oid);

    // Makes a handle that the caller closes with CloseHandle.
    HANDLE AddHandle(std::unique_ptr<DbHandle> h);
    DbHandle* Find(HANDLE h);
    // Whether the caller still holds the handle (checked before writes; reads
    // skip it for speed and rely on the reaping at every open).
    bool StillOpen(HANDLE h);
    // Drops handles whose caller's copy was closed.
    void Reap();
    bool IsOpen(const Database* db);

    void StartNotifications(Store& store);

private:
    Engine();
    static DWORD WINAPI WatchThread(void* self);
    void Deliver();
    void Drop(std::map<HANDLE, std::unique_ptr<DbHandle>>::iterator it);

    CRITICAL_SECTION cs_;
    std::map<HANDLE, std::unique_ptr<DbHandle>> handles_;
    std::map<std::wstring, std::shared_ptr<Database>> dbs_;
    HANDLE wake_ = nullptr;
    HANDLE thread_ = nullptr;
};

class EngineLock {
public:
    EngineLock() { Engine::Get().Enter(); }
    ~EngineLock() { Engine::Get().Leave(); }
    EngineLock(const EngineLock&) = delete;
    EngineLock& operator=(const EngineLock&) = delete;
};

}  // namespace cedb
