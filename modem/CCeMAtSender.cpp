#include "modem/CCeMAtSender.h"

#include <cstring>

#include "modem/ModemMessages.h"

namespace {

const int kDialId = 0x100A;
const int kSmsSendId = CCeMAtSender::SMS_SEND_ID;
// The lock is only ever held for one write; issue runs on the window thread,
// which must never wait without a limit.
const DWORD kIssueLockMs = 2000;

bool IsExclusiveId(int id) { return id == kDialId || id == kSmsSendId; }

bool IsTextKind(int kind) { return kind == AT_ARG_TEXT || kind == AT_ARG_SZ; }

// Bytes of the argument that make its complete copy, or -1 when it cannot
// be kept (a text that does not fit the command records).
int ArgumentSize(const void* arg, int kind)
{
    if (!arg)
        return 0;
    if (kind == AT_ARG_BYTE || kind == AT_ARG_WORD)
        return kind;
    if (IsTextKind(kind)) {
        const size_t n = strnlen(static_cast<const char*>(arg), AT_MAX_ARG);
        return n < static_cast<size_t>(AT_MAX_ARG) ? static_cast<int>(n) + 1 : -1;
    }
    return 0;
}

void CopyArgument(char* dst, size_t dstSize, const void* arg, int size)
{
    memset(dst, 0, dstSize);
    if (size > 0)
        memcpy(dst, arg, size);
}

}  // namespace

CCeMAtSender::CCeMAtSender()
    : Ready(1), CurrentSendId(-1), LastWriteResult(0), Exclusive(0), InFlight{}, m_queue{},
      m_read(0), m_write(0), m_lock(nullptr)
{
    InFlight.id = -1;
}

CCeMAtSender::~CCeMAtSender() { DestroyTransactionLock(); }

BOOL CCeMAtSender::CreateTransactionLock()
{
    if (!m_lock)
        m_lock = CreateEventW(nullptr, FALSE, TRUE, nullptr);  // auto-reset, signalled
    return m_lock != nullptr;
}

void CCeMAtSender::DestroyTransactionLock()
{
    if (m_lock) {
        CloseHandle(m_lock);
        m_lock = nullptr;
    }
}

bool CCeMAtSender::TakeLock(DWORD timeoutMs)
{
    return m_lock && WaitForSingleObject(m_lock, timeoutMs) == WAIT_OBJECT_0;
}

void CCeMAtSender::ReleaseLock() { SetEvent(m_lock); }

void CCeMAtSender::ResetTransactions()
{
    m_read = m_write = 0;
    Ready = 1;
    Exclusive = 0;
    InFlight.id = -1;
    CurrentSendId = -1;
}

bool CCeMAtSender::QueueFull() const { return (m_write + 1) % QUEUE_SLOTS == m_read; }

bool CCeMAtSender::QueueEmpty() const { return m_read == m_write; }

int CCeMAtSender::QueuedCount() const
{
    return (m_write - m_read + QUEUE_SLOTS) % QUEUE_SLOTS;
}

void CCeMAtSender::RecordInFlight(int id, const void* arg, int kind)
{
    InFlight.id = id;
    InFlight.kind = kind;
    CopyArgument(InFlight.arg, sizeof InFlight.arg, arg, ArgumentSize(arg, kind));
    InFlight.startTick = GetTickCount();
    if (IsExclusiveId(id))
        Exclusive = 1;
}

int CCeMAtSender::Send(int id, const void* arg, int kind)
{
    Ready = 0;
    CurrentSendId = id;
    char line[AT_MAX_LINE + 1];
    const int n = BuildAtCommand(id, arg, kind, line);
    const int result = n >= 0 ? WriteCommand(line, static_cast<DWORD>(n)) : 0;
    LastWriteResult = result;
    if (!result)
        Ready = 1;
    return result;
}

void CCeMAtSender::Announce(int id, int result)
{
    NotifyResultWindow(WM_MODEM_SENT, static_cast<WPARAM>(id), result);
}

int CCeMAtSender::Issue(int id, const void* arg, int kind)
{
    if (!CanIssue() || !FindAtCommandRow(id))
        return 0;
    const int argSize = ArgumentSize(arg, kind);
    if (argSize < 0)
        return 0;
    // A command that cannot be put on the wire (a dial number too long for
    // its line, a missing argument) would stay in flight for ever.
    char line[AT_MAX_LINE + 1];
    if (BuildAtCommand(id, arg, kind, line) < 0)
        return 0;
    if (!TakeLock(kIssueLockMs))
        return 0;
    if (Ready && !Exclusive) {
        if (QueueFull()) {
            ReleaseLock();
            return 0;
        }
        RecordInFlight(id, arg, kind);
        const int result = Send(id, InFlight.arg, kind);
        ReleaseLock();
        Announce(id, result);
        return result;
    }
    if (QueueFull()) {
        ReleaseLock();
        return 0;
    }
    AtQueueSlot& slot = m_queue[m_write];
    slot.id = id;
    slot.kind = static_cast<SHORT>(kind);
    CopyArgument(slot.arg, sizeof slot.arg, arg, argSize);
    m_write = (m_write + 1) % QUEUE_SLOTS;
    ReleaseLock();
    return 1;
}

int CCeMAtSender::SendNextQueued(int* sentId)
{
    const AtQueueSlot& slot = m_queue[m_read];
    m_read = (m_read + 1) % QUEUE_SLOTS;
    RecordInFlight(slot.id, slot.arg, slot.kind);
    *sentId = InFlight.id;
    return Send(InFlight.id, InFlight.arg, InFlight.kind);
}

void CCeMAtSender::OnResultArrived(int, int) {}

void CCeMAtSender::Result(int id, int ok)
{
    // Sent before the lock is taken: a window that issues commands while it
    // handles the result must not wait for itself.
    NotifyResultWindow(WM_MODEM_RESULT, static_cast<WPARAM>(id), ok);
    OnResultArrived(id, ok);
    if (!TakeLock(INFINITE))
        return;
    if (IsExclusiveId(id))
        Exclusive = 0;
    ForgetParsedBlock();
    Ready = 1;
    int sentId = -1;
    int result = 0;
    if (!Exclusive) {
        if (QueueEmpty())
            InFlight.id = -1;
        else if (id == InFlight.id && CanIssue())  // nothing more once closing began
            result = SendNextQueued(&sentId);
    }
    ReleaseLock();
    if (sentId != -1)
        Announce(sentId, result);
}

int CCeMAtSender::Pump()
{
    if (!TakeLock(100))
        return 0;
    int result = 0;
    int sentId = -1;
    if (InFlight.id != -1) {
        const AtCommandRow* row = FindAtCommandRow(InFlight.id);
        const DWORD timeout = row ? row->timeoutMs : 1000;
        if (GetTickCount() - InFlight.startTick >= timeout) {
            InFlight.startTick = GetTickCount();
            PrepareResend();
            sentId = InFlight.id;
            result = Send(InFlight.id, InFlight.arg, InFlight.kind);
        }
    } else if (!Exclusive && !QueueEmpty()) {
        SendNextQueued(&sentId);
        result = 1;
    }
    const int written = LastWriteResult;
    ReleaseLock();
    if (sentId != -1)
        Announce(sentId, written);
    return result;
}
