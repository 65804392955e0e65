#include "PictureMaker.h"

#include <algorithm>
#include <cstring>

namespace picturetest {

namespace {

template <typename T>
struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
};

}  // namespace

std::vector<BYTE> Encode(Kind kind, UINT width, UINT height, const Paint& paint) {
    HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::vector<BYTE> bytes;
    {
        Ref<IWICImagingFactory> factory;
        Ref<IStream> stream;
        Ref<IWICBitmapEncoder> encoder;
        Ref<IWICBitmapFrameEncode> frame;
        Ref<IPropertyBag2> options;
        Ref<IWICPalette> palette;
        const GUID& container = kind == Kind::Png    ? GUID_ContainerFormatPng
                                : kind == Kind::Jpeg ? GUID_ContainerFormatJpeg
                                                     : GUID_ContainerFormatGif;
        WICPixelFormatGUID format = kind == Kind::Png    ? GUID_WICPixelFormat32bppBGRA
                                    : kind == Kind::Jpeg ? GUID_WICPixelFormat24bppBGR
                                                         : GUID_WICPixelFormat8bppIndexed;
        UINT bpp = kind == Kind::Png ? 4 : kind == Kind::Jpeg ? 3 : 1;
        std::vector<WICColor> colours;
        std::vector<BYTE> pixels(static_cast<size_t>(width) * height * bpp);
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x) {
                DWORD c = paint(x, y);
                BYTE* p = &pixels[(static_cast<size_t>(y) * width + x) * bpp];
                if (kind == Kind::Gif) {
                    auto it = std::find(colours.begin(), colours.end(), c);
                    if (it == colours.end() && colours.size() < 16) it = colours.insert(colours.end(), c);
                    *p = static_cast<BYTE>(it == colours.end() ? 0 : it - colours.begin());
                    continue;
                }
                p[0] = static_cast<BYTE>(c);
                p[1] = static_cast<BYTE>(c >> 8);
                p[2] = static_cast<BYTE>(c >> 16);
                if (bpp == 4) p[3] = static_cast<BYTE>(c >> 24);
            }
        bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.p))) &&
                  SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream.p)) &&
                  SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder.p)) &&
                  SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
                  SUCCEEDED(encoder->CreateNewFrame(&frame.p, &options.p)) &&
                  SUCCEEDED(frame->Initialize(options.p)) && SUCCEEDED(frame->SetSize(width, height)) &&
                  SUCCEEDED(frame->SetPixelFormat(&format)) && IsEqualGUID(format, kind == Kind::Png ? GUID_WICPixelFormat32bppBGRA : kind == Kind::Jpeg ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat8bppIndexed);
        if (ok && kind == Kind::Gif) {
            // Transparent entries keep alpha 0 in the palette.
            if (colours.empty()) colours.push_back(0xFF000000);
            ok = SUCCEEDED(factory->CreatePalette(&palette.p)) &&
                 SUCCEEDED(palette->InitializeCustom(colours.data(), static_cast<UINT>(colours.size()))) &&
                 SUCCEEDED(frame->SetPalette(palette.p));
        }
        ok = ok &&
             SUCCEEDED(frame->WritePixels(height, width * bpp, static_cast<UINT>(pixels.size()), pixels.data())) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
        HGLOBAL memory = nullptr;
        if (ok && SUCCEEDED(GetHGlobalFromStream(stream.p, &memory))) {
            STATSTG stat{};
            stream->Stat(&stat, STATFLAG_NONAME);
            const BYTE* data = static_cast<const BYTE*>(GlobalLock(memory));
            if (data) bytes.assign(data, data + stat.cbSize.QuadPart);
            GlobalUnlock(memory);
        }
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return bytes;
}

namespace {

LONG Get32(const std::vector<BYTE>& b, size_t at) {
    DWORD v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<DWORD>(b[at + i]) << (8 * i);
    return static_cast<LONG>(v);
}

}  // namespace

int BitmapWidth(const std::vector<BYTE>& bmp) { return bmp.size() >= 54 ? Get32(bmp, 18) : 0; }
int BitmapHeight(const std::vector<BYTE>& bmp) { return bmp.size() >= 54 ? Get32(bmp, 22) : 0; }

DWORD BitmapPixel(const std::vector<BYTE>& bmp, int x, int y) {
    int w = BitmapWidth(bmp), h = BitmapHeight(bmp);
    size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t(3);
    size_t at = static_cast<size_t>(Get32(bmp, 10)) + (h - 1 - y) * stride + x * 3;
    if (x < 0 || y < 0 || x >= w || y >= h || at + 3 > bmp.size()) return 0xFFFFFFFF;
    return (static_cast<DWORD>(bmp[at + 2]) << 16) | (bmp[at + 1] << 8) | bmp[at];
}

}  // namespace picturetest
