// Installer hooks. Each answers "continue" until the installation work lands.
#include <ce_setup.h>

extern "C" {

codeINSTALL_INIT Install_Init(HWND /*parent*/, BOOL /*firstCall*/, BOOL /*previouslyInstalled*/,
                              LPCWSTR /*installDir*/)
{
    return codeINSTALL_INIT_CONTINUE;
}

codeINSTALL_EXIT Install_Exit(HWND /*parent*/, LPCWSTR /*installDir*/, WORD /*failedDirs*/,
                              WORD /*failedFiles*/, WORD /*failedRegKeys*/, WORD /*failedRegVals*/,
                              WORD /*failedShortcuts*/)
{
    return codeINSTALL_EXIT_DONE;
}

codeUNINSTALL_INIT Uninstall_Init(HWND /*parent*/, LPCWSTR /*installDir*/)
{
    return codeUNINSTALL_INIT_CONTINUE;
}

codeUNINSTALL_EXIT Uninstall_Exit(HWND /*parent*/)
{
    return codeUNINSTALL_EXIT_DONE;
}

}  // extern "C"
