#pragma once
// Resource identifiers of the phone application's main window.
#define IDR_PHONE_MENUBAR 101      // menu bar description and its menu
#define IDB_PHONE_CALL_ICONS 106   // call list status icons, 4 of 25 x 11
#define IDB_PHONE_CLOCK 117        // title band behind the clock
#define IDB_PHONE_MENUBAR 202      // menu bar images, 11 of 16 x 16
#define IDB_PHONE_COMPANION 203    // companion bar: normal, pressed, disabled
#define IDB_PHONE_COMPANION_PUSH 204
#define IDB_PHONE_COMPANION_OFF 205
#define IDI_PHONE 220
#define IDS_PHONE_MENU_SETTINGS 40001
#define IDS_PHONE_MENU_SECURITY 40002
