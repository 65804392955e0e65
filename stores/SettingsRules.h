#pragma once
// Rules that several screens apply to the settings fields. They change the
// block only; the caller saves it (CCeEnvDB::Save) at once, as after any
// other change.
#include "stores/SettingsBlock.h"

// Holding '*' on an empty dial pad: silences the phone, remembering the
// ring source, or brings the remembered source back. Returns false when
// both are 0 and nothing changed (the dial pad then opens another view).
bool ToggleSilence(SettingsBlock& s);

// The ring-tone screen's choice of source (0 silent, 1 module, 2 handheld):
// the current source is remembered first, except when silencing an already
// silent phone.
void ChooseBellSource(SettingsBlock& s, int32_t source);

// End of a call: its length becomes the last one and adds to the total.
void AddCallTime(SettingsBlock& s, bool incoming, int32_t seconds);
void ResetCallTimes(SettingsBlock& s);

// Seconds between minute tones for the chosen interval (60, 180 or 600; an
// unknown choice counts as 60).
int32_t MinuteToneInterval(const SettingsBlock& s);
// Whether the minute tone sounds at this length of the running call.
bool MinuteToneDue(const SettingsBlock& s, int32_t seconds);
