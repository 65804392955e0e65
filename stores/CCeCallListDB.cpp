#include "stores/CCeCallListDB.h"

#include <cstring>
#include <cwchar>

#include "stores/StoreCache.h"
#include "stores/StoreText.h"
#include "stores/TimeStamp.h"

namespace {

constexpr int kNumberBytes = sizeof(CallItem::szNumber);
constexpr int kNameChars = sizeof(CallItem::szName) / sizeof(WCHAR);

// A timestamp fit for display: 14 digits, or zeros when the stored time
// could not be turned into one.
const char* DisplayStamp(const CallItem& item) {
    for (int i = 0; i < 14; ++i)
        if (item.szTimeStamp[i] < '0' || item.szTimeStamp[i] > '9') return "00000000000000";
    return item.szTimeStamp;
}

void Clear(LPWSTR out, int outChars) {
    if (out && outChars > 0) out[0] = 0;
}

// Whatever swprintf does with a text that does not fit, it ends in the buffer.
void Terminate(LPWSTR out, int outChars) { out[outChars - 1] = 0; }

}  // namespace

CCeCallListDB::CCeCallListDB() : m_Props{}, m_Buffer{nullptr, 0, 0}, m_szNumber{}, m_nCount{}, m_pCurrent(nullptr) {}

CCeCallListDB::~CCeCallListDB() {
    Close();
    FreeItems();
}

int CCeCallListDB::Create(LPCWSTR name) {
    SORTORDERSPEC sort{kTimeProperty, CEDB_SORT_DESCENDING};
    return CreateWith(name, 15, &sort);
}

int CCeCallListDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, kTimeProperty); }

void CCeCallListDB::FreeItems() {
    ReleaseItems<CallItem>(m_List, [](CallItem* item) { delete item; });
    m_pCurrent = nullptr;
}

CallItem* CCeCallListDB::ItemFromRecord(const RecordBuffer& r) {
    const CEPROPVAL* time = PropOf(r, kTimeProperty);
    const CEPROPVAL* kind = PropOf(r, kKindProperty);
    const CEPROPVAL* seconds = PropOf(r, kSecondsProperty);
    const CEPROPVAL* number = PropOf(r, kNumberProperty);
    const CEPROPVAL* name = PropOf(r, kNameProperty);
    if (r.wCount != 5 || !time || !kind || !seconds || !number || !name) return nullptr;
    CallItem* item = new CallItem{};
    item->oid = r.oid;
    TimeStampFromFileTime(&time->val.filetime, item->szTimeStamp);
    item->nKind = kind->val.iVal;
    WideToByteText(number->val.lpwstr, item->szNumber, kNumberBytes);
    item->nSeconds = seconds->val.lVal;
    CopyTextCut(item->szName, kNameChars, name->val.lpwstr);
    return item;
}

int CCeCallListDB::Load() {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    FreeItems();
    SeekFirst();
    // A record in another layout (an older or broken writer) is passed
    // over and left in the database; the calls after it still show.
    while (ReadRecord(&m_Buffer)) {
        if (CallItem* item = ItemFromRecord(m_Buffer)) m_List.AddTail(item);
        FreeRead(m_Buffer);
    }
    FreeRead(m_Buffer);
    Recount();
    Close();
    m_bLoaded = TRUE;
    return 1;
}

int CCeCallListDB::Add(const FILETIME& fileTime, const char* number, int kind, int seconds, LPCWSTR name) {
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    CallItem* item = new CallItem{};
    TimeStampFromFileTime(&fileTime, item->szTimeStamp);
    CopyByteTextCut(item->szNumber, kNumberBytes, number);
    item->nKind = kind;
    item->nSeconds = seconds;
    CopyTextCut(item->szName, kNameChars, name);

    ByteToWideText(item->szNumber, m_szNumber, 64);
    m_Props[0] = {};
    m_Props[0].propid = kTimeProperty;
    m_Props[0].val.filetime = fileTime;
    m_Props[1] = {};
    m_Props[1].propid = kKindProperty;
    m_Props[1].val.iVal = static_cast<short>(kind);
    m_Props[2] = {};
    m_Props[2].propid = kNumberProperty;
    m_Props[2].val.lpwstr = m_szNumber;
    m_Props[3] = {};
    m_Props[3].propid = kSecondsProperty;
    m_Props[3].val.lVal = seconds;
    m_Props[4] = {};
    m_Props[4].propid = kNameProperty;
    m_Props[4].val.lpwstr = item->szName;
    m_Buffer.pProps = m_Props;
    m_Buffer.wCount = 5;
    m_Buffer.oid = 0;
    int written = WriteRecord(&m_Buffer);
    m_Buffer.pProps = nullptr;
    Close();
    // A call that was not stored is not shown as if it were.
    if (!written) {
        delete item;
        return 0;
    }
    item->oid = m_Buffer.oid;
    m_List.AddHead(item);
    Recount();
    return 1;
}

void CCeCallListDB::Recount() {
    memset(m_nCount, 0, sizeof m_nCount);
    m_List.ResetCursor();
    while (auto* item = static_cast<CallItem*>(m_List.Next()))
        ++m_nCount[(item->nKind >= 1 && item->nKind <= 4) ? item->nKind - 1 : 4];
}

bool CCeCallListDB::Passes(const CallItem* item, int filter) {
    return filter == kAll || item->nKind == filter || (filter == kMissedOrRejected && item->nKind == kRejected);
}

CallItem* CCeCallListDB::Nth(int filter, int n) const {
    if (n < 0) return nullptr;
    // One walk with the list's cursor: reaching items by position would
    // walk from the head for every item.
    int passed = 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<CallItem*>(m_List.Next()))
        if (Passes(item, filter) && passed++ == n) return item;
    return nullptr;
}

int CCeCallListDB::Count(int filter) const {
    switch (filter) {
        case kAll:
            return m_nCount[0] + m_nCount[1] + m_nCount[2] + m_nCount[3] + m_nCount[4];
        case kOnlyOutgoing:
            return m_nCount[0];
        case kOnlyAnswered:
            return m_nCount[1];
        case kMissedOrRejected:
            return m_nCount[2] + m_nCount[3];
        default:
            return 0;
    }
}

int CCeCallListDB::SelectPrevious(int filter, int index) {
    int i = index - 1 < 0 ? 0 : index - 1;
    m_pCurrent = Nth(filter, i);
    if (!m_pCurrent) {
        i = 0;
        m_pCurrent = Nth(filter, 0);
    }
    return m_pCurrent ? i : -1;
}

int CCeCallListDB::SelectNext(int filter, int index) {
    int i = index + 1;
    m_pCurrent = Nth(filter, i);
    if (!m_pCurrent) {
        i = index;
        m_pCurrent = Nth(filter, index);
    }
    return m_pCurrent ? i : -1;
}

int CCeCallListDB::DeleteCurrent(int filter, int& index) {
    if (!m_pCurrent) return 0;
    if (!IsOpen()) OpenDefault(nullptr);
    if (!IsOpen()) return 0;
    int position = PositionOf(m_List, m_pCurrent);
    if (position < 0) {
        Close();
        return 0;
    }
    m_List.RemoveAt(position);
    // A failed delete still drops the item: the list shows what the user asked for.
    if (m_pCurrent->oid) DeleteRecord(m_pCurrent->oid);
    delete m_pCurrent;
    Recount();
    m_pCurrent = Nth(filter, index);
    if (!m_pCurrent && --index >= 0) m_pCurrent = Nth(filter, index);
    if (!m_pCurrent) index = -1;
    Close();
    return 1;
}

void CCeCallListDB::ClearAll() {
    FreeItems();
    memset(m_nCount, 0, sizeof m_nCount);
}

void CCeCallListDB::FormatDate(LPWSTR out, int outChars) const {
    Clear(out, outChars);
    if (!m_pCurrent || !out || outChars <= 0) return;
    const char* s = DisplayStamp(*m_pCurrent);
    swprintf(out, outChars, L"%ls : %lc%lc%lc%lc년 %lc%lc월 %lc%lc일", L"날짜", s[0], s[1], s[2], s[3], s[4], s[5], s[6],
             s[7]);
    Terminate(out, outChars);
}

void CCeCallListDB::FormatTime(LPWSTR out, int outChars) const {
    Clear(out, outChars);
    if (!m_pCurrent || !out || outChars <= 0) return;
    const char* s = DisplayStamp(*m_pCurrent);
    int h = (s[8] - '0') * 10 + (s[9] - '0');
    LPCWSTR half = h < 12 ? L"오전" : L"오후";
    if (h > 12) h -= 12;
    swprintf(out, outChars, L"시간 : %ls%2d시 %lc%lc분", half, h, s[10], s[11]);
    Terminate(out, outChars);
}

void CCeCallListDB::FormatLength(LPWSTR out, int outChars) const {
    Clear(out, outChars);
    if (!m_pCurrent || !out || outChars <= 0) return;
    int s = m_pCurrent->nSeconds < 0 ? 0 : m_pCurrent->nSeconds;
    swprintf(out, outChars, L"통화시간 : %d시 %d분 %d초", s / 3600, (s / 60) % 60, s % 60);
    Terminate(out, outChars);
}
