// The ring tone and alert sound screen on a real window: the bell folder's
// files, ring sources with the module's volume commands, the preview
// through the real player (captured at the test's sound device), the alert
// switches and the minute tone, page tabs, and bad bell folders.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CCeMWndAlert.h"
#include "CallsTestHost.h"
#include "SoundFixture.h"
#include "UiInput.h"
#include "WinTest.h"
#include "audio/CCeMpegThread.h"
#include "modem/CCeMAtSender.h"

namespace {

// The module side: what the screen asks of the module, as written.
class RecordingModule : public CCeMAtSender {
public:
    RecordingModule() { CreateTransactionLock(); }
    ~RecordingModule() override { DestroyTransactionLock(); }
    // The module answers "OK" to what is in flight; a queued command goes next.
    void Answer()
    {
        for (int i = 0; i < QUEUE_SLOTS && InFlight.id >= 0; ++i) {
            Result(InFlight.id, 1);
            Pump();
        }
    }
    std::vector<std::string> lines;

protected:
    int WriteCommand(const void* bytes, DWORD count) override
    {
        std::string line(static_cast<const char*>(bytes), count);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        lines.push_back(line);
        return 1;
    }
    BOOL CanIssue() override { return TRUE; }
    void PrepareResend() override {}
    void NotifyResultWindow(UINT, WPARAM, LPARAM) override {}
    void ForgetParsedBlock() override {}
};

class AlertScreen : public testing::Test {
protected:
    AlertScreen() : folder(L"alert-install")
    {
        d.data.SetInstallDir(folder.Path().c_str());
    }
    ~AlertScreen() override
    {
        screen.reset();
        if (CCeMpegThread* p = d.data.m_pRingPlayer) {
            p->Stop();
            p->DestroyThread();
            p->Delete();
            d.data.m_pRingPlayer = nullptr;
        }
    }
    void Open(int page)
    {
        screen = std::make_unique<CCeMWndAlert>(d.data, &module, page);
        ASSERT_TRUE(screen->CreateScreen(host.Hwnd(), callstest::Host::ViewPlacement(), 13 + page));
        zentest::PumpMessages(100);
    }
    HWND Item(int id) { return GetDlgItem(screen->GetHwnd(), id); }
    bool Checked(int id) { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Tap(int id)
    {
        RECT rc;
        GetWindowRect(Item(id), &rc);
        uitest::Tap({rc.left + 8, (rc.top + rc.bottom) / 2});
        zentest::PumpMessages(GetDoubleClickTime() + 50);
        module.Answer();
    }
    std::vector<std::wstring> Listed()
    {
        std::vector<std::wstring> out;
        HWND list = Item(CCeMWndAlert::kBellListId);
        const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[300] = {};
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 300)
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            out.push_back(text);
        }
        return out;
    }
    std::wstring Selected()
    {
        HWND list = Item(CCeMWndAlert::kBellListId);
        const LRESULT sel = SendMessageW(list, LB_GETCURSEL, 0, 0);
        wchar_t text[300] = {};
        if (sel != LB_ERR)
            SendMessageW(list, LB_GETTEXT, sel, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void TapListItem(int index)
    {
        HWND list = Item(CCeMWndAlert::kBellListId);
        RECT rc{};
        SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
        callstest::TapAt(list, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
    SettingsBlock Stored()
    {
        SettingsBlock b{};
        CCeEnvDB env(b, L"");
        EXPECT_EQ(1, env.Load());
        return b;
    }
    int AlertNotices() const
    {
        int n = 0;
        for (const callstest::Sent& s : host.sent)
            n += s.msg == 4024 && s.wp == 3;
        return n;
    }

    callstest::Data d{L"alert"};
    soundtest::InstallFolder folder;
    callstest::Host host;
    RecordingModule module;
    std::unique_ptr<CCeMWndAlert> screen;
};

TEST_F(AlertScreen, ListsTheBellFolderSortedWithoutFoldersAndSelectsTheChosenFile)
{
    folder.Put(L"bell\\b-ring.wav", soundtest::MakeWav(0x30, 800));
    folder.Put(L"bell\\a-song.mp3", {});
    folder.Put(L"bell\\c-tone.WAV", soundtest::MakeWav(0x31, 800));
    folder.Put(L"bell\\notes.txt", {1, 2});
    const std::wstring longName = std::wstring(246, L'n') + L".wav";  // 250 characters
    folder.Put(L"bell\\" + longName, soundtest::MakeWav(0x32, 800));
    CreateDirectoryW((folder.Path() + L"\\bell\\x.mp3").c_str(), nullptr);
    wcscpy(d.data.m_Settings.szBellFile, L"c-tone.WAV");
    d.data.m_Settings.nBellSource = 2;
    Open(0);
    const std::vector<std::wstring> want = {L"a-song.mp3", L"b-ring.wav", L"c-tone.WAV", longName};
    EXPECT_EQ(want, Listed());
    EXPECT_EQ(L"c-tone.WAV", Selected());
    EXPECT_TRUE(Checked(CCeMWndAlert::kHandheldBellId));
    EXPECT_TRUE(IsWindowEnabled(Item(CCeMWndAlert::kBellListId)));
    EXPECT_FALSE(IsWindowVisible(Item(CCeMWndAlert::kKeypadId)));
    callstest::Shot(screen->GetHwnd(), L"alert_bells");

    // Choosing the 250-character name stores it whole.
    TapListItem(3);
    EXPECT_EQ(longName, d.data.m_Settings.szBellFile);
    EXPECT_EQ(longName, Stored().szBellFile);
}

TEST_F(AlertScreen, AnUnknownChoiceSelectsTheFirstAndAMissingFolderListsNothing)
{
    folder.Put(L"bell\\b.wav", soundtest::MakeWav(0x30, 80));
    folder.Put(L"bell\\a.wav", soundtest::MakeWav(0x30, 80));
    wcscpy(d.data.m_Settings.szBellFile, L"gone.wav");
    Open(0);
    EXPECT_EQ(L"a.wav", Selected());
    EXPECT_TRUE(screen->FillBellList());

    d.data.SetInstallDir((folder.Path() + L"\\nowhere").c_str());
    EXPECT_FALSE(screen->FillBellList());
    EXPECT_TRUE(Listed().empty());
    // The handheld source with nothing to choose keeps the last file.
    Tap(CCeMWndAlert::kHandheldBellId);
    EXPECT_EQ(2, d.data.m_Settings.nBellSource);
    EXPECT_STREQ(L"gone.wav", d.data.m_Settings.szBellFile);
}

TEST_F(AlertScreen, RingSourcesSaveTheOldSourceAndSetTheModulesRingVolume)
{
    folder.Put(L"bell\\a.wav", soundtest::MakeWav(0x30, 80));
    d.data.m_Settings.nBellSource = 2;
    d.data.m_Settings.nModuleBellVolume = 3;
    Open(0);
    Tap(CCeMWndAlert::kModuleBellId);
    EXPECT_EQ(1, d.data.m_Settings.nBellSource);
    EXPECT_EQ(2, d.data.m_Settings.nSavedBellSource);
    EXPECT_TRUE(Checked(CCeMWndAlert::kModuleBellId));
    EXPECT_FALSE(Checked(CCeMWndAlert::kHandheldBellId));
    EXPECT_FALSE(IsWindowEnabled(Item(CCeMWndAlert::kBellListId)));
    ASSERT_FALSE(module.lines.empty());
    EXPECT_EQ("AT$RINGVOL=3", module.lines.back());
    EXPECT_EQ(1, AlertNotices());
    EXPECT_EQ(1, Stored().nBellSource);

    Tap(CCeMWndAlert::kHandheldBellId);
    EXPECT_EQ(2, d.data.m_Settings.nBellSource);
    EXPECT_EQ(1, d.data.m_Settings.nSavedBellSource);
    EXPECT_EQ("AT$RINGVOL=0", module.lines.back());  // the module stops ringing
    EXPECT_STREQ(L"a.wav", d.data.m_Settings.szBellFile);

    Tap(CCeMWndAlert::kSilentId);
    EXPECT_EQ(0, d.data.m_Settings.nBellSource);
    EXPECT_EQ(2, d.data.m_Settings.nSavedBellSource);
    // Silent again: the source before silence is kept.
    Tap(CCeMWndAlert::kSilentId);
    EXPECT_EQ(2, d.data.m_Settings.nSavedBellSource);
    EXPECT_EQ(2, Stored().nSavedBellSource);
    EXPECT_EQ(4, AlertNotices());
    const size_t sent = module.lines.size();
    Tap(CCeMWndAlert::kSilentId);
    EXPECT_EQ(sent, module.lines.size());  // silent from silent: nothing to the module
}

TEST_F(AlertScreen, SelectingAFilePlaysItAtOnceAndSwitchingPagesStopsIt)
{
    folder.Put(L"bell\\a.wav", soundtest::MakeWav(0x41, 8000 * 20));
    folder.Put(L"bell\\b.wav", soundtest::MakeWav(0x42, 8000 * 20));
    folder.Put(L"bell\\empty.mp3", {});
    auto* player = new CCeMpegThread;
    ASSERT_TRUE(player->CreateThread(GetModuleHandleW(nullptr), 3024, host.Hwnd()));
    d.data.m_pRingPlayer = player;
    d.data.m_Settings.nBellSource = 2;
    soundtest::ClearCapture();
    Open(0);
    TapListItem(1);
    EXPECT_STREQ(L"b.wav", d.data.m_Settings.szBellFile);
    EXPECT_TRUE(soundtest::WaitForCapture(0x42, 4000));
    EXPECT_TRUE(player->bBePlaying());

    // The tab of page 1: the preview stops.
    callstest::TapAt(screen->GetHwnd(), 50, 80);
    EXPECT_EQ(1, screen->Page());
    EXPECT_TRUE(soundtest::PumpUntil([&] { return !player->bBePlaying(); }, 3000));
    EXPECT_TRUE(IsWindowVisible(Item(CCeMWndAlert::kKeypadId)));
    EXPECT_FALSE(IsWindowVisible(Item(CCeMWndAlert::kBellListId)));

    // An empty MP3 plays nothing and breaks nothing.
    callstest::TapAt(screen->GetHwnd(), 50, 40);
    EXPECT_EQ(0, screen->Page());
    TapListItem(2);
    EXPECT_STREQ(L"empty.mp3", d.data.m_Settings.szBellFile);
    zentest::PumpMessages(300);
    EXPECT_FALSE(player->bBePlaying());

    // Leaving the screen stops a preview.
    TapListItem(0);
    EXPECT_TRUE(soundtest::WaitForCapture(0x41, 4000));
    screen.reset();
    EXPECT_TRUE(soundtest::PumpUntil([&] { return !player->bBePlaying(); }, 3000));
}

TEST_F(AlertScreen, AlertSwitchesAndTheMinuteTone)
{
    d.data.m_Settings.bMinuteTone = 0;
    d.data.m_Settings.nMinuteToneChoice = 2;
    Open(1);
    EXPECT_TRUE(Checked(CCeMWndAlert::kKeypadId));  // the reset values are on
    EXPECT_FALSE(Checked(CCeMWndAlert::kMinuteId));
    HWND minutes = Item(CCeMWndAlert::kMinuteChoiceId);
    EXPECT_FALSE(IsWindowEnabled(minutes));
    EXPECT_EQ(0, SendMessageW(minutes, CB_GETCURSEL, 0, 0));
    wchar_t text[16];
    SendMessageW(minutes, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(L"10 분", text);
    callstest::Shot(screen->GetHwnd(), L"alert_sounds");

    Tap(CCeMWndAlert::kKeypadId);
    EXPECT_EQ(0, d.data.m_Settings.bKeypadTone);
    EXPECT_EQ(0, Stored().bKeypadTone);
    Tap(CCeMWndAlert::kDisconnectId);
    EXPECT_EQ(0, Stored().bDisconnectTone);
    EXPECT_EQ(1, Stored().bConnectTone);

    Tap(CCeMWndAlert::kMessageId);
    EXPECT_EQ(0, d.data.m_Settings.bMessageTone);
    EXPECT_EQ("AT$SMSVOL=4", module.lines.back());  // the module sounds messages itself
    Tap(CCeMWndAlert::kMessageId);
    EXPECT_EQ("AT$SMSVOL=0", module.lines.back());

    Tap(CCeMWndAlert::kMinuteId);
    EXPECT_TRUE(IsWindowEnabled(minutes));
    EXPECT_EQ(1, Stored().bMinuteTone);
    EXPECT_EQ(0, Stored().nMinuteToneChoice);
    SendMessageW(minutes, CB_SETCURSEL, 1, 0);
    SendMessageW(screen->GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndAlert::kMinuteChoiceId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(minutes));
    EXPECT_EQ(1, Stored().nMinuteToneChoice);
    Tap(CCeMWndAlert::kMinuteId);
    EXPECT_FALSE(IsWindowEnabled(minutes));
    EXPECT_EQ(0, Stored().bMinuteTone);

    callstest::TapAt(screen->GetHwnd(), 240 - 14, 13);
    ASSERT_NE(nullptr, host.Last(WM_COMMAND));
    EXPECT_EQ(MAKEWPARAM(14, 1000), host.Last(WM_COMMAND)->wp);
}

}  // namespace
