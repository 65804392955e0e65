// The settings block as a stored format, and its store.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "CeDbTestUtil.h"
#include "stores/CCeDataManager.h"
#include "stores/CCeEnvDB.h"

namespace {

TEST(SettingsBlock, StoredLayout) {
    EXPECT_EQ(sizeof(SettingsBlock), 1836u);
    struct {
        size_t offset, size, want, wantSize;
    } fields[] = {
#define FIELD(name, off) {offsetof(SettingsBlock, name), sizeof(SettingsBlock::name), off, 0}
        FIELD(bAutoAreaCode, 0),        FIELD(szAreaCode, 4),          FIELD(szBaseFolder, 64),
        FIELD(szSkinName, 584),         FIELD(nBellSource, 1104),      FIELD(nModuleBellVolume, 1108),
        FIELD(bMinuteTone, 1112),       FIELD(nMinuteToneChoice, 1116), FIELD(bKeypadTone, 1120),
        FIELD(bConnectTone, 1124),      FIELD(bDisconnectTone, 1128),  FIELD(bBatteryTone, 1132),
        FIELD(bMessageTone, 1136),      FIELD(nHwButton, 1140),        FIELD(bShowGreeting, 1156),
        FIELD(szGreeting, 1160),        FIELD(szLockCode, 1240),       FIELD(bPhoneLocked, 1260),
        FIELD(bBarOutgoing, 1264),      FIELD(bBarIncoming, 1268),     FIELD(bBarInternational, 1272),
        FIELD(bPrivacy, 1276),          FIELD(wNamesOnly, 1280),       FIELD(wReserved, 1282),
        FIELD(nLastInSeconds, 1284),    FIELD(nTotalInSeconds, 1288),  FIELD(nLastOutSeconds, 1292),
        FIELD(nTotalOutSeconds, 1296),  FIELD(crLcdText, 1300),        FIELD(nLcdTextStyle, 1304),
        FIELD(szBellFile, 1308),        FIELD(nNewMessages, 1828),     FIELD(nSavedBellSource, 1832),
#undef FIELD
    };
    size_t end = 0;
    for (auto& f : fields) {
        EXPECT_EQ(f.offset, f.want);
        EXPECT_EQ(f.offset, end) << "gap or overlap before offset " << f.want;  // fields follow each other
        end = f.offset + f.size;
    }
    EXPECT_EQ(end, 1836u);
    EXPECT_EQ(sizeof(SettingsBlock::szAreaCode), 60u);
    EXPECT_EQ(sizeof(SettingsBlock::szGreeting), 80u);
    EXPECT_EQ(sizeof(SettingsBlock::szLockCode), 20u);
    EXPECT_EQ(sizeof(SettingsBlock::nHwButton), 16u);
    EXPECT_EQ(sizeof(SettingsBlock::wNamesOnly), 2u);
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override { manager.SetInstallDir(L"\\Program Files\\Zentrika"); }

    // Records of the settings database: count and the blob of the first.
    int Records(std::vector<BYTE>* firstBlob = nullptr) {
        HANDLE h = cedbtest::Open(CCeEnvDB::kDatabaseName);
        if (h == INVALID_HANDLE_VALUE) return -1;
        int n = 0;
        for (;;) {
            cedbtest::Read r;
            cedbtest::ReadNext(h, r);
            if (!r.oid) break;
            if (n++ == 0 && firstBlob && r.count == 1)
                firstBlob->assign(r.props[0].val.blob.lpb, r.props[0].val.blob.lpb + r.props[0].val.blob.dwCount);
        }
        CloseHandle(h);
        return n;
    }

    cedbtest::ScopedStore store{L"settings"};
    CCeDataManager manager;
};

TEST_F(SettingsStore, FirstStartWritesDefaultsSecondStartReadsThem) {
    wcscpy(manager.m_Settings.szAreaCode, L"02");
    EXPECT_EQ(manager.m_EnvDB.Load(), 0);
    const SettingsBlock& s = manager.m_Settings;
    EXPECT_STREQ(s.szAreaCode, L"02");  // the reset leaves it alone
    EXPECT_STREQ(s.szBaseFolder, L"\\Program Files\\Zentrika");
    EXPECT_STREQ(s.szSkinName, L"default");
    EXPECT_STREQ(s.szLockCode, L"7294");
    EXPECT_STREQ(s.szBellFile, L"default.wav");
    EXPECT_EQ(s.nBellSource, 1);
    EXPECT_EQ(s.nModuleBellVolume, 4);
    EXPECT_EQ(s.bMinuteTone + s.bKeypadTone + s.bConnectTone + s.bDisconnectTone + s.bBatteryTone + s.bMessageTone, 6);
    EXPECT_EQ(s.bPhoneLocked + s.bPrivacy + s.nHwButton[3] + s.bShowGreeting, 0);
    std::vector<BYTE> stored;
    EXPECT_EQ(Records(&stored), 1);
    ASSERT_EQ(stored.size(), 1836u);
    EXPECT_EQ(memcmp(stored.data(), &s, 1836), 0);  // byte for byte as in memory

    CCeDataManager second;
    EXPECT_EQ(second.m_EnvDB.Load(), 1);
    EXPECT_EQ(memcmp(&second.m_Settings, &s, 1836), 0);
}

TEST_F(SettingsStore, EverySaveRewritesTheOneRecord) {
    manager.m_EnvDB.Load();
    for (int i = 1; i <= 30; ++i) {
        manager.m_Settings.nTotalOutSeconds = i * 60;
        manager.m_Settings.crLcdText = RGB(0, 0, 255);
        ASSERT_EQ(manager.m_EnvDB.Save(), 1);
    }
    std::vector<BYTE> stored;
    EXPECT_EQ(Records(&stored), 1);
    SettingsBlock back;
    memcpy(&back, stored.data(), sizeof back);
    EXPECT_EQ(back.nTotalOutSeconds, 1800);
    // The colour is a Windows colour value: red in the low byte.
    EXPECT_EQ(stored[1300], 0);
    EXPECT_EQ(stored[1302], 255);
    CCeDataManager again;
    EXPECT_EQ(again.m_EnvDB.Load(), 1);
    EXPECT_EQ(again.m_Settings.nTotalOutSeconds, 1800);
}

TEST_F(SettingsStore, ResetKeepsAreaCodeAndSavedRingSource) {
    manager.m_EnvDB.Load();
    SettingsBlock& s = manager.m_Settings;
    wcscpy(s.szAreaCode, L"031");
    s.nSavedBellSource = 2;
    s.nBellSource = 0;
    wcscpy(s.szLockCode, L"1111");
    s.bPhoneLocked = 1;
    s.nNewMessages = 3;
    EXPECT_EQ(manager.m_EnvDB.ResetDefaults(), 1);
    EXPECT_STREQ(s.szAreaCode, L"031");
    EXPECT_EQ(s.nSavedBellSource, 2);
    EXPECT_EQ(s.nBellSource, 1);
    EXPECT_STREQ(s.szLockCode, L"7294");
    EXPECT_EQ(s.bPhoneLocked, 0);
    EXPECT_EQ(s.nNewMessages, 0);
    EXPECT_EQ(Records(), 1);
}

TEST_F(SettingsStore, UnusableRecordsGiveDefaultsOnceNotForever) {
    // A record with a block of the wrong size, and one with two properties.
    cedbtest::Create(CCeEnvDB::kDatabaseName);
    HANDLE h = cedbtest::Open(CCeEnvDB::kDatabaseName);
    BYTE shortBlock[100];
    memset(shortBlock, 0x41, sizeof shortBlock);
    CEPROPVAL small = cedbtest::Blob(1, shortBlock, sizeof shortBlock);
    CeWriteRecordProps(h, 0, 1, &small);
    CEPROPVAL two[] = {cedbtest::Blob(1, shortBlock, 10), cedbtest::I4(2, 1)};
    CeWriteRecordProps(h, 0, 2, two);
    CloseHandle(h);

    EXPECT_EQ(manager.m_EnvDB.Load(), 0);
    EXPECT_STREQ(manager.m_Settings.szSkinName, L"default");
    EXPECT_EQ(Records(), 1);
    CCeDataManager next;
    EXPECT_EQ(next.m_EnvDB.Load(), 1);
}

TEST_F(SettingsStore, StoredTextsWithoutTerminatorAreCutToTheirRoom) {
    manager.m_EnvDB.Load();
    for (WCHAR& c : manager.m_Settings.szLockCode) c = L'9';
    for (WCHAR& c : manager.m_Settings.szGreeting) c = L'g';
    manager.m_EnvDB.Save();
    CCeDataManager next;
    ASSERT_EQ(next.m_EnvDB.Load(), 1);
    EXPECT_EQ(wcslen(next.m_Settings.szLockCode), 9u);
    EXPECT_EQ(wcslen(next.m_Settings.szGreeting), 39u);
}

TEST_F(SettingsStore, SaveAfterTheRecordWasDeletedWritesANewOne) {
    manager.m_EnvDB.Load();
    CEOID first = manager.m_EnvDB.RecordId();
    HANDLE h = cedbtest::Open(CCeEnvDB::kDatabaseName);
    ASSERT_TRUE(CeDeleteRecord(h, first));
    CloseHandle(h);
    manager.m_Settings.nLastInSeconds = 77;
    EXPECT_EQ(manager.m_EnvDB.Save(), 1);
    EXPECT_NE(manager.m_EnvDB.RecordId(), first);
    CCeDataManager next;
    EXPECT_EQ(next.m_EnvDB.Load(), 1);
    EXPECT_EQ(next.m_Settings.nLastInSeconds, 77);
}

TEST_F(SettingsStore, DamagedSettingsFileIsSetAsideAndDefaultsStored) {
    manager.m_EnvDB.Load();
    manager.m_Settings.nTotalInSeconds = 500;
    manager.m_EnvDB.Save();
    auto files = store.FilesWith(L"env db.cdb");
    ASSERT_EQ(files.size(), 1u);
    HANDLE f = CreateFileW(files[0].c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put;
    WriteFile(f, "not a database", 14, &put, nullptr);
    CloseHandle(f);
    CCeDataManager next;
    next.SetInstallDir(L"\\Z");
    EXPECT_EQ(next.m_EnvDB.Load(), 0);
    EXPECT_EQ(next.m_Settings.nTotalInSeconds, 0);
    EXPECT_EQ(store.FilesWith(L"damaged").size(), 1u);
    CCeDataManager third;
    EXPECT_EQ(third.m_EnvDB.Load(), 1);
}

}  // namespace
