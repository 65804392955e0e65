#include "ce/installer/InstallDescription.h"

#include <windows.h>

#include "ce/installer/Utf8.h"

namespace ceinst {
namespace {

bool Words(const std::wstring& line, std::vector<std::wstring>& words)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == L' ' || line[i] == L'\t'))
            ++i;
        if (i >= line.size())
            break;
        std::wstring w;
        if (line[i] == L'"') {
            const size_t end = line.find(L'"', i + 1);
            if (end == std::wstring::npos)
                return false;
            w = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != L' ' && line[i] != L'\t')
                w += line[i++];
        }
        words.push_back(w);
    }
    return true;
}

bool Fail(std::wstring& error, int line, const std::wstring& what)
{
    error = L"line " + std::to_wstring(line) + L": " + what;
    return false;
}

// Every folder a statement names must expand, so a bad one is caught before
// anything is written.
bool CheckFolders(const std::wstring& text, int line, std::wstring& error, bool isPath = true)
{
    std::wstring expanded, why;
    if (!ExpandFolders(text, L"\\Program Files\\x", expanded, why))
        return Fail(error, line, why);
    if (isPath && (expanded.empty() || expanded[0] != L'\\'))
        return Fail(error, line, L"\"" + text + L"\" is no folder of the handheld");
    return true;
}

}  // namespace

bool ExpandFolders(const std::wstring& text, const std::wstring& installDir, std::wstring& out,
                   std::wstring& error)
{
    struct Folder {
        const wchar_t* name;
        const wchar_t* path;
    };
    static const Folder kFolders[] = {
        {L"ProgramFiles", L"\\Program Files"},
        {L"Windows", L"\\Windows"},
        {L"Programs", L"\\Windows\\Start Menu\\Programs"},
        {L"StartUp", L"\\Windows\\StartUp"},
    };
    std::wstring result;  // `out` may be `text`
    for (size_t i = 0; i < text.size();) {
        if (text[i] != L'%') {
            result += text[i++];
            continue;
        }
        const size_t end = text.find(L'%', i + 1);
        if (end == std::wstring::npos) {
            error = L"unclosed folder name in \"" + text + L"\"";
            return false;
        }
        const std::wstring name = text.substr(i + 1, end - i - 1);
        bool known = false;
        if (_wcsicmp(name.c_str(), L"InstallDir") == 0) {
            result += installDir;
            known = true;
        }
        for (const Folder& f : kFolders)
            if (!known && _wcsicmp(name.c_str(), f.name) == 0) {
                result += f.path;
                known = true;
            }
        if (!known) {
            error = L"unknown folder %" + name + L"%";
            return false;
        }
        i = end + 1;
    }
    out = result;
    return true;
}

bool ParseDescription(const std::string& text, InstallDescription& out, std::wstring& error)
{
    out = InstallDescription{};
    std::wstring all = Wide(text);
    int lineNo = 0;
    size_t at = 0;
    while (at <= all.size()) {
        size_t end = all.find(L'\n', at);
        if (end == std::wstring::npos)
            end = all.size();
        std::wstring line = all.substr(at, end - at);
        at = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        std::vector<std::wstring> w;
        if (!Words(line, w))
            return Fail(error, lineNo, L"unclosed quote");
        if (w.empty() || w[0][0] == L'#')
            continue;
        const std::wstring& kind = w[0];
        const size_t n = w.size();
        if (kind == L"app" && n == 2) {
            out.app = w[1];
        } else if (kind == L"setup" && n == 2) {
            out.setup = w[1];
        } else if (kind == L"dir" && n == 2) {
            if (!CheckFolders(w[1], lineNo, error))
                return false;
            out.defaultDir = w[1];
        } else if (kind == L"folder" && n == 2) {
            if (!CheckFolders(w[1], lineNo, error))
                return false;
            out.folders.push_back(w[1]);
        } else if ((kind == L"file" && (n == 3 || (n == 4 && w[3] == L"optional"))) || (kind == L"tree" && n == 3)) {
            if (!CheckFolders(w[2], lineNo, error))
                return false;
            out.files.push_back(FileItem{w[1], w[2], n == 4, kind == L"tree"});
        } else if (kind == L"reg" && n == 6) {
            if (w[1] != L"HKLM" && w[1] != L"HKCU")
                return Fail(error, lineNo, L"unknown registry root " + w[1]);
            if (w[4] != L"sz" && w[4] != L"dword")
                return Fail(error, lineNo, L"unknown value type " + w[4]);
            if (!CheckFolders(w[2], lineNo, error, false) || !CheckFolders(w[5], lineNo, error, false))
                return false;
            out.regs.push_back(RegItem{w[1], w[2], w[3], w[4], w[5]});
        } else if (kind == L"shortcut" && n == 3) {
            if (!CheckFolders(w[1], lineNo, error) || !CheckFolders(w[2], lineNo, error))
                return false;
            out.shortcuts.push_back(ShortcutItem{w[1], w[2]});
        } else {
            return Fail(error, lineNo, L"cannot read \"" + line + L"\"");
        }
    }
    if (out.app.empty() || out.defaultDir.empty()) {
        error = L"the description names no app or no dir";
        return false;
    }
    return true;
}

}  // namespace ceinst
