#include "platform/x11/DBusWire.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::x11::dbus
{

namespace
{

constexpr uint32_t kMaxMessage = 1u << 24; // well above anything a portal sends
constexpr int kAuthTimeoutMs = 250;

enum Field : uint8_t
{
    kPath = 1,
    kInterface = 2,
    kMember = 3,
    kErrorName = 4,
    kReplySerial = 5,
    kDestination = 6,
    kSender = 7,
    kSignature = 8,
};

size_t alignmentOf(char type)
{
    switch (type)
    {
    case 'y':
    case 'g':
    case 'v':
        return 1;
    case 'n':
    case 'q':
        return 2;
    case 'x':
    case 't':
    case 'd':
    case '(':
    case '{':
        return 8;
    default:
        return 4; // b i u h s o a
    }
}

// The first complete type of `sig`: its length, 0 when malformed.
size_t typeLength(std::string_view sig)
{
    if (sig.empty()) return 0;
    if (sig[0] == 'a')
    {
        const size_t element = typeLength(sig.substr(1));
        return element ? element + 1 : 0;
    }
    if (sig[0] != '(' && sig[0] != '{') return 1;
    const char close = sig[0] == '(' ? ')' : '}';
    size_t at = 1;
    while (at < sig.size() && sig[at] != close)
    {
        const size_t inner = typeLength(sig.substr(at));
        if (!inner) return 0;
        at += inner;
    }
    return at < sig.size() ? at + 1 : 0;
}

void writeField(Writer& w, uint8_t code, char type, std::string_view value)
{
    if (value.empty()) return;
    w.openStruct();
    w.byte(code);
    w.signature(std::string(1, type));
    if (type == 'g')
        w.signature(value);
    else
        w.string(value);
}

std::string hexOf(std::string_view s)
{
    std::string out;
    char two[3];
    for (unsigned char c : s)
    {
        std::snprintf(two, sizeof two, "%02x", c);
        out += two;
    }
    return out;
}

// A socket address from "unix:path=..." or "unix:abstract=..." (the first
// entry of the list that is one of those).
bool socketAddress(const std::string& address, sockaddr_un& out, socklen_t& length)
{
    size_t start = 0;
    while (start < address.size())
    {
        const size_t end = std::min(address.find(';', start), address.size());
        const std::string entry = address.substr(start, end - start);
        start = end + 1;
        if (entry.rfind("unix:", 0) != 0) continue;
        for (const char* key : {"path=", "abstract="})
        {
            const size_t at = entry.find(key);
            if (at == std::string::npos) continue;
            const size_t valueAt = at + std::strlen(key);
            const std::string value = entry.substr(valueAt, entry.find(',', valueAt) - valueAt);
            const bool abstract = key[0] == 'a';
            if (value.empty() || value.size() + 1 >= sizeof out.sun_path) continue;
            out = sockaddr_un{};
            out.sun_family = AF_UNIX;
            std::memcpy(out.sun_path + (abstract ? 1 : 0), value.data(), value.size());
            length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + value.size() + 1);
            return true;
        }
    }
    return false;
}

bool sendAll(int fd, std::string_view text)
{
    while (!text.empty())
    {
        const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool readLine(int fd, std::string& line)
{
    line.clear();
    for (;;)
    {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kAuthTimeoutMs) <= 0) return false;
        char c = 0;
        const ssize_t n = ::recv(fd, &c, 1, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == '\n') return true;
        if (c != '\r') line += c;
        if (line.size() > 512) return false;
    }
}

} // namespace

// --- Writer ----------------------------------------------------------------------------

void Writer::align(size_t n)
{
    while (data.size() % n)
        data += '\0';
}

void Writer::byte(uint8_t v)
{
    data += static_cast<char>(v);
}

void Writer::u32(uint32_t v)
{
    align(4);
    for (int i = 0; i < 4; ++i)
        data += static_cast<char>(v >> (8 * i) & 0xFF);
}

void Writer::string(std::string_view s)
{
    u32(static_cast<uint32_t>(s.size()));
    data.append(s);
    data += '\0';
}

void Writer::signature(std::string_view s)
{
    byte(static_cast<uint8_t>(s.size()));
    data.append(s);
    data += '\0';
}

Writer::ArrayMark Writer::openArray(size_t alignment)
{
    u32(0);
    const size_t lengthAt = data.size() - 4;
    align(alignment);
    return ArrayMark{lengthAt, data.size()};
}

void Writer::closeArray(ArrayMark mark)
{
    // The length counts from the first element: the padding before it is not in it.
    const auto length = static_cast<uint32_t>(data.size() - mark.first);
    for (int i = 0; i < 4; ++i)
        data[mark.lengthAt + static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i) & 0xFF);
}

// --- Reader ----------------------------------------------------------------------------

bool Reader::align(size_t n)
{
    const size_t to = (at + n - 1) / n * n;
    if (to > data.size()) return false;
    at = to;
    return true;
}

bool Reader::byte(uint8_t& v)
{
    if (!fits(1)) return false;
    v = static_cast<uint8_t>(data[at++]);
    return true;
}

bool Reader::u32(uint32_t& v)
{
    if (!align(4) || !fits(4)) return false;
    v = 0;
    for (int i = 0; i < 4; ++i)
    {
        const auto b = static_cast<uint8_t>(data[at + static_cast<size_t>(i)]);
        v |= uint32_t{b} << (bigEndian ? 8 * (3 - i) : 8 * i);
    }
    at += 4;
    return true;
}

bool Reader::string(std::string& s)
{
    uint32_t length = 0;
    if (!u32(length) || !fits(size_t{length} + 1)) return false;
    s.assign(data.substr(at, length));
    at += size_t{length} + 1;
    return true;
}

bool Reader::signature(std::string& s)
{
    uint8_t length = 0;
    if (!byte(length) || !fits(size_t{length} + 1)) return false;
    s.assign(data.substr(at, length));
    at += size_t{length} + 1;
    return true;
}

bool Reader::arrayEnd(size_t elementAlignment, size_t& end)
{
    uint32_t length = 0;
    if (!u32(length) || !align(elementAlignment) || !fits(length)) return false;
    end = at + length;
    return true;
}

bool Reader::skip(std::string_view& sig)
{
    const size_t length = typeLength(sig);
    if (!length) return false;
    const std::string_view type = sig.substr(0, length);
    sig.remove_prefix(length);
    std::string ignored;
    switch (type[0])
    {
    case 'y':
        return fits(1) && (++at, true);
    case 'n':
    case 'q':
        return align(2) && fits(2) && (at += 2, true);
    case 'b':
    case 'i':
    case 'u':
    case 'h':
        return align(4) && fits(4) && (at += 4, true);
    case 'x':
    case 't':
    case 'd':
        return align(8) && fits(8) && (at += 8, true);
    case 's':
    case 'o':
        return string(ignored);
    case 'g':
        return signature(ignored);
    case 'v':
    {
        std::string inner;
        if (!signature(inner)) return false;
        std::string_view view = inner;
        return skip(view) && view.empty();
    }
    case 'a':
    {
        size_t end = 0;
        if (!arrayEnd(alignmentOf(type[1]), end)) return false;
        while (at < end)
        {
            // An element that takes no bytes would never reach the end.
            const size_t before = at;
            std::string_view element = type.substr(1);
            if (!skip(element) || at == before) return false;
        }
        return at == end;
    }
    default: // ( or {
    {
        if (!align(8)) return false;
        std::string_view members = type.substr(1, type.size() - 2);
        if (members.empty()) return false; // the wire has no empty structure
        while (!members.empty())
            if (!skip(members)) return false;
        return true;
    }
    }
}

// --- Messages ----------------------------------------------------------------------------

std::string encode(const Message& m)
{
    Writer w;
    w.byte('l');
    w.byte(m.type);
    w.byte(m.flags);
    w.byte(1);
    w.u32(static_cast<uint32_t>(m.body.size()));
    w.u32(m.serial);
    const Writer::ArrayMark fields = w.openArray(8);
    writeField(w, kPath, 'o', m.path);
    writeField(w, kInterface, 's', m.interface);
    writeField(w, kMember, 's', m.member);
    writeField(w, kErrorName, 's', m.errorName);
    writeField(w, kDestination, 's', m.destination);
    writeField(w, kSender, 's', m.sender);
    writeField(w, kSignature, 'g', m.signature);
    if (m.replySerial)
    {
        w.openStruct();
        w.byte(kReplySerial);
        w.signature("u");
        w.u32(m.replySerial);
    }
    w.closeArray(fields);
    w.align(8);
    return w.data + m.body;
}

long decode(std::string_view buffer, Message& out)
{
    if (buffer.size() < 16) return 0;
    if (buffer[0] != 'l' && buffer[0] != 'B') return -1;
    const bool bigEndian = buffer[0] == 'B';
    Reader head(buffer.substr(0, 16), bigEndian);
    uint8_t ignored = 0;
    uint32_t bodyLength = 0, serial = 0, fieldsLength = 0;
    head.byte(ignored);
    Message m;
    m.bigEndian = bigEndian;
    head.byte(m.type);
    head.byte(m.flags);
    head.byte(ignored);
    head.u32(bodyLength);
    head.u32(serial);
    head.u32(fieldsLength);
    if (bodyLength > kMaxMessage || fieldsLength > kMaxMessage) return -1;
    const size_t headerEnd = (16 + size_t{fieldsLength} + 7) / 8 * 8;
    const size_t total = headerEnd + bodyLength;
    if (buffer.size() < total) return 0;
    m.serial = serial;

    // The header fields, read with offsets from the message's start.
    Reader fields(buffer.substr(0, 16 + fieldsLength), bigEndian);
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i)
        fields.u32(word); // the fixed part, read above
    while (fields.position() < 16 + fieldsLength)
    {
        uint8_t code = 0;
        std::string type;
        if (!fields.align(8) || !fields.byte(code) || !fields.signature(type)) return -1;
        std::string text;
        uint32_t number = 0;
        if (type == "u")
        {
            if (!fields.u32(number)) return -1;
            if (code == kReplySerial) m.replySerial = number;
            continue;
        }
        if (type == "g"                    ? !fields.signature(text)
            : (type == "s" || type == "o") ? !fields.string(text)
                                           : true)
            return -1;
        switch (code)
        {
        case kPath:
            m.path = text;
            break;
        case kInterface:
            m.interface = text;
            break;
        case kMember:
            m.member = text;
            break;
        case kErrorName:
            m.errorName = text;
            break;
        case kDestination:
            m.destination = text;
            break;
        case kSender:
            m.sender = text;
            break;
        case kSignature:
            m.signature = text;
            break;
        default:
            break;
        }
    }
    m.body.assign(buffer.substr(headerEnd, bodyLength));
    out = std::move(m);
    return static_cast<long>(total);
}

Message busCall(std::string member)
{
    Message m;
    m.destination = "org.freedesktop.DBus";
    m.path = "/org/freedesktop/DBus";
    m.interface = "org.freedesktop.DBus";
    m.member = std::move(member);
    return m;
}

// --- Connection ----------------------------------------------------------------------------

std::unique_ptr<Connection> Connection::openSession()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    sockaddr_un where{};
    socklen_t length = 0;
    if (!address || !socketAddress(address, where, length)) return nullptr;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    std::unique_ptr<Connection> connection(new Connection(fd));
    if (connect(fd, reinterpret_cast<const sockaddr*>(&where), length) != 0) return nullptr;
    // The client's credentials travel with the socket; the first byte must be a nul.
    const std::string uid = std::to_string(getuid());
    std::string line;
    if (!sendAll(fd, std::string(1, '\0') + "AUTH EXTERNAL " + hexOf(uid) + "\r\n") || !readLine(fd, line) ||
        line.rfind("OK ", 0) != 0 || !sendAll(fd, "BEGIN\r\n"))
        return nullptr;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    return connection;
}

Connection::~Connection()
{
    if (socketFd >= 0) close(socketFd);
}

uint32_t Connection::send(Message message)
{
    message.serial = nextSerial++;
    out += encode(message);
    flush();
    return message.serial;
}

void Connection::flush()
{
    while (!out.empty() && !broken)
    {
        const ssize_t n = ::send(socketFd, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0)
        {
            broken = true;
            return;
        }
        out.erase(0, static_cast<size_t>(n));
    }
}

void Connection::fill()
{
    char buffer[4096];
    while (!broken)
    {
        const ssize_t n = ::recv(socketFd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0)
        {
            broken = true; // the bus went away
            return;
        }
        in.append(buffer, static_cast<size_t>(n));
        if (in.size() > 2 * size_t{kMaxMessage}) broken = true;
    }
}

bool Connection::receive(Message& message)
{
    flush();
    fill();
    const long used = decode(in, message);
    if (used < 0) broken = true;
    if (used <= 0) return false;
    in.erase(0, static_cast<size_t>(used));
    return true;
}

} // namespace platform::x11::dbus
