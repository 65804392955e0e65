// Sending a text message: the body escaped into the send line, issued as
// AT$SMSMO.
#include <cstring>

#include "modem/CCeMAtSender.h"
#include "modem/CodePage.h"
#include "modem/SmsText.h"

namespace {

// A comma in a number field would move the fields that follow it.
bool IsNumberField(const char* number)
{
    return IsPlainArgumentText(number, strlen(number), ",");
}

// The module edits its command line on a backspace, so a body holding one
// would make it run a line other than the one built here (even one with
// another destination). Every other byte travels escaped or as it is.
bool IsSendableBody(const char* body) { return strchr(body, '\b') == nullptr; }

}  // namespace

int CCeMAtSender::SendTextMessage(const char* destination, const char* callback,
                                  const char* body)
{
    if (!destination || !body ||
        strnlen(destination, SMS_DESTINATION_MAX + 1) > static_cast<size_t>(SMS_DESTINATION_MAX) ||
        strnlen(body, SMS_BODY_BUFFER) >= static_cast<size_t>(SMS_BODY_BUFFER) ||
        !IsNumberField(destination) || (callback && !IsNumberField(callback)) ||
        !IsSendableBody(body))
        return 0;
    char escaped[SMS_BODY_BUFFER];
    if (EscapeText(body, escaped, sizeof escaped) < 0)
        return 0;
    char* line = BuildSmsSendLine(SMS_SEND_SLOT, destination, callback, SMS_TELESERVICE_TEXT,
                                  escaped);
    if (!line)
        return 0;
    const int result = CmdSmsSend(line);
    ReleaseSmsSendLine(line);
    return result;
}

int CCeMAtSender::SendTextMessageW(const wchar_t* destination, const wchar_t* callback,
                                   const wchar_t* body)
{
    // Conversions fail, and nothing is sent, when a text outgrows its buffer.
    char number[SMS_DESTINATION_MAX + 1];
    char back[SMS_DESTINATION_MAX + 1];
    char text[SMS_BODY_BUFFER];
    if (!destination || !body || !g_pfnWideToMultiByte(destination, number, sizeof number) ||
        !g_pfnWideToMultiByte(body, text, sizeof text))
        return 0;
    if (callback && !g_pfnWideToMultiByte(callback, back, sizeof back))
        return 0;
    return SendTextMessage(number, callback ? back : nullptr, text);
}
