// libFuzzer entry for what arrives from other processes as bytes: session-bus
// messages (the portal's replies) and the text conversions at the platform
// boundary. Besides not crashing, each must hold its own promise.
#include "platform/TextEncoding.h"
#include "platform/x11/DBusWire.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

void require(bool holds)
{
    if (!holds) std::abort();
}

// A message read whole reads back the same after we write it again, and every
// value its signature announces can be stepped over without reading past it.
void checkBusMessage(std::string_view bytes)
{
    using namespace platform::x11::dbus;
    Message message;
    const long size = decode(bytes, message);
    require(size >= -1 && size <= static_cast<long>(bytes.size()));
    if (size <= 0) return;
    std::string_view signature = message.signature;
    Reader reader(message.body, message.bigEndian);
    while (!signature.empty() && reader.skip(signature))
        require(reader.position() <= message.body.size());
    if (message.bigEndian) return; // we write little-endian only
    Message again;
    const std::string written = encode(message);
    require(decode(written, again) == static_cast<long>(written.size()));
    require(again.type == message.type && again.serial == message.serial && again.member == message.member &&
            again.signature == message.signature && again.body == message.body);
}

// Converting to UTF-8 gives UTF-8, which a second conversion leaves alone.
void checkTextEncoding(std::string_view bytes)
{
    const std::string utf8 = platform::toUtf8(bytes);
    require(platform::toUtf8(utf8) == utf8);
    require(platform::toUtf8(platform::windows1252ToUtf8(bytes)) == platform::windows1252ToUtf8(bytes));
    require(platform::toWindows1252(utf8).size() <= utf8.size());
    platform::characterCount(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkBusMessage(bytes);
    checkTextEncoding(bytes);
    return 0;
}
