#pragma once
// The catalogue of AT commands: one row per command id, and how an id with
// its argument becomes the bytes written to the module.
#include <windows.h>

#include <cstddef>

const int AT_ARG_FLAG = 0x1000;  // added to the index of commands with an argument
const int AT_COMMAND_COUNT = 49;

// Argument kinds of Issue.
enum : int {
    AT_ARG_NONE = 0,
    AT_ARG_BYTE = 1,   // 1 or 2: a small value, only its first byte is used
    AT_ARG_WORD = 2,
    AT_ARG_TEXT = 0x1000,   // text with its string length
    AT_ARG_SZ = 0x2000,     // zero-terminated text (same behaviour)
};

// How the argument of a row goes on the wire.
enum class AtArgForm {
    None,       // the text with its send length
    Digit,      // '0' + value written over the character at digitPos
    Dial,       // "AT$ORI" number "\r\n" "  " and two zero bytes
    Line,       // a complete pre-formatted line, written with its string length
    Number,     // text, value as decimal, "\r\n"
    NumberQuery,// text, value as decimal, "?\r\n"
    Char,       // text, the argument byte itself, "\r\n"
    Text,       // text, the argument text, "\r\n"
    Format,     // the text is a printf format taking the value
};

struct AtCommandRow {
    const char* text;
    int sendLength;
    int echoMatchLength;
    DWORD timeoutMs;
    int id;
    AtArgForm form;
    int digitPos;  // Digit form only
};

extern const AtCommandRow AtCommandTable[AT_COMMAND_COUNT];

// Longest line Build can produce, terminator excluded.
const int AT_MAX_LINE = 600;
// Longest argument text kept with a command, terminator included.
const int AT_MAX_ARG = 512;

// Builds the bytes written for `id` with its argument into `out` (at least
// AT_MAX_LINE + 1 bytes). Returns the number of bytes to write, or -1 when
// nothing may be written (unknown id, missing argument, dial number too long).
int BuildAtCommand(int id, const void* arg, int kind, char* out);

// A number or text argument must stay inside its own line: true when the
// first `len` bytes hold no control character (a CR or LF would start
// another command), no double quote and none of `alsoRefused`.
bool IsPlainArgumentText(const char* text, size_t len, const char* alsoRefused = "");

// Row of an id, or nullptr for an id the table does not hold.
const AtCommandRow* FindAtCommandRow(int id);
