// The platform's installer for a system described by an installation
// description:
//   zeninstall install <description> [/source:<folder>] [/dir:<folder>]
//   zeninstall uninstall <app name>
// The exit code is 0 on success; a failure prints its reason.
#include <windows.h>

#include <cstdio>
#include <string>

#include "ce/installer/Installer.h"

namespace {

void Print(FILE* to, const std::wstring& text)
{
    const std::wstring line = text + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &s[0], n, nullptr, nullptr);
    fputs(s.c_str(), to);
    fflush(to);
}

int Usage()
{
    Print(stderr, L"usage: zeninstall install <description> [/source:<folder>] [/dir:<folder>]\n"
                  L"       zeninstall uninstall <app name>");
    return ceinst::kBadInput;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return Usage();
    const std::wstring verb = argv[1];
    std::wstring message;
    ceinst::Result result;
    if (verb == L"install") {
        ceinst::InstallOptions options;
        options.description = argv[2];
        for (int i = 3; i < argc; ++i) {
            const std::wstring a = argv[i];
            if (a.rfind(L"/source:", 0) == 0)
                options.source = a.substr(8);
            else if (a.rfind(L"/dir:", 0) == 0)
                options.folder = a.substr(5);
            else
                return Usage();
        }
        result = ceinst::Install(options, message);
    } else if (verb == L"uninstall" && argc == 3) {
        result = ceinst::Uninstall(argv[2], message);
    } else {
        return Usage();
    }
    Print(result == ceinst::kDone ? stdout : stderr, (result == ceinst::kDone ? L"" : L"zeninstall: ") + message);
    return result;
}
