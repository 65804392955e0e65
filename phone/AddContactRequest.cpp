#include "phone/AddContactRequest.h"

#include <cwchar>

#include "screens/prefs/CCeMDlgAddContact.h"

namespace {
// One dialog at a time: a second request while it runs (its message loop
// keeps the screens working) is dropped.
bool g_open = false;
}  // namespace

LRESULT OfferNewContact(HWND owner, WPARAM number)
{
    const auto* text = reinterpret_cast<const wchar_t*>(number);
    if (!text || g_open)
        return 0;
    // The sender's buffer is read no further than the dialog keeps.
    wchar_t copy[CCeMDlgAddContact::kNumberChars];
    const size_t n = wcsnlen(text, CCeMDlgAddContact::kNumberChars - 1);
    wmemcpy(copy, text, n);
    copy[n] = 0;
    if (!copy[0])
        return 0;
    g_open = true;
    CCeMDlgAddContact dialog;
    const INT_PTR result = dialog.Show(copy, owner);
    g_open = false;
    return result;
}
