// Stream entry points of the modem port driver. Until the driver forwards to
// the platform's serial driver, every call reports failure.
#include <windows.h>

extern "C" {

DWORD COM_Init(DWORD /*context*/) { return 0; }
BOOL COM_Deinit(DWORD /*context*/) { return FALSE; }
DWORD COM_Open(DWORD /*context*/, DWORD /*access*/, DWORD /*share*/) { return 0; }
BOOL COM_Close(DWORD /*handle*/) { return FALSE; }
DWORD COM_Read(DWORD /*handle*/, LPVOID /*buffer*/, DWORD /*count*/) { return 0; }
DWORD COM_Write(DWORD /*handle*/, LPCVOID /*buffer*/, DWORD /*count*/) { return 0; }
DWORD COM_Seek(DWORD /*handle*/, long /*amount*/, DWORD /*type*/) { return static_cast<DWORD>(-1); }
BOOL COM_IOControl(DWORD /*handle*/, DWORD /*code*/, PBYTE /*in*/, DWORD /*inSize*/,
                   PBYTE /*out*/, DWORD /*outSize*/, PDWORD /*returned*/)
{
    return FALSE;
}
void COM_PowerUp(DWORD /*context*/) {}
void COM_PowerDown(DWORD /*context*/) {}

}  // extern "C"
