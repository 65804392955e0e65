// Durability: writers killed at random moments, damaged and truncated
// files, several processes writing at once.
//
// The same program is the writer child: "--writer <db> <round> <id> <log>"
// runs a fixed sequence of creates, updates and deletes and appends the
// number of each operation to <log> after the call returned success.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "CeDbTestUtil.h"
#include "ce/cedb/CeDbFormat.h"
#include "windbase.h"

using namespace cedbtest;

namespace {

constexpr CEPROPID kKey = 0x00010003, kVersion = 0x00020003, kText = 0x0003001F, kData = 0x00040041,
                   kStamp = 0x00050040;

// The content a record must have for its key and version.
std::wstring TextFor(LONG key, LONG version) {
    wchar_t buf[64];
    swprintf(buf, 64, L"레코드 %ld/%ld ", key, version);
    std::wstring s;
    for (int i = 0; i < 1 + (key + version) % 5; ++i) s += buf;
    return s;
}
std::vector<BYTE> DataFor(LONG key, LONG version) {
    std::vector<BYTE> d(static_cast<size_t>((key * 37 + version * 101) % 3000));
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<BYTE>(key * 13 + version * 7 + i);
    return d;
}

// The operation sequence, the same in the writer and in the checker.
struct Op {
    enum Kind { Add, Update, Remove } kind;
    LONG key;
};
class Script {
public:
    // Churn keeps a few records and rewrites them over and over, so the
    // engine keeps rewriting its file.
    Script(LONG base, unsigned seed, bool churn) : base_(base), rng_(seed), churn_(churn) {}
    Op Next() {
        rng_ = rng_ * 1103515245u + 12345u;
        unsigned r = (rng_ >> 8) % 10;
        Op op{Op::Add, 0};
        bool change = churn_ ? !live_.empty() && (live_.size() >= 3 || r < 8) : !live_.empty() && r < 3;
        if (change) {
            auto it = live_.begin();
            std::advance(it, (rng_ >> 4) % live_.size());
            op = {(churn_ ? r != 9 : r < 2) ? Op::Update : Op::Remove, it->first};
        } else {
            op.key = base_ + next_++;
        }
        Apply(op);
        return op;
    }
    const std::map<LONG, LONG>& Live() const { return live_; }

private:
    void Apply(const Op& op) {
        if (op.kind == Op::Add) live_[op.key] = 0;
        if (op.kind == Op::Update) live_[op.key]++;
        if (op.kind == Op::Remove) live_.erase(op.key);
    }
    LONG base_;
    unsigned rng_;
    bool churn_;
    LONG next_ = 0;
    std::map<LONG, LONG> live_;
};

LONG BaseFor(int round, int id) { return round * 100000 + id * 10000; }
constexpr int kFirstChurnRound = 50;
Script ScriptFor(int round, int id) {
    return Script(BaseFor(round, id), static_cast<unsigned>(round * 31 + id), round >= kFirstChurnRound);
}

int RunWriter(const wchar_t* db, int round, int id, const wchar_t* logPath) {
    HANDLE log = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    HANDLE h = Open(db);
    if (h == INVALID_HANDLE_VALUE && Create(db)) h = Open(db);  // when run by hand
    if (h == INVALID_HANDLE_VALUE || log == INVALID_HANDLE_VALUE) return 2;
    Script script = ScriptFor(round, id);
    std::map<LONG, CEOID> oids;
    for (int i = 0;; ++i) {
        Op op = script.Next();
        BOOL ok = FALSE;
        if (op.kind == Op::Remove) {
            ok = CeDeleteRecord(h, oids[op.key]);
            oids.erase(op.key);
        } else {
            LONG version = script.Live().at(op.key);
            std::wstring text = TextFor(op.key, version);
            std::vector<BYTE> data = DataFor(op.key, version);
            CEPROPVAL v[] = {I4(1, op.key), I4(2, version), Str(3, text.c_str()),
                             Blob(4, data.data(), static_cast<DWORD>(data.size())),
                             Time(5, 0x01C0000000000000ull + static_cast<ULONGLONG>(op.key) * 1000 + version)};
            CEOID oid = CeWriteRecordProps(h, op.kind == Op::Add ? 0 : oids[op.key], 5, v);
            if (op.kind == Op::Add) oids[op.key] = oid;
            ok = oid != 0;
        }
        if (!ok) return 3;
        char line[32];
        int n = snprintf(line, sizeof line, "%d\n", i);
        DWORD put;
        WriteFile(log, line, static_cast<DWORD>(n), &put, nullptr);
    }
}

// Number of operations the log says returned success.
int CompletedOps(const std::wstring& logPath) {
    HANDLE f = CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    std::string text;
    char buf[4096];
    DWORD got;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
    CloseHandle(f);
    int last = -1;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        last = atoi(text.substr(start, nl - start).c_str());  // only whole lines count
    return last + 1;
}

// Every record of the database, checked for intact content: key -> version.
std::map<LONG, LONG> ReadState(const wchar_t* db, LONG from, LONG to, bool& intact) {
    std::map<LONG, LONG> state;
    intact = true;
    HANDLE h = Open(db);
    if (h == INVALID_HANDLE_VALUE) {
        intact = false;
        return state;
    }
    for (;;) {
        Read r;
        ReadNext(h, r);
        if (!r.oid) break;
        const CEPROPVAL* key = r.Find(kKey);
        const CEPROPVAL* ver = r.Find(kVersion);
        const CEPROPVAL* text = r.Find(kText);
        const CEPROPVAL* data = r.Find(kData);
        if (!key || !ver || !text || !data || !r.Find(kStamp) || r.count != 5) {
            intact = false;
            continue;
        }
        if (key->val.lVal < from || key->val.lVal >= to) continue;
        std::vector<BYTE> want = DataFor(key->val.lVal, ver->val.lVal);
        if (TextFor(key->val.lVal, ver->val.lVal) != text->val.lpwstr || data->val.blob.dwCount != want.size() ||
            (!want.empty() && memcmp(data->val.blob.lpb, want.data(), want.size()) != 0))
            intact = false;
        if (state.count(key->val.lVal)) intact = false;  // one record per key
        state[key->val.lVal] = ver->val.lVal;
    }
    CloseHandle(h);
    return state;
}

HANDLE StartWriter(const wchar_t* db, int round, int id, const std::wstring& log) {
    wchar_t args[MAX_PATH * 3];
    swprintf(args, MAX_PATH * 3, L"--writer \"%ls\" %d %d \"%ls\"", db, round, id, log.c_str());
    return StartSelf(args);
}

// After a kill, the records of one writer are the result of every logged
// operation, plus at most the one that was under way.
void CheckWriter(const wchar_t* db, int round, int id, int done, std::map<LONG, LONG>& actual) {
    Script script = ScriptFor(round, id);
    for (int i = 0; i < done; ++i) script.Next();
    std::map<LONG, LONG> before = script.Live();
    script.Next();
    std::map<LONG, LONG> after = script.Live();
    EXPECT_TRUE(actual == before || actual == after)
        << "writer " << id << " round " << round << ": " << done << " ops logged, " << actual.size()
        << " records, expected " << before.size() << " or " << after.size();
    (void)db;
}

class CeDbCrash : public ::testing::Test {
protected:
    ScopedStore store{L"crash"};
};

// Rounds of two writers at once on `db`, each killed at a random moment;
// returns the number of operations they logged. Each writer gets to log
// `minOps` operations first.
int KillRounds(const ScopedStore& store, const wchar_t* db, int firstRound, int rounds, int minOps) {
    std::map<LONG, LONG> earlier;  // records of finished rounds must stay as they were
    int totalOps = 0;
    unsigned seed = GetTickCount();
    bool intact = false;
    earlier = ReadState(db, 0, BaseFor(firstRound, 0), intact);
    for (int round = firstRound; round < firstRound + rounds; ++round) {
        // Two writers at once on the same database, killed one after the other.
        std::wstring logs[2];
        HANDLE procs[2];
        for (int id = 0; id < 2; ++id) {
            logs[id] = store.Folder() + L"\\w" + std::to_wstring(round) + L"-" + std::to_wstring(id) + L".log";
            procs[id] = StartWriter(db, round, id, logs[id]);
            EXPECT_NE(procs[id], nullptr);
            if (!procs[id]) return totalOps;
        }
        // Kill once both are well into writing, at a random moment.
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 15000 &&
               (CompletedOps(logs[0]) < minOps || CompletedOps(logs[1]) < minOps))
            Sleep(5);
        seed = seed * 1103515245u + 12345u;
        Sleep((seed >> 8) % 60);
        TerminateProcess(procs[0], 9);
        Sleep((seed >> 4) % 40);
        TerminateProcess(procs[1], 9);
        for (HANDLE p : procs) {
            WaitForSingleObject(p, 5000);
            DWORD code = 0;
            GetExitCodeProcess(p, &code);
            EXPECT_EQ(code, 9u) << "a writer stopped by itself";
            CloseHandle(p);
        }
        for (int id = 0; id < 2; ++id) {
            std::map<LONG, LONG> mine = ReadState(db, BaseFor(round, id), BaseFor(round, id) + 10000, intact);
            EXPECT_TRUE(intact) << "damaged or unreadable after round " << round;
            if (!intact) return totalOps;
            int done = CompletedOps(logs[id]);
            totalOps += done;
            CheckWriter(db, round, id, done, mine);
        }
        EXPECT_EQ(ReadState(db, 0, BaseFor(round, 0), intact), earlier);
        earlier = ReadState(db, 0, BaseFor(round + 1, 0), intact);
        EXPECT_TRUE(store.FilesWith(L"damaged").empty());
    }
    return totalOps;
}

TEST_F(CeDbCrash, KilledWritersNeverLoseACommittedRecord) {
    ASSERT_NE(Create(L"Crash DB"), 0u);
    EXPECT_GE(KillRounds(store, L"Crash DB", 1, 6, 10), 6 * 2 * 10);
}

TEST_F(CeDbCrash, KilledWhileTheFileIsRewrittenLosesNothing) {
    // Rewrite the file as soon as it holds 8 KB of old versions: most kills
    // then land near a rewrite.
    SetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", L"8192");
    ASSERT_NE(Create(L"Churn DB"), 0u);
    auto files = store.FilesWith(L"churn db.cdb");
    ASSERT_EQ(files.size(), 1u);
    std::vector<BYTE> firstHeader = Slurp(files[0]);
    firstHeader.resize(256);
    int ops = KillRounds(store, L"Churn DB", kFirstChurnRound, 4, 25);
    SetEnvironmentVariableW(L"ZEN_CEDB_COMPACT_BYTES", nullptr);
    EXPECT_GE(ops, 4 * 2 * 25);
    // The file was rewritten on the way: its header is only ever written
    // when the whole file is.
    std::vector<BYTE> header = Slurp(files[0]);
    header.resize(256);
    EXPECT_NE(header, firstHeader) << ops << " operations";
}

std::wstring DbFile(const ScopedStore& s, const wchar_t* lowerName) {
    std::wstring want = std::wstring(L"\\") + lowerName + L".cdb";
    for (const std::wstring& f : s.FilesWith(want.c_str() + 1))
        if (f.size() >= want.size() && f.compare(f.size() - want.size(), want.size(), want) == 0) return f;
    return L"";
}

// Makes "Victim" with three records and returns its file's bytes.
std::vector<BYTE> MakeVictim(const ScopedStore& s) {
    Create(L"Victim");
    HANDLE h = Open(L"Victim");
    for (LONG i = 1; i <= 3; ++i) {
        std::wstring text(50, static_cast<wchar_t>(L'a' + i));
        CEPROPVAL v[] = {I4(1, i), Str(2, text.c_str())};
        CeWriteRecordProps(h, 0, 2, v);
    }
    CloseHandle(h);
    return Slurp(DbFile(s, L"victim"));
}

void ExpectSetAside(const ScopedStore& s, const char* what) {
    SetLastError(0);
    EXPECT_EQ(Open(L"Victim"), INVALID_HANDLE_VALUE) << what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT)) << what;
    EXPECT_EQ(s.FilesWith(L"damaged").size(), 1u) << what;
    EXPECT_EQ(DbFile(s, L"victim"), L"") << what;
    // The name is free again: the store can start anew.
    EXPECT_NE(Create(L"Victim"), 0u) << what;
    HANDLE h = Open(L"Victim");
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << what;
    CloseHandle(h);
}

TEST_F(CeDbCrash, TruncatedFileIsReportedAndKeptAside) {
    std::vector<BYTE> bytes = MakeVictim(store);
    std::wstring path = DbFile(store, L"victim");
    bytes.resize(bytes.size() - 30);  // cuts into the last committed record
    Spit(path, bytes);
    ExpectSetAside(store, "truncated");
    // The set-aside file is the damaged one, byte for byte.
    EXPECT_EQ(Slurp(store.FilesWith(L"damaged")[0]), bytes);
}

TEST_F(CeDbCrash, GarbageFileIsReportedAndKeptAside) {
    MakeVictim(store);
    std::vector<BYTE> junk(3000);
    for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<BYTE>(i * 131 + 7);
    Spit(DbFile(store, L"victim"), junk);
    ExpectSetAside(store, "garbage");
}

TEST_F(CeDbCrash, EmptyFileIsReportedAndKeptAside) {
    MakeVictim(store);
    Spit(DbFile(store, L"victim"), {});
    ExpectSetAside(store, "empty");
}

TEST_F(CeDbCrash, FlippedByteInsideARecordIsDetected) {
    std::vector<BYTE> bytes = MakeVictim(store);
    bytes[600] ^= 0x40;
    Spit(DbFile(store, L"victim"), bytes);
    ExpectSetAside(store, "flipped");
}

// Damage that keeps every checksum right: the values themselves must be
// believed no further than the file can hold.
TEST_F(CeDbCrash, HugeCountsWithTheirChecksumsRightAreDamageNotAnAbort) {
    const std::vector<BYTE> good = MakeVictim(store);
    FileLayout layout = LayoutOf(good);
    ASSERT_TRUE(layout.valid);
    ASSERT_EQ(layout.entries.size(), 3u);
    const size_t at = layout.entries[1];
    struct Case {
        const char* what;
        size_t offset;  // within the entry
        uint32_t value;
    } cases[] = {{"property count", 16, 0xFFFFFFFFu},
                 {"property count", 16, 0x10000000u},
                 {"property count", 16, 3},
                 {"property length", 24, 0xFFFFFFF0u},
                 {"entry size", 4, 0x7FFFFFFCu}};
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = good;
        memcpy(bytes.data() + at + c.offset, &c.value, 4);
        ResealEntry(bytes, at);
        Spit(DbFile(store, L"victim"), bytes);
        ExpectSetAside(store, c.what);
        for (const std::wstring& f : store.FilesWith(L"damaged")) DeleteFileW(f.c_str());
        Spit(DbFile(store, L"victim"), good);
    }
}

TEST_F(CeDbCrash, ValuesNoWriteCouldStoreAreDamage) {
    const std::vector<BYTE> good = MakeVictim(store);
    struct Case {
        const char* what;
        CEPROPID id;
        std::vector<BYTE> data;
    } cases[] = {{"string of odd length", 0x0002001F, {'a', 0, 'b'}},
                 {"32-bit value of 2 bytes", 0x00030003, {1, 2}},
                 {"16-bit value of 4 bytes", 0x00030002, {1, 2, 3, 4}},
                 {"time of 7 bytes", 0x00030040, {1, 2, 3, 4, 5, 6, 7}},
                 {"unknown type", 0x00030077, {1, 2, 3, 4}},
                 {"string longer than a property can be", 0x0002001F,
                  std::vector<BYTE>(CEDB_MAXPROPDATASIZE + 1, 'x')}};
    for (const Case& c : cases) {
        std::vector<BYTE> bytes = good;
        cedb::Prop prop{c.id, c.data};
        ASSERT_TRUE(AppendCommitted(bytes, cedb::EncodeEntry(cedb::kEntryPut, 9, {prop}))) << c.what;
        Spit(DbFile(store, L"victim"), bytes);
        ExpectSetAside(store, c.what);
        for (const std::wstring& f : store.FilesWith(L"damaged")) DeleteFileW(f.c_str());
        Spit(DbFile(store, L"victim"), good);
    }
    // The same entry with whole values is fine.
    std::vector<BYTE> bytes = good;
    cedb::Prop prop{0x0002001F, {'a', 0, 'b', 0}};
    ASSERT_TRUE(AppendCommitted(bytes, cedb::EncodeEntry(cedb::kEntryPut, 9, {prop})));
    Spit(DbFile(store, L"victim"), bytes);
    HANDLE h = Open(L"Victim");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_EQ(CeSeekDatabase(h, CEDB_SEEK_CEOID, 9, nullptr), 9u);
    Read r;
    ReadNext(h, r);
    ASSERT_EQ(r.oid, 9u);
    ASSERT_NE(r.Find(0x0002001F), nullptr);
    EXPECT_STREQ(r.Find(0x0002001F)->val.lpwstr, L"ab");
    CloseHandle(h);
    EXPECT_TRUE(store.FilesWith(L"damaged").empty());
}

TEST_F(CeDbCrash, RecordIdsThatRunOutNeverOverwriteARecord) {
    std::vector<BYTE> bytes = MakeVictim(store);
    cedb::FileHeader header;
    memcpy(&header, bytes.data(), sizeof header);
    header.firstFreeOid = 0xFFFFFFFFu;
    memcpy(bytes.data(), &header, sizeof header);
    ResealHeader(bytes);
    Spit(DbFile(store, L"victim"), bytes);
    HANDLE h = Open(L"Victim");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<CEOID> ids;
    for (LONG i = 4; i <= 6; ++i) {
        CEPROPVAL v = I4(1, i);
        ids.push_back(CeWriteRecordProps(h, 0, 1, &v));
        EXPECT_NE(ids.back(), 0u);
    }
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[1], ids[2]);
    EXPECT_NE(ids[0], ids[2]);
    CloseHandle(h);
    h = Open(L"Victim");
    std::vector<LONG> values = AllI4(h, 0x00010003);
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, (std::vector<LONG>{1, 2, 3, 4, 5, 6}));
    CloseHandle(h);
    EXPECT_TRUE(store.FilesWith(L"damaged").empty());
}

TEST_F(CeDbCrash, DamageFoundWhileOpenFailsTheCallsNotTheProcess) {
    MakeVictim(store);
    HANDLE h = Open(L"Victim");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<BYTE> junk(2000, 0xEE);
    Spit(DbFile(store, L"victim"), junk);
    // A second open reads the file and finds the damage.
    EXPECT_EQ(Open(L"Victim"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT));
    CEPROPVAL v = I4(1, 9);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &v), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT));
    Read r;
    ReadNext(h, r);
    EXPECT_EQ(r.oid, 0u);
    EXPECT_EQ(store.FilesWith(L"damaged").size(), 1u);
    CloseHandle(h);
}

TEST_F(CeDbCrash, ADatabaseMadeAnewAfterDamageFoundByAWriteOpens) {
    MakeVictim(store);
    HANDLE h = Open(L"Victim");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Spit(DbFile(store, L"victim"), std::vector<BYTE>(2000, 0xEE));
    CEPROPVAL v = I4(1, 9);
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &v), 0u);  // finds the damage, sets the file aside
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT));
    ASSERT_EQ(store.FilesWith(L"damaged").size(), 1u);
    // Made anew (here, or by another program): it opens and works.
    ASSERT_NE(Create(L"Victim"), 0u);
    HANDLE fresh = Open(L"Victim");
    ASSERT_NE(fresh, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_NE(CeWriteRecordProps(fresh, 0, 1, &v), 0u);
    EXPECT_EQ(AllI4(fresh, 0x00010003), (std::vector<LONG>{9}));
    // The old handle stays on the damaged one.
    EXPECT_EQ(CeWriteRecordProps(h, 0, 1, &v), 0u);
    CloseHandle(fresh);
    CloseHandle(h);
}

TEST_F(CeDbCrash, TornTailOfAnInterruptedWriteIsIgnoredAndOverwritten) {
    std::vector<BYTE> bytes = MakeVictim(store);
    std::wstring path = DbFile(store, L"victim");
    // What a writer killed between its entry and its commit leaves behind.
    for (int i = 0; i < 77; ++i) bytes.push_back(static_cast<BYTE>(0xC0 + i));
    Spit(path, bytes);
    HANDLE h = Open(L"Victim");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(AllI4(h, 0x00010003), (std::vector<LONG>{1, 2, 3}));
    CEPROPVAL v = I4(1, 4);
    EXPECT_NE(CeWriteRecordProps(h, 0, 1, &v), 0u);
    CloseHandle(h);
    h = Open(L"Victim");
    EXPECT_EQ(AllI4(h, 0x00010003), (std::vector<LONG>{1, 2, 3, 4}));
    CloseHandle(h);
    EXPECT_TRUE(store.FilesWith(L"damaged").empty());
}

}  // namespace

int main(int argc, char** argv) {
    int wargc = 0;
    LPWSTR* wargv = CommandLineToArgvW(GetCommandLineW(), &wargc);
    if (wargc == 6 && wcscmp(wargv[1], L"--writer") == 0)
        return RunWriter(wargv[2], _wtoi(wargv[3]), _wtoi(wargv[4]), wargv[5]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
