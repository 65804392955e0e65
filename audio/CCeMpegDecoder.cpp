#include "audio/CCeMpegDecoder.h"

#include "audio/MpegDither.h"

#include <cstring>

namespace {

// One dither state per output channel, shared by the process as on the device.
MeloxDither g_dither[2];

int64_t Millis(const mad_timer_t& t)
{
    return int64_t(t.seconds) * 1000 + mad_timer_fraction(t, MAD_UNITS_MILLISECONDS);
}

// Little-endian 16-bit output, whatever the byte order of the machine.
inline BYTE* Put16(BYTE* out, int16_t v)
{
    out[0] = BYTE(v);
    out[1] = BYTE(uint16_t(v) >> 8);
    return out + 2;
}

BYTE* ConvertMono(BYTE* out, const mad_fixed_t* l, unsigned int n)
{
    MeloxDither left = g_dither[0];
    for (unsigned int i = 0; i < n; ++i)
        out = Put16(out, MeloxDitherSample(l[i], left));
    g_dither[0] = left;
    return out;
}

BYTE* ConvertMonoToStereo(BYTE* out, const mad_fixed_t* l, unsigned int n)
{
    MeloxDither left = g_dither[0];
    for (unsigned int i = 0; i < n; ++i) {
        const int16_t a = MeloxDitherSample(l[i], left);
        out = Put16(Put16(out, a), a);
    }
    g_dither[0] = left;
    return out;
}

BYTE* ConvertStereo(BYTE* out, const mad_fixed_t* l, const mad_fixed_t* r, unsigned int n)
{
    MeloxDither left = g_dither[0], right = g_dither[1];
    for (unsigned int i = 0; i < n; ++i) {
        out = Put16(out, MeloxDitherSample(l[i], left));
        out = Put16(out, MeloxDitherSample(r[i], right));
    }
    g_dither[0] = left;
    g_dither[1] = right;
    return out;
}

DWORD ReadInto(HANDLE file, unsigned char* to, DWORD room)
{
    DWORD got = 0;
    if (!ReadFile(file, to, room, &got, nullptr))
        return 0;
    return got;
}

}  // namespace

CCeMpegDecoder::CCeMpegDecoder() : m_hFile(INVALID_HANDLE_VALUE), m_madReady(false)
{
    ResetState();
}

CCeMpegDecoder::~CCeMpegDecoder()
{
    Uninitialize();
}

void CCeMpegDecoder::ResetState()
{
    m_fileSize = 0;
    std::memset(&m_xing, 0, sizeof m_xing);
    m_position = 0;
    m_played = mad_timer_zero;
    m_duration = mad_timer_zero;
    m_bitrateSum = 0;
    m_bitrateCount = 0;
    m_info.Init();
    m_inputLength = 0;
    m_atEnd = false;
}

int CCeMpegDecoder::Initialize()
{
    Uninitialize();
    ResetState();
    return 1;
}

void CCeMpegDecoder::Uninitialize()
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    if (m_madReady) {
        mad_synth_finish(&m_synth);
        mad_frame_finish(&m_frame);
        mad_stream_finish(&m_stream);
        m_madReady = false;
    }
}

void CCeMpegDecoder::CloseFile()
{
    Uninitialize();
}

bool CCeMpegDecoder::ScanHeader(mad_header& header)
{
    // A separate buffer and libmad state: the decoder proper starts fresh afterwards.
    static_assert(kScanSize <= kInputSize, "the scan borrows the input buffer");
    unsigned char* buf = m_input;
    mad_stream stream;
    mad_frame frame;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    DWORD have = 0;
    int decoded = 0;
    bool found = false;
    bool atEnd = false;
    for (;;) {
        const DWORD got = ReadInto(m_hFile, buf + have, kScanSize - have);
        if (got == 0 && (atEnd || have == 0))
            break;
        have += got;
        std::memset(buf + have, 0, MAD_BUFFER_GUARD);
        // At the end of the file the last frame needs the guard bytes behind it.
        atEnd = got == 0;
        mad_stream_buffer(&stream, buf, have + (atEnd ? MAD_BUFFER_GUARD : 0));
        for (;;) {
            if (mad_frame_decode(&frame, &stream) != 0) {
                if (MAD_RECOVERABLE(stream.error))
                    continue;
                break;
            }
            ++decoded;
            if (decoded == 1) {
                header = frame.header;
                if (MeloxParseXing(m_xing, stream.anc_ptr, stream.anc_bitlen)) {
                    found = true;
                    break;
                }
            } else {
                header = frame.header;
                found = true;
                break;
            }
        }
        if (found)
            break;
        if (decoded > 0) {  // the file ends after its only frame
            found = true;
            break;
        }
        if (stream.error != MAD_ERROR_BUFLEN)
            break;
        if (atEnd)
            break;
        // Keep the bytes not yet decoded and read on.
        const unsigned char* from = stream.next_frame ? stream.next_frame : buf;
        have = DWORD(buf + have - from);
        std::memmove(buf, from, have);
        if (have >= kScanSize)  // a whole buffer without a frame start: give up
            break;
    }
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);
    return found;
}

int CCeMpegDecoder::OpenFile(const wchar_t* path)
{
    Uninitialize();
    if (!path)
        return 0;
    m_hFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return 0;
    ResetState();
    mad_stream_init(&m_stream);
    mad_frame_init(&m_frame);
    mad_synth_init(&m_synth);
    m_madReady = true;

    mad_header header;
    mad_header_init(&header);
    if (!ScanHeader(header)) {
        Uninitialize();
        return 0;
    }
    SetFilePointer(m_hFile, 0, nullptr, FILE_BEGIN);
    m_fileSize = GetFileSize(m_hFile, nullptr);
    if (m_fileSize == INVALID_FILE_SIZE)
        m_fileSize = 0;
    m_synth.pcm.length = 0;
    m_position = 0;
    m_played = mad_timer_zero;

    if (m_xing.flags & MeloxXing::kFrames) {
        m_duration = header.duration;
        mad_timer_multiply(&m_duration, m_xing.frames);
    } else if (header.bitrate >= 8) {
        mad_timer_set(&m_duration, 0, 8, header.bitrate);  // one byte's time
        mad_timer_multiply(&m_duration, m_fileSize);
    } else {
        m_duration = mad_timer_zero;  // free format: unknown until played
    }
    m_bitrateSum = 0;
    m_bitrateCount = 0;
    m_info.Init();
    m_info.nDuration = int(mad_timer_count(m_duration, MAD_UNITS_SECONDS));
    m_info.nBitrate = int(header.bitrate / 1000);
    m_info.nSampleRate = int(header.samplerate);
    m_info.bStereo = header.mode != MAD_MODE_SINGLE_CHANNEL;
    m_info.b16Bit = 1;
    m_inputLength = 0;
    m_atEnd = false;
    return 1;
}

int CCeMpegDecoder::GetFileInfo(CCeAudioFileInfo* info)
{
    if (m_hFile != INVALID_HANDLE_VALUE && !(m_xing.flags & MeloxXing::kFrames) && m_bitrateCount > 0) {
        const unsigned long average = m_bitrateSum / m_bitrateCount;
        mad_timer_t estimate = mad_timer_zero;
        if (average > 0) {
            mad_timer_set(&estimate, 0, 1, average * 125);
            const DWORD size = GetFileSize(m_hFile, nullptr);
            if (size != INVALID_FILE_SIZE)
                m_fileSize = size;
            mad_timer_multiply(&estimate, m_fileSize);
        }
        if (mad_timer_compare(m_played, estimate) > 0)
            estimate = m_played;
        m_info.nDuration = int(mad_timer_count(estimate, MAD_UNITS_SECONDS));
    }
    if (info)
        *info = m_info;
    return m_hFile != INVALID_HANDLE_VALUE;
}

bool CCeMpegDecoder::Refill()
{
    if (m_atEnd)
        return false;
    DWORD keep = 0;
    if (m_stream.next_frame && m_stream.buffer) {
        keep = DWORD(m_stream.bufend - m_stream.next_frame);
        if (keep > m_inputLength)
            keep = 0;
        std::memmove(m_input, m_stream.next_frame, keep);
    }
    DWORD got = 0;
    if (keep < kInputSize)
        got = ReadInto(m_hFile, m_input + keep, kInputSize - keep);
    if (got == 0) {
        // libmad needs some bytes past a frame to finish it: give the last frame
        // its guard once, then the data ends.
        if (keep == 0 || keep >= kInputSize)
            return false;
        std::memset(m_input + keep, 0, MAD_BUFFER_GUARD);
        got = MAD_BUFFER_GUARD;
        m_atEnd = true;
    }
    m_inputLength = keep + got;
    mad_stream_buffer(&m_stream, m_input, m_inputLength);
    return true;
}

int CCeMpegDecoder::GetPCMBlock(BYTE* buffer, DWORD* length)
{
    if (!length)
        return 0;
    const DWORD room = *length;
    *length = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !buffer)
        return 0;
    const bool stereoOut = m_info.bStereo != 0;
    DWORD wanted = room / 2 / (stereoOut ? 2 : 1);
    BYTE* out = buffer;
    while (wanted > 0) {
        unsigned int left = m_synth.pcm.length > m_position ? m_synth.pcm.length - m_position : 0;
        unsigned int n = wanted < left ? unsigned(wanted) : left;
        if (n > 0) {
            const mad_fixed_t* l = m_synth.pcm.samples[0] + m_position;
            const mad_fixed_t* r = m_synth.pcm.samples[1] + m_position;
            if (!stereoOut)
                out = ConvertMono(out, l, n);
            else if (m_synth.pcm.channels == 2)
                out = ConvertStereo(out, l, r, n);
            else
                out = ConvertMonoToStereo(out, l, n);
            m_position += n;
            wanted -= n;
            if (wanted == 0)
                break;
        }
        for (;;) {
            if (mad_frame_decode(&m_frame, &m_stream) == 0)
                break;
            if (MAD_RECOVERABLE(m_stream.error))
                continue;
            if (!Refill()) {
                // The end of the data: what was converted in this call is still sound.
                *length = DWORD(out - buffer);
                return 0;
            }
        }
        m_bitrateSum += m_frame.header.bitrate / 1000;
        ++m_bitrateCount;
        m_info.nBitrate = int(m_frame.header.bitrate / 1000);
        mad_synth_frame(&m_synth, &m_frame);
        m_position = 0;
        mad_timer_add(&m_played, m_frame.header.duration);
    }
    *length = DWORD(out - buffer);
    return 1;
}

int CCeMpegDecoder::Seek(int numerator, int denominator)
{
    if (m_hFile == INVALID_HANDLE_VALUE || numerator < 0 || denominator < 1)
        return 0;
    double f = double(numerator) / double(denominator);
    if (f > 1.0)
        f = 1.0;
    const double ms = double(Millis(m_duration)) * f;
    mad_timer_set(&m_played, 0, (unsigned long)ms, 1000);

    if (m_xing.flags & MeloxXing::kToc) {
        const double p = f * 100.0;
        const int i = int(p);
        const double a = i < 100 ? m_xing.toc[i] : 256.0;
        const double b = i < 99 ? m_xing.toc[i + 1] : 256.0;
        f = (a + (b - a) * (p - i)) / 256.0;
    }
    const DWORD offset = DWORD(double(m_fileSize) * f);
    bool ok = SetFilePointer(m_hFile, LONG(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    DWORD got = ok ? ReadInto(m_hFile, m_input, kInputSize) : 0;
    ok = ok && got > 0;
    m_inputLength = got;
    m_atEnd = false;
    mad_stream_buffer(&m_stream, m_input, m_inputLength);
    // The bit reservoir before the new place belongs to other frames.
    m_stream.md_len = 0;
    mad_frame_mute(&m_frame);
    mad_synth_mute(&m_synth);

    if (numerator != 0) {
        int decoded = 0;
        while (decoded < 2) {
            if (mad_frame_decode(&m_frame, &m_stream) != 0) {
                if (!MAD_RECOVERABLE(m_stream.error))
                    break;
                // A frame whose header decoded but whose body did not (its bit
                // reservoir lies before the new place, typically) still passes
                // its time: the reported position stays with the sound.
                if (m_stream.error >= MAD_ERROR_BADCRC)
                    mad_timer_add(&m_played, m_frame.header.duration);
                continue;
            }
            ++decoded;
            mad_timer_add(&m_played, m_frame.header.duration);
            if (decoded == 2)
                mad_synth_frame(&m_synth, &m_frame);  // settles the filter bank; dropped
        }
    }
    m_position = 0;
    m_synth.pcm.length = 0;
    return ok ? 1 : 0;
}

int CCeMpegDecoder::GetCurrentPos_secs()
{
    return int(mad_timer_count(m_played, MAD_UNITS_SECONDS));
}

long CCeMpegDecoder::GetCurrentPos_ms()
{
    return long(Millis(m_played));
}
