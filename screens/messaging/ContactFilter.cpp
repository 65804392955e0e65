#include "screens/messaging/ContactFilter.h"

int LoadContacts(CCeContactsDB& contacts, CCeCategoriesDB& categories, int category, int kind, LPCWSTR text,
                 int* bitOut)
{
    const bool searching = text && *text;
    int bit = -1;
    if (category <= 0 || category > categories.Count()) {
        if (!searching)
            contacts.LoadAll();
        else if (kind == 1)
            contacts.SearchNumber(text);
        else
            contacts.SearchName(text);
    } else {
        bit = categories.BitOf(category - 1);
        if (!searching)
            contacts.LoadCategory(bit);
        else if (kind == 1)
            contacts.SearchNumberInCategory(text, bit);
        else
            contacts.SearchNameInCategory(text, bit);
    }
    if (bitOut)
        *bitOut = bit;
    return contacts.Count();
}
