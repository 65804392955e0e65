#pragma once
// Zentrika.exe as the user runs it, for end-to-end tests: one running copy
// against the simulated module in the slot (served by the modem port driver
// in this test's device manager), driven by pen taps on the handheld's screen
// and by the module's own events. A test program derives its fixture from
// PhoneProgramTest and starts the phone once in SetUpTestSuite.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/SimLink.h"
#include "sim/SimModule.h"

namespace cedbtest {
class ScopedStore;
}

namespace phoneprog {

// The module's card, which a test pulls and puts back.
class Card {
public:
    Card();
    ~Card();
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;
    bool Start();
    bool Insert();
    bool Remove();
    zen::sim::SimModule& Module() { return m_module; }

private:
    std::wstring m_pnpId;
    zen::sim::SimModule m_module;
    zen::sim::SimLink m_link;
};

// Starts Zentrika.exe with `args`; the process handle, or null.
HANDLE StartPhone(const std::wstring& args);

struct Options {
    const wchar_t* storeName = L"phoneprogram";
    // Runs on the private object store once the contacts databases exist and
    // the default settings are written, before the phone starts.
    std::function<void()> prepare;
    std::wstring args;
};

class PhoneProgramTest : public testing::Test {
protected:
    // Installs, plugs in the card and starts the phone; fails the suite's
    // set-up (gtest failure) when any of it does not come up.
    static void StartSession(const Options& options);
    static void EndSession();

    // Lines the module received that start with `prefix`, in order.
    static std::vector<std::string> SentLines(const std::string& prefix);
    static bool WaitSent(const std::string& prefix, size_t count, DWORD ms = 5000);
    // The display's two lines as it reads them out: message, then number.
    static std::wstring Display();
    static bool WaitDisplay(const std::wstring& part, DWORD ms = 5000);
    // A tap on a key of the dial pad (digits, KEY_SEND, KEY_END, ...).
    static void TapKey(int key);
    // Holds a key of the dial pad down for `ms` (speed dial, long codes).
    static void HoldKey(int key, DWORD ms);
    static bool PhoneRunning();
    static void Shot(const wchar_t* name);
    static LONGLONG CaptureBytes();
    // Ends a call from the module's side and lets the phone settle.
    static void HangUp();

    // A tap on the menu bar's button for `command` (an image button's
    // command, or a pop-up button's string id).
    static bool TapBarButton(UINT command);
    // Opens the pop-up menu holding `command` and taps that item.
    static bool TapMenuCommand(UINT command);
    // A tap at a client point of any window of the phone.
    static void TapAt(HWND hwnd, int x, int y);
    // Taps a combo box at a client point until its drop-down list shows (a
    // tap that lands while the phone is busy may not open it; a person taps
    // again); the list, or null after three tries.
    static HWND OpenDropDown(HWND combo, int x, int y);
    // A visible top-level window of the phone's process with this class
    // (null for any) whose caption starts with `caption` (null for any).
    static HWND FindPhoneTopLevel(const wchar_t* className, const wchar_t* caption, DWORD waitMs = 5000);
    // A visible descendant of `parent` with this class and caption (either null for any).
    static HWND FindChild(HWND parent, const wchar_t* className, const wchar_t* caption, DWORD waitMs = 5000);
    static std::wstring TextOf(HWND hwnd);

    static cedbtest::ScopedStore* s_store;
    static Card* s_card;
    static HANDLE s_process;
    static HWND s_phone;
    static HWND s_lcd;
};

}  // namespace phoneprog
