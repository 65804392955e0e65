// The user ring-tone screen on real windows: the ring tones offered, an
// assignment per person and per group, the kind selector keeping each list's
// state, deleting, privacy, and a "Bell" folder of a thousand files.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CCeMWndUserBell.h"
#include "ContactFixture.h"
#include "PrefsFixture.h"

namespace {

const wchar_t kInstall[] = L"C:\\zenbells";

std::wstring BellDir() { return std::wstring(kInstall) + L"\\Bell"; }

void Touch(const std::wstring& file)
{
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
}

void RemoveBells()
{
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((BellDir() + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = BellDir() + L"\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryW(path.c_str());
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(BellDir().c_str());
    RemoveDirectoryW(kInstall);
}

class UserBellTest : public prefstest::ScreenTest {
protected:
    void SetUp() override
    {
        RemoveBells();
        CreateDirectoryW(kInstall, nullptr);
        CreateDirectoryW(BellDir().c_str(), nullptr);
        contacttest::CreateDatabases();
        contacttest::AddCategory(L"친구", 3);
        contacttest::AddCategory(L"회사", 40);
        ScreenTest::SetUp();
        data.SetInstallDir(kInstall);
    }
    void TearDown() override
    {
        screen.Destroy();
        data.m_CategoriesDB.Close();
        ScreenTest::TearDown();
        RemoveBells();
    }
    void StandardBells()
    {
        Touch(BellDir() + L"\\b.wav");
        Touch(BellDir() + L"\\a.mp3");
        Touch(BellDir() + L"\\c.mp3");
        Touch(BellDir() + L"\\notes.txt");
        CreateDirectoryW((BellDir() + L"\\folder.mp3").c_str(), nullptr);
    }
    void Open()
    {
        ASSERT_EQ(1, screen.Create(WS_VISIBLE, prefstest::kViewPlace, host.GetHwnd(), 27));
        zentest::PumpMessages(150);
    }
    void TapButton(int id)
    {
        const int x = id == CCeMWndUserBell::kClose ? 226 : id == CCeMWndUserBell::kAdd ? 182 : 204;
        TapAt(screen.GetHwnd(), x, 13);
        zentest::PumpMessages(100);
    }
    void TapOk(CCeMBellList& list, int y) { TapAt(list.GetHwnd(), 122, y); }
    void ShowKind(int kind)
    {
        SendMessageW(screen.KindChoice(), CB_SETCURSEL, kind, 0);
        SendMessageW(screen.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndUserBell::kKind, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(screen.KindChoice()));
        zentest::PumpMessages(100);
    }
    static std::vector<std::wstring> Items(HWND combo)
    {
        std::vector<std::wstring> out;
        const int n = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t buf[MAX_PATH] = {};
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
            out.emplace_back(buf);
        }
        return out;
    }

    CCeMWndUserBell screen;
};

TEST_F(UserBellTest, OffersMp3FilesBeforeWavFilesAndNoFolders)
{
    StandardBells();
    Open();
    for (HWND combo : {screen.PersonList().BellChoice(), screen.GroupList().BellChoice()}) {
        std::vector<std::wstring> items = Items(combo);
        ASSERT_EQ(3u, items.size());
        std::sort(items.begin(), items.begin() + 2);
        EXPECT_EQ((std::vector<std::wstring>{L"a.mp3", L"c.mp3", L"b.wav"}), items);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"개인별", L"그룹별"}), Items(screen.KindChoice()));
    EXPECT_TRUE(IsWindowVisible(screen.PersonList().GetHwnd()));
    EXPECT_FALSE(IsWindowVisible(screen.GroupList().GetHwnd()));
}

TEST_F(UserBellTest, APersonsRingToneIsAssignedWithTheEditor)
{
    StandardBells();
    Open();
    CCeMPersonBellList& list = screen.PersonList();
    TapButton(CCeMWndUserBell::kAdd);
    ASSERT_TRUE(list.IsEditing());
    SetWindowTextW(list.FieldWindow(CCeMPersonBellList::kNameField), L"홍길동");
    SetWindowTextW(list.FieldWindow(CCeMPersonBellList::kNumberField), L"0101234567");
    SendMessageW(list.BellChoice(), CB_SETCURSEL, 2, 0);  // b.wav
    Shot(L"userbell-editor");
    TapOk(list, 93);
    EXPECT_FALSE(list.IsEditing());
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(1, list.ItemCount());
    CCeUserBellDB fresh;
    wchar_t name[64] = {}, file[MAX_PATH] = {};
    ASSERT_EQ(1, fresh.Lookup(L"010-123-4567", name, file));
    EXPECT_STREQ(L"홍길동", name);
    EXPECT_STREQ(L"b.wav", file);
    Shot(L"userbell-list");
}

TEST_F(UserBellTest, AnEmptyBellFolderMakesOkAnError)
{
    Open();
    CCeMPersonBellList& list = screen.PersonList();
    EXPECT_TRUE(Items(list.BellChoice()).empty());
    TapButton(CCeMWndUserBell::kAdd);
    SetWindowTextW(list.FieldWindow(CCeMPersonBellList::kNameField), L"홍길동");
    SetWindowTextW(list.FieldWindow(CCeMPersonBellList::kNumberField), L"0101234567");
    TapOk(list, 93);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"오류", watcher.seen[0].caption);
    EXPECT_EQ(L"정보를 올바로 기입해주십시오.", watcher.seen[0].text);
    EXPECT_TRUE(list.IsEditing());
    EXPECT_EQ(0, list.ItemCount());
}

TEST_F(UserBellTest, TheKindSelectorKeepsEachListsState)
{
    StandardBells();
    Open();
    CCeMPersonBellList& person = screen.PersonList();
    CCeMGroupBellList& group = screen.GroupList();
    TapButton(CCeMWndUserBell::kAdd);
    ASSERT_TRUE(person.IsEditing());

    ShowKind(1);
    EXPECT_FALSE(IsWindowVisible(person.GetHwnd()));
    ASSERT_TRUE(IsWindowVisible(group.GetHwnd()));
    EXPECT_FALSE(group.IsEditing());
    EXPECT_EQ((std::vector<std::wstring>{L"친구", L"회사"}), Items(group.GroupChoice()));
    TapButton(CCeMWndUserBell::kAdd);
    ASSERT_TRUE(group.IsEditing());
    SendMessageW(group.GroupChoice(), CB_SETCURSEL, 1, 0);
    Shot(L"userbell-group-editor");
    TapOk(group, 74);
    EXPECT_FALSE(group.IsEditing());
    CCeCategoryBellDB fresh;
    wchar_t file[MAX_PATH] = {};
    ASSERT_EQ(1, fresh.Lookup(L"회사", file));
    EXPECT_FALSE(std::wstring(file).empty());

    ShowKind(0);
    EXPECT_TRUE(IsWindowVisible(person.GetHwnd()));
    EXPECT_TRUE(person.IsEditing());  // as it was left
    TapAt(person.GetHwnd(), 172, 93);  // Cancel
    EXPECT_FALSE(person.IsEditing());
}

TEST_F(UserBellTest, DeleteAsksOnlyForAnEntryOfTheVisibleList)
{
    StandardBells();
    ASSERT_EQ(1, data.m_UserBellDB.Add(L"엄마", L"0105556666", L"a.mp3"));
    ASSERT_EQ(1, data.m_CategoryBellDB.Set(L"친구", L"c.mp3"));
    Open();
    TapButton(CCeMWndUserBell::kDelete);  // no row chosen
    EXPECT_TRUE(watcher.seen.empty());
    TapAt(screen.PersonList().GetHwnd(), 60, 20 + 8);
    TapButton(CCeMWndUserBell::kDelete);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"삭제 하시겠습니까 ?", watcher.seen[0].text);
    EXPECT_EQ(0, screen.PersonList().ItemCount());
    CCeUserBellDB people;
    wchar_t name[64] = {}, file[MAX_PATH] = {};
    EXPECT_EQ(0, people.Lookup(L"0105556666", name, file));
    CCeCategoryBellDB groups;
    EXPECT_EQ(1, groups.Lookup(L"친구", file));  // the other list is not affected
    EXPECT_EQ(1, screen.GroupList().ItemCount());
}

TEST_F(UserBellTest, PrivacyHidesTheAssignmentsAndRefusesChanges)
{
    StandardBells();
    ASSERT_EQ(1, data.m_UserBellDB.Add(L"엄마", L"0105556666", L"a.mp3"));
    data.m_Settings.bPrivacy = 1;
    Open();
    EXPECT_EQ(0, screen.PersonList().ItemCount());
    Shot(L"userbell-privacy");
    TapButton(CCeMWndUserBell::kAdd);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"사생활 보호중입니다.", watcher.seen[0].text);
    EXPECT_FALSE(screen.PersonList().IsEditing());
}

TEST_F(UserBellTest, AThousandBellFilesAreAllOffered)
{
    for (int i = 0; i < 1000; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\bell%04d.%ls", i, i % 2 ? L"wav" : L"mp3");
        Touch(BellDir() + name);
    }
    const DWORD start = GetTickCount();
    Open();
    EXPECT_LT(GetTickCount() - start, 10000u);
    const std::vector<std::wstring> items = Items(screen.PersonList().BellChoice());
    ASSERT_EQ(1000u, items.size());
    EXPECT_EQ(500, std::count_if(items.begin(), items.begin() + 500,
                                 [](const std::wstring& f) { return f.find(L".mp3") != std::wstring::npos; }));
}

}  // namespace
