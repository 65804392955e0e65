#include "CCeMWndSkin.h"

#include <cwchar>

#include "ScreenFrame.h"
#include "resources/prefs_res.h"
#include "stores/BitmapFile.h"
#include "stores/CCeDataManager.h"
#include "toolkit/ToolkitMessages.h"

namespace {

constexpr COLORREF kFrameColor = RGB(164, 20, 120);

// "<install>\Skin\<skin>\<file>"; false when it does not fit.
bool SkinPath(LPCWSTR installDir, LPCWSTR skin, LPCWSTR file, wchar_t (&out)[MAX_PATH])
{
    const int n = swprintf(out, MAX_PATH, L"%ls\\Skin\\%ls\\%ls", installDir, skin, file);
    return n > 0 && n < MAX_PATH;
}

// Whether the file holds a whole, uncompressed bitmap (a cut-off file
// would still load, showing garbage where its pixels are missing).
bool IsWholeBitmap(LPCWSTR path)
{
    constexpr DWORD kMaxBytes = 4u << 20;  // far above any picture of a 240 x 320 screen
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const DWORD size = GetFileSize(file, nullptr);
    bool whole = false;
    if (size != INVALID_FILE_SIZE && size <= kMaxBytes) {
        std::vector<BYTE> bytes(size);
        DWORD read = 0;
        whole = ReadFile(file, bytes.data(), size, &read, nullptr) && read == size &&
                CheckBitmapFile(bytes.data(), size, nullptr) == kBitmapOk;
    }
    CloseHandle(file);
    return whole;
}

}  // namespace

CCeMWndSkin::CCeMWndSkin()
    : m_hBackground(nullptr), m_hPattern(nullptr), m_hFrameBrush(nullptr), m_hPreviewLabel(nullptr),
      m_hListLabel(nullptr), m_hFont(nullptr)
{
}

CCeMWndSkin::~CCeMWndSkin()
{
    if (m_hWnd)
        Destroy();
    // The list is destroyed after its parent's destroy handler ran, so its
    // font goes only now.
    if (m_hFont)
        DeleteObject(m_hFont);
}

int CCeMWndSkin::Create(DWORD style, const CCeMPlacement& pl, HWND parent, UINT id)
{
    RegisterWindowClass(L"CCeMWndSkin", CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr, nullptr);
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

std::vector<std::wstring> CCeMWndSkin::FindSkins(LPCWSTR installDir)
{
    std::vector<std::wstring> skins;
    wchar_t pattern[MAX_PATH];
    const int n = swprintf(pattern, MAX_PATH, L"%ls\\Skin\\*.*", installDir);
    if (n <= 0 || n >= MAX_PATH)
        return skins;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern, &found);
    if (find == INVALID_HANDLE_VALUE)
        return skins;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || wcscmp(found.cFileName, L".") == 0 ||
            wcscmp(found.cFileName, L"..") == 0)
            continue;
        // Offered only when the dial pad could show it: the same loading
        // the main window does, or it would fall back to another skin.
        wchar_t path[MAX_PATH];
        CCeMBitmap picture;
        if (SkinPath(installDir, found.cFileName, L"DialPad.bmp", path) && IsWholeBitmap(path) &&
            picture.LoadFromFile(path, 1) && picture.Handle())
            skins.emplace_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return skins;
}

int CCeMWndSkin::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    const int w = cs->cx;
    m_hBackground = prefs::LoadPicture(IDB_SKIN_FRAME);
    if (HBITMAP pattern = prefs::LoadPicture(IDB_SKIN_PATTERN)) {
        m_hPattern = CreatePatternBrush(pattern);
        DeleteObject(pattern);  // the brush keeps its own copy
    }
    m_hFrameBrush = CreateSolidBrush(kFrameColor);
    m_hPreviewLabel = prefs::LoadPicture(IDB_SKIN_PREVIEW_LABEL);
    m_hListLabel = prefs::LoadPicture(IDB_SKIN_LIST_LABEL);
    m_closeButton.Create(L"", WS_VISIBLE, {w - 24, 3, 20, 20}, hwnd, kClose);
    m_closeButton.SetBitmap(IDB_SKIN_CLOSE, 2);
    m_folders.Create(WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY, {144, 50, 87, 135}, hwnd, kFolders);
    // The screens' own type, so longer folder names fit the narrow list.
    m_hFont = prefs::CreateControlFont();
    prefs::SetFont(m_hFont, {m_folders.GetHwnd()});
    LoadPreview(g_pDataManager->m_Settings.szSkinName);
    FillList();
    return 0;
}

void CCeMWndSkin::LoadPreview(LPCWSTR skin)
{
    m_preview.Free();
    wchar_t path[MAX_PATH];
    if (SkinPath(g_pDataManager->m_szInstallDir, skin, L"DialPad.bmp", path))
        m_preview.LoadFromFile(path, 1);
}

void CCeMWndSkin::FillList()
{
    HWND list = m_folders.GetHwnd();
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& skin : FindSkins(g_pDataManager->m_szInstallDir))
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(skin.c_str()));
}

void CCeMWndSkin::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC paint = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    // Drawn off screen and copied at once, so the preview never flickers.
    HDC dc = CreateCompatibleDC(paint);
    HBITMAP canvas = CreateCompatibleBitmap(paint, rc.right, rc.bottom);
    HGDIOBJ oldCanvas = SelectObject(dc, canvas);
    FillRect(dc, &rc, m_hFrameBrush);
    prefs::DrawPicture(dc, m_hBackground, 0, 0);
    RECT body = {0, prefs::kTitleBand, rc.right, rc.bottom};
    if (m_hPattern)
        FillRect(dc, &body, m_hPattern);
    prefs::DrawSideFrame(dc, rc.right, rc.bottom, prefs::kTitleBand, m_hFrameBrush);
    prefs::DrawPicture(dc, m_hPreviewLabel, 2, 28);
    prefs::DrawPicture(dc, m_hListLabel, 160, 28);
    prefs::DrawTitle(dc, L"스킨 선택");
    if (HBITMAP picture = m_preview.Handle()) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, picture);
        SetStretchBltMode(dc, HALFTONE);
        StretchBlt(dc, kPreviewRect.left, kPreviewRect.top, kPreviewRect.right - kPreviewRect.left,
                   kPreviewRect.bottom - kPreviewRect.top, mem, 0, 0, m_preview.Width(), m_preview.Height(),
                   SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    BitBlt(paint, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldCanvas);
    DeleteObject(canvas);
    DeleteDC(dc);
    EndPaint(hwnd, &ps);
}

void CCeMWndSkin::ChooseSelected()
{
    HWND list = m_folders.GetHwnd();
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return;
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    SettingsBlock& settings = g_pDataManager->m_Settings;
    if (length == LB_ERR || length >= static_cast<LRESULT>(sizeof settings.szSkinName / sizeof(wchar_t)))
        return;
    wchar_t name[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
    LoadPreview(name);
    InvalidateRect(m_hWnd, &kPreviewRect, FALSE);
    UpdateWindow(m_hWnd);
    wcscpy(settings.szSkinName, name);
    g_pDataManager->m_EnvDB.Save();
    SendMessageW(GetParent(m_hWnd), WM_CHILDNOTIFY, kSkinChosen, reinterpret_cast<LPARAM>(this));
}

int CCeMWndSkin::OnCommand(int code, int id, HWND control)
{
    if (id == kClose) {
        prefs::SendCloseRequest(m_hWnd);
        return 0;
    }
    if (id == kFolders && code == LBN_SELCHANGE) {
        ChooseSelected();
        return 0;
    }
    return CCeMWnd::OnCommand(code, id, control);
}

int CCeMWndSkin::OnDestroy(HWND hwnd)
{
    m_preview.Free();
    prefs::DeleteAll<HBITMAP>({&m_hBackground, &m_hPreviewLabel, &m_hListLabel});
    prefs::DeleteAll<HBRUSH>({&m_hPattern, &m_hFrameBrush});
    return CCeMWnd::OnDestroy(hwnd);
}
