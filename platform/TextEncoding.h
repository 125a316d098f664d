// Platform texts (menus, edit fields, dialogs) are UTF-8; the toolkit stores
// and draws 8-bit Windows-1252. These convert at that boundary.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform
{

// Characters outside Windows-1252 become '?'. Bytes that are not valid UTF-8
// are taken as Windows-1252 already, so older 8-bit names still show.
std::string toWindows1252(std::string_view utf8);

// The UTF-8 form of Windows-1252 text; valid UTF-8 is returned unchanged.
std::string toUtf8(std::string_view text);

// The UTF-8 form of Windows-1252 text, always converted byte by byte.
std::string windows1252ToUtf8(std::string_view text);

// Number of characters (code points) in valid UTF-8, else of bytes.
std::size_t characterCount(std::string_view text);

// The UTF-8 form of one code point.
std::string utf8Of(char32_t character);

// Program names are stored in the 8-bit code page the system's preset files
// use: Windows' ANSI code page there, Windows-1252 elsewhere.
std::string storedTextToUtf8(std::string_view stored);
// The stored form of UTF-8 text; nothing when a character has no place in
// that code page, so that a name is refused rather than changed.
std::optional<std::string> utf8ToStoredText(std::string_view utf8);

} // namespace platform
