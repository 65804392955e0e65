// Rejected numbers and speed dial on the real engine: the matching rules,
// slot clean-up and bad input.
#include <gtest/gtest.h>

#include <string>

#include "CeDbTestUtil.h"
#include "StoreRecords.h"
#include "stores/CCeCallListDB.h"
#include "stores/CCeDenyCallDB.h"
#include "stores/CCeEasyCallDB.h"
#include "stores/CCeNetDB.h"

namespace {

class DenyList : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"deny"};
    CCeDenyCallDB db;
};

TEST_F(DenyList, MatchingRules) {
    // Missing database: nothing is rejected, and the database now exists.
    EXPECT_EQ(db.IsRejected(L"0112345678"), 0);
    EXPECT_EQ(StoredRecords(CCeDenyCallDB::kDatabaseName), 0);
    EXPECT_FALSE(db.IsOpen());

    ASSERT_EQ(db.Add(L"Park", L"0112345678"), 1);
    EXPECT_EQ(db.Add(L"Park again", L"011-234-5678"), 0);  // same dial characters
    EXPECT_EQ(db.Add(L"Short", L"2345678"), 1);            // differs before the "011" step
    ASSERT_EQ(db.Add(L"Office", L"02 345 6789"), 1);
    ASSERT_EQ(db.Add(L"Home", L"123-4567"), 1);
    EXPECT_EQ(db.ItemCount(), 4);

    EXPECT_EQ(db.IsRejected(L"2345678"), 1);
    EXPECT_EQ(db.IsRejected(L"011 234 5678"), 1);
    EXPECT_EQ(db.IsRejected(L"02-345-6789"), 1);   // dashes and blanks do not count
    EXPECT_EQ(db.IsRejected(L"0111234567"), 1);    // "011" put before a number without 0
    EXPECT_EQ(db.IsRejected(L"1234567"), 1);
    EXPECT_EQ(db.IsRejected(L"02) 345-6789 x"), 1);
    EXPECT_EQ(db.IsRejected(L"(02) 345-6789"), 0);  // the "011" step looks at the first character
    EXPECT_EQ(db.IsRejected(L"023456780"), 0);
    EXPECT_EQ(db.IsRejected(L"12345678"), 0);
    EXPECT_EQ(db.IsRejected(L"0212345678"), 0);
    EXPECT_FALSE(db.IsOpen());

    // Loaded in name order; a deleted entry stays deleted.
    CCeDenyCallDB screen;
    ASSERT_EQ(screen.Load(), 1);
    ASSERT_EQ(screen.ItemCount(), 4);
    EXPECT_STREQ(screen.ItemAt(0)->pszName, L"Home");
    EXPECT_STREQ(screen.ItemAt(3)->pszName, L"Short");
    EXPECT_EQ(screen.DeleteCurrent(), 0);  // nothing selected
    screen.SetCurrent(screen.ItemAt(1));
    ASSERT_EQ(screen.DeleteCurrent(), 1);
    EXPECT_EQ(screen.Current(), nullptr);
    EXPECT_EQ(screen.IsRejected(L"02-345-6789"), 0);
    screen.ClearCache();
    EXPECT_FALSE(screen.IsLoaded());
    screen.Load();
    EXPECT_EQ(screen.ItemCount(), 3);
}

TEST_F(DenyList, BadNumbers) {
    EXPECT_EQ(db.Add(L"Empty", L""), 0);
    EXPECT_EQ(db.Add(L"Null", nullptr), 0);
    EXPECT_EQ(db.Add(L"Letters", L"call me"), 0);
    EXPECT_EQ(db.Add(L"Long", std::wstring(64, L'1').c_str()), 0);
    EXPECT_EQ(db.Add(nullptr, std::wstring(63, L'1').c_str()), 1);
    EXPECT_EQ(db.Add(L"Blanks", L"02 999 "), 1);
    EXPECT_EQ(StoredRecords(CCeDenyCallDB::kDatabaseName), 2);
    EXPECT_EQ(db.IsRejected(std::wstring(63, L'1').c_str()), 1);
    EXPECT_EQ(db.IsRejected(L"02999"), 1);

    // Entries written by other programs: one without digits, one of another
    // layout before a real one, and one longer than any buffer.
    HANDLE h = cedbtest::Open(CCeDenyCallDB::kDatabaseName);
    CEPROPVAL blank[] = {cedbtest::Str(1, L"A"), cedbtest::Str(2, L"")};
    CEPROPVAL three[] = {cedbtest::Str(1, L"B"), cedbtest::Str(2, L"0311"), cedbtest::I4(3, 1)};
    CEPROPVAL real[] = {cedbtest::Str(1, L"C"), cedbtest::Str(2, L"0312")};
    std::wstring huge = L"0" + std::wstring(200, L'5');
    CEPROPVAL big[] = {cedbtest::Str(1, L"D"), cedbtest::Str(2, huge.c_str())};
    CeWriteRecordProps(h, 0, 2, blank);
    CeWriteRecordProps(h, 0, 3, three);
    CeWriteRecordProps(h, 0, 2, real);
    CeWriteRecordProps(h, 0, 2, big);
    CloseHandle(h);
    // A caller without a number is never rejected, whatever is listed.
    EXPECT_EQ(db.IsRejected(L""), 0);
    EXPECT_EQ(db.IsRejected(nullptr), 0);
    EXPECT_EQ(db.IsRejected(L"private"), 0);
    EXPECT_EQ(db.IsRejected(L"0311"), 0);
    EXPECT_EQ(db.IsRejected(L"0312"), 1);  // the scan goes past the foreign record
    EXPECT_EQ(db.IsRejected(huge.c_str()), 1);
    EXPECT_EQ(db.IsRejected((huge.substr(0, 150) + L"6").c_str()), 0);  // no match on a cut prefix
    CCeDenyCallDB screen;
    screen.Load();
    EXPECT_EQ(screen.ItemCount(), 5);
    EXPECT_EQ(StoredRecords(CCeDenyCallDB::kDatabaseName), 6);
}

class SpeedDial : public ::testing::Test {
protected:
    std::wstring Name(int slot) {
        WCHAR name[64], number[64];
        return db.Get(slot, name, 64, number, 64) ? std::wstring(name) + L"=" + number : L"-";
    }
    cedbtest::ScopedStore store{L"speeddial"};
    CCeEasyCallDB db;
};

TEST_F(SpeedDial, LoadDropsDuplicateAndOutOfRangeSlots) {
    ASSERT_EQ(db.OpenDefault(nullptr), 1);
    db.Close();
    HANDLE h = cedbtest::Open(CCeEasyCallDB::kDatabaseName);
    auto put = [&](short slot, const wchar_t* name, const wchar_t* number) {
        CEPROPVAL v[] = {cedbtest::I2(1, slot), cedbtest::Str(2, name), cedbtest::Str(3, number)};
        return CeWriteRecordProps(h, 0, 3, v);
    };
    put(5, L"first", L"0105");
    put(7, L"seven", L"0107");
    put(5, L"second", L"0205");
    put(101, L"high", L"0101");
    put(-1, L"low", L"0100");
    put(0, L"zero", L"0100");
    CEPROPVAL odd[] = {cedbtest::I2(1, 9), cedbtest::Str(2, L"two only")};
    CeWriteRecordProps(h, 0, 2, odd);
    CloseHandle(h);

    ASSERT_EQ(db.Load(), 1);
    ASSERT_EQ(db.ItemCount(), 3);
    EXPECT_EQ(db.ItemAt(0)->nSlot, 0);
    EXPECT_EQ(Name(5), L"first=0105");
    EXPECT_EQ(Name(9), L"-");
    // Duplicate and out-of-range records are gone from the database too;
    // the record of another layout stays.
    EXPECT_EQ(StoredRecords(CCeEasyCallDB::kDatabaseName), 4);
    CCeEasyCallDB again;
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.ItemCount(), 3);
}

TEST_F(SpeedDial, SetReplacesInPlaceAndGetStopsInOrder) {
    EXPECT_EQ(Name(3), L"-");  // missing database: empty, created on the way
    ASSERT_EQ(db.Set(L"Mom", L"010-1111", 3), 1);
    ASSERT_EQ(db.Set(L"Dad", L"010-2222", 9), 1);
    ASSERT_EQ(db.Set(L"Zero", L"010-0000", 0), 1);
    ASSERT_EQ(db.Set(L"Top", L"010-9999", 100), 1);
    ASSERT_EQ(db.Set(L"Six", L"010-6666", 6), 1);
    EXPECT_EQ(db.ItemAt(2)->nSlot, 6);  // inserted in slot order
    SpeedDialItem* mom = db.ItemAt(1);
    ASSERT_EQ(db.Set(L"Mother", L"010-1112", 3), 1);
    EXPECT_EQ(db.ItemAt(1), mom);  // the same item, new texts
    EXPECT_EQ(Name(3), L"Mother=010-1112");
    EXPECT_EQ(Name(5), L"-");
    EXPECT_EQ(Name(100), L"Top=010-9999");
    EXPECT_EQ(StoredRecords(CCeEasyCallDB::kDatabaseName), 5);

    // A fresh store that never loaded still replaces, not duplicates.
    CCeEasyCallDB other;
    ASSERT_EQ(other.Set(L"Dad2", L"010-2223", 9), 1);
    EXPECT_EQ(StoredRecords(CCeEasyCallDB::kDatabaseName), 5);
    CCeEasyCallDB third;
    WCHAR name[4], number[64];
    ASSERT_EQ(third.Get(9, name, 4, number, 64), 1);
    EXPECT_STREQ(name, L"Dad");  // cut to the buffer
    EXPECT_STREQ(number, L"010-2223");

    third.SetCurrent(third.ItemAt(0));
    ASSERT_EQ(third.DeleteCurrent(), 1);
    CCeEasyCallDB fourth;
    EXPECT_EQ(fourth.Get(0, nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(fourth.ItemCount(), 4);
}

TEST_F(SpeedDial, ASetHoldsWhenAnotherProgramReplacedTheSlotFirst) {
    ASSERT_EQ(db.Set(L"Old", L"0101", 5), 1);
    // Another program replaces slot 5's record behind this store's cache.
    HANDLE h = cedbtest::Open(CCeEasyCallDB::kDatabaseName);
    EXPECT_TRUE(CeDeleteRecord(h, db.ItemAt(0)->oid));
    CEPROPVAL v[] = {cedbtest::I2(1, 5), cedbtest::Str(2, L"Theirs"), cedbtest::Str(3, L"0202")};
    EXPECT_NE(CeWriteRecordProps(h, 0, 3, v), 0u);
    CloseHandle(h);

    ASSERT_EQ(db.Set(L"Mine", L"0303", 5), 1);
    EXPECT_EQ(Name(5), L"Mine=0303");
    // The next load, of any store, keeps the change.
    CCeEasyCallDB fresh;
    WCHAR name[64], number[64];
    ASSERT_EQ(fresh.Get(5, name, 64, number, 64), 1);
    EXPECT_STREQ(name, L"Mine");
    EXPECT_STREQ(number, L"0303");
    EXPECT_EQ(StoredRecords(CCeEasyCallDB::kDatabaseName), 1);
}

TEST_F(SpeedDial, BadInputLeavesTheSlotAlone) {
    ASSERT_EQ(db.Set(L"Keep", L"0101", 4), 1);
    EXPECT_EQ(db.Set(L"High", L"0102", 101), 0);
    EXPECT_EQ(db.Set(L"Low", L"0103", -1), 0);
    EXPECT_EQ(db.Set(L"Long", std::wstring(64, L'1').c_str(), 4), 0);
    EXPECT_EQ(db.Set(L"Empty", L"", 4), 0);
    EXPECT_EQ(db.Set(L"Null", nullptr, 4), 0);
    EXPECT_EQ(db.Set(nullptr, L"0 1 0-4", 5), 1);
    EXPECT_EQ(Name(4), L"Keep=0101");
    EXPECT_EQ(Name(5), L"=0 1 0-4");
    EXPECT_EQ(Name(-1), L"-");
    EXPECT_EQ(StoredRecords(CCeEasyCallDB::kDatabaseName), 2);
}

// An object store that cannot be used (its folder cannot be made): every
// store answers "no" and keeps what it had in memory.
TEST(Stores, UnusableObjectStoreFailsCleanly) {
    cedbtest::ScopedStore store{L"unusable"};
    CCeCallListDB calls;
    FILETIME t{0, 0x01D00000};
    ASSERT_EQ(calls.Add(t, "0101", 1, 5, L"kept"), 1);
    calls.SelectNext(0, -1);
    CCeDenyCallDB deny;
    ASSERT_EQ(deny.Add(L"n", L"0102"), 1);

    std::wstring blocker = store.Folder() + L"\\blocker";
    HANDLE f = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", (blocker + L"\\store").c_str());
    EXPECT_EQ(calls.Add(t, "0103", 1, 5, nullptr), 0);
    EXPECT_EQ(calls.Load(), 0);
    int index = 0;
    EXPECT_EQ(calls.DeleteCurrent(0, index), 0);
    ASSERT_EQ(calls.Count(0), 1);
    EXPECT_STREQ(calls.Nth(0, 0)->szName, L"kept");
    EXPECT_EQ(deny.IsRejected(L"0102"), 0);
    EXPECT_EQ(deny.Add(L"m", L"0104"), 0);
    deny.SetCurrent(deny.ItemAt(0));
    EXPECT_EQ(deny.DeleteCurrent(), 0);
    EXPECT_EQ(deny.ItemCount(), 1);
    CCeEasyCallDB speed;
    WCHAR name[8], number[8];
    EXPECT_EQ(speed.Get(1, name, 8, number, 8), 0);
    EXPECT_STREQ(name, L"");
    EXPECT_EQ(speed.Set(L"x", L"0105", 1), 0);
    CCeNetDB net;
    EXPECT_EQ(net.AddUsage(5), 0);
    EXPECT_EQ(net.ReadUsage(), 0u);
    EXPECT_EQ(net.ResetUsage(), 0);
    EXPECT_FALSE(calls.IsOpen() || deny.IsOpen() || speed.IsOpen() || net.IsOpen());

    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.Folder().c_str());
    DeleteFileW(blocker.c_str());
    EXPECT_EQ(deny.IsRejected(L"0102"), 1);  // nothing stored was lost
}

}  // namespace
