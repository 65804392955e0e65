#pragma once
// Windows whose text is what they show (not their creation title) answer
// WM_GETTEXT and WM_GETTEXTLENGTH with it, so other programs can read them.
#include <windows.h>

// The answer to `msg` (WM_GETTEXT with wp characters of room at lp, or
// WM_GETTEXTLENGTH) for a window showing `text`.
LRESULT AnswerTextQuery(UINT msg, WPARAM wp, LPARAM lp, LPCWSTR text);
