#pragma once
// Real pen and key input for toolkit tests: SendInput, so messages arrive
// through the system's queues exactly as a user's would.
#include <windows.h>

#include <functional>

namespace uitest {

// Screen position of a client point of `hwnd`.
POINT ScreenPoint(HWND hwnd, int x, int y);
void PenMove(POINT screen);
// Moves the pen to `screen` until `arrived` holds (a few tries): the display
// emulation may deliver a stale pointer place after ours on a busy machine.
bool PenMoveUntil(POINT screen, const std::function<bool()>& arrived);
void PenDown(POINT screen);
void PenUp(POINT screen);
// Down and up at one point, queued together (a quick tap, never a hold).
// PenDown alone on a control that recognises tap-and-hold is a hold.
void Tap(POINT screen);
// Queues a quick tap without dispatching anything: for use inside a modal
// loop (a timer callback), whose own loop then delivers it.
void QueueTap(POINT screen);
void KeyDown(WORD vk);
void KeyUp(WORD vk);
void Key(WORD vk);
// A character typed as the input panel delivers a finished syllable (a
// Unicode key press and release).
void TypeChar(wchar_t c);
// Makes `hwnd` the foreground window so keys and pen input reach it.
void Activate(HWND hwnd);

// A top-level test window covering the screen, with its own class and a
// procedure that records nothing; children are placed on it.
HWND MakeHost(const wchar_t* title = L"host");

// A visible top-level window of this process with the given class
// ("#32770" a dialog, "#32768" a pop-up menu), or null.
HWND FindOwnVisible(const wchar_t* className);

// Runs `step` every `ms` milliseconds on this thread's timer while a modal
// loop (a dialog, a menu) is running, until it returns false.
void WhileModal(UINT ms, std::function<bool()> step);
void StopModalSteps();

// Holds the pen at `screen` until a pop-up menu opens and hands its menu to
// `whileOpen` (from another thread, while it is up); then lifts the pen and
// picks the item `downs` steps down with the keys, or closes it for 0.
// Returns once the menu is gone.
void HoldForMenu(POINT screen, int downs, const std::function<void(HMENU)>& whileOpen);

}  // namespace uitest
