#include "ce/contacts/VCardPicture.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace vcard {

namespace {

// Above this the picture is refused rather than decoded.
constexpr UINT kMaxSourceSide = 20000;
constexpr unsigned long long kMaxSourcePixels = 30ull * 1000 * 1000;
// Rows decoded at a time, so a large picture never sits whole in memory.
constexpr UINT kStripRows = 64;

template <typename T>
class Ref {
public:
    Ref() = default;
    ~Ref() {
        if (p_) p_->Release();
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    T** operator&() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }

private:
    T* p_ = nullptr;
};

class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;  // RPC_E_CHANGED_MODE: the thread already has COM, which serves as well
};

const wchar_t* KindOf(const std::vector<BYTE>& b) {
    if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return L"JPEG";
    if (b.size() >= 8 && memcmp(b.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return L"PNG";
    if (b.size() >= 6 && (memcmp(b.data(), "GIF87a", 6) == 0 || memcmp(b.data(), "GIF89a", 6) == 0)) return L"GIF";
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return L"bitmap";
    return nullptr;
}

void Put16(std::vector<BYTE>& b, size_t at, WORD v) {
    b[at] = static_cast<BYTE>(v);
    b[at + 1] = static_cast<BYTE>(v >> 8);
}

void Put32(std::vector<BYTE>& b, size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

// A bottom-up 24-bit bitmap file from rows of blue, green, red, top row first.
std::vector<BYTE> BitmapFile(UINT width, UINT height, const std::vector<BYTE>& bgr) {
    DWORD stride = (width * 3 + 3) & ~3u;
    DWORD pixels = stride * height;
    std::vector<BYTE> b(54 + pixels, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<DWORD>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, width);
    Put32(b, 22, height);
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    Put32(b, 34, pixels);
    for (UINT y = 0; y < height; ++y)
        memcpy(&b[54 + (height - 1 - y) * stride], &bgr[static_cast<size_t>(y) * width * 3], width * 3);
    return b;
}

// The orientation a camera wrote in a JPEG's Exif block (1 to 8: how the
// stored picture must be turned to stand upright); 1 when there is none.
int JpegOrientation(const std::vector<BYTE>& b) {
    auto u16 = [&](size_t at, bool little) {
        return little ? static_cast<unsigned>(b[at] | b[at + 1] << 8) : static_cast<unsigned>(b[at] << 8 | b[at + 1]);
    };
    size_t pos = 2;
    while (pos + 4 <= b.size() && b[pos] == 0xFF) {
        BYTE marker = b[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) break;  // the image data begins
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        size_t length = u16(pos + 2, false);
        if (length < 2 || pos + 2 + length > b.size()) break;
        size_t t = pos + 10, tiffEnd = pos + 2 + length;  // the TIFF block after "Exif\0\0"
        if (marker == 0xE1 && length >= 16 && memcmp(&b[pos + 4], "Exif\0\0", 6) == 0) {
            bool little = b[t] == 'I' && b[t + 1] == 'I';
            if (!little && !(b[t] == 'M' && b[t + 1] == 'M')) return 1;
            if (u16(t + 2, little) != 42) return 1;
            size_t ifd = little ? (b[t + 4] | b[t + 5] << 8 | b[t + 6] << 16 | static_cast<size_t>(b[t + 7]) << 24)
                                : (static_cast<size_t>(b[t + 4]) << 24 | b[t + 5] << 16 | b[t + 6] << 8 | b[t + 7]);
            if (ifd > tiffEnd - t || tiffEnd - t - ifd < 2) return 1;
            size_t count = u16(t + ifd, little);
            for (size_t i = 0; i < count; ++i) {
                size_t entry = t + ifd + 2 + 12 * i;
                if (entry + 12 > tiffEnd) break;
                if (u16(entry, little) != 0x0112 || u16(entry + 2, little) != 3) continue;
                unsigned v = u16(entry + 8, little);
                return v >= 1 && v <= 8 ? static_cast<int>(v) : 1;
            }
            return 1;
        }
        pos += 2 + length;
    }
    return 1;
}

// Turns rows of blue, green, red (w x h) upright by an Exif orientation.
void Orient(int orientation, UINT& w, UINT& h, std::vector<BYTE>& bgr) {
    if (orientation <= 1 || orientation > 8) return;
    bool swap = orientation >= 5;
    UINT ow = swap ? h : w, oh = swap ? w : h;
    std::vector<BYTE> out(bgr.size());
    for (UINT y = 0; y < oh; ++y)
        for (UINT x = 0; x < ow; ++x) {
            UINT sx = x, sy = y;  // where the shown pixel is stored
            switch (orientation) {
            case 2: sx = w - 1 - x; break;
            case 3: sx = w - 1 - x, sy = h - 1 - y; break;
            case 4: sy = h - 1 - y; break;
            case 5: sx = y, sy = x; break;
            case 6: sx = y, sy = h - 1 - x; break;
            case 7: sx = w - 1 - y, sy = h - 1 - x; break;
            case 8: sx = w - 1 - y, sy = x; break;
            }
            memcpy(&out[(static_cast<size_t>(y) * ow + x) * 3], &bgr[(static_cast<size_t>(sy) * w + sx) * 3], 3);
        }
    bgr.swap(out);
    w = ow;
    h = oh;
}

}  // namespace

bool FitPicture(const std::vector<BYTE>& in, std::vector<BYTE>& out, std::wstring& why) {
    out.clear();
    const wchar_t* kind = KindOf(in);
    if (!kind) {
        why = L"not a JPEG, PNG, GIF or bitmap picture";
        return false;
    }
    if (in.size() > 0xFFFFFFFFu) {
        why = L"the picture is too large";
        return false;
    }
    ComScope com;
    Ref<IWICImagingFactory> factory;
    Ref<IWICStream> stream;
    Ref<IWICBitmapDecoder> decoder;
    Ref<IWICBitmapFrameDecode> frame;
    Ref<IWICFormatConverter> converter;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory)))) {
        why = L"pictures cannot be decoded on this system (no imaging component)";
        return false;
    }
    UINT width = 0, height = 0;
    if (FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(in.data()), static_cast<DWORD>(in.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height))) {
        why = std::wstring(L"the ") + kind + L" picture cannot be decoded (damaged or of an unsupported kind)";
        return false;
    }
    if (width == 0 || height == 0 || width > kMaxSourceSide || height > kMaxSourceSide ||
        static_cast<unsigned long long>(width) * height > kMaxSourcePixels) {
        why = std::wstring(L"the ") + kind + L" picture is " + std::to_wstring(width) + L" x " +
              std::to_wstring(height) + L" pixels, too large to decode";
        return false;
    }
    if (FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        why = std::wstring(L"the ") + kind + L" picture's pixel format cannot be converted";
        return false;
    }
    // Never scaled up; the longer side becomes kPictureSide.
    UINT w = width, h = height;
    if (width > static_cast<UINT>(kPictureSide) || height > static_cast<UINT>(kPictureSide)) {
        if (width >= height) {
            w = kPictureSide;
            h = std::max<UINT>(1, static_cast<UINT>((static_cast<unsigned long long>(height) * kPictureSide + width / 2) / width));
        } else {
            h = kPictureSide;
            w = std::max<UINT>(1, static_cast<UINT>((static_cast<unsigned long long>(width) * kPictureSide + height / 2) / height));
        }
    }
    // Every source pixel adds to the one target pixel it falls in (an area
    // average), premultiplied so transparent pixels carry no colour.
    std::vector<unsigned long long> sum(static_cast<size_t>(w) * h * 4, 0);
    std::vector<unsigned> count(static_cast<size_t>(w) * h, 0);
    std::vector<UINT> column(width);
    for (UINT x = 0; x < width; ++x) column[x] = static_cast<UINT>(static_cast<unsigned long long>(x) * w / width);
    std::vector<BYTE> strip(static_cast<size_t>(width) * 4 * kStripRows);
    for (UINT top = 0; top < height; top += kStripRows) {
        UINT rows = std::min(kStripRows, height - top);
        WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(converter->CopyPixels(&rect, width * 4, static_cast<UINT>(width * 4 * rows), strip.data()))) {
            why = std::wstring(L"the ") + kind + L" picture's pixels cannot be read (damaged)";
            return false;
        }
        for (UINT r = 0; r < rows; ++r) {
            UINT ty = static_cast<UINT>(static_cast<unsigned long long>(top + r) * h / height);
            const BYTE* px = &strip[static_cast<size_t>(r) * width * 4];
            for (UINT x = 0; x < width; ++x, px += 4) {
                size_t t = static_cast<size_t>(ty) * w + column[x];
                for (int c = 0; c < 4; ++c) sum[t * 4 + c] += px[c];
                ++count[t];
            }
        }
    }
    std::vector<BYTE> bgr(static_cast<size_t>(w) * h * 3);
    for (size_t t = 0; t < count.size(); ++t) {
        unsigned n = count[t] ? count[t] : 1;
        unsigned alpha = static_cast<unsigned>((sum[t * 4 + 3] + n / 2) / n);
        for (int c = 0; c < 3; ++c) {
            unsigned v = static_cast<unsigned>((sum[t * 4 + c] + n / 2) / n) + (255 - std::min(alpha, 255u));
            bgr[t * 3 + c] = static_cast<BYTE>(std::min(v, 255u));
        }
    }
    // Cameras store portrait pictures lying down and say so.
    if (wcscmp(kind, L"JPEG") == 0) Orient(JpegOrientation(in), w, h, bgr);
    out = BitmapFile(w, h, bgr);
    return true;
}

}  // namespace vcard
