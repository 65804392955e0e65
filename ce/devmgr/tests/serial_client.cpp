// Uses the module's port from a process of its own:
//   serial_client at <PnP id> <command>   finds the port, sends the line, prints the reply
//   serial_client hold <PnP id> <event>   opens the port, signals the event, waits to be killed
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "PortHelpers.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    std::wstring mode = argv[1];
    std::wstring name = porttest::FindPort(argv[2]);
    if (name.empty())
        return 3;
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
    std::wstring wcmd = argv[3];
    std::string reply = porttest::Exchange(h, std::string(wcmd.begin(), wcmd.end()));
    _setmode(_fileno(stdout), _O_BINARY);  // the reply's bytes exactly
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fflush(stdout);
    return CloseHandle(h) ? 0 : 6;
}
