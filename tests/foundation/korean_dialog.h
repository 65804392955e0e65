#pragma once
#define IDD_KOREAN 100
#define IDC_K_STATIC 1001
#define IDC_K_EDIT 1002
#define IDC_K_BUTTON 1003
#define IDC_K_COMBO 1004
#define IDC_K_LIST 1005
