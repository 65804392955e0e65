#include "MessageLog.h"

#include "WinTest.h"
#include "modem/CCeMModem.h"
#include "modem/ModemMessages.h"

namespace {
const wchar_t kClass[] = L"ZenModemMessageLog";
}

MessageLog::MessageLog(CCeMModem* modem) : m_hwnd(nullptr), m_modem(modem)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    m_hwnd = CreateWindowExW(0, kClass, L"modem log", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                             nullptr, wc.hInstance, this);
}

MessageLog::~MessageLog()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
}

std::vector<LoggedMessage> MessageLog::Of(UINT msg) const
{
    std::vector<LoggedMessage> out;
    for (const LoggedMessage& m : m_entries)
        if (m.msg == msg)
            out.push_back(m);
    return out;
}

bool MessageLog::WaitCount(UINT msg, size_t count, DWORD timeoutMs)
{
    return zentest::WaitUntil([&] { return Count(msg) >= count; }, timeoutMs);
}

LRESULT CALLBACK MessageLog::WndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<MessageLog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_MODEM_OPENED && msg <= WM_MODEM_SENT) {
        LoggedMessage m{msg, w, l, self->m_modem->CallState, self->m_modem->CallerNumber, {}};
        if (msg == WM_MODEM_ERROR && w)
            m.text = reinterpret_cast<const wchar_t*>(w);
        self->m_entries.push_back(m);
        if (self->onMessage)
            self->onMessage(m);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, w, l);
}
