#include "fileio/ReplaceFile.h"

#include <cstdio>

namespace fileio
{
namespace
{

constexpr std::string_view kTag = ".~amberlit-";
constexpr std::size_t kNonceDigits = 8;

bool isLowerHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

std::string temporaryNameFor(std::string_view fileName, std::uint32_t nonce)
{
    char digits[kNonceDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(nonce));
    return "." + std::string(fileName) + std::string(kTag) + digits;
}

bool isTemporaryName(std::string_view fileName)
{
    if (fileName.size() < 2 + kTag.size() + kNonceDigits || fileName.front() != '.') return false;
    const std::string_view nonce = fileName.substr(fileName.size() - kNonceDigits);
    for (const char c : nonce)
        if (!isLowerHex(c)) return false;
    fileName.remove_suffix(kNonceDigits);
    return fileName.ends_with(kTag);
}

int replaceFile(const std::string& target, std::span<const std::uint8_t> bytes, unsigned newFileMode)
{
    Replacement file(target, newFileMode);
    if (const int error = file.write(bytes); error != 0) return error;
    return file.commit();
}

} // namespace fileio
