#include "stores/StoreText.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "modem/CodePage.h"

LPCWSTR NonEmptyText(const RecordBuffer& record, CEPROPID id) {
    LPCWSTR text = TypeFromPropID(id) == CEVT_LPWSTR ? TextProp(record, id) : nullptr;
    return (text && text[0]) ? text : nullptr;
}

void CopyTextCut(LPWSTR out, int outChars, LPCWSTR text) {
    if (!out || outChars <= 0) return;
    size_t n = text ? wcslen(text) : 0;
    if (n > static_cast<size_t>(outChars - 1)) n = outChars - 1;
    if (n) wmemcpy(out, text, n);
    out[n] = 0;
}

void CopyByteTextCut(char* out, int outBytes, const char* in) {
    if (!out || outBytes <= 0) return;
    int n = 0;
    // Lead bytes of the Korean code page take their trail byte along.
    for (const char* p = in; p && *p;) {
        int len = (static_cast<unsigned char>(*p) >= 0x81 && p[1]) ? 2 : 1;
        if (n + len > outBytes - 1) break;
        memcpy(out + n, p, len);
        n += len;
        p += len;
    }
    out[n] = 0;
}

void WideToByteText(LPCWSTR in, char* out, int outBytes) {
    if (!out || outBytes <= 0) return;
    out[0] = 0;
    if (!in || !in[0]) return;
    std::vector<char> whole(wcslen(in) * 2 + 1);
    if (!g_pfnWideToMultiByte(in, whole.data(), static_cast<int>(whole.size()))) return;
    CopyByteTextCut(out, outBytes, whole.data());
}

void ByteToWideText(const char* in, LPWSTR out, int outChars) {
    if (!out || outChars <= 0) return;
    out[0] = 0;
    if (!in || !in[0]) return;
    std::vector<wchar_t> whole(strlen(in) + 1);
    if (!g_pfnMultiByteToWide(in, whole.data(), static_cast<int>(whole.size()))) return;
    CopyTextCut(out, outChars, whole.data());
}
