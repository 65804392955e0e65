// The data-usage count, shared by two programs: added in a child process
// and read in this one.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "CeDbTestUtil.h"
#include "StoreRecords.h"
#include "stores/CCeNetDB.h"

namespace {

// The agent's side: adds `step` bytes `times` times, each a separate call.
int RunAdder(int times, DWORD step) {
    CCeNetDB net;
    for (int i = 0; i < times; ++i)
        if (!net.AddUsage(step)) return 1;
    return 0;
}

HANDLE StartAdder(int times, DWORD step) {
    wchar_t args[64];
    swprintf(args, 64, L"--add-usage %d %lu", times, step);
    return cedbtest::StartSelf(args);
}

class NetUsage : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"net"};
    CCeNetDB net;
};

TEST_F(NetUsage, AddReadAndReset) {
    EXPECT_EQ(net.ReadUsage(), 0u);
    EXPECT_EQ(net.ResetUsage(), 0);
    EXPECT_TRUE(store.FilesWith(L"net db").empty());  // reading creates nothing
    ASSERT_EQ(net.AddUsage(10), 1);
    ASSERT_EQ(net.AddUsage(5), 1);
    EXPECT_EQ(net.ReadUsage(), 15u);
    EXPECT_EQ(StoredRecords(CCeNetDB::kDatabaseName), 1);
    EXPECT_EQ(net.ResetUsage(), 1);
    EXPECT_TRUE(store.FilesWith(L"net db").empty());
    EXPECT_EQ(net.ReadUsage(), 0u);
    ASSERT_EQ(net.AddUsage(7), 1);
    EXPECT_EQ(net.ReadUsage(), 7u);
    EXPECT_FALSE(net.IsOpen());
    // Years of traffic stop at the largest count instead of starting over.
    net.AddUsage(MAXDWORD - 10);
    net.AddUsage(100);
    EXPECT_EQ(net.ReadUsage(), MAXDWORD);
}

TEST_F(NetUsage, StrayRecordsAreNeitherReadNorKept) {
    net.AddUsage(1);
    net.ResetUsage();
    ASSERT_NE(cedbtest::Create(CCeNetDB::kDatabaseName), 0u);
    HANDLE h = cedbtest::Open(CCeNetDB::kDatabaseName);
    CEPROPVAL stray[] = {cedbtest::Str(1, L"left over"), cedbtest::UI4(2, 99)};
    CEPROPVAL count = cedbtest::UI4(2, 40);
    CeWriteRecordProps(h, 0, 2, stray);
    CeWriteRecordProps(h, 0, 1, &count);
    CloseHandle(h);
    EXPECT_EQ(net.ReadUsage(), 40u);
    ASSERT_EQ(net.AddUsage(2), 1);
    EXPECT_EQ(net.ReadUsage(), 42u);
    EXPECT_EQ(StoredRecords(CCeNetDB::kDatabaseName), 1);
}

TEST_F(NetUsage, CountAddedByAnotherProcessIsReadHere) {
    net.AddUsage(1000);
    HANDLE child = StartAdder(200, 3);
    ASSERT_NE(child, nullptr);
    // Read while the other program adds: the count only grows.
    DWORD last = 1000;
    while (WaitForSingleObject(child, 0) == WAIT_TIMEOUT) {
        DWORD now = net.ReadUsage();
        EXPECT_GE(now, last);
        EXPECT_LE(now, 1600u);
        last = now;
        Sleep(5);
    }
    DWORD code = 99;
    GetExitCodeProcess(child, &code);
    CloseHandle(child);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(net.ReadUsage(), 1600u);
    // And a reset here is seen there: the next add starts again.
    ASSERT_EQ(net.ResetUsage(), 1);
    child = StartAdder(1, 9);
    ASSERT_EQ(WaitForSingleObject(child, 20000), WAIT_OBJECT_0);
    CloseHandle(child);
    EXPECT_EQ(net.ReadUsage(), 9u);
}

}  // namespace

int main(int argc, char** argv) {
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargc == 4 && wcscmp(wargv[1], L"--add-usage") == 0)
        return RunAdder(_wtoi(wargv[2]), static_cast<DWORD>(wcstoul(wargv[3], nullptr, 10)));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
