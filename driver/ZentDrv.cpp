// ZentDrv.dll: the stream entry points of the modem port driver.
#include <windows.h>

#include "PortDriver.h"
#include "ce_streamdrv.h"

using zendrv::Driver;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        Driver().Attach();
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on; at process exit the serial
        // driver is left to the system.
        Driver().Detach();
    }
    return TRUE;
}

extern "C" {

DWORD_PTR COM_Init(DWORD_PTR activeKey) { return Driver().Init(activeKey); }
BOOL COM_Deinit(DWORD_PTR device) { return Driver().Deinit(device); }
BOOL COM_PreDeinit(DWORD_PTR device) { return Driver().PreDeinit(device); }
DWORD_PTR COM_Open(DWORD_PTR device, DWORD access, DWORD share) { return Driver().Open(device, access, share); }
BOOL COM_Close(DWORD_PTR open) { return Driver().Close(open); }
DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count) { return Driver().Read(open, buffer, count); }
DWORD COM_Write(DWORD_PTR open, LPCVOID buffer, DWORD count) { return Driver().Write(open, buffer, count); }
DWORD COM_Seek(DWORD_PTR /*open*/, long /*amount*/, DWORD /*type*/)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return static_cast<DWORD>(-1);
}
BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out, DWORD outSize, PDWORD returned)
{
    return Driver().IOControl(open, code, in, inSize, out, outSize, returned);
}
void COM_PowerUp(DWORD_PTR device) { Driver().PowerUp(device); }
void COM_PowerDown(DWORD_PTR device) { Driver().PowerDown(device); }

}  // extern "C"
