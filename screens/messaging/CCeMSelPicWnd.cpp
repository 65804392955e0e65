#include "screens/messaging/CCeMSelPicWnd.h"

#include <algorithm>

#include "screens/messaging/PictureBox.h"
#include "stores/BitmapFile.h"
#include "stores/CCeDataManager.h"

namespace {

constexpr int kTitleHeight = 18;
// A preview reads no more than this; a larger file shows none.
constexpr DWORD kMaxPreviewFile = 1024 * 1024;

std::vector<BYTE> ReadSmallFile(const std::wstring& path)
{
    std::vector<BYTE> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart <= kMaxPreviewFile) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
            bytes.clear();
    }
    CloseHandle(f);
    return bytes;
}

}  // namespace

CCeMSelPicWnd::CCeMSelPicWnd() = default;

CCeMSelPicWnd::~CCeMSelPicWnd()
{
    if (m_hWnd)
        Destroy();
    if (m_hPreview)
        DeleteObject(m_hPreview);
}

std::wstring CCeMSelPicWnd::DefaultFolder()
{
    if (g_pDataManager && g_pDataManager->m_szInstallDir[0])
        return std::wstring(g_pDataManager->m_szInstallDir) + L"\\Pic";
    return L"\\Pic";
}

int CCeMSelPicWnd::Open(HWND owner, const std::wstring& folder)
{
    if (m_hWnd || !owner)
        return 0;
    m_hOwner = owner;
    m_folder = folder;
    m_chosen.clear();
    RECT rc;
    GetClientRect(owner, &rc);
    RegisterWindowClass(L"CCeMSelPicWnd", 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr, nullptr,
                        nullptr);
    if (!CCeMWnd::Create(L"사진 선택", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER,
                         {0, 0, rc.right, rc.bottom}, owner, 0))
        return 0;
    BringWindowToTop(m_hWnd);
    return 1;
}

void CCeMSelPicWnd::Close()
{
    if (m_hWnd)
        Destroy();
}

HWND CCeMSelPicWnd::Button(int id) const
{
    return id == kOk ? m_ok.GetHwnd() : id == kCancel ? m_cancel.GetHwnd() : nullptr;
}

int CCeMSelPicWnd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMWnd::OnCreate(hwnd, cs);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int right = rc.right - kPreviewSide - 8;
    m_list.Create(WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                  {2, kTitleHeight, right - 4, rc.bottom - kTitleHeight - 2}, hwnd, kFiles);
    m_ok.Create(L"확인", BS_PUSHBUTTON | WS_VISIBLE, {right + 2, kTitleHeight + kPreviewSide + 6, kPreviewSide, 21},
                hwnd, kOk);
    m_cancel.Create(L"취소", BS_PUSHBUTTON | WS_VISIBLE,
                    {right + 2, kTitleHeight + kPreviewSide + 31, kPreviewSide, 21}, hwnd, kCancel);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (HWND w : {m_list.GetHwnd(), m_ok.GetHwnd(), m_cancel.GetHwnd()})
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ReadFolder();
    return 0;
}

int CCeMSelPicWnd::OnDestroy(HWND hwnd)
{
    if (m_hPreview) {
        DeleteObject(m_hPreview);
        m_hPreview = nullptr;
    }
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMSelPicWnd::ReadFolder()
{
    m_files.clear();
    WIN32_FIND_DATAW found;
    const std::wstring pattern = m_folder + L"\\*.bmp";
    HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                m_files.push_back(found.cFileName);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    std::sort(m_files.begin(), m_files.end(),
              [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
    HWND box = m_list.GetHwnd();
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& name : m_files)
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    EnableWindow(m_ok.GetHwnd(), FALSE);
}

void CCeMSelPicWnd::ShowPreview(int index)
{
    if (m_hPreview) {
        DeleteObject(m_hPreview);
        m_hPreview = nullptr;
    }
    if (index >= 0 && index < static_cast<int>(m_files.size())) {
        const std::vector<BYTE> bytes = ReadSmallFile(m_folder + L"\\" + m_files[index]);
        if (!bytes.empty()) {
            HDC dc = GetDC(m_hWnd);
            m_hPreview = BitmapFromFileBytes(dc, bytes.data(), static_cast<DWORD>(bytes.size()));
            ReleaseDC(m_hWnd, dc);
        }
    }
    EnableWindow(m_ok.GetHwnd(), index >= 0);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CCeMSelPicWnd::Confirm()
{
    const int index = static_cast<int>(SendMessageW(m_list.GetHwnd(), LB_GETCURSEL, 0, 0));
    if (index < 0 || index >= static_cast<int>(m_files.size()))
        return;
    m_chosen = m_files[index];
    HWND owner = m_hOwner;
    Close();
    // The owner reads Chosen(); nothing else travels with the command.
    SendMessageW(owner, WM_COMMAND, MAKEWPARAM(kChosen, 0), 0);
}

int CCeMSelPicWnd::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kFiles:
        if (code == LBN_SELCHANGE)
            ShowPreview(static_cast<int>(SendMessageW(m_list.GetHwnd(), LB_GETCURSEL, 0, 0)));
        else if (code == LBN_DBLCLK)
            Confirm();
        return 0;
    case kOk:
        Confirm();
        return 0;
    case kCancel:
        Close();
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

void CCeMSelPicWnd::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    RECT title = {4, 0, rc.right - 4, kTitleHeight};
    const wchar_t* text = m_files.empty() ? L"사진 선택: 사진이 없습니다" : L"사진 선택";
    DrawTextW(dc, text, -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);

    const int left = rc.right - kPreviewSide - 6;
    RECT box = {left, kTitleHeight, left + kPreviewSide, kTitleHeight + kPreviewSide};
    DrawPictureBox(dc, m_hPreview, box);
    EndPaint(hwnd, &ps);
}
