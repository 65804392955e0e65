#include "CCeMWndAutoDDD.h"

#include <cwchar>
#include <cwctype>

#include "CallScreenArt.h"
#include "calls_text.h"

const CCeMWndAutoDDD::Region CCeMWndAutoDDD::kRegions[] = {
    {L"사용자 정의", L""},  {L"서울 - 02", L"02"},   {L"경기 - 031", L"031"}, {L"인천 - 032", L"032"},
    {L"강원 - 033", L"033"}, {L"충남 - 041", L"041"}, {L"대전 - 042", L"042"}, {L"충북 - 043", L"043"},
    {L"부산 - 051", L"051"}, {L"울산 - 052", L"052"}, {L"대구 - 053", L"053"}, {L"경북 - 054", L"054"},
    {L"경남 - 055", L"055"}, {L"전남 - 061", L"061"}, {L"광주 - 062", L"062"}, {L"전북 - 063", L"063"},
    {L"제주 - 064", L"064"}, {L"국제 - 001", L"001"}, {L"국제 - 002", L"002"}, {L"", L""},
};

CCeMWndAutoDDD::CCeMWndAutoDDD(CCeDataManager& data)
    : CCeMCallScreen(data, L"CCeMWndAutoDDD", CallsText::kAreaTitle, 200)
{
}

bool CCeMWndAutoDDD::IsValidCode(const wchar_t* text)
{
    const size_t n = wcslen(text);
    if (n == 0 || n > static_cast<size_t>(kLongestCode))
        return false;
    for (size_t i = 0; i < n; ++i)
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    return true;
}

int CCeMWndAutoDDD::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMCallScreen::OnCreate(hwnd, cs);
    m_Region.Create(CBS_DROPDOWNLIST | WS_VSCROLL | WS_VISIBLE | WS_TABSTOP, {100, 40, 100, 190}, hwnd, kRegionId);
    m_Code.Create(L"", ES_NUMBER | WS_BORDER | ES_AUTOHSCROLL | WS_VISIBLE | WS_TABSTOP, {100, 65, 100, 20}, hwnd,
                  kCodeId);
    m_On.Create(CallsText::kAreaOn, BS_CHECKBOX | WS_VISIBLE, {80, 100, 50, 25}, hwnd, kOnId);
    m_Off.Create(CallsText::kAreaOff, BS_CHECKBOX | WS_VISIBLE, {130, 100, 50, 25}, hwnd, kOffId);
    for (HWND c : {m_Region.GetHwnd(), m_Code.GetHwnd(), m_On.GetHwnd(), m_Off.GetHwnd()})
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);

    for (const Region& r : kRegions)
        if (r.text[0])
            SendMessageW(m_Region.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.text));
    SendMessageW(m_Region.GetHwnd(), CB_SETCURSEL, 0, 0);

    SendMessageW(m_Code.GetHwnd(), EM_LIMITTEXT, kEntryLimit, 0);
    SettingsBlock& s = m_data.m_Settings;
    s.szAreaCode[29] = 0;
    m_bFilling = true;
    SetWindowTextW(m_Code.GetHwnd(), s.szAreaCode);
    m_bFilling = false;
    SetChecks(s.bAutoAreaCode == 1);
    return 0;
}

void CCeMWndAutoDDD::SetChecks(bool on)
{
    SendMessageW(m_On.GetHwnd(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(m_Off.GetHwnd(), BM_SETCHECK, on ? BST_UNCHECKED : BST_CHECKED, 0);
}

void CCeMWndAutoDDD::EntryText(wchar_t (&out)[65]) const
{
    out[0] = 0;
    GetWindowTextW(m_Code.GetHwnd(), out, 65);
}

void CCeMWndAutoDDD::PaintBody(HDC dc)
{
    CallScreenArt::RoundFrame(dc, {18, 34, 215, 130}, 10, RGB(2, 85, 220));
    const UINT flags = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    CallScreenArt::Text(dc, CallsText::kAreaLabel, {30, 42, 130, 63}, RGB(0, 0, 0), flags);
    CallScreenArt::Text(dc, CallsText::kUserDefined, {30, 67, 130, 88}, RGB(0, 0, 0), flags);
}

int CCeMWndAutoDDD::OnCommand(int notifyCode, int id, HWND control)
{
    switch (id) {
    case kOnId:
        if (notifyCode == BN_CLICKED)
            OnSwitchOn();
        return 0;
    case kOffId:
        if (notifyCode == BN_CLICKED)
            OnSwitchOff();
        return 0;
    case kRegionId:
        if (notifyCode == CBN_SELCHANGE)
            OnRegion();
        return 0;
    case kCodeId:
        if (notifyCode == EN_CHANGE && !m_bFilling)
            OnCodeChanged();
        return 0;
    default:
        return CCeMCallScreen::OnCommand(notifyCode, id, control);
    }
}

void CCeMWndAutoDDD::OnSwitchOn()
{
    SettingsBlock& s = m_data.m_Settings;
    wchar_t text[65];
    EntryText(text);
    if (IsValidCode(text)) {
        s.bAutoAreaCode = 1;
        wcsncpy(s.szAreaCode, text, 29);
        s.szAreaCode[29] = 0;
        SetChecks(true);
        SaveSettings();
        return;
    }
    s.bAutoAreaCode = 0;
    SetChecks(false);
    SaveSettings();
    // A code the dial pad could not dial is never switched on.
    if (text[0])
        Tell(CallsText::kAreaInvalid, CallsText::kNotice);
}

void CCeMWndAutoDDD::OnSwitchOff()
{
    SettingsBlock& s = m_data.m_Settings;
    wchar_t text[65];
    EntryText(text);
    s.bAutoAreaCode = 0;
    SetChecks(false);
    if (!text[0] || IsValidCode(text)) {
        wcsncpy(s.szAreaCode, text, 29);
        s.szAreaCode[29] = 0;
    }
    SaveSettings();
}

void CCeMWndAutoDDD::OnRegion()
{
    const LRESULT item = SendMessageW(m_Region.GetHwnd(), CB_GETCURSEL, 0, 0);
    const int count = static_cast<int>(sizeof kRegions / sizeof kRegions[0]) - 1;
    if (item == CB_ERR || item < 0 || item >= count)
        return;
    SettingsBlock& s = m_data.m_Settings;
    m_bFilling = true;
    if (item == 0) {
        SetWindowTextW(m_Code.GetHwnd(), s.szAreaCode);
        m_bFilling = false;
        SetChecks(s.bAutoAreaCode == 1);
        return;
    }
    SetWindowTextW(m_Code.GetHwnd(), kRegions[item].code);
    m_bFilling = false;
    s.bAutoAreaCode = 1;
    wcsncpy(s.szAreaCode, kRegions[item].code, 29);
    s.szAreaCode[29] = 0;
    SetChecks(true);
    SaveSettings();
}

void CCeMWndAutoDDD::OnCodeChanged()
{
    SettingsBlock& s = m_data.m_Settings;
    wchar_t text[65];
    EntryText(text);
    if (IsValidCode(text)) {
        wcsncpy(s.szAreaCode, text, 29);
        s.szAreaCode[29] = 0;
        SaveSettings();
        return;
    }
    // Empty, too long or not all digits: the dial pad must not use it.
    TurnOffIfOn();
}

void CCeMWndAutoDDD::TurnOffIfOn()
{
    SettingsBlock& s = m_data.m_Settings;
    SetChecks(false);
    if (s.bAutoAreaCode == 1) {
        s.bAutoAreaCode = 0;
        SaveSettings();
    }
}
