// devmgr.exe: the device manager's host process. It serves until a client
// asks it to end (CeDevMgrShutdownHost).
#include <windows.h>

#include "ce/devmgr/DeviceManager.h"

int wmain()
{
    cedev::DeviceManager manager;
    if (!manager.Start())
        return 1;
    WaitForSingleObject(manager.ShutdownEvent(), INFINITE);
    manager.Stop();
    return 0;
}
