#pragma once
// The main window's areas and views: where each part of the handheld screen
// goes, which view a menu command opens, and what a view switch takes down
// and puts up.
#include <windows.h>

#include "toolkit/CCeMWnd.h"

enum PhoneView {
    VIEW_NONE = 0,
    VIEW_DIALPAD = 1,
    VIEW_CONTACTS = 2,
    VIEW_CALLLIST = 3,
    VIEW_MESSAGES = 4,
    VIEW_PASSWORD = 11,
    VIEW_AREACODE = 12,
    VIEW_RINGTONE = 13,
    VIEW_ALERTSOUND = 14,
    VIEW_GREETING = 15,
    VIEW_OWNNUMBER = 16,
    VIEW_VERSION = 17,
    VIEW_SKIN = 18,
    VIEW_VOLUME = 19,
    VIEW_HWBUTTONS = 20,
    VIEW_MODULERESET = 21,
    VIEW_CALLINFO = 22,
    VIEW_PHONELOCK = 23,
    VIEW_RESTRICTION = 24,
    VIEW_SPEEDDIAL = 25,
    VIEW_REJECTION = 26,
    VIEW_USERBELL = 27,
    VIEW_NAM = 28,
};

// Areas of the main window for a client area of width x height.
namespace PhoneGeometry {
constexpr int kTitleHeight = 26;
constexpr int kDisplayHeight = 58;
constexpr int kViewTop = kTitleHeight + kDisplayHeight;  // 84
constexpr int kBottomReserve = 130;                       // views end 46 above the bottom
constexpr int kCompanionBarHeight = 20;
constexpr RECT kClockRect = {170, 0, 220, 26};

inline CCeMPlacement TitleBand(int width) { return {0, 0, width, kTitleHeight}; }
inline CCeMPlacement Display(int width) { return {0, kTitleHeight, width, kDisplayHeight}; }
inline CCeMPlacement Views(int width, int height) { return {0, kViewTop, width, height - kBottomReserve}; }
inline CCeMPlacement CompanionBar(int width, int height)
{
    return {0, height - 46, width, kCompanionBarHeight};
}
}  // namespace PhoneGeometry

struct PhoneViewInfo {
    int view;
    UINT menuCommand;  // 0: no menu entry
    int screen;        // views of one screen share this (its first view)
    int page;          // page of that screen, from 0
    bool refusedWhenLocked;
};

// The table entry of a view, or null for a number that is no view.
const PhoneViewInfo* FindPhoneView(int view);
// The view a menu command opens, or VIEW_NONE.
int ViewOfMenuCommand(UINT command);
// Views 1-4 live for the window's life and are only hidden and shown.
inline bool IsStandingView(int view) { return view >= VIEW_DIALPAD && view <= VIEW_MESSAGES; }

// What switching from `current` to `next` does, step by step.
struct ViewSwitchPlan {
    enum Outcome { Stay, RefusedLocked, Switch };
    Outcome outcome = Stay;
    bool hideCurrent = false;     // a standing view goes out of sight
    bool destroyCurrent = false;  // a screen of views 11-28 is closed
    bool changePage = false;      // same screen, another page: it stays
    bool showNext = false;        // a standing view comes up
    bool createNext = false;      // the next view's screen is made with its page
    int page = 0;                 // page of the next view
};

// An unknown next view, or the current one, stays; a locked phone refuses
// the views that would show private data or change settings.
ViewSwitchPlan PlanViewSwitch(int current, int next, bool phoneLocked);

// The message box text of a refused view.
extern const wchar_t kLockedViewText[];
