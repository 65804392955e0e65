// The store base class on the real engine.
#include <gtest/gtest.h>

#include <vector>

#include "CeDbTestUtil.h"
#include "stores/CCeDatabase.h"

namespace {

// A store shaped like the program's own: a name and one sort order.
class NamesDB : public CCeDatabase {
public:
    int Create(LPCWSTR name) override {
        SORTORDERSPEC sort{0x0001001F, 0};
        return CreateWith(name, 15, &sort);
    }
    int OpenDefault(LPCWSTR name) override { return OpenDefaultWith(name, L"Test Names DB", 0x0001001F); }
};

int Add(CCeDatabase& db, const wchar_t* name, LONG n) {
    CEPROPVAL v[] = {cedbtest::Str(1, name), cedbtest::I4(2, n)};
    RecordBuffer b{v, 2, 0};
    return db.WriteRecord(&b) ? static_cast<int>(b.oid) : 0;
}

std::vector<LONG> Load(CCeDatabase& db) {
    std::vector<LONG> out;
    db.SeekFirst();
    RecordBuffer b{nullptr, 0, 0};
    while (db.ReadRecord(&b)) {
        if (b.wCount == 2) out.push_back(b.pProps[1].val.lVal);
        LocalFree(b.pProps);
        b.pProps = nullptr;
    }
    if (b.pProps) LocalFree(b.pProps);
    return out;
}

class CCeDatabaseTest : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"layer"};
};

TEST_F(CCeDatabaseTest, OpenDefaultCreatesWithTheStoresSortOrder) {
    NamesDB db;
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.DatabaseId(), 0u);
    EXPECT_EQ(db.OpenDefault(nullptr), 1);
    ASSERT_TRUE(db.IsOpen());
    EXPECT_NE(db.DatabaseId(), 0u);
    Add(db, L"delta", 4);
    Add(db, L"alpha", 1);
    Add(db, L"charlie", 3);
    // Already open: 0, and the handle stays as it was.
    HANDLE before = db.Handle();
    EXPECT_EQ(db.OpenDefault(nullptr), 0);
    EXPECT_EQ(db.Handle(), before);
    EXPECT_EQ(db.Close(), 1);
    EXPECT_EQ(db.Close(), 0);
    // Reopened on its sort property: name order.
    EXPECT_EQ(db.OpenDefault(nullptr), 1);
    EXPECT_EQ(Load(db), (std::vector<LONG>{1, 3, 4}));
    db.Close();
}

TEST_F(CCeDatabaseTest, RecordCallsAndTheirResults) {
    CCeDatabase db;
    RecordBuffer b{nullptr, 0, 0};
    EXPECT_EQ(db.ReadRecord(&b), 0);  // closed: every call gives 0
    EXPECT_EQ(db.WriteRecord(&b), 0);
    EXPECT_EQ(db.SeekFirst(), 0);
    EXPECT_EQ(db.DeleteRecord(1), 0);
    EXPECT_EQ(db.OpenDefault(nullptr), 0);  // the base has no name of its own
    ASSERT_EQ(db.OpenDefault(L"Plain DB"), 1);

    int first = Add(db, L"a", 10);
    int second = Add(db, L"b", 20);
    ASSERT_NE(first, 0);
    EXPECT_EQ(db.SeekById(second), 1);
    ASSERT_EQ(db.ReadRecord(&b), 1);
    EXPECT_EQ(b.oid, static_cast<CEOID>(second));
    EXPECT_EQ(b.wCount, 2);
    EXPECT_EQ(b.pProps[1].val.lVal, 20);
    LocalFree(b.pProps);
    // Past the last record: 0, nothing to free or a buffer the caller frees.
    EXPECT_EQ(db.ReadRecord(&b), 0);
    EXPECT_EQ(b.oid, 0u);
    if (b.pProps) LocalFree(b.pProps);
    EXPECT_EQ(db.SeekById(0x5555), 0);

    // Update in place keeps the id; a failed write reports failure.
    CEPROPVAL v = cedbtest::I4(2, 11);
    RecordBuffer update{&v, 1, static_cast<CEOID>(first)};
    EXPECT_EQ(db.WriteRecord(&update), 1);
    EXPECT_EQ(update.oid, static_cast<CEOID>(first));
    CEPROPVAL bad = v;
    bad.propid = 0x00020077;
    RecordBuffer wrong{&bad, 1, static_cast<CEOID>(first)};
    EXPECT_EQ(db.WriteRecord(&wrong), 0);
    EXPECT_EQ(wrong.oid, static_cast<CEOID>(first));
    RecordBuffer missing{&v, 1, 0x4444};
    EXPECT_EQ(db.WriteRecord(&missing), 0);
    EXPECT_EQ(Load(db), (std::vector<LONG>{11, 20}));
    EXPECT_TRUE(db.DeleteRecord(first));
    EXPECT_EQ(Load(db), (std::vector<LONG>{20}));
    db.Close();
}

TEST_F(CCeDatabaseTest, DeleteDatabaseByItsIdThenMadeAnew) {
    NamesDB db;
    ASSERT_EQ(db.OpenDefault(nullptr), 1);
    Add(db, L"x", 1);
    db.Close();
    EXPECT_TRUE(db.DeleteDatabase());
    EXPECT_EQ(db.OpenDefault(nullptr), 1);
    EXPECT_TRUE(Load(db).empty());
    // Deleting while open closes first rather than failing.
    EXPECT_TRUE(db.DeleteDatabase());
    EXPECT_FALSE(db.IsOpen());
}

// Another program makes the database between this store's failed open and
// its own create, which then finds the name taken.
class RacedDB : public NamesDB {
public:
    int Create(LPCWSTR name) override {
        ++creates;
        SORTORDERSPEC sort{0x0001001F, 0};
        cedbtest::Create(name, 1, &sort);
        return NamesDB::Create(name);
    }
    int creates = 0;
};

TEST_F(CCeDatabaseTest, OpenDefaultOpensADatabaseAnotherProgramMadeAMomentEarlier) {
    RacedDB db;
    EXPECT_EQ(db.OpenDefault(nullptr), 1);
    ASSERT_TRUE(db.IsOpen());
    EXPECT_EQ(db.creates, 1);
    EXPECT_NE(Add(db, L"a", 1), 0);
    db.Close();
    // It is the one database of that name.
    HANDLE h = cedbtest::Open(L"Test Names DB");
    EXPECT_EQ(cedbtest::AllI4(h, 0x00020003), (std::vector<LONG>{1}));
    CloseHandle(h);
}

TEST_F(CCeDatabaseTest, NotificationRequestOfAnOpenWithAWindow) {
    CCeDatabase db;
    HWND wnd = CreateWindowW(L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(wnd, nullptr);
    db.Create(L"Watched DB");
    ASSERT_EQ(db.Open(L"Watched DB", 0, wnd), 1);
    EXPECT_EQ(db.NotifyWindow(), wnd);
    EXPECT_EQ(db.NotifyRequest().dwSize, sizeof(CENOTIFYREQUEST));
    EXPECT_EQ(db.NotifyRequest().hwnd, wnd);
    EXPECT_EQ(db.NotifyRequest().dwFlags, 1u);
    EXPECT_EQ(db.NotifyRequest().hHeap, nullptr);
    EXPECT_EQ(db.NotifyRequest().dwParam, 0u);
    // A second Open on the open store clears the window and keeps the handle.
    EXPECT_EQ(db.Open(L"Watched DB", 0, wnd), 0);
    EXPECT_EQ(db.NotifyWindow(), nullptr);
    EXPECT_TRUE(db.IsOpen());
    db.Close();
    // A failed open clears the window too.
    EXPECT_EQ(db.Open(L"No Such DB", 0, wnd), 0);
    EXPECT_EQ(db.NotifyWindow(), nullptr);
    EXPECT_FALSE(db.IsOpen());
    DestroyWindow(wnd);
}

}  // namespace
