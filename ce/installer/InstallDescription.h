#pragma once
// The installation description: what the installer copies where, which
// registry values and shortcuts it writes, and the set-up library whose
// hooks it calls. One statement a line, words split at blanks, "quoted"
// words may hold blanks, '#' starts a comment line:
//   app "<name>"                       registry key SOFTWARE\Apps\<name>
//   setup <source>                     the set-up library
//   dir <folder>                       default installation folder
//   folder <folder>                    an (empty) folder to create
//   file <source> <folder> [optional]  one file; optional ones may be absent
//   tree <source> <folder>             a source folder with all it holds
//   reg HKLM|HKCU <key> <value> sz|dword <data>
//   shortcut <link> <target>
// Sources are relative to the source folder. Folders, keys and data may use
// %InstallDir%, %ProgramFiles%, %Windows%, %Programs% and %StartUp%.
#include <string>
#include <vector>

namespace ceinst {

struct FileItem {
    std::wstring source;
    std::wstring folder;
    bool optional = false;
    bool tree = false;
};

struct RegItem {
    std::wstring root;  // "HKLM" or "HKCU"
    std::wstring key;
    std::wstring value;
    std::wstring type;  // "sz" or "dword"
    std::wstring data;
};

struct ShortcutItem {
    std::wstring link;
    std::wstring target;
};

struct InstallDescription {
    std::wstring app;
    std::wstring setup;
    std::wstring defaultDir;
    std::vector<std::wstring> folders;
    std::vector<FileItem> files;
    std::vector<RegItem> regs;
    std::vector<ShortcutItem> shortcuts;
};

// Parses UTF-8 text. False with a message naming the line on a fault.
bool ParseDescription(const std::string& text, InstallDescription& out, std::wstring& error);

// Replaces the folder names in `text`; `installDir` stands for %InstallDir%.
// False with a message on an unknown name or an unclosed '%'.
bool ExpandFolders(const std::wstring& text, const std::wstring& installDir, std::wstring& out,
                   std::wstring& error);

}  // namespace ceinst
