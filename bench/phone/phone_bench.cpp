// The phone's latencies against the simulated module in this process's
// device manager:
//  - a call's RING bytes leaving the module to the ring tone playing (its
//    first buffers going to wave-out; with ZEN_WAVE_CAPTURE set, also to
//    the first bytes reaching the sound device) and to "전화가 왔습니다."
//    painted on the display;
//  - a pen tap on send to the dial line arriving at the module;
//  - Zentrika.exe's cold start to its link being up (the module receives the
//    first start-up query) against an empty Win32 window's start to visible.
// Run: ZEN_WAVE_CAPTURE=/tmp/capture.raw build/wine-run.sh build/bin/phone_bench.exe
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "CeDbTestUtil.h"
#include "ContactFixture.h"
#include "InstallImage.h"
#include "ModuleCard.h"
#include "UiInput.h"
#include "WinTest.h"
#include "audio/CCeMpegThread.h"
#include "modem/ModemMessages.h"
#include "phone/CCeMWndPhone.h"
#include "QuietPhone.h"
#include "phone/DialPadSkin.h"
#include "toolkit/CCeMToolkit.h"

namespace {

const wchar_t kInstall[] = L"C:\\zenbench";
constexpr int kRounds = 9;


std::wstring BinDir()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1);
}

size_t CountSent(ModuleCard& card, const std::string& prefix)
{
    size_t n = 0;
    for (const std::string& c : card.Module().Commands())
        n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
}

LONGLONG CaptureBytes()
{
    wchar_t unixPath[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"ZEN_WAVE_CAPTURE", unixPath, MAX_PATH))
        return -1;
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (!GetFileAttributesExW((std::wstring(L"Z:") + unixPath).c_str(), GetFileExInfoStandard, &fa))
        return 0;
    return (static_cast<LONGLONG>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
}

// Pumps this thread's messages until `done` or `ms` passed; false on time-out.
template <class Done>
bool PumpUntil(Done done, DWORD ms)
{
    const double end = bench::NowMs() + ms;
    while (!done()) {
        if (bench::NowMs() > end)
            return false;
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

void Print(const char* what, const std::vector<double>& samples, const char* aim)
{
    if (samples.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::printf("%-44s median %7.1f ms  (min %.1f, max %.1f, %zu runs; aim %s)\n", what, bench::Median(samples),
                *std::min_element(samples.begin(), samples.end()), *std::max_element(samples.begin(), samples.end()),
                samples.size(), aim);
}

struct InProcess {
    CCeDataManager data;
    QuietPhone phone{data};
    ModuleCard card;
};

void RingAndSend(InProcess& p)
{
    HWND lcd = p.phone.Lcd().GetHwnd();
    const wchar_t* ringing = L"전화가 왔습니다.";
    std::vector<double> toPlaying, toDevice, toPainted, toDial;
    for (int round = 0; round < kRounds; ++round) {
        const LONGLONG captured = CaptureBytes();
        double playing = 0, device = 0, painted = 0;
        const double t0 = bench::NowMs();
        p.card.Module().Ring("0101234567");
        PumpUntil(
            [&] {
                const double now = bench::NowMs();
                if (!painted && wcscmp(p.phone.Lcd().MessageText(), ringing) == 0 && !GetUpdateRect(lcd, nullptr, FALSE))
                    painted = now;
                if (!playing && p.data.m_pRingPlayer && p.data.m_pRingPlayer->bBePlaying())
                    playing = now;
                if (!device && captured >= 0 && CaptureBytes() > captured)
                    device = now;
                return painted && playing && (device || captured < 0);
            },
            3000);
        if (painted)
            toPainted.push_back(painted - t0);
        if (playing)
            toPlaying.push_back(playing - t0);
        if (device)
            toDevice.push_back(device - t0);
        p.card.Module().RemoteHangUp();
        PumpUntil([&] { return p.data.m_Call.nLastState == CALL_NO_CARRIER; }, 3000);
        zentest::PumpMessages(300);
    }

    const MultiButtonCellDef* cells = DialPadLayout(false);
    POINT send = {};
    for (int i = 0; i < kDialPadKeys; ++i)
        if (cells[i].id == CCeMCallControl::KEY_SEND)
            send = {cells[i].left + cells[i].width / 2, cells[i].top + cells[i].height / 2};
    ClientToScreen(p.phone.DialPad().GetHwnd(), &send);
    for (int round = 0; round < kRounds; ++round) {
        uitest::Activate(p.phone.GetHwnd());
        p.phone.Lcd().SetNumber(L"0167778888");
        zentest::PumpMessages(100);
        const size_t before = CountSent(p.card, "AT$ORI");
        const double t0 = bench::NowMs();
        uitest::QueueTap(send);
        if (PumpUntil([&] { return CountSent(p.card, "AT$ORI") > before; }, 3000))
            toDial.push_back(bench::NowMs() - t0);
        zentest::PumpMessages(200);
        p.card.Module().RemoteHangUp();
        PumpUntil([&] { return p.data.m_Call.nLastState == CALL_NO_CARRIER; }, 3000);
        zentest::PumpMessages(300);
    }
    // The same without the pen: the pad's press notice straight to the window.
    std::vector<double> pressToDial;
    for (int round = 0; round < kRounds; ++round) {
        p.phone.Lcd().SetNumber(L"0167778888");
        zentest::PumpMessages(100);
        const size_t before = CountSent(p.card, "AT$ORI");
        const double t0 = bench::NowMs();
        SendMessageW(p.phone.GetHwnd(), WM_COMMAND, MAKEWPARAM(CCeMWndPhone::kDialPadId, 0),
                     MAKELPARAM(CCeMCallControl::KEY_SEND, CCeMMultiButton::PRESS_TAP));
        if (PumpUntil([&] { return CountSent(p.card, "AT$ORI") > before; }, 3000))
            pressToDial.push_back(bench::NowMs() - t0);
        zentest::PumpMessages(200);
        p.card.Module().RemoteHangUp();
        PumpUntil([&] { return p.data.m_Call.nLastState == CALL_NO_CARRIER; }, 3000);
        zentest::PumpMessages(300);
    }
    Print("RING to the ring tone playing (wave-out)", toPlaying, "under 100 ms");
    if (CaptureBytes() >= 0)
        Print("RING to the first bytes at the sound device", toDevice, "under 100 ms");
    else
        std::printf("(set ZEN_WAVE_CAPTURE to time the bytes reaching the sound device)\n");
    Print("RING to \"전화가 왔습니다.\" painted", toPainted, "under 100 ms");
    Print("tap on send to the dial line at the module", toDial, "under 20 ms");
    Print("send press (no pen) to the dial line", pressToDial, "-");
}

// Milliseconds from starting `exe` to `ready`, then the program is closed.
template <class Ready>
double TimeStart(const std::wstring& exe, Ready ready, const wchar_t* className)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    const double t0 = bench::NowMs();
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    const bool ok = PumpUntil(ready, 20000);
    const double took = bench::NowMs() - t0;
    if (HWND w = FindWindowW(className, nullptr))
        PostMessageW(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    zentest::PumpMessages(300);
    return ok ? took : -1;
}

void ColdStart(ModuleCard& card)
{
    std::vector<double> phone, empty;
    for (int round = 0; round < 5; ++round) {
        const size_t before = CountSent(card, "AT$BATT?");
        const double t = TimeStart(
            BinDir() + L"Zentrika.exe", [&] { return CountSent(card, "AT$BATT?") > before; }, L"Norvale Zentrika");
        if (t >= 0)
            phone.push_back(t);
        const double e = TimeStart(
            BinDir() + L"empty_window.exe",
            [] {
                HWND w = FindWindowW(L"ZenEmptyWindow", nullptr);
                return w && IsWindowVisible(w);
            },
            L"ZenEmptyWindow");
        if (e >= 0)
            empty.push_back(e);
    }
    Print("Zentrika.exe start to the link up", phone, "at most 2 x the empty window");
    Print("an empty window's start to visible", empty, "-");
    if (!phone.empty() && !empty.empty())
        std::printf("%-44s %7.2f  (aim at most 2)\n", "cold start ratio (medians)", bench::Median(phone) / bench::Median(empty));
}

}  // namespace

int wmain()
{
    cedbtest::ScopedStore store(L"phonebench");
    contacttest::CreateDatabases();
    contacttest::AddPerson({L"홍길동", L"0101234567"});
    if (!installimage::Install(kInstall) || !CeDevMgrStartInProcess()) {
        std::printf("phone_bench: cannot prepare the installation folder or the device manager\n");
        return 1;
    }
    ToolkitInit(GetModuleHandleW(nullptr));
    int rc = 0;
    {
        InProcess p;
        p.data.SetInstallDir(kInstall);
        p.data.m_EnvDB.Load();
        p.data.m_Settings.nBellSource = 2;
        p.data.m_Settings.bKeypadTone = 0;
        p.data.m_Settings.bAutoAreaCode = 0;
        p.data.m_EnvDB.Save();
        p.card.Module().SetRingTiming(400, 150, 50);
        p.card.Module().SetAutoAnswer(-1);
        if (!p.card.Insert() || !p.phone.CreatePhone(GetModuleHandleW(nullptr))) {
            std::printf("phone_bench: the module or the phone did not come up\n");
            rc = 1;
        } else {
            p.data.m_ContactsDB.OpenDefault(p.phone.GetHwnd());
            p.phone.Calls().ResetCall(p.phone.GetHwnd());
            if (!PumpUntil([&] { return p.data.m_Modem.LinkState == LINK_READY && !p.data.m_Modem.QueuedCount(); },
                           10000)) {
                std::printf("phone_bench: the link did not open\n");
                rc = 1;
            } else {
                zentest::PumpMessages(500);
                RingAndSend(p);
            }
            // The program started below opens the port itself.
            p.data.m_Modem.Close();
            p.phone.Destroy();
            p.data.m_ContactsDB.Close();
            if (rc == 0 && installimage::Register(kInstall)) {
                ColdStart(p.card);
                installimage::Unregister();
            }
        }
    }
    CeDevMgrStopInProcess();
    return rc;
}
