// The database calls within one process: records, types, sort orders,
// seeks, handles and the errors bad input gets.
#include <gtest/gtest.h>

#include <string>

#include "CeDbTestUtil.h"
#include "windbase.h"

using namespace cedbtest;

namespace {

class CeDbApi : public ::testing::Test {
protected:
    ScopedStore store{L"api"};
};

TEST_F(CeDbApi, EveryTypeRoundTripsWithLocalFreeableBuffer) {
    ASSERT_NE(Create(L"Types DB"), 0u);
    HANDLE h = Open(L"Types DB");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BYTE blob[300];
    for (int i = 0; i < 300; ++i) blob[i] = static_cast<BYTE>(i * 7);
    CEPROPVAL vals[] = {I2(1, -1234), I4(2, -123456789), UI4(3, 0xFEDCBA98u), Str(4, L"전화 0123"),
                        Time(5, 0x01C3000012345678ull), Blob(6, blob, sizeof blob), Blob(7, nullptr, 0)};
    CEOID oid = CeWriteRecordProps(h, 0, 7, vals);
    ASSERT_NE(oid, 0u);

    ASSERT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr), oid);
    Read r;
    ReadNext(h, r);
    ASSERT_EQ(r.oid, oid);
    ASSERT_EQ(r.count, 7);
    // Properties come back in the order they were written.
    for (int i = 0; i < 7; ++i) EXPECT_EQ(r.props[i].propid, vals[i].propid);
    EXPECT_EQ(r.props[0].val.iVal, -1234);
    EXPECT_EQ(r.props[1].val.lVal, -123456789);
    EXPECT_EQ(r.props[2].val.ulVal, 0xFEDCBA98u);
    EXPECT_STREQ(r.props[3].val.lpwstr, L"전화 0123");
    EXPECT_EQ(r.props[4].val.filetime.dwHighDateTime, 0x01C30000u);
    EXPECT_EQ(r.props[4].val.filetime.dwLowDateTime, 0x12345678u);
    ASSERT_EQ(r.props[5].val.blob.dwCount, 300u);
    EXPECT_EQ(memcmp(r.props[5].val.blob.lpb, blob, 300), 0);
    EXPECT_EQ(r.props[6].val.blob.dwCount, 0u);
    // The buffer is one LocalAlloc block holding the values.
    EXPECT_GE(LocalSize(r.props), 7 * sizeof(CEPROPVAL) + 300);
    CloseHandle(h);
}

TEST_F(CeDbApi, UpdateMergesDeletesPropertiesAndKeepsTheId) {
    Create(L"Merge");
    HANDLE h = Open(L"Merge");
    CEPROPVAL first[] = {I4(1, 10), Str(2, L"name"), I4(3, 30)};
    CEOID oid = CeWriteRecordProps(h, 0, 3, first);
    CEPROPVAL del = I4(3, 0);
    del.wFlags = CEDB_PROPDELETE;
    CEPROPVAL update[] = {I4(1, 11), del, UI4(4, 44)};
    EXPECT_EQ(CeWriteRecordProps(h, oid, 3, update), oid);
    CeSeekDatabase(h, CEDB_SEEK_CEOID, oid, nullptr);
    Read r;
    ReadNext(h, r);
    ASSERT_EQ(r.count, 3);
    EXPECT_EQ(r.Find(0x00010003)->val.lVal, 11);
    EXPECT_STREQ(r.Find(0x0002001F)->val.lpwstr, L"name");
    EXPECT_EQ(r.Find(0x00030003), nullptr);
    EXPECT_EQ(r.Find(0x00040013)->val.ulVal, 44u);
    CloseHandle(h);
}

TEST_F(CeDbApi, ReadOfChosenPropertiesMarksMissingOnes) {
    Create(L"Pick");
    HANDLE h = Open(L"Pick");
    CEPROPVAL v[] = {I4(1, 5), Str(2, L"x")};
    CeWriteRecordProps(h, 0, 2, v);
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    CEPROPID ids[] = {0x0002001F, 0x00090003};
    WORD n = 2;
    LPBYTE buf = nullptr;
    DWORD size = 0;
    ASSERT_NE(CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &n, ids, &buf, &size, nullptr), 0u);
    auto* p = reinterpret_cast<CEPROPVAL*>(buf);
    EXPECT_STREQ(p[0].val.lpwstr, L"x");
    EXPECT_EQ(p[1].wFlags & CEDB_PROPNOTFOUND, CEDB_PROPNOTFOUND);
    LocalFree(buf);
    CloseHandle(h);
}

TEST_F(CeDbApi, SmallCallerBufferWithoutReallocGetsSizeNeeded) {
    Create(L"Small");
    HANDLE h = Open(L"Small");
    CEPROPVAL v = Str(1, L"a fairly long text that does not fit");
    CeWriteRecordProps(h, 0, 1, &v);
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    BYTE small[16];
    LPBYTE buf = small;
    DWORD size = sizeof small;
    WORD n = 0;
    EXPECT_EQ(CeReadRecordPropsEx(h, 0, &n, nullptr, &buf, &size, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GT(size, sizeof small);
    EXPECT_EQ(buf, small);
    CloseHandle(h);
}

TEST_F(CeDbApi, UnsortedReadsInWriteOrderAndIdsStayStable) {
    Create(L"Order");
    HANDLE h = Open(L"Order");
    CEOID ids[5];
    for (int i = 0; i < 5; ++i) {
        CEPROPVAL v = I4(1, 100 - i);
        ids[i] = CeWriteRecordProps(h, 0, 1, &v);
    }
    CEPROPVAL v = I4(1, 77);
    EXPECT_EQ(CeWriteRecordProps(h, ids[1], 1, &v), ids[1]);  // update keeps place and id
    EXPECT_TRUE(CeDeleteRecord(h, ids[3]));
    EXPECT_EQ(AllI4(h, 0x00010003), (std::vector<LONG>{100, 77, 98, 96}));
    CloseHandle(h);
    // A new record never reuses a deleted id, also after reopening.
    h = Open(L"Order");
    CEOID fresh = CeWriteRecordProps(h, 0, 1, &v);
    for (CEOID old : ids) EXPECT_NE(fresh, old);
    CloseHandle(h);
}

TEST_F(CeDbApi, SortOrdersFixedAtOpen) {
    SORTORDERSPEC sorts[] = {{0x00010040, CEDB_SORT_DESCENDING}, {0x0002001F, 0}, {0x00030002, 0}};
    Create(L"Sorted", 3, sorts);
    HANDLE h = Open(L"Sorted");
    struct {
        ULONGLONG t;
        const wchar_t* s;
        short n;
    } rows[] = {{300, L"banana", 2}, {100, L"apple", 3}, {200, L"cherry", 1}};
    for (int i = 0; i < 3; ++i) {
        CEPROPVAL v[] = {Time(1, rows[i].t), Str(2, rows[i].s), I2(3, rows[i].n), I4(4, i)};
        CeWriteRecordProps(h, 0, 4, v);
    }
    CEPROPVAL noKeys = I4(4, 9);  // a record without the sort properties
    CeWriteRecordProps(h, 0, 1, &noKeys);
    CloseHandle(h);

    HANDLE byTime = Open(L"Sorted", 0x00010040);
    HANDLE byName = Open(L"Sorted", 0x0002001F);
    HANDLE bySlot = Open(L"Sorted", 0x00030002);
    EXPECT_EQ(AllI4(byTime, 0x00040003), (std::vector<LONG>{0, 2, 1, 9}));  // newest first, unknown last
    EXPECT_EQ(AllI4(byName, 0x00040003), (std::vector<LONG>{1, 0, 2, 9}));
    EXPECT_EQ(AllI4(bySlot, 0x00040003), (std::vector<LONG>{2, 0, 1, 9}));
    // A record written through one handle lands in every order.
    CEPROPVAL v[] = {Time(1, 250), Str(2, L"avocado"), I2(3, 0), I4(4, 5)};
    CeWriteRecordProps(byName, 0, 4, v);
    EXPECT_EQ(AllI4(byTime, 0x00040003), (std::vector<LONG>{0, 5, 2, 1, 9}));
    EXPECT_EQ(AllI4(bySlot, 0x00040003), (std::vector<LONG>{5, 2, 0, 1, 9}));
    // Opening on a property that has no sort order fails.
    EXPECT_EQ(Open(L"Sorted", 0x00040003), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(byTime);
    CloseHandle(byName);
    CloseHandle(bySlot);
}

TEST_F(CeDbApi, SeeksByPositionIdAndValue) {
    SORTORDERSPEC sort{0x00010003, 0};
    Create(L"Seek", 1, &sort);
    HANDLE h = Open(L"Seek", 0x00010003);
    CEOID ids[4];
    LONG keys[] = {40, 10, 30, 20};
    for (int i = 0; i < 4; ++i) {
        CEPROPVAL v = I4(1, keys[i]);
        ids[i] = CeWriteRecordProps(h, 0, 1, &v);
    }
    DWORD index = 99;
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 2, &index), ids[2]);  // 10 20 [30] 40
    EXPECT_EQ(index, 2u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CURRENT, static_cast<DWORD>(-1), &index), ids[3]);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_END, 0, &index), ids[0]);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CEOID, ids[1], &index), ids[1]);
    EXPECT_EQ(index, 0u);
    CEPROPVAL key = I4(1, 30);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), nullptr), ids[2]);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_VALUEGREATER, reinterpret_cast<DWORD_PTR>(&key), nullptr), ids[0]);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_VALUESMALLER, reinterpret_cast<DWORD_PTR>(&key), nullptr), ids[3]);
    key.val.lVal = 25;
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&key), nullptr), 0u);
    // A failed seek leaves the position at the end: nothing more to read.
    Read r;
    ReadNext(h, r);
    EXPECT_EQ(r.oid, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_CEOID, 0x7777, nullptr), 0u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 4, nullptr), 0u);
    CloseHandle(h);
}

TEST_F(CeDbApi, PositionAdvancesOnlyWithAutoIncrement) {
    Create(L"Auto");
    HANDLE a = Open(L"Auto");
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEOID dbOid = 0;
    HANDLE still = CeOpenDatabaseEx(&guid, &dbOid, const_cast<LPWSTR>(L"Auto"), 0, 0, nullptr);
    ASSERT_NE(still, INVALID_HANDLE_VALUE);
    EXPECT_NE(dbOid, 0u);
    CEPROPVAL v1 = I4(1, 1), v2 = I4(1, 2);
    CEOID first = CeWriteRecordProps(a, 0, 1, &v1);
    CeWriteRecordProps(a, 0, 1, &v2);
    Read r;
    ReadNext(still, r);
    EXPECT_EQ(r.oid, first);
    ReadNext(still, r);
    EXPECT_EQ(r.oid, first);
    ReadNext(a, r);
    ReadNext(a, r);
    EXPECT_EQ(r.Find(0x00010003)->val.lVal, 2);
    ReadNext(a, r);
    EXPECT_EQ(r.oid, 0u);
    CloseHandle(a);
    CloseHandle(still);
}

TEST_F(CeDbApi, CreateOpenDeleteDatabase) {
    CEOID oid = Create(L"Zentrika Env DB");
    ASSERT_NE(oid, 0u);
    EXPECT_EQ(Create(L"ZENTRIKA ENV db"), 0u);  // names ignore case
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DUP_NAME));
    EXPECT_NE(Create(L"\\Categories Database"), 0u);  // a name no file name could hold
    EXPECT_EQ(Open(L"Missing DB"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEOID byOid = oid;
    HANDLE h = CeOpenDatabaseEx(&guid, &byOid, nullptr, 0, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CeDeleteDatabaseEx(&guid, oid));  // open here
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(h);
    EXPECT_TRUE(CeDeleteDatabaseEx(&guid, oid));
    EXPECT_EQ(Open(L"Zentrika Env DB"), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CeDeleteDatabaseEx(&guid, oid));
    EXPECT_NE(Create(L"Zentrika Env DB"), 0u);
}

TEST_F(CeDbApi, ClosedHandleIsNoLongerUsable) {
    Create(L"Closed");
    HANDLE h = Open(L"Closed");
    CEPROPVAL v = I4(1, 1);
    ASSERT_NE(CeWriteRecordProps(h, 0, 1, &v), 0u);
    ASSERT_TRUE(CloseHandle(h));
    // No other engine call in between: the write itself notices.
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &v), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CeDeleteRecord(h, 1));
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEOID oid = 0;
    HANDLE h2 = CeOpenDatabaseEx(&guid, &oid, const_cast<LPWSTR>(L"Closed"), 0, CEDB_AUTOINCREMENT, nullptr);
    EXPECT_EQ(AllI4(h2, 0x00010003), (std::vector<LONG>{1}));
    CloseHandle(h2);
    EXPECT_TRUE(CeDeleteDatabaseEx(&guid, oid));  // no handle left open
}

TEST_F(CeDbApi, BadInputGetsTheErrorNotACrash) {
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    auto lastError = [] { return GetLastError(); };
    const DWORD inval = ERROR_INVALID_PARAMETER;

    EXPECT_EQ(CeCreateDatabaseEx(nullptr, nullptr), 0u);
    EXPECT_EQ(lastError(), inval);
    EXPECT_EQ(CeCreateDatabaseEx(&guid, nullptr), 0u);
    CEDBASEINFO info{};
    info.dwFlags = CEDB_VALIDNAME;
    EXPECT_EQ(CeCreateDatabaseEx(&guid, &info), 0u);  // empty name
    for (auto& c : info.szDbaseName) c = L'x';         // no terminator
    EXPECT_EQ(CeCreateDatabaseEx(&guid, &info), 0u);
    EXPECT_EQ(lastError(), inval);
    wcscpy(info.szDbaseName, L"Bad sort");
    info.dwFlags |= CEDB_VALIDSORTSPEC;
    info.wNumSortOrder = 5;
    EXPECT_EQ(CeCreateDatabaseEx(&guid, &info), 0u);
    info.wNumSortOrder = 1;
    info.rgSortSpecs[0].propid = 0x00010041;  // a BLOB cannot be sorted
    EXPECT_EQ(CeCreateDatabaseEx(&guid, &info), 0u);
    CEGUID other{1, 2, 3, 4};
    ASSERT_NE(Create(L"Good"), 0u);

    EXPECT_EQ(CeOpenDatabaseEx(&guid, nullptr, nullptr, 0, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CeOpenDatabaseEx(&other, nullptr, const_cast<LPWSTR>(L"Good"), 0, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(CeOpenDatabaseEx(&guid, nullptr, const_cast<LPWSTR>(L"Good"), 0, 0x80, nullptr), INVALID_HANDLE_VALUE);
    CENOTIFYREQUEST req{sizeof req, reinterpret_cast<HWND>(0x1234), CEDB_EXNOTIFICATION, nullptr, 0};
    EXPECT_EQ(CeOpenDatabaseEx(&guid, nullptr, const_cast<LPWSTR>(L"Good"), 0, 0, &req), INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastError(), inval);

    // Calls on handles that are not database handles.
    CEPROPVAL v = I4(1, 1);
    EXPECT_EQ(CeWriteRecordProps(INVALID_HANDLE_VALUE, 0, 1, &v), 0u);
    EXPECT_EQ(lastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(CeWriteRecordProps(nullptr, 0, 1, &v), 0u);
    EXPECT_EQ(CeSeekDatabase(GetCurrentProcess(), CEDB_SEEK_BEGINNING, 0, nullptr), 0u);
    EXPECT_FALSE(CeDeleteRecord(nullptr, 1));

    HANDLE h = Open(L"Good");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 0, &v), 0u);  // no properties
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, nullptr), 0u);
    CEPROPVAL unknown = v;
    unknown.propid = 0x00010099;
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &unknown), 0u);
    CEPROPVAL nullText = Str(1, nullptr);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &nullText), 0u);
    std::wstring longText(CEDB_MAXPROPDATASIZE / 2 + 10, L'a');
    CEPROPVAL tooLong = Str(1, longText.c_str());
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &tooLong), 0u);
    BYTE small[4] = {};
    CEPROPVAL hugeBlob = Blob(1, small, 0x7FFFFFFF);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &hugeBlob), 0u);
    CEPROPVAL nullBlob = Blob(1, nullptr, 10);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &nullBlob), 0u);
    CEPROPVAL wildBlob = Blob(1, reinterpret_cast<void*>(0x10), 64);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &wildBlob), 0u);
    EXPECT_EQ(lastError(), inval);
    EXPECT_EQ(CeWriteRecordProps(h, 0x4242, 1, &v), 0u);  // no such record
    EXPECT_EQ(lastError(), inval);
    EXPECT_FALSE(CeDeleteRecord(h, 0x4242));
    EXPECT_FALSE(CeDeleteRecord(h, 0));
    EXPECT_EQ(CeSeekDatabase(h, 0x8000, 0, nullptr), 0u);
    EXPECT_EQ(CeSeekDatabase(h, CEDB_SEEK_VALUEFIRSTEQUAL, reinterpret_cast<DWORD_PTR>(&v), nullptr), 0u);

    ASSERT_NE(CeWriteRecordProps(h, 0, 1, &v), 0u);
    CeSeekDatabase(h, CEDB_SEEK_BEGINNING, 0, nullptr);
    WORD n = 0;
    DWORD size = 0;
    LPBYTE buf = nullptr;
    EXPECT_EQ(CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, nullptr, nullptr, &buf, &size, nullptr), 0u);
    EXPECT_EQ(CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &n, nullptr, nullptr, &size, nullptr), 0u);
    EXPECT_EQ(CeReadRecordPropsEx(h, 0x40, &n, nullptr, &buf, &size, nullptr), 0u);
    EXPECT_EQ(buf, nullptr);
    EXPECT_FALSE(CeFreeNotification(nullptr, nullptr));
    CloseHandle(h);
}

TEST_F(CeDbApi, TwoHandlesSeeEachOthersChanges) {
    Create(L"Shared");
    HANDLE a = Open(L"Shared");
    HANDLE b = Open(L"Shared");
    CEPROPVAL v = I4(1, 5);
    CEOID oid = CeWriteRecordProps(a, 0, 1, &v);
    EXPECT_EQ(AllI4(b, 0x00010003), (std::vector<LONG>{5}));
    EXPECT_TRUE(CeDeleteRecord(b, oid));
    EXPECT_TRUE(AllI4(a, 0x00010003).empty());
    CloseHandle(a);
    CloseHandle(b);
}

TEST_F(CeDbApi, ManyRewritesCompactTheFileAndKeepEverything) {
    SetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", L"16384");
    Create(L"Churn");
    HANDLE h = Open(L"Churn");
    std::vector<BYTE> block(1836, 0);
    CEOID keep[3];
    for (int i = 0; i < 3; ++i) {
        CEPROPVAL v[] = {I4(1, i), Blob(2, block.data(), 1836)};
        keep[i] = CeWriteRecordProps(h, 0, 2, v);
    }
    for (int round = 0; round < 80; ++round) {
        block[round % 1836] = static_cast<BYTE>(round);
        CEPROPVAL v[] = {I4(1, round), Blob(2, block.data(), 1836)};
        ASSERT_EQ(CeWriteRecordProps(h, keep[round % 3], 2, v), keep[round % 3]);
    }
    CloseHandle(h);
    SetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", nullptr);
    auto files = store.FilesWith(L"churn.cdb");
    ASSERT_EQ(files.size(), 1u);
    WIN32_FILE_ATTRIBUTE_DATA fa;
    GetFileAttributesExW(files[0].c_str(), GetFileExInfoStandard, &fa);
    EXPECT_LT(fa.nFileSizeLow, 80u * 1900u / 2);  // well below the sum of all writes

    h = Open(L"Churn");
    EXPECT_EQ(AllI4(h, 0x00010003), (std::vector<LONG>{78, 79, 77}));
    CeSeekDatabase(h, CEDB_SEEK_CEOID, keep[1], nullptr);
    Read r;
    ReadNext(h, r);
    EXPECT_EQ(memcmp(r.Find(0x00020041)->val.blob.lpb, block.data(), 1836), 0);
    CloseHandle(h);
}

}  // namespace
