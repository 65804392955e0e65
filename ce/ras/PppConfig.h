#pragma once
// Each phone-book entry as Linux's own dial-up configuration: a pppd peer
// file and the chat script it runs, so that "pppd call <entry>" (with the
// folder's files in /etc/ppp) dials the entry through a real module.
//
// The folder is ZEN_PPP_DIR (a path of the host) when set, else the one the
// build chose. The module's tty is ZEN_PPP_DEVICE when set, else /dev/ttyS0.
#include <windows.h>
#include <ras.h>

#include <string>

#include "PhoneBook.h"

namespace ceras {

// The modem driver's configuration, whichever of its two forms was passed.
struct ModemConfig {
    DWORD baud = 115200;
    DWORD timeout = 120;
    bool hardwareFlow = true;
    bool softwareFlow = false;
    std::string modifier;
};

// Read from the entry's device configuration; defaults when it has none.
ModemConfig ConfigOf(const std::vector<BYTE>& devCfg);
// The command that sends the dial modifier ("AT" put in front when missing),
// or empty.
std::string InitCommand(const ModemConfig& c);
// The number the entry dials: the area code in front when it asks for it,
// only the characters a dial string may hold.
std::string DialedNumber(const RASENTRY& e);

// The texts of the two files (UTF-8), from what the phone book holds.
std::string PeerFileText(const std::wstring& name, const StoredEntry& e, const std::string& chatPath,
                         const std::string& device);
std::string ChatScriptText(const std::wstring& name, const StoredEntry& e);

// The entry's name as a file name ("Zentrika" stays as it is).
std::string FileNameOf(const std::wstring& name);

// Writes "<folder>/peers/<name>" and "<folder>/chatscripts/<name>" for the
// stored entry; deletes them with `remove`. ERROR_SUCCESS or the failure.
DWORD WritePppFiles(const std::wstring& name, bool remove = false);

// The folder as a path of the host ("/...") and as a Win32 path.
std::string PppFolderHost();
std::wstring PppFolderWin32();

}  // namespace ceras
