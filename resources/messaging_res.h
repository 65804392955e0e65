#pragma once
// Resource identifiers of the message and phonebook screens' dialogs.
#define IDD_PHRASE_BOX 222
#define IDD_MULTI_PICKER 229
#define IDD_CONTACT_PICKER 231

#define IDC_PICK_CATEGORY 1000
#define IDC_PHRASE_TEXT 1014
#define IDC_PICK_KIND 1019
#define IDC_PICK_SEARCH 1020
#define IDC_PICK_TEXT 1021
#define IDC_PICK_COUNT 1022
// Where a dialog places its own contact list or cell column.
#define IDC_PICK_LIST 1030
#define IDC_PHRASE_CELLS 1031

#define IDB_PHRASE_CELLS 232
#define IDB_PHRASE_CELLS_PUSH 233
#define IDB_PHRASE_CELLS_OFF 234
// The deny list's picture, drawn under its rows.
#define IDB_DENY_PICTURE 152
