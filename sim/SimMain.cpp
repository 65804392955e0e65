// zensim.exe: the substitute module as a program, with a console so a person
// running the phone can make it ring or send a text.
//   zensim [--name NAME] [--pnp ID] [--no-card]
// It starts the device manager's host process if none runs, registers the
// platform serial driver for the card when no driver is registered yet,
// inserts the card and reads commands ("help") until "quit" or end of input.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ce_devmgr.h"
#include "sim/SimConsole.h"
#include "sim/SimLink.h"
#include "sim/SimModule.h"

namespace {

// One line of input as UTF-8; false at the end of input.
bool ReadLine(std::string& line)
{
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    line.clear();
    if (GetConsoleMode(in, &mode)) {
        wchar_t buf[512];
        DWORD n = 0;
        if (!ReadConsoleW(in, buf, 511, &n, nullptr) || n == 0)
            return false;
        std::wstring w(buf, n);
        while (!w.empty() && (w.back() == L'\n' || w.back() == L'\r'))
            w.pop_back();
        int len = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
        line.assign(len, '\0');
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &line[0], len, nullptr, nullptr);
        return true;
    }
    char buf[1024];
    if (!std::fgets(buf, sizeof buf, stdin))
        return false;
    line = buf;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return true;
}

void Say(const std::string& text)
{
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring name = L"module";
    std::wstring pnpId = zen::sim::kModulePnpId;
    bool card = true;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--name" && i + 1 < argc)
            name = argv[++i];
        else if (a == L"--pnp" && i + 1 < argc)
            pnpId = argv[++i];
        else if (a == L"--no-card")
            card = false;
    }

    zen::sim::SimModule module;
    zen::sim::SimLink link(module);
    if (!link.Start(name)) {
        Say("zensim: another simulator serves this link already");
        return 1;
    }
    zen::sim::SimConsole console(module, link.Link(), pnpId);
    if (card) {
        if (!CeDevMgrStartHost()) {
            Say("zensim: the device manager could not be started");
            return 1;
        }
        if (!CeDevMgrDriverRegistered(pnpId.c_str()))
            CeDevMgrRegisterDriver(pnpId.c_str(), L"Serial.dll", L"COM");
        Say("zensim: " + console.Execute("insert"));
        // A module that restarts takes its card out of the slot and back.
        module.SetRestartHandler([&console](bool back) { back ? console.InsertCard() : console.RemoveCard(); });
    }
    Say("zensim: type help for the commands");
    std::string line;
    while (!console.QuitRequested() && ReadLine(line)) {
        std::string reply = console.Execute(line);
        if (!reply.empty())
            Say(reply);
    }
    module.SetRestartHandler(nullptr);
    if (card)
        console.RemoveCard();
    link.Stop();
    return 0;
}
