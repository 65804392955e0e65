#pragma once
// The ring tone of an incoming call, played on the audio library's player
// thread, and the module's own ringer.
//
// The player object (CCeMpegThread) is created once by the main window and
// owned through CCeDataManager::m_pRingPlayer for the program's life.
#include <windows.h>

#include "stores/CCeDataManager.h"
#include "stores/RingToneChoice.h"

class CCeMModem;

// Control id of the player's notices to its owner window (WM_COMMAND, low
// word), and the notice that playback has ended (high word).
inline constexpr UINT kRingPlayerNoticeId = 3024;
inline constexpr int kRingPlayerFinished = 208;

// Creates the player with its thread, notices to `owner`, and hands it to the
// data manager (m_pRingPlayer). Returns the player, or null when the thread
// could not start (the phone then rings without a tone).
CCeMpegThread* CreateRingPlayer(CCeDataManager& data, HINSTANCE instance, HWND owner);
// Shutdown: stops the tone, ends the player's thread and frees it.
void DestroyRingPlayer(CCeDataManager& data);

// Stops the player when it plays (every stop event: ring start, connect, end
// of call, reject, silence toggle, shutdown). 1 when it was playing.
int StopRingTone(CCeDataManager& data);

// Chooses the caller's tone (locked or private, user bell, category bell,
// default), stops what plays, opens the file and plays it. `category` is
// the one the contacts lookup gave (may be null or empty). Returns where the
// file came from (RingToneSource), or 0 with no player. The chosen path goes
// to pathOut when given.
int PlayRingTone(CCeDataManager& data, LPCWSTR callerNumber, LPCWSTR category,
                 LPWSTR pathOut = nullptr, int pathChars = 0);

// The player's notice (WM_COMMAND with control id 3024). On the end of
// playback, while the call still rings (callState 2), the handheld rings
// (nBellSource 2) and the call was not rejected, the same file plays again.
// Returns 1 when it restarted the tone.
int OnRingPlayerNotice(CCeDataManager& data, WPARAM wParam, LONG callState, int rejected);

// The module's ring volume the settings want: nModuleBellVolume when the
// module rings (nBellSource 1), else 0.
int ModuleRingVolume(const SettingsBlock& settings);
// The module's message-alert volume: 0 while the handheld plays message
// sounds itself (bMessageTone 1), else 4.
int ModuleMessageVolume(const SettingsBlock& settings);
// Ring-source sync after the module reported its ring volume: sets the
// module's ring volume when it differs from what the settings want, then
// its message-alert volume. Returns the number of commands issued.
int SyncModuleRinger(CCeMModem& link, const SettingsBlock& settings, int moduleRingVolume);

// A new text message was reported (result of the new-message query with
// flag 1): the message sound when the settings ask for it, the link hands
// the held records to the message window, then asks for the next one.
void OnNewTextMessage(CCeMModem& link, LPCWSTR installDir, const SettingsBlock& settings);
