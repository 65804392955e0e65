#include "test_files.h"

#include <windows.h>

namespace audiotest {

Bytes ReadAll(const std::wstring& path)
{
    Bytes data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return data;
    uint8_t buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0)
        data.insert(data.end(), buf, buf + got);
    CloseHandle(f);
    return data;
}

bool WriteAll(const std::wstring& path, const Bytes& data)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD put = 0;
    const bool ok = WriteFile(f, data.data(), DWORD(data.size()), &put, nullptr) && put == data.size();
    CloseHandle(f);
    return ok;
}

std::wstring Media(const char* name)
{
    std::wstring path = L"media\\";
    for (const char* p = name; *p; ++p)
        path += wchar_t(*p);
    return path;
}

namespace {
void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
}  // namespace

void AppendChunk(Bytes& file, const char id[4], const Bytes& body, uint32_t sizeField)
{
    file.insert(file.end(), id, id + 4);
    Put32(file, sizeField);
    file.insert(file.end(), body.begin(), body.end());
}

void AppendChunk(Bytes& file, const char id[4], const Bytes& body)
{
    AppendChunk(file, id, body, uint32_t(body.size()));
}

Bytes MakeWav(const WavLayout& s, const Bytes& data)
{
    Bytes fmt;
    const uint16_t align = uint16_t(s.channels * s.bits / 8);
    Put16(fmt, s.formatTag);
    Put16(fmt, s.channels);
    Put32(fmt, s.rate);
    Put32(fmt, s.rate * align);
    Put16(fmt, align);
    Put16(fmt, s.bits);
    while (fmt.size() < s.fmtSize)
        fmt.push_back(0);
    Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(file, "fmt ", fmt);
    AppendChunk(file, "data", data);
    const uint32_t riff = uint32_t(file.size() - 8);
    for (int i = 0; i < 4; ++i)
        file[4 + i] = uint8_t(riff >> (8 * i));
    return file;
}

}  // namespace audiotest
