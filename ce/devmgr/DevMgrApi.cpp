// The control functions of ce_devmgr.h.
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ce/devmgr/DevProtocol.h"
#include "ce/devmgr/DeviceManager.h"
#include "ce/devmgr/PipeIo.h"
#include "ce_devmgr.h"

namespace {

std::mutex g_lock;
std::unique_ptr<cedev::DeviceManager> g_manager;

// How long a control request may take once the device manager has taken it:
// removal waits at most a few seconds for calls in the driver, insertion for
// the driver's Init.
constexpr DWORD kReplyMs = 8000;

// One control request; FALSE with the device manager's error,
// ERROR_PIPE_NOT_CONNECTED when none answers, or ERROR_TIMEOUT when it took
// the request but did not answer in time.
BOOL Control(cedev::CtlOp op, LPCWSTR pnpId, LPCWSTR link, cedev::CtlReply& reply, DWORD waitMs = 2000)
{
    cedev::CtlRequest rq{};
    rq.op = op;
    if (pnpId)
        lstrcpynW(rq.pnpId, pnpId, 128);
    if (link)
        lstrcpynW(rq.link, link, 260);
    HANDLE pipe = cedev::PipeConnect(cedev::kControlPipe, waitMs);
    if (pipe == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_PIPE_NOT_CONNECTED);
        return FALSE;
    }
    std::vector<BYTE> answer;
    cedev::PipeLimits limits;
    limits.timeoutMs = op == cedev::CtlPing ? (waitMs > 1000 ? waitMs : 1000) : kReplyMs;
    limits.maxSize = sizeof reply;
    bool ok = cedev::PipeTransact(pipe, &rq, sizeof rq, answer, limits) && answer.size() == sizeof reply;
    DWORD err = GetLastError();
    CloseHandle(pipe);
    if (!ok) {
        SetLastError(err == ERROR_TIMEOUT ? ERROR_TIMEOUT : ERROR_PIPE_NOT_CONNECTED);
        return FALSE;
    }
    std::memcpy(&reply, answer.data(), sizeof reply);
    SetLastError(reply.error);
    return reply.ok ? TRUE : FALSE;
}

}  // namespace

extern "C" {

BOOL WINAPI CeDevMgrStartInProcess(void)
{
    std::lock_guard<std::mutex> hold(g_lock);
    if (g_manager) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    auto manager = std::make_unique<cedev::DeviceManager>();
    if (!manager->Start())
        return FALSE;
    g_manager = std::move(manager);
    return TRUE;
}

void WINAPI CeDevMgrStopInProcess(void)
{
    std::unique_ptr<cedev::DeviceManager> manager;
    {
        std::lock_guard<std::mutex> hold(g_lock);
        manager.swap(g_manager);
    }
    if (manager)
        manager->Stop();
}

BOOL WINAPI CeDevMgrIsRunning(DWORD waitMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        cedev::CtlReply reply;
        if (Control(cedev::CtlPing, nullptr, nullptr, reply, 100))
            return TRUE;
        if (GetTickCount() - start >= waitMs)
            return FALSE;
        Sleep(20);
    }
}

BOOL WINAPI CeDevMgrStartHost(void)
{
    if (CeDevMgrIsRunning(0))
        return TRUE;
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path, n);
    exe.erase(exe.find_last_of(L"\\/") + 1);
    exe += L"devmgr.exe";
    std::wstring cmd = L"\"" + exe + L"\"";
    // The host outlives its starter: it must not hold the starter's output
    // open (a test runner would wait for it), so its standard handles are NUL.
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (nul != INVALID_HANDLE_VALUE) {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = si.hStdOutput = si.hStdError = nul;
    }
    PROCESS_INFORMATION pi{};
    BOOL started = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, nul != INVALID_HANDLE_VALUE,
                                  CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    if (nul != INVALID_HANDLE_VALUE)
        CloseHandle(nul);
    if (!started)
        return FALSE;
    CloseHandle(pi.hThread);
    // Wait for it to answer, or for it to end (another one won the start).
    DWORD start = GetTickCount();
    BOOL running = FALSE;
    while (GetTickCount() - start < 10000) {
        if (CeDevMgrIsRunning(0)) {
            running = TRUE;
            break;
        }
        if (WaitForSingleObject(pi.hProcess, 20) == WAIT_OBJECT_0) {
            running = CeDevMgrIsRunning(500);
            break;
        }
    }
    CloseHandle(pi.hProcess);
    return running;
}

BOOL WINAPI CeDevMgrShutdownHost(void)
{
    cedev::CtlReply reply;
    return Control(cedev::CtlShutdown, nullptr, nullptr, reply);
}

BOOL WINAPI CeDevMgrRegisterDriver(LPCWSTR pnpId, LPCWSTR dll, LPCWSTR prefix)
{
    if (!pnpId || !*pnpId || !dll || !prefix || lstrlenW(prefix) != 3) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::wstring key = std::wstring(L"Drivers\\PCMCIA\\") + pnpId;
    HKEY k;
    LONG r = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                             nullptr, &k, nullptr);
    if (r != ERROR_SUCCESS) {
        SetLastError(r);
        return FALSE;
    }
    RegSetValueExW(k, L"Dll", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll), (lstrlenW(dll) + 1) * sizeof(wchar_t));
    RegSetValueExW(k, L"Prefix", 0, REG_SZ, reinterpret_cast<const BYTE*>(prefix),
                   (lstrlenW(prefix) + 1) * sizeof(wchar_t));
    RegCloseKey(k);
    return TRUE;
}

BOOL WINAPI CeDevMgrDriverRegistered(LPCWSTR pnpId)
{
    if (!pnpId || !*pnpId)
        return FALSE;
    std::wstring key = std::wstring(L"Drivers\\PCMCIA\\") + pnpId;
    HKEY k;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(k);
    return TRUE;
}

BOOL WINAPI CeDevMgrInsertCard(LPCWSTR pnpId, LPCWSTR link, LPWSTR name, DWORD nameChars)
{
    cedev::CtlReply reply;
    if (!Control(cedev::CtlInsert, pnpId, link ? link : L"", reply))
        return FALSE;
    if (name && nameChars)
        lstrcpynW(name, reply.name, static_cast<int>(nameChars));
    return TRUE;
}

BOOL WINAPI CeDevMgrRemoveCard(LPCWSTR pnpId)
{
    cedev::CtlReply reply;
    return Control(cedev::CtlRemove, pnpId, nullptr, reply);
}

BOOL WINAPI CeDevMgrSetPower(BOOL on)
{
    cedev::CtlReply reply;
    return Control(on ? cedev::CtlPowerUp : cedev::CtlPowerDown, nullptr, nullptr, reply);
}

}  // extern "C"
