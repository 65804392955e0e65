#include "modem/CCeMAtParser.h"

#include <cstring>

#include "modem/ModemMessages.h"

namespace {

const int kCallerCode = 4;        // "*QRV*CNI:"
const LONG kMessageBits = 0xF00;  // codes with one of these bits are message flags
const int kAnswerId = 8;
const int kReleaseId = 9;
const int kDialId = 0x100A;

bool EqualsOkIgnoringCase(const char* line)
{
    return (line[0] == 'O' || line[0] == 'o') && (line[1] == 'K' || line[1] == 'k') &&
           line[2] == 0;
}

}  // namespace

CCeMAtParser::CCeMAtParser()
    : CallState(CALL_IDLE),
      CallerNumber{},
      WaitingCallerNumber{},
      CallerIdSource(0),
      WaitingNoticeCount(0),
      HandledNoticeCount(0),
      MessageFlags(0),
      SmsRecordCount(0),
      SmsRecords{},
      Status{},
      CutBytes(0),
      DroppedLines(0)
{
    Status.Reset();
    ResetFraming();
}

void CCeMAtParser::ResetFraming()
{
    memset(m_store, 0, sizeof m_store);
    m_writePos = m_lineStart = m_readPos = 0;
    m_lapAhead = false;
    m_wrapMark = WRAP_MARK;
    m_waitingLines = 0;
    m_crRun = m_lfRun = 0;
    m_inResponse = m_pendingUnsolicited = 0;
    m_blockOk = 0;
    m_lineLength = 0;
    memset(m_lineHead, 0, sizeof m_lineHead);
    ForgetBlock();
}

void CCeMAtParser::ForgetBlock()
{
    CurrentId = -1;
    BlockEcho = nullptr;
    BlockLineCount = 0;
}

void CCeMAtParser::ClearRowResults()
{
    memset(MatchCount, 0, sizeof MatchCount);
    memset(LastResult, 0, sizeof LastResult);
}

void CCeMAtParser::CopyNumber(char* dst, const char* src)
{
    // The number fields hold at most 31 characters.
    const size_t n = strnlen(src, NUMBER_SIZE - 1);
    memcpy(dst, src, n);
    dst[n] = 0;
}

void CCeMAtParser::EndOfCall()
{
    CallState = CALL_NO_CARRIER;
    CallerIdSource = 0;
    CallerNumber[0] = 0;
    WaitingCallerNumber[0] = 0;
    WaitingNoticeCount = 0;
    HandledNoticeCount = 0;
}

// --- line store ----------------------------------------------------------
// Lines lie one after another, each ended by a zero byte; after a line that
// ends at the wrap mark or beyond, the next one starts at 0. Unread lines are
// never overwritten: unsolicited lines are dispatched early to make room, and
// what still does not fit is cut (a line) or dropped (a block's later lines).

bool CCeMAtParser::MakeRoom()
{
    if (m_inResponse || m_waitingLines == 0)
        return false;
    FlushUnsolicited();  // they would be dispatched unchanged later
    return true;
}

void CCeMAtParser::AppendToLine(char c)
{
    int limit = m_lapAhead ? m_readPos - 1 : LINE_STORE - 1;
    if (m_writePos >= limit && MakeRoom())
        limit = LINE_STORE - 1;
    if (m_lineLength < LINE_HEAD)
        m_lineHead[m_lineLength] = c;
    if (m_lineLength < LINE_STORE)  // enough to know it was longer than its head
        ++m_lineLength;
    if (m_writePos < limit)
        m_store[m_writePos++] = c;
    else
        ++CutBytes;
}

void CCeMAtParser::CompleteLine()
{
    const bool ok = m_lineLength == 2 && m_lineHead[2] == 0 &&
                    EqualsOkIgnoringCase(m_lineHead);
    if (m_inResponse && ok)
        m_blockOk = 1;
    int limit = m_lapAhead ? m_readPos : LINE_STORE;
    if (m_writePos >= limit && MakeRoom())
        limit = LINE_STORE;
    m_lineLength = 0;
    memset(m_lineHead, 0, sizeof m_lineHead);
    if (m_writePos >= limit) {  // not even room for the terminator
        ++DroppedLines;
        m_writePos = m_lineStart;
        return;
    }
    m_store[m_writePos++] = 0;
    ++m_waitingLines;
    if (m_writePos >= m_wrapMark) {
        m_writePos = 0;
        m_lapAhead = true;
    }
    m_lineStart = m_writePos;
}

const char* CCeMAtParser::TakeLine()
{
    const char* line = &m_store[m_readPos];
    int next = m_readPos + static_cast<int>(strnlen(line, LINE_STORE - m_readPos)) + 1;
    if (next >= m_wrapMark) {
        next = 0;
        m_lapAhead = false;
    }
    m_readPos = next;
    --m_waitingLines;
    return line;
}

void CCeMAtParser::DropWaitingLines()
{
    // Nothing waits any more: the line being written moves to the start of
    // the store. Its head is kept aside, so a line that had to be cut while
    // the store was full (an echo after a block that never ended) comes back.
    m_waitingLines = 0;
    const int stored = m_writePos - m_lineStart;
    const int head = m_lineLength < LINE_HEAD ? m_lineLength : LINE_HEAD;
    if (head > stored) {
        memcpy(m_store, m_lineHead, head);
        m_writePos = head;
    } else {
        memmove(m_store, m_store + m_lineStart, stored);
        m_writePos = stored;
    }
    m_lineStart = m_readPos = 0;
    m_lapAhead = false;
}

void CCeMAtParser::FlushUnsolicited()
{
    while (m_waitingLines > 0) {
        const char* line = TakeLine();
        if (line[0] != 0)
            HandleUnsolicitedLine(line);
    }
    DropWaitingLines();
}

// --- framing -------------------------------------------------------------

int CCeMAtParser::Feed(const char* bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c != '\n') {
            m_pendingUnsolicited = 0;
            m_lfRun = 0;
            if (c == '\r') {
                if (m_crRun < 2)
                    ++m_crRun;
                continue;
            }
            m_crRun = 0;
            if (c != 0)  // a zero byte would end the stored line early
                AppendToLine(c);
            continue;
        }
        if (m_lfRun < 2)
            ++m_lfRun;
        if (m_crRun >= 2) {  // echoed CR, then the CR LF that opens a response
            m_inResponse = 1;
            if (m_waitingLines > 0) {
                m_pendingUnsolicited = 1;
                DispatchUnsolicited();
            }
            DropWaitingLines();
            m_blockOk = 0;
        }
        m_crRun = 0;
        if (m_lfRun >= 2 && m_inResponse) {
            HandleResponseBlock();
            m_inResponse = 0;
            m_blockOk = 0;
            DropWaitingLines();
            m_lfRun = 0;
            m_pendingUnsolicited = 0;
        } else if (m_lfRun == 1) {
            m_pendingUnsolicited = m_inResponse ? 0 : 1;
            CompleteLine();
        }
    }
    return m_pendingUnsolicited;
}

// --- unsolicited result codes ---------------------------------------------

void CCeMAtParser::DispatchUnsolicited()
{
    if (m_pendingUnsolicited)
        FlushUnsolicited();
}

void CCeMAtParser::HandleUnsolicitedLine(const char* line)
{
    const UnsolicitedCode* match = nullptr;
    for (const UnsolicitedCode& row : UnsolicitedTable) {
        if (strncmp(line, row.prefix, row.length) == 0) {
            match = &row;
            break;
        }
    }
    if (match) {
        const int code = match->code;
        if (code & kMessageBits) {
            MessageFlags |= code;
        } else if (code != kCallerCode) {
            CallState = code;
        } else {
            // The number follows the prefix and one more character (a space).
            const char* number = strlen(line) > static_cast<size_t>(match->length)
                                     ? line + match->length + 1
                                     : "";
            if (CallState != CALL_CONNECTED) {
                CopyNumber(CallerNumber, number);
                CallerIdSource = 2;
            } else {
                ++WaitingNoticeCount;
                CopyNumber(WaitingCallerNumber, number);
            }
        }
        if (CallState == CALL_SETUP) {
            CopyNumber(CallerNumber, line + match->length);
            CallerIdSource = 1;
        }
    }
    NotifyMessages();
}

void CCeMAtParser::NotifyMessages()
{
    if (MessageFlags & 0x103) {
        if (SmsRecordCount > 0)
            NotifyMessageWindow(WM_MODEM_SMSNEW, SmsRecordCount,
                                reinterpret_cast<LPARAM>(&SmsRecords[0]));
        else if ((MessageFlags & 0x101) == 0x101)
            NotifyMessageWindow(WM_MODEM_SMSNEW, 0, 0);
    }
    if ((MessageFlags & 0x110) == 0x110)
        NotifyMessageWindow(WM_MODEM_SMSSENT, 1, 0);
    else if ((MessageFlags & 0x120) == 0x120)
        NotifyMessageWindow(WM_MODEM_SMSSENT, 0, 0);
    SmsRecordCount = 0;
    MessageFlags = 0;
}

// --- response blocks -------------------------------------------------------

void CCeMAtParser::HandleResponseBlock()
{
    ForgetBlock();
    if (m_waitingLines <= 0)
        return;
    BlockEcho = TakeLine();
    int ok = m_blockOk;  // also counts an "OK" the full store could not keep
    while (m_waitingLines > 0) {
        const char* line = TakeLine();
        // Lines beyond the block's 50 are not kept, but a final "OK" still counts.
        if (BlockLineCount < MAX_BLOCK_LINES)
            BlockLines[BlockLineCount++] = line;
        if (EqualsOkIgnoringCase(line))
            ok = 1;
    }
    // The row whose prefix fits the echo; where several fit, the longest
    // prefix is the command itself ("AT$BELL" also fits an "AT$BELLTYPE?"
    // echo), and of equal ones the earliest row takes it.
    const size_t echoLength = strlen(BlockEcho);
    int row = -1;
    for (int r = 0; r < AT_COMMAND_COUNT; ++r) {
        const AtCommandRow& cmd = AtCommandTable[r];
        if (static_cast<size_t>(cmd.echoMatchLength) <= echoLength &&
            strncmp(cmd.text, BlockEcho, cmd.echoMatchLength) == 0 &&
            (row < 0 || cmd.echoMatchLength > AtCommandTable[row].echoMatchLength))
            row = r;
    }
    if (row < 0)
        return;  // no result: the command in flight is sent again after its time-out
    ++MatchCount[row];
    CurrentId = AtCommandTable[row].id;
    ApplyCallResult(CurrentId, ok);
    ParseBlockValues(CurrentId, ok);
    LastResult[row] = ok;
    OnBlockResult(CurrentId, ok);
}

void CCeMAtParser::ApplyCallResult(int id, int ok)
{
    if (id == kAnswerId) {
        if (ok) {
            CallState = CALL_CONNECTED;
            CallerIdSource = 2;
        } else {
            EndOfCall();
        }
    } else if (id == kReleaseId) {
        EndOfCall();
    } else if (id == kDialId) {
        if (ok) {
            CallState = CALL_SETUP;
            CallerIdSource = 1;
        } else {
            EndOfCall();
            // The dialled number, from the echoed line.
            CopyNumber(CallerNumber, strlen(BlockEcho) >= 7 ? BlockEcho + 6 : "");
        }
    }
}

bool CCeMAtParser::IsOkLine(const char* line) { return EqualsOkIgnoringCase(line); }

int CCeMAtParser::GetField(const char* line, int k, char* buf, int n)
{
    int pos = 0;
    for (int field = 0; field < k; ++field) {
        while (line[pos] && line[pos] != ',')
            ++pos;
        if (!line[pos]) {  // the line has fewer fields
            if (n > 0)
                buf[0] = 0;
            return pos;
        }
        ++pos;
    }
    int copied = 0;
    while (line[pos] && line[pos] != ',') {
        if (copied < n - 2)
            buf[copied++] = line[pos];
        ++pos;
    }
    if (n > 0)
        buf[copied] = 0;
    return pos;
}
