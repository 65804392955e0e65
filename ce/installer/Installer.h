#pragma once
// What the platform's installer does for a system: copies the files of a
// description from a source folder, writes its registry values and
// shortcuts, calls the set-up library's hooks around the copying, and
// removes it all again. Handheld paths go through CeMapHandheldPath.
#include <string>

#include "ce/installer/InstallDescription.h"

namespace ceinst {

// Exit codes of the installer program.
enum Result {
    kDone = 0,
    kFailed = 1,       // a file, folder or registry write failed
    kBadInput = 2,     // unreadable description, bad folder, missing setup library
    kCancelled = 3,    // a set-up hook cancelled
    kUndone = 4,       // Install_Exit asked for the installation to be removed
};

struct InstallOptions {
    std::wstring description;  // path of the description file
    std::wstring source;       // source folder; the description's folder when empty
    std::wstring folder;       // installation folder the user picked; the default when empty
};

Result Install(const InstallOptions& options, std::wstring& message);
// Removes the system `app` (the description's app name).
Result Uninstall(const std::wstring& app, std::wstring& message);

}  // namespace ceinst
