#pragma once
// Message bodies on the AT line: the escapes of both directions and the
// send line of AT$SMSMO. All text here is 8-bit (code page 949); no escape
// byte can be the second byte of a double-byte character, so bodies are
// escaped byte by byte.

// Sizes the message sender and the received records work with.
const int SMS_BODY_BUFFER = 330;       // escaped body, terminator included
const int SMS_LINE_BUFFER = 439;       // the whole send line, terminator included
const int SMS_DESTINATION_MAX = 63;    // bytes of the destination number
const int SMS_RECEIVED_BODY_MAX = 255; // bytes of a received body after unescaping
const int SMS_LONGEST_ESCAPE = 4;      // "\x3B" and the like
const int SMS_SEND_SLOT = 0;
const int SMS_TELESERVICE_TEXT = 4098;

// Writes `body` with every character of the escape table replaced by its
// escape into `out` (outSize bytes, terminator included). Returns the
// length written; -1, with `out` left empty, when the escaped body does not
// fit: a body is never cut, since a cut message would go out as if whole.
int EscapeText(const char* body, char* out, int outSize);

// Turns the escapes of a received body back into characters. Broken or
// unknown escapes are copied as they stand. At most outSize - 1 bytes are
// written, and a double-byte character is never split; returns the length.
int UnescapeText(const char* text, char* out, int outSize);

// The AT$SMSMO line in a new heap buffer of SMS_LINE_BUFFER bytes, with the
// call-back field only when `callback` is not null (an empty text still
// gives the field). nullptr when memory runs out or the line does not fit.
char* BuildSmsSendLine(int slot, const char* destination, const char* callback,
                       int teleservice, const char* escapedBody);
void ReleaseSmsSendLine(char* line);
