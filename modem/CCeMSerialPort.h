#pragma once
// The serial channel to the module: open and configure the port, the reader
// thread that waits for communication events, writing, closing.
#include <windows.h>

#include "modem/CCeMSerialIo.h"

class CCeMSerialPort {
public:
    static constexpr DWORD RX_SIZE = 1024;

    CCeMSerialPort();
    virtual ~CCeMSerialPort();

    virtual int Open(int port, int caller);
    // Forgets the handle without closing it, after stopping the reader.
    virtual void Detach();
    virtual int Close();
    virtual int StartReaderThread();
    // 1 when every byte was written, else 0.
    virtual int Write(const void* bytes, DWORD count);
    virtual void AfterOpen(BOOL success) = 0;
    virtual BOOL ConfigurePort();

    // Test seam: the calls that reach the port.
    void SetSerialIo(CCeMSerialIo* io) { m_io = io ? io : &PlatformSerialIo(); }

    HANDLE PortHandle() const { return m_hPort; }
    BOOL IsOpen() const { return m_hPort != INVALID_HANDLE_VALUE; }
    int PortNumber() const { return m_nPort; }

protected:
    // Handles one communication event on the reader thread.
    virtual void HandleCommEvent(DWORD mask) = 0;
    // Stops the reader and closes its handle; close returns only after it ended.
    void StopReader();
    // Waits for a thread handle while still answering messages sent to this
    // thread, so a reader blocked in SendMessage to our window can finish.
    static BOOL WaitThreadPumping(HANDLE thread, DWORD timeoutMs);

    CCeMSerialIo* m_io;
    HANDLE m_hPort;
    int m_nPort;
    int m_nCaller;
    volatile LONG m_bStop;
    volatile LONG m_bReaderRunning;
    HANDLE m_hReader;
    DWORD m_idReader;
    char m_RxBuf[RX_SIZE + 1];
    DWORD m_nRx;

private:
    static DWORD WINAPI ReaderThreadProc(LPVOID self);
    void ReaderLoop();
};
