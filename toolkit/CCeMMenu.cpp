#include "toolkit/CCeMMenu.h"

int CCeMMenu::CreateBar()
{
    if (m_hMenu)
        return 0;
    m_hMenu = CreateMenu();
    return m_hMenu != nullptr;
}

int CCeMMenu::CreatePopup()
{
    if (m_hMenu)
        return 0;
    m_hMenu = CreatePopupMenu();
    return m_hMenu != nullptr;
}

int CCeMMenu::DestroyMenu()
{
    if (!m_hMenu)
        return 0;
    const BOOL ok = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return ok != 0;
}

int CCeMMenu::Append(UINT_PTR id, LPCWSTR text, UINT flags)
{
    return m_hMenu ? AppendMenuW(m_hMenu, flags, id, text) : 0;
}

int CCeMMenu::Check(UINT item, UINT flags)
{
    // The previous state, or -1 for no such item.
    return m_hMenu ? static_cast<int>(CheckMenuItem(m_hMenu, item, flags)) : 0;
}

int CCeMMenu::Enable(UINT item, UINT flags)
{
    return m_hMenu ? EnableMenuItem(m_hMenu, item, flags) : 0;
}

int CCeMMenu::Track(UINT flags, int x, int y, HWND owner, LPTPMPARAMS params)
{
    return m_hMenu ? TrackPopupMenuEx(m_hMenu, flags, x, y, owner, params) : 0;
}
