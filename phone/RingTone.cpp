#include "phone/RingTone.h"

#include "audio/CCeMpegThread.h"
#include "modem/CCeMModem.h"
#include "phone/EffectSounds.h"

namespace {

// A tone that ends this soon after it started had nothing to play (a file
// that opens but holds no sound); after a few such ends in a row the loop
// gives up, so a broken file cannot keep the window busy restarting it.
const DWORD kQuickEndMs = 40;
const int kQuickEndsToGiveUp = 3;

struct LoopGuard {
    DWORD startedAt = 0;
    int quickEnds = 0;
    // A tone was asked for and neither stopped nor finished since: the player
    // may not have taken it up yet, so bBePlaying alone can miss it.
    bool started = false;
};
LoopGuard g_loop;

void Start(CCeMpegThread* player, LPCWSTR path)
{
    player->Open(path);
    player->Play();
    g_loop.startedAt = GetTickCount();
    g_loop.started = true;
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
    g_loop.quickEnds = 0;
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
    if (GetTickCount() - g_loop.startedAt < kQuickEndMs) {
        if (++g_loop.quickEnds >= kQuickEndsToGiveUp)
            return 0;
    } else {
        g_loop.quickEnds = 0;
    }
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
