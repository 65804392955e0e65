#include "SerialLibrary.h"

namespace zendrv {
namespace {

template <typename T>
bool Resolve(HMODULE m, const char* name, T& fn)
{
    fn = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    return fn != nullptr;
}

}  // namespace

bool SerialLibrary::Load(const wchar_t* name)
{
    Unload();
    module = LoadLibraryW(name);
    if (!module)
        return false;
    bool ok = Resolve(module, "COM_Init", Init) && Resolve(module, "COM_Close", Close) &&
              Resolve(module, "COM_Deinit", Deinit) && Resolve(module, "COM_Open", Open) &&
              Resolve(module, "COM_IOControl", IOControl) && Resolve(module, "COM_Read", Read) &&
              Resolve(module, "COM_Write", Write) && Resolve(module, "COM_PowerUp", PowerUp) &&
              Resolve(module, "COM_PowerDown", PowerDown);
    Resolve(module, "COM_PreDeinit", PreDeinit);
    if (!ok) {
        Unload();
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return ok;
}

void SerialLibrary::Unload()
{
    if (module)
        FreeLibrary(module);
    *this = SerialLibrary{};
}

}  // namespace zendrv
