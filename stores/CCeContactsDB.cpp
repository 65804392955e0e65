#include "stores/CCeContactsDB.h"

#include <cwchar>
#include <vector>

#include "stores/BitmapFile.h"
#include "stores/ContactProps.h"
#include "stores/NumberRoutines.h"
#include "stores/StoreText.h"

namespace {

bool Contains(LPCWSTR text, LPCWSTR part) { return text && wcsstr(text, part ? part : L""); }

std::wstring Normalised(LPCWSTR number) {
    WCHAR n[kNumberChars];
    NormaliseForMatch(number, n, kNumberChars);
    return n;
}

bool IsLookupNumber(LPCWSTR number) {
    if (!number || !number[0]) return false;
    for (LPCWSTR p = number; *p; ++p)
        if (!((*p >= L'0' && *p <= L'9') || *p == L' ' || *p == L'*' || *p == L'#' || *p == L'-')) return false;
    return true;
}

// Files larger than this cannot hold a picture the phone accepts.
constexpr DWORD kMaxPictureFile = 4 * 1024 * 1024;

}  // namespace

CCeContactsDB::CCeContactsDB(CCeCategoriesDB* categories)
    : m_pCategories(categories),
      m_Buffer{nullptr, 0, 0},
      m_pCurrent(nullptr),
      m_LastFilter(Filter::All),
      m_LastBit(0),
      m_bIndexValid(false) {}

CCeContactsDB::~CCeContactsDB() { Close(); }

int CCeContactsDB::OpenDefault(HWND notifyWindow) {
    m_bIndexValid = false;
    return Open(kContactsDbName, 0, notifyWindow);
}

int CCeContactsDB::Close() {
    ReleaseCache();
    m_Index.clear();
    m_bIndexValid = false;
    return CCeDatabase::Close();
}

void CCeContactsDB::ReleaseCache() {
    m_List.ResetCursor();
    while (auto* item = static_cast<ContactItem*>(m_List.Next())) FreeContactItem(item);
    m_List.RemoveAll();
    m_pCurrent = nullptr;
    m_bLoaded = FALSE;
}

ContactItem* CCeContactsDB::At(int index) const {
    if (index < 0 || index >= m_List.GetCount()) return nullptr;
    return static_cast<ContactItem*>(m_List.GetAt(index));
}

ContactItem* CCeContactsDB::ByPosition(int position) const { return position <= 0 ? m_pCurrent : At(position - 1); }

bool CCeContactsDB::InCategory(const ContactItem* contact, int bit) {
    return contact && MaskHasBit(contact->pCategoryMask, contact->cbCategoryMask, bit);
}

bool CCeContactsDB::Passes(const ContactItem* c, Filter filter, LPCWSTR text, int bit) const {
    auto byNumber = [&] {
        return Contains(c->pszMobile, text) || Contains(c->pszHome, text) || Contains(c->pszOffice, text);
    };
    switch (filter) {
        case Filter::All: return true;
        case Filter::Category: return InCategory(c, bit);
        case Filter::Name: return Contains(c->pszDisplayName, text);
        case Filter::Number: return byNumber();
        case Filter::NameInCategory: return InCategory(c, bit) && Contains(c->pszDisplayName, text);
        case Filter::NumberInCategory: return InCategory(c, bit) && byNumber();
    }
    return false;
}

void CCeContactsDB::IndexContact(const ContactItem* c) {
    for (CEPROPID id : kNumberProps) {
        LPCWSTR number = ContactNumber(c, id);
        if (!number || !number[0]) continue;
        // The first contact with a number answers for it, as a scan would.
        auto inserted = m_Index.emplace(Normalised(number), IndexEntry{});
        if (!inserted.second) continue;
        inserted.first->second.name = c->pszDisplayName ? c->pszDisplayName : L"";
        inserted.first->second.mask.assign(c->pCategoryMask, c->pCategoryMask + c->cbCategoryMask);
    }
}

int CCeContactsDB::Fill(Filter filter, LPCWSTR text, int bit) {
    m_LastFilter = filter;
    m_LastText = text ? text : L"";
    m_LastBit = bit;
    ReleaseCache();
    m_Index.clear();
    m_bIndexValid = false;
    if (!IsOpen()) return 0;
    SeekFirst();
    for (;;) {
        int read = ReadRecord(&m_Buffer);
        DWORD error = read ? 0 : GetLastError();
        if (read) {
            ContactItem* c = ContactItemFromRecord(m_Buffer);
            IndexContact(c);
            if (Passes(c, filter, m_LastText.c_str(), bit))
                m_List.AddTail(c);
            else
                FreeContactItem(c);
        }
        if (m_Buffer.pProps) LocalFree(m_Buffer.pProps);
        m_Buffer.pProps = nullptr;
        if (!read) {
            m_bIndexValid = error == ERROR_NO_MORE_ITEMS;
            break;
        }
    }
    m_bLoaded = TRUE;
    return m_List.GetCount();
}

int CCeContactsDB::LoadAll() { return Fill(Filter::All, nullptr, 0); }
int CCeContactsDB::LoadCategory(int bit) { return Fill(Filter::Category, nullptr, bit); }
int CCeContactsDB::SearchName(LPCWSTR text) { return Fill(Filter::Name, text, 0); }
int CCeContactsDB::SearchNumber(LPCWSTR text) { return Fill(Filter::Number, text, 0); }
int CCeContactsDB::SearchNameInCategory(LPCWSTR text, int bit) { return Fill(Filter::NameInCategory, text, bit); }
int CCeContactsDB::SearchNumberInCategory(LPCWSTR text, int bit) { return Fill(Filter::NumberInCategory, text, bit); }

int CCeContactsDB::Reload() {
    std::wstring text = m_LastText;
    return Fill(m_LastFilter, text.c_str(), m_LastBit);
}

LPCWSTR CCeContactsDB::PreferredNumber(int position) {
    ContactItem* c = ByPosition(position);
    if (!c || !c->nPreferred) return nullptr;
    LPCWSTR number = ContactNumber(c, c->nPreferred);
    return (number && number[0]) ? number : nullptr;
}

bool CCeContactsDB::StillThere(const ContactItem* c) {
    if (!c || !c->oid || !SeekById(c->oid)) return false;
    int read = ReadRecord(&m_Buffer);
    bool same = read && m_Buffer.oid == c->oid;
    if (m_Buffer.pProps) LocalFree(m_Buffer.pProps);
    m_Buffer.pProps = nullptr;
    return same;
}

int CCeContactsDB::SetPreferred(int kind) {
    if (kind < 0 || kind > 2 || !StillThere(m_pCurrent)) return 0;
    CEPROPVAL v{};
    v.propid = kPropPreferred;
    v.val.lVal = static_cast<long>(kNumberProps[kind]);
    RecordBuffer b{&v, 1, m_pCurrent->oid};
    if (!WriteRecord(&b)) return 0;
    m_pCurrent->nPreferred = kNumberProps[kind];
    return 1;
}

int CCeContactsDB::FillOutputs(LPCWSTR name, const BYTE* mask, DWORD maskLength, LPWSTR nameOut, LPWSTR categoryOut,
                               int outChars) {
    CopyTextCut(nameOut, outChars, name);
    if (categoryOut && maskLength && m_pCategories)
        m_pCategories->NameForMask(maskLength, mask, categoryOut, outChars);
    return 1;
}

int CCeContactsDB::NameByNumber(LPCWSTR number, LPWSTR nameOut, LPWSTR categoryOut, int outChars) {
    CopyTextCut(nameOut, outChars, nullptr);
    CopyTextCut(categoryOut, outChars, nullptr);
    if (!IsLookupNumber(number)) return 0;
    std::wstring wanted = Normalised(number);
    if (IndexInUse()) {
        auto it = m_Index.find(wanted);
        if (it == m_Index.end()) return 0;
        const IndexEntry& e = it->second;
        return FillOutputs(e.name.c_str(), e.mask.data(), static_cast<DWORD>(e.mask.size()), nameOut, categoryOut,
                           outChars);
    }
    if (!IsOpen()) return 0;
    int found = 0;
    SeekFirst();
    while (!found && ReadRecord(&m_Buffer)) {
        for (CEPROPID id : kNumberProps) {
            LPCWSTR n = NonEmptyText(m_Buffer, id);
            if (!n || Normalised(n) != wanted) continue;
            const CEPROPVAL* mask = PropOf(m_Buffer, kPropCategoryMask);
            found = FillOutputs(NonEmptyText(m_Buffer, kPropDisplayName), mask ? mask->val.blob.lpb : nullptr,
                                (mask && mask->val.blob.lpb) ? mask->val.blob.dwCount : 0, nameOut, categoryOut,
                                outChars);
            break;
        }
        LocalFree(m_Buffer.pProps);
        m_Buffer.pProps = nullptr;
    }
    if (m_Buffer.pProps) LocalFree(m_Buffer.pProps);
    m_Buffer.pProps = nullptr;
    return found;
}

int CCeContactsDB::AddContact(ContactItem* item) {
    if (!item || !IsOpen()) return 0;
    std::vector<CEPROPVAL> props;
    if (item->pCategoryMask && item->cbCategoryMask) {
        CEPROPVAL v{};
        v.propid = kPropCategoryMask;
        v.val.blob.dwCount = item->cbCategoryMask;
        v.val.blob.lpb = item->pCategoryMask;
        props.push_back(v);
    }
    const std::pair<CEPROPID, BSTR> texts[] = {
        {kPropFirstName, item->pszFirstName}, {kPropGivenName, item->pszGivenName},
        {kPropLastName, item->pszLastName},   {kPropDisplayName, item->pszDisplayName},
        {kPropMobile, item->pszMobile},       {kPropHome, item->pszHome},
        {kPropOffice, item->pszOffice}};
    for (const auto& t : texts) {
        if (!t.second || !t.second[0]) continue;
        CEPROPVAL v{};
        v.propid = t.first;
        v.val.lpwstr = t.second;
        props.push_back(v);
    }
    CEPROPVAL preferred{};
    preferred.propid = kPropPreferred;
    preferred.val.lVal = static_cast<long>(item->nPreferred);
    props.push_back(preferred);
    RecordBuffer b{props.data(), static_cast<WORD>(props.size()), 0};
    int result = WriteRecord(&b);
    if (result) {
        item->oid = b.oid;
        // A new record comes last in record order, so it answers only for
        // numbers no earlier contact has.
        if (m_bIndexValid) IndexContact(item);
    }
    return result;
}

int CCeContactsDB::SetPicture(int position, LPCWSTR file) {
    HANDLE f = CreateFileW(file ? file : L"", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 0;
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    DWORD want = size.QuadPart > kMaxPictureFile ? 64 : static_cast<DWORD>(size.QuadPart);
    std::vector<BYTE> bytes(want);
    DWORD got = 0;
    BOOL ok = want == 0 || ReadFile(f, bytes.data(), want, &got, nullptr);
    CloseHandle(f);
    if (!ok || got != want || want < 54) return 0;
    // Width and height first: an oversized picture is refused for its size
    // even when the file is too large to read whole.
    LONG width = *reinterpret_cast<const LONG*>(&bytes[18]);
    LONG height = *reinterpret_cast<const LONG*>(&bytes[22]);
    bool looksBitmap = bytes[0] == 'B' && bytes[1] == 'M';
    if (looksBitmap && width > 0 && height != 0 &&
        static_cast<long long>(width) * (height < 0 ? -static_cast<long long>(height) : height) > kMaxPicturePixels)
        return -1;
    if (size.QuadPart > kMaxPictureFile || CheckBitmapFile(bytes.data(), got, nullptr) != kBitmapOk) return 0;

    ContactItem* c = ByPosition(position);
    if (!StillThere(c)) return -2;
    CEPROPVAL v{};
    v.propid = kPropPicture;
    v.val.blob.dwCount = got;
    v.val.blob.lpb = bytes.data();
    RecordBuffer b{&v, 1, c->oid};
    if (!WriteRecord(&b)) return -2;
    c->cbPicture = got;
    return 1;
}

HBITMAP CCeContactsDB::GetPicture(HDC dc) {
    ContactItem* c = m_pCurrent;
    if (!c || !c->cbPicture || !IsOpen() || !SeekById(c->oid)) return nullptr;
    CEPROPID id = kPropPicture;
    WORD count = 1;
    LPBYTE data = nullptr;
    DWORD size = 0;
    CEOID oid = CeReadRecordPropsEx(Handle(), CEDB_ALLOCATE, &count, &id, &data, &size, nullptr);
    HBITMAP bitmap = nullptr;
    if (oid == c->oid && data && count == 1) {
        const CEPROPVAL* v = reinterpret_cast<const CEPROPVAL*>(data);
        if (!(v->wFlags & CEDB_PROPNOTFOUND)) bitmap = BitmapFromFileBytes(dc, v->val.blob.lpb, v->val.blob.dwCount);
    }
    if (data) LocalFree(data);
    return bitmap;
}
