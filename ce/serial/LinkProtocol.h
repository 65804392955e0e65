#pragma once
// The line between the platform serial driver's loopback backend and the
// module simulator: a message pipe named after the link. Each message is one
// type byte and its payload.
#include <windows.h>

#include <string>

namespace zenlink {

// L"sim:<name>" in a card's "Link" value names this pipe.
inline std::wstring LinkPipeName(const std::wstring& name)
{
    return L"\\\\.\\pipe\\ZenSimLink." + name;
}

enum : BYTE {
    kData = 'D',          // bytes, either way
    kModemStatus = 'S',   // module -> handheld: one byte of MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON
    kControlLines = 'C',  // handheld -> module: one byte of kDtr | kRts
    kBreak = 'B',         // either way: one byte, 1 on, 0 off
};

constexpr BYTE kDtr = 1;
constexpr BYTE kRts = 2;

}  // namespace zenlink
