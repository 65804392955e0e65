#pragma once
// Which top-level windows count as programs a person switches between or closes.
#include <windows.h>

namespace agent {

enum ForegroundKind { kForegroundNone = 0, kForegroundSystem = 1, kForegroundProgram = 2 };

constexpr int kMaxTasks = 20;

struct TaskEntry {
    HWND hwnd;
    DWORD process;
    wchar_t title[64];
};

// "Dialog", "Explore", "Worker" or a class beginning with "CPL_".
bool IsSystemWindowClass(LPCWSTR cls);
bool PassesTaskFilter(bool visible, LPCWSTR title, LPCWSTR cls);
bool PassesTaskFilter(HWND hwnd);
ForegroundKind ClassifyWindow(HWND hwnd);
// The windows of the task menu, at most `max`; the count listed.
int ListTasks(TaskEntry* out, int max);

}  // namespace agent
