// The main window's view table and what a view switch does.
#include <gtest/gtest.h>

#include "phone/PhoneViews.h"

namespace {

using Plan = ViewSwitchPlan;

TEST(PhoneViews, AreasOfTheHandheldScreen)
{
    const CCeMPlacement view = PhoneGeometry::Views(240, 320);
    EXPECT_EQ(84, view.y);
    EXPECT_EQ(190, view.cy);
    const CCeMPlacement bar = PhoneGeometry::CompanionBar(240, 320);
    EXPECT_EQ(274, bar.y);
    EXPECT_EQ(view.y + view.cy, bar.y);  // the bar follows the views without a gap
    EXPECT_EQ(26, PhoneGeometry::Display(240).y);
    EXPECT_EQ(58, PhoneGeometry::Display(240).cy);
}

TEST(PhoneViews, MenuCommandsOpenTheirViews)
{
    const struct {
        UINT command;
        int view;
    } map[] = {{40004, 2},  {40007, 3},  {40010, 4},  {40013, 11}, {40014, 12}, {40016, 13}, {40015, 14},
               {40017, 15}, {40018, 16}, {40019, 17}, {40020, 18}, {40021, 19}, {40022, 20}, {40023, 21},
               {40025, 22}, {40026, 23}, {40027, 24}, {40036, 25}, {40037, 26}, {40038, 27}};
    for (const auto& m : map)
        EXPECT_EQ(m.view, ViewOfMenuCommand(m.command)) << m.command;
    EXPECT_EQ(VIEW_NONE, ViewOfMenuCommand(40024));  // exit is no view
    EXPECT_EQ(VIEW_NONE, ViewOfMenuCommand(0));
    EXPECT_EQ(nullptr, FindPhoneView(5));
    EXPECT_EQ(nullptr, FindPhoneView(29));
}

TEST(PhoneViews, LockedPhoneRefusesPrivateAndSettingsViews)
{
    const int refused[] = {2, 3, 4, 12, 13, 14, 15, 16, 17, 18, 20, 22, 25, 26, 27};
    for (int v : refused)
        EXPECT_EQ(Plan::RefusedLocked, PlanViewSwitch(VIEW_DIALPAD, v, true).outcome) << v;
    const int allowed[] = {11, 19, 21, 23, 24, 28};
    for (int v : allowed)
        EXPECT_EQ(Plan::Switch, PlanViewSwitch(VIEW_DIALPAD, v, true).outcome) << v;
    EXPECT_EQ(Plan::Switch, PlanViewSwitch(VIEW_PHONELOCK, VIEW_DIALPAD, true).outcome);
    EXPECT_EQ(Plan::Switch, PlanViewSwitch(VIEW_DIALPAD, VIEW_CONTACTS, false).outcome);
}

TEST(PhoneViews, StandingViewsHideScreensAreMadeAndClosed)
{
    Plan p = PlanViewSwitch(VIEW_DIALPAD, VIEW_CALLLIST, false);
    EXPECT_TRUE(p.hideCurrent && p.showNext);
    EXPECT_FALSE(p.destroyCurrent || p.createNext || p.changePage);

    p = PlanViewSwitch(VIEW_MESSAGES, VIEW_SKIN, false);
    EXPECT_TRUE(p.hideCurrent && p.createNext);
    EXPECT_FALSE(p.destroyCurrent || p.showNext);
    EXPECT_EQ(0, p.page);

    p = PlanViewSwitch(VIEW_SKIN, VIEW_VOLUME, false);
    EXPECT_TRUE(p.destroyCurrent && p.createNext);
    EXPECT_FALSE(p.hideCurrent || p.changePage);

    p = PlanViewSwitch(VIEW_NAM, VIEW_DIALPAD, false);
    EXPECT_TRUE(p.destroyCurrent && p.showNext);

    EXPECT_EQ(Plan::Stay, PlanViewSwitch(VIEW_CALLLIST, VIEW_CALLLIST, false).outcome);
    EXPECT_EQ(Plan::Stay, PlanViewSwitch(VIEW_DIALPAD, 9, false).outcome);
}

TEST(PhoneViews, PagesOfOneScreenKeepTheScreen)
{
    const struct {
        int from, to, page;
    } pages[] = {{13, 14, 1}, {14, 13, 0}, {15, 17, 2}, {17, 16, 1}, {23, 24, 1}, {24, 23, 0}};
    for (const auto& c : pages) {
        const Plan p = PlanViewSwitch(c.from, c.to, false);
        EXPECT_TRUE(p.changePage) << c.from << "->" << c.to;
        EXPECT_FALSE(p.destroyCurrent || p.createNext);
        EXPECT_EQ(c.page, p.page);
    }
    // Entering a shared screen from elsewhere makes it at the view's page.
    const Plan p = PlanViewSwitch(VIEW_DIALPAD, VIEW_VERSION, false);
    EXPECT_TRUE(p.createNext);
    EXPECT_EQ(2, p.page);
    EXPECT_FALSE(PlanViewSwitch(VIEW_RINGTONE, VIEW_GREETING, false).changePage);
}

}  // namespace
