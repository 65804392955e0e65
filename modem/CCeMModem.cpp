#include "modem/CCeMModem.h"

#include <cstring>

#include "modem/ModemMessages.h"

namespace {
const DWORD kPurgeBuffers = PURGE_TXCLEAR | PURGE_RXCLEAR;  // 12
const DWORD kPurgeAll = 15;
const DWORD kProbeConnectedMs = 4000;
const DWORD kProbePollMs = 500;
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
    if (m_bOpenUnderWay)
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
    if (self->m_hWndMain)
        PostMessageW(self->m_hWndMain, WM_MODEM_OPENED, static_cast<WPARAM>(result), 0);
    return 0;
}

void CCeMModem::WaitForOpenThread()
{
    if (!m_hOpenThread)
        return;
    if (GetCurrentThreadId() != m_idOpenThread) {
        // The open thread may be sending to this thread's windows.
        WaitThreadPumping(m_hOpenThread, INFINITE);
    }
    CloseHandle(m_hOpenThread);
    m_hOpenThread = nullptr;
    m_idOpenThread = 0;
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
    return result;
}

void CCeMModem::AfterOpen(BOOL success)
{
    m_bOpenUnderWay = 0;
    if (!success)
        return;
    const LONG probe = PendingCallProbe();
    if (m_bClosing)
        return;  // close is waiting for this thread; it closes the port

    WriteDirect("ATE1\r\n");
    Sleep(m_settleMs);
    WriteDirect("AT$CONRPT=1\r\n");
    Sleep(m_settleMs);

    CreateTransactionLock();
    LinkState = LINK_OPENING;
    m_io->Purge(m_hPort, kPurgeBuffers);
    m_io->Purge(m_hPort, kPurgeAll);
    if (StartReaderThread()) {
        for (int i = 0; i < 100 && !m_bReaderRunning; ++i)
            Sleep(50);
    }
    LinkState = LINK_READY;
    IssueStartupQueries();

    if (CallState == CALL_IDLE && probe) {
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
            Sleep(kProbePollMs);
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
    WaitForOpenThread();
    int result = 0;
    if (IsOpen()) {
        result = CCeMSerialPort::Close();
        if (!result) {
            m_bClosing = 0;
            return 0;
        }
    }
    ResetTransactions();
    DestroyTransactionLock();
    m_bClosing = 0;
    return result;
}

void CCeMModem::Detach()
{
    LinkState = LINK_CLOSED;
    m_bClosing = 1;
    WaitForOpenThread();
    CCeMSerialPort::Detach();
    ResetTransactions();
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

void CCeMModem::OnResultArrived(int id, int)
{
    const int kRegistrationId = 30;
    if (id == kRegistrationId && Status.registration < 2 && CallState == CALL_LOCKED) {
        LinkState = LINK_READY;
        CallState = CALL_IDLE;
    }
}

void CCeMModem::ForgetParsedBlock()
{
    ForgetBlock();
    ClearRowResults();
}

void CCeMModem::OnBlockResult(int id, int ok) { Result(id, ok); }
