// The platform's UTF-8 texts as Windows' UTF-16 and back, for the wide
// entries of menus, edit fields and dropped data.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32
{

std::wstring wideOf(std::string_view utf8);
std::string utf8Of(std::wstring_view wide);

} // namespace platform::win32
