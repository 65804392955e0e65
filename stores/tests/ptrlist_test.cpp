#include <gtest/gtest.h>

#include <vector>

#include "stores/CCePtrList.h"

namespace {

int items[8];

std::vector<int*> Walk(CCePtrList& list) {
    std::vector<int*> out;
    list.ResetCursor();
    while (void* p = list.Next()) out.push_back(static_cast<int*>(p));
    return out;
}

TEST(CCePtrList, AppendInsertAndReach) {
    CCePtrList list;
    EXPECT_EQ(list.Next(), nullptr);
    list.AddTail(&items[1]);
    list.AddTail(&items[3]);
    list.AddHead(&items[0]);
    list.InsertAfter(1, &items[2]);   // sorted insertion in the middle
    list.InsertAfter(3, &items[4]);   // after the last: the new tail
    list.InsertAfter(-1, &items[5]);  // before everything
    EXPECT_EQ(Walk(list), (std::vector<int*>{&items[5], &items[0], &items[1], &items[2], &items[3], &items[4]}));
    EXPECT_EQ(list.GetCount(), 6);
    EXPECT_EQ(list.GetAt(3), &items[2]);
    EXPECT_EQ(list.GetAt(6), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    list.AddTail(&items[6]);
    EXPECT_EQ(list.GetAt(6), &items[6]);
}

TEST(CCePtrList, RemovingKeepsTailAndCount) {
    CCePtrList list;
    list.AddTail(&items[0]);
    EXPECT_FALSE(list.RemoveAt(1));
    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_TRUE(list.RemoveAt(0));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(Walk(list).empty());
    // The tail was cleared: appending works from empty again.
    list.AddTail(&items[1]);
    list.AddTail(&items[2]);
    list.AddTail(&items[3]);
    EXPECT_TRUE(list.RemoveAt(2));  // the tail
    list.AddTail(&items[4]);
    EXPECT_EQ(Walk(list), (std::vector<int*>{&items[1], &items[2], &items[4]}));
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetAt(0), nullptr);
    list.AddHead(&items[7]);
    EXPECT_EQ(Walk(list), (std::vector<int*>{&items[7]}));
}

TEST(CCePtrList, RemovingUnderTheCursorLetsTheWalkGoOn) {
    CCePtrList list;
    for (int i = 0; i < 4; ++i) list.AddTail(&items[i]);
    list.ResetCursor();
    EXPECT_EQ(list.Next(), &items[0]);
    EXPECT_EQ(list.Next(), &items[1]);
    EXPECT_TRUE(list.RemoveAt(1));
    EXPECT_EQ(list.Next(), &items[2]);
    EXPECT_EQ(list.Next(), &items[3]);
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
}

}  // namespace
