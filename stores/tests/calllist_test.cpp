// The call list store on the real engine: order, filters, selection,
// display texts, bad input and a damaged database file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "StoreRecords.h"
#include "stores/CCeCallListDB.h"

namespace {

FILETIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second = 0) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    FILETIME f{};
    SystemTimeToFileTime(&t, &f);
    return f;
}

std::vector<std::string> Numbers(CCeCallListDB& db, int filter) {
    std::vector<std::string> out;
    for (int i = 0; CallItem* item = db.Nth(filter, i); ++i) out.push_back(item->szNumber);
    return out;
}

class CallList : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"calllist"};
    CCeCallListDB db;
};

TEST_F(CallList, NewestFirstAndFilteredByKind) {
    // Added out of time order: the database's sort puts them right.
    ASSERT_EQ(db.Add(At(2024, 5, 2, 9, 0), "0201", CCeCallListDB::kAnswered, 60, L"Kim"), 1);
    ASSERT_EQ(db.Add(At(2024, 5, 1, 9, 0), "0202", CCeCallListDB::kOutgoing, 30, nullptr), 1);
    ASSERT_EQ(db.Add(At(2024, 5, 4, 9, 0), "0203", CCeCallListDB::kRejected, 0, nullptr), 1);
    ASSERT_EQ(db.Add(At(2024, 5, 3, 9, 0), "0204", CCeCallListDB::kAnswered, 5, L"Lee"), 1);
    ASSERT_EQ(db.Add(At(2024, 5, 5, 9, 0), "0205", CCeCallListDB::kMissed, 0, nullptr), 1);
    ASSERT_EQ(db.Add(At(2024, 5, 6, 9, 0), "0206", 9, 0, nullptr), 1);  // unknown kind

    CCeCallListDB again;
    ASSERT_EQ(again.Load(), 1);
    EXPECT_TRUE(again.IsLoaded());
    EXPECT_FALSE(again.IsOpen());
    EXPECT_EQ(Numbers(again, 0), (std::vector<std::string>{"0206", "0205", "0203", "0204", "0201", "0202"}));
    EXPECT_EQ(Numbers(again, 1), (std::vector<std::string>{"0202"}));
    EXPECT_EQ(Numbers(again, 2), (std::vector<std::string>{"0204", "0201"}));
    EXPECT_EQ(Numbers(again, 3), (std::vector<std::string>{"0205", "0203"}));
    EXPECT_EQ(again.Count(0), 6);
    EXPECT_EQ(again.Count(1), 1);
    EXPECT_EQ(again.Count(2), 2);
    EXPECT_EQ(again.Count(3), 2);
    EXPECT_EQ(again.Nth(0, -1), nullptr);
    EXPECT_EQ(again.Nth(2, 2), nullptr);
    EXPECT_STREQ(again.Nth(2, 1)->szName, L"Kim");
    EXPECT_EQ(again.Nth(2, 1)->nSeconds, 60);
    EXPECT_STREQ(again.Nth(1, 0)->szName, L"");
    EXPECT_STREQ(again.Nth(0, 5)->szTimeStamp, "20240501090000");

    // Add also goes to the front of a loaded cache.
    ASSERT_EQ(again.Add(At(2024, 6, 1, 8, 0), "0207", CCeCallListDB::kOutgoing, 1, nullptr), 1);
    EXPECT_EQ(Numbers(again, 1), (std::vector<std::string>{"0207", "0202"}));
    EXPECT_EQ(again.Count(0), 7);
}

TEST_F(CallList, StoredRecordLayout) {
    ASSERT_EQ(db.Add(At(2003, 4, 11, 6, 1, 42), "011-234", CCeCallListDB::kMissed, 0, L"홍길동"), 1);
    HANDLE h = cedbtest::Open(CCeCallListDB::kDatabaseName);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    cedbtest::Read r;
    cedbtest::ReadNext(h, r);
    CloseHandle(h);
    ASSERT_EQ(r.count, 5);
    const CEPROPID ids[] = {0x00010040, 0x00020002, 0x0003001F, 0x00040003, 0x0005001F};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.props[i].propid, ids[i]) << i;
    FILETIME want = At(2003, 4, 11, 6, 1, 42);
    EXPECT_EQ(CompareFileTime(&r.props[0].val.filetime, &want), 0);
    EXPECT_EQ(r.props[1].val.iVal, 3);
    EXPECT_STREQ(r.props[2].val.lpwstr, L"011-234");
    EXPECT_EQ(r.props[3].val.lVal, 0);
    EXPECT_STREQ(r.props[4].val.lpwstr, L"홍길동");
    EXPECT_STREQ(db.Nth(0, 0)->szTimeStamp, "20030411060142");
}

TEST_F(CallList, SelectingAndDeleting) {
    EXPECT_EQ(db.SelectNext(0, -1), -1);  // nothing passes
    EXPECT_EQ(db.Current(), nullptr);
    db.Add(At(2024, 1, 1, 0, 0), "1", CCeCallListDB::kAnswered, 0, nullptr);
    db.Add(At(2024, 1, 2, 0, 0), "2", CCeCallListDB::kOutgoing, 0, nullptr);
    db.Add(At(2024, 1, 3, 0, 0), "3", CCeCallListDB::kAnswered, 0, nullptr);
    // Answered calls, newest first: "3", "1".
    EXPECT_EQ(db.SelectNext(2, -1), 0);
    EXPECT_STREQ(db.Current()->szNumber, "3");
    EXPECT_EQ(db.SelectNext(2, 0), 1);
    EXPECT_EQ(db.SelectNext(2, 1), 1);  // stays on the last one
    EXPECT_STREQ(db.Current()->szNumber, "1");
    EXPECT_EQ(db.SelectPrevious(2, 1), 0);
    EXPECT_EQ(db.SelectPrevious(2, 0), 0);
    EXPECT_STREQ(db.Current()->szNumber, "3");

    // Deleting the last of two passing items selects the other at 0.
    int index = db.SelectNext(2, 0);
    ASSERT_EQ(db.DeleteCurrent(2, index), 1);
    EXPECT_EQ(index, 0);
    ASSERT_NE(db.Current(), nullptr);
    EXPECT_STREQ(db.Current()->szNumber, "3");
    EXPECT_EQ(db.Count(2), 1);
    ASSERT_EQ(db.DeleteCurrent(2, index), 1);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(db.Current(), nullptr);
    EXPECT_EQ(db.DeleteCurrent(2, index), 0);

    CCeCallListDB again;
    again.Load();
    EXPECT_EQ(Numbers(again, 0), (std::vector<std::string>{"2"}));

    // Delete all: the database goes and comes back with the next call.
    again.ClearAll();
    EXPECT_NE(again.DeleteDatabase(), 0);
    again.Recount();
    EXPECT_EQ(again.Count(0), 0);
    EXPECT_EQ(store.FilesWith(L"calllist").size(), 0u);
    again.Add(At(2024, 2, 1, 0, 0), "4", CCeCallListDB::kMissed, 0, nullptr);
    CCeCallListDB third;
    third.Load();
    EXPECT_EQ(Numbers(third, 0), (std::vector<std::string>{"4"}));
}

TEST_F(CallList, DisplayTexts) {
    WCHAR out[64];
    db.FormatDate(out, 64);
    EXPECT_STREQ(out, L"");  // no current item
    db.Add(At(2003, 4, 11, 13, 5), "1", CCeCallListDB::kOutgoing, 3725, nullptr);
    db.Add(At(2003, 4, 12, 0, 30), "2", CCeCallListDB::kOutgoing, 59, nullptr);
    db.Add(At(2003, 4, 13, 12, 0), "3", CCeCallListDB::kOutgoing, 0, nullptr);
    db.SelectNext(0, 1);  // the 13:05 call
    db.FormatDate(out, 64);
    EXPECT_STREQ(out, L"날짜 : 2003년 04월 11일");
    db.FormatTime(out, 64);
    EXPECT_STREQ(out, L"시간 : 오후 1시 05분");
    db.FormatLength(out, 64);
    EXPECT_STREQ(out, L"통화시간 : 1시 2분 5초");
    db.SelectPrevious(0, 2);  // half past midnight
    db.FormatTime(out, 64);
    EXPECT_STREQ(out, L"시간 : 오전 0시 30분");
    db.FormatLength(out, 64);
    EXPECT_STREQ(out, L"통화시간 : 0시 0분 59초");
    db.SelectPrevious(0, 1);  // noon
    db.FormatTime(out, 64);
    EXPECT_STREQ(out, L"시간 : 오후12시 00분");
    // A short buffer is filled and ended, never overrun.
    WCHAR small[8];
    for (WCHAR& c : small) c = L'!';
    db.FormatDate(small, 6);
    EXPECT_EQ(small[5], 0);
    EXPECT_EQ(small[6], L'!');
}

TEST_F(CallList, BadNumbersAndForeignRecords) {
    std::string longNumber(100, '7');
    ASSERT_EQ(db.Add(At(2024, 1, 1, 0, 0), longNumber.c_str(), 1, 0, nullptr), 1);
    ASSERT_EQ(db.Add(At(2024, 1, 2, 0, 0), "02 CALL me", 1, 0, nullptr), 1);
    ASSERT_EQ(db.Add(At(2024, 1, 3, 0, 0), "", 3, 0, nullptr), 1);
    ASSERT_EQ(db.Add(At(2024, 1, 4, 0, 0), nullptr, 3, 0, nullptr), 1);
    // 8-bit text in the Korean code page: 40 two-byte characters are cut
    // to 31 whole ones, never half of one.
    std::string korean;
    for (int i = 0; i < 40; ++i) korean += "\xB0\xA1";  // U+AC00
    ASSERT_EQ(db.Add(At(2024, 1, 5, 0, 0), korean.c_str(), 2, 0, nullptr), 1);
    EXPECT_EQ(db.Nth(0, 0)->szNumber, korean.substr(0, 62));
    // Written by other programs: a record of three properties, a record of
    // five of which one has the wrong type, and a number far too long.
    HANDLE h = cedbtest::Open(CCeCallListDB::kDatabaseName, CCeCallListDB::kTimeProperty);
    CEPROPVAL old[] = {cedbtest::Time(1, 0x01D0000000000000ull), cedbtest::I2(2, 1), cedbtest::Str(3, L"555")};
    ASSERT_NE(CeWriteRecordProps(h, 0, 3, old), 0u);
    CEPROPVAL odd[] = {cedbtest::Time(1, 0x01D0000000000001ull), cedbtest::I2(2, 1), cedbtest::I4(3, 5),
                       cedbtest::I4(4, 0), cedbtest::Str(5, L"")};
    ASSERT_NE(CeWriteRecordProps(h, 0, 5, odd), 0u);
    std::wstring huge(3000, L'9'), longName(500, L'N');
    CEPROPVAL big[] = {cedbtest::Time(1, 0x01C0000000000000ull), cedbtest::I2(2, 2), cedbtest::Str(3, huge.c_str()),
                       cedbtest::I4(4, 1), cedbtest::Str(5, longName.c_str())};
    ASSERT_NE(CeWriteRecordProps(h, 0, 5, big), 0u);
    CloseHandle(h);

    CCeCallListDB again;
    ASSERT_EQ(again.Load(), 1);
    // Foreign records are passed over; every call around them is there.
    ASSERT_EQ(again.Count(0), 6);
    EXPECT_EQ(again.Nth(0, 0)->szNumber, korean.substr(0, 62));  // through UTF-16 and back
    EXPECT_STREQ(again.Nth(0, 1)->szNumber, "");
    EXPECT_STREQ(again.Nth(0, 2)->szNumber, "");
    EXPECT_STREQ(again.Nth(0, 3)->szNumber, "02 CALL me");
    EXPECT_EQ(again.Nth(0, 4)->szNumber, longNumber.substr(0, 63));
    EXPECT_EQ(again.Nth(0, 5)->szNumber, std::string(63, '9'));
    EXPECT_EQ(std::wstring(again.Nth(0, 5)->szName), std::wstring(63, L'N'));
    // ...and left in the database as they were.
    EXPECT_EQ(StoredRecords(CCeCallListDB::kDatabaseName), 8);
    HANDLE raw = cedbtest::Open(CCeCallListDB::kDatabaseName, CCeCallListDB::kTimeProperty);
    cedbtest::Read first;
    cedbtest::ReadNext(raw, first);
    CloseHandle(raw);
    ASSERT_EQ(first.count, 5);
    EXPECT_EQ(std::wstring(first.props[2].val.lpwstr), std::wstring(31, L'\xAC00'));
}

TEST_F(CallList, DamagedFileIsKeptAsideAndTheListStartsAgain) {
    for (int i = 0; i < 3; ++i) db.Add(At(2024, 3, 1 + i, 0, 0), "0101", 1, 10, nullptr);
    std::vector<std::wstring> files = store.FilesWith(L"calllist");
    ASSERT_EQ(files.size(), 1u);
    HANDLE f = CreateFileW(files[0].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    SetFilePointer(f, 100, nullptr, FILE_BEGIN);
    char junk[400];
    memset(junk, 0x5A, sizeof junk);
    DWORD put = 0;
    WriteFile(f, junk, sizeof junk, &put, nullptr);
    CloseHandle(f);

    CCeCallListDB again;
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.Count(0), 0);
    EXPECT_EQ(store.FilesWith(L"damaged").size(), 1u);  // nothing thrown away
    ASSERT_EQ(again.Add(At(2024, 4, 1, 0, 0), "0102", 2, 3, nullptr), 1);
    CCeCallListDB third;
    third.Load();
    EXPECT_EQ(Numbers(third, 0), (std::vector<std::string>{"0102"}));
}

}  // namespace
