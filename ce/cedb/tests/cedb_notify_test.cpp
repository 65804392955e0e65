// Change notifications to a window, from this process and from another.
// "--notify-writer <db> <event>" is the other process: three records, an
// update, a deletion, then, once <event> is set, deletion of the database.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "CeDbTestUtil.h"
#include "WinTest.h"
#include "windbase.h"

using namespace cedbtest;

namespace {

struct Seen {
    UINT type;
    CEOID oid, parent;
    DWORD param;
};
std::vector<Seen> g_seen;
CENOTIFYREQUEST g_request;
int g_freeFailures = 0;

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DBNOTIFICATION) {
        auto* n = reinterpret_cast<CENOTIFICATION*>(lp);
        g_seen.push_back({n->uType, n->oid, n->oidParent, n->dwParam});
        if (!CeFreeNotification(&g_request, n)) ++g_freeFailures;
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

HWND MakeWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CeDbNotifyTest";
    RegisterClassW(&wc);
    return CreateWindowW(L"CeDbNotifyTest", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}

int RunNotifyWriter(const wchar_t* db, const wchar_t* eventName) {
    HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, eventName);
    HANDLE h = Open(db);
    if (!go || h == INVALID_HANDLE_VALUE) return 2;
    CEOID ids[3];
    for (LONG i = 0; i < 3; ++i) {
        CEPROPVAL v = I4(1, i);
        ids[i] = CeWriteRecordProps(h, 0, 1, &v);
    }
    CEPROPVAL v = I4(1, 42);
    CeWriteRecordProps(h, ids[1], 1, &v);
    CeDeleteRecord(h, ids[2]);
    CEOID dbOid = 0;
    CloseHandle(h);
    if (WaitForSingleObject(go, 10000) != WAIT_OBJECT_0) return 3;
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    HANDLE again = CeOpenDatabaseEx(&guid, &dbOid, const_cast<LPWSTR>(db), 0, 0, nullptr);
    CloseHandle(again);
    return CeDeleteDatabaseEx(&guid, dbOid) ? 0 : 4;
}

// Writes one record and is ended by the engine right after the commit, as a
// writer killed at that moment would be.
int RunCommitAndDie(const wchar_t* db) {
    HANDLE h = Open(db);
    if (h == INVALID_HANDLE_VALUE) return 2;
    SetEnvironmentVariableW(L"ZEN_CEDB_FAULT", L"exit-after-commit");
    CEPROPVAL v = I4(1, 7);
    CeWriteRecordProps(h, 0, 1, &v);
    return 3;  // the fault point was never reached
}

class CeDbNotify : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_freeFailures = 0;
        window = MakeWindow();
        ASSERT_NE(window, nullptr);
        g_request = {sizeof(CENOTIFYREQUEST), window, CEDB_EXNOTIFICATION, nullptr, 0xBEEF};
    }
    void TearDown() override { DestroyWindow(window); }
    ScopedStore store{L"notify"};
    HWND window = nullptr;
};

TEST_F(CeDbNotify, ChangesThroughAnyHandleReachTheWindow) {
    Create(L"Local");
    HANDLE watched = Open(L"Local", 0, &g_request);
    ASSERT_NE(watched, INVALID_HANDLE_VALUE);
    HANDLE writer = Open(L"Local");
    CEPROPVAL v = I4(1, 1);
    CEOID oid = CeWriteRecordProps(writer, 0, 1, &v);
    CeWriteRecordProps(writer, oid, 1, &v);
    CeDeleteRecord(writer, oid);
    ASSERT_TRUE(zentest::WaitUntil([] { return g_seen.size() >= 3; }, 3000));
    EXPECT_EQ(g_seen[0].type, static_cast<UINT>(DB_CEOID_CREATED));
    EXPECT_EQ(g_seen[1].type, static_cast<UINT>(DB_CEOID_CHANGED));
    EXPECT_EQ(g_seen[2].type, static_cast<UINT>(DB_CEOID_RECORD_DELETED));
    for (const Seen& s : g_seen) {
        EXPECT_EQ(s.oid, oid);
        EXPECT_EQ(s.param, 0xBEEFu);
    }
    EXPECT_EQ(g_freeFailures, 0);
    // Once the watching handle is closed the window hears nothing more.
    CloseHandle(watched);
    CeWriteRecordProps(writer, 0, 1, &v);
    zentest::PumpMessages(1300);
    EXPECT_EQ(g_seen.size(), 3u);
    CloseHandle(writer);
}

TEST_F(CeDbNotify, ChangesOfAnotherProcessReachTheWindow) {
    CEOID dbOid = Create(L"Remote");
    HANDLE watched = Open(L"Remote", 0, &g_request);
    ASSERT_NE(watched, INVALID_HANDLE_VALUE);
    wchar_t eventName[64];
    swprintf(eventName, 64, L"Local\\CeDbNotifyGo%lu", GetCurrentProcessId());
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, eventName);

    wchar_t args[128];
    swprintf(args, 128, L"--notify-writer Remote %ls", eventName);
    PROCESS_INFORMATION pi{};
    pi.hProcess = StartSelf(args);
    ASSERT_NE(pi.hProcess, nullptr);

    ASSERT_TRUE(zentest::WaitUntil([] { return g_seen.size() >= 5; }, 8000)) << g_seen.size() << " seen";
    UINT want[] = {DB_CEOID_CREATED, DB_CEOID_CREATED, DB_CEOID_CREATED, DB_CEOID_CHANGED, DB_CEOID_RECORD_DELETED};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(g_seen[i].type, want[i]) << i;
        EXPECT_EQ(g_seen[i].parent, dbOid);
    }
    EXPECT_NE(g_seen[0].oid, g_seen[1].oid);
    EXPECT_EQ(g_seen[3].oid, g_seen[1].oid);
    EXPECT_EQ(g_seen[4].oid, g_seen[2].oid);
    // Our handle sees the other process's records too.
    EXPECT_EQ(AllI4(watched, 0x00010003), (std::vector<LONG>{0, 42}));

    SetEvent(go);
    ASSERT_TRUE(zentest::WaitUntil([] { return g_seen.size() >= 6; }, 8000));
    EXPECT_EQ(g_seen[5].type, static_cast<UINT>(DB_CEOID_DATABASE_DELETED));
    EXPECT_EQ(g_seen[5].oid, dbOid);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    // Calls on a handle whose database is gone fail cleanly.
    CEPROPVAL v = I4(1, 1);
    EXPECT_EQ(CeWriteRecordProps(watched, 0, 1, &v), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(g_freeFailures, 0);
    CloseHandle(watched);
    CloseHandle(pi.hProcess);
    CloseHandle(go);
}

TEST_F(CeDbNotify, AWriterKilledRightAfterItsCommitLeavesNoStaleView) {
    CEOID dbOid = Create(L"Killed");
    HANDLE watched = Open(L"Killed", 0, &g_request);
    HANDLE plain = Open(L"Killed");
    ASSERT_NE(watched, INVALID_HANDLE_VALUE);
    ASSERT_NE(plain, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(AllI4(plain, 0x00010003).empty());

    HANDLE child = StartSelf(L"--commit-and-die Killed");
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child, &code);
    CloseHandle(child);
    ASSERT_EQ(code, 9u) << "the writer was not ended at its commit";

    // A handle that was open all along reads the committed record at once,
    // and the watching window hears of it.
    EXPECT_EQ(AllI4(plain, 0x00010003), (std::vector<LONG>{7}));
    ASSERT_TRUE(zentest::WaitUntil([] { return !g_seen.empty(); }, 3000)) << "no notification";
    EXPECT_EQ(g_seen[0].type, static_cast<UINT>(DB_CEOID_CREATED));
    EXPECT_EQ(g_seen[0].parent, dbOid);
    // The database stays usable for everyone.
    CEPROPVAL v = I4(1, 8);
    EXPECT_NE(CeWriteRecordProps(plain, 0, 1, &v), 0u);
    EXPECT_EQ(AllI4(watched, 0x00010003), (std::vector<LONG>{7, 8}));
    CloseHandle(plain);
    CloseHandle(watched);
}

// A database file removed by hand (not through the engine) announces
// nothing itself: the watching window still hears that the database is
// gone, and handles open on it stop reading the old records.
TEST_F(CeDbNotify, AFileRemovedByHandIsReportedAsADeletedDatabase) {
    CEOID dbOid = Create(L"ByHand");
    HANDLE watched = Open(L"ByHand", 0, &g_request);
    HANDLE plain = Open(L"ByHand");
    ASSERT_NE(watched, INVALID_HANDLE_VALUE);
    ASSERT_NE(plain, INVALID_HANDLE_VALUE);
    CEPROPVAL v = I4(1, 5);
    ASSERT_NE(CeWriteRecordProps(plain, 0, 1, &v), 0u);
    ASSERT_TRUE(zentest::WaitUntil([] { return !g_seen.empty(); }, 3000));
    g_seen.clear();

    ASSERT_TRUE(DeleteFileW(FileOf(L"ByHand").c_str())) << GetLastError();
    ASSERT_TRUE(zentest::WaitUntil([] { return !g_seen.empty(); }, 5000)) << "no notification";
    EXPECT_EQ(g_seen[0].type, static_cast<UINT>(DB_CEOID_DATABASE_DELETED));
    EXPECT_EQ(g_seen[0].oid, dbOid);
    EXPECT_TRUE(AllI4(plain, 0x00010003).empty());
    EXPECT_EQ(CeWriteRecordProps(plain, 0, 1, &v), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(plain);
    CloseHandle(watched);
    // Made anew under the name: a new open reads the new database.
    Create(L"ByHand");
    HANDLE fresh = Open(L"ByHand");
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(AllI4(fresh, 0x00010003).empty());
    CloseHandle(fresh);
    EXPECT_EQ(g_freeFailures, 0);
}

}  // namespace

int main(int argc, char** argv) {
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargc == 4 && wcscmp(wargv[1], L"--notify-writer") == 0) return RunNotifyWriter(wargv[2], wargv[3]);
    if (wargc == 3 && wcscmp(wargv[1], L"--commit-and-die") == 0) return RunCommitAndDie(wargv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
