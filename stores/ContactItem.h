#pragma once
// A cached contact of the handheld's contacts database.
#include <windows.h>
#include <oleauto.h>

#include "stores/RecordBuffer.h"

struct ContactItem {
    BSTR pszFirstName;    // 0x4024, as the add dialog writes it
    BSTR pszGivenName;    // 0x3A06
    BSTR pszLastName;     // 0x3A11
    BSTR pszMobile;
    BSTR pszOffice;
    BSTR pszHome;
    BSTR pszDisplayName;  // 0x4013
    CEPROPID nPreferred;  // one of the three number ids, 0 = none
    CEOID oid;
    DWORD cbCategoryMask;
    BYTE* pCategoryMask;  // private copy
    DWORD cbPicture;
    BYTE* pPicture;       // never filled by the cache
};

// A new, empty item.
ContactItem* NewContactItem();
// The item of a read record (preferred number chosen as the phone does).
ContactItem* ContactItemFromRecord(const RecordBuffer& record);
void FreeContactItem(ContactItem* item);
// The item's number of a number property id, or null.
LPCWSTR ContactNumber(const ContactItem* item, CEPROPID numberId);
// Sets the item's category mask to a copy of the bytes.
void SetContactMask(ContactItem* item, const BYTE* mask, DWORD length);
