#pragma once
// Test helpers around the handheld's contacts: the two databases, records
// written the way the contacts application writes them, bitmap files and a
// window that receives change notifications.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "CeDbTestUtil.h"
#include "stores/ContactProps.h"

namespace contacttest {

struct Person {
    Person(const wchar_t* display_ = nullptr, const wchar_t* mobile_ = nullptr, const wchar_t* home_ = nullptr,
           const wchar_t* office_ = nullptr, std::vector<BYTE> mask_ = {}, LONG preferred_ = -1)
        : display(display_), mobile(mobile_), home(home_), office(office_), mask(std::move(mask_)),
          preferred(preferred_) {}
    const wchar_t* display;
    const wchar_t* mobile;
    const wchar_t* home;
    const wchar_t* office;
    std::vector<BYTE> mask;
    LONG preferred;  // -1: no preferred property written
    const wchar_t* last = nullptr;
    const wchar_t* given = nullptr;
};

inline void CreateDatabases() {
    cedbtest::Create(kContactsDbName);
    cedbtest::Create(kCategoriesDbName);
}

inline CEOID AddPerson(const Person& p) {
    HANDLE h = cedbtest::Open(kContactsDbName);
    std::vector<CEPROPVAL> v;
    auto text = [&](CEPROPID id, const wchar_t* s) {
        if (s) v.push_back(cedbtest::Str(HIWORD(id), s));
    };
    text(kPropDisplayName, p.display);
    text(kPropMobile, p.mobile);
    text(kPropHome, p.home);
    text(kPropOffice, p.office);
    text(kPropLastName, p.last);
    text(kPropGivenName, p.given);
    if (!p.mask.empty()) v.push_back(cedbtest::Blob(HIWORD(kPropCategoryMask), p.mask.data(), static_cast<DWORD>(p.mask.size())));
    if (p.preferred != -1) v.push_back(cedbtest::I4(HIWORD(kPropPreferred), p.preferred));
    CEOID oid = CeWriteRecordProps(h, 0, static_cast<WORD>(v.size()), v.data());
    CloseHandle(h);
    return oid;
}

// A contact with `count` phone-like numbers "010-4000-1000" on: the
// first three as mobile, home and office, the rest in other properties.
inline CEOID AddPersonWithNumbers(const wchar_t* name, int count) {
    HANDLE h = cedbtest::Open(kContactsDbName);
    std::vector<std::wstring> texts;
    std::vector<CEPROPVAL> v;
    v.push_back(cedbtest::Str(HIWORD(kPropDisplayName), name));
    for (int i = 0; i < count; ++i) texts.push_back(L"010-4000-" + std::to_wstring(1000 + i));
    const CEPROPID known[3] = {kPropMobile, kPropHome, kPropOffice};
    for (int i = 0; i < count; ++i)
        v.push_back(cedbtest::Str(i < 3 ? HIWORD(known[i]) : static_cast<WORD>(0x3A20 + i), texts[i].c_str()));
    CEOID oid = CeWriteRecordProps(h, 0, static_cast<WORD>(v.size()), v.data());
    CloseHandle(h);
    return oid;
}

inline CEOID AddCategory(const wchar_t* name, short bit) {
    HANDLE h = cedbtest::Open(kCategoriesDbName);
    CEPROPVAL v[2] = {cedbtest::Str(HIWORD(kPropCategoryName), name), cedbtest::I2(HIWORD(kPropCategoryBit), bit)};
    CEOID oid = CeWriteRecordProps(h, 0, 2, v);
    CloseHandle(h);
    return oid;
}

// The bytes of an uncompressed bitmap file; 24 bits per pixel, every
// pixel `colour` (0xRRGGBB).
inline std::vector<BYTE> BitmapBytes(int width, int height, DWORD colour = 0x3366CC) {
    DWORD stride = ((width * 24 + 31) / 32) * 4;
    DWORD pixels = stride * height;
    std::vector<BYTE> b(54 + pixels, 0);
    auto put32 = [&](size_t at, DWORD v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<DWORD>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, width);
    put32(22, height);
    b[26] = 1;
    b[28] = 24;
    put32(34, pixels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = &b[54 + y * stride + x * 3];
            p[0] = colour & 0xFF;
            p[1] = (colour >> 8) & 0xFF;
            p[2] = (colour >> 16) & 0xFF;
        }
    return b;
}

inline void WriteFileBytes(const wchar_t* path, const std::vector<BYTE>& bytes) {
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
}

// A message-only window standing in for the phonebook window.
class NotifyWindow {
public:
    NotifyWindow() { hwnd_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr); }
    ~NotifyWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }
    // Waits for the next database notification; its lParam, or 0 on time-out.
    LPARAM WaitNotification(DWORD ms = 5000) {
        DWORD until = GetTickCount() + ms;
        MSG m;
        while (GetTickCount() < until) {
            if (PeekMessageW(&m, hwnd_, WM_DBNOTIFICATION, WM_DBNOTIFICATION, PM_REMOVE)) return m.lParam;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        return 0;
    }

private:
    HWND hwnd_;
};

}  // namespace contacttest
