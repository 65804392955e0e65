// Device volume through the device's mixer. The mixer keeps one level for
// both channels (the louder is taken) and rounds it, so the last value set
// is remembered and given back while the mixer still holds its level.
#define CE_WAVEVOL_NO_REMAP
#include "ce_wavevol.h"

namespace {

bool g_haveLast = false;
DWORD g_last = 0;

struct Control {
    HMIXER mixer = nullptr;
    DWORD id = 0;
    DWORD channels = 1;
    DWORD max = 0xFFFF;
    ~Control()
    {
        if (mixer)
            mixerClose(mixer);
    }
};

bool IsDeviceNumber(HWAVEOUT hwo)
{
    return reinterpret_cast<UINT_PTR>(hwo) < waveOutGetNumDevs();
}

bool OpenVolume(UINT device, Control* c)
{
    if (mixerOpen(&c->mixer, device, 0, 0, MIXER_OBJECTF_WAVEOUT) != MMSYSERR_NOERROR)
        return false;
    MIXERLINEW line = {};
    line.cbStruct = sizeof line;
    line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    if (mixerGetLineInfoW(reinterpret_cast<HMIXEROBJ>(c->mixer), &line, MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR)
        return false;
    MIXERCONTROLW ctl = {};
    ctl.cbStruct = sizeof ctl;
    MIXERLINECONTROLSW lc = {};
    lc.cbStruct = sizeof lc;
    lc.dwLineID = line.dwLineID;
    lc.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    lc.cControls = 1;
    lc.cbmxctrl = sizeof ctl;
    lc.pamxctrl = &ctl;
    if (mixerGetLineControlsW(reinterpret_cast<HMIXEROBJ>(c->mixer), &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR)
        return false;
    c->id = ctl.dwControlID;
    c->channels = line.cChannels ? line.cChannels : 1;
    c->max = ctl.Bounds.dwMaximum ? ctl.Bounds.dwMaximum : 0xFFFF;
    return true;
}

MMRESULT Details(const Control& c, MIXERCONTROLDETAILS_UNSIGNED* values, bool set)
{
    MIXERCONTROLDETAILS d = {};
    d.cbStruct = sizeof d;
    d.dwControlID = c.id;
    d.cChannels = c.channels > 2 ? 2 : c.channels;
    d.cbDetails = sizeof(MIXERCONTROLDETAILS_UNSIGNED);
    d.paDetails = values;
    return set ? mixerSetControlDetails(reinterpret_cast<HMIXEROBJ>(c.mixer), &d, MIXER_SETCONTROLDETAILSF_VALUE)
               : mixerGetControlDetailsW(reinterpret_cast<HMIXEROBJ>(c.mixer), &d, MIXER_GETCONTROLDETAILSF_VALUE);
}

DWORD Scale(DWORD value, DWORD from, DWORD to) { return static_cast<DWORD>((static_cast<ULONGLONG>(value) * to + from / 2) / from); }

}  // namespace

extern "C" MMRESULT WINAPI CeWaveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume)
{
    if (!IsDeviceNumber(hwo))
        return waveOutGetVolume(hwo, pdwVolume);
    if (!pdwVolume)
        return MMSYSERR_INVALPARAM;
    Control c;
    if (!OpenVolume(static_cast<UINT>(reinterpret_cast<UINT_PTR>(hwo)), &c))
        return MMSYSERR_NODRIVER;
    MIXERCONTROLDETAILS_UNSIGNED v[2] = {};
    const MMRESULT rc = Details(c, v, false);
    if (rc != MMSYSERR_NOERROR)
        return rc;
    const DWORD level = Scale(v[0].dwValue, c.max, 0xFFFF);
    if (g_haveLast) {
        const DWORD last = g_last;
        const DWORD louder = LOWORD(last) > HIWORD(last) ? LOWORD(last) : HIWORD(last);
        if (level + 2 >= louder && level <= louder + 2) {
            *pdwVolume = last;
            return MMSYSERR_NOERROR;
        }
    }
    *pdwVolume = MAKELONG(level, level);
    return MMSYSERR_NOERROR;
}

extern "C" MMRESULT WINAPI CeWaveOutSetVolume(HWAVEOUT hwo, DWORD dwVolume)
{
    if (!IsDeviceNumber(hwo))
        return waveOutSetVolume(hwo, dwVolume);
    Control c;
    if (!OpenVolume(static_cast<UINT>(reinterpret_cast<UINT_PTR>(hwo)), &c))
        return MMSYSERR_NODRIVER;
    const DWORD louder = LOWORD(dwVolume) > HIWORD(dwVolume) ? LOWORD(dwVolume) : HIWORD(dwVolume);
    MIXERCONTROLDETAILS_UNSIGNED v[2];
    v[0].dwValue = v[1].dwValue = Scale(louder, 0xFFFF, c.max);
    const MMRESULT rc = Details(c, v, true);
    if (rc == MMSYSERR_NOERROR) {
        g_last = dwVolume;
        g_haveLast = true;
    }
    return rc;
}
