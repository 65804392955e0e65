#include "phone/CommandLine.h"

#include <cwctype>

namespace {

// Copies the word that starts at `at` (at most outChars - 1 characters) and
// returns where the text after it starts.
LPCWSTR TakeWord(LPCWSTR at, LPWSTR out, int outChars)
{
    int n = 0;
    while (*at && *at != L' ') {
        if (n < outChars - 1)
            out[n++] = *at;
        ++at;
    }
    out[n] = 0;
    return at;
}

bool SameKeyword(LPCWSTR word, LPCWSTR keyword)
{
    for (; *word && *keyword; ++word, ++keyword)
        if (std::towupper(*word) != *keyword)
            return false;
    return *word == 0 && *keyword == 0;
}

}  // namespace

PhoneCommandLine ParseCommandLine(LPCWSTR text)
{
    PhoneCommandLine out = {};
    out.kind = PhoneCommand::Other;
    if (!text)
        return out;
    wchar_t keyword[PhoneCommandLine::kChars];
    LPCWSTR rest = TakeWord(text, keyword, PhoneCommandLine::kChars);
    while (*rest == L' ')
        ++rest;
    TakeWord(rest, out.number, PhoneCommandLine::kChars);
    if (SameKeyword(keyword, L"CALL"))
        out.kind = PhoneCommand::Call;
    else if (SameKeyword(keyword, L"SMS"))
        out.kind = PhoneCommand::Sms;
    return out;
}

int CopyDataText(const COPYDATASTRUCT* data, LPWSTR out, int outChars)
{
    if (!out || outChars <= 0)
        return 0;
    out[0] = 0;
    if (!data || !data->lpData)
        return 0;
    // An odd last byte is no whole character; a terminator inside ends the text.
    size_t chars = data->cbData / sizeof(wchar_t);
    if (chars > static_cast<size_t>(outChars - 1))
        chars = static_cast<size_t>(outChars - 1);
    const wchar_t* in = static_cast<const wchar_t*>(data->lpData);
    int n = 0;
    while (static_cast<size_t>(n) < chars && in[n]) {
        out[n] = in[n];
        ++n;
    }
    out[n] = 0;
    return n;
}

bool ForwardCommandLine(HWND running, LPCWSTR commandLine)
{
    if (!running)
        return false;
    if (GetForegroundWindow() == running)
        return false;  // the user is looking at it: nothing is changed
    wchar_t text[PhoneCommandLine::kChars] = L"";
    int n = 0;
    for (; commandLine && commandLine[n] && n < PhoneCommandLine::kChars - 1; ++n)
        text[n] = commandLine[n];
    text[n] = 0;
    COPYDATASTRUCT cds = {};
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(n * sizeof(wchar_t));
    cds.lpData = text;
    DWORD_PTR answer = 0;
    const bool sent = SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                          SMTO_NORMAL, 10000, &answer) != 0;
    ShowWindow(running, SW_SHOW);
    SetForegroundWindow(running);
    return sent;
}
