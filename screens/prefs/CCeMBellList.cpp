#include "CCeMBellList.h"

#include <cwchar>

#include "audio/CCeMpegThread.h"
#include "modem/ModemMessages.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

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

CCeMBellList::CCeMBellList(UINT pictureId, POINT pictureFromCorner, CCeMPlacement bellPlace, POINT ok,
                           POINT cancel)
    : CCeMEditorList(pictureId, pictureFromCorner, ok, cancel), m_bellPlace(bellPlace), m_bPreviewing(0)
{
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
    CCeMEditorList::OnCreate(hwnd, cs);
    Menu().Append(kAdd, L"추가", MF_STRING);
    Menu().Append(kDelete, L"삭제", MF_STRING);
    m_bellChoice.Create(CBS_DROPDOWNLIST | WS_VSCROLL, m_bellPlace, hwnd, kBellChoice);
    prefs::SetFont(m_hFont, {m_bellChoice.GetHwnd()});
    LoadStore();
    SetItemCount(-1, 0);
    return 0;
}

int CCeMBellList::OnDestroy(HWND hwnd)
{
    StopPreview();
    return CCeMEditorList::OnDestroy(hwnd);
}

void CCeMBellList::DrawRows(HDC dc, int right)
{
    for (int row = 0; row < m_nVisible && m_nTop + row < EntryCount(); ++row) {
        const int index = m_nTop + row;
        const int y = RowsTop() + row * kRowHeight;
        if (index == m_nSelected)
            DrawSelection(dc, y, right);
        const std::vector<const wchar_t*> texts = EntryTexts(index);
        for (size_t c = 0; c < texts.size() && c < m_columns.size(); ++c)
            Label(dc, texts[c], m_columns[c].left, y, m_columns[c].right < 0 ? right : m_columns[c].right - 2,
                  y + kRowHeight);
    }
}

void CCeMBellList::DrawFrame(HDC dc)
{
    prefs::DrawHeaderBand(dc, m_nWidth, m_bFocus != 0, HeaderBrush(), m_columns.data(), m_columns.size());
}

void CCeMBellList::AfterDelete()
{
    m_nSelected = -1;
    SelectEntry(-1);
    SetItemCount(-1, 0);
}

int CCeMBellList::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kOk:
        if (SaveEditor()) {
            SetEditing(0);
            SetItemCount(-1, 0);
            InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        return 0;
    case kBellChoice:
        if (code == CBN_SELCHANGE)
            Preview();
        return 0;
    default:
        return CCeMEditorList::OnCommand(code, id, control);
    }
}

void CCeMBellList::ShowEditor(bool show)
{
    ShowFields(show);
    ShowWindow(m_bellChoice.GetHwnd(), show ? SW_SHOW : SW_HIDE);
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
