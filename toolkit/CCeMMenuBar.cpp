#include "toolkit/CCeMMenuBar.h"

CCeMMenuBar::CCeMMenuBar() : m_info{} {}

int CCeMMenuBar::Create(HINSTANCE instance, HWND parent, UINT toolBarId, DWORD flags, int bitmapId,
                        int imageCount)
{
    m_info = {};
    m_info.cbSize = sizeof m_info;
    m_info.hwndParent = parent;
    m_info.dwFlags = flags;
    m_info.nToolBarId = toolBarId;
    m_info.hInstRes = instance;
    m_info.nBmpId = bitmapId;
    m_info.cBmpImages = imageCount;
    return SHCreateMenuBar(&m_info) ? 1 : 0;
}
