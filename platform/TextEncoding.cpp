#include "platform/TextEncoding.h"

namespace platform
{

namespace
{

// Code points of Windows-1252 bytes 0x80..0x9F (0 where the byte is unused).
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char windows1252Of(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one character at `i`; false for an invalid sequence.
bool decode(std::string_view s, std::size_t& i, char32_t& out)
{
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0)) return false;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k)
    {
        const auto cont = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((cont & 0xC0) != 0x80) return false;
        c = (c << 6) | (cont & 0x3F);
    }
    static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
    out = c;
    return true;
}

bool validUtf8(std::string_view s)
{
    char32_t c = 0;
    for (std::size_t i = 0; i < s.size();)
        if (!decode(s, i, c)) return false;
    return true;
}

} // namespace

std::string toWindows1252(std::string_view utf8)
{
    if (!validUtf8(utf8)) return std::string(utf8);
    std::string out;
    char32_t c = 0;
    for (std::size_t i = 0; i < utf8.size();)
    {
        decode(utf8, i, c);
        out.push_back(windows1252Of(c));
    }
    return out;
}

std::string windows1252ToUtf8(std::string_view text)
{
    std::string out;
    for (unsigned char b : text)
    {
        const char32_t c = b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b;
        out += utf8Of(c ? c : U'?');
    }
    return out;
}

std::string toUtf8(std::string_view text)
{
    return validUtf8(text) ? std::string(text) : windows1252ToUtf8(text);
}

#ifndef _WIN32
std::string storedTextToUtf8(std::string_view stored)
{
    return windows1252ToUtf8(stored);
}

std::optional<std::string> utf8ToStoredText(std::string_view utf8)
{
    if (!validUtf8(utf8)) return std::nullopt;
    std::string out;
    char32_t c = 0;
    for (std::size_t i = 0; i < utf8.size();)
    {
        decode(utf8, i, c);
        const char stored = windows1252Of(c);
        if (stored == '?' && c != U'?') return std::nullopt;
        out.push_back(stored);
    }
    return out;
}
#endif

std::size_t characterCount(std::string_view text)
{
    if (!validUtf8(text)) return text.size();
    std::size_t n = 0;
    for (unsigned char b : text)
        n += (b & 0xC0) != 0x80;
    return n;
}

std::string utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80)
    {
        out.push_back(static_cast<char>(c));
    }
    else if (c < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else if (c < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

} // namespace platform
