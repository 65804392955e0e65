#include "PppConfig.h"

#include <shlobj.h>
#include <unimodem.h>

#include <cstring>

#ifndef ZEN_PPP_DEFAULT_DIR
#define ZEN_PPP_DEFAULT_DIR "/tmp/zentrika-ppp"
#endif

namespace ceras {
namespace {

std::string Utf8(const std::wstring& w)
{
    if (w.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Wide(const std::string& s)
{
    if (s.empty())
        return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

std::wstring Field(const wchar_t* text, size_t chars)
{
    size_t n = 0;
    while (n < chars && text[n])
        ++n;
    return std::wstring(text, n);
}

// A text inside double quotes for pppd and chat: control characters go,
// backslashes and quotes are escaped.
std::string Quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            continue;
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string HostEnv(const char* name, const char* fallback)
{
    char buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA(name, buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buf) : std::string(fallback);
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    // Same content, same bytes: a second write leaves an identical file.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const BOOL closed = CloseHandle(h);
    return ok && closed && written == text.size();
}

}  // namespace

namespace {

// The fields both forms share; the dial modifier is read by the caller.
template <class Config>
ModemConfig Common(const std::vector<BYTE>& dev, Config* cfg)
{
    memcpy(cfg, dev.data(), sizeof *cfg);
    ModemConfig c;
    c.baud = cfg->dwBaudRate;
    c.timeout = cfg->dwCallSetupFailTimer;
    c.hardwareFlow = (cfg->dwModemOptions & MDM_FLOWCONTROL_HARD) != 0;
    c.softwareFlow = (cfg->dwModemOptions & MDM_FLOWCONTROL_SOFT) != 0;
    return c;
}

}  // namespace

ModemConfig ConfigOf(const std::vector<BYTE>& dev)
{
    ModemConfig c;
    if (dev.size() == sizeof(DEVMINICFG)) {
        DEVMINICFG cfg;
        c = Common(dev, &cfg);
        c.modifier = Utf8(Field(cfg.szDialModifier, DIAL_MODIFIER_LEN + 1));
    } else if (dev.size() == sizeof(DEVMINICFG_OLD)) {
        DEVMINICFG_OLD cfg;
        c = Common(dev, &cfg);
        c.modifier.assign(cfg.szDialModifier, strnlen(cfg.szDialModifier, DIAL_MODIFIER_LEN + 1));
    }
    if (!c.baud)
        c.baud = 115200;
    if (!c.timeout)
        c.timeout = 120;
    return c;
}

std::string DialedNumber(const RASENTRY& e)
{
    std::wstring n = Field(e.szLocalPhoneNumber, RAS_MaxPhoneNumber + 1);
    if (e.dwfOptions & RASEO_UseCountryAndAreaCodes)
        n = Field(e.szAreaCode, RAS_MaxAreaCode + 1) + n;
    std::string out;
    for (wchar_t c : n)
        if ((c >= L'0' && c <= L'9') || c == L'*' || c == L'#' || c == L'+' || c == L',' || c == L'W' ||
            c == L'P' || c == L'T')
            out += static_cast<char>(c);
    return out;
}

std::string InitCommand(const ModemConfig& c)
{
    if (c.modifier.empty())
        return std::string();
    const bool hasAt = c.modifier.size() >= 2 && (c.modifier[0] == 'A' || c.modifier[0] == 'a') &&
                       (c.modifier[1] == 'T' || c.modifier[1] == 't');
    return hasAt ? c.modifier : "AT" + c.modifier;
}

std::string FileNameOf(const std::wstring& name)
{
    std::string out;
    for (wchar_t c : name)
        out += (c < 0x80 && (isalnum(static_cast<int>(c)) || c == L'-' || c == L'.' || c == L'_'))
                   ? static_cast<char>(c)
                   : '_';
    if (out.empty() || out[0] == '.')
        out.insert(out.begin(), '_');
    return out;
}

std::string PppFolderHost()
{
    return HostEnv("ZEN_PPP_DIR", ZEN_PPP_DEFAULT_DIR);
}

std::wstring PppFolderWin32()
{
    const std::string host = PppFolderHost();
    // Wine turns host paths into its own; elsewhere the folder is taken as it is.
    typedef WCHAR* (CDECL * ToDos)(LPCSTR);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (toDos && !host.empty() && host[0] == '/') {
        if (WCHAR* dos = toDos(host.c_str())) {
            std::wstring out(dos);
            HeapFree(GetProcessHeap(), 0, dos);
            return out;
        }
    }
    return Wide(host);
}

std::string PeerFileText(const std::wstring& name, const StoredEntry& e, const std::string& chatPath,
                         const std::string& device)
{
    const ModemConfig c = ConfigOf(e.devCfg);
    std::string t;
    t += "# Dial-up entry \"" + Utf8(name) + "\" of the handheld's phone book, as pppd options.\n";
    t += "# Made by the handheld's dial-up settings; each write of the entry makes it anew.\n";
    t += device + "\n";
    t += std::to_string(c.baud) + "\n";
    t += c.hardwareFlow ? "crtscts\n" : (c.softwareFlow ? "xonxoff\n" : "nocrtscts\n");
    t += "modem\nlock\n";
    t += "connect " + Quoted("/usr/sbin/chat -v -f " + chatPath) + "\n";
    if (!e.user.empty())
        t += "user " + Quoted(Utf8(e.user)) + "\n";
    if (e.hasPassword && !e.password.empty())
        t += "password " + Quoted(Utf8(e.password)) + "\n";
    if (!(e.entry.dwfOptions & RASEO_IpHeaderCompression))
        t += "novj\n";
    if (!(e.entry.dwfOptions & RASEO_SwCompression))
        t += "nobsdcomp\nnodeflate\n";
    t += "noauth\nnoipdefault\ndefaultroute\nusepeerdns\n";
    return t;
}

std::string ChatScriptText(const std::wstring& name, const StoredEntry& e)
{
    const ModemConfig c = ConfigOf(e.devCfg);
    std::string t;
    t += "# Chat script of the dial-up entry \"" + Utf8(name) + "\".\n";
    for (const char* abort : {"BUSY", "NO CARRIER", "NO DIALTONE", "NO ANSWER", "ERROR"})
        t += std::string("ABORT ") + Quoted(abort) + "\n";
    t += "TIMEOUT " + std::to_string(c.timeout) + "\n";
    t += "\"\" \"AT\"\n";
    if (!c.modifier.empty())
        t += "OK " + Quoted(InitCommand(c)) + "\n";
    t += "OK " + Quoted("ATDT" + DialedNumber(e.entry)) + "\n";
    t += "CONNECT \"\"\n";
    return t;
}

DWORD WritePppFiles(const std::wstring& name, bool remove)
{
    const std::wstring folder = PppFolderWin32();
    const std::string file = FileNameOf(name);
    const std::wstring peer = folder + L"\\peers\\" + Wide(file);
    const std::wstring chat = folder + L"\\chatscripts\\" + Wide(file);
    if (remove) {
        DeleteFileW(peer.c_str());
        DeleteFileW(chat.c_str());
        return ERROR_SUCCESS;
    }
    StoredEntry e;
    DWORD rc = ReadEntry(name.c_str(), &e);
    if (rc != ERROR_SUCCESS)
        return rc;
    for (const wchar_t* sub : {L"\\peers", L"\\chatscripts"}) {
        const int made = SHCreateDirectoryExW(nullptr, (folder + sub).c_str(), nullptr);
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS)
            return static_cast<DWORD>(made);
    }
    const std::string host = PppFolderHost();
    const std::string device = HostEnv("ZEN_PPP_DEVICE", "/dev/ttyS0");
    if (!WriteText(chat, ChatScriptText(name, e)) ||
        !WriteText(peer, PeerFileText(name, e, host + "/chatscripts/" + file, device)))
        return ERROR_WRITE_FAULT;
    return ERROR_SUCCESS;
}

}  // namespace ceras
