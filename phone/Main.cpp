// Entry of the phone application: one running copy, the global objects, the
// main window, the modem link, the message loop, and on the way out the
// companion application the user chose.
#include <windows.h>

#include <aygshell.h>

#include <memory>

#include "modem/CodePage.h"
#include "phone/CCeMWndPhone.h"
#include "phone/CommandLine.h"
#include "phone/Companions.h"
#include "phone/InstallDir.h"
#include "phone/PhoneScreens.h"
#include "phone/PhoneWindowClass.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMToolkit.h"

namespace {

CCeDataManager g_DataManager;
CCeMWndPhone g_Phone(g_DataManager);

}  // namespace


int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kPhoneWindowClass);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        ForwardCommandLine(FindWindowW(kPhoneWindowClass, kPhoneWindowTitle), commandLine);
        if (mutex)
            CloseHandle(mutex);
        return 1;
    }

    UseDioHanConversion();
    g_pDataManager = &g_DataManager;

    wchar_t folder[MAX_PATH];
    ReadInstallDir(folder, MAX_PATH);
    g_DataManager.SetInstallDir(folder);
    g_DataManager.m_EnvDB.Load();

    ToolkitInit(instance);
    g_Phone.SetStartCommandLine(commandLine);
    g_Phone.EndProgramOnDestroy();
    if (!g_Phone.CreatePhone(instance)) {
        // No window, no phone: say so in the exit code (1 is a second start).
        ToolkitInit(nullptr);
        if (mutex)
            CloseHandle(mutex);
        return 2;
    }
    const HWND hwnd = g_Phone.GetHwnd();
    g_DataManager.m_ContactsDB.OpenDefault(hwnd);
    // After the contacts: the phonebook takes their change notices over.
    const PhoneStandingScreens standing = PlugInScreens(g_Phone, g_DataManager);
    SHFullScreen(hwnd, SHFS_HIDETASKBAR);
    g_Phone.Calls().ResetCall(hwnd, g_Phone.MessageWindow());

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    g_DataManager.m_ContactsDB.Close();
    UnregisterClassW(kPhoneWindowClass, instance);
    ToolkitInit(nullptr);
    if (mutex)
        CloseHandle(mutex);
    if (g_Phone.ChosenCompanion() != CCeMWndPhone::kNoCompanion)
        LaunchCompanion(g_Phone.ChosenCompanionPath());
    return 0;
}
