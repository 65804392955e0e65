#include "stores/SysStrings.h"

BSTR SysStringFrom(LPCWSTR text) { return text ? SysAllocString(text) : nullptr; }

void SysStringRelease(BSTR& text) {
    if (text) SysFreeString(text);
    text = nullptr;
}

void SysStringAssign(BSTR& target, LPCWSTR text) {
    BSTR copy = SysStringFrom(text);
    SysStringRelease(target);
    target = copy;
}
