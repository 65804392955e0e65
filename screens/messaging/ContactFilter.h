#pragma once
// Fills the contacts cache from a category entry and a search, as the
// phonebook and the pickers both list contacts.
#include <windows.h>

#include "stores/CCeCategoriesDB.h"
#include "stores/CCeContactsDB.h"

// Entry 0 (or one out of range) is every contact, k the k-th cached
// category; kind 1 searches numbers, any other names; an empty or null
// text lists without searching. Returns the count; `bitOut` (optional)
// gets the category bit used, -1 for every contact.
int LoadContacts(CCeContactsDB& contacts, CCeCategoriesDB& categories, int category, int kind, LPCWSTR text,
                 int* bitOut = nullptr);
