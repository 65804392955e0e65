// The contacts and categories stores over databases written as the contacts
// application writes them.
#include <gtest/gtest.h>

#include <string>

#include "ContactFixture.h"
#include "stores/CCeCategoriesDB.h"
#include "stores/CCeContactsDB.h"
#include "stores/ContactsNotify.h"

using contacttest::AddCategory;
using contacttest::AddPerson;
using contacttest::Person;

namespace {

class ContactsTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        contacttest::CreateDatabases();
        AddCategory(L"가족", 0);
        AddCategory(L"회사", 9);
    }
    // Opened with the phonebook window (look-ups from the index) or
    // without one (look-ups read the database).
    void Open() {
        HWND w = GetParam() ? window.hwnd() : nullptr;
        ASSERT_EQ(categories.OpenDefault(w), 1);
        ASSERT_EQ(contacts.OpenDefault(w), 1);
        categories.Load();
        contacts.LoadAll();
        EXPECT_EQ(contacts.IndexInUse(), GetParam());
    }

    cedbtest::ScopedStore store{L"contacts"};
    contacttest::NotifyWindow window;
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
};

TEST_P(ContactsTest, NameByNumberMatchesNormalisedNumbers) {
    AddPerson({L"홍길동", L"011-234-5678", nullptr, nullptr, {0x00, 0x02}});  // bit 9: 회사
    AddPerson({L"No number"});
    AddPerson({L"Second holder", L"0112345678"});
    Open();
    WCHAR name[64], category[64];
    for (const wchar_t* n : {L"0112345678", L"2345678", L"011 234-5678"}) {
        EXPECT_EQ(contacts.NameByNumber(n, name, category), 1) << n;
        EXPECT_STREQ(name, L"홍길동");
        EXPECT_STREQ(category, L"회사");
    }
    EXPECT_EQ(contacts.NameByNumber(L"02345678", name, category), 0);
    EXPECT_STREQ(name, L"");
    EXPECT_STREQ(category, L"");
    // Letters, an empty number and a number nobody has.
    EXPECT_EQ(contacts.NameByNumber(L"011234567a", name, nullptr), 0);
    EXPECT_EQ(contacts.NameByNumber(L"", name, nullptr), 0);
    EXPECT_EQ(contacts.NameByNumber(L"011", name, nullptr), 0);  // what an absent number normalises to
}

TEST_P(ContactsTest, LongDisplayNameIsCutToTheCallersBuffer) {
    std::wstring longName(5000, L'가');
    AddPerson({longName.c_str(), L"0101112222", nullptr, nullptr, std::vector<BYTE>(600, 0xFF)});
    Open();
    WCHAR name[64], category[64];
    EXPECT_EQ(contacts.NameByNumber(L"0101112222", name, category, 64), 1);
    EXPECT_EQ(wcslen(name), 63u);
    EXPECT_STREQ(category, L"가족");
}

TEST_P(ContactsTest, PreferredNumberFollowsTheStoredChoiceOrTheFirstPresent) {
    AddPerson({L"A", L"0101", L"0202", nullptr, {}, static_cast<LONG>(kPropHome)});
    AddPerson({L"B", nullptr, L"0303", L"0404"});
    AddPerson({L"C", L"0505", L"", nullptr, {}, static_cast<LONG>(kPropHome)});  // names an empty home
    AddPerson({L"D"});
    AddPerson({L"E", nullptr, nullptr, L"0606", {}, 12345});  // not a number id
    Open();
    ASSERT_EQ(contacts.Count(), 5);
    EXPECT_EQ(contacts.At(0)->nPreferred, kPropHome);
    EXPECT_EQ(contacts.At(1)->nPreferred, kPropHome);
    EXPECT_EQ(contacts.At(2)->nPreferred, 0u);
    EXPECT_EQ(contacts.At(3)->nPreferred, 0u);
    EXPECT_EQ(contacts.At(4)->nPreferred, kPropOffice);
    EXPECT_STREQ(contacts.PreferredNumber(1), L"0202");
    EXPECT_EQ(contacts.PreferredNumber(4), nullptr);
    contacts.SetCurrent(contacts.At(4));
    EXPECT_STREQ(contacts.PreferredNumber(0), L"0606");
}

TEST_P(ContactsTest, SearchesAndCategories) {
    AddPerson({L"Kim Minsu", L"0101234", nullptr, L"0201234", {0x01}});
    AddPerson({L"kim jiwoo", L"0109999", nullptr, nullptr, {0x00, 0x02}});
    AddPerson({L"Lee", nullptr, L"0311234", nullptr, {0x01}});  // one-byte mask: bit 9 is beyond it
    Open();
    EXPECT_EQ(contacts.SearchName(L"Kim"), 1);  // case matters
    EXPECT_EQ(contacts.SearchNumber(L"1234"), 2);  // a contact with two matching numbers counts once
    EXPECT_EQ(contacts.LoadCategory(0), 2);
    EXPECT_EQ(contacts.LoadCategory(9), 1);
    EXPECT_STREQ(contacts.At(0)->pszDisplayName, L"kim jiwoo");
    EXPECT_EQ(contacts.LoadCategory(200), 0);
    EXPECT_EQ(contacts.SearchNameInCategory(L"Lee", 0), 1);
    EXPECT_EQ(contacts.SearchNameInCategory(L"Lee", 9), 0);
    EXPECT_EQ(contacts.SearchNumberInCategory(L"0311", 0), 1);
    EXPECT_EQ(contacts.SearchNumberInCategory(L"0109", 0), 0);
    // Reload repeats the last search.
    AddPerson({L"Park", nullptr, L"0310000", nullptr, {0x01}});
    EXPECT_EQ(contacts.SearchNumberInCategory(L"031", 0), 2);
    EXPECT_EQ(contacts.LoadAll(), 4);
}

TEST_P(ContactsTest, CategoriesStore) {
    AddCategory(L"친구", 3);
    Open();
    ASSERT_EQ(categories.Count(), 3);
    EXPECT_EQ(categories.BitOf(1), 9);
    EXPECT_EQ(categories.BitOf(3), -1);
    EXPECT_EQ(categories.BitOf(-1), -1);
    WCHAR name[64];
    BYTE both[2] = {0x08, 0x02};  // bits 3 and 9: the first cached one wins
    EXPECT_EQ(categories.NameForMask(2, both, name), 1);
    EXPECT_STREQ(name, L"회사");
    EXPECT_EQ(categories.NameForMask(1, both, name), 2);  // bit 9 lies past a one-byte mask
    EXPECT_STREQ(name, L"친구");
    EXPECT_EQ(categories.NameForMask(0, nullptr, name), -1);
    EXPECT_STREQ(name, L"");
}

TEST_P(ContactsTest, AddContactAndSetPreferred) {
    Open();
    ContactItem* item = NewContactItem();
    item->pszLastName = SysAllocString(L"홍");
    item->pszFirstName = SysAllocString(L"길동");
    item->pszDisplayName = SysAllocString(L"홍길동");
    item->pszHome = SysAllocString(L"02-555-1234");
    item->pszMobile = SysAllocString(L"");  // empty: not written
    item->nPreferred = kPropHome;
    BYTE mask[4] = {0x00, 0x02, 0, 0};
    SetContactMask(item, mask, 4);
    EXPECT_EQ(contacts.AddContact(item), 1);
    EXPECT_NE(item->oid, 0u);
    WCHAR name[64], category[64];
    EXPECT_EQ(contacts.NameByNumber(L"025551234", name, category), 1);
    EXPECT_STREQ(name, L"홍길동");
    EXPECT_STREQ(category, L"회사");
    FreeContactItem(item);

    ASSERT_EQ(contacts.LoadAll(), 1);
    ContactItem* c = contacts.At(0);
    EXPECT_EQ(c->pszMobile, nullptr);
    EXPECT_STREQ(c->pszFirstName, L"길동");
    contacts.SetCurrent(c);
    EXPECT_EQ(contacts.SetPreferred(2), 1);
    EXPECT_EQ(c->nPreferred, kPropOffice);
    EXPECT_EQ(contacts.SetPreferred(3), 0);
    contacts.LoadAll();
    EXPECT_EQ(contacts.At(0)->nPreferred, 0u);  // the office number is empty
    // A contact deleted behind the store's back is left alone.
    contacts.SetCurrent(contacts.At(0));
    HANDLE h = cedbtest::Open(kContactsDbName);
    CeDeleteRecord(h, contacts.At(0)->oid);
    CloseHandle(h);
    EXPECT_EQ(contacts.SetPreferred(1), 0);
}

INSTANTIATE_TEST_SUITE_P(IndexOrScan, ContactsTest, ::testing::Values(true, false));

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        contacttest::CreateDatabases();
        AddPerson({L"Pic", L"0101"});
        ASSERT_EQ(contacts.OpenDefault(window.hwnd()), 1);
        contacts.LoadAll();
        contacts.SetCurrent(contacts.At(0));
    }
    cedbtest::ScopedStore store{L"picture"};
    contacttest::NotifyWindow window;
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
};

TEST_F(PictureTest, TenThousandPixelsAreTheLimit) {
    contacttest::WriteFileBytes(L"big.bmp", contacttest::BitmapBytes(101, 100));
    EXPECT_EQ(contacts.SetPicture(0, L"big.bmp"), -1);
    contacttest::WriteFileBytes(L"ok.bmp", contacttest::BitmapBytes(100, 100, 0x10A0F0));
    EXPECT_EQ(contacts.SetPicture(1, L"ok.bmp"), 1);
    EXPECT_GT(contacts.Current()->cbPicture, 30000u);

    HDC dc = GetDC(nullptr);
    HBITMAP bitmap = contacts.GetPicture(dc);
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 100);
    EXPECT_EQ(info.bmHeight, 100);
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, bitmap);
    EXPECT_EQ(GetPixel(mem, 50, 50), RGB(0x10, 0xA0, 0xF0));
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, dc);

    // Still there after a reload, as a length only.
    contacts.LoadAll();
    EXPECT_EQ(contacts.At(0)->pPicture, nullptr);
    EXPECT_GT(contacts.At(0)->cbPicture, 30000u);
}

TEST_F(PictureTest, FilesThatAreNoUsableBitmap) {
    EXPECT_EQ(contacts.SetPicture(0, L"missing.bmp"), 0);
    contacttest::WriteFileBytes(L"photo.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'});
    EXPECT_EQ(contacts.SetPicture(0, L"photo.jpg"), 0);
    std::vector<BYTE> cut = contacttest::BitmapBytes(20, 20);
    cut.resize(cut.size() - 10);
    contacttest::WriteFileBytes(L"cut.bmp", cut);
    EXPECT_EQ(contacts.SetPicture(0, L"cut.bmp"), 0);
    EXPECT_EQ(contacts.Current()->cbPicture, 0u);

    // A stored picture that lies about its size gives no bitmap.
    HANDLE h = cedbtest::Open(kContactsDbName);
    std::vector<BYTE> lie = contacttest::BitmapBytes(10, 10);
    lie[18] = 200;  // width 200: the pixels cannot be there
    CEPROPVAL v = cedbtest::Blob(HIWORD(kPropPicture), lie.data(), static_cast<DWORD>(lie.size()));
    CeWriteRecordProps(h, contacts.Current()->oid, 1, &v);
    CloseHandle(h);
    contacts.LoadAll();
    contacts.SetCurrent(contacts.At(0));
    EXPECT_EQ(contacts.GetPicture(nullptr), nullptr);
}

TEST(ContactsMissing, NoDatabasesMeansEmptyListsAndNoNames) {
    cedbtest::ScopedStore store{L"nocontacts"};
    contacttest::NotifyWindow window;
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    EXPECT_EQ(contacts.OpenDefault(window.hwnd()), 0);
    EXPECT_EQ(categories.OpenDefault(window.hwnd()), 0);
    EXPECT_EQ(contacts.OpenDefault(L"Contacts Database"), 0);
    EXPECT_FALSE(contacts.IsOpen());
    EXPECT_EQ(contacts.LoadAll(), 0);
    EXPECT_EQ(categories.Load(), 0);
    WCHAR name[64];
    EXPECT_EQ(contacts.NameByNumber(L"0101234", name, nullptr), 0);
    // The phone never creates them.
    HANDLE h = cedbtest::Open(kContactsDbName);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
}

TEST(ContactsNotify, ChangesFromTheContactsApplicationReloadBothCaches) {
    cedbtest::ScopedStore store{L"notify"};
    contacttest::CreateDatabases();
    AddPerson({L"First", L"0101"});
    contacttest::NotifyWindow window;
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    ASSERT_EQ(categories.OpenDefault(window.hwnd()), 1);
    ASSERT_EQ(contacts.OpenDefault(window.hwnd()), 1);
    categories.Load();
    ASSERT_EQ(contacts.LoadAll(), 1);
    WCHAR name[64], category[64];
    EXPECT_EQ(contacts.NameByNumber(L"0102", name, category), 0);

    AddCategory(L"동호회", 4);
    AddPerson({L"Second", L"0102", nullptr, nullptr, {0x10}});
    AddPerson({L"Third", L"0103"});
    LPARAM n = window.WaitNotification();
    ASSERT_NE(n, 0);
    Sleep(100);  // let the other notifications queue up behind it
    EXPECT_EQ(ReloadOnDatabaseNotification(n, categories, contacts), 3);
    EXPECT_EQ(categories.Count(), 1);
    EXPECT_TRUE(contacts.IndexInUse());
    EXPECT_EQ(contacts.NameByNumber(L"0102", name, category), 1);
    EXPECT_STREQ(name, L"Second");
    EXPECT_STREQ(category, L"동호회");
}

}  // namespace
