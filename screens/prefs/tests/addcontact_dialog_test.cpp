// The add-to-contacts dialog on real windows: the number check before it
// opens, the names, the kind of number and the group written to the
// contacts database, and a failed save that keeps what was typed.
#include <windows.h>

#include <sipapi.h>

#include <functional>
#include <string>
#include <vector>

#include "CCeMDlgAddContact.h"
#include "ContactFixture.h"
#include "PrefsFixture.h"
#include "resources/prefs_res.h"
#include "stores/ContactItem.h"
#include "stores/ContactProps.h"

namespace {

using prefstest::SeenBox;

class AddContactTest : public prefstest::ScreenTest {
protected:
    using Action = std::function<void(HWND dialog)>;

    void SetUp() override
    {
        ScreenTest::SetUp();
        watcher.Stop();  // this test answers the boxes itself
    }
    void TearDown() override
    {
        data.m_ContactsDB.Close();
        data.m_CategoriesDB.Close();
        ScreenTest::TearDown();
    }
    void WithContacts()
    {
        contacttest::CreateDatabases();
        ASSERT_NE(0, data.m_ContactsDB.OpenDefault(host.GetHwnd()));
    }

    // Runs the dialog: each action once the dialog is up with no message box
    // over it; every message box is read and answered with OK.
    INT_PTR Run(const wchar_t* number, std::vector<Action> actions)
    {
        size_t next = 0;
        DWORD quietSince = GetTickCount();
        uitest::WhileModal(50, [&] {
            HWND dialog = nullptr;
            for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                wchar_t cls[16] = {};
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !GetClassNameW(w, cls, 16) ||
                    wcscmp(cls, L"#32770") != 0)
                    continue;
                if (auto* box = dynamic_cast<CCeMMsgBox*>(CCeMToolkit::Map().Lookup(w))) {
                    if (w != lastBox) {
                        lastBox = w;
                        boxes.push_back({box->CaptionText(), box->Text(), false});
                        PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                    }
                    quietSince = GetTickCount();
                    return true;
                }
                dialog = w;
            }
            if (dialog) {
                ++dialogsSeen;
                // A dialog that outlives its script would hang the test.
                if (next == actions.size() && GetTickCount() - quietSince > 8000)
                    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                if (next < actions.size() && GetTickCount() - quietSince > 300) {
                    quietSince = GetTickCount();
                    actions[next++](dialog);
                }
            }
            return true;
        });
        const INT_PTR r = dialogUnderTest.Show(number, host.GetHwnd());
        uitest::StopModalSteps();
        return r;
    }

    static void Type(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
    static void Pick(HWND dialog, int id, int index) { SendDlgItemMessageW(dialog, id, CB_SETCURSEL, index, 0); }
    static RECT WindowRect(HWND w)
    {
        RECT rc = {};
        GetWindowRect(w, &rc);
        return rc;
    }
    static SIPINFO Panel()
    {
        SIPINFO si = {};
        si.cbSize = sizeof si;
        SipGetInfo(&si);
        return si;
    }
    static bool PanelShown() { return (Panel().fdwFlags & SIPF_ON) != 0; }
    static std::wstring Text(HWND dialog, int id)
    {
        wchar_t buf[80] = {};
        GetDlgItemTextW(dialog, id, buf, 80);
        return buf;
    }
    static void TapButton(HWND dialog, int id)
    {
        RECT rc;
        GetWindowRect(GetDlgItem(dialog, id), &rc);
        uitest::QueueTap({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    }
    // The stored contact with that display name, read back from the database.
    const ContactItem* Stored(const wchar_t* display)
    {
        data.m_ContactsDB.LoadAll();
        for (int i = 0; i < data.m_ContactsDB.Count(); ++i) {
            const ContactItem* c = data.m_ContactsDB.At(i);
            if (c->pszDisplayName && wcscmp(c->pszDisplayName, display) == 0)
                return c;
        }
        return nullptr;
    }

    CCeMDlgAddContact dialogUnderTest;
    std::vector<SeenBox> boxes;
    HWND lastBox = nullptr;
    int dialogsSeen = 0;
};

TEST_F(AddContactTest, AKnownNumberNeverOpensTheDialog)
{
    WithContacts();
    contacttest::AddPerson({L"홍길동", L"0101234567"});
    EXPECT_EQ(0, Run(L"010-123-4567", {}));
    EXPECT_EQ(0, dialogsSeen);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"알림", boxes[0].caption);
    EXPECT_EQ(L"\"010-123-4567\" 번호는 \r\n\"홍길동\" 이름으로\r\n이미 등록되어 있습니다.", boxes[0].text);
}

TEST_F(AddContactTest, AGivenNameAloneIsStoredAsAnOfficeNumberInTheChosenGroup)
{
    WithContacts();
    contacttest::AddCategory(L"친구", 3);
    contacttest::AddCategory(L"회사", 40);
    std::wstring shownNumber;
    const INT_PTR r = Run(L"0215557777", {[&](HWND d) {
                              shownNumber = Text(d, IDC_NUMBER);
                              Type(d, IDC_GIVEN_NAME, L"길동");
                              Pick(d, IDC_NUMBER_KIND, 1);  // 사무실
                              Pick(d, IDC_GROUP, 2);        // 회사
                              zentest::SaveScreenshot(zentest::CaptureScreen(), L"addcontact");
                              TapButton(d, IDOK);
                          }});
    EXPECT_EQ(1, r);
    EXPECT_EQ(L"0215557777", shownNumber);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"저장하였습니다.", boxes[0].text);
    const ContactItem* c = Stored(L"길동");
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ(L"길동", c->pszFirstName);
    EXPECT_TRUE(!c->pszLastName || !c->pszLastName[0]);
    ASSERT_NE(nullptr, c->pszOffice);
    EXPECT_STREQ(L"0215557777", c->pszOffice);
    EXPECT_TRUE(!c->pszMobile || !c->pszMobile[0]);
    EXPECT_EQ(kPropOffice, c->nPreferred);
    // Bit 40: two 32-bit words, only that bit set.
    ASSERT_EQ(8u, c->cbCategoryMask);
    for (DWORD i = 0; i < c->cbCategoryMask; ++i)
        EXPECT_EQ(i == 5 ? 0x01 : 0x00, c->pCategoryMask[i]) << i;
    // Caller look-up finds the new contact at once.
    wchar_t name[64] = {};
    EXPECT_EQ(1, data.m_ContactsDB.NameByNumber(L"021-555-7777", name, nullptr, 64));
    EXPECT_STREQ(L"길동", name);
}

TEST_F(AddContactTest, MissingNamesOrNumberWarnAndKeepTheDialogOpen)
{
    WithContacts();
    const INT_PTR r = Run(L"0167778888", {[](HWND d) { TapButton(d, IDOK); },
                                          [](HWND d) {
                                              Type(d, IDC_FAMILY_NAME, L"홍");
                                              Type(d, IDC_NUMBER, L"");
                                              TapButton(d, IDOK);
                                          },
                                          [](HWND d) {
                                              Type(d, IDC_GIVEN_NAME, L"길동");
                                              Type(d, IDC_NUMBER, L"0167778888");
                                              Pick(d, IDC_NUMBER_KIND, 2);  // 집
                                              TapButton(d, IDOK);
                                          }});
    EXPECT_EQ(1, r);
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ(L"경고", boxes[0].caption);
    EXPECT_EQ(L"성 혹은 이름을 입력하십시오", boxes[0].text);
    EXPECT_EQ(L"전화 번호를 입력하십시오.", boxes[1].text);
    EXPECT_EQ(L"저장하였습니다.", boxes[2].text);
    const ContactItem* c = Stored(L"홍길동");
    ASSERT_NE(nullptr, c);
    EXPECT_STREQ(L"홍", c->pszLastName);
    EXPECT_STREQ(L"0167778888", c->pszHome);
    EXPECT_EQ(kPropHome, c->nPreferred);
    EXPECT_EQ(0u, c->cbCategoryMask);  // "비분류": no mask
}

// The panel comes up for a name field and would cover the buttons where
// the dialog first stands; the dialog moves up above it, so OK is reached
// by pen with the panel still up. It stays there once the panel goes (a
// tap on a button puts the panel away; the button must not move under the pen).
TEST_F(AddContactTest, TheDialogMovesAboveTheInputPanel)
{
    WithContacts();
    RECT withPanel = {}, okWithPanel = {}, afterPanel = {};
    SIPINFO panel = {};
    const INT_PTR r = Run(L"0167778888", {[&](HWND d) {
                                              // The family name has the focus and the panel.
                                              panel = Panel();
                                              withPanel = WindowRect(d);
                                              okWithPanel = WindowRect(GetDlgItem(d, IDOK));
                                              SetFocus(GetDlgItem(d, IDC_GROUP));
                                              zentest::PumpMessages(50);
                                              afterPanel = WindowRect(d);
                                          },
                                          [&](HWND d) {
                                              SetFocus(GetDlgItem(d, IDC_FAMILY_NAME));
                                              Type(d, IDC_FAMILY_NAME, L"홍");
                                              zentest::PumpMessages(50);
                                              if (PanelShown())
                                                  TapButton(d, IDOK);
                                          }});
    ASSERT_TRUE(panel.fdwFlags & SIPF_ON);
    EXPECT_LE(okWithPanel.bottom, panel.rcSipRect.top);
    EXPECT_GE(withPanel.top, panel.rcVisibleDesktop.top);
    // Centred on the screen, as it opens, the panel covered OK.
    const int centredTop = (GetSystemMetrics(SM_CYSCREEN) - (withPanel.bottom - withPanel.top)) / 2;
    EXPECT_GT(okWithPanel.bottom + centredTop - withPanel.top, panel.rcSipRect.top);
    EXPECT_TRUE(EqualRect(&withPanel, &afterPanel));
    // The pen's tap on OK saved with the panel up.
    EXPECT_EQ(1, r);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"저장하였습니다.", boxes[0].text);
    EXPECT_NE(nullptr, Stored(L"홍"));
    SipShowIM(SIPF_OFF);
}

TEST_F(AddContactTest, WithoutAContactsDatabaseTheTypedValuesStay)
{
    std::wstring keptFamily, keptGiven, keptNumber;
    const INT_PTR r = Run(L"0167778888", {[](HWND d) {
                                              Type(d, IDC_FAMILY_NAME, L"홍");
                                              Type(d, IDC_GIVEN_NAME, L"길동");
                                              TapButton(d, IDOK);
                                          },
                                          [&](HWND d) {
                                              keptFamily = Text(d, IDC_FAMILY_NAME);
                                              keptGiven = Text(d, IDC_GIVEN_NAME);
                                              keptNumber = Text(d, IDC_NUMBER);
                                              TapButton(d, IDCANCEL);
                                          }});
    EXPECT_EQ(2, r);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"저장하지 못했습니다.", boxes[0].text);
    EXPECT_EQ(L"홍", keptFamily);
    EXPECT_EQ(L"길동", keptGiven);
    EXPECT_EQ(L"0167778888", keptNumber);
}

}  // namespace
