// Dial-up entries of the handheld's one phone book, each mirrored as a pppd
// peer file and chat script.
#include <ras.h>

#include <algorithm>
#include <cwchar>

#include "PhoneBook.h"
#include "PppConfig.h"

using namespace ceras;

namespace {

std::wstring Cut(const wchar_t* text, size_t chars)
{
    size_t n = 0;
    while (n < chars && text[n])
        ++n;
    return std::wstring(text, n);
}

void CopyField(wchar_t* dest, size_t chars, const std::wstring& text)
{
    const size_t n = std::min(text.size(), chars - 1);
    wmemcpy(dest, text.c_str(), n);
    dest[n] = 0;
}

}  // namespace

extern "C" DWORD WINAPI RasSetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRY lpRasEntry,
                                              DWORD dwEntryInfoSize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize)
{
    if (lpszPhonebook)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!ValidEntryName(lpszEntry) || !lpRasEntry)
        return ERROR_INVALID_PARAMETER;
    if (dwEntryInfoSize != sizeof(RASENTRY) || lpRasEntry->dwSize != sizeof(RASENTRY))
        return ERROR_INVALID_SIZE;
    if (dwDeviceInfoSize > 4096 || (dwDeviceInfoSize && !lpbDeviceInfo))
        return ERROR_INVALID_PARAMETER;
    DWORD rc = WriteEntry(lpszEntry, *lpRasEntry, lpbDeviceInfo, dwDeviceInfoSize);
    if (rc == ERROR_SUCCESS)
        rc = WritePppFiles(lpszEntry);
    return rc;
}

extern "C" DWORD WINAPI RasGetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRY lpRasEntry,
                                              LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo,
                                              LPDWORD lpdwDeviceInfoSize)
{
    if (lpszPhonebook)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!lpdwEntryInfoSize)
        return ERROR_INVALID_PARAMETER;
    StoredEntry e;
    const DWORD rc = ValidEntryName(lpszEntry) ? ReadEntry(lpszEntry, &e) : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    if (rc != ERROR_SUCCESS)
        return rc;
    const DWORD devSize = static_cast<DWORD>(e.devCfg.size());
    bool small = !lpRasEntry || *lpdwEntryInfoSize < sizeof(RASENTRY);
    if (lpdwDeviceInfoSize && (!lpbDeviceInfo || *lpdwDeviceInfoSize < devSize))
        small = true;
    *lpdwEntryInfoSize = sizeof(RASENTRY);
    if (lpdwDeviceInfoSize) {
        const DWORD room = *lpdwDeviceInfoSize;
        *lpdwDeviceInfoSize = devSize;
        if (!small && lpbDeviceInfo && devSize <= room)
            memcpy(lpbDeviceInfo, e.devCfg.data(), devSize);
    }
    if (small)
        return ERROR_BUFFER_TOO_SMALL;
    *lpRasEntry = e.entry;
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI RasSetEntryDialParams(LPCWSTR lpszPhonebook, LPRASDIALPARAMS lpRasDialParams,
                                              BOOL fRemovePassword)
{
    if (lpszPhonebook)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!lpRasDialParams)
        return ERROR_INVALID_PARAMETER;
    if (lpRasDialParams->dwSize != sizeof(RASDIALPARAMS))
        return ERROR_INVALID_SIZE;
    const std::wstring name = Cut(lpRasDialParams->szEntryName, RAS_MaxEntryName + 1);
    if (!ValidEntryName(name.c_str()))
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    DWORD rc = WriteDialParams(name.c_str(), Cut(lpRasDialParams->szUserName, UNLEN + 1).c_str(),
                               Cut(lpRasDialParams->szDomain, DNLEN + 1).c_str(),
                               Cut(lpRasDialParams->szPassword, PWLEN + 1).c_str(), fRemovePassword != FALSE);
    if (rc == ERROR_SUCCESS)
        rc = WritePppFiles(name);
    return rc;
}

extern "C" DWORD WINAPI RasGetEntryDialParams(LPCWSTR lpszPhonebook, LPRASDIALPARAMS lpRasDialParams,
                                              LPBOOL lpfPassword)
{
    if (lpszPhonebook)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!lpRasDialParams || !lpfPassword)
        return ERROR_INVALID_PARAMETER;
    if (lpRasDialParams->dwSize != sizeof(RASDIALPARAMS))
        return ERROR_INVALID_SIZE;
    const std::wstring name = Cut(lpRasDialParams->szEntryName, RAS_MaxEntryName + 1);
    StoredEntry e;
    const DWORD rc = ValidEntryName(name.c_str()) ? ReadEntry(name.c_str(), &e) : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    if (rc != ERROR_SUCCESS)
        return rc;
    RASDIALPARAMS& p = *lpRasDialParams;
    CopyField(p.szUserName, UNLEN + 1, e.user);
    CopyField(p.szDomain, DNLEN + 1, e.domain);
    CopyField(p.szPassword, PWLEN + 1, e.hasPassword ? e.password : std::wstring());
    SecureZeroMemory(&e.password[0], e.password.size() * sizeof(wchar_t));
    *lpfPassword = e.hasPassword ? TRUE : FALSE;
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI RasEnumEntries(LPCWSTR, LPCWSTR lpszPhonebook, LPRASENTRYNAME lprasentryname, LPDWORD lpcb,
                                       LPDWORD lpcEntries)
{
    if (lpszPhonebook)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!lpcb || !lpcEntries)
        return ERROR_INVALID_PARAMETER;
    if (lprasentryname && lprasentryname->dwSize != sizeof(RASENTRYNAME))
        return ERROR_INVALID_SIZE;
    const std::vector<std::wstring> names = EntryNames();
    const DWORD need = static_cast<DWORD>(names.size() * sizeof(RASENTRYNAME));
    const DWORD room = *lpcb;
    *lpcb = need;
    *lpcEntries = static_cast<DWORD>(names.size());
    if (!lprasentryname || room < need)
        return names.empty() ? ERROR_SUCCESS : ERROR_BUFFER_TOO_SMALL;
    for (size_t i = 0; i < names.size(); ++i) {
        lprasentryname[i].dwSize = sizeof(RASENTRYNAME);
        CopyField(lprasentryname[i].szEntryName, RAS_MaxEntryName + 1, names[i]);
    }
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry)
{
    if (lpszPhonebook)
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    if (!ValidEntryName(lpszEntry))
        return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    const DWORD rc = DeleteEntry(lpszEntry);
    if (rc == ERROR_SUCCESS)
        WritePppFiles(lpszEntry, true);
    return rc;
}
