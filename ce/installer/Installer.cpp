#include "ce/installer/Installer.h"

#define CE_PLATFORM_NO_REMAP
#include <ce_platform.h>
#include <ce_setup.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "ce/installer/Utf8.h"

namespace ceinst {
namespace {

const wchar_t kRecordName[] = L"zeninstall.rec";

typedef codeINSTALL_INIT(WINAPI* InstallInitFn)(HWND, BOOL, BOOL, LPCWSTR);
typedef codeINSTALL_EXIT(WINAPI* InstallExitFn)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD);
typedef codeUNINSTALL_INIT(WINAPI* UninstallInitFn)(HWND, LPCWSTR);
typedef codeUNINSTALL_EXIT(WINAPI* UninstallExitFn)(HWND);

std::wstring AppKey(const std::wstring& app)
{
    return L"SOFTWARE\\Apps\\" + app;
}

std::wstring ErrorText(DWORD code)
{
    return L" (error " + std::to_wstring(code) + L")";
}

bool ReadAll(const std::wstring& path, std::string& text)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(f, buf, sizeof buf, &n, nullptr) && n)
        text.append(buf, n);
    CloseHandle(f);
    return true;
}

// Written beside and renamed over, so a killed write never leaves half a file.
bool WriteAll(const std::wstring& path, const std::string& text)
{
    const std::wstring tmp = path + L".zeninst-tmp";
    HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD n = 0;
    const bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr) && n == text.size() &&
                    FlushFileBuffers(f);
    CloseHandle(f);
    if (!ok || !MoveFileExW(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    return true;
}

bool CopyInto(const std::wstring& from, const std::wstring& to)
{
    const std::wstring tmp = to + L".zeninst-tmp";
    if (!CopyFileW(from.c_str(), tmp.c_str(), FALSE))
        return false;
    if (!MoveFileExW(tmp.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tmp.c_str());
        return false;
    }
    return true;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Parent(const std::wstring& path)
{
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos || cut == 0 ? std::wstring() : path.substr(0, cut);
}

std::wstring Leaf(const std::wstring& path)
{
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool Map(const std::wstring& handheld, std::wstring& out)
{
    wchar_t buf[MAX_PATH];
    if (!CeMapHandheldPath(handheld.c_str(), buf, MAX_PATH))
        return false;
    out = buf;
    while (out.size() > 3 && (out.back() == L'\\' || out.back() == L'/'))
        out.pop_back();
    return true;
}

HKEY Root(const std::wstring& name)
{
    return name == L"HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// What an installation wrote, kept in the installation folder, so that
// removal takes exactly that away. It is written before anything else, so
// an installation killed half way can be repaired or removed.
struct Record {
    std::wstring setup;                 // the set-up library as installed
    std::vector<std::wstring> folders;  // created folders
    std::vector<std::wstring> files;
    std::vector<std::wstring> shortcuts;
    std::vector<RegItem> values;

    std::string Text() const
    {
        std::ostringstream s;
        s << "setup\t" << Utf8(setup) << "\n";
        for (const auto& f : folders)
            s << "folder\t" << Utf8(f) << "\n";
        for (const auto& f : files)
            s << "file\t" << Utf8(f) << "\n";
        for (const auto& f : shortcuts)
            s << "shortcut\t" << Utf8(f) << "\n";
        for (const auto& v : values)
            s << "reg\t" << Utf8(v.root) << "\t" << Utf8(v.key) << "\t" << Utf8(v.value) << "\n";
        return s.str();
    }

    void Parse(const std::string& text)
    {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::wstring> f;
            size_t at = 0;
            for (;;) {
                const size_t tab = line.find('\t', at);
                f.push_back(Wide(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at)));
                if (tab == std::string::npos)
                    break;
                at = tab + 1;
            }
            if (f.size() == 2 && f[0] == L"setup")
                setup = f[1];
            else if (f.size() == 2 && f[0] == L"folder")
                folders.push_back(f[1]);
            else if (f.size() == 2 && f[0] == L"file")
                files.push_back(f[1]);
            else if (f.size() == 2 && f[0] == L"shortcut")
                shortcuts.push_back(f[1]);
            else if (f.size() == 4 && f[0] == L"reg")
                values.push_back(RegItem{f[1], f[2], f[3], L"", L""});
        }
    }
};

// One planned copy.
struct Copy {
    std::wstring from;
    std::wstring to;
    bool optional;
};

bool ListTree(const std::wstring& from, const std::wstring& to, std::vector<Copy>& copies,
              std::vector<std::wstring>& folders)
{
    folders.push_back(to);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ok = ListTree(from + L"\\" + name, to + L"\\" + name, copies, folders) && ok;
        else
            copies.push_back(Copy{from + L"\\" + name, to + L"\\" + name, false});
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return ok;
}

class SetupLibrary {
public:
    ~SetupLibrary()
    {
        if (module_)
            FreeLibrary(module_);
        if (!temp_.empty())
            DeleteFileW(temp_.c_str());
    }
    // Loaded from a copy in the temporary folder, so the installed one can be
    // replaced or removed while its hooks run.
    bool Load(const std::wstring& path, std::wstring& error)
    {
        wchar_t dir[MAX_PATH], tmp[MAX_PATH];
        if (!GetTempPathW(MAX_PATH, dir) || !GetTempFileNameW(dir, L"zsu", 0, tmp)) {
            error = L"no temporary folder for the set-up library";
            return false;
        }
        temp_ = tmp;
        if (!CopyFileW(path.c_str(), temp_.c_str(), FALSE)) {
            error = L"cannot read the set-up library " + path + ErrorText(GetLastError());
            return false;
        }
        module_ = LoadLibraryW(temp_.c_str());
        if (!module_) {
            error = L"cannot load the set-up library " + path + ErrorText(GetLastError());
            return false;
        }
        installInit = reinterpret_cast<InstallInitFn>(reinterpret_cast<void*>(GetProcAddress(module_, "Install_Init")));
        installExit = reinterpret_cast<InstallExitFn>(reinterpret_cast<void*>(GetProcAddress(module_, "Install_Exit")));
        uninstallInit =
            reinterpret_cast<UninstallInitFn>(reinterpret_cast<void*>(GetProcAddress(module_, "Uninstall_Init")));
        uninstallExit =
            reinterpret_cast<UninstallExitFn>(reinterpret_cast<void*>(GetProcAddress(module_, "Uninstall_Exit")));
        if (!installInit || !installExit || !uninstallInit || !uninstallExit) {
            error = L"the set-up library " + path + L" lacks a hook";
            return false;
        }
        return true;
    }

    InstallInitFn installInit = nullptr;
    InstallExitFn installExit = nullptr;
    UninstallInitFn uninstallInit = nullptr;
    UninstallExitFn uninstallExit = nullptr;

private:
    HMODULE module_ = nullptr;
    std::wstring temp_;
};

bool KeyIsEmpty(HKEY root, const std::wstring& path)
{
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD subkeys = 0, values = 0;
    const bool empty = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                        nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                       subkeys == 0 && values == 0;
    RegCloseKey(key);
    return empty;
}

// Takes away what the record lists; folders only when nothing else is in
// them, so files the user put there stay.
void RemoveRecorded(const Record& record, const std::wstring& installDir, const std::wstring& app)
{
    for (const auto& s : record.shortcuts)
        DeleteFileW(s.c_str());
    for (const auto& f : record.files) {
        DeleteFileW(f.c_str());
        DeleteFileW((f + L".zeninst-tmp").c_str());
    }
    for (const auto& v : record.values) {
        HKEY key;
        if (RegOpenKeyExW(Root(v.root), v.key.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueW(key, v.value.c_str());
            RegCloseKey(key);
        }
        if (KeyIsEmpty(Root(v.root), v.key))
            RegDeleteKeyW(Root(v.root), v.key.c_str());
    }
    std::vector<std::wstring> folders = record.folders;
    std::sort(folders.begin(), folders.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const auto& f : folders)
        RemoveDirectoryW(f.c_str());
    DeleteFileW((installDir + L"\\" + kRecordName).c_str());
    DeleteFileW((installDir + L"\\" + kRecordName + L".zeninst-tmp").c_str());
    RemoveDirectoryW(installDir.c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, AppKey(app).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, AppKey(app).c_str());
}

bool SetAppValue(const std::wstring& app, const wchar_t* name, const std::wstring* text, DWORD number)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, AppKey(app).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG r = text ? RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                         static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)))
                        : RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                         sizeof number);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

bool ReadAppValue(const std::wstring& app, const wchar_t* name, std::wstring* text, DWORD* number)
{
    wchar_t buf[MAX_PATH] = L"";
    DWORD size = sizeof buf - sizeof(wchar_t);
    if (text) {
        if (RegGetValueW(HKEY_LOCAL_MACHINE, AppKey(app).c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) !=
            ERROR_SUCCESS)
            return false;
        *text = buf;
        return true;
    }
    size = sizeof *number;
    return RegGetValueW(HKEY_LOCAL_MACHINE, AppKey(app).c_str(), name, RRF_RT_REG_DWORD, nullptr, number, &size) ==
           ERROR_SUCCESS;
}

// Kills this installer after that many copied files: how tests stand for a
// power loss or a user ending it half way.
int KillAfter()
{
    wchar_t buf[16] = L"";
    if (!GetEnvironmentVariableW(L"ZEN_INSTALL_KILL_AFTER", buf, 16))
        return -1;
    return _wtoi(buf);
}

std::string ShortcutText(const std::wstring& target)
{
    // The handheld's shortcut: the length of the quoted target, '#', and it.
    const std::wstring quoted = L"\"" + target + L"\"";
    return std::to_string(quoted.size()) + "#" + Utf8(quoted);
}

}  // namespace

Result Install(const InstallOptions& options, std::wstring& message)
{
    std::string text;
    if (!ReadAll(options.description, text)) {
        message = L"cannot read the installation description " + options.description + ErrorText(GetLastError());
        return kBadInput;
    }
    InstallDescription d;
    std::wstring why;
    if (!ParseDescription(text, d, why)) {
        message = options.description + L": " + why;
        return kBadInput;
    }
    const std::wstring source = options.source.empty() ? Parent(options.description) : options.source;

    std::wstring dir, handheldDir;
    if (!ExpandFolders(options.folder.empty() ? d.defaultDir : options.folder, L"", handheldDir, why) ||
        !Map(handheldDir, dir) || dir.empty()) {
        message = L"bad installation folder " + (options.folder.empty() ? d.defaultDir : options.folder);
        return kBadInput;
    }
    const std::wstring parent = Parent(dir);
    if (!parent.empty() && !IsFolder(parent) && !(parent.size() == 2 && parent[1] == L':')) {
        message = L"the folder " + parent + L" for the installation does not exist";
        return kBadInput;
    }
    if (GetFileAttributesW(dir.c_str()) != INVALID_FILE_ATTRIBUTES && !IsFolder(dir)) {
        message = L"the installation folder " + dir + L" is a file";
        return kBadInput;
    }

    // Everything is planned, and the sources checked, before a hook runs.
    std::vector<Copy> copies;
    std::vector<std::wstring> folders;
    for (const auto& f : d.folders) {
        std::wstring path;
        if (!ExpandFolders(f, dir, path, why) || !Map(path, path)) {
            message = L"bad folder " + f;
            return kBadInput;
        }
        folders.push_back(path);
    }
    for (const auto& f : d.files) {
        std::wstring to, from = source + L"\\" + f.source;
        if (!ExpandFolders(f.folder, dir, to, why) || !Map(to, to)) {
            message = L"bad folder " + f.folder;
            return kBadInput;
        }
        if (f.tree) {
            if (!IsFolder(from) || !ListTree(from, to, copies, folders)) {
                message = L"the source folder " + from + L" is missing";
                return kBadInput;
            }
            continue;
        }
        if (GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES && !f.optional) {
            message = L"the source file " + from + L" is missing";
            return kBadInput;
        }
        folders.push_back(to);
        copies.push_back(Copy{from, to + L"\\" + Leaf(f.source), f.optional});
    }
    Record record;
    for (const auto& c : copies)
        record.files.push_back(c.to);
    record.folders = folders;
    for (const auto& s : d.shortcuts) {
        std::wstring link;
        if (!ExpandFolders(s.link, dir, link, why) || !Map(link, link)) {
            message = L"bad shortcut " + s.link;
            return kBadInput;
        }
        record.shortcuts.push_back(link);
        // Folders of the handheld that are missing are made, and go again.
        for (std::wstring up = Parent(link); !up.empty() && !IsFolder(up); up = Parent(up))
            record.folders.push_back(up);
    }
    std::vector<RegItem> regs;
    for (RegItem r : d.regs) {
        if (!ExpandFolders(r.key, dir, r.key, why) || !ExpandFolders(r.data, dir, r.data, why)) {
            message = L"bad registry value " + r.key;
            return kBadInput;
        }
        regs.push_back(r);
        record.values.push_back(r);
    }
    if (!d.setup.empty())
        record.setup = dir + L"\\" + Leaf(d.setup);

    SetupLibrary hooks;
    if (!d.setup.empty() && !hooks.Load(source + L"\\" + d.setup, message))
        return kBadInput;

    // The folder itself, and whether it takes files, before anything is closed.
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        message = L"cannot create the installation folder " + dir + ErrorText(GetLastError());
        return kFailed;
    }
    if (!WriteAll(dir + L"\\" + kRecordName, record.Text())) {
        message = L"cannot write to the installation folder " + dir + ErrorText(GetLastError());
        return kFailed;
    }
    DWORD installed = 0;
    const bool previously = ReadAppValue(d.app, L"Instl", nullptr, &installed) && installed == 1;
    if (!SetAppValue(d.app, L"InstlDir", &dir, 0) || !SetAppValue(d.app, L"Instl", nullptr, 0)) {
        message = L"cannot create the registry key HKLM\\" + AppKey(d.app);
        return kFailed;
    }

    if (hooks.installInit && hooks.installInit(nullptr, TRUE, previously, dir.c_str()) != codeINSTALL_INIT_CONTINUE) {
        message = L"the set-up library cancelled the installation";
        return kCancelled;
    }

    std::vector<std::wstring> ordered = record.folders;
    std::sort(ordered.begin(), ordered.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() < b.size(); });
    for (const auto& f : ordered)
        if (!CreateDirectoryW(f.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            message = L"cannot create the folder " + f + ErrorText(GetLastError());
            return kFailed;
        }
    const int killAfter = KillAfter();
    int copied = 0;
    for (const auto& c : copies) {
        if (c.optional && GetFileAttributesW(c.from.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!CopyInto(c.from, c.to)) {
            message = L"cannot copy " + c.from + L" to " + c.to + ErrorText(GetLastError());
            return kFailed;
        }
        if (++copied == killAfter)
            TerminateProcess(GetCurrentProcess(), 9);
    }
    for (const auto& r : regs) {
        HKEY key;
        LONG e = RegCreateKeyExW(Root(r.root), r.key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (e != ERROR_SUCCESS) {
            message = L"cannot create the registry key " + r.root + L"\\" + r.key + ErrorText(e);
            return kFailed;
        }
        if (r.type == L"dword") {
            const DWORD v = wcstoul(r.data.c_str(), nullptr, 0);
            e = RegSetValueExW(key, r.value.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
        } else {
            e = RegSetValueExW(key, r.value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(r.data.c_str()),
                               static_cast<DWORD>((r.data.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
        if (e != ERROR_SUCCESS) {
            message = L"cannot set the registry value " + r.value + L" of " + r.key + ErrorText(e);
            return kFailed;
        }
    }
    for (size_t i = 0; i < d.shortcuts.size(); ++i) {
        std::wstring target;
        ExpandFolders(d.shortcuts[i].target, dir, target, why);
        Map(target, target);
        if (!WriteAll(record.shortcuts[i], ShortcutText(target))) {
            message = L"cannot write the shortcut " + record.shortcuts[i] + ErrorText(GetLastError());
            return kFailed;
        }
    }

    if (hooks.installExit && hooks.installExit(nullptr, dir.c_str(), 0, 0, 0, 0, 0) == codeINSTALL_EXIT_UNINSTALL) {
        RemoveRecorded(record, dir, d.app);
        message = L"the set-up library asked to remove the installation again";
        return kUndone;
    }
    if (!SetAppValue(d.app, L"Instl", nullptr, 1)) {
        message = L"cannot mark the installation as complete";
        return kFailed;
    }
    message = L"installed " + d.app + L" in " + dir;
    return kDone;
}

Result Uninstall(const std::wstring& app, std::wstring& message)
{
    std::wstring dir;
    if (app.empty() || !ReadAppValue(app, L"InstlDir", &dir, nullptr) || dir.empty()) {
        message = app + L" is not installed";
        return kBadInput;
    }
    std::string text;
    Record record;
    if (ReadAll(dir + L"\\" + kRecordName, text))
        record.Parse(text);
    SetupLibrary hooks;
    const bool haveHooks = !record.setup.empty() && GetFileAttributesW(record.setup.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (haveHooks && !hooks.Load(record.setup, message))
        return kBadInput;
    if (haveHooks && hooks.uninstallInit(nullptr, dir.c_str()) != codeUNINSTALL_INIT_CONTINUE) {
        message = L"the set-up library cancelled the removal";
        return kCancelled;
    }
    RemoveRecorded(record, dir, app);
    if (haveHooks)
        hooks.uninstallExit(nullptr);
    message = L"removed " + app;
    return kDone;
}

}  // namespace ceinst
