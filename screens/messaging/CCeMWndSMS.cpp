#include "screens/messaging/CCeMWndSMS.h"

#include <mmsystem.h>
#include <sipapi.h>

#include <algorithm>
#include <cwchar>

#include "modem/CCeMAtParser.h"
#include "modem/CCeMModem.h"
#include "modem/ModemMessages.h"
#include "screens/messaging/SmsViewText.h"
#include "stores/StoreText.h"
#include "toolkit/ToolkitMessages.h"

namespace {

const wchar_t* const kTabNames[] = {L"모두", L"수신", L"발신", L"음성"};
constexpr int kComboWidth = 50;
constexpr int kButtonWidth = 34;
const COLORREF kBandColor = RGB(214, 222, 236);

}  // namespace

CCeMWndSMS::CCeMWndSMS(CCeDataManager& data, CCeMModem* link)
    : m_data(data), m_pLink(link), m_list(data),
      m_composer(&data.m_SmsDB, link ? link : &data.m_Modem, &data.m_ContactsDB, &data.m_CategoriesDB)
{
}

CCeMWndSMS::~CCeMWndSMS()
{
    if (m_hWnd)
        Destroy();
}

CCeMModem* CCeMWndSMS::Link() const
{
    return m_pLink ? m_pLink : &m_data.m_Modem;
}

int CCeMWndSMS::Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id)
{
    RegisterWindowClass(L"CCeMWndSMS", 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr, nullptr,
                        nullptr);
    return CCeMWnd::Create(L"", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

int CCeMWndSMS::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMWnd::OnCreate(hwnd, cs);
    m_hWnd = hwnd;
    const int w = cs->cx, h = cs->cy;
    m_hFont = CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, VARIABLE_PITCH, L"Tahoma");
    m_tabs.Create(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE, {2, 2, kComboWidth, 90}, hwnd, kTabs);
    m_new.Create(L"작성", BS_PUSHBUTTON | WS_VISIBLE, {w - 2 * kButtonWidth - 4, 2, kButtonWidth, 20}, hwnd,
                 kNewMessage);
    m_back.Create(L"뒤로", BS_PUSHBUTTON | WS_VISIBLE, {w - kButtonWidth - 2, 2, kButtonWidth, 20}, hwnd, kBack);
    for (CCeMWnd* c : {static_cast<CCeMWnd*>(&m_tabs), static_cast<CCeMWnd*>(&m_new), static_cast<CCeMWnd*>(&m_back)})
        SendMessageW(c->GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    for (const wchar_t* name : kTabNames)
        SendMessageW(m_tabs.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendMessageW(m_tabs.GetHwnd(), CB_SETCURSEL, 0, 0);

    // The cache is filled once here and kept current by the store's operations.
    if (!m_data.m_SmsDB.IsLoaded())
        m_data.m_SmsDB.Load();
    const CCeMPlacement below = {0, kTitleHeight, w, h - kTitleHeight};
    m_list.Create(below, hwnd, WS_VISIBLE | WS_TABSTOP, kListId);
    m_composer.Create(below, hwnd, 0, kComposerId);
    m_list.Refresh();
    return 0;
}

int CCeMWndSMS::OnDestroy(HWND hwnd)
{
    KillTimer(hwnd, kReadTimer);
    m_composer.Destroy();
    m_list.Destroy();
    if (m_hFont)
        DeleteObject(m_hFont);
    m_hFont = nullptr;
    return CCeMWnd::OnDestroy(hwnd);
}

// --- received messages ------------------------------------------------------------

void CCeMWndSMS::PlayTone()
{
    const SettingsBlock& s = m_data.m_Settings;
    if (s.bMessageTone != 1 || s.nBellSource == 0)
        return;
    wchar_t path[MAX_PATH];
    const int n = _snwprintf(path, MAX_PATH, L"%ls\\Effect\\%ls", m_data.m_szInstallDir, L"sms.wav");
    // The main window's read handler may have started the same tone for
    // this report a moment ago: that one is left to play, not cut off.
    if (n > 0 && n < MAX_PATH)
        PlaySoundW(path, nullptr, SND_FILENAME | SND_ASYNC | SND_NOSTOP);
}

void CCeMWndSMS::OnNewMessages(int count, const ModemSmsRecord* records)
{
    if (count <= 0 || !records) {
        // Announced but not read yet: with the handheld silent for messages
        // the module's own alert goes first.
        KillTimer(m_hWnd, kReadTimer);
        if (m_data.m_Settings.bMessageTone == 0)
            SetTimer(m_hWnd, kReadTimer, kReadDelayMs, nullptr);
        else
            Link()->CmdReadNewMt(0);
        return;
    }
    // The parser holds no more than this; a larger count is not to be trusted.
    count = std::min(count, static_cast<int>(CCeMAtParser::MAX_SMS_RECORDS));
    PlayTone();
    CCeSmsDB& store = m_data.m_SmsDB;
    store.AddReceived(records, count);
    ++m_data.m_Settings.nNewMessages;
    m_data.m_EnvDB.Save();
    store.Recount();
    m_list.Refresh();
    RedrawTitle();
    if (HWND parent = GetParent(m_hWnd))
        SendMessageW(parent, WM_CHILDNOTIFY, CCeMSmsListWnd::kNotifyCounts, reinterpret_cast<LPARAM>(m_hWnd));
}

// --- showing ---------------------------------------------------------------------

void CCeMWndSMS::OnShown()
{
    if (!m_data.m_SmsDB.IsLoaded())
        m_data.m_SmsDB.Load();
    m_data.m_SmsDB.Recount();
    m_list.CloseReader();
    if (m_bComposer && m_composer.Phase() == CCeMSmsSenderWnd::kFinished)
        ShowList();
    m_list.Refresh();
    RedrawTitle();
}

void CCeMWndSMS::ShowComposer()
{
    if (!m_bComposer) {
        m_bComposer = 1;
        ShowWindow(m_list.GetHwnd(), SW_HIDE);
        ShowWindow(m_tabs.GetHwnd(), SW_HIDE);
        ShowWindow(m_new.GetHwnd(), SW_HIDE);
        wchar_t own[CCeMSmsSenderWnd::kOwnNumberChars + 1];
        ByteToWideText(Link()->Status.dialInfo, own, CCeMSmsSenderWnd::kOwnNumberChars + 1);
        m_composer.SetOwnNumber(own);
        ShowWindow(m_composer.GetHwnd(), SW_SHOW);
    }
    RedrawTitle();
}

void CCeMWndSMS::ShowList()
{
    if (m_bComposer) {
        m_bComposer = 0;
        ShowWindow(m_composer.GetHwnd(), SW_HIDE);
        ShowWindow(m_tabs.GetHwnd(), SW_SHOW);
        ShowWindow(m_new.GetHwnd(), SW_SHOW);
        ShowWindow(m_list.GetHwnd(), SW_SHOW);
        m_list.Refresh();
        SetFocus(m_list.GetHwnd());
    }
    RedrawTitle();
}

void CCeMWndSMS::OpenComposerFor(WPARAM wp, LPARAM lp)
{
    // A run in progress keeps the composer as it is.
    if (m_bComposer && m_composer.Phase() == CCeMSmsSenderWnd::kSending)
        return;
    if (m_bComposer && m_composer.Phase() == CCeMSmsSenderWnd::kFinished)
        m_composer.OnShow(TRUE);  // the summary of the last run gives way to editing
    ShowComposer();
    if (wp)
        m_composer.ShowFor(reinterpret_cast<LPCWSTR>(wp), reinterpret_cast<LPCWSTR>(lp));
    else if (lp)
        m_composer.ShowFor(reinterpret_cast<LPCWSTR>(lp), nullptr);
}

// --- title -----------------------------------------------------------------------

std::wstring CCeMWndSMS::TitleText(bool* excess) const
{
    if (excess)
        *excess = false;
    if (m_bComposer)
        return CCeMSmsSenderWnd::TitleText(m_composer.Bytes(), excess);
    return SmsViewText::ListTitle(m_list.Tab(), m_data.m_SmsDB);
}

void CCeMWndSMS::RedrawTitle()
{
    if (!m_hWnd)
        return;
    // The title is also the window's text, for whoever reads windows out.
    SetWindowTextW(m_hWnd, TitleText().c_str());
    RECT band = {0, 0, 240, kTitleHeight};
    GetClientRect(m_hWnd, &band);
    band.bottom = kTitleHeight;
    InvalidateRect(m_hWnd, &band, TRUE);
}

void CCeMWndSMS::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT band;
    GetClientRect(hwnd, &band);
    band.bottom = kTitleHeight;
    HBRUSH fill = CreateSolidBrush(kBandColor);
    FillRect(dc, &band, fill);
    DeleteObject(fill);
    bool excess = false;
    const std::wstring title = TitleText(&excess);
    RECT text = {m_bComposer ? 4 : kComboWidth + 6, 0, band.right - (m_bComposer ? 1 : 2) * kButtonWidth - 6,
                 kTitleHeight};
    HGDIOBJ old = SelectObject(dc, m_hFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, excess ? RGB(255, 0, 0) : RGB(0, 0, 0));
    DrawTextW(dc, title.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

// --- messages --------------------------------------------------------------------

int CCeMWndSMS::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kBack:
        if (m_bComposer) {
            if (m_composer.Phase() != CCeMSmsSenderWnd::kSending)
                ShowList();
        } else if (m_list.IsReaderOpen()) {
            m_list.CloseReader();
            SetFocus(m_list.GetHwnd());
        } else if (HWND parent = GetParent(m_hWnd)) {
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(m_nId, kCloseRequest), reinterpret_cast<LPARAM>(m_hWnd));
        }
        return 0;
    case kNewMessage:
        ShowComposer();
        return 0;
    case kTabs:
        if (code == CBN_SELCHANGE) {
            const LRESULT sel = SendMessageW(m_tabs.GetHwnd(), CB_GETCURSEL, 0, 0);
            m_list.SetTab(sel >= 0 && sel <= 3 ? static_cast<int>(sel) : 0);
            SetFocus(m_list.GetHwnd());
            RedrawTitle();
        }
        return 0;
    case kRedrawTitle:
        RedrawTitle();
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

LRESULT CCeMWndSMS::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_MODEM_SMSNEW:
        OnNewMessages(static_cast<int>(wp), reinterpret_cast<const ModemSmsRecord*>(lp));
        return 0;
    case WM_MODEM_SMSSENT:
        m_composer.OnSendResult(wp == 1 ? 1 : 0);
        return 0;
    case WM_MODEM_RESULT:
        if (wp == CCeMAtSender::SMS_SEND_ID)
            m_composer.OnSendAnswered(lp ? 1 : 0);
        return 0;
    case WM_STOP_SENDING:
        m_composer.AbortAll();
        return 0;
    case WM_OPEN_COMPOSER:
        OpenComposerFor(wp, lp);
        return 0;
    case WM_CHILDNOTIFY:
        RedrawTitle();
        if (HWND parent = GetParent(hwnd))
            SendMessageW(parent, WM_CHILDNOTIFY, wp, lp);
        return 0;
    case WM_TIMER:
        if (wp == kReadTimer) {
            KillTimer(hwnd, kReadTimer);
            Link()->CmdReadNewMt(0);
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        if (wp) {
            OnShown();
        } else if (IsChild(hwnd, GetFocus())) {
            // Leaving the view with the composer's edit focused: the input
            // panel would stay up over the next view.
            SipShowIM(SIPF_OFF);
        }
        break;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}
