// Stream entry points of the modem port driver. Until the driver forwards to
// the platform's serial driver, every call reports failure.
#include <ce_streamdrv.h>

extern "C" {

DWORD_PTR COM_Init(DWORD_PTR /*activeKey*/) { return 0; }
BOOL COM_Deinit(DWORD_PTR /*device*/) { return FALSE; }
DWORD_PTR COM_Open(DWORD_PTR /*device*/, DWORD /*access*/, DWORD /*share*/) { return 0; }
BOOL COM_Close(DWORD_PTR /*open*/) { return FALSE; }
DWORD COM_Read(DWORD_PTR /*open*/, LPVOID /*buffer*/, DWORD /*count*/) { return static_cast<DWORD>(-1); }
DWORD COM_Write(DWORD_PTR /*open*/, LPCVOID /*buffer*/, DWORD /*count*/) { return static_cast<DWORD>(-1); }
DWORD COM_Seek(DWORD_PTR /*open*/, long /*amount*/, DWORD /*type*/) { return static_cast<DWORD>(-1); }
BOOL COM_IOControl(DWORD_PTR /*open*/, DWORD /*code*/, PBYTE /*in*/, DWORD /*inSize*/,
                   PBYTE /*out*/, DWORD /*outSize*/, PDWORD /*returned*/)
{
    return FALSE;
}
void COM_PowerUp(DWORD_PTR /*device*/) {}
void COM_PowerDown(DWORD_PTR /*device*/) {}

}  // extern "C"
