#include "toolkit/WindowText.h"

#include <cwchar>

LRESULT AnswerTextQuery(UINT msg, WPARAM wp, LPARAM lp, LPCWSTR text)
{
    const int length = text ? static_cast<int>(wcslen(text)) : 0;
    if (msg == WM_GETTEXTLENGTH)
        return length;
    const int room = static_cast<int>(wp);
    if (room <= 0 || !lp)
        return 0;
    const int copied = length < room ? length : room - 1;
    if (copied > 0)
        wmemcpy(reinterpret_cast<wchar_t*>(lp), text, copied);
    reinterpret_cast<wchar_t*>(lp)[copied] = 0;
    return copied;
}
