#include "screens/messaging/PickerDialog.h"

int PlacePickList(HWND dialog, int placeholderId, CCeMPickList& list)
{
    HWND room = GetDlgItem(dialog, placeholderId);
    if (!room)
        return 0;
    RECT rc;
    GetWindowRect(room, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return list.Create({rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top}, dialog,
                       WS_VISIBLE | WS_BORDER | WS_TABSTOP, placeholderId + 1);
}
