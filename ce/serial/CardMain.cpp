// zencard.exe: puts the phone module that sits on a serial port of the host
// into the slot, as card services would on the handheld.
//   zencard --port COM20 [--pnp ID]   the card's line is Wine's \\.\COM20
//   zencard --remove [--pnp ID]       takes it out again
// It starts the device manager's host process if none runs and registers
// the platform serial driver for the card when no driver is registered yet.
// The card stays in after this program ends; exit code 0 when it is in.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ce_devmgr.h"

namespace {

// The module's own PnP id; the phone finds its port by it.
const wchar_t kDefaultPnpId[] = L"CDMA2000_1x_Zentrika___________-51C3";

int Say(int code, const std::wstring& text)
{
    std::fwprintf(code ? stderr : stdout, L"zencard: %ls\n", text.c_str());
    std::fflush(code ? stderr : stdout);
    return code;
}

std::wstring InsertError(DWORD error, const std::wstring& port)
{
    switch (error) {
    case ERROR_GEN_FAILURE:
        return port + L" could not be opened as a serial port (is the tty mapped to it and free?)";
    case ERROR_ALREADY_EXISTS:
        return L"a module card is in the slot already (zencard --remove takes it out)";
    case ERROR_FILE_NOT_FOUND:
        return L"no driver is registered for the module";
    case ERROR_TIMEOUT:
        return L"the serial driver did not answer within 8 seconds while opening " + port;
    default:
        return L"the card could not be put in (error " + std::to_wstring(error) + L")";
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring port;
    std::wstring pnpId = kDefaultPnpId;
    bool remove = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--port" && i + 1 < argc)
            port = argv[++i];
        else if (a == L"--pnp" && i + 1 < argc)
            pnpId = argv[++i];
        else if (a == L"--remove")
            remove = true;
        else
            return Say(2, L"usage: zencard --port COMn [--pnp ID] | --remove [--pnp ID]");
    }
    if (remove) {
        if (!CeDevMgrIsRunning(2000))
            return Say(1, L"no device manager runs");
        return CeDevMgrRemoveCard(pnpId.c_str()) ? Say(0, L"card out") : Say(1, L"no module card is in");
    }
    if (port.empty())
        return Say(2, L"usage: zencard --port COMn [--pnp ID] | --remove [--pnp ID]");
    if (port.rfind(L"\\\\.\\", 0) != 0)
        port = L"\\\\.\\" + port;

    if (!CeDevMgrStartHost())
        return Say(1, L"the device manager could not be started");
    if (!CeDevMgrDriverRegistered(pnpId.c_str()) && !CeDevMgrRegisterDriver(pnpId.c_str(), L"Serial.dll", L"COM"))
        return Say(1, L"the serial driver could not be registered");
    wchar_t name[16] = L"";
    if (!CeDevMgrInsertCard(pnpId.c_str(), port.c_str(), name, 16))
        return Say(1, InsertError(GetLastError(), port));
    return Say(0, L"the module on " + port + L" is " + name);
}
