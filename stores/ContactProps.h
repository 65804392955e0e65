#pragma once
// Names and property ids of the handheld's own contacts and categories
// databases, as the phone and the contacts tool both use them.
#include <windows.h>

#include "windbase.h"

constexpr const WCHAR* kContactsDbName = L"Contacts Database";
constexpr const WCHAR* kCategoriesDbName = L"\\Categories Database";

constexpr CEPROPID kPropDisplayName = 0x4013001F;
constexpr CEPROPID kPropLastName = 0x3A11001F;
constexpr CEPROPID kPropFirstName = 0x4024001F;  // written by the phone's add dialog
constexpr CEPROPID kPropGivenName = 0x3A06001F;
constexpr CEPROPID kPropMobile = 0x3A1C001F;
constexpr CEPROPID kPropHome = 0x3A09001F;
constexpr CEPROPID kPropOffice = 0x3A08001F;
constexpr CEPROPID kPropCategoryMask = 0x00160041;
constexpr CEPROPID kPropPicture = 0x14E10041;
constexpr CEPROPID kPropPreferred = 0x00500003;  // one of the three number ids

constexpr CEPROPID kPropCategoryName = 0x4001001F;
constexpr CEPROPID kPropCategoryBit = 0x40020002;

// Number kinds in the order the phone offers them.
constexpr CEPROPID kNumberProps[3] = {kPropMobile, kPropHome, kPropOffice};

// Whether bit `bit` is set in a category mask of `length` bytes (lowest bit
// of each byte first). A mask too short for the bit does not have it.
inline bool MaskHasBit(const BYTE* mask, DWORD length, int bit) {
    if (!mask || bit < 0 || static_cast<DWORD>(bit / 8) >= length) return false;
    return (mask[bit / 8] >> (bit % 8)) & 1;
}

// The picture may not exceed this many pixels (width times height).
constexpr long kMaxPicturePixels = 10000;
