// The module's status values, read from the response blocks of its query
// commands and from the echoes of its setting commands.
#include <cstdlib>
#include <cstring>

#include "modem/CCeMAtParser.h"

namespace {

// Command ids of the rows that carry values.
enum : int {
    kBattery = 0,
    kSysTime = 1,
    kPing = 2,
    kVolume = 3,
    kCallerId = 5,
    kSmsVolume = 6,
    kDialInfo = 11,
    kBell = 12,
    kRingVolume = 14,
    kCommandEcho = 16,
    kMtCount = 24,
    kDeleteAllMt = 28,
    kRegistration = 30,
    kVersion = 35,
    kBellType = 36,
    kStatusInfo = 38,
    kNam = 40,
    kAtan = 45,
    kSetVolume = 0x1004,
    kSetSmsVolume = 0x1007,
    kSetBell = 0x100D,
    kSetRingVolume = 0x100F,
    kSetCommandEcho = 0x1011,
    kReadNewMt = 0x101A,
};

const int kFieldBuffer = 20;     // one engineering value
const int kCountBuffer = 10;     // one received-message count
const int kNumberBuffer = 32;    // a decimal number read as text
const int kEqualsDigits = 9;     // digits taken after the equals sign
const int kBellDigitPos = 7;     // "AT$BELL" then the digit

// A digit value: the first character minus '0'. Anything but a digit leaves
// the value as it was, so a garbled line never becomes an out-of-range level.
void TakeDigit(const char* line, LONG* value)
{
    if (line[0] >= '0' && line[0] <= '9')
        *value = line[0] - '0';
}

LONG DecimalInt(const char* text)
{
    // strtol stops at the first non-digit and holds at the LONG range.
    return strtol(text, nullptr, 10);
}

// A decimal number with an optional sign and fraction (no exponent, no
// "inf"); 0.0 when the text does not start with one.
float DecimalNumber(const char* text)
{
    char buf[kNumberBuffer];
    int n = 0;
    const char* p = text;
    if (*p == '-' || *p == '+')
        buf[n++] = *p++;
    bool digits = false;
    bool point = false;
    for (; n < kNumberBuffer - 1; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits = true;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
        buf[n++] = *p;
    }
    buf[n] = 0;
    return digits ? static_cast<float>(strtod(buf, nullptr)) : 0.0f;
}

// The characters after the first '=' of a setting command's echo.
LONG NumberAfterEquals(const char* echo)
{
    const char* eq = strchr(echo, '=');
    if (!eq)
        return 0;
    char buf[kEqualsDigits + 1];
    const size_t n = strnlen(eq + 1, kEqualsDigits);
    memcpy(buf, eq + 1, n);
    buf[n] = 0;
    return DecimalInt(buf);
}

void CopyText(char* dst, size_t size, const char* src)
{
    const size_t n = strnlen(src, size - 1);
    memcpy(dst, src, n);
    dst[n] = 0;
}

}  // namespace

void CCeMAtParser::ParseBlockValues(int id, int ok)
{
    if (id & AT_ARG_FLAG)
        ParseSetValues(id, ok);
    else
        ParseQueryValues(id, ok);
}

int CCeMAtParser::ParseQueryValues(int id, int ok)
{
    ModemStatus& s = Status;
    if (!ok) {
        switch (id) {
        case kSysTime: s.moduleTime[0] = 0; break;
        case kDialInfo: s.dialInfo[0] = 0; break;
        case kCallerId: CallerNumber[0] = 0; break;
        case kRegistration: s.registration = 3; break;
        default: break;
        }
        return 0;
    }
    // The first line of the block; a block of only "OK" carries no value:
    // numbers stay as they were and texts become empty.
    const bool hasValue = BlockLineCount > 0 && !IsOkLine(BlockLines[0]);
    const char* line = hasValue ? BlockLines[0] : "";
    if (id == kCallerId) {
        CopyNumber(CallerNumber, line);
        return 1;
    }
    if (id == kDeleteAllMt) {
        s.mtCount[0] = s.mtCount[1] = 0;
        return 1;
    }
    switch (id) {
    case kSysTime: CopyText(s.moduleTime, sizeof s.moduleTime, line); break;
    case kDialInfo: CopyText(s.dialInfo, sizeof s.dialInfo, line); break;
    case kVersion: CopyText(s.moduleVersion, sizeof s.moduleVersion, line); break;
    default: break;
    }
    if (!hasValue)
        return 1;
    switch (id) {
    case kBattery: s.batteryVolts = DecimalNumber(line); break;
    case kRegistration: TakeDigit(line, &s.registration); break;
    case kPing: TakeDigit(line, &s.signalLevel); break;
    case kVolume: TakeDigit(line, &s.speakerVolume); break;
    case kBellType: s.bellType = DecimalInt(line); break;
    case kRingVolume: TakeDigit(line, &s.ringVolume); break;
    case kBell: TakeDigit(line, &s.bell); break;
    case kSmsVolume: TakeDigit(line, &s.smsVolume); break;
    case kCommandEcho: TakeDigit(line, &s.commandEcho); break;
    case kAtan: TakeDigit(line, &s.atan); break;
    case kNam: TakeDigit(line, &s.activeNam); break;
    case kMtCount: {
        char field[kCountBuffer];
        for (int k = 0; k < 2; ++k) {
            GetField(line, k, field, sizeof field);
            s.mtCount[k] = DecimalInt(field);
        }
        break;
    }
    case kStatusInfo: {
        char field[kFieldBuffer];
        const int count = sizeof s.engineering / sizeof s.engineering[0];
        for (int k = 0; k < count; ++k) {
            GetField(line, k, field, sizeof field);
            s.engineering[k] = DecimalInt(field);
        }
        GetField(line, count, field, sizeof field);
        s.engineeringFloat = DecimalNumber(field);
        break;
    }
    default: break;
    }
    return 1;
}

int CCeMAtParser::ParseSetValues(int id, int ok)
{
    // The dial's call-state change is made with the block's result.
    if (!ok)
        return 0;
    const char* echo = BlockEcho ? BlockEcho : "";
    switch (id) {
    case kSetVolume: Status.speakerVolume = NumberAfterEquals(echo); break;
    case kSetSmsVolume: Status.smsVolume = NumberAfterEquals(echo); break;
    case kSetRingVolume: Status.ringVolume = NumberAfterEquals(echo); break;
    case kSetCommandEcho: Status.commandEcho = NumberAfterEquals(echo); break;
    case kSetBell:
        if (strnlen(echo, kBellDigitPos + 1) > static_cast<size_t>(kBellDigitPos))
            TakeDigit(echo + kBellDigitPos, &Status.bell);
        break;
    case kReadNewMt:
        if (BlockLineCount > 0)
            ParseMessageRecord(BlockLines[0]);
        break;
    default: break;
    }
    return 1;
}
