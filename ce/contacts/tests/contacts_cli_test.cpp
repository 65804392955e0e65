// The contacts tool run as users run it: its messages and exit codes, and
// its promise that a contact it has reported as added survives a kill.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "CeDbTestUtil.h"
#include "ce/contacts/VCardText.h"
#include "stores/ContactProps.h"

namespace {

std::wstring ToolPath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\') + 1) + L"zencontacts.exe";
}

struct Outcome {
    DWORD exitCode = 0;
    std::string output;
    bool killed = false;  // stopped by the test while it still ran
};

// Runs the tool. With `killWhen`, the tool is killed as soon as its output
// so far satisfies it; the output is read to the end either way.
template <typename Pred>
Outcome RunTool(const std::wstring& args, Pred killWhen) {
    Outcome o;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return o;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + ToolPath() + L"\" " + args;
    BOOL started = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        o.exitCode = ~0u;
        return o;
    }
    CloseHandle(pi.hThread);
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got) {
        o.output.append(buf, got);
        if (!o.killed && killWhen(o.output) && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            o.killed = TerminateProcess(pi.hProcess, 99) != FALSE;
        }
    }
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &o.exitCode);
    CloseHandle(pi.hProcess);
    return o;
}

Outcome RunTool(const std::wstring& args) {
    return RunTool(args, [](const std::string&) { return false; });
}

// The highest "N contacts added so far" in the output.
int ReportedSoFar(const std::string& out) {
    int best = 0;
    for (size_t at = out.find(" contacts added so far"); at != std::string::npos;
         at = out.find(" contacts added so far", at + 1)) {
        size_t start = out.rfind(' ', at - 1) + 1;
        best = std::max(best, atoi(out.c_str() + start));
    }
    return best;
}

class ContactsTool : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"cli"};
    std::wstring folder_ = store.Folder() + L"-files";

    void SetUp() override { CreateDirectoryW(folder_.c_str(), nullptr); }
    void TearDown() override { cedbtest::RemoveTree(folder_); }

    std::wstring File(const wchar_t* name, const std::string& bytes) {
        std::wstring path = folder_ + L"\\" + name;
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
        CloseHandle(f);
        return L"\"" + path + L"\"";
    }

    // Display names of every contact record.
    std::multiset<std::wstring> Names() {
        std::multiset<std::wstring> names;
        HANDLE h = cedbtest::Open(kContactsDbName);
        if (h == INVALID_HANDLE_VALUE) return names;
        for (;;) {
            cedbtest::Read r;
            cedbtest::ReadNext(h, r);
            if (!r.oid) break;
            const CEPROPVAL* name = r.Find(kPropDisplayName);
            names.insert(name ? name->val.lpwstr : L"");
        }
        CloseHandle(h);
        return names;
    }
};

std::string Cards(int from, int to) {
    std::string text;
    for (int i = from; i < to; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) + "\r\nTEL;TYPE=CELL:010-" +
                std::to_string(1000000 + i) + "\r\nCATEGORIES:Group " + std::to_string(i % 7) + "\r\nEND:VCARD\r\n";
    return text;
}

TEST_F(ContactsTool, FilesWithNothingToReadFailWithAReason) {
    struct Case {
        const wchar_t* name;
        std::string bytes;
        const char* said;
    } cases[] = {
        {L"empty.vcf", "", "the file is empty"},
        {L"table.vcf", "Name;Phone\r\nKim;010\r\n", "no BEGIN:VCARD"},
        {L"binary.vcf", std::string("\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0\x3E\0", 20), "binary data"},
        {L"nameless.vcf", "BEGIN:VCARD\r\nNOTE:x\r\nEND:VCARD\r\n", "neither a name nor a number"},
    };
    for (const Case& c : cases) {
        Outcome o = RunTool(L"import " + File(c.name, c.bytes));
        EXPECT_EQ(o.exitCode, 1u) << o.output;
        EXPECT_NE(o.output.find(c.said), std::string::npos) << o.output;
    }
    Outcome missing = RunTool(L"import \"" + folder_ + L"\\nothere.vcf\"");
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_NE(missing.output.find("cannot be opened"), std::string::npos);

    // One good file among bad ones is success; UTF-16 without a mark is read.
    std::wstring wide = L"BEGIN:VCARD\r\nFN:와이드\r\nTEL:1\r\nEND:VCARD\r\n";
    std::string utf16(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    Outcome mixed = RunTool(L"import " + File(L"e.vcf", "") + L" " + File(L"w.vcf", utf16));
    EXPECT_EQ(mixed.exitCode, 0u) << mixed.output;
    EXPECT_NE(mixed.output.find("1 contacts added,"), std::string::npos) << mixed.output;
    EXPECT_EQ(Names(), (std::multiset<std::wstring>{L"와이드"}));
}

TEST_F(ContactsTool, EveryContactReportedAsAddedSurvivesAKill) {
    const int total = 12000;
    std::wstring file = File(L"many.vcf", Cards(0, total));
    // Killed right after its first report, then later in a second run that
    // starts where the first stopped.
    size_t before = 0;
    for (int threshold : {1, 4000}) {
        Outcome o = RunTool(L"import " + file, [&](const std::string& out) { return ReportedSoFar(out) >= threshold; });
        ASSERT_TRUE(o.killed) << "the import ended before it could be killed:\n" << o.output;
        EXPECT_EQ(o.exitCode, 99u);
        int reported = ReportedSoFar(o.output);
        ASSERT_GE(reported, threshold);
        std::multiset<std::wstring> names = Names();
        // Contacts go in in file order and each run adds only what is new.
        for (size_t i = 0; i < before + reported; ++i)
            ASSERT_EQ(names.count(L"Person " + std::to_wstring(i)), 1u) << "reported but lost: " << i;
        EXPECT_GE(names.size(), before + reported);
        EXPECT_LT(names.size(), static_cast<size_t>(total));
        before = names.size();
    }
    // A run to the end completes the book: nothing twice, nothing missing.
    Outcome rest = RunTool(L"import " + file);
    EXPECT_EQ(rest.exitCode, 0u) << rest.output;
    std::multiset<std::wstring> names = Names();
    EXPECT_EQ(names.size(), static_cast<size_t>(total));
    for (int i = 0; i < total; i += 997) EXPECT_EQ(names.count(L"Person " + std::to_wstring(i)), 1u);
}

}  // namespace
