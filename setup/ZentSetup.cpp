// The installer's hooks: before copying, the module must be out and the phone
// and agent closed; after copying, the port driver, the menu entries and the
// dial-up entry are registered and the cabinet is kept in flash. Removal
// undoes the registrations.
#include <ce_setup.h>
#include <shlobj.h>

#include <cwchar>

#include "setup/CabinetStore.h"
#include "setup/DataConnection.h"
#include "setup/ModuleCheck.h"
#include "setup/PlatformKind.h"
#include "setup/Registrations.h"
#include "setup/RunningParts.h"

namespace {

HINSTANCE g_module = nullptr;
int g_platform = -1;

bool Exists(LPCWSTR path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void DeleteAgentStartupLink()
{
    wchar_t folder[MAX_PATH];
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE))
        return;
    wchar_t link[MAX_PATH];
    const int n = _snwprintf(link, MAX_PATH, L"%ls\\ZentAgent.LNK", folder);
    if (n > 0 && n < MAX_PATH)
        DeleteFileW(link);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        DisableThreadLibraryCalls(module);
        g_platform = PlatformKind();
    }
    return TRUE;
}

codeINSTALL_INIT Install_Init(HWND parent, BOOL /*firstCall*/, BOOL /*previouslyInstalled*/,
                              LPCWSTR /*installDir*/)
{
    WaitForModuleUnplugged(parent, true);
    CloseRunningParts();
    return codeINSTALL_INIT_CONTINUE;
}

codeINSTALL_EXIT Install_Exit(HWND parent, LPCWSTR installDir, WORD /*failedDirs*/, WORD /*failedFiles*/,
                              WORD /*failedRegKeys*/, WORD /*failedRegVals*/, WORD /*failedShortcuts*/)
{
    RASDIALPARAMS params;
    PrepareDialParams(&params);
    RegisterPortDriver();
    RegisterMenuEntries(installDir);
    WriteDialUpEntry(&params);
    SecureZeroMemory(params.szPassword, sizeof params.szPassword);

    wchar_t cab[MAX_PATH];
    if (installDir && _snwprintf(cab, MAX_PATH, L"%ls\\Zentrika.CAB", installDir) > 0 && Exists(cab))
        ShowCabinetProgress(g_module, parent, installDir, g_platform == 1);
    return codeINSTALL_EXIT_DONE;
}

codeUNINSTALL_INIT Uninstall_Init(HWND parent, LPCWSTR /*installDir*/)
{
    WaitForModuleUnplugged(parent, false);
    CloseRunningParts();
    return codeUNINSTALL_INIT_CONTINUE;
}

codeUNINSTALL_EXIT Uninstall_Exit(HWND parent)
{
    UnregisterPortDriver();
    UnregisterMenuEntries();
    RemoveDialUpEntry();
    DeleteAgentStartupLink();
    if (g_platform == 1)
        ShowCabinetProgress(g_module, parent, nullptr, true);
    return codeUNINSTALL_EXIT_DONE;
}

}  // extern "C"
