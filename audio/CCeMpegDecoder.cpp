#include "audio/CCeMpegDecoder.h"

#include "audio/MpegDither.h"
#include "audio/MpegTags.h"

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

// Before the first frame only this much that is not sound is searched: a file
// of something else named .mp3 is refused quickly instead of read to its end.
const DWORD kScanLimit = 1u << 20;
// While playing, a call crosses at most this many buffer loads without sound
// before it returns, so the player thread can take its messages in between.
const int kJunkRefills = 2;
// Frames in a row of one other format that make a new stream.
const int kChangeFrames = 3;
// No MPEG audio frame is shorter: a frame count beyond size / this is false.
const DWORD kMinFrameBytes = 24;

// timer *= n for any 32-bit count (libmad multiplies by a signed long).
void MultiplyTimer(mad_timer_t& t, uint32_t n)
{
    if (n <= 0x7FFFFFFFu) {
        mad_timer_multiply(&t, long(n));
        return;
    }
    mad_timer_t half = t;
    mad_timer_multiply(&half, long(n / 2));
    mad_timer_t odd = (n & 1) ? t : mad_timer_zero;
    t = half;
    mad_timer_add(&t, half);
    mad_timer_add(&t, odd);
}

bool SameFormatHeaders(const mad_header& a, const mad_header& b)
{
    return a.samplerate == b.samplerate && (a.mode == MAD_MODE_SINGLE_CHANNEL) == (b.mode == MAD_MODE_SINGLE_CHANNEL);
}

bool SameFormat(const mad_header& h, const CCeAudioFileInfo& info)
{
    return int(h.samplerate) == info.nSampleRate && (h.mode != MAD_MODE_SINGLE_CHANNEL) == (info.bStereo != 0);
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
    m_tagEnd = m_xingPos = m_audioStart = m_audioEnd = m_tailTags = m_readPos = 0;
    m_otherFrames = 0;
    m_formatChanged = false;
    m_ended = false;
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

int CCeMpegDecoder::bFormatChanged()
{
    return m_formatChanged ? 1 : 0;
}

bool CCeMpegDecoder::ReadAt(DWORD offset, unsigned char* to, DWORD count)
{
    if (SetFilePointer(m_hFile, LONG(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        return false;
    DWORD got = 0;
    return ReadFile(m_hFile, to, count, &got, nullptr) && got == count;
}

DWORD CCeMpegDecoder::AudioBytes() const
{
    return m_audioEnd > m_audioStart ? m_audioEnd - m_audioStart : 0;
}

void CCeMpegDecoder::FindTags()
{
    // ID3v2 tags in front, possibly several; one that claims more than the file
    // holds is damaged and not trusted, and the scan starts where it stood.
    m_tagEnd = 0;
    unsigned char h[32];
    while (m_tagEnd < m_fileSize && m_fileSize - m_tagEnd >= 10 && ReadAt(m_tagEnd, h, 10)) {
        const uint32_t size = MeloxId3v2Size(h);
        if (size == 0 || size > m_fileSize - m_tagEnd)
            break;
        m_tagEnd += size;
    }
    // At the end: ID3v1, APEv2 and appended ID3v2, in any order.
    DWORD end = m_fileSize;
    for (bool more = true; more;) {
        more = false;
        const DWORD room = end - m_tagEnd;
        if (room >= 128 && ReadAt(end - 128, h, 3) && MeloxIsId3v1(h)) {
            end -= 128;
            more = true;
            continue;
        }
        if (room >= 32 && ReadAt(end - 32, h, 32)) {
            const uint32_t size = MeloxApeFooterSize(h);
            if (size && size <= room) {
                end -= size;
                more = true;
                continue;
            }
        }
        if (room >= 20 && ReadAt(end - 10, h, 10)) {
            const uint32_t size = MeloxId3v2FooterSize(h);
            if (size && size <= room) {
                end -= size;
                more = true;
            }
        }
    }
    m_audioEnd = end;
    m_tailTags = m_fileSize - end;
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
    DWORD base = m_tagEnd;  // file offset of buf[0]
    DWORD have = 0;
    int decoded = 0;
    bool found = false;
    bool atEnd = false;
    bool xing = false;
    SetFilePointer(m_hFile, LONG(base), nullptr, FILE_BEGIN);
    for (;;) {
        DWORD room = kScanSize - have;
        if (room > m_audioEnd - (base + have))
            room = m_audioEnd - (base + have);
        const DWORD got = room ? ReadInto(m_hFile, buf + have, room) : 0;
        if (got == 0 && (atEnd || have == 0))
            break;
        have += got;
        std::memset(buf + have, 0, MAD_BUFFER_GUARD);
        // At the end of the audio the last frame needs the guard bytes behind it.
        atEnd = got == 0;
        mad_stream_buffer(&stream, buf, have + (atEnd ? MAD_BUFFER_GUARD : 0));
        for (;;) {
            if (mad_header_decode(&frame.header, &stream) != 0) {
                if (MAD_RECOVERABLE(stream.error))
                    continue;
                break;
            }
            const DWORD at = base + DWORD(stream.this_frame - buf);
            const DWORD next = base + DWORD(stream.next_frame - buf);
            if (decoded == 0 && !xing &&
                MeloxFindXing(m_xing, frame.header, stream.this_frame, size_t(stream.next_frame - stream.this_frame))) {
                // The tag frame: it describes the stream but holds no sound.
                xing = true;
                header = frame.header;
                m_xingPos = at;
                m_audioStart = next;
                frame.header.flags &= ~MAD_FLAG_INCOMPLETE;
                continue;
            }
            if (mad_frame_decode(&frame, &stream) != 0) {
                if (MAD_RECOVERABLE(stream.error))
                    continue;
                break;
            }
            ++decoded;
            if (xing) {
                // A tag of another format than the sound is not this stream's.
                if (!SameFormatHeaders(header, frame.header)) {
                    m_xing.flags = 0;
                    m_audioStart = m_tagEnd;
                }
                header = frame.header;
                found = true;
                break;
            }
            header = frame.header;
            if (decoded == 2) {
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
        if (stream.error != MAD_ERROR_BUFLEN || atEnd)
            break;
        // Keep the bytes not yet decoded and read on.
        const unsigned char* from = stream.next_frame ? stream.next_frame : buf;
        base += DWORD(from - buf);
        have = DWORD(buf + have - from);
        std::memmove(buf, from, have);
        if (have >= kScanSize)  // a whole buffer without a frame start: give up
            break;
        if (base - m_tagEnd > kScanLimit)  // this is no MPEG audio
            break;
    }
    if (!xing)
        m_audioStart = m_tagEnd;
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

    m_fileSize = GetFileSize(m_hFile, nullptr);
    if (m_fileSize == INVALID_FILE_SIZE)
        m_fileSize = 0;
    FindTags();
    mad_header header;
    mad_header_init(&header);
    if (!ScanHeader(header)) {
        Uninitialize();
        return 0;
    }
    m_readPos = m_audioStart;
    SetFilePointer(m_hFile, LONG(m_readPos), nullptr, FILE_BEGIN);
    m_synth.pcm.length = 0;
    m_position = 0;
    m_played = mad_timer_zero;

    // A frame count the audio bytes cannot hold is false (and would overflow).
    if ((m_xing.flags & MeloxXing::kFrames) &&
        (m_xing.frames == 0 || m_xing.frames > (m_audioEnd - m_xingPos) / kMinFrameBytes))
        m_xing.flags &= ~MeloxXing::kFrames;
    if (m_xing.flags & MeloxXing::kFrames) {
        m_duration = header.duration;
        MultiplyTimer(m_duration, m_xing.frames);
    } else if (header.bitrate >= 8) {
        mad_timer_set(&m_duration, 0, 8, header.bitrate);  // one byte's time
        MultiplyTimer(m_duration, AudioBytes());
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
            // The file may still be growing (a tone being copied in).
            const DWORD size = GetFileSize(m_hFile, nullptr);
            if (size != INVALID_FILE_SIZE && size > m_fileSize) {
                m_audioEnd += size - m_fileSize;
                m_fileSize = size;
            }
            MultiplyTimer(estimate, AudioBytes());
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
    DWORD room = kInputSize - keep;
    if (room > m_audioEnd - m_readPos)
        room = m_audioEnd > m_readPos ? m_audioEnd - m_readPos : 0;
    if (keep < kInputSize && room > 0)
        got = ReadInto(m_hFile, m_input + keep, room);
    m_readPos += got;
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

int CCeMpegDecoder::DecodeNext()
{
    int refills = 0;
    for (;;) {
        if (mad_header_decode(&m_frame.header, &m_stream) != 0) {
            if (MAD_RECOVERABLE(m_stream.error)) {
                m_otherFrames = 0;  // frames apart are not "in a row"
                continue;
            }
            if (refills >= kJunkRefills)
                return -1;
            if (!Refill())
                return 0;
            ++refills;
            continue;
        }
        const unsigned char* frame = m_stream.this_frame;
        const size_t length = size_t(m_stream.next_frame - m_stream.this_frame);
        MeloxXing tag;
        bool skip = MeloxFindXing(tag, m_frame.header, frame, length);  // a joined stream's tag frame
        if (!skip && !SameFormat(m_frame.header, m_info)) {
            // Several frames in a row of one other format: the stream has
            // changed (joined files). Fewer are taken for damage and dropped:
            // in damaged data a false frame start is vouched for by a second
            // one where it ends, and that pair alone must not end the sound.
            if (m_otherFrames > 0 && !SameFormatHeaders(m_otherHeader, m_frame.header))
                m_otherFrames = 0;
            if (m_otherFrames == 0)
                m_otherHeader = m_frame.header;
            if (++m_otherFrames >= kChangeFrames) {
                m_formatChanged = true;
                return 0;
            }
            skip = true;
        }
        if (skip) {
            m_frame.header.flags &= ~MAD_FLAG_INCOMPLETE;
            continue;
        }
        if (mad_frame_decode(&m_frame, &m_stream) != 0) {
            if (MAD_RECOVERABLE(m_stream.error))
                continue;
            if (!Refill())
                return 0;
            continue;
        }
        m_otherFrames = 0;
        return 1;
    }
}

int CCeMpegDecoder::GetPCMBlock(BYTE* buffer, DWORD* length)
{
    if (!length)
        return 0;
    const DWORD room = *length;
    *length = 0;
    if (m_hFile == INVALID_HANDLE_VALUE || !buffer || m_ended)
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
        const int next = DecodeNext();
        if (next < 0)
            break;  // more later: what was converted so far goes out now
        if (next == 0) {
            // The end of the data: what was converted in this call is still
            // sound, and nothing comes after it (libmad, asked again, might
            // still find a frame in the last bytes it was given).
            m_ended = true;
            *length = DWORD(out - buffer);
            return 0;
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

    // Offsets within the audio: the table counts from the tag frame.
    DWORD offset;
    if (m_xing.flags & MeloxXing::kToc) {
        const double p = f * 100.0;
        const int i = int(p);
        const double a = i < 100 ? m_xing.toc[i] : 256.0;
        const double b = i < 99 ? m_xing.toc[i + 1] : 256.0;
        f = (a + (b - a) * (p - i)) / 256.0;
        offset = m_xingPos + DWORD(double(m_audioEnd - m_xingPos) * f);
        if (offset < m_audioStart)
            offset = m_audioStart;
    } else {
        offset = m_audioStart + DWORD(double(AudioBytes()) * f);
    }
    if (offset > m_audioEnd)
        offset = m_audioEnd;
    bool ok = SetFilePointer(m_hFile, LONG(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    m_readPos = offset;
    DWORD room = m_audioEnd - offset < DWORD(kInputSize) ? m_audioEnd - offset : DWORD(kInputSize);
    DWORD got = ok && room ? ReadInto(m_hFile, m_input, room) : 0;
    ok = ok && (got > 0 || room == 0);
    m_readPos += got;
    m_inputLength = got;
    m_atEnd = false;
    m_otherFrames = 0;
    m_formatChanged = false;
    m_ended = false;
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
