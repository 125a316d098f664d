// Names the user types against names a plug-in reports.
#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace host
{

inline bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

} // namespace host
