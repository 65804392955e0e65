#include "screens/messaging/CCeMContactPicker.h"

#include "resources/messaging_res.h"
#include "screens/messaging/PickerDialog.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"

CCeMContactPicker::CCeMContactPicker(CCeContactsDB* contacts, CCeCategoriesDB* categories)
    : m_stores(contacts, categories), m_list(m_stores.Contacts(), m_stores.Categories())
{
}

CCeMContactPicker::~CCeMContactPicker() = default;

INT_PTR CCeMContactPicker::Run(HWND owner)
{
    m_name.clear();
    m_mobile.clear();
    m_home.clear();
    m_office.clear();
    m_preferred.clear();
    m_stores.Open();
    const INT_PTR r = DoModal(CCeMToolkit::Instance(), IDD_CONTACT_PICKER, owner, kLayoutKeep);
    m_stores.Release();
    return r;
}

int CCeMContactPicker::OnInitDialog(HWND hwnd)
{
    CCeMDialog::OnInitDialog(hwnd);
    CCeMPickList::FillCategoryCombo(GetDlgItem(hwnd, IDC_PICK_CATEGORY), m_stores.Categories());
    PlacePickList(hwnd, IDC_PICK_LIST, m_list);
    m_list.Fill(0, 0, nullptr);
    return 1;
}

int CCeMContactPicker::OnCommand(int code, int id, HWND control)
{
    if (id == IDC_PICK_CATEGORY && code == CBN_SELCHANGE) {
        const int entry = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
        m_list.Fill(entry, 0, nullptr);
        return 1;
    }
    if (id == IDOK) {
        CCeContactsDB& contacts = m_stores.Contacts();
        const ContactItem* c = contacts.Current();
        if (!c) {
            CCeMMsgBox::Show(m_hWnd, L"선택된 사람이 없습니다.", L"알림", kLayoutOneButton, 0);
            return 1;
        }
        m_name = PickedText(c->pszDisplayName);
        m_mobile = PickedText(c->pszMobile);
        m_home = PickedText(c->pszHome);
        m_office = PickedText(c->pszOffice);
        m_preferred = PickedText(contacts.PreferredNumber(0));
    }
    return CCeMDialog::OnCommand(code, id, control);
}
