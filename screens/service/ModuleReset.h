#pragma once
// What follows a module reset once its wait is over: the link watches the
// module's lines again and starts from empty port buffers.
#include "modem/CCeMModem.h"

void FinishModuleReset(CCeMModem& modem);
