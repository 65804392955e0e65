#include "stores/SettingsRules.h"

bool ToggleSilence(SettingsBlock& s) {
    if (s.nBellSource != 0) {
        s.nSavedBellSource = s.nBellSource;
        s.nBellSource = 0;
        return true;
    }
    if (s.nSavedBellSource == 0) return false;
    s.nBellSource = s.nSavedBellSource;
    return true;
}

void ChooseBellSource(SettingsBlock& s, int32_t source) {
    if (source != 0 || s.nBellSource != 0) s.nSavedBellSource = s.nBellSource;
    s.nBellSource = source;
}

void AddCallTime(SettingsBlock& s, bool incoming, int32_t seconds) {
    if (seconds < 0) seconds = 0;
    if (incoming) {
        s.nLastInSeconds = seconds;
        s.nTotalInSeconds += seconds;
    } else {
        s.nLastOutSeconds = seconds;
        s.nTotalOutSeconds += seconds;
    }
}

void ResetCallTimes(SettingsBlock& s) {
    s.nLastInSeconds = s.nTotalInSeconds = 0;
    s.nLastOutSeconds = s.nTotalOutSeconds = 0;
}

int32_t MinuteToneInterval(const SettingsBlock& s) {
    switch (s.nMinuteToneChoice) {
    case 1: return 180;
    case 2: return 600;
    default: return 60;
    }
}

bool MinuteToneDue(const SettingsBlock& s, int32_t seconds) {
    return s.bMinuteTone == 1 && seconds > 0 && seconds % MinuteToneInterval(s) == 0;
}
