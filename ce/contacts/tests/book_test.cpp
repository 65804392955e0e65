// The contacts tool's side of the databases: create, import and export,
// and what the phone then reads from them.
#include <gtest/gtest.h>

#include "ce/cedb/CeDbBatch.h"
#include "ce/contacts/ContactBook.h"
#include "stores/CCeContactsDB.h"
#include "stores/tests/ContactFixture.h"

namespace {

vcard::Contact Card(const wchar_t* name, const wchar_t* mobile, std::vector<std::wstring> categories = {}) {
    vcard::Contact c;
    c.formatted = name;
    c.numbers[vcard::kMobile] = mobile;
    c.categories = std::move(categories);
    return c;
}

class BookTest : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"book"};
};

TEST_F(BookTest, ImportedContactsAreWhatThePhoneReads) {
    vcard::Contact kim = Card(L"김철수", L"011-234-5678", {L"가족", L"회사"});
    kim.family = L"김";
    kim.given = L"철수";
    kim.numbers[vcard::kHome] = L"02-555-0000";
    kim.preferred = vcard::kHome;
    kim.photo = contacttest::BitmapBytes(20, 20);
    contacts::ImportReport report = contacts::Import({kim, Card(L"Lee", L"0109998888", {L"회사"})});
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.newCategories, 2);
    EXPECT_TRUE(report.messages.empty());

    contacttest::NotifyWindow window;
    CCeCategoriesDB categories;
    CCeContactsDB phone{&categories};
    ASSERT_EQ(categories.OpenDefault(window.hwnd()), 1);
    ASSERT_EQ(phone.OpenDefault(window.hwnd()), 1);
    EXPECT_EQ(categories.Load(), 2);
    ASSERT_EQ(phone.LoadAll(), 2);
    WCHAR name[64], category[64];
    EXPECT_EQ(phone.NameByNumber(L"2345678", name, category), 1);
    EXPECT_STREQ(name, L"김철수");
    EXPECT_STREQ(category, L"가족");
    EXPECT_STREQ(phone.PreferredNumber(1), L"02-555-0000");
    EXPECT_GT(phone.At(0)->cbPicture, 0u);
    EXPECT_EQ(phone.LoadCategory(categories.BitOf(1)), 2);
    EXPECT_EQ(phone.At(1)->cbCategoryMask, 4u);  // whole 32-bit words, as the phone writes
}

TEST_F(BookTest, RoundTripThroughTheDatabasesAndRepeatedImports) {
    vcard::Contact a = Card(L"홍길동", L"010-1", {L"친구"});
    a.family = L"홍";
    a.given = L"길동";
    a.numbers[vcard::kOffice] = L"02-2";
    a.preferred = vcard::kOffice;
    a.photo = contacttest::BitmapBytes(8, 8);
    vcard::Contact b = Card(L"No category", L"0103");
    ASSERT_EQ(contacts::Import({a, b}).written, 2);
    contacts::ImportReport again = contacts::Import({a, b});
    EXPECT_EQ(again.written, 0);
    EXPECT_EQ(again.duplicates, 2);

    contacts::ExportResult out = contacts::Export();
    ASSERT_EQ(out.contacts.size(), 2u);
    const vcard::Contact& x = out.contacts[0];
    EXPECT_EQ(x.formatted, a.formatted);
    EXPECT_EQ(x.family, a.family);
    EXPECT_EQ(x.given, a.given);
    EXPECT_EQ(x.numbers[vcard::kOffice], L"02-2");
    EXPECT_EQ(x.preferred, vcard::kOffice);
    EXPECT_EQ(x.categories, a.categories);
    EXPECT_EQ(x.photo, a.photo);
    // Text written and read back again is the same contact.
    vcard::ParseResult reread = vcard::Parse(vcard::Write(out.contacts, "2.1"));
    ASSERT_EQ(reread.contacts.size(), 2u);
    EXPECT_EQ(reread.contacts[0].formatted, L"홍길동");
    EXPECT_EQ(reread.contacts[0].categories, a.categories);
}

TEST_F(BookTest, ExportOfRecordsThePhoneOrOthersLeftOdd) {
    contacttest::CreateDatabases();
    contacttest::AddCategory(L"VIP", 40);
    contacttest::AddPerson({L"Short mask", L"0101", nullptr, nullptr, {0xFF}});  // bit 40 lies past it
    contacttest::AddPerson({L""});  // nothing to show
    contacttest::AddPerson({L"Long mask", L"0102", nullptr, nullptr, std::vector<BYTE>(8, 0xFF)});
    std::wstring longNumber(100, L'1');
    contacttest::AddPerson({L"Long number", longNumber.c_str()});
    HANDLE h = cedbtest::Open(kContactsDbName);
    BYTE junk[16] = {'B', 'M', 1, 2, 3};
    CEPROPVAL v[2] = {cedbtest::Str(HIWORD(kPropDisplayName), L"Bad picture"),
                      cedbtest::Blob(HIWORD(kPropPicture), junk, sizeof junk)};
    CeWriteRecordProps(h, 0, 2, v);
    CloseHandle(h);

    contacts::ExportResult out = contacts::Export();
    ASSERT_EQ(out.contacts.size(), 4u);
    EXPECT_TRUE(out.contacts[0].categories.empty());
    EXPECT_EQ(out.contacts[1].categories, (std::vector<std::wstring>{L"VIP"}));
    EXPECT_TRUE(out.contacts[2].numbers[vcard::kMobile].empty());
    EXPECT_TRUE(out.contacts[3].photo.empty());
    ASSERT_EQ(out.messages.size(), 3u);
}

TEST_F(BookTest, LargeImportsCommitInBatchesAndSayWhatIsKept) {
    std::vector<vcard::Contact> cards;
    for (int i = 0; i < 600; ++i) {
        std::wstring n = std::to_wstring(i);
        cards.push_back(Card((L"Person " + n).c_str(), (L"010-" + n).c_str(), {L"Group " + std::to_wstring(i % 30)}));
    }
    cards.push_back(cards[10]);  // the same contact twice in one batch
    std::vector<int> committed;
    contacts::ImportReport report = contacts::Import(cards, [&](int written) { committed.push_back(written); });
    EXPECT_EQ(report.written, 600);
    EXPECT_EQ(report.duplicates, 1);
    EXPECT_EQ(report.failed, 0);
    EXPECT_EQ(report.newCategories, 30);
    EXPECT_EQ(committed, (std::vector<int>{250, 500, 600}));

    contacts::ExportResult out = contacts::Export();
    ASSERT_EQ(out.contacts.size(), 600u);
    for (int i : {0, 249, 250, 599}) {
        EXPECT_EQ(out.contacts[i].formatted, L"Person " + std::to_wstring(i));
        EXPECT_EQ(out.contacts[i].categories, (std::vector<std::wstring>{L"Group " + std::to_wstring(i % 30)}));
        EXPECT_EQ(out.contacts[i].preferred, vcard::kMobile);
    }
}

TEST_F(BookTest, ARefusedContactCostsOnlyItself) {
    std::vector<vcard::Contact> cards = {Card(L"One", L"1"), Card(L"Too big", L"2"), Card(L"Three", L"3")};
    cards[1].photo.assign(200 * 1024, 0x42);  // beyond what one record may hold
    std::vector<int> committed;
    contacts::ImportReport report = contacts::Import(cards, [&](int written) { committed.push_back(written); });
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.failed, 1);
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_NE(report.messages[0].find(L"Too big: the contact is too large for one database record"), std::wstring::npos);
    EXPECT_EQ(committed, (std::vector<int>{2}));
    contacts::ExportResult out = contacts::Export();
    ASSERT_EQ(out.contacts.size(), 2u);
    EXPECT_EQ(out.contacts[1].formatted, L"Three");
    // Tried again, the refused one is not taken for a duplicate.
    EXPECT_EQ(contacts::Import(cards).failed, 1);
}

TEST_F(BookTest, AFullDatabaseIsSaidOnceAndWhatFitsIsKept) {
    contacttest::CreateDatabases();
    HANDLE h = cedbtest::Open(kContactsDbName);
    const DWORD filler = CEDB_MAXNUMRECORDS - 5;
    CEPROPVAL one = cedbtest::I4(1, 0);
    std::vector<CEPROPVAL*> records(filler, &one);
    std::vector<WORD> counts(filler, 1);
    ASSERT_TRUE(CeWriteNewRecords(h, filler, counts.data(), records.data(), nullptr));
    CloseHandle(h);
    std::vector<vcard::Contact> cards;
    for (int i = 0; i < 300; ++i) cards.push_back(Card((L"P" + std::to_wstring(i)).c_str(), L"1"));
    std::vector<int> committed;
    contacts::ImportReport report = contacts::Import(cards, [&](int written) { committed.push_back(written); });
    EXPECT_EQ(report.written, 5);
    EXPECT_EQ(report.failed, 295);
    ASSERT_EQ(report.messages.size(), 1u);
    EXPECT_EQ(report.messages[0], L"the contacts database is full (65535 records); 295 contacts not added");
    EXPECT_EQ(committed, (std::vector<int>{5}));
}

TEST_F(BookTest, CreateMakesBothDatabasesOnce) {
    EXPECT_EQ(contacts::CreateDatabases(), 1);
    EXPECT_EQ(contacts::CreateDatabases(), 1);
    HANDLE h = cedbtest::Open(kCategoriesDbName);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(contacts::Export().contacts.empty());
}

}  // namespace
