// Figures of caller identification with a large address book: the load of
// the categories and contacts caches, and NameByNumber over 5,000 contacts
// answered from the index and, for comparison, by reading the database.
//   wine-run.sh contacts_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ce/contacts/ContactBook.h"
#include "stores/CCeContactsDB.h"

namespace {

constexpr int kContacts = 5000;

double Now() { return bench::NowMs(); }

struct Stats {
    double median, p99, max;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() * 99 / 100], v.back()};
}

std::wstring Mobile(int i) { return L"010-" + std::to_wstring(2000 + i % 8000) + L"-" + std::to_wstring(1000 + i); }

}  // namespace

int main() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring store = std::wstring(folder) + L"zen-contacts-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(store.c_str(), nullptr);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.c_str());

    std::vector<vcard::Contact> cards(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        vcard::Contact& c = cards[i];
        c.family = L"김";
        c.given = L"사람" + std::to_wstring(i);
        c.formatted = c.family + c.given;
        c.numbers[vcard::kMobile] = Mobile(i);
        if (i % 3 == 0) c.numbers[vcard::kHome] = L"02-" + std::to_wstring(300 + i % 600) + L"-" + std::to_wstring(i);
        if (i % 5 == 0) c.numbers[vcard::kOffice] = L"031-" + std::to_wstring(700 + i);
        c.categories.push_back(L"분류 " + std::to_wstring(i % 20));
    }
    double t0 = Now();
    contacts::ImportReport report = contacts::Import(cards);
    double importMs = Now() - t0;
    printf("import of %d contacts (20 categories): %.0f ms, %d written\n", kContacts, importMs, report.written);

    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    categories.OpenDefault(window);
    contacts.OpenDefault(window);

    std::vector<double> loads, categoryLoads;
    for (int run = 0; run < 5; ++run) {
        double a = Now();
        int nc = categories.Load();
        double b = Now();
        int n = contacts.LoadAll();
        double c = Now();
        categoryLoads.push_back(b - a);
        loads.push_back(c - b);
        if (n != kContacts || nc != 20) printf("unexpected counts %d %d\n", n, nc);
    }
    Stats cl = Of(categoryLoads), ll = Of(loads);
    printf("categories cache load: median %.2f ms\n", cl.median);
    printf("contacts cache load (with number index): median %.1f ms, max %.1f ms\n", ll.median, ll.max);

    WCHAR name[64], category[64];
    std::vector<double> hits, misses;
    int found = 0;
    for (int i = 0; i < 20000; ++i) {
        std::wstring number = Mobile((i * 7919) % kContacts);
        // The module reports numbers without separators.
        number.erase(std::remove(number.begin(), number.end(), L'-'), number.end());
        double a = Now();
        found += contacts.NameByNumber(number.c_str(), name, category);
        hits.push_back(Now() - a);
        a = Now();
        contacts.NameByNumber(L"0199999999", name, category);
        misses.push_back(Now() - a);
    }
    Stats h = Of(hits), m = Of(misses);
    printf("NameByNumber from the index: hit median %.4f ms, p99 %.4f ms, max %.3f ms (%d of 20000 found)\n", h.median,
           h.p99, h.max, found);
    printf("NameByNumber from the index: miss median %.4f ms, p99 %.4f ms, max %.3f ms\n", m.median, m.p99, m.max);

    // Without a notification window the store cannot trust an index and reads
    // the database for every look-up.
    CCeCategoriesDB categories2;
    CCeContactsDB scanning{&categories2};
    scanning.OpenDefault(static_cast<HWND>(nullptr));
    std::vector<double> scans;
    for (int i = 0; i < 5; ++i) {
        double a = Now();
        scanning.NameByNumber(L"0199999999", name, nullptr);
        scans.push_back(Now() - a);
    }
    printf("NameByNumber reading the database (miss, all %d records): median %.1f ms\n", kContacts, Of(scans).median);

    contacts.Close();
    categories.Close();
    scanning.Close();
    DestroyWindow(window);
    WIN32_FIND_DATAW fd;
    HANDLE f = FindFirstFileW((store + L"\\*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
        do DeleteFileW((store + L"\\" + fd.cFileName).c_str());
        while (FindNextFileW(f, &fd));
        FindClose(f);
    }
    RemoveDirectoryW(store.c_str());
    return 0;
}
