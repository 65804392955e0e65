#include "screens/messaging/CCeMMultiButton.h"

#include <aygshell.h>

#include "toolkit/CCeMToolkit.h"

namespace {

// Captured pen positions left of or above the control arrive as large
// unsigned words.
int Signed(int v) { return static_cast<short>(v); }

}  // namespace

CCeMMultiButton::CCeMMultiButton()
    : m_pTracked(nullptr), m_bTracking(0), m_bTapAndHold(1), m_nLatchMode(0), m_pImages{},
      m_bOwnsImages(1), m_ptOrigin{0, 0}
{
}

CCeMMultiButton::~CCeMMultiButton()
{
    // Destroy here so OnDestroy still runs as this class.
    if (m_hWnd)
        Destroy();
    RemoveCells();
    DropImages();
}

int CCeMMultiButton::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    return Create(L"", style, pl, parent, id);
}

int CCeMMultiButton::Create(LPCWSTR title, DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    m_bTracking = 0;
    m_pTracked = nullptr;
    RegisterWindowClass(L"MultiButton", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    return CCeMWnd::Create(title, style | WS_CHILD, pl, parent, id);
}

LRESULT CCeMMultiButton::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // painting covers the whole control
    case WM_CAPTURECHANGED:
        // Someone else took the pen: the press is over without a notification.
        if (m_bTracking && reinterpret_cast<HWND>(lp) != hwnd) {
            const MultiButtonCell* was = m_pTracked;
            StopTracking();
            RedrawCell(was);
        }
        break;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

int CCeMMultiButton::OnDestroy(HWND hwnd)
{
    StopTracking();
    DropImages();
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMMultiButton::StopTracking()
{
    m_bTracking = 0;
    m_pTracked = nullptr;
}

MultiButtonCell* CCeMMultiButton::AppendCell(int left, int top, int width, int height, int id,
                                             int enabled, int latched)
{
    auto* cell = new MultiButtonCell{left, top, left + width, top + height, width, height, id,
                                     enabled, latched};
    m_cells.AddTail(cell);
    return cell;
}

void CCeMMultiButton::RemoveCells()
{
    // The remembered cell goes with the list.
    if (m_bTracking && m_hWnd && GetCapture() == m_hWnd) {
        m_bTracking = 0;
        ReleaseCapture();
    }
    StopTracking();
    for (int i = 0; i < m_cells.GetCount(); ++i)
        delete static_cast<MultiButtonCell*>(m_cells.GetAt(i));
    m_cells.RemoveAll();
}

int CCeMMultiButton::SetGrid(int columns, int rows)
{
    if (columns <= 0 || rows <= 0)
        return 0;
    RECT rc = {};
    if (m_hWnd)
        GetClientRect(m_hWnd, &rc);
    const int width = (rc.right - rc.left) / columns;
    const int height = (rc.bottom - rc.top) / rows;
    RemoveCells();
    int id = 0;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            AppendCell(c * width, r * height, width, height, id++, 1, 0);
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return 1;
}

int CCeMMultiButton::SetCells(const MultiButtonCellDef* records, int count)
{
    if (count < 0 || (count > 0 && !records))
        return 0;
    RemoveCells();
    for (int i = 0; i < count; ++i) {
        const MultiButtonCellDef& d = records[i];
        AppendCell(d.left, d.top, d.width, d.height, d.id, d.enabled, d.latched);
    }
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return 1;
}

void CCeMMultiButton::DropImages()
{
    for (auto*& image : m_pImages) {
        if (m_bOwnsImages)
            delete image;
        image = nullptr;
    }
}

template <typename Source, typename Load>
int CCeMMultiButton::LoadThree(const Source (&sources)[IMAGE_COUNT], Load load)
{
    DropImages();
    m_bOwnsImages = 1;
    int all = 1;
    for (int i = 0; i < IMAGE_COUNT; ++i) {
        if (!sources[i])
            continue;
        auto* image = new CCeMBitmap;
        if (load(*image, sources[i]) && image->Handle()) {
            m_pImages[i] = image;
        } else {
            delete image;
            all = 0;
        }
    }
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return all;
}

int CCeMMultiButton::LoadImages(UINT normalId, UINT pressedId, UINT disabledId)
{
    const UINT ids[IMAGE_COUNT] = {normalId, pressedId, disabledId};
    return LoadThree(ids, [](CCeMBitmap& image, UINT id) {
        return image.LoadFromResource(CCeMToolkit::Instance(), id, 1);
    });
}

int CCeMMultiButton::LoadImageFiles(LPCWSTR normalPath, LPCWSTR pressedPath, LPCWSTR disabledPath)
{
    const LPCWSTR paths[IMAGE_COUNT] = {normalPath, pressedPath, disabledPath};
    return LoadThree(paths, [](CCeMBitmap& image, LPCWSTR path) { return image.LoadFromFile(path, 1); });
}

void CCeMMultiButton::SetImageOrigin(int x, int y)
{
    m_ptOrigin = {x, y};
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

CCeMBitmap* CCeMMultiButton::Image(int which) const
{
    return which >= 0 && which < IMAGE_COUNT ? m_pImages[which] : nullptr;
}

const MultiButtonCell* CCeMMultiButton::CellAt(int index) const
{
    return static_cast<const MultiButtonCell*>(m_cells.GetAt(index));
}

MultiButtonCell* CCeMMultiButton::CellAtPoint(int x, int y) const
{
    for (int i = 0; i < m_cells.GetCount(); ++i) {
        auto* cell = static_cast<MultiButtonCell*>(m_cells.GetAt(i));
        if (x >= cell->left && x < cell->right && y >= cell->top && y < cell->bottom)
            return cell;
    }
    return nullptr;
}

const MultiButtonCell* CCeMMultiButton::HitTest(int x, int y) const
{
    return CellAtPoint(x, y);
}

void CCeMMultiButton::RedrawCell(const MultiButtonCell* cell)
{
    if (!cell || !m_hWnd)
        return;
    RECT rc = {cell->left, cell->top, cell->right, cell->bottom};
    InvalidateRect(m_hWnd, &rc, FALSE);
}

int CCeMMultiButton::SetEnabled(int id, int enabled, int redraw)
{
    int found = 0;
    for (int i = 0; i < m_cells.GetCount(); ++i) {
        auto* cell = static_cast<MultiButtonCell*>(m_cells.GetAt(i));
        if (cell->id != id)
            continue;
        cell->enabled = enabled ? 1 : 0;
        if (redraw)
            RedrawCell(cell);
        found = 1;
    }
    return found;
}

int CCeMMultiButton::SetAllEnabled(int enabled, int redraw)
{
    for (int i = 0; i < m_cells.GetCount(); ++i)
        static_cast<MultiButtonCell*>(m_cells.GetAt(i))->enabled = enabled ? 1 : 0;
    if (redraw && m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
    return m_cells.GetCount();
}

void CCeMMultiButton::ClearLatched(int redraw)
{
    for (int i = 0; i < m_cells.GetCount(); ++i) {
        auto* cell = static_cast<MultiButtonCell*>(m_cells.GetAt(i));
        if (!cell->latched)
            continue;
        cell->latched = 0;
        if (redraw)
            RedrawCell(cell);
    }
}

void CCeMMultiButton::SetLatchMode(int mode, int redraw)
{
    ClearLatched(redraw);
    m_nLatchMode = mode ? 1 : 0;
}

bool CCeMMultiButton::Notify(int kind, int cellId)
{
    HWND self = m_hWnd;
    const LPARAM lp = static_cast<LPARAM>((static_cast<DWORD>(kind) << 16) | (cellId & 0xFFFF));
    SendMessageW(GetParent(self), WM_COMMAND, MAKEWPARAM(m_nId, 0), lp);
    return IsWindow(self) && m_hWnd == self;
}

int CCeMMultiButton::OnLButtonDown(WPARAM, int x, int y)
{
    x = Signed(x);
    y = Signed(y);
    if (!m_bTracking) {
        MultiButtonCell* cell = CellAtPoint(x, y);
        if (cell && cell->enabled) {
            SetCapture(m_hWnd);
            m_bTracking = 1;
            m_pTracked = cell;
            RedrawCell(cell);
            // The pressed look shows while the shell waits for a hold.
            UpdateWindow(m_hWnd);
        } else {
            m_pTracked = nullptr;
        }
    }
    // Only a press being tracked can become tap-and-hold; asking for any
    // other would only keep the pen waiting.
    if (m_bTapAndHold && m_bTracking) {
        SHRGINFO rg = {sizeof rg, m_hWnd, {x, y}, SHRG_RETURNCMD};
        if (SHRecognizeGesture(&rg) == GN_CONTEXTMENU && m_bTracking) {
            const MultiButtonCell* was = m_pTracked;
            StopTracking();
            if (GetCapture() == m_hWnd)
                ReleaseCapture();
            RedrawCell(was);
            // The release that follows finds nothing tracked: no ordinary press.
            if (MultiButtonCell* cell = CellAtPoint(x, y)) {
                if (!Notify(PRESS_HOLD, cell->id))
                    return 0;
                RedrawCell(cell);
            }
        }
    }
    return 0;
}

int CCeMMultiButton::OnMouseMove(WPARAM, int x, int y)
{
    if (!m_bTracking)
        return 0;
    MultiButtonCell* cell = CellAtPoint(Signed(x), Signed(y));
    if (cell != m_pTracked) {
        RedrawCell(m_pTracked);
        RedrawCell(cell);
        m_pTracked = cell;
    }
    return 0;
}

int CCeMMultiButton::OnLButtonUp(WPARAM, int x, int y)
{
    if (!m_bTracking)
        return 0;
    const MultiButtonCell* was = m_pTracked;
    StopTracking();
    if (GetCapture() == m_hWnd)
        ReleaseCapture();
    ClearLatched(1);
    RedrawCell(was);
    if (MultiButtonCell* cell = CellAtPoint(Signed(x), Signed(y))) {
        if (m_nLatchMode)
            cell->latched = 1;
        if (!Notify(PRESS_TAP, cell->id))
            return 0;
        RedrawCell(cell);
    }
    return 0;
}

void CCeMMultiButton::DrawCell(HDC dc, HDC mem, const MultiButtonCell* cell, int which)
{
    CCeMBitmap* image = m_pImages[which];
    if (!image)
        return;
    image->DrawPart(dc, mem, cell->left, cell->top, cell->left - m_ptOrigin.x, cell->top - m_ptOrigin.y,
                    cell->width, cell->height);
}

void CCeMMultiButton::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    // Drawn off screen first so a pressed key never flickers through the idle picture.
    HDC back = CreateCompatibleDC(dc);
    HBITMAP surface = CreateCompatibleBitmap(dc, client.right, client.bottom);
    HGDIOBJ oldSurface = SelectObject(back, surface);
    HDC mem = CreateCompatibleDC(dc);

    // What the picture does not cover shows the default background.
    FillRect(back, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (m_pImages[IMAGE_NORMAL])
        m_pImages[IMAGE_NORMAL]->DrawAt(back, mem, m_ptOrigin.x, m_ptOrigin.y);
    for (int i = 0; i < m_cells.GetCount(); ++i) {
        const auto* cell = static_cast<const MultiButtonCell*>(m_cells.GetAt(i));
        const bool pressed = (m_bTracking && cell == m_pTracked) || cell->latched;
        if (pressed)
            DrawCell(back, mem, cell, cell->enabled ? IMAGE_PRESSED : IMAGE_DISABLED);
        else if (!cell->enabled)
            DrawCell(back, mem, cell, IMAGE_DISABLED);
    }

    BitBlt(dc, 0, 0, client.right, client.bottom, back, 0, 0, SRCCOPY);
    DeleteDC(mem);
    SelectObject(back, oldSurface);
    DeleteObject(surface);
    DeleteDC(back);
    EndPaint(hwnd, &ps);
}
