#include "toolkit/CCeMControls.h"

#include <commctrl.h>

int CCeMButton::Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateControl(L"BUTTON", title, style | WS_CHILD, pl, parent, id);
}

int CCeMComboBox::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateControl(L"COMBOBOX", L"", style | WS_CHILD, pl, parent, id);
}

int CCeMListBox::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateControl(L"LISTBOX", L"", style | WS_CHILD, pl, parent, id);
}

int CCeMProgress::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateControl(PROGRESS_CLASSW, L"", style | WS_CHILD, pl, parent, id);
}

int CCeMTrackBar::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return CreateControlEx(TRACKBAR_CLASSW, nullptr, style | WS_CHILD, 0, pl, parent, id);
}
