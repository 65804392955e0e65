#include "stores/CCeSmsDB.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "stores/CCeContactsDB.h"
#include "stores/StoreCache.h"
#include "stores/StoreText.h"
#include "stores/TimeStamp.h"

namespace {

constexpr CEPROPID kState = 0x00010002;
constexpr CEPROPID kTime = 0x00020040;
constexpr CEPROPID kNumber = 0x0003001F;
constexpr CEPROPID kTeleservice = 0x00040002;
constexpr CEPROPID kText = 0x0005001F;
constexpr CEPROPID kName = 0x0006001F;
const CEPROPID kShape[6] = {kState, kTime, kNumber, kTeleservice, kText, kName};

void FreeItem(SmsItem* item) { delete item; }

// A fixed-size field of a module record, which need not hold its zero.
template <size_t N>
void FieldCopy(char (&to)[N + 1], const char (&from)[N]) {
    memcpy(to, from, N);
    to[N] = 0;
}

}  // namespace

CCeSmsDB::CCeSmsDB(CCeContactsDB* contacts)
    : m_nPaging(0),
      m_nText(0),
      m_nVoice(0),
      m_nUnreadPaging(0),
      m_nUnreadText(0),
      m_nUnreadVoice(0),
      m_nSent(0),
      m_Props{},
      m_Buffer{nullptr, 0, 0},
      m_szNumber{},
      m_szText{},
      m_pCurrent(nullptr),
      m_pContacts(contacts) {
    InitializeCriticalSection(&m_Lock);
}

CCeSmsDB::~CCeSmsDB() {
    ReleaseCache();
    Close();
    DeleteCriticalSection(&m_Lock);
}

int CCeSmsDB::Create(LPCWSTR name) {
    SORTORDERSPEC sort{kTime, 0};
    return CreateWith(name, 15, &sort);
}

int CCeSmsDB::OpenDefault(LPCWSTR name) { return OpenDefaultWith(name, kDatabaseName, 0); }

bool CCeSmsDB::EnsureOpen() {
    if (!IsOpen()) OpenDefault(nullptr);
    return IsOpen();
}

void CCeSmsDB::ReleaseCache() {
    ReleaseItems<SmsItem>(m_List, FreeItem);
    m_pCurrent = nullptr;
    m_bLoaded = FALSE;
}

bool CCeSmsDB::Passes(const SmsItem* item, int filter) {
    bool received = (item->nState & kSmsReceivedBit) != 0;
    switch (filter) {
        case kSmsReceived: return received && item->nTeleservice != kTeleserviceVoiceMail;
        case kSmsSentOnes: return !received;
        case kSmsVoiceMail: return item->nTeleservice == kTeleserviceVoiceMail;
    }
    return true;
}

int CCeSmsDB::Load() {
    Lock();
    if (!EnsureOpen()) {
        Unlock();
        return 0;
    }
    ReleaseCache();
    ReadShaped(*this, m_Buffer, kShape, 6, [&](const RecordBuffer& r) {
        const CEPROPVAL* p = r.pProps;
        auto* item = new SmsItem{};
        item->oid = r.oid;
        item->nState = p[0].val.iVal;
        TimeStampFromFileTime(&p[1].val.filetime, item->szTime);
        WideToByteText(p[2].val.lpwstr, item->szNumber, sizeof item->szNumber);
        item->nTeleservice = p[3].val.iVal;
        WideToByteText(p[4].val.lpwstr, item->szText, sizeof item->szText);
        CopyTextCut(item->szName, 65, p[5].val.lpwstr);
        m_List.AddHead(item);
        return true;
    });
    Recount();
    m_bLoaded = TRUE;
    Close();
    Unlock();
    return 1;
}

int CCeSmsDB::WriteItem(SmsItem* item) {
    if (!item) return 0;
    ByteToWideText(item->szNumber, m_szNumber, 65);
    ByteToWideText(item->szText, m_szText, 331);
    item->szName[64] = 0;
    FILETIME ft;
    if (!FileTimeFromTimeStamp(item->szTime, &ft)) {
        TimeStampNow(item->szTime);
        FileTimeFromTimeStamp(item->szTime, &ft);
    }
    for (int i = 0; i < 6; ++i) m_Props[i] = CEPROPVAL{kShape[i], 0, 0, {}};
    m_Props[0].val.iVal = static_cast<short>(item->nState);
    m_Props[1].val.filetime = ft;
    m_Props[2].val.lpwstr = m_szNumber;
    m_Props[3].val.iVal = static_cast<short>(item->nTeleservice);
    m_Props[4].val.lpwstr = m_szText;
    m_Props[5].val.lpwstr = item->szName;
    RecordBuffer b{m_Props, 6, item->oid};
    int result = WriteRecord(&b);
    if (result) item->oid = b.oid;
    return result;
}

int CCeSmsDB::AddReceived(const ModemSmsRecord* records, int count) {
    // The cache is shared with the list's readers: this takes the lock too.
    Lock();
    if (!records || count <= 0 || !EnsureOpen()) {
        Unlock();
        return 0;
    }
    int stored = 0;
    for (int i = 0; i < count; ++i) {
        const ModemSmsRecord& r = records[i];
        char time[sizeof r.timeStamp + 1], number[sizeof r.number + 1], service[sizeof r.teleservice + 1],
            body[sizeof r.body + 1];
        FieldCopy(time, r.timeStamp);
        FieldCopy(number, r.number);
        FieldCopy(service, r.teleservice);
        FieldCopy(body, r.body);
        auto* item = new SmsItem{};
        TimeStampFromModule(time, item->szTime);
        CopyByteTextCut(item->szNumber, sizeof item->szNumber, number);
        item->nTeleservice = strtol(service, nullptr, 10);
        CopyByteTextCut(item->szText, sizeof item->szText, body);
        item->nState = kSmsUnread;
        if (m_pContacts && item->szNumber[0]) {
            WCHAR wide[65];
            ByteToWideText(item->szNumber, wide, 65);
            m_pContacts->NameByNumber(wide, item->szName, nullptr, 65);
        }
        // Only what reached the database is cached: a message kept in memory
        // alone would be gone at the next start.
        if (!WriteItem(item)) {
            FreeItem(item);
            continue;
        }
        m_List.AddHead(item);
        ++stored;
    }
    Close();
    if (stored) Recount();
    Unlock();
    return stored;
}

SmsItem* CCeSmsDB::AddSent(LPCWSTR number, LPCWSTR text, LONG state, LPCWSTR name) {
    Lock();
    if (!EnsureOpen()) {
        Unlock();
        return nullptr;
    }
    auto* item = new SmsItem{};
    TimeStampNow(item->szTime);
    WideToByteText(number, item->szNumber, sizeof item->szNumber);
    WideToByteText(text, item->szText, sizeof item->szText);
    item->nState = state;
    item->nTeleservice = kTeleserviceText;
    CopyTextCut(item->szName, 65, name);
    const int written = WriteItem(item);
    Close();
    if (!written) {
        FreeItem(item);
        Unlock();
        return nullptr;
    }
    m_List.AddHead(item);
    Recount();
    Unlock();
    return item;
}

int CCeSmsDB::SetSendResult(SmsItem* item, int success) {
    Lock();
    int changed = 0;
    if (item && item->nState == kSmsSending && EnsureOpen()) {
        const SmsItem before = *item;
        item->nState = success == 1 ? kSmsSent : kSmsSendFailed;
        TimeStampNow(item->szTime);
        changed = WriteItem(item);
        Close();
        // The item shows what the database holds.
        if (!changed) *item = before;
    }
    Unlock();
    return changed;
}

int CCeSmsDB::MarkRead(SmsItem* item) {
    Lock();
    int changed = 0;
    if (item && item->nState == kSmsUnread && EnsureOpen()) {
        item->nState = kSmsRead;
        const int written = WriteItem(item);
        Close();
        if (!written) {
            item->nState = kSmsUnread;
            Unlock();
            return 0;
        }
        LONG& unread = item->nTeleservice == kTeleservicePaging ? m_nUnreadPaging
                       : item->nTeleservice == kTeleserviceText ? m_nUnreadText
                                                                : m_nUnreadVoice;
        if (unread > 0) --unread;
        changed = 1;
    }
    Unlock();
    return changed;
}

void CCeSmsDB::DeleteFilter(int filter) {
    Lock();
    if (EnsureOpen()) {
        int position = 0;
        while (auto* item = static_cast<SmsItem*>(m_List.GetAt(position))) {
            if (!Passes(item, filter)) {
                ++position;
                continue;
            }
            if (item->oid) DeleteRecord(item->oid);
            if (item == m_pCurrent) m_pCurrent = nullptr;
            m_List.RemoveAt(position);
            FreeItem(item);
        }
        Close();
        // The counters would otherwise still count the deleted items.
        Recount();
    }
    Unlock();
}

void CCeSmsDB::Recount() {
    Lock();
    m_nPaging = m_nText = m_nVoice = m_nUnreadPaging = m_nUnreadText = m_nUnreadVoice = m_nSent = 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<SmsItem*>(m_List.Next())) {
        if (!(item->nState & kSmsReceivedBit)) {
            ++m_nSent;
            continue;
        }
        bool unread = item->nState == kSmsUnread;
        if (item->nTeleservice == kTeleservicePaging) {
            ++m_nPaging;
            m_nUnreadPaging += unread;
        } else if (item->nTeleservice == kTeleserviceText) {
            ++m_nText;
            m_nUnreadText += unread;
        } else {
            ++m_nVoice;
            m_nUnreadVoice += unread;
        }
    }
    Unlock();
}

SmsItem* CCeSmsDB::NthLocked(int filter, int n) {
    if (n < 0) return nullptr;
    int passed = 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<SmsItem*>(m_List.Next()))
        if (Passes(item, filter) && ++passed > n) return item;
    return nullptr;
}

SmsItem* CCeSmsDB::Nth(int filter, int n) {
    Lock();
    SmsItem* item = NthLocked(filter, n);
    Unlock();
    return item;
}

int CCeSmsDB::Count(int filter) {
    Lock();
    int n = 0;
    m_List.ResetCursor();
    while (auto* item = static_cast<SmsItem*>(m_List.Next())) n += Passes(item, filter);
    Unlock();
    return n;
}

int CCeSmsDB::SelectPrevious(int filter, int* index) {
    if (!index) return 0;
    Lock();
    int i = *index - 1 < 0 ? 0 : *index - 1;
    SmsItem* item = NthLocked(filter, i);
    if (!item) {
        i = 0;
        item = NthLocked(filter, 0);
    }
    m_pCurrent = item;
    *index = item ? i : -1;
    int result = item ? MarkRead(item) : 0;
    Unlock();
    return result;
}

int CCeSmsDB::SelectNext(int filter, int* index) {
    if (!index) return 0;
    Lock();
    int i = *index + 1;
    SmsItem* item = NthLocked(filter, i);
    if (!item) {
        i = *index;
        item = NthLocked(filter, i);
    }
    m_pCurrent = item;
    *index = item ? i : -1;
    int result = item ? MarkRead(item) : 0;
    Unlock();
    return result;
}

int CCeSmsDB::DeleteCurrent(int filter, int* index) {
    if (!index) return 0;
    Lock();
    int result = 0;
    if (m_pCurrent && EnsureOpen()) {
        int position = PositionOf(m_List, m_pCurrent);
        if (position >= 0) {
            m_List.RemoveAt(position);
            if (m_pCurrent->oid) DeleteRecord(m_pCurrent->oid);
            FreeItem(m_pCurrent);
            Recount();
            SmsItem* next = NthLocked(filter, *index);
            if (!next && --*index >= 0) next = NthLocked(filter, *index);
            if (!next) *index = -1;
            m_pCurrent = next;
            result = 1;
        }
        Close();
    }
    Unlock();
    return result;
}
