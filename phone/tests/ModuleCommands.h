#pragma once
// The command lines the simulated module received.
#include <string>
#include <vector>

#include "ModuleCard.h"
#include "WinTest.h"

namespace modulecmd {

// Every command line that starts with `prefix`, in order.
inline std::vector<std::string> Sent(ModuleCard& card, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& c : card.Module().Commands())
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    return out;
}

inline bool WaitSent(ModuleCard& card, const std::string& prefix, size_t count = 1, DWORD ms = 3000)
{
    return zentest::WaitUntil([&] { return Sent(card, prefix).size() >= count; }, ms);
}

}  // namespace modulecmd
