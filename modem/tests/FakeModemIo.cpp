#include "FakeModemIo.h"

std::string FakeModemIo::Block(const std::string& written, const std::vector<std::string>& lines,
                               bool ok)
{
    // The echo keeps the command's CR; the LF after it is echoed last and
    // ends the block.
    std::string echo = written.substr(0, written.find('\r'));
    std::string out = echo + "\r" + "\r\n";
    for (const std::string& l : lines)
        out += l + "\r\n";
    if (ok)
        out += "\r\nOK\r\n";
    else
        out += "\r\nERROR\r\n";
    return out + "\n";
}

void FakeModemIo::SetAnswer(const std::string& command, const std::vector<std::string>& lines,
                            bool ok)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers[command] = {lines, ok};
}

void FakeModemIo::SetSilent(const std::string& command, bool silent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_silent[command] = silent;
}

std::string FakeModemIo::AnswerFor(const std::string& written)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t cr = written.find('\r');
    if (cr == std::string::npos)
        return {};
    const std::string command = written.substr(0, cr);
    if (m_silent[command])
        return {};
    auto it = m_answers.find(command);
    if (it != m_answers.end())
        return Block(written, it->second.first, it->second.second);
    return m_answerAll ? Block(written, {}) : std::string();
}

void FakeModemIo::Inject(const std::string& bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_rx += bytes;
        if (m_events.empty() || m_events.back() != EV_RXCHAR)
            m_events.push_back(EV_RXCHAR);
    }
    m_cv.notify_all();
}

void FakeModemIo::RaiseEvent(DWORD mask)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(mask);
    }
    m_cv.notify_all();
}

std::vector<std::string> FakeModemIo::Writes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_writes;
}

std::vector<std::string> FakeModemIo::CommandWrites()
{
    std::vector<std::string> out;
    for (const std::string& w : Writes())
        if (w != "ATE1\r\n" && w != "AT$CONRPT=1\r\n")
            out.push_back(w);
    return out;
}

void FakeModemIo::ClearWrites()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_writes.clear();
}

std::vector<DWORD> FakeModemIo::Purges()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_purges;
}

std::vector<DWORD> FakeModemIo::Escapes()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_escapes;
}

bool FakeModemIo::ReaderWaiting()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting;
}

HANDLE FakeModemIo::Open(const wchar_t* device)
{
    openedName = device;
    ++openCount;
    if (failOpen)
        return INVALID_HANDLE_VALUE;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = false;
    m_released = false;
    m_events.clear();  // bytes already sent by the module stay waiting
    return FakeHandle();
}

BOOL FakeModemIo::GetState(HANDLE, DCB* d)
{
    *d = dcb;
    d->DCBlength = sizeof(DCB);
    return TRUE;
}

BOOL FakeModemIo::SetState(HANDLE, DCB* d)
{
    if (failSetState)
        return FALSE;
    dcb = *d;
    return TRUE;
}

BOOL FakeModemIo::GetTimeouts(HANDLE, COMMTIMEOUTS* t)
{
    *t = timeouts;
    return TRUE;
}

BOOL FakeModemIo::SetTimeouts(HANDLE, COMMTIMEOUTS* t)
{
    timeouts = *t;
    return TRUE;
}

BOOL FakeModemIo::SetMask(HANDLE, DWORD mask)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        eventMask = mask;
        if (mask == 0)
            m_released = true;
    }
    m_cv.notify_all();
    return TRUE;
}

BOOL FakeModemIo::WaitEvent(HANDLE, DWORD* mask)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_readerThread = GetCurrentThreadId();
    m_waiting = true;
    m_cv.wait(lock, [this] { return !m_events.empty() || m_released || m_closed; });
    m_waiting = false;
    *mask = 0;
    if (m_closed)
        return FALSE;
    if (m_released) {
        m_released = false;
        const DWORD delay = releaseDelayMs;
        lock.unlock();
        Sleep(delay);
        return TRUE;
    }
    *mask = m_events.front() & eventMask;
    m_events.pop_front();
    return TRUE;
}

BOOL FakeModemIo::Read(HANDLE, void* buf, DWORD size, DWORD* got)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const DWORD n = static_cast<DWORD>(std::min<size_t>(size, m_rx.size()));
    memcpy(buf, m_rx.data(), n);
    m_rx.erase(0, n);
    *got = n;
    return !m_closed;
}

BOOL FakeModemIo::Write(HANDLE, const void* buf, DWORD size, DWORD* written)
{
    const std::string bytes(static_cast<const char*>(buf), size);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_writes.push_back(bytes);
        if (failWrite || m_closed) {
            *written = 0;
            return FALSE;
        }
    }
    *written = size;
    const std::string answer = AnswerFor(bytes);
    if (!answer.empty())
        Inject(answer);
    if (onWrite)
        onWrite(bytes);
    return TRUE;
}

BOOL FakeModemIo::Purge(HANDLE, DWORD flags)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_purges.push_back(flags);
    if (flags & PURGE_RXCLEAR)
        m_rx.clear();
    return TRUE;
}

BOOL FakeModemIo::Escape(HANDLE, DWORD func)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_escapes.push_back(func);
    return TRUE;
}

BOOL FakeModemIo::ModemStatus(HANDLE, DWORD* status)
{
    *status = modemStatus;
    return modemStatusFails ? FALSE : TRUE;
}

BOOL FakeModemIo::Close(HANDLE)
{
    DWORD reader = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        reader = m_readerThread;
    }
    readerAliveAtClose = false;
    if (reader) {
        if (HANDLE t = OpenThread(SYNCHRONIZE, FALSE, reader)) {
            readerAliveAtClose = WaitForSingleObject(t, 0) == WAIT_TIMEOUT;
            CloseHandle(t);
        }
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        ++closeCount;
    }
    m_cv.notify_all();
    return TRUE;
}
