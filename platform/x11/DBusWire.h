// Just enough of the session bus's wire protocol for the desktop's portal:
// messages built and read in memory, and a connection that authenticates
// once and then never blocks. No library: hosts bring their own, and ours
// must not meet theirs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform::x11::dbus
{

struct Message
{
    enum Type : uint8_t
    {
        kMethodCall = 1,
        kMethodReturn = 2,
        kError = 3,
        kSignal = 4,
    };
    static constexpr uint8_t kNoReplyExpected = 1;

    uint8_t type = kMethodCall;
    uint8_t flags = 0;
    bool bigEndian = false; // of a message read; we write little-endian
    uint32_t serial = 0;
    uint32_t replySerial = 0;
    std::string path, interface, member, errorName, destination, sender, signature;
    std::string body; // marshalled in the message's byte order
};

// Marshals values; alignment counts from the start of the body, which sits
// on an 8-byte boundary of the message.
class Writer
{
  public:
    void byte(uint8_t v);
    void boolean(bool v) { u32(v ? 1 : 0); }
    void u32(uint32_t v);
    void string(std::string_view s); // also object paths
    void signature(std::string_view s);
    // An array's elements go between these; `alignment` is the element's.
    struct ArrayMark
    {
        size_t lengthAt;
        size_t first; // where the elements start, after the padding
    };
    ArrayMark openArray(size_t alignment);
    void closeArray(ArrayMark mark);
    void openStruct() { align(8); } // structs and dict entries
    void align(size_t n);
    std::string data;
};

// Reads values; every call answers false (and reads nothing more) once the
// data runs short or does not fit.
class Reader
{
  public:
    Reader(std::string_view bytes, bool big) : data(bytes), bigEndian(big) {}
    bool byte(uint8_t& v);
    bool u32(uint32_t& v);
    bool string(std::string& s); // also object paths
    bool signature(std::string& s);
    // The end of an array whose length comes next.
    bool arrayEnd(size_t elementAlignment, size_t& end);
    bool align(size_t n);
    // Skips one complete value of the first type of `sig` and drops that type.
    bool skip(std::string_view& sig);
    size_t position() const { return at; }

  private:
    bool fits(size_t n) const { return at + n <= data.size(); }

    std::string_view data;
    bool bigEndian;
    size_t at = 0;
};

std::string encode(const Message& message);
// The message at the front of `buffer`: its size, 0 while incomplete, -1 when
// malformed.
long decode(std::string_view buffer, Message& out);

// A connection to the session bus ($DBUS_SESSION_BUS_ADDRESS, unix sockets).
class Connection
{
  public:
    // Connects and authenticates (a local exchange of a few lines, bounded by
    // a short timeout); null without a usable bus.
    static std::unique_ptr<Connection> openSession();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Queues the message with the next serial, which it answers, and sends
    // what the socket takes now.
    uint32_t send(Message message);
    // The next whole message that has arrived, if any. Never blocks.
    bool receive(Message& message);
    bool failed() const { return broken; }
    int fd() const { return socketFd; }

  private:
    explicit Connection(int fd) : socketFd(fd) {}
    void flush();
    void fill();

    int socketFd;
    uint32_t nextSerial = 1;
    std::string out;
    std::string in;
    bool broken = false;
};

// The method call every connection starts with, and the bus's own calls.
Message busCall(std::string member);

} // namespace platform::x11::dbus
