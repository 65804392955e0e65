#include "stores/BitmapFile.h"

#include <cstring>
#include <vector>

namespace {

DWORD U32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD U16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

constexpr DWORD kFileHeader = 14;

}  // namespace

BitmapFileCheck CheckBitmapFile(const BYTE* bytes, DWORD length, BitmapFileLayout* layout) {
    if (!bytes || length < kFileHeader + 40 || bytes[0] != 'B' || bytes[1] != 'M') return kBitmapNotBitmap;
    const BYTE* info = bytes + kFileHeader;
    DWORD headerSize = U32(info);
    if (headerSize < 40 || headerSize > length - kFileHeader) return headerSize < 40 ? kBitmapNotBitmap : kBitmapTruncated;
    BitmapFileLayout l{};
    l.width = static_cast<LONG>(U32(info + 4));
    l.height = static_cast<LONG>(U32(info + 8));
    WORD planes = U16(info + 12);
    l.bitCount = U16(info + 14);
    DWORD compression = U32(info + 16);
    DWORD clrUsed = U32(info + 32);
    if (planes != 1 || l.width <= 0 || l.height == 0 || l.width > 0x7FFF || l.height > 0x7FFF || l.height < -0x7FFF)
        return kBitmapUnsupported;
    if (compression != BI_RGB) return kBitmapUnsupported;
    switch (l.bitCount) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return kBitmapUnsupported;
    }
    l.colourOffset = kFileHeader + headerSize;
    if (l.bitCount <= 8) {
        DWORD full = 1u << l.bitCount;
        // Writers may keep the table short; more entries than the format has are wrong.
        if (clrUsed > full) return kBitmapUnsupported;
        l.colourEntries = clrUsed ? clrUsed : full;
    }
    DWORD afterTable = l.colourOffset + l.colourEntries * 4;
    DWORD offBits = U32(bytes + 10);
    // The file's own pixel offset counts when it points past the table.
    l.pixelOffset = (offBits >= afterTable && offBits < length) ? offBits : afterTable;
    DWORD rows = static_cast<DWORD>(l.height < 0 ? -l.height : l.height);
    DWORD stride = ((static_cast<DWORD>(l.width) * l.bitCount + 31) / 32) * 4;
    l.pixelBytes = stride * rows;
    if (afterTable > length || l.pixelOffset > length || l.pixelBytes > length - l.pixelOffset) return kBitmapTruncated;
    if (layout) *layout = l;
    return kBitmapOk;
}

const char* BitmapCheckText(BitmapFileCheck check) {
    switch (check) {
        case kBitmapOk: return "a bitmap";
        case kBitmapNotBitmap: return "not a bitmap file";
        case kBitmapUnsupported: return "a compressed or unsupported bitmap";
        case kBitmapTruncated: return "a bitmap cut short";
    }
    return "unknown";
}

HBITMAP BitmapFromFileBytes(HDC dc, const BYTE* bytes, DWORD length) {
    BitmapFileLayout l;
    if (CheckBitmapFile(bytes, length, &l) != kBitmapOk) return nullptr;
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + l.colourEntries * 4);
    memcpy(info.data(), bytes + kFileHeader, sizeof(BITMAPINFOHEADER));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biClrUsed = l.colourEntries;
    header->biSizeImage = l.pixelBytes;
    if (l.colourEntries) memcpy(info.data() + sizeof(BITMAPINFOHEADER), bytes + l.colourOffset, l.colourEntries * 4);
    void* pixels = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!bitmap || !pixels) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    memcpy(pixels, bytes + l.pixelOffset, l.pixelBytes);
    return bitmap;
}
