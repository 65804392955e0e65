#include "screens/messaging/CCeMContactListWnd.h"

#include "screens/messaging/ContactFilter.h"
#include "screens/messaging/PictureBox.h"
#include "stores/CCeDataManager.h"
#include "stores/ContactProps.h"
#include "toolkit/CCeMMsgBox.h"

namespace {

const wchar_t* const kKindLabels[3] = {L"Mobile", L"Home", L"Office"};
// Small marks for the kind of a row's number.
const wchar_t* const kKindMarks[3] = {L"M", L"H", L"O"};
// Six lines under the picture fit the view's 142-pixel list.
constexpr int kLineHeight = 14;

int KindOf(CEPROPID id)
{
    for (int k = 0; k < 3; ++k)
        if (kNumberProps[k] == id)
            return k;
    return -1;
}

const wchar_t* Text(const wchar_t* s)
{
    return s ? s : L"";
}

}  // namespace

CCeMContactListWnd::CCeMContactListWnd(CCeContactsDB& contacts, CCeCategoriesDB& categories,
                                       const SettingsBlock* settings)
    : m_contacts(contacts), m_categories(categories), m_pSettings(settings)
{
}

CCeMContactListWnd::~CCeMContactListWnd()
{
    if (m_hWnd)
        Destroy();
    if (m_hPicture)
        DeleteObject(m_hPicture);
}

const SettingsBlock* CCeMContactListWnd::Settings() const
{
    if (m_pSettings)
        return m_pSettings;
    return g_pDataManager ? &g_pDataManager->m_Settings : nullptr;
}

bool CCeMContactListWnd::Private() const
{
    const SettingsBlock* s = Settings();
    return s && s->bPrivacy == 1;
}

int CCeMContactListWnd::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMItemList::OnCreate(hwnd, cs);
    m_nBand1 = m_nBand2 = 0;
    m_nRowHeight = kRowHeight;
    m_nVisible = m_nHeight / m_nRowHeight;
    m_wNamesOnly = 0;

    m_menu.CreatePopup();
    m_menu.Append(kCall, L"전화 걸기", MF_STRING);
    m_menu.Append(kMessage, L"메시지 보내기", MF_STRING);
    m_menu.Append(kDetail, L"상세 보기", MF_STRING);
    m_menu.Append(0, nullptr, MF_SEPARATOR);
    m_menu.Append(kShowNumbers, L"번호 보기", MF_STRING);
    m_menu.Append(kNamesOnly, L"이름만 보기", MF_STRING);
    m_menu.Append(0, nullptr, MF_SEPARATOR);
    m_menu.Append(kChoosePicture, L"사진 지정", MF_STRING);

    // The detail view's numbers: a tap makes one the preferred number.
    m_numbers.Create(WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, {kPictureSide + 8, 4, m_nWidth - kPictureSide - 12, kPictureSide},
                     hwnd, kNumbersListId);
    SendMessageW(m_numbers.GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
    // Tall enough for all three numbers.
    const int item = static_cast<int>(SendMessageW(m_numbers.GetHwnd(), LB_GETITEMHEIGHT, 0, 0));
    m_nNumbersBottom = 4 + (item > 0 && item < 20 ? 3 * item + 4 : kPictureSide);
    SetWindowPos(m_numbers.GetHwnd(), nullptr, 0, 0, m_nWidth - kPictureSide - 12, m_nNumbersBottom - 4,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_numbers.GetHwnd(), SW_HIDE);
    return 0;
}

int CCeMContactListWnd::OnDestroy(HWND hwnd)
{
    m_bPicking = false;
    m_picker.Close();
    CloseDetail();
    m_menu.DestroyMenu();
    return CCeMItemList::OnDestroy(hwnd);
}

int CCeMContactListWnd::Fill()
{
    if (m_nCategory < 0 || m_nCategory > m_categories.Count())
        m_nCategory = 0;
    LoadContacts(m_contacts, m_categories, m_nCategory, m_nKind, m_szSearch.c_str(), &m_nBit);
    AfterReload();
    return m_contacts.Count();
}

void CCeMContactListWnd::AfterReload(CEOID keep, int detail)
{
    // The cache was replaced: nothing drawn or selected may point into the old one.
    const int bit = m_nCategory > 0 ? m_categories.BitOf(m_nCategory - 1) : -1;
    if (m_nCategory > m_categories.Count() || bit != m_nBit) {
        m_nCategory = m_nCategory > m_categories.Count() ? 0 : m_nCategory;
        Fill();
        return;
    }
    CloseDetail();
    m_contacts.SetCurrent(nullptr);
    m_nTop = 0;
    m_nSelected = -1;
    SetItemCount(m_contacts.Count(), Private() ? 1 : 0);
    m_scrollBar.SetPos(0, TRUE);
    for (int i = 0; keep && i < m_contacts.Count(); ++i) {
        if (m_contacts.At(i)->oid != keep)
            continue;
        m_nSelected = i;
        m_contacts.SetCurrent(m_contacts.At(i));
        if (i >= m_nVisible)
            SetTopIndex(i);
        if (detail)
            OpenDetail();
        break;
    }
    // A picture chosen now would go to no contact, or the wrong one.
    if (!m_contacts.Current() && m_picker.IsOpen()) {
        m_bPicking = false;
        m_picker.Close();
    }
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CCeMContactListWnd::SetCategory(int entry)
{
    if (entry < 0 || entry > m_categories.Count() || entry == m_nCategory)
        return;
    m_nCategory = entry;
    Fill();
}

void CCeMContactListWnd::SetSearch(int kind, LPCWSTR text)
{
    m_nKind = kind == 1 ? 1 : 0;
    m_szSearch = std::wstring(Text(text)).substr(0, kSearchChars);
    Fill();
}

void CCeMContactListWnd::OnSelChange(int selected, int)
{
    m_contacts.SetCurrent(selected >= 0 && selected < m_contacts.Count() ? m_contacts.At(selected) : nullptr);
}

void CCeMContactListWnd::OnItemDblClick(int row)
{
    if (row == m_nSelected && m_contacts.Current())
        OpenDetail();
}

int CCeMContactListWnd::OnLButtonDown(WPARAM keys, int x, int y)
{
    // The detail view and the privacy notice cover the rows; the detail
    // view's picture box opens the picture picker.
    if (m_bDetail) {
        const RECT box = PictureRect();
        const POINT at = {x, y};
        if (PtInRect(&box, at))
            OpenPicturePicker();
        return 0;
    }
    if (Private())
        return 0;
    return CCeMItemList::OnLButtonDown(keys, x, y);
}

int CCeMContactListWnd::OnTapAndHold(int x, int y)
{
    if (m_bDetail || Private() || !CCeMItemList::OnTapAndHold(x, y))
        return 0;
    const ContactItem* c = m_contacts.Current();
    const bool preferred = c && c->nPreferred && ContactNumber(c, c->nPreferred);
    const bool mobile = c && c->pszMobile && *c->pszMobile;
    m_menu.Enable(kCall, MF_BYCOMMAND | (preferred ? MF_ENABLED : MF_GRAYED));
    m_menu.Enable(kMessage, MF_BYCOMMAND | (mobile ? MF_ENABLED : MF_GRAYED));
    m_menu.Enable(kDetail, MF_BYCOMMAND | (c ? MF_ENABLED : MF_GRAYED));
    m_menu.Enable(kChoosePicture, MF_BYCOMMAND | (c ? MF_ENABLED : MF_GRAYED));
    m_menu.Check(kShowNumbers, MF_BYCOMMAND | (m_wNamesOnly ? MF_UNCHECKED : MF_CHECKED));
    m_menu.Check(kNamesOnly, MF_BYCOMMAND | (m_wNamesOnly ? MF_CHECKED : MF_UNCHECKED));
    POINT at = {x, y};
    ClientToScreen(m_hWnd, &at);
    const int cmd = m_menu.Track(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, at.x, at.y, m_hWnd, nullptr);
    if (cmd)
        OnCommand(0, cmd, nullptr);
    return 1;
}

int CCeMContactListWnd::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kCall:
        Call();
        return 0;
    case kMessage:
        Message();
        return 0;
    case kDetail:
        OpenDetail();
        return 0;
    case kShowNumbers:
    case kNamesOnly:
        SetNamesOnly(id == kNamesOnly);
        return 0;
    case kPreferMobile:
    case kPreferHome:
    case kPreferOffice:
        Prefer(id - kPreferMobile);
        return 0;
    case kChoosePicture:
        OpenPicturePicker();
        return 0;
    case kPictureChosen:
        PictureChosen();
        return 0;
    case kNumbersListId:
        if (code == LBN_SELCHANGE) {
            const int i = static_cast<int>(SendMessageW(m_numbers.GetHwnd(), LB_GETCURSEL, 0, 0));
            if (i >= 0 && i < 3)
                Prefer(m_nNumberKinds[i]);
        }
        return 0;
    default:
        return CCeMItemList::OnCommand(code, id, control);
    }
}

HWND CCeMContactListWnd::MainWindow() const
{
    HWND view = m_hWnd ? GetParent(m_hWnd) : nullptr;
    return view ? GetParent(view) : nullptr;
}

void CCeMContactListWnd::Call()
{
    const LPCWSTR number = m_contacts.PreferredNumber(0);
    HWND main = MainWindow();
    if (!number || !*number || !main)
        return;
    if (SendMessageW(main, WM_PUT_NUMBER, 0, reinterpret_cast<LPARAM>(number)) == 1)
        PostMessageW(main, WM_DIAL_NUMBER, 0, 0);
}

void CCeMContactListWnd::Message()
{
    const ContactItem* c = m_contacts.Current();
    HWND main = MainWindow();
    if (!c || !c->pszMobile || !*c->pszMobile || !main)
        return;
    SendMessageW(main, WM_OPEN_COMPOSER, reinterpret_cast<WPARAM>(c->pszMobile), 0);
    PostMessageW(main, WM_SHOW_MESSAGES, 0, 0);
}

void CCeMContactListWnd::Prefer(int kind)
{
    if (!m_contacts.Current() || !m_contacts.SetPreferred(kind))
        return;
    if (m_nSelected >= 0)
        InvalidateRow(m_nSelected);
    if (m_bDetail) {
        FillNumbersList();
        InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CCeMContactListWnd::OpenPicturePicker()
{
    if (!m_hWnd || !m_contacts.Current() || Private() || m_picker.IsOpen())
        return;
    const std::wstring folder = m_pictureFolder.empty() ? CCeMSelPicWnd::DefaultFolder() : m_pictureFolder;
    m_bPicking = m_picker.Open(m_hWnd, folder) == 1;
}

void CCeMContactListWnd::PictureChosen()
{
    if (!m_bPicking)
        return;
    m_bPicking = false;
    if (!m_contacts.Current() || m_picker.Chosen().empty())
        return;
    const std::wstring folder = m_pictureFolder.empty() ? CCeMSelPicWnd::DefaultFolder() : m_pictureFolder;
    const std::wstring path = folder + L"\\" + m_picker.Chosen();
    switch (m_contacts.SetPicture(0, path.c_str())) {
    case 1:
        if (m_bDetail) {
            CloseDetail();
            OpenDetail();
        }
        break;
    case -1:
        CCeMMsgBox::Show(m_hWnd, L"10000 화소가 넘는 사진은\r\n저장할 수 없습니다.", L"알림",
                         CCeMDialog::kLayoutOneButton, 0);
        break;
    case 0:
        CCeMMsgBox::Show(m_hWnd, L"사진 파일을\r\n읽을 수 없습니다.", L"오류", CCeMDialog::kLayoutOneButton, 0);
        break;
    default:
        CCeMMsgBox::Show(m_hWnd, L"사진을 저장하지\r\n못했습니다.", L"오류", CCeMDialog::kLayoutOneButton, 0);
        break;
    }
}

void CCeMContactListWnd::SetNamesOnly(int namesOnly)
{
    m_wNamesOnly = namesOnly ? 1 : 0;
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CCeMContactListWnd::OpenDetail()
{
    if (!m_contacts.Current() || !m_hWnd || Private())
        return;
    if (m_hPicture)
        DeleteObject(m_hPicture);
    HDC dc = GetDC(m_hWnd);
    m_hPicture = m_contacts.GetPicture(dc);
    ReleaseDC(m_hWnd, dc);
    m_bDetail = 1;
    FillNumbersList();
    ShowWindow(m_numbers.GetHwnd(), SW_SHOW);
    ShowWindow(m_scrollBar.GetHwnd(), SW_HIDE);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CCeMContactListWnd::CloseDetail()
{
    if (m_hPicture) {
        DeleteObject(m_hPicture);
        m_hPicture = nullptr;
    }
    if (!m_bDetail)
        return;
    m_bDetail = 0;
    ShowWindow(m_numbers.GetHwnd(), SW_HIDE);
    SetItemCount(m_contacts.Count(), Private() ? 1 : 0);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CCeMContactListWnd::FillNumbersList()
{
    HWND box = m_numbers.GetHwnd();
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    const ContactItem* c = m_contacts.Current();
    int n = 0;
    for (int k = 0; c && k < 3; ++k) {
        const wchar_t* number = ContactNumber(c, kNumberProps[k]);
        if (!number || !*number)
            continue;
        const std::wstring line = std::wstring(kKindLabels[k]) + L" " + number;
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        m_nNumberKinds[n] = k;
        if (c->nPreferred == kNumberProps[k])
            SendMessageW(box, LB_SETCURSEL, n, 0);
        ++n;
    }
}

std::wstring CCeMContactListWnd::DetailLine(int line) const
{
    const ContactItem* c = m_contacts.Current();
    if (!c)
        return L"";
    switch (line) {
    case 0:
        return L"Name : " + std::wstring(Text(c->pszDisplayName));
    case 1:
        return L"Mobile : " + std::wstring(Text(c->pszMobile));
    case 2:
        return L"Home : " + std::wstring(Text(c->pszHome));
    case 3:
        return L"Office : " + std::wstring(Text(c->pszOffice));
    case 4: {
        for (int i = 0; i < m_categories.Count(); ++i) {
            const CategoryItem* cat = m_categories.At(i);
            if (cat && CCeContactsDB::InCategory(c, cat->nBit))
                return L"Category : " + std::wstring(Text(cat->pszName));
        }
        return L"Category : ";
    }
    case 5:
        return L"Bell : None";
    default:
        return L"";
    }
}

void CCeMContactListWnd::DrawDetail(HDC dc, const RECT& full)
{
    DrawPictureBox(dc, m_hPicture, PictureRect());
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < kDetailLines; ++i) {
        const int top = (m_nNumbersBottom > 4 + kPictureSide ? m_nNumbersBottom : 4 + kPictureSide) + 2;
        RECT line = {4, top + i * kLineHeight, full.right - 4, top + (i + 1) * kLineHeight};
        const std::wstring text = DetailLine(i);
        DrawTextW(dc, text.c_str(), -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}

void CCeMContactListWnd::DrawItems(HDC dc, const RECT& full)
{
    SetBkMode(dc, TRANSPARENT);
    if (Private()) {
        RECT all = full;
        DrawTextW(dc, L"사생활 보호중", -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    if (m_bDetail) {
        DrawDetail(dc, full);
        return;
    }
    const int right = full.right - (IsScrollBarVisible() ? kScrollBarWidth : 0);
    const int count = m_contacts.Count();
    for (int r = m_nTop; r < count && r <= m_nTop + m_nVisible; ++r) {
        RECT row = RowRect(r);
        row.right = right;
        if (r == m_nSelected)
            FillRect(dc, &row, m_hSelection);
        const ContactItem* c = m_contacts.At(r);
        if (!c)
            continue;
        const int split = m_wNamesOnly ? right : 4 + (right - 4) * 9 / 20;
        RECT name = {4, row.top, split - 4, row.bottom};
        DrawTextW(dc, Text(c->pszDisplayName), -1, &name,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        const int kind = KindOf(c->nPreferred);
        const wchar_t* number = kind >= 0 ? ContactNumber(c, c->nPreferred) : nullptr;
        if (m_wNamesOnly || !number || !*number)
            continue;
        // The kind's mark in a small box, then the number.
        RECT mark = {split, row.top + 3, split + 12, row.bottom - 3};
        FrameRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        DrawTextW(dc, kKindMarks[kind], -1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        RECT text = {split + 15, row.top, right - 2, row.bottom};
        DrawTextW(dc, number, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
}
