#include "ce/contacts/ContactBook.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "ce/cedb/CeDbBatch.h"
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

    // Adds the categories of these contacts that the database lacks, all in
    // one commit; one at a time only when that fails.
    void AddMissing(const std::vector<const vcard::Contact*>& cards, ImportReport& report) {
        std::vector<std::wstring> names;
        std::vector<int> bits;
        std::set<int> taken = used_;
        int next = 0;
        for (const vcard::Contact* c : cards)
            for (const std::wstring& name : c->categories) {
                if (bits_.count(name) || std::find(names.begin(), names.end(), name) != names.end()) continue;
                while (taken.count(next)) ++next;
                if (next > 0x7FFF) continue;  // no bit left: the contact's message says so
                names.push_back(name);
                bits.push_back(next);
                taken.insert(next);
            }
        if (names.empty()) return;
        std::vector<std::array<CEPROPVAL, 2>> values(names.size());
        std::vector<CEPROPVAL*> records(names.size());
        std::vector<WORD> counts(names.size(), 2);
        for (size_t i = 0; i < names.size(); ++i) {
            values[i][0] = TextValue(kPropCategoryName, names[i]);
            values[i][1] = CEPROPVAL{};
            values[i][1].propid = kPropCategoryBit;
            values[i][1].val.iVal = static_cast<short>(bits[i]);
            records[i] = values[i].data();
        }
        bool all = CeWriteNewRecords(db_.handle(), static_cast<DWORD>(names.size()), counts.data(), records.data(),
                                     nullptr) != FALSE;
        for (size_t i = 0; i < names.size(); ++i) {
            if (!all && !CeWriteRecordProps(db_.handle(), 0, 2, records[i])) continue;
            bits_[names[i]] = bits[i];
            used_.insert(bits[i]);
            ++report.newCategories;
        }
    }

    // The bit of a category; -1 when it is not in the database.
    int BitOf(const std::wstring& name) const {
        auto it = bits_.find(name);
        return it == bits_.end() ? -1 : it->second;
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

namespace {

// The properties of one contact record, pointing into the contact and the
// mask kept beside them.
struct Outgoing {
    const vcard::Contact* card;
    std::wstring key;
    std::vector<BYTE> mask;
    std::vector<CEPROPVAL> props;
};

void BuildProps(Outgoing& o) {
    const vcard::Contact& c = *o.card;
    std::vector<CEPROPVAL>& props = o.props;
    props.clear();
    if (!o.mask.empty()) props.push_back(BlobValue(kPropCategoryMask, o.mask));
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
}

std::wstring RefusalText(DWORD error) {
    if (error == ERROR_INVALID_PARAMETER) return L"the contact is too large for one database record; not added";
    return L"the database refused the contact (error " + std::to_wstring(error) + L"); not added";
}

// Records per commit, and the bytes of pictures after which a batch is
// committed early.
constexpr size_t kBatchRecords = 250;
constexpr size_t kBatchPictureBytes = 2 * 1024 * 1024;

}  // namespace

ImportReport Import(const std::vector<vcard::Contact>& cards, const std::function<void(int)>& committed) {
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

    for (size_t start = 0; start < cards.size();) {
        // Gather a batch of contacts not yet in the database.
        std::vector<Outgoing> batch;
        std::set<std::wstring> inBatch;
        size_t pictureBytes = 0;
        size_t i = start;
        for (; i < cards.size() && batch.size() < kBatchRecords && pictureBytes < kBatchPictureBytes; ++i) {
            std::wstring key = Key(cards[i].formatted, cards[i].numbers);
            if (known.count(key) || inBatch.count(key)) {
                ++report.duplicates;
                continue;
            }
            inBatch.insert(key);
            pictureBytes += cards[i].photo.size();
            batch.push_back(Outgoing{&cards[i], key, {}, {}});
        }
        start = i;
        if (batch.empty()) continue;

        std::vector<const vcard::Contact*> batchCards;
        for (const Outgoing& o : batch) batchCards.push_back(o.card);
        categories.AddMissing(batchCards, report);
        for (Outgoing& o : batch) {
            for (const std::wstring& name : o.card->categories) {
                int bit = categories.BitOf(name);
                if (bit < 0) {
                    report.messages.push_back(o.card->formatted + L": category " + name + L" cannot be added");
                    continue;
                }
                // Whole 32-bit words, as the phone writes masks.
                size_t bytes = (static_cast<size_t>(bit) / 32 + 1) * 4;
                if (o.mask.size() < bytes) o.mask.resize(bytes, 0);
                o.mask[bit / 8] |= static_cast<BYTE>(1u << (bit % 8));
            }
            BuildProps(o);
        }

        // One commit for the batch; a refused batch is written record by
        // record, so one bad contact costs only itself.
        std::vector<WORD> counts;
        std::vector<CEPROPVAL*> records;
        for (Outgoing& o : batch) {
            counts.push_back(static_cast<WORD>(o.props.size()));
            records.push_back(o.props.data());
        }
        bool all = CeWriteNewRecords(contactsDb.handle(), static_cast<DWORD>(batch.size()), counts.data(),
                                     records.data(), nullptr) != FALSE;
        for (Outgoing& o : batch) {
            if (!all && !CeWriteRecordProps(contactsDb.handle(), 0, static_cast<WORD>(o.props.size()), o.props.data())) {
                DWORD error = GetLastError();
                if (error == ERROR_DISK_FULL) {
                    // Nothing more fits: said once for all that is left.
                    int left = static_cast<int>(batch.size() - (&o - batch.data()) + (cards.size() - start));
                    report.failed += left;
                    report.messages.push_back(L"the contacts database is full (" + std::to_wstring(CEDB_MAXNUMRECORDS) +
                                              L" records); " + std::to_wstring(left) + L" contacts not added");
                    if (committed) committed(report.written);
                    return report;
                }
                ++report.failed;
                report.messages.push_back(o.card->formatted + L": " + RefusalText(error));
                continue;
            }
            known.insert(o.key);
            ++report.written;
        }
        if (committed) committed(report.written);
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
