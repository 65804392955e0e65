#include "modem/ModemRecords.h"

#include <cstring>

void ModemStatus::Reset()
{
    memset(this, 0, sizeof *this);
    batteryVolts = -1.0f;
    activeNam = -1;
}
