#pragma once
// Windows takes paths of any language only through its wide entries; the
// system's paths are UTF-8 everywhere else.

#include <string>
#include <string_view>

namespace fileio
{

std::wstring widePath(std::string_view utf8);
std::string utf8Path(std::wstring_view wide);

} // namespace fileio
