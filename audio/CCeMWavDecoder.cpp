#include "audio/CCeMWavDecoder.h"

#include <cstring>

namespace {

uint32_t Le32(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

}  // namespace

CCeMWavDecoder::CCeMWavDecoder() : m_hFile(INVALID_HANDLE_VALUE), m_format(), m_dataSize(0), m_delivered(0)
{
}

CCeMWavDecoder::~CCeMWavDecoder()
{
    CloseFile();
}

int CCeMWavDecoder::Initialize()
{
    CloseFile();
    m_info.Init();
    std::memset(&m_format, 0, sizeof m_format);
    m_dataSize = 0;
    m_delivered = 0;
    return 1;
}

void CCeMWavDecoder::Uninitialize()
{
    CloseFile();
}

void CCeMWavDecoder::CloseFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE) {
        CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
    }
}

int CCeMWavDecoder::OpenFile(const wchar_t* path)
{
    if (m_hFile != INVALID_HANDLE_VALUE || !path)
        return 0;
    m_hFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return 0;
    m_delivered = 0;
    if (!CheckWavHeader()) {
        CloseFile();
        return 0;
    }
    const MeloxWavFormat& f = m_format;
    // Trust the layout we will actually play, not the file's own average rate.
    const uint64_t bytesPerSec = uint64_t(f.sampleRate) * f.blockAlign;  // no wrap to 0
    m_info.Init();
    m_info.nDuration = int(m_dataSize / bytesPerSec);
    m_info.nBitrate = 0;
    m_info.nSampleRate = int(f.sampleRate);
    m_info.bStereo = f.channels == 2;
    m_info.b16Bit = f.bitsPerSample == 16;
    return 1;
}

int CCeMWavDecoder::Seek(int, int)
{
    return 0;
}

int CCeMWavDecoder::GetFileInfo(CCeAudioFileInfo* info)
{
    if (info)
        *info = m_info;
    return m_hFile != INVALID_HANDLE_VALUE;
}

int CCeMWavDecoder::GetPCMBlock(BYTE* buffer, DWORD* length)
{
    if (!length)
        return 0;
    DWORD want = *length;
    *length = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !buffer)
        return 0;
    // Only the data chunk is sound: whatever follows it (tags, lists) is not played.
    const DWORD left = m_dataSize - m_delivered;
    const DWORD align = m_format.blockAlign;
    // Whole sample frames only, so the samples never shift between channels.
    if (want > left)
        want = left;
    want -= want % align;
    if (want == 0)
        return left >= align ? 1 : 0;  // room for less than one frame: data goes on
    DWORD got = 0;
    if (!ReadFile(m_hFile, buffer, want, &got, nullptr))
        got = 0;
    m_delivered += got;
    // A torn sample frame at a truncated end is dropped rather than played shifted.
    got -= got % align;
    if (got == 0) {
        m_delivered = m_dataSize;  // the file has ended: so has the data
        return 0;
    }
    *length = got;
    return 1;
}

int CCeMWavDecoder::GetCurrentPos_secs()
{
    return 0;
}

bool CCeMWavDecoder::ReadExact(void* to, DWORD count)
{
    DWORD got = 0;
    return ReadFile(m_hFile, to, count, &got, nullptr) && got == count;
}

bool CCeMWavDecoder::Skip(uint32_t count)
{
    // Chunk sizes are unsigned: a huge size must move forward, never back.
    LARGE_INTEGER by;
    by.QuadPart = count;
    return SetFilePointerEx(m_hFile, by, nullptr, FILE_CURRENT) != 0;
}

uint64_t CCeMWavDecoder::Tell()
{
    LARGE_INTEGER zero = {}, at = {};
    SetFilePointerEx(m_hFile, zero, &at, FILE_CURRENT);
    return uint64_t(at.QuadPart);
}

namespace {

bool PlausibleId(const BYTE* id)
{
    for (int i = 0; i < 4; ++i)
        if (id[i] < 0x20 || id[i] > 0x7E)
            return false;
    return true;
}

// The PCM sub-format of the extensible format block: {00000001-0000-0010-8000-00AA00389B71}.
const BYTE kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                           0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
const uint16_t kFormatPcm = 1;
const uint16_t kFormatExtensible = 0xFFFE;
const uint32_t kMaxRate = 384000;

}  // namespace

bool CCeMWavDecoder::NextChunk(BYTE h[8], bool padded)
{
    if (!ReadExact(h, 8))
        return false;
    if (!padded || PlausibleId(h))
        return true;
    // Some writers leave out the pad byte after a chunk of odd size: when the
    // padded place holds no chunk but the byte before does, take that one.
    LARGE_INTEGER back;
    back.QuadPart = -9;
    BYTE alt[8];
    if (!SetFilePointerEx(m_hFile, back, nullptr, FILE_CURRENT) || !ReadExact(alt, 8))
        return false;
    if (PlausibleId(alt)) {
        std::memcpy(h, alt, 8);
        return true;
    }
    return Skip(1);  // neither: back to where the padded header ended
}

int CCeMWavDecoder::CheckWavHeader()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return 0;
    SetFilePointer(m_hFile, 0, nullptr, FILE_BEGIN);
    BYTE h[8];
    if (!ReadExact(h, 8) || std::memcmp(h, "RIFF", 4) != 0)
        return 0;
    if (!ReadExact(h, 4) || std::memcmp(h, "WAVE", 4) != 0)
        return 0;
    // Chunks are padded to an even size; the pad byte is not counted in the size.
    bool padded = false;
    for (;;) {
        if (!NextChunk(h, padded))
            return 0;
        const uint32_t size = Le32(h + 4);
        if (std::memcmp(h, "fmt ", 4) != 0) {
            if (!Skip(size) || !Skip(size & 1))
                return 0;
            padded = size & 1;
            continue;
        }
        // A format chunk shorter than the classic 16 bytes has no real format in it.
        if (size < 16 || !ReadExact(&m_format, sizeof m_format))
            return 0;
        LONGLONG rest = LONGLONG(size) - LONGLONG(sizeof m_format);
        if (m_format.formatTag == kFormatExtensible) {
            // The extensible block: valid bits, channel mask, sub-format.
            BYTE ext[22];
            if (size < 40 || m_format.extraSize < 22 || !ReadExact(ext, sizeof ext))
                return 0;
            const uint16_t validBits = uint16_t(ext[0] | (ext[1] << 8));
            if (std::memcmp(ext + 6, kPcmGuid, 16) != 0 || validBits > m_format.bitsPerSample)
                return 0;
            rest -= LONGLONG(sizeof ext);
        } else if (m_format.formatTag != kFormatPcm) {
            return 0;
        }
        LARGE_INTEGER by;
        by.QuadPart = rest + LONGLONG(size & 1);
        if (by.QuadPart != 0 && !SetFilePointerEx(m_hFile, by, nullptr, FILE_CURRENT))
            return 0;
        padded = size & 1;
        break;
    }
    // Only what the wave-out device is opened for can be played: 1 or 2 channels,
    // 8 or 16 bits, whole sample frames, and a rate a device can have.
    const MeloxWavFormat& f = m_format;
    if ((f.channels != 1 && f.channels != 2) || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        f.sampleRate == 0 || f.sampleRate > kMaxRate || f.blockAlign != f.channels * f.bitsPerSample / 8)
        return 0;
    for (;;) {
        if (!NextChunk(h, padded))
            return 0;
        const uint32_t size = Le32(h + 4);
        if (std::memcmp(h, "data", 4) == 0) {
            // The header's size is a promise the file may not keep (a cut
            // download, a recorder that never wrote the size): the sound ends
            // where the file does.
            LARGE_INTEGER fileSize = {};
            GetFileSizeEx(m_hFile, &fileSize);
            const uint64_t at = Tell();
            const uint64_t held = uint64_t(fileSize.QuadPart) > at ? uint64_t(fileSize.QuadPart) - at : 0;
            m_dataSize = DWORD(size < held ? size : held);
            return 1;
        }
        if (!Skip(size) || !Skip(size & 1))
            return 0;
        padded = size & 1;
    }
}
