// devmgr.exe: the device manager's host process. It serves until a client
// asks it to end (CeDevMgrShutdownHost, or "devmgr --shutdown").
#include <windows.h>

#include "ce/devmgr/DeviceManager.h"
#include "ce_devmgr.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc > 1 && lstrcmpiW(argv[1], L"--shutdown") == 0)
        return CeDevMgrShutdownHost() ? 0 : 1;
    cedev::DeviceManager manager;
    if (!manager.Start())
        return 1;
    WaitForSingleObject(manager.ShutdownEvent(), INFINITE);
    manager.Stop();
    return 0;
}
