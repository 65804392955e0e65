#include "phone/InstallDir.h"

bool ReadInstallDir(LPWSTR out, int outChars, HKEY root)
{
    if (!out || outChars <= 0)
        return false;
    out[0] = 0;
    HKEY key;
    if (RegOpenKeyExW(root, L"SOFTWARE\\Apps\\Norvale Zentrika", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    wchar_t value[64 + 1] = {};  // 128 bytes and room for a terminator the value lacks
    DWORD type = 0, bytes = 128;
    const LONG rc = RegQueryValueExW(key, L"InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value[bytes / sizeof(wchar_t)] = 0;
    int n = 0;
    for (; value[n]; ++n)
        if (n >= outChars - 1)
            return out[0] = 0, false;
    for (int i = 0; i <= n; ++i)
        out[i] = value[i];
    return n > 0;
}
