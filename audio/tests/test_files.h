#pragma once
// Small file helpers for the audio tests.
#include <cstdint>
#include <string>
#include <vector>

namespace audiotest {

using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::wstring& path);
bool WriteAll(const std::wstring& path, const Bytes& data);
// A generated test medium (made at build time in the test's media folder).
std::wstring Media(const char* name);

// A canonical RIFF/WAVE file: "fmt " of fmtSize bytes, then the given chunks.
struct WavLayout {
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint32_t fmtSize = 16;
};
Bytes MakeWav(const WavLayout& layout, const Bytes& data);
void AppendChunk(Bytes& file, const char id[4], const Bytes& body, uint32_t sizeField);
void AppendChunk(Bytes& file, const char id[4], const Bytes& body);

}  // namespace audiotest
