#include "screens/service/ModuleReset.h"

void FinishModuleReset(CCeMModem& modem)
{
    InterlockedExchange(&modem.LineCheckSuspended, 0);
    if (modem.IsOpen())
        PurgeComm(modem.PortHandle(), PURGE_TXCLEAR | PURGE_RXCLEAR);
}
