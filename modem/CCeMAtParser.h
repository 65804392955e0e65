#pragma once
// Turns the module's byte stream into lines, tells response blocks (which
// begin with the echoed command) from unsolicited result codes, and keeps the
// call state and caller numbers.
#include <windows.h>

#include "modem/AtCommandTable.h"
#include "modem/ModemRecords.h"
#include "modem/SmsText.h"

struct UnsolicitedCode {
    const char* prefix;
    int length;
    int code;
};
const int UNSOLICITED_COUNT = 15;
extern const UnsolicitedCode UnsolicitedTable[UNSOLICITED_COUNT];

class CCeMAtParser {
public:
    // The longest line of the transport: a received message whose fields are
    // full and whose 255 characters are all 4-byte escapes such as "\x3B".
    static constexpr int LONGEST_LINE = (sizeof(ModemSmsRecord::timeStamp) - 1) + 1 +
                                        (sizeof(ModemSmsRecord::number) - 1) + 1 +
                                        (sizeof(ModemSmsRecord::teleservice) - 1) + 1 +
                                        SMS_RECEIVED_BODY_MAX * SMS_LONGEST_ESCAPE;
    // A block (echo, that line, its final lines) fits below the wrap mark,
    // and a whole line still fits when it starts just below it.
    static constexpr int WRAP_MARK = 1536;
    static constexpr int LINE_STORE = WRAP_MARK + LONGEST_LINE + 64;
    static_assert(WRAP_MARK > LONGEST_LINE + 128, "a message block fits below the wrap mark");
    static constexpr int MAX_BLOCK_LINES = 50;
    static constexpr int NUMBER_SIZE = 32;
    static constexpr int MAX_SMS_RECORDS = 5;

    CCeMAtParser();
    virtual ~CCeMAtParser() = default;

    // Frames `count` bytes; returns 1 when complete unsolicited lines wait
    // to be dispatched. Response blocks are handled as they complete.
    int Feed(const char* bytes, int count);
    void DispatchUnsolicited();
    void HandleResponseBlock();

    // Copies field k (from 0) of a comma-separated line into buf of size n:
    // at most n - 2 characters and a zero byte. Returns the offset in the
    // line where the field ended (its comma, or the end of the line).
    static int GetField(const char* line, int k, char* buf, int n);
    // The line is "OK" in any letter case.
    static bool IsOkLine(const char* line);

    void ResetFraming();
    void ForgetBlock();
    void ClearRowResults();
    // Call ended: no carrier, numbers and waiting-call counts cleared.
    void EndOfCall();

    // Hands the held message records to the message window (count, first
    // record), then clears the count and the message flags. 1 when records
    // were held, else 0.
    int DeliverRecords();

    // Read by the phone core while it handles the link's messages.
    volatile LONG CallState;
    char CallerNumber[NUMBER_SIZE];
    char WaitingCallerNumber[NUMBER_SIZE];
    volatile LONG CallerIdSource;  // 0 none, 1 call set-up text, 2 caller-number code or ring
    volatile LONG WaitingNoticeCount;
    volatile LONG HandledNoticeCount;
    LONG MessageFlags;
    int SmsRecordCount;
    ModemSmsRecord SmsRecords[MAX_SMS_RECORDS];
    ModemStatus Status;

    // The response block being handled.
    int CurrentId;
    const char* BlockEcho;
    const char* BlockLines[MAX_BLOCK_LINES];
    int BlockLineCount;
    int MatchCount[AT_COMMAND_COUNT];
    int LastResult[AT_COMMAND_COUNT];

    // Bytes and lines the fixed line store could not hold (cut or dropped).
    DWORD CutBytes;
    DWORD DroppedLines;

protected:
    // The result operation of the sender, called on the reader thread.
    virtual void OnBlockResult(int id, int ok) = 0;
    // Sends a message to the message window when one is set.
    virtual void NotifyMessageWindow(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Values the block carries (status values, message records); the call
    // state changes of the answer, release and dial commands are made here.
    virtual void ParseBlockValues(int id, int ok);
    // Status values of a query's lines / of a setting command's echo; both
    // return 1 when the block held "OK".
    int ParseQueryValues(int id, int ok);
    int ParseSetValues(int id, int ok);
    // One AT$SMSNEWMT line into the next record; 1 when a record was made.
    int ParseMessageRecord(const char* line);

    static void CopyNumber(char* dst, const char* src);

private:
    void AppendToLine(char c);
    void CompleteLine();
    const char* TakeLine();
    void DropWaitingLines();
    void FlushUnsolicited();
    bool MakeRoom();
    void HandleUnsolicitedLine(const char* line);
    void NotifyMessages();
    void ApplyCallResult(int id, int ok);

    static constexpr int LINE_HEAD = 128;

    char m_store[LINE_STORE];
    char m_lineHead[LINE_HEAD + 1];  // first characters of the line being written
    int m_lineLength;                // its full length, cut characters included
    int m_blockOk;
    int m_writePos;
    int m_lineStart;
    int m_readPos;
    bool m_lapAhead;  // the writer has wrapped, the reader not yet
    int m_wrapMark;
    int m_waitingLines;
    int m_crRun;
    int m_lfRun;
    int m_inResponse;
    int m_pendingUnsolicited;
};
