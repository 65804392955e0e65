#pragma once
// Driving modal dialogs by pen from a timer while their own loop runs.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "UiInput.h"

namespace modaltest {

// Runs `steps` one after the other while a dialog is up, one per tick; a
// step that returns false is tried again on the next tick. One that never
// succeeds fails the test and cancels every dialog rather than hang.
inline void Steps(std::vector<std::function<bool()>> steps)
{
    struct Run {
        std::vector<std::function<bool()>> queue;
        size_t next = 0;
        int tries = 0;
    };
    static Run run;
    run = Run{std::move(steps)};
    uitest::WhileModal(120, [] {
        if (run.next >= run.queue.size())
            return false;
        if (run.queue[run.next]()) {
            ++run.next;
            run.tries = 0;
        } else if (++run.tries > 40) {
            ADD_FAILURE() << "step " << run.next << " never became ready";
            for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
                 w = FindWindowExW(nullptr, w, L"#32770", nullptr))
                PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
            return false;
        }
        return true;
    });
}

// Puts the pointer at `p` and taps once it is really there: the display
// may report an older place late. False while it is not there yet.
inline bool TapAt(POINT p)
{
    SetCursorPos(p.x, p.y);
    POINT now;
    if (!GetCursorPos(&now) || now.x != p.x || now.y != p.y)
        return false;
    uitest::QueueTap(p);
    return true;
}

}  // namespace modaltest
