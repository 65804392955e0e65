#include "ce/serial/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include <pegdser.h>

namespace zenserial {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kFailed = static_cast<DWORD>(-1);
constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;

DWORD Fail(DWORD error)
{
    SetLastError(error);
    return kFailed;
}

BOOL FailBool(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace

SerialPort::SerialPort(std::unique_ptr<SerialBackend> backend)
    : backend_(std::move(backend)), writeAbort_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    dcb_.DCBlength = sizeof dcb_;
    dcb_.BaudRate = CBR_9600;
    dcb_.fBinary = TRUE;
    dcb_.ByteSize = 8;
    dcb_.Parity = NOPARITY;
    dcb_.StopBits = ONESTOPBIT;
    dcb_.fDtrControl = DTR_CONTROL_ENABLE;
    dcb_.fRtsControl = RTS_CONTROL_ENABLE;
    dcb_.XonChar = 0x11;
    dcb_.XoffChar = 0x13;
    dcb_.XonLim = 512;
    dcb_.XoffLim = 128;
}

SerialPort::~SerialPort()
{
    Shutdown();
    if (writeAbort_)
        CloseHandle(writeAbort_);
}

bool SerialPort::Start()
{
    return backend_ && backend_->Start(this);
}

void SerialPort::Shutdown()
{
    {
        Lock hold(lock_);
        if (stopped_)
            return;
        stopped_ = down_ = true;
        changed_.notify_all();
    }
    SetEvent(writeAbort_);
    if (backend_)
        backend_->Stop();
}

std::shared_ptr<SerialPort::OpenHandle> SerialPort::Find(DWORD_PTR open, DWORD& error)
{
    if (down_) {
        error = ERROR_DEVICE_REMOVED;
        return nullptr;
    }
    auto it = opens_.find(open);
    if (it == opens_.end()) {
        error = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    return it->second;
}

DWORD_PTR SerialPort::Open(DWORD access, DWORD /*share*/)
{
    Lock hold(lock_);
    if (down_) {
        SetLastError(ERROR_DEVICE_REMOVED);
        return 0;
    }
    // Any number of status handles, but one reader/writer at a time.
    if (access & kReadWrite) {
        for (auto& o : opens_) {
            if (o.second->access & kReadWrite) {
                SetLastError(ERROR_INVALID_ACCESS);
                return 0;
            }
        }
    }
    auto h = std::make_shared<OpenHandle>();
    h->access = access;
    DWORD_PTR id = nextOpen_++;
    opens_[id] = h;
    if (access & kReadWrite) {
        rx_.clear();
        errors_ = 0;
        ResetEvent(writeAbort_);
        ApplyLines(hold);
    }
    return id;
}

BOOL SerialPort::Close(DWORD_PTR open)
{
    Lock hold(lock_);
    auto it = opens_.find(open);
    if (it == opens_.end())
        return FailBool(ERROR_INVALID_HANDLE);
    bool owner = (it->second->access & kReadWrite) != 0;
    it->second->closed = true;
    opens_.erase(it);
    changed_.notify_all();
    // The owner's writes under way end; the line drops DTR and RTS when its
    // owner lets go, as a closed port does.
    if (owner)
        SetEvent(writeAbort_);
    if (owner && !down_) {
        dtr_ = rts_ = false;
        hold.unlock();
        backend_->SetControlLines(false, false);
    }
    return TRUE;
}

DWORD SerialPort::Read(DWORD_PTR open, void* buffer, DWORD count)
{
    Lock hold(lock_);
    DWORD error = 0;
    auto h = Find(open, error);
    if (!h)
        return Fail(error);
    if (!(h->access & GENERIC_READ))
        return Fail(ERROR_INVALID_ACCESS);
    BYTE* dst = static_cast<BYTE*>(buffer);
    const COMMTIMEOUTS t = timeouts_;
    const unsigned aborts = readAborts_;
    DWORD got = 0;
    auto take = [&] {
        while (got < count && !rx_.empty()) {
            dst[got++] = rx_.front();
            rx_.pop_front();
        }
    };
    take();
    if (got == count || count == 0)
        return got;
    // Interval MAXDWORD with no totals: return at once with what there is.
    if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0)
        return got;
    // Interval and multiplier MAXDWORD: return at the first byte, or after the constant.
    bool firstByte = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                     t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MAXDWORD;
    if (firstByte && got)
        return got;
    Clock::time_point start = Clock::now();
    bool hasTotal;
    Clock::time_point totalEnd;
    if (firstByte) {
        hasTotal = true;
        totalEnd = start + std::chrono::milliseconds(t.ReadTotalTimeoutConstant);
    } else {
        unsigned long long ms = static_cast<unsigned long long>(t.ReadTotalTimeoutMultiplier) * count +
                                t.ReadTotalTimeoutConstant;
        hasTotal = ms != 0;
        totalEnd = start + std::chrono::milliseconds(ms);
    }
    bool hasInterval = !firstByte && t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;
    Clock::time_point lastByte = start;
    for (;;) {
        if (down_ || h->closed || readAborts_ != aborts)
            break;
        DWORD before = got;
        take();
        if (got > before)
            lastByte = Clock::now();
        if (got == count || (firstByte && got))
            break;
        Clock::time_point until = Clock::time_point::max();
        if (hasTotal)
            until = totalEnd;
        if (hasInterval && got)
            until = std::min(until, lastByte + std::chrono::milliseconds(t.ReadIntervalTimeout));
        if (until == Clock::time_point::max())
            changed_.wait(hold);
        else if (changed_.wait_until(hold, until) == std::cv_status::timeout) {
            take();
            break;
        }
    }
    if (got == 0 && down_)
        return Fail(ERROR_DEVICE_REMOVED);
    return got;
}

DWORD SerialPort::Write(DWORD_PTR open, const void* buffer, DWORD count)
{
    COMMTIMEOUTS t;
    {
        Lock hold(lock_);
        DWORD error = 0;
        auto h = Find(open, error);
        if (!h)
            return Fail(error);
        if (!(h->access & GENERIC_WRITE))
            return Fail(ERROR_INVALID_ACCESS);
        t = timeouts_;
        ++writers_;
    }
    // Both members 0: no time limit.
    unsigned long long ms = static_cast<unsigned long long>(t.WriteTotalTimeoutMultiplier) * count +
                            t.WriteTotalTimeoutConstant;
    DWORD limit = ms == 0 ? INFINITE : ms >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(ms);
    DWORD error = 0;
    DWORD n = count ? backend_->Write(static_cast<const BYTE*>(buffer), count, limit, writeAbort_, error) : 0;
    bool down;
    {
        Lock hold(lock_);
        if (--writers_ == 0)
            changed_.notify_all();
        if (n)
            Raise(EV_TXEMPTY);
        down = down_;
    }
    // A write cut short by its time-out succeeds with the shorter count.
    if (n == count || n > 0 || error == ERROR_TIMEOUT)
        return n;
    if (down)
        return Fail(ERROR_DEVICE_REMOVED);
    return Fail(error == ERROR_OPERATION_ABORTED ? ERROR_OPERATION_ABORTED : ERROR_GEN_FAILURE);
}

void SerialPort::Raise(DWORD events)
{
    for (auto& o : opens_)
        o.second->history |= events & o.second->mask;
    changed_.notify_all();
}

bool SerialPort::SetLines(bool dtr, bool rts)
{
    return backend_->SetControlLines(dtr, rts);
}

void SerialPort::ApplyLines(Lock& hold)
{
    dtr_ = dcb_.fDtrControl != DTR_CONTROL_DISABLE;
    rts_ = dcb_.fRtsControl == RTS_CONTROL_ENABLE || dcb_.fRtsControl == RTS_CONTROL_HANDSHAKE;
    bool dtr = dtr_, rts = rts_;
    hold.unlock();
    SetLines(dtr, rts);
    hold.lock();
}

bool SerialPort::WaitOnMask(const std::shared_ptr<OpenHandle>& h, DWORD& events, DWORD& error)
{
    Lock hold(lock_);
    if (h->mask == 0) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    unsigned changes = h->maskChanges;
    for (;;) {
        if (down_) {
            error = ERROR_DEVICE_REMOVED;
            return false;
        }
        if (h->closed) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        if (h->maskChanges != changes) {
            events = 0;  // a new mask releases the wait with no event
            return true;
        }
        if (h->history & h->mask) {
            events = h->history & h->mask;
            h->history = 0;
            return true;
        }
        changed_.wait(hold);
    }
}

BOOL SerialPort::IoControl(DWORD_PTR open, DWORD code, const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
                           DWORD* returned)
{
    DWORD error = 0;
    std::shared_ptr<OpenHandle> h;
    {
        Lock hold(lock_);
        h = Find(open, error);
    }
    if (!h)
        return FailBool(error);
    DWORD dummy;
    if (!returned)
        returned = &dummy;
    *returned = 0;
    auto needIn = [&](DWORD size) { return in && inSize >= size; };
    auto needOut = [&](DWORD size) { return out && outSize >= size; };
    auto dword = [&](DWORD v) {
        std::memcpy(out, &v, sizeof v);
        *returned = sizeof v;
    };
    switch (code) {
    case IOCTL_SERIAL_WAIT_ON_MASK: {
        if (!needOut(sizeof(DWORD)))
            return FailBool(ERROR_INVALID_PARAMETER);
        DWORD events = 0;
        if (!WaitOnMask(h, events, error))
            return FailBool(error);
        dword(events);
        return TRUE;
    }
    case IOCTL_SERIAL_SET_WAIT_MASK: {
        if (!needIn(sizeof(DWORD)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        std::memcpy(&h->mask, in, sizeof(DWORD));
        h->history = 0;
        ++h->maskChanges;
        changed_.notify_all();
        return TRUE;
    }
    case IOCTL_SERIAL_GET_WAIT_MASK: {
        if (!needOut(sizeof(DWORD)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        dword(h->mask);
        return TRUE;
    }
    case IOCTL_SERIAL_GET_MODEMSTATUS: {
        if (!needOut(sizeof(DWORD)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        dword(modemStatus_);
        return TRUE;
    }
    case IOCTL_SERIAL_GET_DCB: {
        if (!needOut(sizeof(DCB)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        std::memcpy(out, &dcb_, sizeof dcb_);
        *returned = sizeof dcb_;
        return TRUE;
    }
    case IOCTL_SERIAL_SET_DCB: {
        if (!needIn(sizeof(DCB)))
            return FailBool(ERROR_INVALID_PARAMETER);
        DCB dcb;
        std::memcpy(&dcb, in, sizeof dcb);
        if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
            dcb.StopBits > TWOSTOPBITS)
            return FailBool(ERROR_INVALID_PARAMETER);
        if (!backend_->Configure(dcb))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        dcb.DCBlength = sizeof dcb;
        dcb_ = dcb;
        ApplyLines(hold);
        return TRUE;
    }
    case IOCTL_SERIAL_GET_TIMEOUTS: {
        if (!needOut(sizeof(COMMTIMEOUTS)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        std::memcpy(out, &timeouts_, sizeof timeouts_);
        *returned = sizeof timeouts_;
        return TRUE;
    }
    case IOCTL_SERIAL_SET_TIMEOUTS: {
        if (!needIn(sizeof(COMMTIMEOUTS)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        std::memcpy(&timeouts_, in, sizeof timeouts_);
        return TRUE;
    }
    case IOCTL_SERIAL_SET_DTR:
    case IOCTL_SERIAL_CLR_DTR:
    case IOCTL_SERIAL_SET_RTS:
    case IOCTL_SERIAL_CLR_RTS: {
        Lock hold(lock_);
        if (code == IOCTL_SERIAL_SET_DTR || code == IOCTL_SERIAL_CLR_DTR)
            dtr_ = code == IOCTL_SERIAL_SET_DTR;
        else
            rts_ = code == IOCTL_SERIAL_SET_RTS;
        bool dtr = dtr_, rts = rts_;
        hold.unlock();
        SetLines(dtr, rts);
        return TRUE;
    }
    case IOCTL_SERIAL_SET_BREAK_ON:
    case IOCTL_SERIAL_SET_BREAK_OFF:
        backend_->SetBreak(code == IOCTL_SERIAL_SET_BREAK_ON);
        return TRUE;
    case IOCTL_SERIAL_SET_XOFF:
    case IOCTL_SERIAL_SET_XON:
        return TRUE;  // no software flow control on this line
    case IOCTL_SERIAL_PURGE: {
        if (!needIn(sizeof(DWORD)))
            return FailBool(ERROR_INVALID_PARAMETER);
        DWORD flags;
        std::memcpy(&flags, in, sizeof flags);
        Lock hold(lock_);
        if (flags & PURGE_RXCLEAR)
            rx_.clear();
        if (flags & PURGE_RXABORT)
            ++readAborts_;
        changed_.notify_all();
        // Nothing waits to be sent but the writes under way: let them go.
        if (flags & PURGE_TXABORT) {
            SetEvent(writeAbort_);
            changed_.wait_for(hold, std::chrono::seconds(2), [this] { return writers_ == 0; });
            if (!down_ && !opens_.empty())
                ResetEvent(writeAbort_);
        }
        return TRUE;
    }
    case IOCTL_SERIAL_GET_COMMSTATUS: {
        if (!needOut(sizeof(SERIAL_DEV_STATUS)))
            return FailBool(ERROR_INVALID_PARAMETER);
        Lock hold(lock_);
        SERIAL_DEV_STATUS st{};
        st.Errors = errors_;
        errors_ = 0;
        st.ComStat.cbInQue = static_cast<DWORD>(rx_.size());
        std::memcpy(out, &st, sizeof st);
        *returned = sizeof st;
        return TRUE;
    }
    case IOCTL_SERIAL_GET_PROPERTIES: {
        if (!needOut(sizeof(COMMPROP)))
            return FailBool(ERROR_INVALID_PARAMETER);
        COMMPROP p{};
        p.wPacketLength = sizeof p;
        p.wPacketVersion = 2;
        p.dwServiceMask = SP_SERIALCOMM;
        p.dwMaxTxQueue = 0;
        p.dwMaxRxQueue = kReceiveQueue;
        p.dwMaxBaud = BAUD_115200;
        p.dwProvSubType = PST_RS232;
        p.dwProvCapabilities = PCF_DTRDSR | PCF_RTSCTS | PCF_RLSD | PCF_INTTIMEOUTS | PCF_TOTALTIMEOUTS |
                               PCF_SPECIALCHARS;
        p.dwSettableParams = SP_BAUD | SP_DATABITS | SP_PARITY | SP_STOPBITS | SP_HANDSHAKING | SP_RLSD;
        p.dwSettableBaud = BAUD_9600 | BAUD_19200 | BAUD_38400 | BAUD_57600 | BAUD_115200;
        p.wSettableData = DATABITS_7 | DATABITS_8;
        p.wSettableStopParity = STOPBITS_10 | STOPBITS_20 | PARITY_NONE | PARITY_ODD | PARITY_EVEN;
        p.dwCurrentRxQueue = kReceiveQueue;
        std::memcpy(out, &p, sizeof p);
        *returned = sizeof p;
        return TRUE;
    }
    case IOCTL_SERIAL_SET_QUEUE_SIZE:
        if (!needIn(sizeof(SERIAL_QUEUE_SIZES)))
            return FailBool(ERROR_INVALID_PARAMETER);
        return TRUE;  // the queues keep their size
    case IOCTL_SERIAL_IMMEDIATE_CHAR:
        if (!needIn(1))
            return FailBool(ERROR_INVALID_PARAMETER);
        return Write(open, in, 1) == 1;
    case IOCTL_SERIAL_ENABLE_IR:
    case IOCTL_SERIAL_DISABLE_IR:
        return FailBool(ERROR_NOT_SUPPORTED);  // not an infrared port
    default:
        return FailBool(ERROR_INVALID_PARAMETER);
    }
}

void SerialPort::PowerUp()
{
    Lock hold(lock_);
    Raise(EV_POWER);
}

void SerialPort::PowerDown() {}

void SerialPort::OnReceive(const BYTE* data, DWORD count)
{
    Lock hold(lock_);
    DWORD events = EV_RXCHAR;
    for (DWORD i = 0; i < count; ++i) {
        if (dcb_.EvtChar && data[i] == static_cast<BYTE>(dcb_.EvtChar))
            events |= EV_RXFLAG;
        if (rx_.size() >= kReceiveQueue) {
            errors_ |= CE_RXOVER;
            events |= EV_ERR;
            continue;  // the queue is full: newer bytes are lost, as on a real port
        }
        rx_.push_back(data[i]);
    }
    Raise(events);
}

void SerialPort::OnModemStatus(DWORD status)
{
    Lock hold(lock_);
    DWORD changed = status ^ modemStatus_;
    DWORD events = 0;
    if (changed & MS_CTS_ON)
        events |= EV_CTS;
    if (changed & MS_DSR_ON)
        events |= EV_DSR;
    if (changed & MS_RLSD_ON)
        events |= EV_RLSD;
    // A ring is one event when the indicator comes on.
    if ((changed & MS_RING_ON) && (status & MS_RING_ON))
        events |= EV_RING;
    modemStatus_ = status;
    if (events)
        Raise(events);
}

void SerialPort::OnBreak()
{
    Lock hold(lock_);
    errors_ |= CE_BREAK;
    Raise(EV_BREAK);
}

void SerialPort::OnLineError(DWORD errors)
{
    Lock hold(lock_);
    errors_ |= errors;
    Raise(EV_ERR);
}

void SerialPort::OnLost()
{
    {
        Lock hold(lock_);
        // Waiters first take the events of the line's end (carrier lost),
        // then every call fails as after card removal.
        changed_.wait_for(hold, std::chrono::milliseconds(500), [this] {
            for (auto& o : opens_)
                if (o.second->history & o.second->mask)
                    return false;
            return true;
        });
        down_ = true;
        changed_.notify_all();
    }
    SetEvent(writeAbort_);
    if (lostHandler_)
        lostHandler_();
}

}  // namespace zenserial
