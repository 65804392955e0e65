// State words of the command line and the task filter's rules.
#include <gtest/gtest.h>

#include "agent/AgentStates.h"
#include "agent/TaskFilter.h"

using namespace agent;

TEST(AgentStates, FirstWordFoundInTheirOrderNamesTheState)
{
    EXPECT_EQ(0, StateIndexOf(L"PowerON"));
    EXPECT_EQ(1, StateIndexOf(L"Phone"));
    EXPECT_EQ(2, StateIndexOf(L"  Internet "));
    EXPECT_EQ(3, StateIndexOf(L"PowerOFF"));
    // "PowerON" is looked for before "Phone", wherever they stand.
    EXPECT_EQ(0, StateIndexOf(L"Phone PowerON"));
    EXPECT_EQ(1, StateIndexOf(L"PowerOFF Phone"));
    EXPECT_EQ(kStateNone, StateIndexOf(L""));
    EXPECT_EQ(kStateNone, StateIndexOf(nullptr));
    EXPECT_EQ(kStateNone, StateIndexOf(L"poweron phone"));  // the words are exact
    EXPECT_EQ(kStateNone, StateIndexOf(L"Power"));
    for (int i = 0; i < kStateCount; ++i)
        EXPECT_EQ(i, StateIndexOf(StateWord(i)));
    EXPECT_STREQ(L"", StateWord(4));
    EXPECT_STREQ(L"", StateWord(-1));
}

TEST(TaskFilter, ListsProgramsButNotTheShellsWindows)
{
    EXPECT_TRUE(PassesTaskFilter(true, L"Notes", L"NotesClass"));
    EXPECT_FALSE(PassesTaskFilter(false, L"Notes", L"NotesClass"));
    EXPECT_FALSE(PassesTaskFilter(true, L"", L"NotesClass"));
    // An untitled dialog counts, an untitled calculator passes at once.
    EXPECT_TRUE(PassesTaskFilter(true, L"", L"Dialog"));
    EXPECT_TRUE(PassesTaskFilter(true, L"", L"ADVCALC"));
    EXPECT_TRUE(PassesTaskFilter(true, L"Desktop", L"ADVCALC"));
    for (const wchar_t* title : {L"Desktop", L"Desktop Window", L"Pocket PC Emulation", L"CursorWindow",
                                 L"ActiveSync", L"Start"})
        EXPECT_FALSE(PassesTaskFilter(true, title, L"Any")) << title;
    for (const wchar_t* cls : {L"menu_worker", L"HHTaskBar", L"MS_SIPBUTTON", L"Expansion Pack Class",
                               L"Flash Manager", L"FAKEIMEUI", L"MSPOutlook", L"ConnMgrWndClass", L"RapiSrv",
                               L"Ime", L"IME"})
        EXPECT_FALSE(PassesTaskFilter(true, L"Titled", cls)) << cls;
    EXPECT_TRUE(PassesTaskFilter(true, L"Desktops", L"Any"));  // whole titles only
}

TEST(TaskFilter, SystemWindowsAreKnownByClass)
{
    for (const wchar_t* cls : {L"Dialog", L"Explore", L"Worker", L"CPL_Clock", L"CPL_"})
        EXPECT_TRUE(IsSystemWindowClass(cls)) << cls;
    for (const wchar_t* cls : {L"dialog", L"CPL", L"MyDialog", L"", L"Norvale Zentrika"})
        EXPECT_FALSE(IsSystemWindowClass(cls)) << cls;
    EXPECT_FALSE(IsSystemWindowClass(nullptr));
}
