// "Serial.dll": the platform serial driver's stream entry points. The device
// manager calls COM_Init with the path of the card's active key; its "Link"
// value says where the line goes (the simulator's link or a host port).
// Contexts and open handles are small numbers, not pointers, so a stale one
// from a closed handle or a removed card is refused rather than followed.
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "ce/serial/SerialBackend.h"
#include "ce/serial/SerialPort.h"
#include "ce_devmgr.h"

namespace {

using zenserial::SerialPort;

struct OpenRef {
    std::shared_ptr<SerialPort> port;
    DWORD_PTR id;
};

std::mutex g_lock;
std::map<DWORD_PTR, std::shared_ptr<SerialPort>> g_ports;
std::map<DWORD_PTR, OpenRef> g_opens;
DWORD_PTR g_nextPort = 1;
DWORD_PTR g_nextOpen = 1;

std::wstring ReadString(LPCWSTR key, LPCWSTR name)
{
    HKEY k;
    if (!key || RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t buf[260];
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    std::wstring value;
    if (RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        buf[size / sizeof(wchar_t)] = 0;
        value = buf;
    }
    RegCloseKey(k);
    return value;
}

struct RemoveRequest {
    std::wstring pnpId;
    HMODULE self;  // a reference on this DLL, which the removal unloads
};

DWORD WINAPI RemoveCardThread(LPVOID param)
{
    RemoveRequest* r = static_cast<RemoveRequest*>(param);
    HMODULE self = r->self;
    CeDevMgrRemoveCard(r->pnpId.c_str());
    delete r;
    FreeLibraryAndExitThread(self, 0);
    return 0;
}

// A line that went away (an adapter pulled out) takes its card with it, as
// card services do when a card leaves the slot. The removal runs on a thread
// of its own: it waits for the port's reading thread, which reports the loss.
void RemoveCardLater(const std::wstring& pnpId)
{
    HMODULE self = nullptr;
    if (pnpId.empty() || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                             reinterpret_cast<LPCWSTR>(&RemoveCardThread), &self))
        return;
    auto* r = new RemoveRequest{pnpId, self};
    HANDLE t = CreateThread(nullptr, 0, RemoveCardThread, r, 0, nullptr);
    if (t) {
        CloseHandle(t);
    } else {
        delete r;
        FreeLibrary(self);
    }
}

std::shared_ptr<SerialPort> PortOf(DWORD_PTR device)
{
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_ports.find(device);
    return it == g_ports.end() ? nullptr : it->second;
}

bool OpenOf(DWORD_PTR open, OpenRef& ref)
{
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_opens.find(open);
    if (it == g_opens.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    ref = it->second;
    return true;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD_PTR COM_Init(DWORD_PTR context)
{
    const LPCWSTR activeKey = reinterpret_cast<LPCWSTR>(context);
    auto backend = zenserial::CreateBackend(ReadString(activeKey, L"Link"));
    if (!backend) {
        SetLastError(ERROR_BAD_DEVICE);
        return 0;
    }
    auto port = std::make_shared<SerialPort>(std::move(backend));
    const std::wstring pnpId = ReadString(activeKey, L"PnpId");
    port->SetLostHandler([pnpId] { RemoveCardLater(pnpId); });
    if (!port->Start()) {
        SetLastError(ERROR_DEV_NOT_EXIST);
        return 0;
    }
    std::lock_guard<std::mutex> hold(g_lock);
    DWORD_PTR id = g_nextPort++;
    g_ports[id] = port;
    return id;
}

__declspec(dllexport) BOOL COM_Deinit(DWORD_PTR device)
{
    std::shared_ptr<SerialPort> port;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_ports.find(device);
        if (it == g_ports.end())
            return FALSE;
        port = it->second;
        g_ports.erase(it);
        for (auto o = g_opens.begin(); o != g_opens.end();) {
            if (o->second.port == port)
                o = g_opens.erase(o);
            else
                ++o;
        }
    }
    port->Shutdown();
    return TRUE;
}

// Card removal, before the handles are closed: every call under way ends and
// the line is let go, so closing sends nothing down a line that is gone.
__declspec(dllexport) BOOL COM_PreDeinit(DWORD_PTR device)
{
    std::shared_ptr<SerialPort> port = PortOf(device);
    if (!port)
        return FALSE;
    port->Shutdown();
    return TRUE;
}

__declspec(dllexport) DWORD_PTR COM_Open(DWORD_PTR device, DWORD access, DWORD share)
{
    std::shared_ptr<SerialPort> port = PortOf(device);
    if (!port) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    DWORD_PTR inner = port->Open(access, share);
    if (!inner)
        return 0;
    std::lock_guard<std::mutex> hold(g_lock);
    DWORD_PTR id = g_nextOpen++;
    g_opens[id] = OpenRef{port, inner};
    return id;
}

__declspec(dllexport) BOOL COM_Close(DWORD_PTR open)
{
    OpenRef ref;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        auto it = g_opens.find(open);
        if (it == g_opens.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        ref = it->second;
        g_opens.erase(it);
    }
    return ref.port->Close(ref.id);
}

__declspec(dllexport) DWORD COM_Read(DWORD_PTR open, LPVOID buffer, DWORD count)
{
    OpenRef ref;
    if (!OpenOf(open, ref))
        return static_cast<DWORD>(-1);
    return ref.port->Read(ref.id, buffer, count);
}

__declspec(dllexport) DWORD COM_Write(DWORD_PTR open, LPCVOID buffer, DWORD count)
{
    OpenRef ref;
    if (!OpenOf(open, ref))
        return static_cast<DWORD>(-1);
    return ref.port->Write(ref.id, buffer, count);
}

__declspec(dllexport) BOOL COM_IOControl(DWORD_PTR open, DWORD code, PBYTE in, DWORD inSize, PBYTE out,
                                         DWORD outSize, PDWORD returned)
{
    OpenRef ref;
    if (!OpenOf(open, ref))
        return FALSE;
    return ref.port->IoControl(ref.id, code, in, inSize, out, outSize, returned);
}

__declspec(dllexport) void COM_PowerUp(DWORD_PTR device)
{
    if (auto port = PortOf(device))
        port->PowerUp();
}

__declspec(dllexport) void COM_PowerDown(DWORD_PTR device)
{
    if (auto port = PortOf(device))
        port->PowerDown();
}

}  // extern "C"
