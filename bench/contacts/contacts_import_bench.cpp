// Time of importing 5,000 contacts through zencontacts.exe, as a user would
// bring in an address book: the whole run of the tool, from its start to its
// exit, into an empty contacts database, and once more over the same
// contacts (all of them already there).
//   wine-run.sh contacts_import_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ce/contacts/VCard.h"

namespace {

constexpr int kContacts = 5000;
constexpr int kRuns = 3;

std::wstring Here() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do
            if (fd.cFileName[0] != L'.') DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
        while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(folder.c_str());
}

// Runs the tool to its end; its milliseconds, or -1 when it failed.
double RunImport(const std::wstring& file, std::string& lastLine) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + Here() + L"zencontacts.exe\" import \"" + file + L"\"";
    double start = bench::NowMs();
    BOOL ok = CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string out;
    char buf[4096];
    DWORD got = 0;
    while (ok && ReadFile(readEnd, buf, sizeof buf, &got, nullptr) && got) out.append(buf, got);
    CloseHandle(readEnd);
    if (!ok) return -1;
    WaitForSingleObject(pi.hProcess, INFINITE);
    double ms = bench::NowMs() - start;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    size_t end = out.find_last_not_of("\r\n");
    size_t begin = end == std::string::npos ? 0 : out.rfind('\n', end);
    lastLine = end == std::string::npos ? "" : out.substr(begin == std::string::npos ? 0 : begin + 1, end - begin);
    return code == 0 ? ms : -1;
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = std::wstring(temp) + L"zen-import-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(base.c_str(), nullptr);

    // An address book as phones export it: Korean names, two or three
    // numbers, a category each, some cards in version 2.1.
    std::vector<vcard::Contact> cards(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        vcard::Contact& c = cards[i];
        c.family = L"김";
        c.given = L"사람" + std::to_wstring(i);
        c.formatted = c.family + c.given;
        c.numbers[vcard::kMobile] = L"010-" + std::to_wstring(2000 + i % 8000) + L"-" + std::to_wstring(1000 + i);
        if (i % 2 == 0) c.numbers[vcard::kHome] = L"02-" + std::to_wstring(300 + i % 600) + L"-" + std::to_wstring(i);
        if (i % 5 == 0) c.numbers[vcard::kOffice] = L"031-" + std::to_wstring(700 + i);
        c.categories.push_back(L"분류 " + std::to_wstring(i % 20));
    }
    std::string text = vcard::Write({cards.begin(), cards.begin() + kContacts / 10}, "2.1") +
                       vcard::Write({cards.begin() + kContacts / 10, cards.end()}, "3.0");
    std::wstring file = base + L"\\book.vcf";
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(f);
    printf("file: %d contacts, %zu bytes\n", kContacts, text.size());

    std::vector<double> fresh, again;
    std::string line;
    for (int run = 0; run < kRuns; ++run) {
        std::wstring store = base + L"\\store" + std::to_wstring(run);
        CreateDirectoryW(store.c_str(), nullptr);
        SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.c_str());
        double ms = RunImport(file, line);
        printf("run %d, empty database: %.0f ms  (%s)\n", run + 1, ms, line.c_str());
        fresh.push_back(ms);
        ms = RunImport(file, line);
        printf("run %d, all already there: %.0f ms  (%s)\n", run + 1, ms, line.c_str());
        again.push_back(ms);
        RemoveTree(store);
    }
    printf("import of %d contacts through zencontacts.exe: median %.0f ms (whole run of the tool)\n", kContacts,
           bench::Median(fresh));
    printf("repeated import of the same %d contacts: median %.0f ms\n", kContacts, bench::Median(again));
    DeleteFileW(file.c_str());
    RemoveDirectoryW(base.c_str());
    return 0;
}
