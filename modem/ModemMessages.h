#pragma once
// Window messages of the modem link and the module's call states.
#include <windows.h>

const UINT WM_MODEM_OPENED = WM_USER + 1100;     // posted; open result / 0
const UINT WM_MODEM_COMMEVENT = WM_USER + 1101;  // event mask / the CCeMModem
const UINT WM_MODEM_RESULT = WM_USER + 1102;     // command id / 1 when "OK"
const UINT WM_MODEM_SMSNEW = WM_USER + 1103;     // record count / first record
const UINT WM_MODEM_SMSSENT = WM_USER + 1104;    // 1 accepted, 0 failed / 0
const UINT WM_MODEM_ERROR = WM_USER + 1105;      // L"Modem Error 0" / 0
const UINT WM_MODEM_SENT = WM_USER + 1106;       // command id / write result

// CallState values.
enum : LONG {
    CALL_IDLE = 0,
    CALL_SETUP = 1,
    CALL_RINGING = 2,
    CALL_CONNECTED = 8,
    CALL_NO_CARRIER = 0x1001,
    CALL_NO_DIALTONE = 0x1002,
    CALL_NO_ANSWER = 0x1004,
    CALL_LOCKED = 0x1008,
};

// LinkState values.
enum : LONG {
    LINK_OPENING = 0,
    LINK_READY = 1,
    LINK_LOCKED = 2,
    LINK_CLOSED = 3,
};

// Open results posted with WM_MODEM_OPENED.
enum : int {
    OPEN_OK = 0,
    OPEN_BAD_PORT = -1,
    OPEN_ALREADY_OPEN = -2,
    OPEN_CANNOT_OPEN = -3,
    OPEN_CONFIG_FAILED = -4,
};
