// The message store and the saved phrases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ContactFixture.h"
#include "StoreRecords.h"
#include "modem/CodePage.h"
#include "stores/CCeContactsDB.h"
#include "stores/CCeSmsDB.h"
#include "stores/CCeSmsMsgDB.h"
#include "stores/TimeStamp.h"

namespace {

ModemSmsRecord Record(const char* time, const char* number, const char* service, const char* body) {
    ModemSmsRecord r{};
    strncpy(r.timeStamp, time, sizeof r.timeStamp - 1);
    strncpy(r.number, number, sizeof r.number - 1);
    strncpy(r.teleservice, service, sizeof r.teleservice - 1);
    strncpy(r.body, body, sizeof r.body - 1);
    return r;
}

// "한글 문자" in code page 949.
const char* kKoreanBody = "\xC7\xD1\xB1\xDB \xB9\xAE\xC0\xDA";

class SmsTest : public ::testing::Test {
protected:
    void SetUp() override { UseDioHanConversion(); }
    void TearDown() override { UseSystemConversion(); }

    cedbtest::ScopedStore store{L"sms"};
    CCeSmsDB sms{nullptr};
};

TEST_F(SmsTest, ReceivedMessagesAreStoredNewestFirstWithTheirSendersName) {
    contacttest::CreateDatabases();
    contacttest::AddPerson({L"홍길동", L"011-234-5678"});
    contacttest::NotifyWindow window;
    CCeCategoriesDB categories;
    CCeContactsDB contacts{&categories};
    ASSERT_EQ(contacts.OpenDefault(window.hwnd()), 1);
    contacts.LoadAll();
    CCeSmsDB withNames{&contacts};

    ModemSmsRecord two[2] = {Record("20030411060142", "0112345678", "4098", "first"),
                             Record("030411060200", "0199999999", "4098", kKoreanBody)};
    EXPECT_EQ(withNames.AddReceived(two, 2), 2);
    EXPECT_EQ(withNames.m_nText, 2);
    EXPECT_EQ(withNames.m_nUnreadText, 2);
    SmsItem* newest = withNames.Nth(kSmsAll, 0);
    ASSERT_NE(newest, nullptr);
    EXPECT_STREQ(newest->szText, kKoreanBody);
    EXPECT_STREQ(newest->szTime, "20030411060200");  // two-digit year of this century
    EXPECT_STREQ(newest->szName, L"");
    SmsItem* older = withNames.Nth(kSmsAll, 1);
    EXPECT_STREQ(older->szName, L"홍길동");
    EXPECT_STREQ(older->szTime, "20030411060142");
    EXPECT_EQ(older->nState, kSmsUnread);

    // A fresh load reads the same back, newest first; Korean survives 949.
    CCeSmsDB again{nullptr};
    ASSERT_EQ(again.Load(), 1);
    ASSERT_EQ(again.CachedCount(), 2);
    EXPECT_STREQ(again.Nth(kSmsAll, 0)->szText, kKoreanBody);
    EXPECT_STREQ(again.Nth(kSmsAll, 1)->szName, L"홍길동");
    EXPECT_STREQ(again.Nth(kSmsAll, 1)->szTime, "20030411060142");
    EXPECT_FALSE(again.IsOpen());
}

TEST_F(SmsTest, ModuleFieldsWithoutTheirZeroAndOddTimes) {
    ModemSmsRecord r;
    memset(&r, '7', sizeof r);  // no field ends
    EXPECT_EQ(sms.AddReceived(&r, 1), 1);
    SmsItem* item = sms.Nth(kSmsAll, 0);
    EXPECT_EQ(strlen(item->szNumber), 63u);
    EXPECT_EQ(strlen(item->szText), 329u);
    EXPECT_EQ(strlen(item->szTime), 14u);  // 25 digits are no time: now
    char now[15];
    TimeStampNow(now);
    EXPECT_EQ(std::string(item->szTime, 8), std::string(now, 8));

    char out[15];
    TimeStampFromModule("2003/04/11 06:01:42", out);
    EXPECT_STREQ(out, "20030411060142");
    TimeStampFromModule("20031341060142", out);  // month 13
    EXPECT_EQ(std::string(out, 8), std::string(now, 8));
    TimeStampFromModule(nullptr, out);
    EXPECT_EQ(strlen(out), 14u);
}

TEST_F(SmsTest, ReadAndSendStates) {
    ModemSmsRecord in[2] = {Record("20030101000000", "0101", "4099", "voice mail"),
                            Record("20030101000001", "0102", "4097", "page")};
    sms.AddReceived(in, 2);
    SmsItem* sent = sms.AddSent(L"0103", L"보냄", kSmsSending, L"Kim");
    ASSERT_NE(sent, nullptr);
    EXPECT_EQ(sent->nTeleservice, kTeleserviceText);
    EXPECT_EQ(sms.m_nSent, 1);
    EXPECT_EQ(sms.m_nUnreadVoice, 1);
    EXPECT_EQ(sms.m_nUnreadPaging, 1);
    EXPECT_EQ(sms.UnreadMessages(), 1);

    SmsItem* voice = sms.Nth(kSmsVoiceMail, 0);
    EXPECT_EQ(sms.MarkRead(voice), 1);
    EXPECT_EQ(sms.m_nUnreadVoice, 0);
    EXPECT_EQ(voice->nState, kSmsRead);
    EXPECT_EQ(sms.MarkRead(voice), 0);
    EXPECT_EQ(sms.MarkRead(sent), 0);

    EXPECT_EQ(sms.SetSendResult(voice, 1), 0);
    EXPECT_EQ(sms.SetSendResult(sent, 1), 1);
    EXPECT_EQ(sent->nState, kSmsSent);
    EXPECT_EQ(sms.SetSendResult(sent, 0), 0);  // only once, from state 2

    CCeSmsDB again{nullptr};
    again.Load();
    EXPECT_EQ(again.m_nUnreadVoice, 0);
    EXPECT_EQ(again.m_nUnreadPaging, 1);
    EXPECT_EQ(again.Nth(kSmsSentOnes, 0)->nState, kSmsSent);
    EXPECT_STREQ(again.Nth(kSmsSentOnes, 0)->szName, L"Kim");
}

TEST_F(SmsTest, StepAndDeleteWithinTheVoiceMailTab) {
    ModemSmsRecord in[4] = {Record("20030101000000", "1", "4099", "v1"), Record("20030101000001", "2", "4098", "t"),
                            Record("20030101000002", "3", "4099", "v2"), Record("20030101000003", "4", "4099", "v3")};
    sms.AddReceived(in, 4);
    sms.AddSent(L"5", L"s", kSmsSent, nullptr);
    EXPECT_EQ(sms.Count(kSmsVoiceMail), 3);
    EXPECT_STREQ(sms.Nth(kSmsVoiceMail, 0)->szText, "v3");
    EXPECT_EQ(sms.Nth(kSmsVoiceMail, 3), nullptr);
    EXPECT_EQ(sms.Nth(kSmsVoiceMail, -1), nullptr);

    int index = 0;
    EXPECT_EQ(sms.SelectNext(kSmsVoiceMail, &index), 1);  // selects v2 and marks it read
    EXPECT_EQ(index, 1);
    EXPECT_STREQ(sms.Current()->szText, "v2");
    EXPECT_EQ(sms.m_nUnreadVoice, 2);
    sms.SelectNext(kSmsVoiceMail, &index);
    sms.SelectNext(kSmsVoiceMail, &index);  // stays on the last
    EXPECT_EQ(index, 2);
    EXPECT_STREQ(sms.Current()->szText, "v1");
    EXPECT_EQ(sms.SelectPrevious(kSmsVoiceMail, &index), 0);  // v2 is read already
    EXPECT_EQ(index, 1);

    EXPECT_EQ(sms.DeleteCurrent(kSmsVoiceMail, &index), 1);  // v2 goes, v1 moves up to index 1
    EXPECT_EQ(index, 1);
    EXPECT_STREQ(sms.Current()->szText, "v1");
    EXPECT_EQ(sms.DeleteCurrent(kSmsVoiceMail, &index), 1);
    EXPECT_EQ(index, 0);
    EXPECT_STREQ(sms.Current()->szText, "v3");
    EXPECT_EQ(sms.DeleteCurrent(kSmsVoiceMail, &index), 1);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(sms.Current(), nullptr);
    EXPECT_EQ(sms.DeleteCurrent(kSmsVoiceMail, &index), 0);
    EXPECT_EQ(sms.m_nVoice, 0);
    EXPECT_EQ(StoredRecords(CCeSmsDB::kDatabaseName), 2);
}

TEST_F(SmsTest, DeleteFilterKeepsTheOtherTabs) {
    ModemSmsRecord in[3] = {Record("20030101000000", "1", "4099", "v"), Record("20030101000001", "2", "4098", "t"),
                            Record("20030101000002", "3", "4097", "p")};
    sms.AddReceived(in, 3);
    sms.AddSent(L"5", L"s", kSmsSent, nullptr);
    sms.DeleteFilter(kSmsReceived);
    EXPECT_EQ(sms.CachedCount(), 2);
    EXPECT_EQ(sms.m_nText + sms.m_nPaging, 0);  // counters follow the cache
    EXPECT_EQ(sms.m_nVoice, 1);
    EXPECT_EQ(sms.m_nSent, 1);
    EXPECT_EQ(StoredRecords(CCeSmsDB::kDatabaseName), 2);
    sms.DeleteFilter(kSmsAll);
    EXPECT_EQ(StoredRecords(CCeSmsDB::kDatabaseName), 0);
}

struct SenderArgs {
    CCeSmsDB* sms;
    int count;
};

DWORD WINAPI SendMany(void* p) {
    auto* a = static_cast<SenderArgs*>(p);
    for (int i = 0; i < a->count; ++i) a->sms->AddSent(L"0101234", L"load", kSmsSending, nullptr);
    return 0;
}

TEST_F(SmsTest, TheLockKeepsCacheAndCountersWholeUnderTwoWriters) {
    SenderArgs args{&sms, 40};
    HANDLE threads[2] = {CreateThread(nullptr, 0, SendMany, &args, 0, nullptr),
                         CreateThread(nullptr, 0, SendMany, &args, 0, nullptr)};
    // While they write, every look at the cache sees a whole list: a count
    // that only grows and never passes what was sent, with the item at its
    // end reachable.
    int looks = 0, broken = 0, last = 0;
    while (WaitForMultipleObjects(2, threads, TRUE, 0) == WAIT_TIMEOUT) {
        const int n = sms.Count(kSmsSentOnes);
        if (n < last || n > 80 || (n > 0 && !sms.Nth(kSmsSentOnes, n - 1))) ++broken;
        last = n;
        ++looks;
    }
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    EXPECT_GT(looks, 0);
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(sms.Count(kSmsAll), 80);
    EXPECT_EQ(sms.m_nSent, 80);
    EXPECT_EQ(StoredRecords(CCeSmsDB::kDatabaseName), 80);
}

TEST_F(SmsTest, AFullDatabaseRefusesNewMessagesAndNoneIsCachedAnyway) {
    ASSERT_NE(sms.AddSent(L"0101", L"first", kSmsSent, nullptr), nullptr);
    ASSERT_TRUE(cedbtest::FillWithCopies(CCeSmsDB::kDatabaseName, CEDB_MAXNUMRECORDS));
    ModemSmsRecord in[2] = {Record("20030101000000", "0102", "4098", "a"), Record("20030101000001", "0103", "4098", "b")};
    EXPECT_EQ(sms.AddReceived(in, 2), 0);
    EXPECT_EQ(sms.AddSent(L"0104", L"c", kSmsSending, nullptr), nullptr);
    // The cache is as the database is: only the one message written.
    EXPECT_EQ(sms.CachedCount(), 1);
    EXPECT_EQ(sms.m_nText + sms.m_nUnreadText, 0);
    EXPECT_EQ(sms.m_nSent, 1);
    EXPECT_FALSE(sms.IsOpen());
}

TEST_F(SmsTest, AFailedRewriteLeavesTheItemAsItWas) {
    ModemSmsRecord in = Record("20030101000000", "0102", "4098", "a");
    ASSERT_EQ(sms.AddReceived(&in, 1), 1);
    SmsItem* unread = sms.Nth(kSmsReceived, 0);
    SmsItem* sending = sms.AddSent(L"0103", L"b", kSmsSending, nullptr);
    ASSERT_NE(sending, nullptr);
    // Another program removes both records behind the cache: rewrites fail.
    HANDLE h = cedbtest::Open(CCeSmsDB::kDatabaseName);
    EXPECT_TRUE(CeDeleteRecord(h, unread->oid));
    EXPECT_TRUE(CeDeleteRecord(h, sending->oid));
    CloseHandle(h);
    EXPECT_EQ(sms.MarkRead(unread), 0);
    EXPECT_EQ(unread->nState, kSmsUnread);
    EXPECT_EQ(sms.m_nUnreadText, 1);
    int index = -1;
    EXPECT_EQ(sms.SelectNext(kSmsReceived, &index), 0);
    EXPECT_EQ(unread->nState, kSmsUnread);
    EXPECT_EQ(sms.SetSendResult(sending, 1), 0);
    EXPECT_EQ(sending->nState, kSmsSending);
}

TEST(SmsMissing, NothingChangesWhenTheDatabaseCannotBeOpened) {
    cedbtest::ScopedStore store{L"smsbad"};
    CCeSmsDB sms{nullptr};
    // A folder where the database file should be makes it unopenable.
    CreateDirectoryW((store.Folder() + L"\\zentrika sms db.cdb").c_str(), nullptr);
    ModemSmsRecord r = Record("20030101000000", "1", "4098", "t");
    EXPECT_EQ(sms.AddReceived(&r, 1), 0);
    EXPECT_EQ(sms.AddSent(L"1", L"t", kSmsSending, nullptr), nullptr);
    EXPECT_EQ(sms.Load(), 0);
    EXPECT_EQ(sms.CachedCount(), 0);
}

TEST(Phrases, APhraseWhoseRecordCannotBeDeletedStays) {
    cedbtest::ScopedStore store{L"phrasegone"};
    CCeSmsMsgDB phrases;
    ASSERT_EQ(phrases.Add(L"Busy"), 1);
    ASSERT_EQ(phrases.Load(), 1);
    // The database can no longer be opened or made: a folder in its place.
    std::wstring file = cedbtest::FileOf(CCeSmsMsgDB::kDatabaseName);
    ASSERT_TRUE(DeleteFileW(file.c_str()));
    ASSERT_TRUE(CreateDirectoryW(file.c_str(), nullptr));
    EXPECT_EQ(phrases.Delete(0), 0);
    ASSERT_EQ(phrases.Count(), 1);
    EXPECT_STREQ(phrases.Text(0), L"Busy");
    RemoveDirectoryW(file.c_str());
}

TEST(Phrases, LoadInTextOrderAndDeleteByPosition) {
    cedbtest::ScopedStore store{L"phrases"};
    CCeSmsMsgDB phrases;
    for (const wchar_t* t : {L"회의 중입니다", L"Call me", L"Busy", L"가는 중"}) EXPECT_EQ(phrases.Add(t), 1);
    EXPECT_EQ(phrases.Count(), 0);  // the cache waits for a load
    ASSERT_EQ(phrases.Load(), 1);
    ASSERT_EQ(phrases.Count(), 4);
    EXPECT_STREQ(phrases.Text(0), L"Busy");
    EXPECT_STREQ(phrases.Text(1), L"Call me");
    EXPECT_STREQ(phrases.Text(2), L"가는 중");
    EXPECT_EQ(phrases.Text(4), nullptr);
    EXPECT_EQ(phrases.Delete(4), 0);
    EXPECT_EQ(phrases.Delete(-1), 0);
    EXPECT_EQ(phrases.Delete(0), 1);
    phrases.Load();
    EXPECT_EQ(phrases.Count(), 3);
    EXPECT_STREQ(phrases.Text(0), L"Call me");
}

}  // namespace
