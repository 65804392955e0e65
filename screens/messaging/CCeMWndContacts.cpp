#include "screens/messaging/CCeMWndContacts.h"

#include "screens/messaging/CCeMPickList.h"
#include "stores/CCeDataManager.h"
#include "stores/ContactsNotify.h"
#include "toolkit/CCeMMsgBox.h"
#include "toolkit/ToolkitMessages.h"

namespace {

// Row 1: category, back, contacts application; row 2: kind, text, search.
const CCeMPlacement kCategoryPlace = {2, 2, 130, 160};
const CCeMPlacement kBackPlace = {136, 2, 48, 21};
const CCeMPlacement kOpenPlace = {188, 2, 50, 21};
const CCeMPlacement kKindPlace = {2, 25, 58, 80};
const CCeMPlacement kEditPlace = {64, 25, 120, 21};
const CCeMPlacement kSearchPlace = {188, 25, 50, 21};

CCeContactsDB& OwnContacts()
{
    return g_pDataManager->m_ContactsDB;
}

}  // namespace

CCeMWndContacts::CCeMWndContacts(CCeContactsDB* contacts, CCeCategoriesDB* categories, const SettingsBlock* settings)
    : m_pContacts(contacts ? contacts : &OwnContacts()),
      m_pCategories(categories ? categories : &g_pDataManager->m_CategoriesDB),
      m_list(*m_pContacts, *m_pCategories, settings)
{
}

CCeMWndContacts::~CCeMWndContacts()
{
    if (m_hWnd)
        Destroy();
}

int CCeMWndContacts::Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id)
{
    RegisterWindowClass(L"CCeMWndContacts", CS_HREDRAW | CS_VREDRAW, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)),
                        nullptr, nullptr, nullptr);
    return CCeMWnd::Create(L"주소록", style | WS_CHILD | WS_CLIPCHILDREN, pl, parent, id);
}

HWND CCeMWndContacts::Button(int id) const
{
    switch (id) {
    case kBack:
        return m_back.GetHwnd();
    case kSearch:
        return m_search.GetHwnd();
    case kOpenContacts:
        return m_open.GetHwnd();
    default:
        return nullptr;
    }
}

int CCeMWndContacts::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    CCeMWnd::OnCreate(hwnd, cs);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    m_category.Create(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE, kCategoryPlace, hwnd, kCategory);
    m_back.Create(L"뒤로", BS_PUSHBUTTON | WS_VISIBLE, kBackPlace, hwnd, kBack);
    m_open.Create(L"편집", BS_PUSHBUTTON | WS_VISIBLE, kOpenPlace, hwnd, kOpenContacts);
    m_kind.Create(CBS_DROPDOWNLIST | WS_TABSTOP | WS_VISIBLE, kKindPlace, hwnd, kSearchKind);
    m_edit.Create(L"", WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP | WS_VISIBLE, kEditPlace, hwnd, kSearchEdit);
    m_search.Create(L"검색", BS_PUSHBUTTON | WS_VISIBLE, kSearchPlace, hwnd, kSearch);
    for (CCeMWnd* w : {static_cast<CCeMWnd*>(&m_category), static_cast<CCeMWnd*>(&m_back),
                       static_cast<CCeMWnd*>(&m_open), static_cast<CCeMWnd*>(&m_kind),
                       static_cast<CCeMWnd*>(&m_edit), static_cast<CCeMWnd*>(&m_search)})
        SendMessageW(w->GetHwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(m_edit.GetHwnd(), EM_LIMITTEXT, kEditChars, 0);
    SendMessageW(m_kind.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"이름"));
    SendMessageW(m_kind.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"번호"));
    SendMessageW(m_kind.GetHwnd(), CB_SETCURSEL, 0, 0);

    // The stores stay open from here on, telling this window of changes.
    // A store another window opened is reopened here so the notices come here.
    if (m_pCategories->IsOpen())
        m_pCategories->Close();
    if (m_pContacts->IsOpen())
        m_pContacts->Close();
    m_pCategories->OpenDefault(hwnd);
    m_pContacts->OpenDefault(hwnd);
    if (m_pCategories->IsOpen())
        m_pCategories->Load();
    FillCategoryCombo();

    RECT rc;
    GetClientRect(hwnd, &rc);
    m_list.Create({0, kBandHeight, rc.right, rc.bottom - kBandHeight}, hwnd, WS_VISIBLE, kList);
    m_list.Fill();
    return 0;
}

int CCeMWndContacts::OnDestroy(HWND hwnd)
{
    m_list.Destroy();
    // The stores stay open for the rest of the program, but without notices
    // nothing would keep the number index fresh: open them again without.
    if (m_pContacts->NotifyWindow() == hwnd) {
        m_pContacts->Close();
        m_pContacts->OpenDefault(static_cast<HWND>(nullptr));
    }
    if (m_pCategories->NotifyWindow() == hwnd) {
        m_pCategories->Close();
        m_pCategories->OpenDefault(static_cast<HWND>(nullptr));
        if (m_pCategories->IsOpen())
            m_pCategories->Load();
    }
    return CCeMWnd::OnDestroy(hwnd);
}

void CCeMWndContacts::FillCategoryCombo()
{
    HWND combo = m_category.GetHwnd();
    CCeMPickList::FillCategoryCombo(combo, *m_pCategories);
    const int entry = m_list.Category() <= m_pCategories->Count() ? m_list.Category() : 0;
    SendMessageW(combo, CB_SETCURSEL, entry, 0);
}

void CCeMWndContacts::Search()
{
    wchar_t text[kEditChars + 1] = {};
    GetWindowTextW(m_edit.GetHwnd(), text, kEditChars + 1);
    const int kind = static_cast<int>(SendMessageW(m_kind.GetHwnd(), CB_GETCURSEL, 0, 0));
    if (ReopenIfBroken())
        FillCategoryCombo();
    m_list.SetSearch(kind == 1 ? 1 : 0, text);
}

void CCeMWndContacts::OnDatabaseChanged(LPARAM notification)
{
    const ContactItem* current = m_pContacts->Current();
    const CEOID keep = current ? current->oid : 0;
    const int detail = m_list.IsDetail();
    ReloadOnDatabaseNotification(notification, *m_pCategories, *m_pContacts);
    ++m_nReloads;
    if (ReopenIfBroken())
        m_pContacts->Reload();
    // The list re-applies its filter when the categories moved under it.
    m_list.AfterReload(keep, detail);
    FillCategoryCombo();
}

bool CCeMWndContacts::ReopenIfBroken()
{
    // A read that ended in an error (database deleted or damaged) leaves
    // no valid index; a closed store may have come back since.
    if (m_pContacts->IsOpen() && m_pContacts->IndexInUse())
        return false;
    m_pContacts->Close();
    m_pContacts->OpenDefault(m_hWnd);
    if (!m_pCategories->IsOpen())
        m_pCategories->OpenDefault(m_hWnd);
    if (m_pCategories->IsOpen())
        m_pCategories->Load();
    return true;
}

bool CCeMWndContacts::StartContactsApplication()
{
    wchar_t commandLine[] = L"\"\\windows\\poutlook.exe\" contacts";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(L"\\windows\\poutlook.exe", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void CCeMWndContacts::OpenContactsApplication()
{
    const bool started = m_launcher ? m_launcher() : StartContactsApplication();
    if (!started)
        CCeMMsgBox::Show(m_hWnd, L"주소록 프로그램을\r\n시작할 수 없습니다.", L"오류", CCeMDialog::kLayoutOneButton, 0);
}

int CCeMWndContacts::OnCommand(int code, int id, HWND control)
{
    switch (id) {
    case kCategory:
        if (code == CBN_SELCHANGE)
            m_list.SetCategory(static_cast<int>(SendMessageW(m_category.GetHwnd(), CB_GETCURSEL, 0, 0)));
        return 0;
    case kFocusSearch:
        SetFocus(m_edit.GetHwnd());
        return 0;
    case kSearch:
        Search();
        return 0;
    case kOpenContacts:
        OpenContactsApplication();
        return 0;
    case kBack:
        if (m_list.IsDetail())
            m_list.CloseDetail();
        else if (HWND parent = GetParent(m_hWnd))
            SendMessageW(parent, WM_COMMAND, MAKEWPARAM(m_nId, kCloseRequest), reinterpret_cast<LPARAM>(m_hWnd));
        return 0;
    default:
        return CCeMWnd::OnCommand(code, id, control);
    }
}

LRESULT CCeMWndContacts::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_DBNOTIFICATION:
        OnDatabaseChanged(lp);
        return 0;
    case WM_CHILDNOTIFY:
        // Enter released in the search edit searches.
        if (reinterpret_cast<HWND>(lp) == m_edit.GetHwnd())
            Search();
        return 0;
    case WM_SHOWWINDOW:
        if (!wp)
            break;
        // A database gone while hidden (or made again since) is looked
        // for anew; one another screen emptied the shared cache of is read
        // again.
        if (ReopenIfBroken()) {
            FillCategoryCombo();
            m_list.Fill();
        } else if (!m_pContacts->IsLoaded()) {
            m_list.Fill();
        }
        break;
    default:
        break;
    }
    return CCeMWnd::WindowProc(hwnd, msg, wp, lp);
}

void CCeMWndContacts::OnPaint(HWND hwnd)
{
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}
