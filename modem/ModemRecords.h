#pragma once
// Records the parser keeps for the rest of the program: received text
// messages on their way to the message window, and the module's status values.
#include <windows.h>

#pragma pack(push, 1)
struct ModemSmsRecord {  // 439 bytes, all 8-bit text
    char index[5];
    char timeStamp[25];
    char number[64];
    char teleservice[15];
    char body[330];
};
#pragma pack(pop)
static_assert(sizeof(ModemSmsRecord) == 439, "ModemSmsRecord layout");

struct ModemStatus {
    float batteryVolts;
    LONG registration;
    LONG signalLevel;
    LONG speakerVolume;
    LONG bellType;
    LONG ringVolume;
    LONG bell;
    LONG smsVolume;
    LONG commandEcho;
    LONG atan;
    LONG activeNam;
    char moduleTime[32];
    char dialInfo[32];
    char moduleVersion[64];
    LONG engineering[10];
    float engineeringFloat;
    LONG mtCount[2];

    // The values the link starts with when it opens.
    void Reset();
};
