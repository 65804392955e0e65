#include "mpeg_files.h"

#include "audio/CCeMDecoder.h"
#include "pcm_compare.h"

#include <mad.h>

#include <cstring>

namespace audiotest {

std::vector<int16_t> DecodeAll(CCeMDecoder& d, unsigned long block)
{
    std::vector<uint8_t> bytes;
    std::vector<BYTE> buf(block);
    for (int i = 0; i < 100000; ++i) {
        DWORD len = DWORD(block);
        const int more = d.GetPCMBlock(buf.data(), &len);
        bytes.insert(bytes.end(), buf.begin(), buf.begin() + len);
        if (!more)
            break;
    }
    return Samples(bytes);
}

bool ReadToc(const Bytes& file, unsigned char toc[100], uint32_t* frames)
{
    for (size_t i = 0; i + 120 < file.size() && i < 4096; ++i) {
        if (memcmp(&file[i], "Xing", 4) != 0 && memcmp(&file[i], "Info", 4) != 0)
            continue;
        const uint32_t flags = (file[i + 4] << 24) | (file[i + 5] << 16) | (file[i + 6] << 8) | file[i + 7];
        size_t p = i + 8;
        if (!(flags & 1))
            return false;
        *frames = (uint32_t(file[p]) << 24) | (file[p + 1] << 16) | (file[p + 2] << 8) | file[p + 3];
        p += 4;
        if (!(flags & 4))
            return toc == nullptr;
        if (flags & 2)
            p += 4;
        if (toc)
            memcpy(toc, &file[p], 100);
        return true;
    }
    return false;
}

std::vector<size_t> FrameOffsets(Bytes file)
{
    std::vector<size_t> offsets;
    const size_t size = file.size();
    file.resize(size + MAD_BUFFER_GUARD, 0);
    mad_stream s;
    mad_header h;
    mad_stream_init(&s);
    mad_header_init(&h);
    mad_stream_buffer(&s, file.data(), size + MAD_BUFFER_GUARD);
    for (;;) {
        if (mad_header_decode(&h, &s) != 0) {
            if (MAD_RECOVERABLE(s.error))
                continue;
            break;
        }
        offsets.push_back(size_t(s.this_frame - file.data()));
    }
    mad_stream_finish(&s);
    return offsets;
}

}  // namespace audiotest
