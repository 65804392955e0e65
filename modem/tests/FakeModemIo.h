#pragma once
// A scripted module behind the serial seam: what the link writes is logged
// and may be answered; tests inject bytes and line events.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "modem/CCeMSerialIo.h"

class FakeModemIo : public CCeMSerialIo {
public:
    static HANDLE FakeHandle() { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5150)); }

    // The module's answer to a written line: echo, the given lines, then
    // "OK" when ok is set, framed as the module frames a response block.
    static std::string Block(const std::string& written, const std::vector<std::string>& lines,
                             bool ok = true);

    // Answers every written command line with "OK" (plus lines from `answers`
    // keyed by the command text up to CR). Lines listed in `silent` get no answer.
    void AnswerEverything(bool on) { m_answerAll = on; }
    void SetAnswer(const std::string& command, const std::vector<std::string>& lines,
                   bool ok = true);
    void SetSilent(const std::string& command, bool silent = true);
    std::function<void(const std::string&)> onWrite;  // runs after the default answer

    void Inject(const std::string& bytes);
    void RaiseEvent(DWORD mask);

    std::vector<std::string> Writes();
    std::vector<std::string> CommandWrites();  // without ATE1 / AT$CONRPT=1
    void ClearWrites();
    std::vector<DWORD> Purges();
    std::vector<DWORD> Escapes();
    bool ReaderWaiting();

    // Knobs.
    bool failOpen = false;
    bool failSetState = false;
    bool failWrite = false;
    DWORD modemStatus = 0;
    bool modemStatusFails = false;
    std::wstring openedName;
    DCB dcb{};
    COMMTIMEOUTS timeouts{};
    DWORD eventMask = 0;
    int openCount = 0;
    int closeCount = 0;
    // A driver slow to return a wait that the event mask released.
    DWORD releaseDelayMs = 0;
    // Whether the thread that last waited for events was still running when
    // the handle was closed.
    bool readerAliveAtClose = false;

    HANDLE Open(const wchar_t* device) override;
    BOOL GetState(HANDLE h, DCB* d) override;
    BOOL SetState(HANDLE h, DCB* d) override;
    BOOL GetTimeouts(HANDLE h, COMMTIMEOUTS* t) override;
    BOOL SetTimeouts(HANDLE h, COMMTIMEOUTS* t) override;
    BOOL SetMask(HANDLE h, DWORD mask) override;
    BOOL WaitEvent(HANDLE h, DWORD* mask) override;
    BOOL Read(HANDLE h, void* buf, DWORD size, DWORD* got) override;
    BOOL Write(HANDLE h, const void* buf, DWORD size, DWORD* written) override;
    BOOL Purge(HANDLE h, DWORD flags) override;
    BOOL Escape(HANDLE h, DWORD func) override;
    BOOL ModemStatus(HANDLE h, DWORD* status) override;
    BOOL Close(HANDLE h) override;

private:
    std::string AnswerFor(const std::string& written);

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_rx;
    std::deque<DWORD> m_events;
    bool m_released = false;
    bool m_closed = false;
    bool m_waiting = false;
    bool m_answerAll = false;
    DWORD m_readerThread = 0;
    std::map<std::string, std::pair<std::vector<std::string>, bool>> m_answers;
    std::map<std::string, bool> m_silent;
    std::vector<std::string> m_writes;
    std::vector<DWORD> m_purges;
    std::vector<DWORD> m_escapes;
};
