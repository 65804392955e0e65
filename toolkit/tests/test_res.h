#pragma once
// Resources of the toolkit and shell tests.
#define IDB_TEST_FRAMES 500
#define IDR_TEST_BAR 510
#define IDM_TEST_BAR 511
#define IDS_TEST_NEW 520
#define IDS_TEST_MENU 521
#define IDB_TEST_BAR_IMAGES 530
#define IDC_TEST_NEW 40001
#define IDC_TEST_IMAGE 40002
#define IDC_TEST_ITEM1 40010
#define IDC_TEST_ITEM2 40011
