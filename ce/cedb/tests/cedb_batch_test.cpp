// Many new records in one call: all of them or none, each checked as a
// single write is, and read back from the file like any other records.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ce/cedb/CeDbBatch.h"
#include "windbase.h"

using namespace cedbtest;

namespace {

class CeDbBatch : public ::testing::Test {
protected:
    ScopedStore store{L"batch"};
};

// Records of one I4 (the index) and one string each.
struct Records {
    std::vector<std::wstring> texts;
    std::vector<std::vector<CEPROPVAL>> values;
    std::vector<CEPROPVAL*> pointers;
    std::vector<WORD> counts;
    explicit Records(int n, LONG first = 0) : texts(n), values(n) {
        for (int i = 0; i < n; ++i) {
            texts[i] = L"record " + std::to_wstring(first + i);
            values[i] = {I4(1, first + i), Str(2, texts[i].c_str())};
        }
        for (auto& v : values) {
            pointers.push_back(v.data());
            counts.push_back(static_cast<WORD>(v.size()));
        }
    }
    DWORD size() const { return static_cast<DWORD>(values.size()); }
};

TEST_F(CeDbBatch, AllRecordsGoInWithTheirOwnIds) {
    ASSERT_NE(Create(L"Batch"), 0u);
    HANDLE h = Open(L"Batch");
    HANDLE other = Open(L"Batch");
    CEPROPVAL single = I4(1, -1);
    CEOID first = CeWriteRecordProps(h, 0, 1, &single);
    Records recs(300);
    std::vector<CEOID> ids(recs.size(), 0);
    ASSERT_TRUE(CeWriteNewRecords(h, recs.size(), recs.counts.data(), recs.pointers.data(), ids.data()));
    for (size_t i = 0; i < ids.size(); ++i) ASSERT_EQ(ids[i], first + 1 + i);
    // Another handle sees them, in order, after the record written before.
    std::vector<LONG> seen = AllI4(other, 0x00010003);
    ASSERT_EQ(seen.size(), 301u);
    EXPECT_EQ(seen[0], -1);
    EXPECT_EQ(seen[300], 299);
    CeSeekDatabase(other, CEDB_SEEK_CEOID, ids[123], nullptr);
    Read r;
    ReadNext(other, r);
    ASSERT_NE(r.Find(0x0002001F), nullptr);
    EXPECT_STREQ(r.Find(0x0002001F)->val.lpwstr, L"record 123");
    // Single writes after a batch continue the file.
    CEOID after = CeWriteRecordProps(h, 0, 1, &single);
    EXPECT_EQ(after, ids.back() + 1);
    CloseHandle(h);
    CloseHandle(other);

    // A copy of the file read from scratch holds the same records.
    auto files = store.FilesWith(L"batch.cdb");
    ASSERT_EQ(files.size(), 1u);
    ASSERT_TRUE(CopyFileW(files[0].c_str(), (store.Folder() + L"\\copy.cdb").c_str(), FALSE));
    HANDLE copy = Open(L"Copy");
    ASSERT_NE(copy, INVALID_HANDLE_VALUE);
    seen = AllI4(copy, 0x00010003);
    ASSERT_EQ(seen.size(), 302u);
    EXPECT_EQ(seen[150], 149);
    CloseHandle(copy);
}

TEST_F(CeDbBatch, OneBadRecordStopsTheWholeBatch) {
    Create(L"Batch");
    HANDLE h = Open(L"Batch");
    Records recs(5);
    CEPROPVAL badType = I4(3, 0);
    badType.propid = (3u << 16) | 0x55;  // no such type
    recs.pointers[3] = &badType;
    recs.counts[3] = 1;
    SetLastError(0);
    EXPECT_FALSE(CeWriteNewRecords(h, recs.size(), recs.counts.data(), recs.pointers.data(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    std::vector<BYTE> huge(CEDB_MAXRECORDSIZE, 1);
    CEPROPVAL big = Blob(4, huge.data(), static_cast<DWORD>(huge.size()));
    recs.pointers[3] = &big;
    EXPECT_FALSE(CeWriteNewRecords(h, recs.size(), recs.counts.data(), recs.pointers.data(), nullptr));
    EXPECT_TRUE(AllI4(h, 0x00010003).empty());

    // Bad arguments and a closed handle get their errors.
    Records ok(2);
    EXPECT_FALSE(CeWriteNewRecords(h, 0, ok.counts.data(), ok.pointers.data(), nullptr));
    EXPECT_FALSE(CeWriteNewRecords(h, 2, nullptr, ok.pointers.data(), nullptr));
    EXPECT_FALSE(CeWriteNewRecords(h, 2, ok.counts.data(), nullptr, nullptr));
    EXPECT_TRUE(CeWriteNewRecords(h, 2, ok.counts.data(), ok.pointers.data(), nullptr));
    CloseHandle(h);
    SetLastError(0);
    EXPECT_FALSE(CeWriteNewRecords(h, 2, ok.counts.data(), ok.pointers.data(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    h = Open(L"Batch");
    EXPECT_EQ(AllI4(h, 0x00010003), (std::vector<LONG>{0, 1}));
    CloseHandle(h);
}

TEST_F(CeDbBatch, ABatchBeyondTheRecordLimitIsRefusedWhole) {
    Create(L"Full");
    HANDLE h = Open(L"Full");
    Records first(CEDB_MAXNUMRECORDS - 10);
    ASSERT_TRUE(CeWriteNewRecords(h, first.size(), first.counts.data(), first.pointers.data(), nullptr));
    Records more(11);
    SetLastError(0);
    EXPECT_FALSE(CeWriteNewRecords(h, more.size(), more.counts.data(), more.pointers.data(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    Records fits(10);
    EXPECT_TRUE(CeWriteNewRecords(h, fits.size(), fits.counts.data(), fits.pointers.data(), nullptr));
    EXPECT_EQ(AllI4(h, 0x00010003).size(), static_cast<size_t>(CEDB_MAXNUMRECORDS));
    CloseHandle(h);
}

// The other process: batches of 100 records, each record holding its
// batch's number, until it is killed.
int RunBatchWriter(const wchar_t* db, int firstBatch) {
    HANDLE h = Open(db);
    if (h == INVALID_HANDLE_VALUE) return 2;
    for (int batch = firstBatch; batch < firstBatch + 400; ++batch) {
        std::vector<CEPROPVAL> values(100);
        std::vector<CEPROPVAL*> pointers(100);
        std::vector<WORD> counts(100, 1);
        for (int i = 0; i < 100; ++i) {
            values[i] = I4(1, batch);
            pointers[i] = &values[i];
        }
        if (!CeWriteNewRecords(h, 100, counts.data(), pointers.data(), nullptr)) return 3;
    }
    CloseHandle(h);
    return 0;
}

std::wstring SelfPath() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST_F(CeDbBatch, AKilledWriterLeavesWholeBatchesOnly) {
    Create(L"Killed");
    int nextBatch = 0;
    for (int round = 0; round < 4; ++round) {
        std::wstring cmd = L"\"" + SelfPath() + L"\" --batch-writer Killed " + std::to_wstring(nextBatch);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        // Once it writes, let it write a while, a different while each round.
        HANDLE watch = Open(L"Killed");
        for (int wait = 0; wait < 1000 && AllI4(watch, 0x00010003).size() <= nextBatch * 100u; ++wait) Sleep(10);
        CloseHandle(watch);
        Sleep(20 + 37 * round);
        EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "writer ended early";
        TerminateProcess(pi.hProcess, 9);
        WaitForSingleObject(pi.hProcess, 10000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);

        HANDLE h = Open(L"Killed");
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << "round " << round;
        std::vector<LONG> all = AllI4(h, 0x00010003);
        CloseHandle(h);
        std::map<LONG, int> perBatch;
        for (LONG b : all) ++perBatch[b];
        for (auto& kv : perBatch) EXPECT_EQ(kv.second, 100) << "round " << round << ", batch " << kv.first;
        ASSERT_EQ(all.size() % 100, 0u) << "round " << round;
        ASSERT_GT(all.size(), nextBatch * 100u) << "round " << round;
        for (size_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], static_cast<LONG>(i / 100));
        nextBatch = static_cast<int>(all.size() / 100);
    }
    EXPECT_TRUE(store.FilesWith(L"damaged").empty());
}

}  // namespace

int main(int argc, char** argv) {
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargc == 4 && wcscmp(wargv[1], L"--batch-writer") == 0) return RunBatchWriter(wargv[2], _wtoi(wargv[3]));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
