#include "platform/x11/PortalFileChooser.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace platform::x11
{

namespace
{

constexpr const char* kPortal = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";
constexpr const char* kRequest = "org.freedesktop.portal.Request";
// A portal that has not answered the call by then is taken for absent.
constexpr auto kCallTimeout = std::chrono::seconds(10);

enum Response : uint32_t
{
    kSuccess = 0,
    kCancelled = 1,
};

// "*.*" means every file to Windows users; on Linux it would skip names without a dot.
std::string globOf(const std::string& pattern)
{
    return pattern == "*.*" ? "*" : pattern;
}

void writeFilter(dbus::Writer& w, const FileFilter& filter)
{
    w.openStruct();
    w.string(filter.description);
    const auto patterns = w.openArray(8);
    w.openStruct();
    w.u32(0); // a glob
    w.string(globOf(filter.pattern));
    w.closeArray(patterns);
}

// Opens one a{sv} entry: the key and the variant's signature.
void openOption(dbus::Writer& w, const char* key, const char* signature)
{
    w.openStruct();
    w.string(key);
    w.signature(signature);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string newToken()
{
    static std::atomic<unsigned> counter{0};
    char token[64];
    std::snprintf(token, sizeof token, "amberlit%d_%u", static_cast<int>(getpid()), ++counter);
    return token;
}

} // namespace

dbus::Message PortalFileChooser::call(const FileChooserRequest& request, ::Window parent,
                                      const std::string& token)
{
    const bool save = request.mode == FileChooserRequest::Mode::Save;
    dbus::Message m;
    m.destination = kPortal;
    m.path = kPortalPath;
    m.interface = kFileChooser;
    m.member = save ? "SaveFile" : "OpenFile";
    m.signature = "ssa{sv}";
    dbus::Writer w;
    char window[32] = "";
    if (parent) std::snprintf(window, sizeof window, "x11:%lx", static_cast<unsigned long>(parent));
    w.string(window);
    w.string(request.title);
    const auto options = w.openArray(8);
    openOption(w, "handle_token", "s");
    w.string(token);
    openOption(w, "modal", "b");
    w.boolean(true);
    if (!request.filters.empty())
    {
        openOption(w, "filters", "a(sa(us))");
        const auto filters = w.openArray(8);
        for (const FileFilter& f : request.filters)
            writeFilter(w, f);
        w.closeArray(filters);
        const auto selected = static_cast<size_t>(request.selectedFilter);
        if (selected < request.filters.size())
        {
            openOption(w, "current_filter", "(sa(us))");
            writeFilter(w, request.filters[selected]);
        }
    }
    if (!request.directory.empty())
    {
        openOption(w, "current_folder", "ay"); // bytes with their nul
        const auto folder = w.openArray(1);
        for (char c : request.directory)
            w.byte(static_cast<uint8_t>(c));
        w.byte(0);
        w.closeArray(folder);
    }
    if (save && !request.fileName.empty())
    {
        openOption(w, "current_name", "s");
        w.string(request.fileName);
    }
    w.closeArray(options);
    m.body = std::move(w.data);
    return m;
}

std::string PortalFileChooser::pathOfUri(const std::string& uri)
{
    std::string rest;
    if (uri.rfind("file:///", 0) == 0)
        rest = uri.substr(7);
    else if (uri.rfind("file://localhost/", 0) == 0)
        rest = uri.substr(16);
    else
        return {};
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i)
    {
        const int high = rest[i] == '%' && i + 2 < rest.size() ? hexValue(rest[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(rest[i + 2]) : -1;
        if (low >= 0)
        {
            path += static_cast<char>(high * 16 + low);
            i += 2;
        }
        else
            path += rest[i];
    }
    return path;
}

std::unique_ptr<PortalFileChooser> PortalFileChooser::start(const FileChooserRequest& request,
                                                            ::Window parent)
{
    auto bus = dbus::Connection::openSession();
    if (!bus) return nullptr;
    std::unique_ptr<PortalFileChooser> chooser(new PortalFileChooser(std::move(bus)));
    chooser->token = newToken();
    chooser->started = std::chrono::steady_clock::now();
    // Pipelined: the bus answers in order, and the answer comes by a signal
    // that this match lets through.
    chooser->helloSerial = chooser->bus->send(dbus::busCall("Hello"));
    dbus::Message match = dbus::busCall("AddMatch");
    match.signature = "s";
    dbus::Writer rule;
    rule.string(std::string("type='signal',interface='") + kRequest + "',member='Response'");
    match.body = rule.data;
    chooser->bus->send(match);
    chooser->callSerial = chooser->bus->send(call(request, parent, chooser->token));
    if (chooser->bus->failed()) return nullptr;
    return chooser;
}

PortalFileChooser::~PortalFileChooser()
{
    if (state != State::Open || handle.empty()) return;
    dbus::Message close;
    close.destination = kPortal;
    close.path = handle;
    close.interface = kRequest;
    close.member = "Close";
    close.flags = dbus::Message::kNoReplyExpected;
    bus->send(close);
}

PortalFileChooser::State PortalFileChooser::poll()
{
    dbus::Message message;
    while (state == State::Open && bus->receive(message))
        take(message);
    if (state == State::Open && bus->failed()) state = State::Failed;
    if (state == State::Open && handle.empty() && std::chrono::steady_clock::now() - started > kCallTimeout)
        state = State::Failed;
    return state;
}

void PortalFileChooser::take(const dbus::Message& message)
{
    const bool reply = message.type == dbus::Message::kMethodReturn;
    if (message.type == dbus::Message::kError && message.replySerial == callSerial)
    {
        state = State::Failed; // no portal on this desktop
        return;
    }
    if (reply && message.replySerial == helloSerial)
    {
        dbus::Reader r(message.body, message.bigEndian);
        std::string name;
        if (!r.string(name)) return;
        // ":1.42" becomes "1_42" in the request's path.
        std::string sender;
        for (char c : name)
            if (c != ':') sender += c == '.' ? '_' : c;
        expectedHandle = std::string(kPortalPath) + "/request/" + sender + "/" + token;
    }
    else if (reply && message.replySerial == callSerial)
    {
        dbus::Reader r(message.body, message.bigEndian);
        r.string(handle);
    }
    else if (message.type == dbus::Message::kSignal && message.interface == kRequest &&
             message.member == "Response" && !message.path.empty() &&
             (message.path == handle || message.path == expectedHandle))
        takeResponse(message);
}

void PortalFileChooser::takeResponse(const dbus::Message& message)
{
    dbus::Reader r(message.body, message.bigEndian);
    uint32_t response = 0;
    size_t end = 0;
    if (!r.u32(response) || response != kSuccess)
    {
        state = response == kCancelled ? State::Cancelled : State::Failed;
        return;
    }
    state = State::Failed; // unless a usable answer follows
    if (!r.arrayEnd(8, end)) return;
    while (r.position() < end)
    {
        std::string key, type;
        if (!r.align(8) || !r.string(key) || !r.signature(type)) return;
        if (key == "uris" && type == "as")
        {
            size_t urisEnd = 0;
            std::string uri;
            if (!r.arrayEnd(4, urisEnd) || r.position() >= urisEnd || !r.string(uri)) return;
            chosenPath = pathOfUri(uri);
            state = chosenPath.empty() ? State::Failed : State::Chosen;
            return;
        }
        std::string_view sig = type;
        if (!r.skip(sig) || !sig.empty()) return;
    }
}

} // namespace platform::x11
