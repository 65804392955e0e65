#pragma once
// Resource identifiers of the window toolkit.
#define IDD_MSGBOX 192
#define IDB_MSGBOX_OK 162
#define IDB_MSGBOX_CANCEL 169
#define IDB_TITLE_BAND 300
