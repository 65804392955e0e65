#include "modem/CCeMModem.h"

#include "modem/ModemMessages.h"

namespace {
const DWORD kReceiveBits = EV_RXCHAR | EV_TXEMPTY | EV_ERR;  // 0x85
const DWORD kLineBits = EV_RING | EV_RLSD;
const DWORD kRingBurstMs = 1000;
const LONG kRingBurstLimit = 4;
const wchar_t kModemError[] = L"Modem Error 0";
}  // namespace

void CCeMModem::HandleCommEvent(DWORD mask)
{
    if (mask & kReceiveBits)
        Receive();
    // Events that arrive together come in one mask: a line change that came
    // with received bytes is checked too, or a carrier lost just after the
    // last bytes would go unnoticed.
    if ((!(mask & EV_RXCHAR) || (mask & kLineBits)) && !LineCheckSuspended)
        LineCheck(mask);
    if (m_hWndMain)
        SendMessageW(m_hWndMain, WM_MODEM_COMMEVENT, mask, reinterpret_cast<LPARAM>(this));
    m_nRx = 0;
    m_RxBuf[0] = 0;
    if (CallState == CALL_NO_CARRIER) {
        CallerIdSource = 0;
        CallerNumber[0] = 0;
        WaitingCallerNumber[0] = 0;
        WaitingNoticeCount = 0;
        HandledNoticeCount = 0;
    }
}

void CCeMModem::FeedReceived()
{
    if (Feed(m_RxBuf, static_cast<int>(m_nRx)))
        DispatchUnsolicited();
}

void CCeMModem::Receive()
{
    DWORD room = RX_SIZE - m_nRx;
    DWORD got = 0;
    if (room == 0 || !m_io->Read(m_hPort, m_RxBuf + m_nRx, room, &got))
        got = 0;
    m_nRx += got;
    m_RxBuf[m_nRx] = 0;
    FeedReceived();
    // A full buffer may have left bytes in the driver, which raises no new
    // event for them: read on until it is drained.
    while (room > 0 && got == room && !m_bStop) {
        m_nRx = 0;
        room = RX_SIZE;
        if (!m_io->Read(m_hPort, m_RxBuf, room, &got))
            got = 0;
        m_nRx = got;
        m_RxBuf[m_nRx] = 0;
        FeedReceived();
    }
    if (CallState == CALL_LOCKED) {
        LinkState = LINK_LOCKED;
        Status.registration = 2;
    }
}

void CCeMModem::LineCheck(DWORD mask)
{
    if (mask & EV_RING) {
        const DWORD now = GetTickCount();
        const bool quick = m_bRingSeen && now - m_lastRingTick < kRingBurstMs;
        m_lastRingTick = now;
        m_bRingSeen = true;
        if (quick) {
            // A ring line that chatters: clear the module's received messages.
            if (InterlockedIncrement(&s_ringBurst) > kRingBurstLimit) {
                WriteDirect("AT$DELALLMT\r\n");
                if (m_hWndMain)
                    SendMessageW(m_hWndMain, WM_MODEM_ERROR,
                                 reinterpret_cast<WPARAM>(kModemError), 0);
                return;
            }
        } else {
            s_ringBurst = 0;
        }
    }
    if (CallState == CALL_RINGING || CallState == CALL_CONNECTED) {
        DWORD status = 0;
        // An unreadable status says nothing about the carrier.
        if (m_io->ModemStatus(m_hPort, &status) && !(status & MS_RLSD_ON))
            EndOfCall();
    }
}
