// zencontacts: creates the handheld's contacts and categories databases and
// moves contacts in and out of them as vCard files.
//   zencontacts create
//   zencontacts import FILE.vcf [FILE.vcf ...]
//   zencontacts export FILE.vcf [--version 2.1|3.0|4.0]
//   zencontacts list
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ce/contacts/ContactBook.h"
#include "ce/contacts/VCardText.h"

namespace {

void Say(const std::wstring& text) {
    std::string bytes = vcard::ToUtf8(text + L"\n");
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

bool ReadWhole(const std::wstring& path, std::string& out, std::wstring& why) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        why = L"cannot be opened";
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    if (size.QuadPart > static_cast<LONGLONG>(vcard::kMaxFileBytes)) {
        CloseHandle(f);
        why = L"is larger than 32 MiB; refused";
        return false;
    }
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    BOOL ok = out.empty() || ReadFile(f, &out[0], static_cast<DWORD>(out.size()), &got, nullptr);
    CloseHandle(f);
    if (!ok || got != out.size()) {
        why = L"cannot be read";
        return false;
    }
    return true;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
    return ok && put == bytes.size();
}

int Usage() {
    Say(L"usage: zencontacts create | import FILE.vcf... | export FILE.vcf [--version 2.1|3.0|4.0] | list");
    return 2;
}

int ImportFiles(const std::vector<std::wstring>& files) {
    int written = 0, problems = 0;
    for (const std::wstring& file : files) {
        std::string bytes;
        std::wstring why;
        if (!ReadWhole(file, bytes, why)) {
            Say(file + L": " + why);
            ++problems;
            continue;
        }
        vcard::ParseResult parsed = vcard::Parse(bytes);
        for (const auto& m : parsed.messages) Say(file + L": " + m);
        // Said only after each commit, so a contact counted here is kept
        // even if the tool is stopped right after.
        contacts::ImportReport report = contacts::Import(parsed.contacts, [&](int written) {
            Say(file + L": " + std::to_wstring(written) + L" contacts added so far");
        });
        for (const auto& m : report.messages) Say(file + L": " + m);
        Say(file + L": " + std::to_wstring(parsed.cardsSeen) + L" cards, " + std::to_wstring(report.written) +
            L" contacts added, " + std::to_wstring(report.duplicates) + L" already there, " +
            std::to_wstring(parsed.cardsSeen - static_cast<int>(parsed.contacts.size()) + report.failed) +
            L" skipped, " + std::to_wstring(report.newCategories) + L" new categories");
        written += report.written + report.duplicates;
        problems += (report.written + report.duplicates == 0) ? 1 : 0;
    }
    // Non-zero when no file gave a single contact.
    return (written == 0 && problems > 0) ? 1 : 0;
}

int ExportFile(const std::wstring& file, const std::string& version) {
    contacts::ExportResult result = contacts::Export();
    for (const auto& m : result.messages) Say(m);
    if (!WriteWhole(file, vcard::Write(result.contacts, version))) {
        Say(file + L": cannot be written");
        return 1;
    }
    Say(file + L": " + std::to_wstring(result.contacts.size()) + L" contacts written");
    return 0;
}

int List() {
    contacts::ExportResult result = contacts::Export();
    for (const auto& m : result.messages) Say(m);
    static const wchar_t* kKinds[3] = {L"mobile", L"home", L"office"};
    for (const auto& c : result.contacts) {
        std::wstring line = c.formatted;
        for (int k = 0; k < 3; ++k)
            if (!c.numbers[k].empty()) line += L"  " + std::wstring(kKinds[k]) + L" " + c.numbers[k] + (c.preferred == k ? L"*" : L"");
        for (const auto& cat : c.categories) line += L"  [" + cat + L"]";
        if (!c.photo.empty()) line += L"  (picture)";
        Say(line);
    }
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    LocalFree(argv);
    if (args.empty()) return Usage();
    const std::wstring& command = args[0];
    if (command == L"create") {
        int ok = contacts::CreateDatabases();
        Say(ok ? L"contacts and categories databases are there" : L"the databases cannot be created");
        return ok ? 0 : 1;
    }
    if (command == L"import" && args.size() >= 2) return ImportFiles({args.begin() + 1, args.end()});
    if (command == L"export" && (args.size() == 2 || args.size() == 4)) {
        std::string version = "3.0";
        if (args.size() == 4) {
            if (args[2] != L"--version" || (args[3] != L"2.1" && args[3] != L"3.0" && args[3] != L"4.0"))
                return Usage();
            version = vcard::ToUtf8(args[3]);
        }
        return ExportFile(args[1], version);
    }
    if (command == L"list") return List();
    return Usage();
}
