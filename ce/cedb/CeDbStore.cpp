#include "ce/cedb/CeDbStore.h"

#include <cstdio>
#include <map>
#include <mutex>

namespace cedb {

constexpr int kCounters = 256;
constexpr int kListeners = 64;

struct Store::Shared {
    volatile LONG counters[kCounters];
    volatile LONG listeners[kListeners];
};

namespace {

uint64_t Fnv64(const std::wstring& s) {
    uint64_t h = 1469598103934665603ull;
    for (wchar_t c : s) {
        h ^= static_cast<uint16_t>(c);
        h *= 1099511628211ull;
    }
    return h;
}

std::wstring ResolveFolder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"ZEN_OBJECT_STORE", buf, MAX_PATH);
    std::wstring raw = (n > 0 && n < MAX_PATH) ? std::wstring(buf, n) : L"C:\\ObjectStore";
    DWORD full = GetFullPathNameW(raw.c_str(), MAX_PATH, buf, nullptr);
    std::wstring folder = (full > 0 && full < MAX_PATH) ? std::wstring(buf, full) : raw;
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

bool MakeFolder(const std::wstring& folder) {
    if (GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    size_t cut = folder.find_last_of(L"\\/");
    if (cut != std::wstring::npos && cut > 2) MakeFolder(folder.substr(0, cut));
    return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace

std::wstring NameKey(const wchar_t* name) {
    std::wstring key(name);
    if (!key.empty()) CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

uint32_t NameHash(const std::wstring& key) { return static_cast<uint32_t>(Fnv64(key) % kCounters); }

std::wstring ListenerEventName(DWORD pid) {
    wchar_t name[64];
    swprintf(name, 64, L"Local\\ZenCeDb.Notify.%lu", static_cast<unsigned long>(pid));
    return name;
}

std::shared_ptr<Store> Store::Current() {
    static std::mutex guard;
    static std::map<std::wstring, std::shared_ptr<Store>> stores;
    std::wstring folder = ResolveFolder();
    std::lock_guard<std::mutex> lock(guard);
    auto it = stores.find(NameKey(folder.c_str()));
    if (it != stores.end()) return it->second;
    std::shared_ptr<Store> s(new Store);
    if (!s->Init(folder)) return nullptr;
    stores[NameKey(folder.c_str())] = s;
    return s;
}

bool Store::Init(const std::wstring& folder) {
    folder_ = folder;
    if (!MakeFolder(folder_)) return false;
    wchar_t name[96];
    unsigned long long h = Fnv64(NameKey(folder_.c_str()));
    swprintf(name, 96, L"Local\\ZenCeDb.Lock.%016llx", h);
    mutex_ = CreateMutexW(nullptr, FALSE, name);
    swprintf(name, 96, L"Local\\ZenCeDb.Shared.%016llx", h);
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), name);
    if (!mutex_ || !mapping_) return false;
    shared_ = static_cast<Shared*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
    return shared_ != nullptr;
}

Store::~Store() {
    if (shared_) UnmapViewOfFile(shared_);
    if (mapping_) CloseHandle(mapping_);
    if (mutex_) CloseHandle(mutex_);
}

std::wstring Store::PathForName(const wchar_t* name) const {
    // Names may hold characters a file name cannot; keep a safe set as is
    // and write the rest as %XXXX.
    std::wstring file;
    for (wchar_t c : NameKey(name)) {
        if ((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L' ' || c == L'-' || c == L'_') {
            file += c;
        } else {
            wchar_t esc[8];
            swprintf(esc, 8, L"%%%04X", static_cast<unsigned>(c));
            file += esc;
        }
    }
    return folder_ + L"\\" + file + L".cdb";
}

void Store::Lock() {
    // An abandoned lock means a process died inside a change. Its files are
    // safe (an interrupted append is ignored), but it may have died before
    // telling the others: announce a change of everything.
    if (WaitForSingleObject(mutex_, INFINITE) != WAIT_ABANDONED) return;
    for (int i = 0; i < kCounters; ++i) InterlockedIncrement(&shared_->counters[i]);
    WakeListeners();
}

void Store::Unlock() { ReleaseMutex(mutex_); }

LONG Store::Counter(uint32_t key) const { return shared_->counters[key % kCounters]; }

LONG Store::Bump(uint32_t key) { return InterlockedIncrement(&shared_->counters[key % kCounters]); }

void Store::AddListener(DWORD pid) {
    StoreLock lock(*this);
    int free = -1;
    for (int i = 0; i < kListeners; ++i) {
        if (static_cast<DWORD>(shared_->listeners[i]) == pid) return;
        if (shared_->listeners[i] == 0 && free < 0) free = i;
    }
    if (free >= 0) shared_->listeners[free] = static_cast<LONG>(pid);
}

void Store::WakeListeners() {
    for (int i = 0; i < kListeners; ++i) {
        DWORD pid = static_cast<DWORD>(shared_->listeners[i]);
        if (pid == 0) continue;
        HANDLE ev = OpenEventW(EVENT_MODIFY_STATE, FALSE, ListenerEventName(pid).c_str());
        if (!ev) {
            // That process is gone.
            InterlockedCompareExchange(&shared_->listeners[i], 0, static_cast<LONG>(pid));
            continue;
        }
        SetEvent(ev);
        CloseHandle(ev);
    }
}

}  // namespace cedb
