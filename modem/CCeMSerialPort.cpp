#include "modem/CCeMSerialPort.h"

#include "modem/ModemMessages.h"

namespace {
const DWORD kEvPower = 0x2000;  // the handheld's power event; desktop headers lack it
const DWORD kEventMask = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD |
                         EV_BREAK | EV_ERR | EV_RING | kEvPower;  // 0x21FF
const DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
const DWORD kResetDev = 7;  // escape function: reset the device
}  // namespace

CCeMSerialPort::CCeMSerialPort()
    : m_io(&PlatformSerialIo()),
      m_hPort(INVALID_HANDLE_VALUE),
      m_nPort(0),
      m_nCaller(0),
      m_bStop(1),
      m_bReaderRunning(0),
      m_hReader(nullptr),
      m_idReader(0),
      m_RxBuf{},
      m_nRx(0)
{
}

CCeMSerialPort::~CCeMSerialPort() = default;

int CCeMSerialPort::Open(int port, int caller)
{
    if (port < 0 || port > 9)
        return OPEN_BAD_PORT;
    if (m_hPort != INVALID_HANDLE_VALUE)
        return OPEN_ALREADY_OPEN;
    m_nPort = port;
    m_nCaller = caller;
    wchar_t name[] = L"COM0:";
    name[3] = static_cast<wchar_t>(L'0' + port);
    m_hPort = m_io->Open(name);
    if (m_hPort != INVALID_HANDLE_VALUE && ConfigurePort()) {
        m_bStop = 0;
        AfterOpen(TRUE);
        return OPEN_OK;
    }
    const BOOL valid = m_hPort != INVALID_HANDLE_VALUE;
    AfterOpen(FALSE);
    return valid ? OPEN_CONFIG_FAILED : OPEN_CANNOT_OPEN;
}

BOOL CCeMSerialPort::ConfigurePort()
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!m_io->GetState(m_hPort, &dcb))
        return FALSE;
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    if (!m_io->SetState(m_hPort, &dcb))
        return FALSE;

    COMMTIMEOUTS t{};
    m_io->GetTimeouts(m_hPort, &t);
    t.ReadIntervalTimeout = MAXDWORD;  // a read returns at once with what is buffered
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 0;
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = 0;
    if (!m_io->SetTimeouts(m_hPort, &t))
        return FALSE;

    m_io->SetMask(m_hPort, kEventMask);
    m_io->Escape(m_hPort, SETDTR);
    m_io->Escape(m_hPort, SETRTS);
    return TRUE;
}

int CCeMSerialPort::Write(const void* bytes, DWORD count)
{
    if (m_hPort == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    if (!m_io->Write(m_hPort, bytes, count, &written))
        return 0;
    return written == count ? 1 : 0;
}

int CCeMSerialPort::StartReaderThread()
{
    if (m_hReader)
        return 0;
    m_hReader = CreateThread(nullptr, 0, ReaderThreadProc, this, 0, &m_idReader);
    return m_hReader ? 1 : 0;
}

DWORD WINAPI CCeMSerialPort::ReaderThreadProc(LPVOID self)
{
    static_cast<CCeMSerialPort*>(self)->ReaderLoop();
    return 0;
}

void CCeMSerialPort::ReaderLoop()
{
    InterlockedExchange(&m_bReaderRunning, 1);
    while (!m_bStop && m_hPort != INVALID_HANDLE_VALUE) {
        DWORD mask = 0;
        if (!m_io->WaitEvent(m_hPort, &mask))
            break;
        // Some drivers wake the wait with no event; there is nothing to handle.
        if (!m_bStop && mask != 0)
            HandleCommEvent(mask);
    }
    InterlockedExchange(&m_bReaderRunning, 0);
}

BOOL CCeMSerialPort::WaitThreadPumping(HANDLE thread, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        const DWORD r =
            MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return TRUE;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CCeMSerialPort::StopReader()
{
    if (!m_hReader)
        return;
    if (GetCurrentThreadId() != m_idReader) {
        // Closing from a handler of a message the reader sent: answer it now,
        // or the reader could never finish its event.
        if (InSendMessage())
            ReplyMessage(0);
        // About one second, then the reader is ended by force.
        if (!WaitThreadPumping(m_hReader, 1000))
            TerminateThread(m_hReader, static_cast<DWORD>(-1));
    }
    CloseHandle(m_hReader);
    m_hReader = nullptr;
    m_idReader = 0;
    m_bReaderRunning = 0;
}

void CCeMSerialPort::Detach()
{
    if (m_hPort == INVALID_HANDLE_VALUE)
        return;
    m_bStop = 1;
    m_io->SetMask(m_hPort, 0);
    StopReader();
    m_hPort = INVALID_HANDLE_VALUE;
}

int CCeMSerialPort::Close()
{
    if (m_hPort == INVALID_HANDLE_VALUE)
        return 0;
    m_bStop = 1;
    m_io->SetMask(m_hPort, 0);  // releases the reader's wait
    m_io->Purge(m_hPort, kPurgeAll);
    m_io->Escape(m_hPort, CLRDTR);
    m_io->Escape(m_hPort, kResetDev);
    m_io->Purge(m_hPort, kPurgeAll);
    // The reader goes first: once the handle is closed its value may be
    // given to another open, and a reader still running would act on that.
    StopReader();
    const HANDLE port = m_hPort;
    m_hPort = INVALID_HANDLE_VALUE;
    return m_io->Close(port) ? 1 : 0;
}
