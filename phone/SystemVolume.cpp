#include "phone/SystemVolume.h"

#include <mmsystem.h>

#include <ce_wavevol.h>

namespace {

// Device 0 by its number: the handheld's one wave-out device.
HWAVEOUT DefaultDevice()
{
    return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(0));
}

bool ReadDword(HKEY key, LPCWSTR name, DWORD* value)
{
    DWORD type = 0, size = sizeof(DWORD);
    return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof(DWORD);
}

void WriteDword(HKEY key, LPCWSTR name, DWORD value)
{
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

SystemVolume::SystemVolume(int steps)
    : m_nSteps(steps > 0 ? steps : kDefaultSteps),
      m_nCurrent(0),
      m_dwStepSize(0xFFFFFFFFu / static_cast<DWORD>(m_nSteps))
{
}

int SystemVolume::ReadStep()
{
    DWORD volume = 0;
    if (waveOutGetVolume(DefaultDevice(), &volume) != MMSYSERR_NOERROR)
        volume = 0;
    m_nCurrent = static_cast<int>(volume / m_dwStepSize);
    return m_nCurrent;
}

int SystemVolume::SetStep(int step, int save)
{
    if (step > m_nSteps || step < 0)
        return 0;
    m_nCurrent = step;
    Apply(save);
    return 1;
}

int SystemVolume::StepUp()
{
    if (m_nCurrent + 1 >= m_nSteps)
        return 0;
    ++m_nCurrent;
    Apply(1);
    return 1;
}

int SystemVolume::StepDown()
{
    if (m_nCurrent - 1 <= 0) {
        m_nCurrent = 0;
        return 0;
    }
    --m_nCurrent;
    Apply(1);
    return 1;
}

void SystemVolume::Apply(int save)
{
    const DWORD volume = static_cast<DWORD>(m_nCurrent) * m_dwStepSize;
    if (save == 1)
        SaveToRegistry(volume);
    waveOutSetVolume(DefaultDevice(), volume);
}

void SystemVolume::SaveToRegistry(DWORD volume)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\VolumeUnmuted", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    DWORD mute = 0, keys = 0, screen = 0;
    ReadDword(key, L"Mute", &mute);
    ReadDword(key, L"Key", &keys);
    ReadDword(key, L"Screen", &screen);
    RegCloseKey(key);
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Volume", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    WriteDword(key, L"Volume", volume);
    WriteDword(key, L"Mute", mute);
    WriteDword(key, L"Key", keys);
    WriteDword(key, L"Screen", screen);
    RegCloseKey(key);
}

SystemVolume& TheSystemVolume()
{
    static SystemVolume volume(SystemVolume::kDefaultSteps);
    return volume;
}
