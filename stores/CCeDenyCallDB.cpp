#include "stores/CCeDenyCallDB.h"

#include <cwchar>
#include <string>

#include "stores/NumberRoutines.h"
#include "stores/StoreCache.h"

namespace {

// The whole normalised form: numbers from the database may be of any length
// and must not match by a shared first 63 characters.
std::wstring MatchForm(LPCWSTR number) {
    std::wstring out((number ? wcslen(number) : 0) + 4, L'\0');
    out.resize(NormaliseForMatch(number, &out[0], static_cast<int>(out.size())));
    return out;
}

bool IsDialChar(WCHAR c) { return (c >= L'0' && c <= L'9') || c == L'*' || c == L'#'; }

// Whether a listed number's normalised form equals `wanted`, worked out in
// place: the check runs for every entry on every incoming call.
bool MatchesForm(LPCWSTR listed, const std::wstring& wanted) {
    size_t at = 0;
    if (listed[0] != L'0') {
        if (wanted.compare(0, 3, L"011") != 0) return false;
        at = 3;
    }
    for (; *listed; ++listed) {
        if (!IsDialChar(*listed)) continue;
        if (at >= wanted.size() || wanted[at] != *listed) return false;
        ++at;
    }
    return at == wanted.size();
}

}  // namespace

CCeDenyCallDB::CCeDenyCallDB() : m_Props{}, m_Buffer{nullptr, 0, 0}, m_pCurrent(nullptr) {}

CCeDenyCallDB::~CCeDenyCallDB() {
    Close();
    ClearCache();
}

int CCeDenyCallDB::Create(LPCWSTR name) {
    SORTORDERSPEC sort{kNameProperty, 0};
    return CreateWith(name, 15, &sort);
}

int CCeDenyCallDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, kNameProperty); }

void CCeDenyCallDB::FreeItem(DenyItem* item) {
    SysStringRelease(item->pszName);
    SysStringRelease(item->pszNumber);
    delete item;
}

void CCeDenyCallDB::ClearCache() {
    ReleaseItems<DenyItem>(m_List, FreeItem);
    m_pCurrent = nullptr;
    m_bLoaded = FALSE;
}

int CCeDenyCallDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    ClearCache();
    SeekFirst();
    // Records in another layout are passed over, not deleted: they may
    // belong to a program that knows them.
    while (ReadRecord(&m_Buffer)) {
        LPCWSTR name = TextProp(m_Buffer, kNameProperty);
        LPCWSTR number = TextProp(m_Buffer, kNumberProperty);
        if (m_Buffer.wCount == 2 && name && number)
            m_List.AddTail(new DenyItem{SysStringFrom(name), SysStringFrom(number), m_Buffer.oid});
        FreeRead(m_Buffer);
    }
    FreeRead(m_Buffer);
    Close();
    m_bLoaded = TRUE;
    return 1;
}

int CCeDenyCallDB::Add(LPCWSTR name, LPCWSTR number) {
    if (!HasDialChar(number) || wcslen(number) >= kNumberChars) return 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<DenyItem*>(m_List.Next()))
        if (SameNumber(item->pszNumber, number)) return 0;
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    m_Props[0] = {};
    m_Props[0].propid = kNameProperty;
    m_Props[0].val.lpwstr = const_cast<LPWSTR>(name ? name : L"");
    m_Props[1] = {};
    m_Props[1].propid = kNumberProperty;
    m_Props[1].val.lpwstr = const_cast<LPWSTR>(number);
    m_Buffer = {m_Props, 2, 0};
    int written = WriteRecord(&m_Buffer);
    m_Buffer.pProps = nullptr;
    Close();
    if (!written) return 0;
    m_List.AddTail(new DenyItem{SysStringFrom(name ? name : L""), SysStringFrom(number), m_Buffer.oid});
    return 1;
}

int CCeDenyCallDB::DeleteCurrent() { return DeleteCachedItem(*this, m_List, m_pCurrent, FreeItem); }

int CCeDenyCallDB::IsRejected(LPCWSTR number) {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    SeekFirst();
    int rejected = 0;
    if (HasDialChar(number)) {
        const std::wstring wanted = MatchForm(number);
        // Records in another layout are passed over; the scan goes on.
        while (!rejected && ReadRecord(&m_Buffer)) {
            LPCWSTR listed = TextProp(m_Buffer, kNumberProperty);
            if (m_Buffer.wCount == 2 && listed && HasDialChar(listed) && MatchesForm(listed, wanted)) rejected = 1;
            FreeRead(m_Buffer);
        }
        FreeRead(m_Buffer);
    }
    Close();
    return rejected;
}
