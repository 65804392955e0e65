#include "modem/CCeMAtParser.h"
#include "modem/ModemMessages.h"

// Searched in this order; the first prefix that fits wins.
const UnsolicitedCode UnsolicitedTable[UNSOLICITED_COUNT] = {
    {"RING", 4, CALL_RINGING},
    {"*QRV*CNI:", 9, 4},
    {"$VCALL", 6, CALL_SETUP},
    {"$VCON", 5, CALL_CONNECTED},
    {"CONNECT", 7, CALL_CONNECTED},
    {"NO CARRIER", 10, CALL_NO_CARRIER},
    {"NODIALTONE", 10, CALL_NO_DIALTONE},
    {"NO ANSWER", 9, CALL_NO_ANSWER},
    {"$LOCK", 5, CALL_LOCKED},
    {"*QRV*NEWMSG:", 12, 0x101},
    {"*QRV*REMSG:", 11, 0x102},
    {"$NEWMT", 6, 0x101},
    {"$REMT", 5, 0x102},
    {"$SMSMOACK", 9, 0x110},
    {"$SMSMONAK", 9, 0x120},
};
