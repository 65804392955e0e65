#include "CCeMBellList.h"

#include <cwchar>

#include "audio/CCeMpegThread.h"
#include "modem/ModemMessages.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

bool Privacy() { return g_pDataManager->m_Settings.bPrivacy == 1; }

void AddFiles(LPCWSTR installDir, LPCWSTR pattern, std::vector<std::wstring>& out)
{
    wchar_t path[MAX_PATH];
    const int n = swprintf(path, MAX_PATH, L"%ls\\Bell\\%ls", installDir, pattern);
    if (n <= 0 || n >= MAX_PATH)
        return;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(path, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            out.emplace_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

}  // namespace

CCeMBellList::CCeMBellList()
    : m_nPictureId(0), m_ptPictureFromCorner{}, m_bellPlace{}, m_ptOk{}, m_ptCancel{}, m_hFont(prefs::CreateControlFont()), m_hPicture(nullptr),
      m_hPattern(nullptr), m_bEditing(0), m_bPreviewing(0)
{
}

CCeMBellList::~CCeMBellList()
{
    if (m_hWnd)
        Destroy();
    prefs::DeleteAll<HFONT>({&m_hFont});
}

std::vector<std::wstring> CCeMBellList::FindBells(LPCWSTR installDir)
{
    std::vector<std::wstring> files;
    AddFiles(installDir, L"*.mp3", files);
    AddFiles(installDir, L"*.wav", files);
    return files;
}

bool CCeMBellList::FillBellChoices()
{
    HWND combo = m_bellChoice.GetHwnd();
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const std::vector<std::wstring> files = FindBells(g_pDataManager->m_szInstallDir);
    for (const std::wstring& f : files)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return !files.empty();
}

std::wstring CCeMBellList::ChosenBell() const
{
    HWND combo = m_bellChoice.GetHwnd();
    const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT n = i == CB_ERR ? CB_ERR : SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    if (n == CB_ERR || n >= MAX_PATH)
        return L"";
    wchar_t file[MAX_PATH] = {};
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(file));
    return file;
}

int CCeMBellList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    m_hPattern = prefs::LoadPicture(IDB_LIST_PATTERN);
    if (m_hPattern)
        SetBackgroundPattern(m_hPattern, 1);
    m_hPicture = prefs::LoadPicture(m_nPictureId);
    m_nBand1 = 0;
    m_nBand2 = 20;
    m_nVisible = (m_nHeight - RowsTop()) / kRowHeight;
    m_menu.CreatePopup();
    m_menu.Append(kAdd, L"추가", MF_STRING);
    m_menu.Append(kDelete, L"삭제", MF_STRING);
    m_bellChoice.Create(CBS_DROPDOWNLIST | WS_VSCROLL, m_bellPlace, hwnd, kBellChoice);
    prefs::SetFont(m_hFont, {m_bellChoice.GetHwnd()});
    m_okButton.Create(L"", 0, {m_ptOk.x, m_ptOk.y, 45, 25}, hwnd, kOk);
    m_okButton.SetBitmap(CCeMMsgBox::kOkBitmapId, 2);
    m_cancelButton.Create(L"", 0, {m_ptCancel.x, m_ptCancel.y, 45, 25}, hwnd, kCancel);
    m_cancelButton.SetBitmap(CCeMMsgBox::kCancelBitmapId, 2);
    LoadStore();
    SetItemCount(-1, 0);
    return 0;
}

int CCeMBellList::OnDestroy(HWND hwnd)
{
    StopPreview();
    prefs::DeleteAll<HBITMAP>({&m_hPicture});
    m_menu.DestroyMenu();
    SelectEntry(-1);
    const int r = CCeMItemList::OnDestroy(hwnd);
    prefs::DeleteAll<HBITMAP>({&m_hPattern});
    return r;
}

void CCeMBellList::SetItemCount(int, int hideScrollBar)
{
    if (hideScrollBar != 1 && !Privacy())
        CCeMItemList::SetItemCount(EntryCount(), 0);
    else
        CCeMItemList::SetItemCount(0, 1);
}

void CCeMBellList::OnSelChange(int selected, int) { SelectEntry(selected); }

void CCeMBellList::Label(HDC dc, LPCWSTR text, int left, int top, int right, int bottom)
{
    RECT rc = {left, top, right, bottom};
    DrawTextW(dc, text ? text : L"", -1, &rc, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CCeMBellList::DrawItems(HDC dc, const RECT& full)
{
    if (!m_bEditing)
        prefs::DrawPicture(dc, m_hPicture, m_nWidth - m_ptPictureFromCorner.x, m_nHeight - m_ptPictureFromCorner.y);
    if (Privacy()) {
        RECT rc = full;
        DrawTextW(dc, L"사생활 보호중", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    const int right = m_nWidth - kScrollBarWidth;
    SetTextColor(dc, RGB(0, 0, 0));
    for (int row = 0; row < m_nVisible && m_nTop + row < EntryCount(); ++row) {
        const int index = m_nTop + row;
        const int y = RowsTop() + row * kRowHeight;
        if (index == m_nSelected) {
            RECT rc = {0, y, right, y + kRowHeight};
            FillRect(dc, &rc, m_hSelection);
            if (m_bFocus)
                DrawFocusRect(dc, &rc);
        }
        const std::vector<const wchar_t*> texts = EntryTexts(index);
        for (size_t c = 0; c < texts.size() && c < m_columns.size(); ++c)
            Label(dc, texts[c], m_columns[c].left, y, m_columns[c].right < 0 ? right : m_columns[c].right - 2,
                  y + kRowHeight);
    }
    if (m_bEditing) {
        const RECT e = EditorRect();
        HGDIOBJ old = SelectObject(dc, GetStockObject(WHITE_BRUSH));
        RoundRect(dc, e.left, e.top, e.right, e.bottom, 10, 10);
        SelectObject(dc, old);
        DrawEditorLabels(dc);
    }
}

void CCeMBellList::DrawFrame(HDC dc)
{
    prefs::DrawHeaderBand(dc, m_nWidth, m_bFocus != 0, HeaderBrush(), m_columns.data(), m_columns.size());
}

int CCeMBellList::OnTapAndHold(int x, int y)
{
    if (m_bEditing || !CCeMItemList::OnTapAndHold(x, y))
        return 0;
    const bool has = SelectEntry(m_nSelected);
    m_menu.Enable(kAdd, MF_BYCOMMAND | (has ? MF_GRAYED : MF_ENABLED));
    m_menu.Enable(kDelete, MF_BYCOMMAND | (has ? MF_ENABLED : MF_GRAYED));
    prefs::TrackMenuAt(m_hWnd, m_menu.Handle(), x, y);
    return 1;
}

int CCeMBellList::OnLButtonDown(WPARAM keys, int x, int y)
{
    return m_bEditing ? -1 : CCeMItemList::OnLButtonDown(keys, x, y);
}

int CCeMBellList::OnLButtonDblClk(WPARAM keys, int x, int y)
{
    return m_bEditing ? -1 : CCeMItemList::OnLButtonDblClk(keys, x, y);
}

bool CCeMBellList::DeleteWithQuestion()
{
    if (!SelectEntry(m_nSelected))
        return false;
    if (!prefs::Confirm(m_hWnd, L"삭제 하시겠습니까 ?", L"알림") || m_bEditing)
        return false;
    if (!SelectEntry(m_nSelected) || !DeleteCurrentEntry())
        return false;
    m_nSelected = -1;
    SelectEntry(-1);
    SetItemCount(-1, 0);
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
    return true;
}

int CCeMBellList::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kAdd:
        if (prefs::PassGuards(m_hWnd))
            SetEditing(1);
        return 0;
    case kDelete:
        if (prefs::PassGuards(m_hWnd))
            DeleteWithQuestion();
        return 0;
    case kOk:
        if (SaveEditor()) {
            SetEditing(0);
            SetItemCount(-1, 0);
            InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        return 0;
    case kCancel:
        SetEditing(0);
        return 0;
    case kBellChoice:
        if (code == CBN_SELCHANGE)
            Preview();
        return 0;
    default:
        return CCeMItemList::OnCommand(code, id, control);
    }
}

void CCeMBellList::SetEditing(int on)
{
    on = on ? 1 : 0;
    if (on == m_bEditing)
        return;
    m_bEditing = on;
    EnableWindow(m_scrollBar.GetHwnd(), on ? FALSE : TRUE);
    ShowFields(on != 0);
    const int show = on ? SW_SHOW : SW_HIDE;
    ShowWindow(m_bellChoice.GetHwnd(), show);
    ShowWindow(m_okButton.GetHwnd(), show);
    ShowWindow(m_cancelButton.GetHwnd(), show);
    if (!on) {
        StopPreview();
        SetFocus(m_hWnd);
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateWindow(m_hWnd);
}

void CCeMBellList::Preview()
{
    CCeMpegThread* player = g_pDataManager->m_pRingPlayer;
    const LONG state = g_pDataManager->m_Modem.CallState;
    // The ring tone of a call, or the call itself, has the speaker.
    if (!player || state == CALL_SETUP || state == CALL_RINGING || state == CALL_CONNECTED)
        return;
    StopPreview();
    const std::wstring file = ChosenBell();
    wchar_t path[MAX_PATH];
    const int n = swprintf(path, MAX_PATH, L"%ls\\Bell\\%ls", g_pDataManager->m_szInstallDir, file.c_str());
    if (file.empty() || n <= 0 || n >= MAX_PATH)
        return;
    if (player->Open(path) && player->Play())
        m_bPreviewing = 1;
}

void CCeMBellList::StopPreview()
{
    CCeMpegThread* player = g_pDataManager ? g_pDataManager->m_pRingPlayer : nullptr;
    if (!m_bPreviewing || !player)
        return;
    m_bPreviewing = 0;
    // A call that came in meanwhile plays its own tone now.
    if (g_pDataManager->m_Modem.CallState == CALL_RINGING)
        return;
    player->Stop();
}
