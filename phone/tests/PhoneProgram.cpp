#include "PhoneProgram.h"

#include <aygshell.h>
#include <commctrl.h>

#include <map>

#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "InstallImage.h"
#include "Process.h"
#include "Screenshot.h"
#include "UiInput.h"
#include "WinTest.h"
#include "ce_devmgr.h"
#include "phone/CCeMCallControl.h"
#include "phone/CCeMWndPhone.h"
#include "phone/DialPadSkin.h"
#include "phone/PhoneWindowClass.h"
#include "stores/CCeDataManager.h"

namespace phoneprog {

namespace {

const wchar_t kInstall[] = L"C:\\zenprog";
constexpr int kPadTop = 84;  // the dial pad's place in the main window

// Where the phone's menu bar buttons and pop-up items lie. The test builds
// the same bar and opens the same pop-ups from Zentrika.exe's resources in
// its own process (same metrics, same fonts) and measures them there.
struct MenuGeometry {
    bool measured = false;
    std::map<UINT, RECT> buttons;  // by command, in bar client coordinates
    std::map<UINT, UINT> popupOf;  // item command -> bar button command
    std::map<UINT, POINT> itemOffset;  // item centre from its pop-up's top-left
};

MenuGeometry g_menu;

std::wstring WindowText(HWND hwnd)
{
    wchar_t text[600] = L"";
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 600, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 3000, &n))
        return L"";
    return text;
}

void MeasureMenus()
{
    g_menu.measured = true;
    const std::wstring exe = zentest::BinDir() + L"Zentrika.exe";
    HMODULE res = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, res) << GetLastError();
    HWND host = CreateWindowExW(0, L"STATIC", L"menu mirror", WS_POPUP, 0, 0, 240, 320, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, host);
    SHMENUBARINFO mb = {};
    mb.cbSize = sizeof mb;
    mb.hwndParent = host;
    mb.dwFlags = SHCMBF_HIDDEN;
    mb.nToolBarId = CCeMWndPhone::kMenuBarId;
    mb.hInstRes = reinterpret_cast<HINSTANCE>(res);
    ASSERT_TRUE(SHCreateMenuBar(&mb));
    HMENU bar = reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(nullptr, bar);
    // The bar's buttons: pop-up buttons carry their string id as command.
    for (UINT command = 1; command < 0x10000; ++command) {
        RECT rc;
        if (SendMessageW(mb.hwndMB, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rc)))
            g_menu.buttons[command] = rc;
    }
    for (const auto& button : g_menu.buttons) {
        HMENU sub = reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETSUBMENU, 0, button.first));
        if (!sub)
            continue;
        POINT at = {button.second.left, 320 - 26};
        const int count = GetMenuItemCount(sub);
        uitest::WhileModal(50, [&] {
            HWND popup = uitest::FindOwnVisible(L"#32768");
            if (!popup)
                return true;
            RECT win;
            GetWindowRect(popup, &win);
            for (int i = 0; i < count; ++i) {
                RECT item;
                const UINT id = GetMenuItemID(sub, i);
                if (id == static_cast<UINT>(-1) || id == 0 || !GetMenuItemRect(nullptr, sub, i, &item))
                    continue;
                g_menu.popupOf[id] = button.first;
                g_menu.itemOffset[id] = {(item.left + item.right) / 2 - win.left, (item.top + item.bottom) / 2 - win.top};
            }
            EndMenu();
            return false;
        });
        TrackPopupMenuEx(sub, TPM_LEFTALIGN | TPM_BOTTOMALIGN, at.x, at.y, host, nullptr);
        uitest::StopModalSteps();
    }
    DestroyWindow(mb.hwndMB);
    DestroyWindow(host);
    FreeLibrary(res);
}

HWND PhoneMenuBar(HWND phone)
{
    for (HWND w = FindWindowW(L"menu_worker", nullptr); w; w = FindWindowExW(nullptr, w, L"menu_worker", nullptr))
        if (GetWindow(w, GW_OWNER) == phone)
            return w;
    return nullptr;
}

}  // namespace

Card::Card() : m_pnpId(L"PCMCIA\\CDMA2000_1x_Zentrika_prog" + std::to_wstring(GetCurrentProcessId())), m_link(m_module)
{
    // A module that restarts takes its card out of the slot and back.
    m_module.SetRestartHandler([this](bool back) { back ? Insert() : Remove(); });
}

Card::~Card()
{
    m_module.SetRestartHandler(nullptr);
    Remove();
    m_link.Stop();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Drivers\\PCMCIA\\" + m_pnpId).c_str());
}

bool Card::Start()
{
    return m_link.Start(L"progtest" + std::to_wstring(GetCurrentProcessId())) &&
           CeDevMgrRegisterDriver(m_pnpId.c_str(), L"ZentDrv.dll", L"COM") && Insert();
}

bool Card::Insert()
{
    return CeDevMgrInsertCard(m_pnpId.c_str(), m_link.Link().c_str(), nullptr, 0) != FALSE;
}

bool Card::Remove()
{
    return CeDevMgrRemoveCard(m_pnpId.c_str()) != FALSE;
}

HANDLE StartPhone(const std::wstring& args)
{
    return zentest::StartProgram(L"Zentrika.exe", args);
}

cedbtest::ScopedStore* PhoneProgramTest::s_store = nullptr;
Card* PhoneProgramTest::s_card = nullptr;
HANDLE PhoneProgramTest::s_process = nullptr;
HWND PhoneProgramTest::s_phone = nullptr;
HWND PhoneProgramTest::s_lcd = nullptr;

void PhoneProgramTest::StartSession(const Options& options)
{
    s_store = new cedbtest::ScopedStore(options.storeName);
    contacttest::CreateDatabases();
    {
        // The handheld plays the ring tone; no key clicks to listen past.
        CCeDataManager settings;
        settings.m_EnvDB.Load();
        settings.m_Settings.nBellSource = 2;
        settings.m_Settings.bKeypadTone = 0;
        settings.m_Settings.bAutoAreaCode = 0;
        ASSERT_NE(0, settings.m_EnvDB.Save());
    }
    if (options.prepare)
        options.prepare();
    ASSERT_TRUE(installimage::Install(kInstall));
    ASSERT_TRUE(installimage::Register(kInstall));

    ASSERT_TRUE(CeDevMgrStartInProcess()) << GetLastError();
    s_card = new Card;
    s_card->Module().SetRingTiming(400, 150, 50);
    s_card->Module().SetAutoAnswer(-1);
    ASSERT_TRUE(s_card->Start()) << GetLastError();

    MeasureMenus();
    s_process = StartPhone(options.args);
    ASSERT_NE(nullptr, s_process);
    ASSERT_TRUE(zentest::WaitUntil([] { return (s_phone = FindWindowW(kPhoneWindowClass, kPhoneWindowTitle)); },
                                   20000));
    // The link is up once the module has answered the start-up queries.
    ASSERT_TRUE(zentest::WaitUntil([] { return !SentLines("AT$RINGVOL?").empty(); }, 15000));
    zentest::PumpMessages(1500);
    s_lcd = FindWindowExW(s_phone, nullptr, L"LCD WND", nullptr);
}

void PhoneProgramTest::EndSession()
{
    if (s_process) {
        if (WaitForSingleObject(s_process, 0) != WAIT_OBJECT_0) {
            PostMessageW(s_phone, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(s_process, 10000) != WAIT_OBJECT_0)
                TerminateProcess(s_process, 1);
        }
        CloseHandle(s_process);
        s_process = nullptr;
    }
    delete s_card;
    s_card = nullptr;
    CeDevMgrStopInProcess();
    installimage::Unregister();
    delete s_store;
    s_store = nullptr;
}

std::vector<std::string> PhoneProgramTest::SentLines(const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& c : s_card->Module().Commands())
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    return out;
}

bool PhoneProgramTest::WaitSent(const std::string& prefix, size_t count, DWORD ms)
{
    return zentest::WaitUntil([&] { return SentLines(prefix).size() >= count; }, ms);
}

std::wstring PhoneProgramTest::Display()
{
    return TextOf(s_lcd);
}

bool PhoneProgramTest::WaitDisplay(const std::wstring& part, DWORD ms)
{
    return zentest::WaitUntil([&] { return Display().find(part) != std::wstring::npos; }, ms);
}

namespace {

bool KeyPoint(HWND phone, int key, POINT& p)
{
    const MultiButtonCellDef* cells = DialPadLayout(false);
    for (int i = 0; i < kDialPadKeys; ++i)
        if (cells[i].id == key) {
            p = {cells[i].left + cells[i].width / 2, kPadTop + cells[i].top + cells[i].height / 2};
            ClientToScreen(phone, &p);
            return true;
        }
    return false;
}

}  // namespace

void PhoneProgramTest::TapKey(int key)
{
    POINT p;
    if (KeyPoint(s_phone, key, p)) {
        uitest::Tap(p);
        zentest::PumpMessages(120);
    }
}

void PhoneProgramTest::HoldKey(int key, DWORD ms)
{
    POINT p;
    if (!KeyPoint(s_phone, key, p))
        return;
    uitest::PenDown(p);
    zentest::PumpMessages(ms);
    uitest::PenUp(p);
    zentest::PumpMessages(120);
}

bool PhoneProgramTest::PhoneRunning()
{
    return s_process && WaitForSingleObject(s_process, 0) == WAIT_TIMEOUT;
}

void PhoneProgramTest::Shot(const wchar_t* name)
{
    zentest::PumpMessages(300);
    zentest::SaveScreenshot(zentest::CaptureScreen(), name);
}

LONGLONG PhoneProgramTest::CaptureBytes()
{
    wchar_t unixPath[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", unixPath, MAX_PATH);
    std::wstring p(unixPath);
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (p.empty() || !GetFileAttributesExW((L"Z:" + p).c_str(), GetFileExInfoStandard, &fa))
        return 0;
    return (static_cast<LONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
}

void PhoneProgramTest::HangUp()
{
    s_card->Module().RemoteHangUp();
    zentest::PumpMessages(800);
}

bool PhoneProgramTest::TapBarButton(UINT command)
{
    HWND bar = PhoneMenuBar(s_phone);
    const auto it = g_menu.buttons.find(command);
    if (!bar || it == g_menu.buttons.end()) {
        ADD_FAILURE() << "no bar button " << command << (bar ? "" : " (no bar)");
        return false;
    }
    const RECT& rc = it->second;
    TapAt(bar, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return true;
}

bool PhoneProgramTest::TapMenuCommand(UINT command)
{
    const auto item = g_menu.itemOffset.find(command);
    if (item == g_menu.itemOffset.end()) {
        ADD_FAILURE() << "no menu item " << command << " among " << g_menu.itemOffset.size();
        return false;
    }
    if (!TapBarButton(g_menu.popupOf[command]))
        return false;
    HWND popup = FindPhoneTopLevel(L"#32768", nullptr);
    if (!popup) {
        // What the phone shows, top first, to tell a covered bar from a dead one.
        std::string shown;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            char cls[64] = "";
            if (pid == GetProcessId(s_process) && IsWindowVisible(w) && GetClassNameA(w, cls, 64))
                shown += std::string(cls) + " ";
        }
        ADD_FAILURE() << "the pop-up of " << g_menu.popupOf[command] << " did not open; shown: " << shown;
        return false;
    }
    RECT win;
    GetWindowRect(popup, &win);
    uitest::Tap({win.left + item->second.x, win.top + item->second.y});
    zentest::PumpMessages(300);
    return true;
}

void PhoneProgramTest::TapAt(HWND hwnd, int x, int y)
{
    uitest::Tap(uitest::ScreenPoint(hwnd, x, y));
    zentest::PumpMessages(150);
}

HWND PhoneProgramTest::OpenDropDown(HWND combo, int x, int y)
{
    HWND drop = nullptr;
    for (int tries = 0; tries < 3 && !drop; ++tries) {
        TapAt(combo, x, y);
        drop = FindPhoneTopLevel(L"ComboLBox", nullptr, 1500);
    }
    return drop;
}

HWND PhoneProgramTest::FindPhoneTopLevel(const wchar_t* className, const wchar_t* caption, DWORD waitMs)
{
    const DWORD pid = GetProcessId(s_process);
    HWND found = nullptr;
    zentest::WaitUntil(
        [&] {
            for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner != pid || !IsWindowVisible(w))
                    continue;
                wchar_t cls[64] = L"";
                GetClassNameW(w, cls, 64);
                if (className && wcscmp(cls, className) != 0)
                    continue;
                if (caption && TextOf(w).compare(0, wcslen(caption), caption) != 0)
                    continue;
                found = w;
                return true;
            }
            return false;
        },
        waitMs);
    return found;
}

namespace {

struct ChildQuery {
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND w, LPARAM lp)
{
    auto* q = reinterpret_cast<ChildQuery*>(lp);
    if (!IsWindowVisible(w))
        return TRUE;
    wchar_t cls[64] = L"";
    GetClassNameW(w, cls, 64);
    if (q->className && wcscmp(cls, q->className) != 0)
        return TRUE;
    if (q->caption && WindowText(w) != q->caption)
        return TRUE;
    q->found = w;
    return FALSE;
}

}  // namespace

HWND PhoneProgramTest::FindChild(HWND parent, const wchar_t* className, const wchar_t* caption, DWORD waitMs)
{
    ChildQuery q = {className, caption, nullptr};
    zentest::WaitUntil(
        [&] {
            EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&q));
            return q.found != nullptr;
        },
        waitMs);
    return q.found;
}

std::wstring PhoneProgramTest::TextOf(HWND hwnd)
{
    return WindowText(hwnd);
}

}  // namespace phoneprog
