// Entry of the taskbar agent. It has nothing to show until the agent lands.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    return 0;
}
