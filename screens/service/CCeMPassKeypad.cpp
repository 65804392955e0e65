#include "screens/service/CCeMPassKeypad.h"

#include "screens/service/OffscreenPaint.h"

namespace {

const wchar_t* KeyLabel(int code)
{
    static const wchar_t* const kDigits[] = {L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9"};
    if (code >= 0 && code <= 9)
        return kDigits[code];
    return code == CCeMPassKeypad::kClear ? L"C" : L"확인";
}

}  // namespace

int CCeMPassKeypad::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    if (CCeMMultiButton::Create(style, pl, parent, id) != 1)
        return 0;
    SetTapAndHold(0);
    static const int kOrder[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, kClear, 0, kConfirm};
    const int w = pl.cx / 3, h = pl.cy / 4;
    MultiButtonCellDef cells[12];
    for (int i = 0; i < 12; ++i)
        cells[i] = {(i % 3) * w, (i / 3) * h, w, h, kOrder[i], 1, 0};
    return SetCells(cells, 12);
}

POINT CCeMPassKeypad::KeyCentre(int code) const
{
    for (int i = 0; i < CellCount(); ++i) {
        const MultiButtonCell* c = CellAt(i);
        if (c->id == code)
            return {(c->left + c->right) / 2, (c->top + c->bottom) / 2};
    }
    return {-1, -1};
}

int CCeMPassKeypad::KeyOfNotification(LPARAM lp)
{
    if (HIWORD(lp) != PRESS_TAP)
        return -1;
    return LOWORD(lp);
}

void CCeMPassKeypad::OnPaint(HWND hwnd)
{
    OffscreenPaint paint(hwnd);
    HDC dc = paint.Dc();
    FillRect(dc, &paint.Client(), static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = CreateFontW(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(dc, font);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(40, 70, 130));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    SetBkMode(dc, TRANSPARENT);
    const MultiButtonCell* tracked = IsTracking() ? TrackedCell() : nullptr;
    for (int i = 0; i < CellCount(); ++i) {
        const MultiButtonCell* c = CellAt(i);
        const bool pressed = c == tracked || c->latched;
        COLORREF face = pressed ? RGB(70, 110, 180) : RGB(226, 234, 246);
        if (!c->enabled)
            face = RGB(200, 200, 200);
        HBRUSH brush = CreateSolidBrush(face);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        RoundRect(dc, c->left + 1, c->top + 1, c->right - 1, c->bottom - 1, 6, 6);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
        RECT text = {c->left, c->top, c->right, c->bottom};
        SetTextColor(dc, pressed ? RGB(255, 255, 255) : RGB(20, 40, 90));
        DrawTextW(dc, KeyLabel(c->id), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

void CCeMPassKeypad::Shake()
{
    if (!m_hWnd)
        return;
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    MapWindowPoints(nullptr, GetParent(m_hWnd), reinterpret_cast<POINT*>(&rc), 2);
    static const int kSteps[] = {-2, 2, -3, 3, -4, 4, -5, 5, -6, 6};
    for (int dx : kSteps) {
        SetWindowPos(m_hWnd, nullptr, rc.left + dx, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(GetParent(m_hWnd));
        Sleep(50);
    }
    SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
