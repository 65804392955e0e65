#include "ce/contacts/ContactBook.h"

#include <map>
#include <set>

#include "stores/ContactProps.h"
#include "stores/NumberRoutines.h"
#include "stores/RecordProps.h"
#include "windbase.h"

namespace contacts {

namespace {

class Db {
public:
    explicit Db(const WCHAR* name) {
        CEGUID guid;
        CREATE_SYSTEMGUID(&guid);
        CEOID oid = 0;
        h_ = CeOpenDatabaseEx(&guid, &oid, const_cast<LPWSTR>(name), 0, CEDB_AUTOINCREMENT, nullptr);
    }
    ~Db() {
        if (ok()) CloseHandle(h_);
    }
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE handle() const { return h_; }

    // Calls `take` with every record from the first.
    template <typename Take>
    void Each(Take take) {
        CeSeekDatabase(h_, CEDB_SEEK_BEGINNING, 0, nullptr);
        for (;;) {
            LPBYTE data = nullptr;
            DWORD size = 0;
            WORD count = 0;
            CEOID oid = CeReadRecordPropsEx(h_, CEDB_ALLOCATE, &count, nullptr, &data, &size, nullptr);
            if (oid) take(RecordBuffer{reinterpret_cast<CEPROPVAL*>(data), count, oid});
            if (data) LocalFree(data);
            if (!oid) break;
        }
    }

private:
    HANDLE h_;
};

bool Exists(const WCHAR* name) { return Db(name).ok(); }

bool CreateIfMissing(const WCHAR* name) {
    if (Exists(name)) return true;
    CEGUID guid;
    CREATE_SYSTEMGUID(&guid);
    CEDBASEINFO info{};
    info.dwFlags = CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDMODTIME;
    wcsncpy(info.szDbaseName, name, CEDB_MAXDBASENAMELEN - 1);
    return CeCreateDatabaseEx(&guid, &info) != 0;
}

std::wstring Text(const RecordBuffer& r, CEPROPID id) {
    LPCWSTR t = TextProp(r, id);
    return t ? t : L"";
}

std::wstring Normalised(const std::wstring& number) {
    WCHAR n[kNumberChars];
    NormaliseForMatch(number.c_str(), n, kNumberChars);
    return number.empty() ? L"" : n;
}

// What makes two contacts the same for a repeated import.
std::wstring Key(const std::wstring& name, const std::wstring (&numbers)[3]) {
    return name + L'\x1f' + Normalised(numbers[0]) + L'\x1f' + Normalised(numbers[1]) + L'\x1f' +
           Normalised(numbers[2]);
}

CEPROPVAL TextValue(CEPROPID id, const std::wstring& text) {
    CEPROPVAL v{};
    v.propid = id;
    v.val.lpwstr = const_cast<LPWSTR>(text.c_str());
    return v;
}

CEPROPVAL BlobValue(CEPROPID id, const std::vector<BYTE>& bytes) {
    CEPROPVAL v{};
    v.propid = id;
    v.val.blob.dwCount = static_cast<DWORD>(bytes.size());
    v.val.blob.lpb = const_cast<BYTE*>(bytes.data());
    return v;
}

// Category name -> bit index, from the database, adding missing ones.
class Categories {
public:
    explicit Categories(Db& db) : db_(db) {
        db_.Each([&](const RecordBuffer& r) {
            const CEPROPVAL* bit = PropOf(r, kPropCategoryBit);
            LPCWSTR name = TextProp(r, kPropCategoryName);
            if (!bit || !name || bit->val.iVal < 0) return;
            if (!bits_.count(name)) bits_[name] = bit->val.iVal;
            used_.insert(bit->val.iVal);
        });
    }

    // The bit of a category, added to the database when new; -1 when it
    // cannot be added.
    int BitOf(const std::wstring& name, ImportReport& report) {
        auto it = bits_.find(name);
        if (it != bits_.end()) return it->second;
        int bit = 0;
        while (used_.count(bit)) ++bit;
        if (bit > 0x7FFF) return -1;
        CEPROPVAL v[2] = {TextValue(kPropCategoryName, name), {}};
        v[1].propid = kPropCategoryBit;
        v[1].val.iVal = static_cast<short>(bit);
        if (!CeWriteRecordProps(db_.handle(), 0, 2, v)) return -1;
        bits_[name] = bit;
        used_.insert(bit);
        ++report.newCategories;
        return bit;
    }

    std::map<int, std::wstring> Names() const {
        std::map<int, std::wstring> names;
        for (const auto& kv : bits_) names.emplace(kv.second, kv.first);
        return names;
    }

private:
    Db& db_;
    std::map<std::wstring, int> bits_;
    std::set<int> used_;
};

}  // namespace

int CreateDatabases() {
    bool contacts = CreateIfMissing(kContactsDbName);
    bool categories = CreateIfMissing(kCategoriesDbName);
    return contacts && categories ? 1 : 0;
}

ImportReport Import(const std::vector<vcard::Contact>& cards) {
    ImportReport report;
    if (!CreateDatabases()) {
        report.messages.push_back(L"the contacts databases cannot be created");
        report.failed = static_cast<int>(cards.size());
        return report;
    }
    Db contactsDb(kContactsDbName), categoriesDb(kCategoriesDbName);
    if (!contactsDb.ok() || !categoriesDb.ok()) {
        report.messages.push_back(L"the contacts databases cannot be opened");
        report.failed = static_cast<int>(cards.size());
        return report;
    }
    Categories categories(categoriesDb);
    std::set<std::wstring> known;
    contactsDb.Each([&](const RecordBuffer& r) {
        std::wstring numbers[3] = {Text(r, kPropMobile), Text(r, kPropHome), Text(r, kPropOffice)};
        known.insert(Key(Text(r, kPropDisplayName), numbers));
    });

    for (const vcard::Contact& c : cards) {
        std::wstring key = Key(c.formatted, c.numbers);
        if (known.count(key)) {
            ++report.duplicates;
            continue;
        }
        std::vector<BYTE> mask;
        for (const std::wstring& name : c.categories) {
            int bit = categories.BitOf(name, report);
            if (bit < 0) {
                report.messages.push_back(c.formatted + L": category " + name + L" cannot be added");
                continue;
            }
            // Whole 32-bit words, as the phone writes masks.
            size_t bytes = (static_cast<size_t>(bit) / 32 + 1) * 4;
            if (mask.size() < bytes) mask.resize(bytes, 0);
            mask[bit / 8] |= static_cast<BYTE>(1u << (bit % 8));
        }
        std::vector<CEPROPVAL> props;
        if (!mask.empty()) props.push_back(BlobValue(kPropCategoryMask, mask));
        if (!c.given.empty()) props.push_back(TextValue(kPropGivenName, c.given));
        if (!c.family.empty()) props.push_back(TextValue(kPropLastName, c.family));
        if (!c.formatted.empty()) props.push_back(TextValue(kPropDisplayName, c.formatted));
        CEPROPID preferred = 0;
        for (int k = 0; k < 3; ++k) {
            if (c.numbers[k].empty()) continue;
            props.push_back(TextValue(kNumberProps[k], c.numbers[k]));
            if (!preferred || c.preferred == k) preferred = kNumberProps[k];
        }
        if (!c.photo.empty()) props.push_back(BlobValue(kPropPicture, c.photo));
        CEPROPVAL pref{};
        pref.propid = kPropPreferred;
        pref.val.lVal = static_cast<long>(preferred);
        props.push_back(pref);
        if (!CeWriteRecordProps(contactsDb.handle(), 0, static_cast<WORD>(props.size()), props.data())) {
            ++report.failed;
            report.messages.push_back(c.formatted + L": the database refused the contact (error " +
                                      std::to_wstring(GetLastError()) + L")");
            continue;
        }
        known.insert(key);
        ++report.written;
    }
    return report;
}

ExportResult Export() {
    ExportResult result;
    Db contactsDb(kContactsDbName), categoriesDb(kCategoriesDbName);
    if (!contactsDb.ok()) {
        result.messages.push_back(L"there is no contacts database");
        return result;
    }
    std::map<int, std::wstring> names;
    if (categoriesDb.ok()) {
        names = Categories(categoriesDb).Names();
    }
    int index = 0;
    contactsDb.Each([&](const RecordBuffer& r) {
        ++index;
        vcard::Contact c;
        c.family = Text(r, kPropLastName);
        c.given = Text(r, kPropGivenName);
        if (c.given.empty()) c.given = Text(r, kPropFirstName);
        c.formatted = Text(r, kPropDisplayName);
        if (c.formatted.empty()) c.formatted = vcard::ComposeDisplayName(c.family, c.given);
        bool any = !c.formatted.empty();
        for (int k = 0; k < 3; ++k) {
            c.numbers[k] = Text(r, kNumberProps[k]);
            if (c.numbers[k].size() > vcard::kMaxNumberChars) {
                result.messages.push_back(L"record " + std::to_wstring(index) + L": number longer than 63 characters left out");
                c.numbers[k].clear();
            }
            any = any || !c.numbers[k].empty();
        }
        if (!any) {
            result.messages.push_back(L"record " + std::to_wstring(index) + L" has neither a name nor a number; left out");
            return;
        }
        if (const CEPROPVAL* p = PropOf(r, kPropPreferred)) {
            for (int k = 0; k < 3; ++k)
                if (static_cast<CEPROPID>(p->val.lVal) == kNumberProps[k] && !c.numbers[k].empty()) c.preferred = k;
        }
        if (const CEPROPVAL* m = PropOf(r, kPropCategoryMask)) {
            // Only bits the mask really has: a short mask names fewer categories.
            for (const auto& kv : names)
                if (MaskHasBit(m->val.blob.lpb, m->val.blob.lpb ? m->val.blob.dwCount : 0, kv.first))
                    c.categories.push_back(kv.second);
        }
        if (const CEPROPVAL* p = PropOf(r, kPropPicture)) {
            std::vector<BYTE> bytes(p->val.blob.lpb, p->val.blob.lpb ? p->val.blob.lpb + p->val.blob.dwCount : p->val.blob.lpb);
            std::wstring problem = vcard::PictureProblem(bytes);
            if (problem.empty()) c.photo = std::move(bytes);
            else result.messages.push_back(c.formatted + L": picture left out: " + problem);
        }
        result.contacts.push_back(std::move(c));
    });
    return result;
}

}  // namespace contacts
