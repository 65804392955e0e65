#include "CCeMWndAlert.h"

#include <cwchar>

#include "CallScreenArt.h"
#include "audio/CCeMpegThread.h"
#include "calls_text.h"
#include "modem/CCeMAtSender.h"

namespace {

constexpr RECT kTabs[2] = {{6, 29, 99, 66}, {6, 68, 99, 105}};
constexpr int kPageLeft = 106;
const int kToggleIds[5] = {CCeMWndAlert::kKeypadId, CCeMWndAlert::kConnectId, CCeMWndAlert::kDisconnectId,
                           CCeMWndAlert::kMessageId, CCeMWndAlert::kMinuteId};

}  // namespace

CCeMWndAlert::CCeMWndAlert(CCeDataManager& data, CCeMAtSender* module, int page)
    : CCeMCallScreen(data, L"CCeMWndAlert", page == 1 ? CallsText::kAlertTitle : CallsText::kBellTitle, 225),
      m_pModule(module), m_nPage(page == 1 ? 1 : 0)
{
}

CCeMWndAlert::~CCeMWndAlert()
{
    // Destroyed here so that OnDestroy still runs as this class and stops a preview.
    if (m_hWnd)
        Destroy();
}

CCeMpegThread* CCeMWndAlert::Player() const
{
    return m_data.m_pRingPlayer;
}

int CCeMWndAlert::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMCallScreen::OnCreate(hwnd, cs);
    const wchar_t* radios[3] = {CallsText::kModuleBell, CallsText::kHandheldBell, CallsText::kSilent};
    const int radioIds[3] = {kModuleBellId, kHandheldBellId, kSilentId};
    const int radioTops[3] = {30, 52, 162};
    for (int i = 0; i < 3; ++i)
        m_Radio[i].Create(radios[i], BS_RADIOBUTTON, {kPageLeft, radioTops[i], 128, 20}, hwnd, radioIds[i]);
    m_Bells.Create(LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT,
                   {kPageLeft + 10, 74, 118, 86}, hwnd, kBellListId);
    const wchar_t* toggles[5] = {CallsText::kKeypadTone, CallsText::kConnectTone, CallsText::kDisconnectTone,
                                 CallsText::kMessageTone, CallsText::kMinuteTone};
    for (int i = 0; i < 5; ++i)
        m_Check[i].Create(toggles[i], BS_CHECKBOX, {kPageLeft, 30 + 22 * i, 128, 20}, hwnd, kToggleIds[i]);
    m_Minutes.Create(CBS_DROPDOWNLIST | WS_VSCROLL, {kPageLeft + 20, 142, 80, 80}, hwnd, kMinuteChoiceId);
    for (int minutes : {1, 3, 10}) {
        wchar_t text[16];
        swprintf(text, 16, CallsText::kMinutesFormat, minutes);
        SendMessageW(m_Minutes.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    // The window's handle is not ours yet while it is being created: the
    // controls are reached through their objects.
    for (CCeMWnd* c : {static_cast<CCeMWnd*>(&m_Bells), static_cast<CCeMWnd*>(&m_Minutes)})
        SendMessageW(c->GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    for (CCeMButton& b : m_Radio)
        SendMessageW(b.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    for (CCeMButton& b : m_Check)
        SendMessageW(b.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);

    if (m_nPage == 0)
        FillBellList();
    // Every control from the settings.
    const SettingsBlock& s = m_data.m_Settings;
    const int32_t flags[4] = {s.bKeypadTone, s.bConnectTone, s.bDisconnectTone, s.bMessageTone};
    for (int i = 0; i < 4; ++i)
        SendMessageW(m_Check[i].GetHwnd(), BM_SETCHECK, flags[i] == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    SetRadio(s.nBellSource == 1 ? kModuleBellId : s.nBellSource == 2 ? kHandheldBellId : kSilentId);
    EnableWindow(m_Bells.GetHwnd(), s.nBellSource == 2);
    const bool minute = s.bMinuteTone == 1;
    SendMessageW(m_Check[4].GetHwnd(), BM_SETCHECK, minute ? BST_CHECKED : BST_UNCHECKED, 0);
    const int choice = s.nMinuteToneChoice >= 0 && s.nMinuteToneChoice <= 2 ? s.nMinuteToneChoice : 0;
    SendMessageW(m_Minutes.GetHwnd(), CB_SETCURSEL, minute ? choice : 0, 0);
    EnableWindow(m_Minutes.GetHwnd(), minute);
    ShowPage();
    return 0;
}

int CCeMWndAlert::OnDestroy(HWND hwnd)
{
    StopPreview();
    return CCeMCallScreen::OnDestroy(hwnd);
}

bool CCeMWndAlert::FillBellList()
{
    HWND list = m_Bells.GetHwnd();
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const wchar_t* pattern : {L"*.mp3", L"*.wav"}) {
        wchar_t search[MAX_PATH];
        if (swprintf(search, MAX_PATH, L"%ls\\Bell\\%ls", m_data.m_szInstallDir, pattern) < 0)
            continue;
        WIN32_FIND_DATAW found;
        HANDLE h = FindFirstFileW(search, &found);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    if (count <= 0)
        return false;
    LRESULT at = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(m_data.m_Settings.szBellFile));
    SendMessageW(list, LB_SETCURSEL, at == LB_ERR ? 0 : at, 0);
    return true;
}

void CCeMWndAlert::SelectedFile(wchar_t (&out)[260]) const
{
    out[0] = 0;
    HWND list = m_Bells.GetHwnd();
    const LRESULT sel = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (sel == LB_ERR)
        return;
    const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, sel, 0);
    if (len == LB_ERR || len >= 260)
        return;
    SendMessageW(list, LB_GETTEXT, sel, reinterpret_cast<LPARAM>(out));
}

void CCeMWndAlert::ShowPage()
{
    const int zero = m_nPage == 0 ? SW_SHOW : SW_HIDE;
    const int one = m_nPage == 1 ? SW_SHOW : SW_HIDE;
    for (CCeMButton& b : m_Radio)
        ShowWindow(b.GetHwnd(), zero);
    ShowWindow(m_Bells.GetHwnd(), zero);
    for (CCeMButton& b : m_Check)
        ShowWindow(b.GetHwnd(), one);
    ShowWindow(m_Minutes.GetHwnd(), one);
}

void CCeMWndAlert::SetPage(int page)
{
    page = page == 1 ? 1 : 0;
    if (page == m_nPage)
        return;
    StopPreview();
    m_nPage = page;
    if (page == 0)
        FillBellList();
    ShowPage();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CCeMWndAlert::PaintBody(HDC dc)
{
    // The page's own title over the band's.
    RECT band = {25, 0, 225, 25};
    CallScreenArt::DrawTitleBand(dc, m_nWidth, band, m_nPage == 1 ? CallsText::kAlertTitle : CallsText::kBellTitle,
                                 m_hTitleFont);
    const wchar_t* labels[2] = {CallsText::kBellTitle, CallsText::kAlertTitle};
    for (int i = 0; i < 2; ++i) {
        const bool on = i == m_nPage;
        HBRUSH face = CreateSolidBrush(on ? RGB(2, 85, 220) : RGB(225, 235, 250));
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(2, 85, 220));
        HGDIOBJ ob = SelectObject(dc, face);
        HGDIOBJ op = SelectObject(dc, pen);
        RoundRect(dc, kTabs[i].left, kTabs[i].top, kTabs[i].right, kTabs[i].bottom, 8, 8);
        SelectObject(dc, op);
        SelectObject(dc, ob);
        DeleteObject(pen);
        DeleteObject(face);
        CallScreenArt::Text(dc, labels[i], kTabs[i], on ? RGB(255, 255, 255) : RGB(2, 85, 220),
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

int CCeMWndAlert::OnLButtonDown(WPARAM keys, int x, int y)
{
    if (x >= 8 && x <= 90 && y >= 29 && y <= 59) {
        SetPage(0);
        return 0;
    }
    if (x >= 8 && x <= 90 && y >= 68 && y <= 98) {
        SetPage(1);
        return 0;
    }
    return CCeMCallScreen::OnLButtonDown(keys, x, y);
}

void CCeMWndAlert::StopPreview()
{
    CCeMpegThread* player = Player();
    if (player && player->bBePlaying())
        player->Stop();
}

void CCeMWndAlert::Preview()
{
    CCeMpegThread* player = Player();
    wchar_t file[260];
    SelectedFile(file);
    if (!player || !file[0])
        return;
    StopPreview();
    wchar_t path[MAX_PATH];
    // A name that makes the path too long for the system is not played.
    if (swprintf(path, MAX_PATH, L"%ls\\bell\\%ls", m_data.m_szInstallDir, file) < 0)
        return;
    if (player->Open(path))
        player->Play();
}

void CCeMWndAlert::NotifyAlert()
{
    SendMessageW(GetParent(m_hWnd), WM_CHILD_NOTIFY, kAlertIndicator, reinterpret_cast<LPARAM>(m_hWnd));
}

void CCeMWndAlert::SetRadio(int id)
{
    for (CCeMButton& b : m_Radio)
        SendMessageW(b.GetHwnd(), BM_SETCHECK, static_cast<int>(b.GetId()) == id ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CCeMWndAlert::OnRingSource(int id)
{
    SettingsBlock& s = m_data.m_Settings;
    const int was = s.nBellSource;
    if (id == kModuleBellId) {
        s.nSavedBellSource = was;
        StopPreview();
        s.nBellSource = 1;
        if (m_pModule)
            m_pModule->CmdSetRingVolume(s.nModuleBellVolume);
        EnableWindow(m_Bells.GetHwnd(), FALSE);
    } else if (id == kHandheldBellId) {
        s.nSavedBellSource = was;
        if (was == 1 && m_pModule)
            m_pModule->CmdSetRingVolume(0);
        s.nBellSource = 2;
        wchar_t file[260];
        SelectedFile(file);
        // With no file in the list the last choice stays.
        if (file[0])
            wcscpy(s.szBellFile, file);
        EnableWindow(m_Bells.GetHwnd(), TRUE);
    } else {
        if (was != 0)
            s.nSavedBellSource = was;
        StopPreview();
        if (was == 1 && m_pModule)
            m_pModule->CmdSetRingVolume(0);
        s.nBellSource = 0;
        EnableWindow(m_Bells.GetHwnd(), FALSE);
    }
    SetRadio(id);
    SaveSettings();
    NotifyAlert();
}

void CCeMWndAlert::OnToggle(int id)
{
    SettingsBlock& s = m_data.m_Settings;
    HWND box = Item(id);
    const bool on = SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED;  // a plain check box: we flip it
    SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    switch (id) {
    case kKeypadId: s.bKeypadTone = on; break;
    case kConnectId: s.bConnectTone = on; break;
    case kDisconnectId: s.bDisconnectTone = on; break;
    case kMessageId:
        s.bMessageTone = on;
        // The handheld plays message sounds itself when asked to; the module keeps quiet then.
        if (m_pModule)
            m_pModule->CmdSetSmsVolume(on ? 0 : 4);
        break;
    case kMinuteId: {
        EnableWindow(m_Minutes.GetHwnd(), on);
        s.bMinuteTone = on;
        if (on) {
            const LRESULT sel = SendMessageW(m_Minutes.GetHwnd(), CB_GETCURSEL, 0, 0);
            s.nMinuteToneChoice = sel == CB_ERR ? 0 : static_cast<int>(sel);
        }
        break;
    }
    default: break;
    }
    SaveSettings();
}

int CCeMWndAlert::OnCommand(int notifyCode, int id, HWND control)
{
    switch (id) {
    case kModuleBellId:
    case kHandheldBellId:
    case kSilentId:
        if (notifyCode == BN_CLICKED)
            OnRingSource(id);
        return 0;
    case kBellListId:
        if (notifyCode == LBN_SELCHANGE) {
            wchar_t file[260];
            SelectedFile(file);
            if (file[0])
                wcscpy(m_data.m_Settings.szBellFile, file);
            Preview();
            SaveSettings();
        }
        return 0;
    case kKeypadId:
    case kConnectId:
    case kDisconnectId:
    case kMessageId:
    case kMinuteId:
        if (notifyCode == BN_CLICKED)
            OnToggle(id);
        return 0;
    case kMinuteChoiceId:
        if (notifyCode == CBN_SELCHANGE) {
            const LRESULT sel = SendMessageW(m_Minutes.GetHwnd(), CB_GETCURSEL, 0, 0);
            if (sel != CB_ERR) {
                m_data.m_Settings.nMinuteToneChoice = static_cast<int>(sel);
                SaveSettings();
            }
        }
        return 0;
    default:
        if (id == static_cast<int>(kBackId))
            StopPreview();
        return CCeMCallScreen::OnCommand(notifyCode, id, control);
    }
}
