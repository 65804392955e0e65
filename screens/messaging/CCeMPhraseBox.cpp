#include "screens/messaging/CCeMPhraseBox.h"

#include "resources/messaging_res.h"
#include "toolkit/CCeMToolkit.h"

CCeMPhraseBox::CCeMPhraseBox() : m_nPosition(0) {}

CCeMPhraseBox::~CCeMPhraseBox() = default;

INT_PTR CCeMPhraseBox::Run(HWND owner)
{
    m_chosen.clear();
    m_nPosition = 0;
    m_pPhrases = std::make_unique<CCeSmsMsgDB>();
    m_pPhrases->Load();
    const INT_PTR r = DoModal(CCeMToolkit::Instance(), IDD_PHRASE_BOX, owner, kLayoutKeep);
    m_pPhrases.reset();  // the cache goes with the box
    return r;
}

int CCeMPhraseBox::OnInitDialog(HWND hwnd)
{
    CCeMDialog::OnInitDialog(hwnd);
    RECT rc = {};
    if (HWND room = GetDlgItem(hwnd, IDC_PHRASE_CELLS)) {
        GetWindowRect(room, &rc);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rc), 2);
    }
    // The pictures are a column of five 40 x 24 cells.
    m_cells.Create(WS_VISIBLE, {rc.left, rc.top, 40, 120}, hwnd, kCellsId);
    m_cells.LoadImages(IDB_PHRASE_CELLS, IDB_PHRASE_CELLS_PUSH, IDB_PHRASE_CELLS_OFF);
    m_cells.SetGrid(1, 5);
    Refresh();
    // The focus on the cells, not in the text, which would show selected.
    SetFocus(m_cells.GetHwnd());
    return 0;
}

std::wstring CCeMPhraseBox::PositionText() const
{
    const int count = m_pPhrases ? m_pPhrases->Count() : 0;
    if (count == 0)
        return L"0/0";
    return std::to_wstring(m_nPosition + 1) + L"/" + std::to_wstring(count);
}

RECT CCeMPhraseBox::PositionRect() const
{
    RECT rc = {};
    if (HWND text = GetDlgItem(m_hWnd, IDC_PHRASE_TEXT)) {
        GetWindowRect(text, &rc);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    }
    return {rc.left, rc.bottom + 2, rc.right, rc.bottom + 20};
}

void CCeMPhraseBox::Refresh()
{
    const int count = m_pPhrases ? m_pPhrases->Count() : 0;
    const LPCWSTR text = m_pPhrases ? m_pPhrases->Text(m_nPosition) : nullptr;
    SetDlgItemTextW(m_hWnd, IDC_PHRASE_TEXT, text ? text : L"");
    m_cells.SetEnabled(kPrevious, m_nPosition > 0, 1);
    m_cells.SetEnabled(kNext, count > m_nPosition + 1, 1);
    RECT rc = PositionRect();
    InvalidateRect(m_hWnd, &rc, TRUE);
}

void CCeMPhraseBox::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc = PositionRect();
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, PositionText().c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

int CCeMPhraseBox::OnCommand(int code, int id, HWND control)
{
    if (id == static_cast<int>(kCellsId)) {
        const LPARAM press = reinterpret_cast<LPARAM>(control);
        if (HIWORD(press) != CCeMMultiButton::PRESS_TAP || !m_pPhrases)
            return 1;
        const int count = m_pPhrases->Count();
        switch (LOWORD(press)) {
        case kDelete:
            if (count > 0 && m_pPhrases->Delete(m_nPosition)) {
                if (m_pPhrases->Count() == 0)
                    m_nPosition = 0;
                else if (m_nPosition >= m_pPhrases->Count())
                    --m_nPosition;
                Refresh();
            }
            return 1;
        case kChoose:
            id = IDOK;
            break;
        case kCancel:
            id = IDCANCEL;
            break;
        case kPrevious:
            if (m_nPosition > 0) {
                --m_nPosition;
                Refresh();
            }
            return 1;
        case kNext:
            if (count > m_nPosition + 1) {
                ++m_nPosition;
                Refresh();
            }
            return 1;
        default:
            return 1;
        }
    }
    if (id == IDOK) {
        const LPCWSTR text = m_pPhrases ? m_pPhrases->Text(m_nPosition) : nullptr;
        if (!text)
            return 1;  // nothing to choose
        m_chosen = text;
    }
    return CCeMDialog::OnCommand(code, id, control);
}
