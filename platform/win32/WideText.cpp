#include "platform/win32/WideText.h"

#include "platform/TextEncoding.h"

#include <windows.h>

namespace platform::win32
{

std::wstring wideOf(std::string_view utf8)
{
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string utf8Of(std::wstring_view wide)
{
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

} // namespace platform::win32

namespace platform
{

std::string storedTextToUtf8(std::string_view stored)
{
    if (stored.empty()) return {};
    const int size = static_cast<int>(stored.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, stored.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, stored.data(), size, wide.data(), length);
    return win32::utf8Of(wide);
}

std::optional<std::string> utf8ToStoredText(std::string_view utf8)
{
    if (utf8.empty()) return std::string();
    const int size = static_cast<int>(utf8.size());
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0) == 0)
        return std::nullopt;
    const std::wstring wide = win32::wideOf(utf8);
    const int wideSize = static_cast<int>(wide.size());
    // No best fit: a look-alike ("A" for "Ä") would change the name as surely as "?".
    BOOL lost = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, nullptr, 0,
                                             nullptr, &lost);
    if (length == 0 || lost) return std::nullopt;
    std::string stored(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wideSize, stored.data(), length, nullptr,
                          &lost);
    return stored;
}

} // namespace platform
