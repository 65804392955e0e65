#include "ce/cedb/CeDbEngine.h"

#include <winternl.h>

#include <algorithm>
#include <set>

namespace cedb {
namespace {

struct BasicInfo {
    ULONG attributes;
    ACCESS_MASK access;
    ULONG handleCount;
    ULONG pointerCount;
    ULONG reserved[10];
};

// Handles to the object; 1 means only ours is left.
ULONG HandleCount(HANDLE h) {
    BasicInfo info{};
    ULONG len = 0;
    if (NtQueryObject(h, static_cast<OBJECT_INFORMATION_CLASS>(0), &info, sizeof info, &len) < 0) return 0;
    return info.handleCount;
}

}  // namespace

Engine& Engine::Get() {
    // Never destroyed: the notification thread may still run at exit.
    static Engine* engine = new Engine;
    return *engine;
}

Engine::Engine() { InitializeCriticalSection(&cs_); }

DWORD Engine::OpenDb(const std::shared_ptr<Store>& store, const wchar_t* name, std::shared_ptr<Database>& out) {
    std::wstring key = store->Folder() + L"|" + NameKey(name);
    auto it = dbs_.find(key);
    // A database found gone or damaged earlier is not what the name holds
    // now: whatever is there (made anew, perhaps by another program a
    // moment ago) is read afresh.
    if (it != dbs_.end() && !it->second->Usable()) {
        dbs_.erase(it);
        it = dbs_.end();
    }
    if (it != dbs_.end()) {
        DWORD err = it->second->Verify();
        if (!err) {
            out = it->second;
            return 0;
        }
        dbs_.erase(it);
        if (err != ERROR_INVALID_HANDLE) return err;
    }
    DWORD err = Database::Load(store, name, out);
    if (!err) dbs_[key] = out;
    return err;
}

void Engine::ForgetDb(const std::shared_ptr<Database>& db) {
    for (auto it = dbs_.begin(); it != dbs_.end(); ++it)
        if (it->second == db) {
            dbs_.erase(it);
            return;
        }
}

std::shared_ptr<Database> Engine::CachedByOid(Store& store, CEOID oid) {
    for (auto& d : dbs_)
        if (d.second->Owner() == &store && d.second->Oid() == oid && d.second->Usable()) return d.second;
    return nullptr;
}

HANDLE Engine::AddHandle(std::unique_ptr<DbHandle> h) {
    // The caller's handle is a duplicate of an event of ours: CloseHandle
    // works on it, and the event's handle count tells when it was closed.
    HANDLE ours = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE theirs = nullptr;
    if (!ours) return INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(GetCurrentProcess(), ours, GetCurrentProcess(), &theirs, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        CloseHandle(ours);
        return INVALID_HANDLE_VALUE;
    }
    auto old = handles_.find(theirs);
    if (old != handles_.end()) Drop(old);  // a closed handle whose value came back
    h->ours = ours;
    if (h->notify) {
        h->db->listeners++;
        h->lastSeq = h->db->LastChangeSeq();
    }
    handles_[theirs] = std::move(h);
    return theirs;
}

DbHandle* Engine::Find(HANDLE h) {
    auto it = handles_.find(h);
    return it == handles_.end() ? nullptr : it->second.get();
}

bool Engine::StillOpen(HANDLE h) {
    auto it = handles_.find(h);
    if (it == handles_.end()) return false;
    if (HandleCount(it->second->ours) > 1) return true;
    Drop(it);
    return false;
}

void Engine::Drop(std::map<HANDLE, std::unique_ptr<DbHandle>>::iterator it) {
    DbHandle& h = *it->second;
    if (h.notify) h.db->listeners--;
    CloseHandle(h.ours);
    handles_.erase(it);
}

void Engine::Reap() {
    for (auto it = handles_.begin(); it != handles_.end();) {
        auto next = std::next(it);
        if (HandleCount(it->second->ours) <= 1) Drop(it);
        it = next;
    }
}

bool Engine::IsOpen(const Database* db) {
    for (auto& h : handles_)
        if (h.second->db.get() == db) return true;
    return false;
}

void Engine::StartNotifications(Store& store) {
    if (!wake_) {
        wake_ = CreateEventW(nullptr, FALSE, FALSE, ListenerEventName(GetCurrentProcessId()).c_str());
        if (wake_) thread_ = CreateThread(nullptr, 0, WatchThread, this, 0, nullptr);
    }
    store.AddListener(GetCurrentProcessId());
}

DWORD WINAPI Engine::WatchThread(void* self) {
    Engine* e = static_cast<Engine*>(self);
    for (;;) {
        // The timeout also notices handles closed by their owners.
        WaitForSingleObject(e->wake_, 1000);
        EngineLock lock;
        e->Deliver();
    }
    return 0;
}

void Engine::Deliver() {
    Reap();
    std::set<Database*> checked;
    for (auto& entry : handles_) {
        DbHandle& h = *entry.second;
        if (!h.notify) continue;
        // Picks up other processes' changes into the log; once a second the
        // file itself is looked at too, as one removed or replaced by hand
        // announces nothing.
        if (checked.insert(h.db.get()).second)
            h.db->Verify();
        else
            h.db->Sync();
        for (const Change& c : h.db->Changes()) {
            if (c.seq <= h.lastSeq) continue;
            h.lastSeq = c.seq;
            CEOID parent = c.type == DB_CEOID_DATABASE_DELETED ? 0 : h.db->Oid();
            if (!(h.request.dwFlags & CEDB_EXNOTIFICATION)) {
                PostMessageW(h.request.hwnd, c.type, c.oid, parent);
                continue;
            }
            HANDLE heap = h.request.hHeap ? h.request.hHeap : GetProcessHeap();
            auto* n = static_cast<CENOTIFICATION*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(CENOTIFICATION)));
            if (!n) continue;
            n->dwSize = sizeof(CENOTIFICATION);
            n->dwParam = h.request.dwParam;
            n->uType = c.type;
            n->oid = c.oid;
            n->oidParent = parent;
            if (!PostMessageW(h.request.hwnd, WM_DBNOTIFICATION, 0, reinterpret_cast<LPARAM>(n))) HeapFree(heap, 0, n);
        }
    }
    // Keep only what some listening handle has not seen yet.
    std::map<Database*, uint64_t> seen;
    for (auto& entry : handles_) {
        DbHandle& h = *entry.second;
        if (!h.notify) continue;
        auto it = seen.find(h.db.get());
        seen[h.db.get()] = it == seen.end() ? h.lastSeq : std::min(it->second, h.lastSeq);
    }
    for (auto& d : dbs_) {
        auto it = seen.find(d.second.get());
        d.second->TrimChanges(it == seen.end() ? d.second->LastChangeSeq() : it->second);
    }
}

}  // namespace cedb
