#include "stores/ContactsNotify.h"

int ReloadOnDatabaseNotification(LPARAM lParam, CCeCategoriesDB& categories, CCeContactsDB& contacts) {
    CENOTIFYREQUEST request = contacts.NotifyRequest();
    if (lParam) CeFreeNotification(&request, reinterpret_cast<CENOTIFICATION*>(lParam));
    HWND window = contacts.NotifyWindow() ? contacts.NotifyWindow() : categories.NotifyWindow();
    MSG queued;
    while (window && PeekMessageW(&queued, window, WM_DBNOTIFICATION, WM_DBNOTIFICATION, PM_REMOVE))
        if (queued.lParam) CeFreeNotification(&request, reinterpret_cast<CENOTIFICATION*>(queued.lParam));
    categories.Load();
    return contacts.Reload();
}
