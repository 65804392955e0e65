#pragma once
// A screen's request to store a number as a new contact (message 4128,
// wParam: the number as UTF-16 text): the add-to-contacts dialog, which
// first checks whether a contact has the number already.
#include <windows.h>

// The dialog's result: 0 when it did not open (no number, a known number, or
// a dialog already open), 1 saved, 2 cancelled, -1 it could not be shown.
LRESULT OfferNewContact(HWND owner, WPARAM number);
