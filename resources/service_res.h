#pragma once
// Resource identifiers of the service screens.
#define IDD_NAM_COUNTDOWN 6200
#define IDC_NAM_COUNTDOWN_TEXT 6201
