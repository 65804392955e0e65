#include "CCeMDlgAddContact.h"

#include <sipapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "ScreenFrame.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"
#include "stores/ContactItem.h"
#include "stores/ContactProps.h"
#include "stores/SysStrings.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/CCeMToolkit.h"

namespace {

constexpr int kNameChars = 19;
constexpr int kNoGroup = 0;  // "비분류" heads the group list

std::wstring FieldText(HWND dialog, int id, int most)
{
    std::vector<wchar_t> buf(static_cast<size_t>(most) + 1, L'\0');
    GetDlgItemTextW(dialog, id, buf.data(), most + 1);
    return buf.data();
}

}  // namespace

CCeMDlgAddContact::CCeMDlgAddContact() : m_szNumber{} {}

CCeMDlgAddContact::~CCeMDlgAddContact() = default;

INT_PTR CCeMDlgAddContact::Show(LPCWSTR number, HWND parent)
{
    wchar_t name[64] = {};
    if (number && number[0] && g_pDataManager->m_ContactsDB.NameByNumber(number, name, nullptr, 64)) {
        const std::wstring text = std::wstring(L"\"") + number + L"\" 번호는 \r\n\"" + name +
                                  L"\" 이름으로\r\n이미 등록되어 있습니다.";
        prefs::Notice(parent, text.c_str(), L"알림");
        return 0;
    }
    wcsncpy(m_szNumber, number ? number : L"", kNumberChars - 1);
    m_szNumber[kNumberChars - 1] = 0;
    return DoModal(CCeMToolkit::Instance(), kTemplateId, parent, kLayoutTwoButtons);
}

void CCeMDlgAddContact::OnInitControls(HWND hwnd)
{
    m_okButton.Attach(GetDlgItem(hwnd, IDOK));
    m_okButton.SetBitmap(CCeMMsgBox::kOkBitmapId, 2);
    m_okButton.SizeToFrame();
    m_cancelButton.Attach(GetDlgItem(hwnd, IDCANCEL));
    m_cancelButton.SetBitmap(CCeMMsgBox::kCancelBitmapId, 2);
    m_cancelButton.SizeToFrame();

    SendDlgItemMessageW(hwnd, IDC_FAMILY_NAME, EM_LIMITTEXT, 10, 0);
    SendDlgItemMessageW(hwnd, IDC_GIVEN_NAME, EM_LIMITTEXT, 10, 0);
    SendDlgItemMessageW(hwnd, IDC_NUMBER, EM_LIMITTEXT, 60, 0);
    SetDlgItemTextW(hwnd, IDC_NUMBER, m_szNumber);

    for (const wchar_t* kind : {L"휴대폰", L"사무실", L"집"})
        SendDlgItemMessageW(hwnd, IDC_NUMBER_KIND, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind));
    SendDlgItemMessageW(hwnd, IDC_NUMBER_KIND, CB_SETCURSEL, 0, 0);

    SendDlgItemMessageW(hwnd, IDC_GROUP, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"비분류"));
    CCeCategoriesDB& categories = g_pDataManager->m_CategoriesDB;
    // The groups are the contacts application's; the store stays open once opened.
    if (!categories.IsOpen())
        categories.OpenDefault(static_cast<HWND>(nullptr));
    categories.Load();
    for (int i = 0; i < categories.Count(); ++i)
        SendDlgItemMessageW(hwnd, IDC_GROUP, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(categories.At(i)->pszName));
    SendDlgItemMessageW(hwnd, IDC_GROUP, CB_SETCURSEL, kNoGroup, 0);
    SetFocus(GetDlgItem(hwnd, IDC_FAMILY_NAME));
}

void CCeMDlgAddContact::OnPaint(HWND hwnd)
{
    // The controls paint themselves; only the update region is validated.
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}

LRESULT CCeMDlgAddContact::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_SETTINGCHANGE && wp == SPI_SETSIPINFO && m_hWnd == hwnd) {
        KeepAboveInputPanel();
        return 0;
    }
    return CCeMDialog::WindowProc(hwnd, msg, wp, lp);
}

void CCeMDlgAddContact::KeepAboveInputPanel()
{
    SIPINFO si = {};
    si.cbSize = sizeof si;
    if (!SipGetInfo(&si) || !(si.fdwFlags & SIPF_ON))
        return;
    // It stays up once the panel goes: moving back would pull the buttons
    // from under the pen that made the panel go.
    RECT rc;
    GetWindowRect(m_hWnd, &rc);
    const RECT& free = si.rcVisibleDesktop;
    if (rc.bottom <= free.bottom)
        return;
    int top = free.bottom - (rc.bottom - rc.top);
    if (top < free.top)
        top = free.top;
    SetWindowPos(m_hWnd, nullptr, rc.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CCeMDlgAddContact::OnCommand(int code, int id, HWND)
{
    if (code == EN_SETFOCUS) {
        SipShowIM(SIPF_ON);
        return 0;
    }
    if (code == EN_KILLFOCUS) {
        SipShowIM(SIPF_OFF);
        return 0;
    }
    if (id == IDOK) {
        if (Save())
            EndDialog(m_hWnd, IDOK);
        return 1;
    }
    if (id == IDCANCEL) {
        EndDialog(m_hWnd, IDCANCEL);
        return 1;
    }
    return 0;
}

int CCeMDlgAddContact::Save()
{
    const std::wstring family = FieldText(m_hWnd, IDC_FAMILY_NAME, kNameChars);
    const std::wstring given = FieldText(m_hWnd, IDC_GIVEN_NAME, kNameChars);
    if (family.empty() && given.empty()) {
        prefs::Notice(m_hWnd, L"성 혹은 이름을 입력하십시오", L"경고");
        return 0;
    }
    const std::wstring number = FieldText(m_hWnd, IDC_NUMBER, kNumberChars - 1);
    if (number.empty()) {
        prefs::Notice(m_hWnd, L"전화 번호를 입력하십시오.", L"경고");
        return 0;
    }
    ContactItem* item = NewContactItem();
    item->pszFirstName = SysStringFrom(given.c_str());
    item->pszLastName = SysStringFrom(family.c_str());
    item->pszDisplayName = SysStringFrom((family + given).c_str());
    switch (SendDlgItemMessageW(m_hWnd, IDC_NUMBER_KIND, CB_GETCURSEL, 0, 0)) {
    case 1:
        item->pszOffice = SysStringFrom(number.c_str());
        item->nPreferred = kPropOffice;
        break;
    case 2:
        item->pszHome = SysStringFrom(number.c_str());
        item->nPreferred = kPropHome;
        break;
    default:
        item->pszMobile = SysStringFrom(number.c_str());
        item->nPreferred = kPropMobile;
        break;
    }
    const LRESULT group = SendDlgItemMessageW(m_hWnd, IDC_GROUP, CB_GETCURSEL, 0, 0);
    const int bit = group > kNoGroup ? g_pDataManager->m_CategoriesDB.BitOf(static_cast<int>(group) - 1) : -1;
    if (bit >= 0) {
        std::vector<BYTE> mask(static_cast<size_t>(bit / 32 + 1) * 4, 0);
        mask[static_cast<size_t>(bit / 8)] = static_cast<BYTE>(1u << (bit % 8));
        SetContactMask(item, mask.data(), static_cast<DWORD>(mask.size()));
    }
    const int stored = g_pDataManager->m_ContactsDB.AddContact(item) ? 1 : 0;
    FreeContactItem(item);
    prefs::Notice(m_hWnd, stored ? L"저장하였습니다." : L"저장하지 못했습니다.", L"알림");
    return stored;
}
