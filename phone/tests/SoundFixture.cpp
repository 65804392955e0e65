#include "SoundFixture.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

namespace soundtest {

Bytes MakeWav(uint8_t value, size_t samples)
{
    Bytes out(44 + samples, value);
    auto put32 = [&](size_t at, uint32_t v) { memcpy(&out[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { memcpy(&out[at], &v, 2); };
    memcpy(&out[0], "RIFF", 4);
    put32(4, static_cast<uint32_t>(36 + samples));
    memcpy(&out[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);     // PCM
    put16(22, 1);     // mono
    put32(24, 8000);  // samples per second
    put32(28, 8000);  // bytes per second
    put16(32, 1);     // block
    put16(34, 8);     // bits
    memcpy(&out[36], "data", 4);
    put32(40, static_cast<uint32_t>(samples));
    return out;
}

bool WriteFile(const std::wstring& path, const Bytes& data)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = data.empty() || ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == data.size();
}

Bytes ReadAll(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    Bytes out(GetFileSize(h, nullptr));
    DWORD read = 0;
    if (!out.empty())
        ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &read, nullptr);
    out.resize(read);
    CloseHandle(h);
    return out;
}

std::wstring CapturePath()
{
    wchar_t unixPath[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", unixPath, MAX_PATH);
    std::wstring p(unixPath);
    const size_t slash = p.find_last_of(L'/');
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}

void ClearCapture()
{
    DeleteFileW(CapturePath().c_str());
}

size_t CapturedCount(uint8_t value)
{
    const Bytes b = ReadAll(CapturePath());
    return static_cast<size_t>(std::count(b.begin(), b.end(), value));
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    return true;
}

bool WaitForCapture(uint8_t value, size_t count, DWORD ms)
{
    return PumpUntil([&] { return CapturedCount(value) >= count; }, ms);
}

namespace {

void RemoveFolder(const std::wstring& path)
{
    SHFILEOPSTRUCTW op = {};
    std::wstring from = path + L'\0';
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

}  // namespace

InstallFolder::InstallFolder(const std::wstring& name)
{
    wchar_t full[MAX_PATH];
    GetFullPathNameW(name.c_str(), MAX_PATH, full, nullptr);
    path_ = full;
    RemoveFolder(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\Effect").c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\Effect\\keypad").c_str(), nullptr);
    CreateDirectoryW((path_ + L"\\bell").c_str(), nullptr);
}

InstallFolder::~InstallFolder()
{
    RemoveFolder(path_);
}

void InstallFolder::Put(const std::wstring& relative, const Bytes& data)
{
    WriteFile(path_ + L"\\" + relative, data);
}

}  // namespace soundtest
