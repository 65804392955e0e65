#pragma once
// The object store: the folder that holds one file per database, the lock
// and the shared counters that the processes using that folder agree on.
//
// The folder is the value of the environment variable ZEN_OBJECT_STORE when
// set (tests give each run its own), else C:\ObjectStore of the Wine prefix.
#include <windows.h>

#include <memory>
#include <string>

namespace cedb {

class Store {
public:
    // The store of the current folder; null when it cannot be set up.
    static std::shared_ptr<Store> Current();

    const std::wstring& Folder() const { return folder_; }
    // Path of the database file for a (case-insensitive) database name.
    std::wstring PathForName(const wchar_t* name) const;

    // The cross-process lock around every file access. Recursive (a mutex).
    void Lock();
    void Unlock();

    // Change counter of the databases whose name hashes to `key`; bumped
    // after every committed change, read without the lock.
    LONG Counter(uint32_t key) const;
    LONG Bump(uint32_t key);

    // Processes that want change notifications: each has a named event
    // that writers set after a commit.
    void AddListener(DWORD pid);
    void WakeListeners();

    ~Store();

private:
    Store() = default;
    bool Init(const std::wstring& folder);

    struct Shared;
    std::wstring folder_;
    HANDLE mutex_ = nullptr;
    HANDLE mapping_ = nullptr;
    Shared* shared_ = nullptr;
};

class StoreLock {
public:
    explicit StoreLock(Store& s) : s_(s) { s_.Lock(); }
    ~StoreLock() { s_.Unlock(); }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    Store& s_;
};

// Lower-cased name, the key of a database in a store.
std::wstring NameKey(const wchar_t* name);
uint32_t NameHash(const std::wstring& key);
// Name of the event a listening process waits on.
std::wstring ListenerEventName(DWORD pid);

}  // namespace cedb
