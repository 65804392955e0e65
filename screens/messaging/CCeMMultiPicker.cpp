#include "screens/messaging/CCeMMultiPicker.h"

#include <cwchar>

#include "resources/messaging_res.h"
#include "screens/messaging/PickerDialog.h"
#include "stores/NumberRoutines.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"

CCeMMultiPicker::CCeMMultiPicker(CCeContactsDB* contacts, CCeCategoriesDB* categories)
    : m_stores(contacts, categories), m_list(m_stores.Contacts(), m_stores.Categories())
{
    m_list.SetPickedTest([this](const ContactItem* c) { return FindEntry(c) >= 0; });
    m_list.SetRowTapped([this](ContactItem* c) { Toggle(c); });
}

CCeMMultiPicker::~CCeMMultiPicker() = default;

void CCeMMultiPicker::AddPreselected(LPCWSTR number)
{
    if (!number || !number[0] || Count() >= kMaxPicked)
        return;
    Entry e;
    e.mobile = number;
    m_picked.push_back(e);
}

LPCWSTR CCeMMultiPicker::Number(int index) const
{
    return index >= 0 && index < Count() ? m_picked[static_cast<size_t>(index)].mobile.c_str() : nullptr;
}

INT_PTR CCeMMultiPicker::Run(HWND owner)
{
    m_before = m_picked;
    m_stores.Open();
    const INT_PTR r = DoModal(CCeMToolkit::Instance(), IDD_MULTI_PICKER, owner, kLayoutKeep);
    m_stores.Release();
    if (r != IDOK)
        m_picked = m_before;
    return r;
}

int CCeMMultiPicker::OnInitDialog(HWND hwnd)
{
    CCeMDialog::OnInitDialog(hwnd);
    CCeMPickList::FillCategoryCombo(GetDlgItem(hwnd, IDC_PICK_CATEGORY), m_stores.Categories());
    HWND kind = GetDlgItem(hwnd, IDC_PICK_KIND);
    SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"이름"));
    SendMessageW(kind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"번호"));
    SendMessageW(kind, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(hwnd, IDC_PICK_TEXT, EM_LIMITTEXT, kSearchChars - 1, 0);
    PlacePickList(hwnd, IDC_PICK_LIST, m_list);
    Refill();
    return 1;
}

void CCeMMultiPicker::Refill()
{
    const int category = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_PICK_CATEGORY, CB_GETCURSEL, 0, 0));
    const int kind = static_cast<int>(SendDlgItemMessageW(m_hWnd, IDC_PICK_KIND, CB_GETCURSEL, 0, 0));
    wchar_t text[kSearchChars] = {};
    GetDlgItemTextW(m_hWnd, IDC_PICK_TEXT, text, kSearchChars);
    m_list.Fill(category < 0 ? 0 : category, kind == 1 ? 1 : 0, text);
    AdoptShownContacts();
    ShowCount();
}

void CCeMMultiPicker::AdoptShownContacts()
{
    CCeContactsDB& contacts = m_stores.Contacts();
    for (Entry& e : m_picked) {
        if (!e.name.empty())
            continue;
        for (int i = 0; i < contacts.Count(); ++i) {
            const ContactItem* c = contacts.At(i);
            if (c && c->pszMobile && SameNumber(c->pszMobile, e.mobile.c_str())) {
                e.mobile = c->pszMobile;
                e.office = PickedText(c->pszOffice);
                e.home = PickedText(c->pszHome);
                e.name = PickedText(c->pszDisplayName);
                e.preferred = c->nPreferred;
                break;
            }
        }
    }
}

// An entry is a contact's when both its name and its mobile number agree:
// two people of one name stay two entries.
int CCeMMultiPicker::FindEntry(const ContactItem* c) const
{
    if (!c || !c->pszMobile)
        return -1;
    const std::wstring name = PickedText(c->pszDisplayName);
    for (size_t i = 0; i < m_picked.size(); ++i)
        if (m_picked[i].name == name && SameNumber(m_picked[i].mobile.c_str(), c->pszMobile))
            return static_cast<int>(i);
    return -1;
}

void CCeMMultiPicker::Toggle(const ContactItem* c)
{
    if (!c || !c->pszMobile || !c->pszMobile[0] || IsDialString(c->pszMobile) != 0)
        return;
    const int at = FindEntry(c);
    if (at >= 0) {
        m_picked.erase(m_picked.begin() + at);
    } else if (Count() < kMaxPicked) {
        Entry e;
        e.mobile = c->pszMobile;
        e.office = PickedText(c->pszOffice);
        e.home = PickedText(c->pszHome);
        e.name = PickedText(c->pszDisplayName);
        e.preferred = c->nPreferred;
        m_picked.push_back(e);
    } else {
        CCeMMsgBox::Show(m_hWnd, L"동시 전송은 최대 30명까지만 가능합니다.", L"알림", kLayoutOneButton, 0);
    }
    ShowCount();
}

void CCeMMultiPicker::ShowCount()
{
    wchar_t text[48];
    swprintf(text, sizeof text / sizeof text[0], L"총 선택된 사람 : %d / 30", Count());
    SetDlgItemTextW(m_hWnd, IDC_PICK_COUNT, text);
}

int CCeMMultiPicker::OnCommand(int code, int id, HWND control)
{
    if ((id == IDC_PICK_CATEGORY || id == IDC_PICK_KIND) && code == CBN_SELCHANGE) {
        Refill();
        return 1;
    }
    if (id == IDC_PICK_SEARCH && code == BN_CLICKED) {
        Refill();
        return 1;
    }
    return CCeMDialog::OnCommand(code, id, control);
}
