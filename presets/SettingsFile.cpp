#include "presets/SettingsFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileio/ReplaceFile.h"

namespace
{

constexpr const char* kFileName = "settings.ini";
constexpr const char* kVendorFolder = "TRV-sonikwerk";
// Far beyond any real settings file; a bigger one is not ours.
constexpr std::size_t kMaxFileSize = 1 << 20;

const char* nonEmptyEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

void appendQuoted(std::string& out, std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += c;
        }
        else if (byte < 0x20 || byte >= 0x7f)
        {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        }
        else
        {
            out += c;
        }
    }
    out += '"';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f')
    {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F')
    {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a quoted text at `pos`, undoing appendQuoted; false on any damage.
bool readQuoted(std::string_view line, std::size_t& pos, std::string& text)
{
    if (pos >= line.size() || line[pos] != '"')
    {
        return false;
    }
    for (++pos; pos < line.size(); ++pos)
    {
        const char c = line[pos];
        if (c == '"')
        {
            ++pos;
            return true;
        }
        if (c != '\\')
        {
            text += c;
            continue;
        }
        if (++pos >= line.size())
        {
            return false;
        }
        if (line[pos] == '"' || line[pos] == '\\')
        {
            text += line[pos];
        }
        else if (line[pos] == 'x' && pos + 2 < line.size() && hexDigit(line[pos + 1]) >= 0 &&
                 hexDigit(line[pos + 2]) >= 0)
        {
            text += static_cast<char>(hexDigit(line[pos + 1]) * 16 + hexDigit(line[pos + 2]));
            pos += 2;
        }
        else
        {
            return false;
        }
    }
    return false;
}

bool readHex(std::string_view digits, std::string& bytes)
{
    int high = -1;
    for (const char c : digits)
    {
        if (c == ' ')
        {
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0)
        {
            return false;
        }
        if (high < 0)
        {
            high = digit;
        }
        else
        {
            bytes += static_cast<char>(high * 16 + digit);
            high = -1;
        }
    }
    return high < 0;
}

void skipSpaces(std::string_view line, std::size_t& pos)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
    {
        ++pos;
    }
}

bool startsWithAt(std::string_view line, std::size_t pos, std::string_view word)
{
    return line.substr(pos, word.size()) == word;
}

// `"name" = binary 0a0b...` or `"name" = string "text"`.
bool parseValueLine(std::string_view line, std::string& name, SettingValue& value)
{
    std::size_t pos = 0;
    if (!readQuoted(line, pos, name))
    {
        return false;
    }
    skipSpaces(line, pos);
    if (pos >= line.size() || line[pos] != '=')
    {
        return false;
    }
    ++pos;
    skipSpaces(line, pos);
    if (startsWithAt(line, pos, "binary"))
    {
        value.type = SettingValue::Type::binary;
        return readHex(line.substr(pos + 6), value.bytes);
    }
    if (startsWithAt(line, pos, "string"))
    {
        value.type = SettingValue::Type::string;
        pos += 6;
        skipSpaces(line, pos);
        if (!readQuoted(line, pos, value.bytes))
        {
            return false;
        }
        skipSpaces(line, pos);
        return pos == line.size();
    }
    return false;
}

std::string_view trimmed(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    {
        line.remove_suffix(1);
    }
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
    {
        line.remove_prefix(1);
    }
    return line;
}

bool isValidKey(std::string_view key)
{
    return !key.empty() && key.find_first_of("\r\n") == std::string_view::npos && key.front() != ' ' &&
           key.back() != ' ';
}

// Holds an exclusive lock on a file beside the store for one replacement.
class WriteLock
{
  public:
    WriteLock(const std::filesystem::path& file, int waitMs)
        : fd(::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (fd < 0)
        {
            error = errno;
            return;
        }
        // Bounded: a writer stuck in another process must not stall an
        // instance being constructed; the write then fails instead.
        for (int waited = 0; ::flock(fd, LOCK_EX | LOCK_NB) != 0; waited += kPollMs)
        {
            if (errno != EWOULDBLOCK && errno != EINTR)
            {
                error = errno;
                return;
            }
            if (waited >= waitMs)
            {
                error = EWOULDBLOCK;
                return;
            }
            ::usleep(kPollMs * 1000);
        }
    }
    ~WriteLock()
    {
        if (fd >= 0)
        {
            ::close(fd); // also releases the lock
        }
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

    int error = 0;

  private:
    static constexpr int kPollMs = 1;
    int fd;
};

// Reads a regular file of at most kMaxFileSize bytes; 0 or an errno value.
int readWhole(int fd, std::string& text)
{
    struct stat st = {};
    if (::fstat(fd, &st) != 0)
    {
        return errno;
    }
    if (!S_ISREG(st.st_mode))
    {
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    }
    char buffer[8192];
    for (;;)
    {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n < 0)
        {
            return errno;
        }
        if (n == 0)
        {
            return 0;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.size() > kMaxFileSize)
        {
            return EFBIG; // not ours, or not only ours: leave it alone
        }
    }
}

// A damaged file is kept beside the new one under the first free name of
// "settings.ini.damaged", "settings.ini.damaged-2", ...
int keepAside(const std::filesystem::path& target)
{
    for (int n = 1; n < 100; ++n)
    {
        const std::string aside = target.string() + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        if (::link(target.c_str(), aside.c_str()) == 0)
        {
            return 0;
        }
        if (errno != EEXIST)
        {
            return errno;
        }
    }
    return EEXIST;
}

} // namespace

SettingsFile::SettingsFile(std::filesystem::path file) : path(std::move(file)) {}

std::filesystem::path SettingsFile::userFile()
{
    if (const char* dir = nonEmptyEnv("AMBERLIT_CONFIG_DIR"))
    {
        return std::filesystem::path(dir) / kFileName;
    }
    const char* xdg = nonEmptyEnv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
    {
        return std::filesystem::path(xdg) / kVendorFolder / kFileName;
    }
    if (const char* home = nonEmptyEnv("HOME"))
    {
        return std::filesystem::path(home) / ".config" / kVendorFolder / kFileName;
    }
    return {}; // nowhere to keep settings: reads find nothing, writes fail
}

std::unique_ptr<SettingsStore> SettingsStore::forUser()
{
    return std::make_unique<SettingsFile>(SettingsFile::userFile());
}

std::string SettingsFile::format(const Keys& keys)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out = "# TRV-sonikwerk settings. Lines: [key], then \"name\" = binary <hex bytes>\n"
                      "# or \"name\" = string \"text\".\n";
    for (const auto& [key, values] : keys)
    {
        out += "\n[" + key + "]\n";
        for (const auto& [name, value] : values)
        {
            appendQuoted(out, name);
            if (value.type == SettingValue::Type::binary)
            {
                out += " = binary ";
                for (const char c : value.bytes)
                {
                    const auto byte = static_cast<unsigned char>(c);
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xf];
                }
            }
            else
            {
                out += " = string ";
                appendQuoted(out, value.bytes);
            }
            out += '\n';
        }
    }
    return out;
}

SettingsFile::Keys SettingsFile::parse(std::string_view text, bool* damaged)
{
    Keys keys;
    Values* current = nullptr;
    bool skipped = false;
    while (!text.empty())
    {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#')
        {
            continue;
        }
        if (line.front() == '[')
        {
            // Values under a damaged header must not land in the key before it.
            const bool valid = line.back() == ']' && line.size() > 2;
            current = valid ? &keys[std::string(line.substr(1, line.size() - 2))] : nullptr;
            skipped = skipped || !valid;
            continue;
        }
        std::string name;
        SettingValue value;
        // Damaged lines are skipped: their values read as missing.
        if (current && parseValueLine(line, name, value))
        {
            (*current)[name] = std::move(value);
        }
        else
        {
            skipped = true;
        }
    }
    if (damaged)
    {
        *damaged = skipped;
    }
    return keys;
}

SettingsFile::Loaded SettingsFile::load() const
{
    Loaded loaded;
    if (path.empty())
    {
        return loaded;
    }
    // Non-blocking: a named pipe in the file's place must not hold the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
    {
        loaded.error = errno == ENOENT ? 0 : errno;
        return loaded;
    }
    std::string text;
    loaded.error = readWhole(fd, text);
    ::close(fd);
    if (loaded.error == 0)
    {
        loaded.keys = parse(text, &loaded.damaged);
    }
    return loaded;
}

bool SettingsFile::hasKey(std::string_view key) const
{
    const Keys keys = load().keys;
    return keys.find(std::string(key)) != keys.end();
}

std::optional<SettingValue> SettingsFile::read(std::string_view key, std::string_view name) const
{
    const Keys keys = load().keys;
    const auto values = keys.find(std::string(key));
    if (values == keys.end())
    {
        return std::nullopt;
    }
    const auto value = values->second.find(std::string(name));
    if (value == values->second.end())
    {
        return std::nullopt;
    }
    return value->second;
}

std::optional<SettingsFile::Values> SettingsFile::readKey(std::string_view key) const
{
    Keys keys = load().keys;
    const auto values = keys.find(std::string(key));
    if (values == keys.end())
    {
        return std::nullopt;
    }
    return std::move(values->second);
}

int SettingsFile::write(std::string_view key, const std::vector<std::pair<std::string, SettingValue>>& values)
{
    if (path.empty())
    {
        return ENOENT;
    }
    if (!isValidKey(key))
    {
        return EINVAL;
    }
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
    {
        return error.value();
    }
    const WriteLock lock(path, lockWaitMs);
    if (lock.error != 0)
    {
        return lock.error;
    }
    // Read under the lock so that a concurrent writer's values are kept; a
    // file that could not be read is never replaced by what little we know.
    Loaded loaded = load();
    if (loaded.error != 0)
    {
        return loaded.error;
    }
    Values& target = loaded.keys[std::string(key)];
    for (const auto& [name, value] : values)
    {
        target[name] = value;
    }
    return replaceFile(loaded);
}

int SettingsFile::replaceFile(const Loaded& loaded) const
{
    // Private like the lock file: the memo slots are the user's own.
    fileio::Replacement file(path.string(), 0600);
    if (file.error() != 0)
    {
        return file.error();
    }
    if (loaded.damaged && ::access(file.targetPath().c_str(), F_OK) == 0)
    {
        if (const int status = keepAside(file.targetPath()); status != 0)
        {
            return status;
        }
    }
    const std::string text = format(loaded.keys);
    if (const int status = file.write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        status != 0)
    {
        return status;
    }
    return file.commit();
}
