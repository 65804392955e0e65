#pragma once
// Dial-up networking (RAS) of the handheld: phone-book entries and their dial
// parameters, with CE's layouts (UTF-16 text; RASENTRY 3276 bytes,
// RASDIALPARAMS 1464 bytes) and CE's call names.
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RAS_MaxEntryName 20
#define RAS_MaxDeviceName 32
#define RAS_MaxDeviceType 16
#define RAS_MaxPhoneNumber 128
#define RAS_MaxCallbackNumber 48
#define RAS_MaxAreaCode 10
#define RAS_MaxPadType 32
#define RAS_MaxX25Address 200
#define RAS_MaxFacilities 200
#define RAS_MaxUserData 200
#ifndef UNLEN
#define UNLEN 256
#endif
#ifndef PWLEN
#define PWLEN 256
#endif
#ifndef DNLEN
#define DNLEN 15
#endif

typedef struct tagRasIpAddr {
    BYTE a, b, c, d;
} RASIPADDR;

typedef struct tagRasEntry {
    DWORD dwSize;
    DWORD dwfOptions;
    DWORD dwCountryID;
    DWORD dwCountryCode;
    WCHAR szAreaCode[RAS_MaxAreaCode + 1];
    WCHAR szLocalPhoneNumber[RAS_MaxPhoneNumber + 1];
    DWORD dwAlternateOffset;
    RASIPADDR ipaddr;
    RASIPADDR ipaddrDns;
    RASIPADDR ipaddrDnsAlt;
    RASIPADDR ipaddrWins;
    RASIPADDR ipaddrWinsAlt;
    DWORD dwFrameSize;
    DWORD dwfNetProtocols;
    DWORD dwFramingProtocol;
    WCHAR szScript[MAX_PATH];
    WCHAR szAutodialDll[MAX_PATH];
    WCHAR szAutodialFunc[MAX_PATH];
    WCHAR szDeviceType[RAS_MaxDeviceType + 1];
    WCHAR szDeviceName[RAS_MaxDeviceName + 1];
    WCHAR szX25PadType[RAS_MaxPadType + 1];
    WCHAR szX25Address[RAS_MaxX25Address + 1];
    WCHAR szX25Facilities[RAS_MaxFacilities + 1];
    WCHAR szX25UserData[RAS_MaxUserData + 1];
    DWORD dwChannels;
    DWORD dwReserved1;
    DWORD dwReserved2;
} RASENTRY, *LPRASENTRY;

typedef struct tagRasDialParams {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
    WCHAR szPhoneNumber[RAS_MaxPhoneNumber + 1];
    WCHAR szCallbackNumber[RAS_MaxCallbackNumber + 1];
    WCHAR szUserName[UNLEN + 1];
    WCHAR szPassword[PWLEN + 1];
    WCHAR szDomain[DNLEN + 1];
} RASDIALPARAMS, *LPRASDIALPARAMS;

typedef struct tagRasEntryName {
    DWORD dwSize;
    WCHAR szEntryName[RAS_MaxEntryName + 1];
} RASENTRYNAME, *LPRASENTRYNAME;

#ifdef __cplusplus
static_assert(sizeof(RASENTRY) == 3276, "the handheld's RASENTRY");
static_assert(sizeof(RASDIALPARAMS) == 1464, "the handheld's RASDIALPARAMS");
#endif

// dwfOptions
#define RASEO_UseCountryAndAreaCodes 0x00000001
#define RASEO_SpecificIpAddr 0x00000002
#define RASEO_SpecificNameServers 0x00000004
#define RASEO_IpHeaderCompression 0x00000008
#define RASEO_RemoteDefaultGateway 0x00000010
#define RASEO_DisableLcpExtensions 0x00000020
#define RASEO_TerminalBeforeDial 0x00000040
#define RASEO_TerminalAfterDial 0x00000080
#define RASEO_ModemLights 0x00000100
#define RASEO_SwCompression 0x00000200
#define RASEO_RequireEncryptedPw 0x00000400
#define RASEO_RequireMsEncryptedPw 0x00000800
#define RASEO_RequireDataEncryption 0x00001000
#define RASEO_NetworkLogon 0x00002000
#define RASEO_UseLogonCredentials 0x00004000
#define RASEO_PromoteAlternates 0x00008000
// dwfNetProtocols
#define RASNP_NetBEUI 0x00000001
#define RASNP_Ipx 0x00000002
#define RASNP_Ip 0x00000004
// dwFramingProtocol
#define RASFP_Ppp 0x00000001
#define RASFP_Slip 0x00000002
#define RASFP_Ras 0x00000004
// szDeviceType
#define RASDT_Modem L"modem"
#define RASDT_Direct L"direct"

// Error codes.
#define ERROR_BUFFER_TOO_SMALL 603
#define ERROR_CANNOT_FIND_PHONEBOOK_ENTRY 623
#define ERROR_CANNOT_OPEN_PHONEBOOK 621
#define ERROR_INVALID_SIZE 632

// The handheld has one phone book: lpszPhonebook must be NULL.
DWORD WINAPI RasSetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRY lpRasEntry,
                                   DWORD dwEntryInfoSize, LPBYTE lpbDeviceInfo, DWORD dwDeviceInfoSize);
DWORD WINAPI RasGetEntryProperties(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry, LPRASENTRY lpRasEntry,
                                   LPDWORD lpdwEntryInfoSize, LPBYTE lpbDeviceInfo,
                                   LPDWORD lpdwDeviceInfoSize);
DWORD WINAPI RasSetEntryDialParams(LPCWSTR lpszPhonebook, LPRASDIALPARAMS lpRasDialParams,
                                   BOOL fRemovePassword);
DWORD WINAPI RasGetEntryDialParams(LPCWSTR lpszPhonebook, LPRASDIALPARAMS lpRasDialParams,
                                   LPBOOL lpfPassword);
DWORD WINAPI RasEnumEntries(LPCWSTR lpszReserved, LPCWSTR lpszPhonebook, LPRASENTRYNAME lprasentryname,
                            LPDWORD lpcb, LPDWORD lpcEntries);
DWORD WINAPI RasDeleteEntry(LPCWSTR lpszPhonebook, LPCWSTR lpszEntry);

#ifdef __cplusplus
}
#endif
