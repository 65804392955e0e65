#pragma once
// Received and sent short messages ("Zentrika SMS DB"), newest first in the
// cache, with counters per kind and a lock around cache, counters and handle.
#include "modem/ModemRecords.h"
#include "stores/CCeDatabase.h"
#include "stores/CCePtrList.h"

class CCeContactsDB;

// States; the bit of 16 marks a received message.
enum SmsState : LONG {
    kSmsSendFailed = 0,
    kSmsSent = 1,
    kSmsSending = 2,
    kSmsReceivedBit = 16,
    kSmsUnread = 16,
    kSmsRead = 17,
};

// Teleservice ids.
constexpr LONG kTeleservicePaging = 4097;
constexpr LONG kTeleserviceText = 4098;
constexpr LONG kTeleserviceVoiceMail = 4099;

// Filters of the message list's tabs.
enum SmsFilter { kSmsAll = 0, kSmsReceived = 1, kSmsSentOnes = 2, kSmsVoiceMail = 3 };

struct SmsItem {
    CEOID oid;
    LONG nState;
    char szTime[20];     // 14-digit time stamp
    char szNumber[64];   // module code page
    LONG nTeleservice;
    char szText[330];    // module code page
    WCHAR szName[65];
};

class CCeSmsDB : public CCeDatabase {
public:
    static constexpr const WCHAR* kDatabaseName = L"Zentrika SMS DB";

    // `contacts` names the senders of received messages; may be null.
    explicit CCeSmsDB(CCeContactsDB* contacts);
    ~CCeSmsDB() override;

    int Create(LPCWSTR name) override;
    int OpenDefault(LPCWSTR name) override;

    // 1 when the cache was filled, 0 when the database cannot be opened.
    int Load();
    // Stores messages the module delivered, in order; each goes to the
    // front of the cache. Returns how many were stored.
    int AddReceived(const ModemSmsRecord* records, int count);
    // A sent message with teleservice 4098 and the current local time; the
    // new item, or null when the database cannot be opened.
    SmsItem* AddSent(LPCWSTR number, LPCWSTR text, LONG state, LPCWSTR name);
    // Only for an item in state 2: state 1 or 0, new time, record rewritten.
    int SetSendResult(SmsItem* item, int success);
    // Only for an item in state 16: state 17, rewritten, unread count down.
    int MarkRead(SmsItem* item);
    // Deletes every cached item that passes the filter, with its record.
    void DeleteFilter(int filter);

    void Recount();
    SmsItem* Nth(int filter, int n);
    int Count(int filter);
    // Move the current item within the filter; *index becomes its index or
    // -1. Both mark the selected item read and return MarkRead's result.
    int SelectPrevious(int filter, int* index);
    int SelectNext(int filter, int* index);
    // Deletes the current item and selects its neighbour in the filter.
    int DeleteCurrent(int filter, int* index);
    // Writes the item's six properties to its record (0 = new) and keeps
    // the returned id in the item.
    int WriteItem(SmsItem* item);

    // What the new-message indicator shows once recomputed: unread pages
    // and unread texts (voice-mail notices have their own mark).
    LONG UnreadMessages() const { return m_nUnreadPaging + m_nUnreadText; }

    SmsItem* Current() const { return m_pCurrent; }
    void SetCurrent(SmsItem* item) { m_pCurrent = item; }
    int CachedCount() const { return m_List.GetCount(); }

    LONG m_nPaging, m_nText, m_nVoice;
    LONG m_nUnreadPaging, m_nUnreadText, m_nUnreadVoice;
    LONG m_nSent;

private:
    static bool Passes(const SmsItem* item, int filter);
    void ReleaseCache();
    SmsItem* NthLocked(int filter, int n);
    void Lock() { EnterCriticalSection(&m_Lock); }
    void Unlock() { LeaveCriticalSection(&m_Lock); }
    bool EnsureOpen();

    CEPROPVAL m_Props[6];
    RecordBuffer m_Buffer;
    WCHAR m_szNumber[65];
    WCHAR m_szText[331];
    CRITICAL_SECTION m_Lock;
    CCePtrList m_List;
    SmsItem* m_pCurrent;
    CCeContactsDB* m_pContacts;
};

// The module's time stamp as 14 digits (year to second): 14 digits are
// taken as they are, 12 as a two-digit year of this century; separators
// are ignored. Anything else, or an impossible date, gives the current
// local time. `out` holds 15 bytes.
void TimeStampFromModule(const char* moduleTime, char* out);
// The current local time as a 14-digit time stamp.
void TimeStampNow(char* out);
