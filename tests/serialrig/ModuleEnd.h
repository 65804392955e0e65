#pragma once
// The test program's side of the rig (rig.py): the module end's control
// connection and the COM port of the prefix that stands for the host port.
#include <winsock2.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "WinTest.h"

namespace rigtest {

// The module end's control connection: one request line, one answer line.
class ModuleEnd {
public:
    ModuleEnd()
    {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        const char* port = std::getenv("ZEN_RIG_CONTROL");
        if (!port)
            return;
        s_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<u_short>(std::atoi(port)));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            closesocket(s_);
            s_ = INVALID_SOCKET;
        }
    }
    ~ModuleEnd()
    {
        if (s_ != INVALID_SOCKET)
            closesocket(s_);
        WSACleanup();
    }
    bool Connected() const { return s_ != INVALID_SOCKET; }

    // Keeps this thread's windows served while the module end acts: the
    // link's reader hands every event to a window and waits for it.
    std::string Ask(const std::string& request)
    {
        std::string line = request + "\n";
        if (s_ == INVALID_SOCKET || send(s_, line.c_str(), static_cast<int>(line.size()), 0) <= 0)
            return "error no module end";
        std::string reply;
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 20000) {
            fd_set r;
            FD_ZERO(&r);
            FD_SET(s_, &r);
            timeval wait{0, 5000};
            if (select(0, &r, nullptr, nullptr, &wait) != 1) {
                zentest::PumpMessages(5);
                continue;
            }
            char c;
            if (recv(s_, &c, 1, 0) != 1 || c == '\n')
                break;
            reply += c;
        }
        return reply;
    }
    std::vector<std::string> Commands()
    {
        std::vector<std::string> out;
        std::string all = Ask("commands");
        size_t start = 0;
        while (!all.empty() && start <= all.size()) {
            size_t bar = all.find('|', start);
            if (bar == std::string::npos)
                bar = all.size();
            out.push_back(all.substr(start, bar - start));
            start = bar + 1;
        }
        return out;
    }
    bool Saw(const std::string& command)
    {
        for (const std::string& c : Commands())
            if (c == command)
                return true;
        return false;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
};

inline std::wstring HostPort()
{
    const char* port = std::getenv("ZEN_RIG_PORT");
    std::string p = port ? port : "COM8";
    return L"\\\\.\\" + std::wstring(p.begin(), p.end());
}

}  // namespace rigtest
