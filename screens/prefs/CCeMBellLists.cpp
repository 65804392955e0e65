#include "CCeMBellLists.h"

#include <vector>

#include "ScreenFrame.h"
#include "resources/prefs_res.h"
#include "stores/CCeDataManager.h"

namespace {

CCeUserBellDB& People() { return g_pDataManager->m_UserBellDB; }
CCeCategoryBellDB& Groups() { return g_pDataManager->m_CategoryBellDB; }

std::wstring WindowText(HWND hwnd)
{
    const int n = GetWindowTextLengthW(hwnd);
    std::vector<wchar_t> buf(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, buf.data(), n + 1);
    return buf.data();
}

void FillError(HWND owner) { prefs::Notice(owner, L"정보를 올바로 기입해주십시오.", L"오류"); }

}  // namespace

// --- per person ----------------------------------------------------------------

CCeMPersonBellList::CCeMPersonBellList()
    : CCeMBellList(IDB_USERBELL_PICTURE, {77, 90}, {100, 59, 90, 150}, {100, 81}, {150, 81})
{
    m_columns = {{L"이름", 9, 70}, {L"전화번호", 75, 150}, {L"벨 소리", 155, -1}};
}

int CCeMPersonBellList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    const DWORD field = WS_BORDER | ES_AUTOHSCROLL;
    m_nameEdit.Create(L"", field, {100, 17, 90, 20}, hwnd, kNameField);
    m_numberEdit.Create(L"", field, {100, 38, 90, 20}, hwnd, kNumberField);
    SendMessageW(m_nameEdit.GetHwnd(), EM_LIMITTEXT, kFieldChars, 0);
    SendMessageW(m_numberEdit.GetHwnd(), EM_LIMITTEXT, kFieldChars, 0);
    prefs::SetFont(m_hFont, {m_nameEdit.GetHwnd(), m_numberEdit.GetHwnd()});
    m_searchButton.Create(L"", 0, {50, 81, 45, 25}, hwnd, kSearch);
    m_searchButton.SetBitmap(IDB_EDITOR_SEARCH, 2);
    return CCeMBellList::OnCreate(hwnd, cs);
}

HWND CCeMPersonBellList::FieldWindow(int field) const
{
    return field == kNameField ? m_nameEdit.GetHwnd() : field == kNumberField ? m_numberEdit.GetHwnd() : nullptr;
}

int CCeMPersonBellList::EntryCount() const { return People().Count(); }
void CCeMPersonBellList::LoadStore() { People().Load(); }

bool CCeMPersonBellList::SelectEntry(int index)
{
    People().SetCurrent(People().At(index));
    return People().Current() != nullptr;
}

std::vector<const wchar_t*> CCeMPersonBellList::EntryTexts(int index) const
{
    const UserBellItem* item = People().At(index);
    if (!item)
        return {};
    return {item->pszName, item->pszNumber, item->pszFile};
}

int CCeMPersonBellList::DeleteCurrentEntry() { return People().DeleteCurrent(); }

void CCeMPersonBellList::ShowFields(bool show)
{
    if (show) {
        const UserBellItem* item = People().Current();
        SetWindowTextW(m_nameEdit.GetHwnd(), item ? item->pszName : L"");
        SetWindowTextW(m_numberEdit.GetHwnd(), item ? item->pszNumber : L"");
    }
    const int cmd = show ? SW_SHOW : SW_HIDE;
    ShowWindow(m_nameEdit.GetHwnd(), cmd);
    ShowWindow(m_numberEdit.GetHwnd(), cmd);
    ShowWindow(m_searchButton.GetHwnd(), cmd);
    if (show)
        SetFocus(m_nameEdit.GetHwnd());
}

bool CCeMPersonBellList::SaveEditor()
{
    const std::wstring name = WindowText(m_nameEdit.GetHwnd());
    const std::wstring number = WindowText(m_numberEdit.GetHwnd());
    const std::wstring file = ChosenBell();
    if (name.empty() || number.empty() || file.empty() || name.size() > 31 || number.size() > 31) {
        FillError(m_hWnd);
        return false;
    }
    if (!People().Add(name.c_str(), number.c_str(), file.c_str())) {
        FillError(m_hWnd);  // a number without a digit to match, or no store
        return false;
    }
    return true;
}

void CCeMPersonBellList::DrawEditorLabels(HDC dc)
{
    Label(dc, L"이름", 45, 15, 95, 35);
    Label(dc, L"전화번호", 45, 37, 95, 57);
    Label(dc, L"벨소리", 45, 57, 95, 77);
}

int CCeMPersonBellList::OnCommand(int code, int id, HWND control)
{
    if (id == kSearch) {
        std::wstring name, number;
        if (m_picker && m_picker(name, number)) {
            SetWindowTextW(m_nameEdit.GetHwnd(), name.c_str());
            SetWindowTextW(m_numberEdit.GetHwnd(), number.c_str());
        }
        return 0;
    }
    return CCeMBellList::OnCommand(code, id, control);
}

// --- per group -------------------------------------------------------------------

CCeMGroupBellList::CCeMGroupBellList()
    : CCeMBellList(IDB_GROUPBELL_PICTURE, {107, 90}, {85, 38, 105, 120}, {100, 62}, {150, 62})
{
    m_columns = {{L"그룹", 9, 100}, {L"벨 소리", 105, -1}};
}

int CCeMGroupBellList::OnCreate(HWND hwnd, LPCREATESTRUCTW cs)
{
    m_groupChoice.Create(CBS_DROPDOWNLIST | WS_VSCROLL, {85, 17, 105, 140}, hwnd, kGroupChoice);
    prefs::SetFont(m_hFont, {m_groupChoice.GetHwnd()});
    CCeCategoriesDB& categories = g_pDataManager->m_CategoriesDB;
    if (!categories.IsOpen())
        categories.OpenDefault(static_cast<HWND>(nullptr));
    categories.Load();
    for (int i = 0; i < categories.Count(); ++i)
        SendMessageW(m_groupChoice.GetHwnd(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(categories.At(i)->pszName));
    SendMessageW(m_groupChoice.GetHwnd(), CB_SETCURSEL, 0, 0);
    return CCeMBellList::OnCreate(hwnd, cs);
}

int CCeMGroupBellList::EntryCount() const { return Groups().Count(); }
void CCeMGroupBellList::LoadStore() { Groups().Load(); }

bool CCeMGroupBellList::SelectEntry(int index)
{
    Groups().SetCurrent(Groups().At(index));
    return Groups().Current() != nullptr;
}

std::vector<const wchar_t*> CCeMGroupBellList::EntryTexts(int index) const
{
    const CategoryBellItem* item = Groups().At(index);
    if (!item)
        return {};
    return {item->pszCategory, item->pszFile};
}

int CCeMGroupBellList::DeleteCurrentEntry() { return Groups().DeleteCurrent(); }

void CCeMGroupBellList::ShowFields(bool show) { ShowWindow(m_groupChoice.GetHwnd(), show ? SW_SHOW : SW_HIDE); }

bool CCeMGroupBellList::SaveEditor()
{
    HWND combo = m_groupChoice.GetHwnd();
    const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    std::wstring group;
    if (i != CB_ERR) {
        const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
        if (n != CB_ERR) {
            std::vector<wchar_t> buf(static_cast<size_t>(n) + 1, L'\0');
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
            group = buf.data();
        }
    }
    const std::wstring file = ChosenBell();
    if (group.empty() || file.empty() || !Groups().Set(group.c_str(), file.c_str())) {
        FillError(m_hWnd);
        return false;
    }
    return true;
}

void CCeMGroupBellList::DrawEditorLabels(HDC dc)
{
    Label(dc, L"그룹", 45, 17, 85, 37);
    Label(dc, L"벨소리", 45, 38, 85, 58);
}
