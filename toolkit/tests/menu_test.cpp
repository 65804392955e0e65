// The pop-up menu holder.
#include <gtest/gtest.h>

#include "toolkit/CCeMMenu.h"

namespace {

TEST(CCeMMenu, WithoutAMenuEveryOperationAnswersZero)
{
    CCeMMenu m;
    EXPECT_EQ(nullptr, m.Handle());
    EXPECT_EQ(0, m.Append(1, L"x", MF_STRING));
    EXPECT_EQ(0, m.Check(1, MF_CHECKED));
    EXPECT_EQ(0, m.Enable(1, MF_GRAYED));
    EXPECT_EQ(0, m.Track(0, 0, 0, GetDesktopWindow(), nullptr));
    EXPECT_EQ(0, m.DestroyMenu());
}

TEST(CCeMMenu, BuildsChecksAndGreysItems)
{
    CCeMMenu m;
    ASSERT_EQ(1, m.CreatePopup());
    EXPECT_EQ(0, m.CreatePopup());  // one menu at a time
    EXPECT_EQ(0, m.CreateBar());
    EXPECT_NE(0, m.Append(10, L"추가", MF_STRING));
    EXPECT_NE(0, m.Append(11, L"삭제", MF_STRING));
    EXPECT_EQ(2, GetMenuItemCount(m.Handle()));
    m.Enable(11, MF_BYCOMMAND | MF_GRAYED);
    m.Check(10, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_TRUE(GetMenuState(m.Handle(), 11, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(m.Handle(), 10, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_EQ(-1, m.Enable(99, MF_BYCOMMAND | MF_GRAYED));  // no such item
    HMENU h = m.Handle();
    EXPECT_EQ(1, m.DestroyMenu());
    EXPECT_FALSE(IsMenu(h));
    EXPECT_EQ(1, m.CreateBar());
}

TEST(CCeMMenu, DestructorFreesTheMenu)
{
    HMENU h;
    {
        CCeMMenu m;
        m.CreatePopup();
        h = m.Handle();
        ASSERT_TRUE(IsMenu(h));
    }
    EXPECT_FALSE(IsMenu(h));
}

}  // namespace
