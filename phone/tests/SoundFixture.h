#pragma once
// What the sound tests share: an installation folder of their own with WAV
// files whose samples all carry one value (so the capture tells which file
// played), the capture file of the test's sound device, and an owner window
// that hands the player's notices to the ring-tone code.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace soundtest {

using Bytes = std::vector<uint8_t>;

// 8-bit mono 8 kHz WAV of `samples` samples, every one `value`.
Bytes MakeWav(uint8_t value, size_t samples);
bool WriteFile(const std::wstring& path, const Bytes& data);
Bytes ReadAll(const std::wstring& path);

// The capture file named by the test's environment (ZEN_WAVE_CAPTURE),
// relative to the test's folder.
std::wstring CapturePath();
void ClearCapture();
// Number of captured bytes equal to `value`.
size_t CapturedCount(uint8_t value);
// Pumps messages until the capture holds at least `count` bytes of `value`.
bool WaitForCapture(uint8_t value, size_t count, DWORD ms = 8000);

// A fresh folder under the test's folder with "Effect", "Effect\keypad" and
// "bell"; removed when the object goes.
class InstallFolder {
public:
    explicit InstallFolder(const std::wstring& name);
    ~InstallFolder();
    const std::wstring& Path() const { return path_; }
    void Put(const std::wstring& relative, const Bytes& data);

private:
    std::wstring path_;
};

// Pumps this thread's messages while `done` is false, up to ms.
bool PumpUntil(const std::function<bool()>& done, DWORD ms);

}  // namespace soundtest
