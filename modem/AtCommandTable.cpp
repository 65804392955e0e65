#include "modem/AtCommandTable.h"

#include <cstdio>
#include <cstring>

namespace {
const AtArgForm N = AtArgForm::None;
const AtArgForm D = AtArgForm::Digit;
}  // namespace

// text, send length, echo-match length, time-out, id, argument form, digit position
const AtCommandRow AtCommandTable[AT_COMMAND_COUNT] = {
    {"AT$BATT?\r\n", 10, 8, 1000, 0, N, 0},
    {"AT$SYSTIME?\r\n", 13, 11, 1000, 1, N, 0},
    {"AT$PING?\r\n", 10, 8, 1000, 2, N, 0},
    {"AT$VOL?\r\n", 9, 7, 1000, 3, N, 0},
    {"AT$VOL=0\r\n", 10, 7, 1000, 0x1004, D, 7},
    {"AT$CID?\r\n", 9, 7, 1000, 5, N, 0},
    {"AT$SMSVOL?\r\n", 12, 10, 1000, 6, N, 0},
    {"AT$SMSVOL=0\r\n", 13, 10, 1000, 0x1007, D, 10},
    {"AT$QCCAV\r\n", 10, 8, 1000, 8, N, 0},
    {"AT$REL\r\n", 8, 6, 1000, 9, N, 0},
    {"AT$ORI", 6, 6, 2000, 0x100A, AtArgForm::Dial, 0},
    {"AT$DIAL?\r\n", 10, 8, 1000, 11, N, 0},
    {"AT$BELL?\r\n", 10, 8, 1000, 12, N, 0},
    {"AT$BELL0\r\n", 10, 7, 1000, 0x100D, D, 7},
    {"AT$RINGVOL?\r\n", 13, 11, 1000, 14, N, 0},
    {"AT$RINGVOL=1\r\n", 14, 11, 1000, 0x100F, D, 11},
    {"AT$CMDECHO?\r\n", 13, 11, 1000, 16, N, 0},
    {"AT$CMDECHO=0\r\n", 14, 11, 1000, 0x1011, D, 11},
    {"AT$SMSMO", 8, 8, 2000, 0x1012, AtArgForm::Line, 0},
    {"AT$REMO", 7, 7, 2000, 0x1013, AtArgForm::Number, 0},
    {"AT$MOCNT?\r\n", 11, 9, 1000, 20, N, 0},
    {"AT$SMSMO", 8, 8, 1000, 0x1015, AtArgForm::NumberQuery, 0},
    {"AT$DELMO=", 9, 9, 1000, 0x1016, AtArgForm::Number, 0},
    {"AT$DELALLMO\r\n", 13, 11, 1000, 23, N, 0},
    {"AT$MTCNT?\r\n", 11, 9, 1000, 24, N, 0},
    {"AT$SMSMT", 8, 8, 1000, 0x1019, AtArgForm::NumberQuery, 0},
    {"AT$SMSNEWMT", 11, 11, 1000, 0x101A, AtArgForm::NumberQuery, 0},
    {"AT$DELMT=", 9, 9, 1000, 0x101B, AtArgForm::Number, 0},
    {"AT$DELALLMT\r\n", 13, 11, 1000, 28, N, 0},
    {"AT$MTACK=", 9, 9, 1000, 0x101D, AtArgForm::Number, 0},
    {"AT$STSREG?\r\n", 12, 10, 1000, 30, N, 0},
    {"ATZ\r\n", 5, 3, 1000, 31, N, 0},
    {"ATE0\r\n", 6, 3, 1000, 0x1020, D, 3},
    {"AT$FLASH\r\n", 10, 7, 2000, 33, N, 0},
    {"AT$DTMF", 7, 7, 2000, 0x1022, AtArgForm::Char, 0},
    {"AT+GMR\r\n", 8, 6, 1000, 35, N, 0},
    {"AT$BELLTYPE?\r\n", 14, 12, 1000, 36, N, 0},
    {"AT$BELLTYPE=", 12, 12, 1000, 0x1025, AtArgForm::Number, 0},
    {"AT$STSINFO?\r\n", 13, 11, 1000, 38, N, 0},
    {"AT$BWMODE=RESET\r\n", 17, 15, 2000, 39, N, 0},
    {"AT$NAM?\r\n", 9, 7, 1000, 40, N, 0},
    {"AT$NAM=0\r\n", 10, 7, 1000, 0x1029, D, 7},
    {"AT$BWMODE=NAMING\r\n", 18, 16, 1000, 42, N, 0},
    {"AT$PHONENUM=", 12, 12, 1000, 0x102B, AtArgForm::Text, 0},
    {"AT$REJECT\r\n", 11, 9, 2000, 44, N, 0},
    {"AT$ATAN?\r\n", 10, 8, 1000, 45, N, 0},
    {"AT$ATAN=0\r\n", 11, 8, 1000, 0x102E, D, 8},
    {"AT$SMSSENT%d?\r\n", 10, 10, 1000, 0x102F, AtArgForm::Format, 0},
    {"AT$WARNSND=0\r\n", 14, 11, 1000, 0x1030, D, 11},
};

bool IsPlainArgumentText(const char* text, size_t len, const char* alsoRefused)
{
    for (size_t i = 0; i < len; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || c == '"' || (c && strchr(alsoRefused, c)))
            return false;
    }
    return true;
}

const AtCommandRow* FindAtCommandRow(int id)
{
    const int index = id & ~AT_ARG_FLAG;
    if (id < 0 || index >= AT_COMMAND_COUNT)
        return nullptr;
    const AtCommandRow* row = &AtCommandTable[index];
    if ((id & AT_ARG_FLAG) && row->id != id)
        return nullptr;
    return row;
}

namespace {

const int kDialBuffer = 128;
const int kDialPrefix = 6;  // "AT$ORI"

// Text arguments are read from a zero-padded copy; never read past its size.
size_t ArgTextLength(const void* arg)
{
    return strnlen(static_cast<const char*>(arg), AT_MAX_ARG - 1);
}

// A pre-formatted line carries exactly one command: its only CR and LF are
// the closing pair.
bool IsSingleLine(const char* line, size_t len)
{
    if (len < 2 || line[len - 2] != '\r' || line[len - 1] != '\n')
        return false;
    for (size_t i = 0; i + 2 < len; ++i)
        if (line[i] == '\r' || line[i] == '\n')
            return false;
    return true;
}

int BuildDial(const char* number, char* out)
{
    const size_t len = ArgTextLength(number);
    if (kDialPrefix + len >= 125 || !IsPlainArgumentText(number, len))
        return -1;
    // The line goes out of a buffer that starts as one space and zero bytes,
    // with two bytes more than the line: the two zero bytes after the spaces.
    memset(out, 0, kDialBuffer + 4);
    out[0] = ' ';
    int n = snprintf(out, kDialBuffer + 4, "AT$ORI%.*s\r\n  ", static_cast<int>(len), number);
    return n + 2;
}

}  // namespace

int BuildAtCommand(int id, const void* arg, int kind, char* out)
{
    const AtCommandRow* row = FindAtCommandRow(id);
    if (!row)
        return -1;
    if (!(id & AT_ARG_FLAG)) {
        memcpy(out, row->text, row->sendLength);
        out[row->sendLength] = 0;
        return row->sendLength;
    }
    if (!arg || kind == AT_ARG_NONE)
        return -1;
    const unsigned value = *static_cast<const unsigned char*>(arg);
    const char* text = static_cast<const char*>(arg);
    const int room = AT_MAX_LINE + 1;
    int n = -1;
    switch (row->form) {
    case AtArgForm::None:
        break;
    case AtArgForm::Digit:
        memcpy(out, row->text, row->sendLength);
        out[row->digitPos] = static_cast<char>('0' + value);
        out[row->sendLength] = 0;
        n = row->sendLength;
        break;
    case AtArgForm::Dial:
        n = BuildDial(text, out);
        break;
    case AtArgForm::Line:
        if (!IsSingleLine(text, ArgTextLength(text)))
            return -1;
        n = snprintf(out, room, "%.*s", static_cast<int>(ArgTextLength(text)), text);
        break;
    case AtArgForm::Number:
        n = snprintf(out, room, "%s%u\r\n", row->text, value);
        break;
    case AtArgForm::NumberQuery:
        n = snprintf(out, room, "%s%u?\r\n", row->text, value);
        break;
    case AtArgForm::Char:
        if (!IsPlainArgumentText(text, 1))
            return -1;
        n = snprintf(out, room, "%s%c\r\n", row->text, static_cast<char>(value));
        break;
    case AtArgForm::Text:
        if (!IsPlainArgumentText(text, ArgTextLength(text)))
            return -1;
        n = snprintf(out, room, "%s%.*s\r\n", row->text, static_cast<int>(ArgTextLength(text)),
                     text);
        break;
    case AtArgForm::Format:
        n = snprintf(out, room, row->text, static_cast<int>(value));
        break;
    }
    return (n < 0 || n > AT_MAX_LINE) ? -1 : n;
}
