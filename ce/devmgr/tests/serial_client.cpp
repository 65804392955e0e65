// Uses the module's port from a process of its own:
//   serial_client at <PnP id> <command>   finds the port, sends the line, prints the reply
//   serial_client hold <PnP id> <event>   opens the port, signals the event, waits to be killed
//   serial_client status <PnP id> <n>     opens a status handle, reads the modem status n
//                                         times, prints how many reads worked
//   serial_client raw <PnP id> <n>        a client that does not open: tries to join sessions
//                                         1 to n and write "AT$VOL=7" on them, prints the errors
//   serial_client watch <PnP id> <event>  signals the event, reports ring and carrier events
//                                         with the modem status, then how calls fail once the
//                                         card is gone
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/PipeIo.h"

#include "PortHelpers.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    std::wstring mode = argv[1];
    std::wstring name = porttest::FindPort(argv[2]);
    if (name.empty())
        return 3;
    if (mode == L"raw") {
        _setmode(_fileno(stdout), _O_BINARY);
        int n = _wtoi(argv[3]);
        for (int session = 1; session <= n; ++session) {
            HANDLE pipe = cedev::PipeConnect(cedev::DevicePipeName(name), 2000);
            if (pipe == INVALID_HANDLE_VALUE)
                return 7;
            cedev::DevRequest rq{};
            rq.op = cedev::DevAttach;
            rq.session = static_cast<uint32_t>(session);
            std::vector<BYTE> reply;
            cedev::DevReply attach{}, write{};
            if (cedev::PipeTransact(pipe, &rq, sizeof rq, reply) && reply.size() >= sizeof attach)
                std::memcpy(&attach, reply.data(), sizeof attach);
            std::string msg(sizeof rq, '\0');
            rq = cedev::DevRequest{};
            rq.op = cedev::DevWrite;
            rq.inSize = 10;
            std::memcpy(&msg[0], &rq, sizeof rq);
            msg += "AT$VOL=7\r\n";
            if (cedev::PipeTransact(pipe, msg.data(), static_cast<DWORD>(msg.size()), reply) &&
                reply.size() >= sizeof write)
                std::memcpy(&write, reply.data(), sizeof write);
            std::printf("session %d attach %lu write %lu\n", session, static_cast<unsigned long>(attach.error),
                        static_cast<unsigned long>(write.ok ? 0 : write.error));
            CloseHandle(pipe);
        }
        std::fflush(stdout);
        return 0;
    }
    if (mode == L"status") {
        HANDLE h = CreateFileW(name.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return 4;
        int n = _wtoi(argv[3]), worked = 0;
        for (int i = 0; i < n; ++i) {
            DWORD status = 0;
            worked += GetCommModemStatus(h, &status) && (status & MS_DSR_ON) ? 1 : 0;
            Sleep(5);
        }
        _setmode(_fileno(stdout), _O_BINARY);
        std::printf("status %d of %d\n", worked, n);
        std::fflush(stdout);
        return CloseHandle(h) ? 0 : 6;
    }
    HANDLE h = porttest::OpenPort(name);
    if (h == INVALID_HANDLE_VALUE)
        return 4;
    if (mode == L"hold") {
        HANDLE ev = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
        if (!ev)
            return 5;
        SetEvent(ev);
        // Block inside the port as the phone's reader does, until killed.
        DWORD events;
        for (;;)
            WaitCommEvent(h, &events, nullptr);
    }
    if (mode == L"watch") {
        _setmode(_fileno(stdout), _O_BINARY);
        HANDLE ev = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
        if (!ev || !SetCommMask(h, EV_RING | EV_RLSD))
            return 5;
        SetEvent(ev);
        DWORD seen = 0, events = 0, status = 0;
        while ((seen & (EV_RING | EV_RLSD)) != (EV_RING | EV_RLSD) && WaitCommEvent(h, &events, nullptr))
            seen |= events;
        GetCommModemStatus(h, &status);
        // The ring indicator may be between rings by now: carrier, DSR and CTS tell.
        std::printf("events=%lx status=%lx\n", seen, status & (MS_RLSD_ON | MS_DSR_ON | MS_CTS_ON));
        std::fflush(stdout);
        while (WaitCommEvent(h, &events, nullptr)) {
        }
        std::printf("wait failed %lu\n", GetLastError());
        DWORD n = 0;
        BOOL wrote = WriteFile(h, "AT\r\n", 4, &n, nullptr);
        std::printf("write %d %lu\n", wrote, wrote ? 0 : GetLastError());
        std::printf("closed %d\n", CloseHandle(h));
        return 0;
    }
    std::wstring wcmd = argv[3];
    std::string reply = porttest::Exchange(h, std::string(wcmd.begin(), wcmd.end()));
    _setmode(_fileno(stdout), _O_BINARY);  // the reply's bytes exactly
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fflush(stdout);
    return CloseHandle(h) ? 0 : 6;
}
