// Figures of the phonebook view with 5,000 contacts: creating the view
// (stores opened, categories and every contact loaded, the first page
// drawn) and filtering by a number fragment and by a name fragment.
//   wine-run.sh phonebook_bench.exe
#include "bench/BenchClock.h"
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ce/contacts/ContactBook.h"
#include "screens/messaging/CCeMWndContacts.h"

namespace {

constexpr int kContacts = 5000;
constexpr int kRuns = 7;

std::wstring Mobile(int i) { return L"010-" + std::to_wstring(2000 + i % 8000) + L"-" + std::to_wstring(1000 + i); }

}  // namespace

int main()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring store = std::wstring(folder) + L"zen-phonebook-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(store.c_str(), nullptr);
    SetEnvironmentVariableW(L"ZEN_OBJECT_STORE", store.c_str());

    // The same address book as the contacts benchmark makes.
    std::vector<vcard::Contact> cards(kContacts);
    for (int i = 0; i < kContacts; ++i) {
        vcard::Contact& c = cards[i];
        c.family = L"김";
        c.given = L"사람" + std::to_wstring(i);
        c.formatted = c.family + c.given;
        c.numbers[vcard::kMobile] = Mobile(i);
        if (i % 3 == 0)
            c.numbers[vcard::kHome] = L"02-" + std::to_wstring(300 + i % 600) + L"-" + std::to_wstring(i);
        if (i % 5 == 0)
            c.numbers[vcard::kOffice] = L"031-" + std::to_wstring(700 + i);
        c.categories.push_back(L"분류 " + std::to_wstring(i % 20));
    }
    const contacts::ImportReport report = contacts::Import(cards);
    printf("%d contacts written (20 categories)\n", report.written);

    HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                                nullptr, nullptr);
    SettingsBlock settings = {};
    std::vector<double> opens, numberFilters, nameFilters, categoryFilters;
    int listed = 0, byNumber = 0, byName = 0, inCategory = 0;
    for (int run = 0; run < kRuns; ++run) {
        CCeCategoriesDB categories;
        CCeContactsDB contacts{&categories};
        CCeMWndContacts view{&contacts, &categories, &settings};
        double a = bench::NowMs();
        view.Create({0, 84, 240, 190}, main, WS_VISIBLE, 2);
        UpdateWindow(view.GetHwnd());
        double b = bench::NowMs();
        opens.push_back(b - a);
        listed = view.List().ItemCount();

        a = bench::NowMs();
        view.List().SetSearch(1, L"-2345");
        UpdateWindow(view.List().GetHwnd());
        b = bench::NowMs();
        numberFilters.push_back(b - a);
        byNumber = view.List().ItemCount();

        a = bench::NowMs();
        view.List().SetSearch(0, L"사람12");
        UpdateWindow(view.List().GetHwnd());
        b = bench::NowMs();
        nameFilters.push_back(b - a);
        byName = view.List().ItemCount();

        a = bench::NowMs();
        view.List().SetCategory(3);
        UpdateWindow(view.List().GetHwnd());
        b = bench::NowMs();
        categoryFilters.push_back(b - a);
        inCategory = view.List().ItemCount();
        view.Destroy();
    }
    printf("open the phonebook (%d listed): median %.1f ms, first %.1f ms (aim 100)\n", listed, bench::Median(opens),
           opens[0]);
    printf("filter by number fragment \"-2345\" (%d found): median %.1f ms (aim 30)\n", byNumber,
           bench::Median(numberFilters));
    printf("filter by name fragment \"사람12\" (%d found): median %.1f ms (aim 30)\n", byName,
           bench::Median(nameFilters));
    printf("then within a category (%d found): median %.1f ms\n", inCategory, bench::Median(categoryFilters));
    DestroyWindow(main);
    return 0;
}
