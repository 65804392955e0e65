#pragma once
// The phonebook view ("주소록"): category and search-kind choices, a search
// edit, back and contacts-application buttons over the contact list. It
// keeps the contacts and categories stores open with change notifications
// to itself and reloads them, keeping category and search, when the
// contacts application changes them.
#include <functional>
#include <string>

#include "screens/messaging/CCeMContactListWnd.h"
#include "toolkit/CCeMControls.h"
#include "toolkit/CCeMEdit.h"

class CCeMWndContacts : public CCeMWnd {
public:
    enum Command {
        kBack = 100,
        kCategory = 101,
        kFocusSearch = 102,
        kSearch = 103,
        kOpenContacts = 104,
        kSearchKind = 105,
        kSearchEdit = 106,
        kList = 107,
    };
    static constexpr int kCloseRequest = 1000;  // to the parent, with our id
    static constexpr int kEditChars = 128;
    static constexpr int kBandHeight = 48;  // the two rows of controls over the list
    // Starts the contacts application for editing; true when it started.
    using Launcher = std::function<bool()>;

    // Null stores or settings: the program's own (g_pDataManager).
    explicit CCeMWndContacts(CCeContactsDB* contacts = nullptr, CCeCategoriesDB* categories = nullptr,
                             const SettingsBlock* settings = nullptr);
    ~CCeMWndContacts() override;

    using CCeMWnd::Create;
    // A child of `parent` at `pl` (the main window's view rectangle).
    int Create(const CCeMPlacement& pl, HWND parent, DWORD style, UINT id);
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    int OnCreate(HWND hwnd, LPCREATESTRUCTW cs) override;
    int OnDestroy(HWND hwnd) override;
    int OnCommand(int code, int id, HWND control) override;
    void OnPaint(HWND hwnd) override;

    // Replaces the start of the contacts application (tests, other platforms).
    void SetLauncher(Launcher launcher) { m_launcher = std::move(launcher); }
    // Starts "\windows\poutlook.exe" with "contacts"; false when it cannot
    // be started (the view then says so).
    static bool StartContactsApplication();

    CCeMContactListWnd& List() { return m_list; }
    CCeContactsDB& Contacts() const { return *m_pContacts; }
    CCeCategoriesDB& Categories() const { return *m_pCategories; }
    HWND CategoryCombo() const { return m_category.GetHwnd(); }
    HWND KindCombo() const { return m_kind.GetHwnd(); }
    HWND SearchEdit() const { return m_edit.GetHwnd(); }
    HWND Button(int id) const;
    // Change notifications handled so far (each reload answers all waiting).
    int Reloads() const { return m_nReloads; }

private:
    void FillCategoryCombo();
    void Search();
    void OnDatabaseChanged(LPARAM notification);
    // Opens the stores again after a failed read; true when it did.
    bool ReopenIfBroken();
    void OpenContactsApplication();

    CCeContactsDB* m_pContacts;
    CCeCategoriesDB* m_pCategories;
    CCeMContactListWnd m_list;
    CCeMComboBox m_category;
    CCeMComboBox m_kind;
    CCeMEdit m_edit;
    CCeMButton m_search;
    CCeMButton m_back;
    CCeMButton m_open;
    Launcher m_launcher;
    int m_nReloads = 0;
};
