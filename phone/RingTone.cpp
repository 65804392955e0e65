#include "phone/RingTone.h"

#include "audio/CCeMpegThread.h"
#include "modem/CCeMModem.h"
#include "phone/EffectSounds.h"

namespace {

// A tone that keeps ending at once had nothing to play (a file that opens but
// holds no sound): after this many restarts within a second the loop gives
// up for this call, so a broken file cannot keep the window busy.
const DWORD kRestartWindowMs = 1000;
const int kRestartsPerWindow = 10;

struct LoopGuard {
    DWORD windowStart = 0;
    int restartsInWindow = 0;
    // A tone was asked for and neither stopped nor finished since: the player
    // may not have taken it up yet, so bBePlaying alone can miss it.
    bool started = false;
};
LoopGuard g_loop;

void Start(CCeMpegThread* player, LPCWSTR path)
{
    player->Open(path);
    player->Play();
    g_loop.started = true;
}

// Counts a restart; false when there have been too many just now.
bool MayRestart()
{
    const DWORD now = GetTickCount();
    if (now - g_loop.windowStart > kRestartWindowMs) {
        g_loop.windowStart = now;
        g_loop.restartsInWindow = 0;
    }
    return ++g_loop.restartsInWindow <= kRestartsPerWindow;
}

}  // namespace

CCeMpegThread* CreateRingPlayer(CCeDataManager& data, HINSTANCE instance, HWND owner)
{
    if (data.m_pRingPlayer)
        return data.m_pRingPlayer;
    auto* player = new CCeMpegThread;
    if (!player->CreateThread(instance, kRingPlayerNoticeId, owner)) {
        player->Delete();
        return nullptr;
    }
    data.m_pRingPlayer = player;
    return player;
}

void DestroyRingPlayer(CCeDataManager& data)
{
    CCeMpegThread* player = data.m_pRingPlayer;
    if (!player)
        return;
    StopRingTone(data);
    player->DestroyThread();
    player->Delete();
    data.m_pRingPlayer = nullptr;
}

int StopRingTone(CCeDataManager& data)
{
    CCeMpegThread* player = data.m_pRingPlayer;
    if (!player || (player->bBePlaying() != 1 && !g_loop.started))
        return 0;
    player->Stop();
    g_loop.started = false;
    return 1;
}

int PlayRingTone(CCeDataManager& data, LPCWSTR callerNumber, LPCWSTR category, LPWSTR pathOut, int pathChars)
{
    CCeMpegThread* player = data.m_pRingPlayer;
    if (!player)
        return 0;
    wchar_t path[MAX_PATH];
    const int source = ChooseRingTone(data.m_Settings, data.m_UserBellDB, data.m_CategoryBellDB,
                                      callerNumber ? callerNumber : L"", category, data.m_szInstallDir, path,
                                      MAX_PATH);
    if (pathOut && pathChars > 0) {
        lstrcpynW(pathOut, path, pathChars);
    }
    StopRingTone(data);
    g_loop.windowStart = GetTickCount();
    g_loop.restartsInWindow = 0;
    Start(player, path);
    return source;
}

int OnRingPlayerNotice(CCeDataManager& data, WPARAM wParam, LONG callState, int rejected)
{
    CCeMpegThread* player = data.m_pRingPlayer;
    if (!player || LOWORD(wParam) != kRingPlayerNoticeId || HIWORD(wParam) != kRingPlayerFinished)
        return 0;
    g_loop.started = false;
    if (callState != 2 || data.m_Settings.nBellSource != 2 || rejected)
        return 0;
    if (!MayRestart())
        return 0;
    Start(player, nullptr);
    return 1;
}

int ModuleRingVolume(const SettingsBlock& settings)
{
    return settings.nBellSource == 1 ? settings.nModuleBellVolume : 0;
}

int ModuleMessageVolume(const SettingsBlock& settings)
{
    return settings.bMessageTone == 1 ? 0 : 4;
}

int SyncModuleRinger(CCeMModem& link, const SettingsBlock& settings, int moduleRingVolume)
{
    int issued = 0;
    const int wanted = ModuleRingVolume(settings);
    if (moduleRingVolume != wanted) {
        link.CmdSetRingVolume(wanted);
        ++issued;
    }
    link.CmdSetSmsVolume(ModuleMessageVolume(settings));
    return issued + 1;
}

void OnNewTextMessage(CCeMModem& link, LPCWSTR installDir, const SettingsBlock& settings)
{
    PlayEffectSound(installDir, settings, kEffectMessage);
    link.DeliverRecords();
    link.CmdReadNewMt(0);
}
