#include "modem/CCeMModem.h"

#include <cstring>

#include "modem/ModemMessages.h"

namespace {
const DWORD kPurgeBuffers = PURGE_TXCLEAR | PURGE_RXCLEAR;  // 12
const DWORD kPurgeAll = 15;
const DWORD kProbeConnectedMs = 4000;
const DWORD kProbePollMs = 500;
// The open thread looks at the close flag between its steps, the longest of
// which are platform calls; one still running after this long is stuck.
const DWORD kOpenThreadLimitMs = 3000;
const DWORD kSettleStepMs = 20;
const DWORD kReaderStartMs = 100 * 50;
const int kCallerIdId = 5;

bool Contains(const char* buf, DWORD n, const char* text)
{
    const size_t len = strlen(text);
    for (DWORD i = 0; i + len <= n; ++i)
        if (memcmp(buf + i, text, len) == 0)
            return true;
    return false;
}
}  // namespace

LONG CCeMModem::s_ringBurst = 0;

CCeMModem::CCeMModem()
    : LinkState(LINK_CLOSED),
      LineCheckSuspended(0),
      m_hWndMain(nullptr),
      m_hWndResult(nullptr),
      m_hWndMessage(nullptr),
      m_bOpenUnderWay(0),
      m_bClosing(0),
      m_hOpenThread(nullptr),
      m_idOpenThread(0),
      m_openPort(0),
      m_openCaller(0),
      m_settleMs(200),
      m_lastRingTick(0),
      m_bRingSeen(false),
      m_pollTick(0)
{
}

CCeMModem::~CCeMModem()
{
    Close();
    WaitForOpenThread();
}

// --- opening ---------------------------------------------------------------

int CCeMModem::StartOpening(int port, int caller)
{
    // An open thread still issuing its start-up queries counts as under way.
    if (m_bOpenUnderWay || OpenThreadRunning())
        return 0;
    WaitForOpenThread();  // a finished earlier open thread
    m_bOpenUnderWay = 1;
    m_openPort = port;
    m_openCaller = caller;
    if (!IsOpen())  // an open link stays as it is; the open reports -2
        LinkState = LINK_CLOSED;
    m_hOpenThread = CreateThread(nullptr, 0, OpenThreadProc, this, 0, &m_idOpenThread);
    if (!m_hOpenThread) {
        m_bOpenUnderWay = 0;
        return -1;
    }
    return 0;
}

DWORD WINAPI CCeMModem::OpenThreadProc(LPVOID param)
{
    auto* self = static_cast<CCeMModem*>(param);
    const int result = self->Open(self->m_openPort, self->m_openCaller);
    // A close that began meanwhile wins: it reports nothing.
    if (self->m_hWndMain && !self->m_bClosing)
        PostMessageW(self->m_hWndMain, WM_MODEM_OPENED, static_cast<WPARAM>(result), 0);
    return 0;
}

bool CCeMModem::OpenThreadRunning() const
{
    return m_hOpenThread && WaitForSingleObject(m_hOpenThread, 0) == WAIT_TIMEOUT;
}

void CCeMModem::WaitForOpenThread()
{
    if (!m_hOpenThread)
        return;
    if (GetCurrentThreadId() != m_idOpenThread) {
        // The open thread may be sending to this thread's windows.
        if (!WaitThreadPumping(m_hOpenThread, kOpenThreadLimitMs))
            TerminateThread(m_hOpenThread, static_cast<DWORD>(-1));
    }
    CloseHandle(m_hOpenThread);
    m_hOpenThread = nullptr;
    m_idOpenThread = 0;
}

bool CCeMModem::Settle(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (m_bClosing)
            return false;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            return true;
        Sleep(ms - elapsed < kSettleStepMs ? ms - elapsed : kSettleStepMs);
    }
}

void CCeMModem::ReleaseSender()
{
    if (InSendMessage())
        ReplyMessage(0);
}

void CCeMModem::DropOpenedReports()
{
    if (!m_hWndMain || GetWindowThreadProcessId(m_hWndMain, nullptr) != GetCurrentThreadId())
        return;
    MSG msg;
    while (PeekMessageW(&msg, m_hWndMain, WM_MODEM_OPENED, WM_MODEM_OPENED, PM_REMOVE)) {
    }
}

void CCeMModem::ResetLink()
{
    m_bOpenUnderWay = 1;
    ResetTransactions();
    LinkState = LINK_CLOSED;
    LineCheckSuspended = 0;
    Status.Reset();
    ResetFraming();
    m_nRx = 0;
    m_RxBuf[0] = 0;
}

int CCeMModem::Open(int port, int caller)
{
    // A link that is already open is left exactly as it is.
    if (IsOpen()) {
        m_bOpenUnderWay = 0;
        return OPEN_ALREADY_OPEN;
    }
    ResetLink();
    const int result = CCeMSerialPort::Open(port, caller);
    if (result == OPEN_BAD_PORT)
        m_bOpenUnderWay = 0;
    // Closed while it settled: the close closes the port, nothing was opened.
    if (result == OPEN_OK && m_bClosing)
        return OPEN_CANNOT_OPEN;
    return result;
}

void CCeMModem::AfterOpen(BOOL success)
{
    m_bOpenUnderWay = 0;
    if (!success)
        return;
    // A close may begin at any step below; it waits for this thread and then
    // closes the port, so each step gives up as soon as it sees it.
    const LONG probe = PendingCallProbe();
    if (m_bClosing)
        return;

    WriteDirect("ATE1\r\n");
    if (!Settle(m_settleMs))
        return;
    WriteDirect("AT$CONRPT=1\r\n");
    if (!Settle(m_settleMs))
        return;

    CreateTransactionLock();
    LinkState = LINK_OPENING;
    m_io->Purge(m_hPort, kPurgeBuffers);
    m_io->Purge(m_hPort, kPurgeAll);
    if (StartReaderThread()) {
        // Ready as soon as the reader runs: its flag is looked at every
        // millisecond, for as long as 100 looks 50 ms apart would take.
        const DWORD start = GetTickCount();
        while (!m_bReaderRunning && GetTickCount() - start < kReaderStartMs && Settle(1)) {
        }
    }
    if (m_bClosing)
        return;
    LinkState = LINK_READY;
    IssueStartupQueries();

    if (CallState == CALL_IDLE && probe && !m_bClosing) {
        CallState = probe;
        if (probe == CALL_CONNECTED)
            Issue(kCallerIdId, nullptr, AT_ARG_NONE);
    }
}

void CCeMModem::IssueStartupQueries()
{
    CmdBattery();
    CmdSetWarnSound(1);
    CmdSysTime();
    CmdPing();
    CmdRegistration();
    CmdDialInfo();
    CmdVolume();
    CmdRingVolume();
    CmdMtCount();
    CmdReadNewMt(0);
}

LONG CCeMModem::PendingCallProbe()
{
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD status = 0;
        if (m_bClosing || !m_io->ModemStatus(m_hPort, &status) || !(status & MS_RLSD_ON))
            return CALL_IDLE;
        const DWORD elapsed = GetTickCount() - start;
        if (!(status & MS_RING_ON)) {
            if (elapsed > kProbeConnectedMs) {
                CallerIdSource = 0;
                return CALL_CONNECTED;
            }
            if (!Settle(kProbePollMs))
                return CALL_IDLE;
            continue;
        }
        DWORD got = 0;
        const DWORD room = RX_SIZE - m_nRx;
        if (room == 0 || !m_io->Read(m_hPort, m_RxBuf + m_nRx, room, &got))
            got = 0;
        m_nRx += got;
        m_RxBuf[m_nRx] = 0;
        if (Contains(m_RxBuf, m_nRx, "RING")) {
            CallerIdSource = 2;
            return CALL_RINGING;
        }
        if (Contains(m_RxBuf, m_nRx, "NEWMSG") || Contains(m_RxBuf, m_nRx, "REMSG") ||
            Contains(m_RxBuf, m_nRx, "NEWMT") || Contains(m_RxBuf, m_nRx, "REMT"))
            return CALL_IDLE;
        // A ring line held on with no text must not hold the open forever.
        if (elapsed > kProbeConnectedMs)
            return CALL_IDLE;
        if (got == 0)
            Sleep(10);
    }
}

// --- closing -----------------------------------------------------------------

int CCeMModem::Close()
{
    LinkState = LINK_CLOSED;
    m_bOpenUnderWay = 0;
    m_bClosing = 1;
    ReleaseSender();
    WaitForOpenThread();
    const int result = IsOpen() ? CCeMSerialPort::Close() : 0;
    // The open thread may have moved the state on before it saw the close.
    LinkState = LINK_CLOSED;
    ResetTransactions();
    DestroyTransactionLock();
    DropOpenedReports();
    m_bClosing = 0;
    return result;
}

void CCeMModem::Detach()
{
    LinkState = LINK_CLOSED;
    m_bClosing = 1;
    ReleaseSender();
    WaitForOpenThread();
    CCeMSerialPort::Detach();
    LinkState = LINK_CLOSED;
    ResetTransactions();
    DropOpenedReports();
    m_bClosing = 0;
}

int CCeMModem::WriteDirect(const char* text)
{
    return Write(text, static_cast<DWORD>(strlen(text)));
}

// --- sender and parser hooks --------------------------------------------------

int CCeMModem::WriteCommand(const void* bytes, DWORD count) { return Write(bytes, count); }

BOOL CCeMModem::CanIssue() { return IsOpen() && LinkState < LINK_CLOSED; }

void CCeMModem::PrepareResend()
{
    m_io->Purge(m_hPort, kPurgeBuffers);
    m_io->Escape(m_hPort, CLRDTR);
}

void CCeMModem::NotifyResultWindow(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_hWndResult)
        SendMessageW(m_hWndResult, msg, wParam, lParam);
}

void CCeMModem::NotifyMessageWindow(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_hWndMessage)
        SendMessageW(m_hWndMessage, msg, wParam, lParam);
}

void CCeMModem::OnResultArrived(int id, int ok)
{
    const int kRegistrationId = 30;
    if (id == kRegistrationId && Status.registration < 2 && CallState == CALL_LOCKED) {
        LinkState = LINK_READY;
        CallState = CALL_IDLE;
    }
    // The message window hears of its send line's answer too, in order with
    // the verdicts: an error fails the text at once, and only a verdict that
    // follows the OK can be the one for that text.
    if (id == SMS_SEND_ID && m_hWndMessage && m_hWndMessage != m_hWndResult)
        SendMessageW(m_hWndMessage, WM_MODEM_RESULT, static_cast<WPARAM>(id), ok);
}

void CCeMModem::ForgetParsedBlock()
{
    ForgetBlock();
    ClearRowResults();
}

void CCeMModem::OnBlockResult(int id, int ok) { Result(id, ok); }
