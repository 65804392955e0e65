// The window map's fixed table: buckets, their used prefix and capacity.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "toolkit/CCeMWnd.h"
#include "toolkit/CCeMWndMap.h"

namespace {

HWND Fake(UINT_PTR v) { return reinterpret_cast<HWND>(v); }

// Handles that all land in bucket `b`.
HWND InBucket(int b, int n) { return Fake(0x70000000u + static_cast<UINT_PTR>(b) + 91u * n); }

class WndMapTest : public testing::Test {
protected:
    std::unique_ptr<CCeMWndMap> map = std::make_unique<CCeMWndMap>();
    CCeMWnd a, b;
};

TEST_F(WndMapTest, BucketIsTheLow32BitsModulo91)
{
    EXPECT_EQ(0, CCeMWndMap::BucketOf(Fake(91 * 5)));
    EXPECT_EQ(3, CCeMWndMap::BucketOf(Fake(94)));
    // Only the low 32 bits count.
    EXPECT_EQ(CCeMWndMap::BucketOf(Fake(0x1234)), CCeMWndMap::BucketOf(Fake(0x500001234ull)));
}

TEST_F(WndMapTest, InsertLookupRemoveAndCount)
{
    EXPECT_EQ(0, map->Insert(Fake(10), nullptr));
    EXPECT_EQ(0, map->Count());
    EXPECT_EQ(1, map->Insert(Fake(10), &a));
    EXPECT_EQ(1, map->Insert(Fake(10), &a));  // same pair: kept once
    EXPECT_EQ(1, map->Count());
    EXPECT_EQ(&a, map->Lookup(Fake(10)));
    EXPECT_EQ(nullptr, map->Lookup(Fake(11)));
    EXPECT_EQ(&a, map->Remove(Fake(10)));
    EXPECT_EQ(nullptr, map->Remove(Fake(10)));
    EXPECT_EQ(nullptr, map->Lookup(Fake(10)));
    EXPECT_EQ(0, map->Count());
}

TEST_F(WndMapTest, SameHandleWithAnotherObjectIsAppendedBehind)
{
    ASSERT_EQ(1, map->Insert(Fake(7), &a));
    ASSERT_EQ(1, map->Insert(Fake(7), &b));
    EXPECT_EQ(2, map->Count());
    EXPECT_EQ(&a, map->Lookup(Fake(7)));  // the first entry wins
    EXPECT_EQ(&a, map->Remove(Fake(7)));
    EXPECT_EQ(&b, map->Lookup(Fake(7)));
}

TEST_F(WndMapTest, AFullBucketRefusesTheHundredAndFirst)
{
    std::vector<CCeMWnd> objects(CCeMWndMap::kBucketSize + 1);
    for (int i = 0; i < CCeMWndMap::kBucketSize; ++i)
        ASSERT_EQ(1, map->Insert(InBucket(5, i), &objects[i])) << i;
    EXPECT_EQ(0, map->Insert(InBucket(5, 100), &objects[100]));
    EXPECT_EQ(nullptr, map->Lookup(InBucket(5, 100)));
    // Other buckets are not affected.
    EXPECT_EQ(1, map->Insert(InBucket(6, 0), &objects[100]));
    EXPECT_EQ(101, map->Count());

    // Removing one from the middle keeps the rest findable and frees one place.
    EXPECT_EQ(&objects[37], map->Remove(InBucket(5, 37)));
    for (int i = 0; i < CCeMWndMap::kBucketSize; ++i)
        EXPECT_EQ(i == 37 ? nullptr : &objects[i], map->Lookup(InBucket(5, i))) << i;
    EXPECT_EQ(1, map->Insert(InBucket(5, 100), &objects[100]));
    EXPECT_EQ(&objects[100], map->Lookup(InBucket(5, 100)));
    EXPECT_EQ(0, map->Insert(InBucket(5, 101), &objects[0]));
}

TEST_F(WndMapTest, WholeTableHoldsExactly9100)
{
    std::vector<CCeMWnd> objects(1);
    int inserted = 0;
    for (int n = 0; n < 101; ++n)
        for (int bucket = 0; bucket < CCeMWndMap::kBuckets; ++bucket)
            inserted += map->Insert(InBucket(bucket, n), &objects[0]);
    EXPECT_EQ(9100, inserted);
    EXPECT_EQ(9100, map->Count());
}

}  // namespace
