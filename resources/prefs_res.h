#pragma once
// Resource identifiers of the preference screens.

// Pictures the main window shares with its screens (frames and buttons).
#define IDB_SKIN_FRAME 126
#define IDB_SKIN_PATTERN 127
#define IDB_SKIN_CLOSE 128
#define IDB_LIST_FRAME 140
#define IDB_LIST_PATTERN 141
#define IDB_LIST_CLOSE 142
#define IDB_LIST_ASSIGN 148
#define IDB_LIST_DELETE 149

// The screens' own pictures.
#define IDB_SPEEDDIAL_PICTURE 150
#define IDB_SKIN_PREVIEW_LABEL 154
#define IDB_SKIN_LIST_LABEL 155
#define IDB_VOLUME_TITLE 157
#define IDB_VOLUME_CLOSE 158
#define IDB_VOLUME_APPLY 159
#define IDB_EDITOR_SEARCH 160
#define IDB_VOLUME_PATTERN 171
#define IDB_VOLUME_SCALE 173
#define IDB_VOLUME_CALL 175
#define IDB_VOLUME_RING 176
#define IDB_VOLUME_PDA 177

// The add-to-contacts dialog.
#define IDD_ADDCONTACT 196
#define IDC_FAMILY_NAME 1004
#define IDC_GIVEN_NAME 1005
#define IDC_NUMBER 1006
#define IDC_NUMBER_KIND 1007
#define IDC_GROUP 1008

// The user ring-tone screen's pictures.
#define IDB_USERBELL_PICTURE 151
#define IDB_GROUPBELL_PICTURE 218
