#pragma once
// What the pickers' dialogs share: placing the contact list where the
// template keeps room for it, and copying a contact's texts.
#include <windows.h>

#include <string>

#include "screens/messaging/CCeMPickList.h"

// A contact's text as the pickers return it: empty when absent.
inline std::wstring PickedText(LPCWSTR s)
{
    return s ? s : L"";
}

// Creates `list` over the template's placeholder item; 1 on success.
int PlacePickList(HWND dialog, int placeholderId, CCeMPickList& list);
