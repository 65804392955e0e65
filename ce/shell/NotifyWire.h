#pragma once
// What a program's Shell_NotifyIcon hands to the taskbar window: one
// WM_COPYDATA whose dwData is kNotifyCopyData and whose data is one
// NotifyIconWire. The icon travels as pixels because an HICON belongs to
// the process that made it.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>

namespace ceshell {

constexpr ULONG_PTR kNotifyCopyData = 0x5A4E4943;  // "ZNIC"
constexpr int kIconSize = 16;
constexpr int kTipChars = 64;
constexpr const wchar_t* kTaskBarClass = L"HHTaskBar";

struct NotifyIconWire {
    uint32_t message;   // NIM_ADD, NIM_MODIFY, NIM_DELETE
    uint32_t id;        // uID
    uint32_t flags;     // NIF_MESSAGE, NIF_ICON, NIF_TIP
    uint32_t callback;  // uCallbackMessage
    uint64_t owner;     // hWnd
    wchar_t tip[kTipChars];
    // 0x00RRGGBB, top-down; kClearPixel where the icon is see-through.
    uint32_t pixels[kIconSize * kIconSize];
};

constexpr uint32_t kClearPixel = 0xFF000000u;

}  // namespace ceshell
