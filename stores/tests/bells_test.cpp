// Ring tones per number and per category, and the order in which an
// incoming call's ring tone is chosen.
#include <gtest/gtest.h>

#include <cstring>

#include "CeDbTestUtil.h"
#include "StoreRecords.h"
#include "stores/RingToneChoice.h"

namespace {

class BellsTest : public ::testing::Test {
protected:
    cedbtest::ScopedStore store{L"bells"};
    CCeUserBellDB users;
    CCeCategoryBellDB groups;
};

TEST_F(BellsTest, PerNumberLookupTakesTheFirstMatchingEntry) {
    WCHAR name[64], file[MAX_PATH];
    EXPECT_EQ(users.Lookup(L"0112345678", name, file), 0);  // creates the database on the way
    EXPECT_EQ(StoredRecords(CCeUserBellDB::kDatabaseName), 0);
    EXPECT_EQ(users.Add(L"Kim", L"011-234-5678", L"kim.mp3"), 1);
    EXPECT_EQ(users.Add(L"Kim again", L"2345678", L"other.mp3"), 1);  // no duplicate check
    EXPECT_EQ(users.Count(), 2);  // reloaded after each add
    EXPECT_FALSE(users.IsOpen());
    EXPECT_EQ(users.Lookup(L"0112345678", name, file), 1);
    EXPECT_STREQ(name, L"Kim");
    EXPECT_STREQ(file, L"kim.mp3");
    EXPECT_EQ(users.Lookup(L"02345678", name, file), 0);
    EXPECT_STREQ(file, L"");
    EXPECT_EQ(users.Lookup(L"", name, file), 0);
    EXPECT_EQ(users.Lookup(nullptr, name, file), 0);

    users.SetCurrent(users.At(0));
    EXPECT_EQ(users.DeleteCurrent(), 1);
    EXPECT_EQ(users.Current(), nullptr);
    EXPECT_EQ(users.DeleteCurrent(), 0);
    EXPECT_EQ(users.Lookup(L"0112345678", name, file), 1);
    EXPECT_STREQ(file, L"other.mp3");
    EXPECT_EQ(StoredRecords(CCeUserBellDB::kDatabaseName), 1);
}

TEST_F(BellsTest, ANumberWithoutDigitsIsRefusedAndMatchesNoCaller) {
    EXPECT_EQ(users.Add(L"Nobody", L"", L"x.mp3"), 0);
    EXPECT_EQ(users.Add(L"Nobody", L"private", L"x.mp3"), 0);
    EXPECT_EQ(users.Add(L"Nobody", nullptr, L"x.mp3"), 0);
    EXPECT_EQ(users.Count(), 0);
    // An entry without digits stored before they were refused, then a real one.
    ASSERT_EQ(users.Load(), 1);
    HANDLE h = cedbtest::Open(CCeUserBellDB::kDatabaseName);
    CEPROPVAL v[] = {cedbtest::Str(1, L"Nobody"), cedbtest::Str(2, L""), cedbtest::Str(3, L"x.mp3")};
    EXPECT_NE(CeWriteRecordProps(h, 0, 3, v), 0u);
    CloseHandle(h);
    ASSERT_EQ(users.Add(L"Kim", L"0101", L"kim.mp3"), 1);
    WCHAR name[64], file[MAX_PATH];
    // Callers who sent no number ("P", "private") get no per-number tone.
    EXPECT_EQ(users.Lookup(L"P", name, file), 0);
    EXPECT_EQ(users.Lookup(L"private", name, file), 0);
    EXPECT_STREQ(file, L"");
    EXPECT_EQ(users.Lookup(L"0101", name, file), 1);
    EXPECT_STREQ(file, L"kim.mp3");
}

TEST_F(BellsTest, OutputsAreCutToTheCallersBuffers) {
    std::wstring longFile(400, L'f');
    ASSERT_EQ(users.Add(std::wstring(100, L'n').c_str(), L"0101", longFile.c_str()), 1);
    WCHAR name[8], file[16];
    EXPECT_EQ(users.Lookup(L"0101", name, file, 8, 16), 1);
    EXPECT_EQ(wcslen(name), 7u);
    EXPECT_EQ(wcslen(file), 15u);
}

TEST_F(BellsTest, OneEntryPerCategory) {
    EXPECT_EQ(groups.Set(L"가족", L"family.wav"), 1);
    EXPECT_EQ(groups.Set(L"회사", L"work.wav"), 1);
    EXPECT_EQ(groups.Set(L"가족", L"family2.wav"), 1);
    EXPECT_EQ(groups.Count(), 2);
    EXPECT_EQ(StoredRecords(CCeCategoryBellDB::kDatabaseName), 2);
    WCHAR file[MAX_PATH];
    EXPECT_EQ(groups.Lookup(L"가족", file), 1);
    EXPECT_STREQ(file, L"family2.wav");
    EXPECT_EQ(groups.Set(L"Work", L"w.wav"), 1);
    EXPECT_EQ(groups.Lookup(L"work", file), 0);  // exact, case-sensitive
    groups.SetCurrent(groups.At(1));
    EXPECT_EQ(groups.DeleteCurrent(), 1);
    EXPECT_EQ(groups.Lookup(L"회사", file), 0);
}

TEST_F(BellsTest, RingToneChoiceOrder) {
    SettingsBlock settings{};
    wcscpy(settings.szBellFile, L"default.wav");
    users.Add(L"Kim", L"0101234567", L"kim.mp3");
    groups.Set(L"가족", L"family.wav");
    WCHAR path[MAX_PATH];
    // Per number beats per category.
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"010-123-4567", L"가족", L"C:\\Zen", path), kRingByNumber);
    EXPECT_STREQ(path, L"C:\\Zen\\bell\\kim.mp3");
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"0109999999", L"가족", L"C:\\Zen", path), kRingByCategory);
    EXPECT_STREQ(path, L"C:\\Zen\\bell\\family.wav");
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"0109999999", L"", L"C:\\Zen", path), kRingDefault);
    EXPECT_STREQ(path, L"C:\\Zen\\bell\\default.wav");
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"", nullptr, L"C:\\Zen", path), kRingDefault);
    // A locked phone or privacy: always the settings' file.
    settings.bPhoneLocked = 1;
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"0101234567", L"가족", L"C:\\Zen", path), kRingFixed);
    EXPECT_STREQ(path, L"C:\\Zen\\bell\\default.wav");
    settings.bPhoneLocked = 0;
    settings.bPrivacy = 1;
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"0101234567", nullptr, L"C:\\Zen", path), kRingFixed);
    // A settings file name without its zero stays within its room.
    settings.bPrivacy = 0;
    for (WCHAR& c : settings.szBellFile) c = L'x';
    WCHAR wide[600];
    EXPECT_EQ(ChooseRingTone(settings, users, groups, L"0100000000", nullptr, L"C:", wide, 600), kRingDefault);
    EXPECT_EQ(wcslen(wide), wcslen(L"C:\\bell\\") + MAX_PATH - 1);
}

}  // namespace
