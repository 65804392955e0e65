// State words of the command line.
#include "agent/AgentStates.h"

#include <cwchar>

namespace agent {
namespace {

const wchar_t* const kWords[kStateCount] = {L"PowerON", L"Phone", L"Internet", L"PowerOFF"};

}  // namespace

LPCWSTR StateWord(int index)
{
    return index >= 0 && index < kStateCount ? kWords[index] : L"";
}

int StateIndexOf(LPCWSTR text)
{
    if (!text)
        return kStateNone;
    for (int i = 0; i < kStateCount; ++i)
        if (wcsstr(text, kWords[i]))
            return i;
    return kStateNone;
}

}  // namespace agent
