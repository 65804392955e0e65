// Received text messages: AT$SMSNEWMT lines into records, and their delivery
// to the message window.
#include <cstring>

#include "modem/CCeMAtParser.h"
#include "modem/ModemMessages.h"
#include "modem/SmsText.h"

int CCeMAtParser::ParseMessageRecord(const char* line)
{
    int commas = 0;
    for (const char* p = line; *p; ++p)
        commas += *p == ',';
    if (commas < 2)
        return 0;
    if (Status.mtCount[1] > 0)
        --Status.mtCount[1];
    // The module has marked this message read: rather than drop it, hand the
    // full store to the message window first.
    if (SmsRecordCount >= MAX_SMS_RECORDS)
        DeliverRecords();
    if (SmsRecordCount >= MAX_SMS_RECORDS)
        return 0;
    ModemSmsRecord& r = SmsRecords[SmsRecordCount];
    memset(&r, 0, sizeof r);
    int end;
    GetField(line, 0, r.timeStamp, sizeof r.timeStamp);
    if (commas >= 3) {
        GetField(line, 1, r.number, sizeof r.number);
        end = GetField(line, 2, r.teleservice, sizeof r.teleservice);
    } else {
        end = GetField(line, 1, r.teleservice, sizeof r.teleservice);
    }
    // `end` is the comma that closes the teleservice field.
    UnescapeText(line + end + 1, r.body, SMS_RECEIVED_BODY_MAX + 1);
    ++SmsRecordCount;
    return 1;
}

int CCeMAtParser::DeliverRecords()
{
    if (SmsRecordCount <= 0)
        return 0;
    NotifyMessageWindow(WM_MODEM_SMSNEW, SmsRecordCount,
                        reinterpret_cast<LPARAM>(&SmsRecords[0]));
    SmsRecordCount = 0;
    MessageFlags = 0;
    return 1;
}
