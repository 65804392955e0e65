#pragma once
// What the phonebook window does with a change notification of the contacts
// or categories database: free it and reload both caches.
#include <windows.h>

#include "stores/CCeCategoriesDB.h"
#include "stores/CCeContactsDB.h"

// Frees the notification in lParam of WM_DBNOTIFICATION, frees those of the
// same window already waiting in the queue (one reload answers them all),
// then reloads the categories and repeats the contacts' last load. Returns
// the number of contacts cached.
int ReloadOnDatabaseNotification(LPARAM lParam, CCeCategoriesDB& categories, CCeContactsDB& contacts);
