#include "ce/devmgr/StreamDriver.h"

namespace cedev {
namespace {

template <typename T>
bool Resolve(HMODULE m, const std::wstring& prefix, const char* entry, T& fn)
{
    std::string name(prefix.begin(), prefix.end());
    name += entry;
    fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name.c_str())));
    return fn != nullptr;
}

}  // namespace

bool StreamDriver::Load(const std::wstring& dll, const std::wstring& prefix)
{
    module = LoadLibraryW(dll.c_str());
    if (!module) {
        // Drivers live beside the device manager's program.
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring dir(path, n);
        dir.erase(dir.find_last_of(L"\\/") + 1);
        module = LoadLibraryW((dir + dll).c_str());
    }
    if (!module)
        return false;
    bool ok = Resolve(module, prefix, "_Init", Init) && Resolve(module, prefix, "_Deinit", Deinit) &&
              Resolve(module, prefix, "_Open", Open) && Resolve(module, prefix, "_Close", Close) &&
              Resolve(module, prefix, "_Read", Read) && Resolve(module, prefix, "_Write", Write) &&
              Resolve(module, prefix, "_IOControl", IOControl);
    Resolve(module, prefix, "_Seek", Seek);
    Resolve(module, prefix, "_PowerUp", PowerUp);
    Resolve(module, prefix, "_PowerDown", PowerDown);
    Resolve(module, prefix, "_PreDeinit", PreDeinit);
    if (!ok) {
        Unload();
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return ok;
}

void StreamDriver::Unload()
{
    if (module)
        FreeLibrary(module);
    *this = StreamDriver{};
}

}  // namespace cedev
