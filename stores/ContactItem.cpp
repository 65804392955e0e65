#include "stores/ContactItem.h"

#include <cstring>
#include <initializer_list>

#include "stores/ContactProps.h"
#include "stores/StoreText.h"
#include "stores/SysStrings.h"

ContactItem* NewContactItem() { return new ContactItem{}; }

void SetContactMask(ContactItem* item, const BYTE* mask, DWORD length) {
    delete[] item->pCategoryMask;
    item->pCategoryMask = nullptr;
    item->cbCategoryMask = 0;
    if (!mask || !length) return;
    item->pCategoryMask = new BYTE[length]();
    memcpy(item->pCategoryMask, mask, length);
    item->cbCategoryMask = length;
}

ContactItem* ContactItemFromRecord(const RecordBuffer& record) {
    ContactItem* item = NewContactItem();
    auto text = [&](CEPROPID id) {
        const CEPROPVAL* v = PropOf(record, id);
        return v ? SysStringFrom(v->val.lpwstr) : nullptr;
    };
    item->pszFirstName = text(kPropFirstName);
    item->pszGivenName = text(kPropGivenName);
    item->pszLastName = text(kPropLastName);
    item->pszMobile = text(kPropMobile);
    item->pszOffice = text(kPropOffice);
    item->pszHome = text(kPropHome);
    item->pszDisplayName = text(kPropDisplayName);
    item->oid = record.oid;
    if (const CEPROPVAL* mask = PropOf(record, kPropCategoryMask))
        SetContactMask(item, mask->val.blob.lpb, mask->val.blob.lpb ? mask->val.blob.dwCount : 0);
    if (const CEPROPVAL* picture = PropOf(record, kPropPicture)) item->cbPicture = picture->val.blob.dwCount;

    CEPROPID preferred = 0;
    if (const CEPROPVAL* p = PropOf(record, kPropPreferred)) {
        for (CEPROPID id : kNumberProps)
            if (static_cast<CEPROPID>(p->val.lVal) == id) preferred = id;
    }
    if (!preferred) {
        for (CEPROPID id : kNumberProps) {
            if (PropOf(record, id)) {
                preferred = id;
                break;
            }
        }
    }
    LPCWSTR chosen = ContactNumber(item, preferred);
    item->nPreferred = (chosen && chosen[0]) ? preferred : 0;
    return item;
}

void FreeContactItem(ContactItem* item) {
    if (!item) return;
    for (BSTR* s : {&item->pszFirstName, &item->pszGivenName, &item->pszLastName, &item->pszMobile, &item->pszOffice,
                    &item->pszHome, &item->pszDisplayName})
        SysStringRelease(*s);
    delete[] item->pCategoryMask;
    delete[] item->pPicture;
    delete item;
}

LPCWSTR ContactNumber(const ContactItem* item, CEPROPID numberId) {
    if (!item) return nullptr;
    switch (numberId) {
        case kPropMobile: return item->pszMobile;
        case kPropHome: return item->pszHome;
        case kPropOffice: return item->pszOffice;
    }
    return nullptr;
}
