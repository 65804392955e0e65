#pragma once
// The handheld's contacts ("Contacts Database"): the phonebook's lists and
// searches, and the name and category that belong to a phone number. The
// database belongs to the contacts application and is never created here.
#include <string>
#include <unordered_map>
#include <vector>

#include "stores/CCeCategoriesDB.h"
#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"
#include "stores/ContactItem.h"

class CCeContactsDB : public CCeDatabase {
public:
    // `categories` gives NameByNumber the caller's category; it outlives this store.
    explicit CCeContactsDB(CCeCategoriesDB* categories);
    ~CCeContactsDB() override;

    // Opens with change notifications to the phonebook window; stays open.
    int OpenDefault(HWND notifyWindow);
    int OpenDefault(LPCWSTR) override { return 0; }  // never by name: never created
    int Close() override;

    // Each releases the cache, reads every record from the first and keeps
    // those that pass; each returns the number cached.
    int LoadAll();
    int LoadCategory(int bit);
    int SearchName(LPCWSTR text);
    int SearchNumber(LPCWSTR text);
    int SearchNameInCategory(LPCWSTR text, int bit);
    int SearchNumberInCategory(LPCWSTR text, int bit);
    // Repeats the last of the six above (LoadAll when none ran yet).
    int Reload();

    // Positions count from 1; 0 or less means the current contact.
    LPCWSTR PreferredNumber(int position);
    // Kind 0 mobile, 1 home, 2 office becomes the current contact's
    // preferred number. 1 when written.
    int SetPreferred(int kind);
    static bool InCategory(const ContactItem* contact, int bit);
    // 1 with the display name (and the first category's name when
    // categoryOut is given) of the first contact with a matching number;
    // else 0 with empty outputs. Outputs are cut to outChars.
    int NameByNumber(LPCWSTR number, LPWSTR nameOut, LPWSTR categoryOut, int outChars = 64);
    // Writes a new contact record; the WriteRecord result.
    int AddContact(ContactItem* item);
    // 1 stored; 0 the file is no bitmap; -1 more than 10000 pixels; -2 not written.
    int SetPicture(int position, LPCWSTR file);
    // The current contact's picture as a bitmap, or null.
    HBITMAP GetPicture(HDC dc);

    int Count() const { return m_List.GetCount(); }
    ContactItem* At(int index) const;  // 0-based
    ContactItem* Current() const { return m_pCurrent; }
    void SetCurrent(ContactItem* item) { m_pCurrent = item; }

    // Whether number look-ups are answered from the index of the last full
    // read (only while change notifications keep it fresh).
    bool IndexInUse() const { return m_bIndexValid && NotifyWindow(); }

private:
    enum class Filter { All, Category, Name, Number, NameInCategory, NumberInCategory };
    int Fill(Filter filter, LPCWSTR text, int bit);
    bool Passes(const ContactItem* c, Filter filter, LPCWSTR text, int bit) const;
    void ReleaseCache();
    void IndexContact(const ContactItem* c);
    ContactItem* ByPosition(int position) const;
    // Seeks to the contact's record; whether it is still there.
    bool StillThere(const ContactItem* c);
    int FillOutputs(LPCWSTR name, const BYTE* mask, DWORD maskLength, LPWSTR nameOut, LPWSTR categoryOut,
                    int outChars);

    struct IndexEntry {
        std::wstring name;
        std::vector<BYTE> mask;
    };

    CCeCategoriesDB* m_pCategories;
    RecordBuffer m_Buffer;
    CCePtrList m_List;
    ContactItem* m_pCurrent;

    Filter m_LastFilter;
    std::wstring m_LastText;
    int m_LastBit;

    // Normalised number -> the first contact (in record order) that has it.
    std::unordered_map<std::wstring, IndexEntry> m_Index;
    bool m_bIndexValid;
};
