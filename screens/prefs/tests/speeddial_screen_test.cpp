// The speed-dial screen on real windows with pen input: slots, the editor
// inside the list, the hold menu, deleting, privacy and the message boxes.
#include <string>

#include "CCeMWndSpeedDial.h"
#include "PrefsFixture.h"

namespace {

using prefstest::SeenBox;

class SpeedDialTest : public prefstest::ScreenTest {
protected:
    void Open()
    {
        ASSERT_EQ(1, screen.Create(WS_VISIBLE, prefstest::kViewPlace, host.GetHwnd(), 25));
        zentest::PumpMessages(100);
    }
    void TearDown() override
    {
        screen.Destroy();
        ScreenTest::TearDown();
    }

    CCeMSpeedDialList& List() { return screen.List(); }
    HWND ListWnd() { return screen.List().GetHwnd(); }
    // Row r of those shown (rows start 20 pixels down, 16 high).
    void TapRow(int r) { TapAt(ListWnd(), 60, 20 + r * 16 + 8); }
    void HoldRow(int r)
    {
        const POINT p = uitest::ScreenPoint(ListWnd(), 60, 20 + r * 16 + 8);
        const int before = watcher.menusSeen;
        uitest::PenMove(p);
        uitest::PenDown(p);
        ASSERT_TRUE(zentest::WaitUntil([&] { return watcher.menusSeen > before; }, 4000));
        zentest::PumpMessages(200);
    }
    void TapButton(int id)
    {
        const int x = id == CCeMWndSpeedDial::kClose ? 226 : id == CCeMWndSpeedDial::kAssign ? 182 : 204;
        TapAt(screen.GetHwnd(), x, 13);
        zentest::PumpMessages(100);
    }
    void TapOk() { TapAt(ListWnd(), 122, 93); }
    std::wstring Field(int field)
    {
        wchar_t buf[128] = {};
        GetWindowTextW(List().FieldWindow(field), buf, 128);
        return buf;
    }
    void SetField(int field, const wchar_t* text) { SetWindowTextW(List().FieldWindow(field), text); }
    void TypeDigits(const char* digits)
    {
        TapAt(ListWnd(), 140, 69);  // the number field
        for (const char* p = digits; *p; ++p)
            uitest::Key(static_cast<WORD>(*p));
        zentest::PumpMessages(100);
    }
    std::wstring Stored(int slot)
    {
        CCeEasyCallDB fresh;
        wchar_t name[64] = {}, number[64] = {};
        if (!fresh.Get(slot, name, 64, number, 64))
            return L"-";
        return std::wstring(name) + L"|" + number;
    }

    CCeMWndSpeedDial screen;
};

TEST_F(SpeedDialTest, AssigningATypedNumberStoresItInTheChosenSlot)
{
    Open();
    EXPECT_EQ(100, List().ItemCount());
    TapRow(3);
    EXPECT_EQ(3, List().SelectedIndex());
    TapButton(CCeMWndSpeedDial::kAssign);
    ASSERT_TRUE(List().IsEditing());
    EXPECT_TRUE(IsWindowVisible(List().FieldWindow(CCeMSpeedDialList::kNameField)));
    EXPECT_EQ(L"3", Field(CCeMSpeedDialList::kSlotField));
    EXPECT_EQ(List().FieldWindow(CCeMSpeedDialList::kNameField), GetFocus());
    SetField(CCeMSpeedDialList::kNameField, L"홍길동");
    TypeDigits("0101234567");
    EXPECT_EQ(L"0101234567", Field(CCeMSpeedDialList::kNumberField));
    Shot(L"speeddial-editor");
    // Taps on the rows beside the editor do nothing while it is open (lower
    // down the input panel covers the list).
    TapAt(ListWnd(), 215, 20 + 1 * 16 + 8);
    EXPECT_EQ(3, List().SelectedIndex());
    TapOk();
    EXPECT_FALSE(List().IsEditing());
    EXPECT_FALSE(IsWindowVisible(List().FieldWindow(CCeMSpeedDialList::kNameField)));
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_EQ(L"홍길동|0101234567", Stored(3));
    Shot(L"speeddial-list");

    // Changing it fills the editor with what is stored.
    TapButton(CCeMWndSpeedDial::kAssign);
    EXPECT_EQ(L"홍길동", Field(CCeMSpeedDialList::kNameField));
    EXPECT_EQ(L"0101234567", Field(CCeMSpeedDialList::kNumberField));
    SetField(CCeMSpeedDialList::kNumberField, L"0219998888");
    TapOk();
    EXPECT_EQ(L"홍길동|0219998888", Stored(3));
}

TEST_F(SpeedDialTest, SlotZeroAndSlotNinetyNineAreRows)
{
    Open();
    TapRow(0);
    EXPECT_EQ(0, List().SelectedIndex());
    TapButton(CCeMWndSpeedDial::kAssign);
    EXPECT_EQ(L"0", Field(CCeMSpeedDialList::kSlotField));
    TapAt(ListWnd(), 172, 93);  // Cancel
    EXPECT_FALSE(List().IsEditing());
    // The arrow keys page to the end; the last row shown is slot 99.
    SetFocus(ListWnd());
    for (int i = 0; i < 20; ++i)
        uitest::Key(VK_RIGHT);
    zentest::PumpMessages(150);
    EXPECT_EQ(100 - List().VisibleRows(), List().TopIndex());
    TapRow(List().VisibleRows() - 1);
    EXPECT_EQ(99, List().SelectedIndex());
    TapButton(CCeMWndSpeedDial::kAssign);
    EXPECT_EQ(L"99", Field(CCeMSpeedDialList::kSlotField));
    SetField(CCeMSpeedDialList::kNameField, L"끝");
    SetField(CCeMSpeedDialList::kNumberField, L"99");
    TapOk();
    EXPECT_EQ(L"끝|99", Stored(99));
}

TEST_F(SpeedDialTest, IncompleteOrOverlongEntriesKeepTheEditorOpen)
{
    Open();
    TapRow(1);
    TapButton(CCeMWndSpeedDial::kAssign);
    SetField(CCeMSpeedDialList::kNameField, L"이름");
    TapOk();  // no number
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"오류", watcher.seen[0].caption);
    EXPECT_EQ(L"정보를 올바로 기입해주십시오.", watcher.seen[0].text);
    EXPECT_FALSE(watcher.seen[0].system);
    EXPECT_TRUE(List().IsEditing());

    // 64 digits are more than the store keeps: refused, nothing cut.
    const std::wstring longest(63, L'7');
    SetField(CCeMSpeedDialList::kNumberField, (longest + L"7").c_str());
    TapOk();
    EXPECT_EQ(2u, watcher.seen.size());
    EXPECT_TRUE(List().IsEditing());
    EXPECT_EQ(L"-", Stored(1));
    SetField(CCeMSpeedDialList::kNumberField, longest.c_str());
    TapOk();
    EXPECT_FALSE(List().IsEditing());
    EXPECT_EQ(L"이름|" + longest, Stored(1));
}

TEST_F(SpeedDialTest, AssignWithoutARowAsksInTheSystemBox)
{
    Open();
    TapButton(CCeMWndSpeedDial::kAssign);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_TRUE(watcher.seen[0].system);
    EXPECT_EQ(L"알림", watcher.seen[0].caption);
    EXPECT_EQ(L"우선 목록에서 지정할 번호를 선택하십시오.", watcher.seen[0].text);
    EXPECT_FALSE(List().IsEditing());
}

TEST_F(SpeedDialTest, CloseEndsTheEditorFirstThenAsksTheParent)
{
    Open();
    TapRow(2);
    TapButton(CCeMWndSpeedDial::kAssign);
    ASSERT_TRUE(List().IsEditing());
    TapButton(CCeMWndSpeedDial::kClose);
    EXPECT_FALSE(List().IsEditing());
    EXPECT_EQ(0, host.CloseRequests(25));
    TapButton(CCeMWndSpeedDial::kClose);
    EXPECT_EQ(1, host.CloseRequests(25));
}

TEST_F(SpeedDialTest, DeleteAsksOnlyForAFilledSlotAndDeletesOnOk)
{
    ASSERT_EQ(1, data.m_EasyCallDB.Set(L"엄마", L"0105556666", 5));
    Open();
    TapRow(2);
    TapButton(CCeMWndSpeedDial::kDelete);
    EXPECT_TRUE(watcher.seen.empty());  // an empty slot: no question
    TapRow(5);
    watcher.answer = IDCANCEL;
    TapButton(CCeMWndSpeedDial::kDelete);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"삭제 하시겠습니까 ?", watcher.seen[0].text);
    EXPECT_EQ(L"엄마|0105556666", Stored(5));
    watcher.answer = IDOK;
    TapButton(CCeMWndSpeedDial::kDelete);
    EXPECT_EQ(2u, watcher.seen.size());
    EXPECT_EQ(L"-", Stored(5));
}

TEST_F(SpeedDialTest, TheHoldMenuOffersWhatTheSlotAllows)
{
    ASSERT_EQ(1, data.m_EasyCallDB.Set(L"엄마", L"0105556666", 5));
    Open();
    watcher.menu = List().Menu().Handle();
    watcher.menuChoice = 0;  // 추가
    HoldRow(4);
    EXPECT_EQ((std::vector<bool>{false, true, true}), watcher.greyed);
    EXPECT_EQ(4, List().SelectedIndex());
    ASSERT_TRUE(List().IsEditing());
    EXPECT_EQ(L"4", Field(CCeMSpeedDialList::kSlotField));
    Shot(L"speeddial-add-from-menu");
    TapAt(ListWnd(), 172, 93);  // Cancel

    watcher.menuChoice = 2;  // 삭제
    HoldRow(5);
    EXPECT_EQ((std::vector<bool>{true, false, false}), watcher.greyed);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"삭제 하시겠습니까 ?", watcher.seen[0].text);
    EXPECT_EQ(L"-", Stored(5));

    // The editor takes no menu.
    TapRow(7);
    TapButton(CCeMWndSpeedDial::kAssign);
    const int menus = watcher.menusSeen;
    const POINT p = uitest::ScreenPoint(ListWnd(), 20, 150);
    uitest::PenDown(p);
    zentest::PumpMessages(900);
    uitest::PenUp(p);
    zentest::PumpMessages(100);
    EXPECT_EQ(menus, watcher.menusSeen);
}

TEST_F(SpeedDialTest, PrivacyHidesTheSlotsAndRefusesChanges)
{
    ASSERT_EQ(1, data.m_EasyCallDB.Set(L"엄마", L"0105556666", 5));
    data.m_Settings.bPrivacy = 1;
    Open();
    EXPECT_EQ(0, List().ItemCount());
    EXPECT_FALSE(List().IsScrollBarVisible());
    Shot(L"speeddial-privacy");
    TapButton(CCeMWndSpeedDial::kAssign);
    TapButton(CCeMWndSpeedDial::kDelete);
    ASSERT_EQ(2u, watcher.seen.size());
    for (const SeenBox& b : watcher.seen) {
        EXPECT_EQ(L"사생활 보호중입니다.", b.text);
        EXPECT_EQ(L"알림", b.caption);
    }
    EXPECT_FALSE(List().IsEditing());
    EXPECT_EQ(L"엄마|0105556666", Stored(5));
}

TEST_F(SpeedDialTest, ALockedPhoneRefusesChanges)
{
    data.m_Settings.bPhoneLocked = 1;
    Open();
    TapRow(1);
    TapButton(CCeMWndSpeedDial::kAssign);
    ASSERT_EQ(1u, watcher.seen.size());
    EXPECT_EQ(L"휴대폰이 잠겨 있습니다.\r\n\r\n잠금을 해제 하십시오.", watcher.seen[0].text);
    EXPECT_FALSE(List().IsEditing());
}

}  // namespace
