#include "modem/SmsText.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

struct EscapeRow {
    const char* text;
    char ch;
};

// Tried in this order at each position of a received body.
const EscapeRow kUnescapeTable[] = {
    {"\\\\", '\\'}, {"\\x3B", ';'},  {"\\x3b", ';'},  {"\\X3B", ';'},  {"\\'", '\''},
    {"\\x22", '"'}, {"\\?", '?'},    {"\\x0D", '\r'}, {"\\x0d", '\r'}, {"\\X0D", '\r'},
    {"\\x0A", '\n'}, {"\\x0a", '\n'}, {"\\X0A", '\n'},
};

const char* EscapeOf(char c)
{
    switch (c) {
    case '\\': return "\\\\";
    case ';': return "\\x3B";
    case '\'': return "\\'";
    case '"': return "\\x22";
    case '?': return "\\?";
    case '\r': return "\\x0D";
    case '\n': return "\\x0A";
    default: return nullptr;
    }
}

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

bool IsTrailByte(unsigned char b)
{
    return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
}

}  // namespace

int EscapeText(const char* body, char* out, int outSize)
{
    if (!out || outSize <= 0)
        return -1;
    out[0] = 0;
    if (!body)
        return 0;
    int n = 0;
    for (const char* p = body; *p; ++p) {
        const char* escape = EscapeOf(*p);
        const int len = escape ? static_cast<int>(strlen(escape)) : 1;
        if (n + len > outSize - 1) {
            out[0] = 0;
            return -1;
        }
        if (escape)
            memcpy(out + n, escape, len);
        else
            out[n] = *p;
        n += len;
    }
    out[n] = 0;
    return n;
}

int UnescapeText(const char* text, char* out, int outSize)
{
    if (!out || outSize <= 0)
        return 0;
    const int room = outSize - 1;
    int n = 0;
    const char* p = text ? text : "";
    while (*p) {
        const EscapeRow* match = nullptr;
        if (*p == '\\') {
            for (const EscapeRow& row : kUnescapeTable) {
                if (strncmp(p, row.text, strlen(row.text)) == 0) {
                    match = &row;
                    break;
                }
            }
        }
        if (match) {
            if (n + 1 > room)
                break;
            out[n++] = match->ch;
            p += strlen(match->text);
            continue;
        }
        const auto b = static_cast<unsigned char>(p[0]);
        const int len = IsLeadByte(b) && IsTrailByte(static_cast<unsigned char>(p[1])) ? 2 : 1;
        if (n + len > room)
            break;
        memcpy(out + n, p, len);
        n += len;
        p += len;
    }
    out[n] = 0;
    return n;
}

char* BuildSmsSendLine(int slot, const char* destination, const char* callback,
                       int teleservice, const char* escapedBody)
{
    if (!destination || !escapedBody)
        return nullptr;
    char* line = new (std::nothrow) char[SMS_LINE_BUFFER];
    if (!line)
        return nullptr;
    const char* command = "AT$SMSMO";
    const int n =
        callback ? snprintf(line, SMS_LINE_BUFFER, "%s%d=%s,%s,%d,\"%s\"\r\n", command, slot,
                            destination, callback, teleservice, escapedBody)
                 : snprintf(line, SMS_LINE_BUFFER, "%s%d=%s,%d,\"%s\"\r\n", command, slot,
                            destination, teleservice, escapedBody);
    if (n < 0 || n >= SMS_LINE_BUFFER) {  // a cut line would lose its end
        delete[] line;
        return nullptr;
    }
    return line;
}

void ReleaseSmsSendLine(char* line) { delete[] line; }
