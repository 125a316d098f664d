// The desktop's own file chooser through its portal on the session bus
// (org.freedesktop.portal.FileChooser), given our host's window as parent
// ("x11:<id>") so that it stays above it. Started and then polled: nothing
// here waits for the user.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/x11/DBusWire.h"

namespace platform::x11
{

class PortalFileChooser
{
  public:
    enum class State
    {
        Open,
        Chosen,
        Cancelled,
        Failed, // no portal, or it could not show a chooser: ask someone else
    };

    // Null without a session bus.
    static std::unique_ptr<PortalFileChooser> start(const FileChooserRequest& request, ::Window parent);
    // Still open: the request is closed, and the chooser with it.
    ~PortalFileChooser();
    PortalFileChooser(const PortalFileChooser&) = delete;
    PortalFileChooser& operator=(const PortalFileChooser&) = delete;

    State poll();
    // After Chosen: the local path.
    const std::string& path() const { return chosenPath; }

    // The call's body, for tests: OpenFile or SaveFile with (ssa{sv}).
    static dbus::Message call(const FileChooserRequest& request, ::Window parent, const std::string& token);
    // A file:// URI as a local path; empty for anything else.
    static std::string pathOfUri(const std::string& uri);

  private:
    explicit PortalFileChooser(std::unique_ptr<dbus::Connection> connection) : bus(std::move(connection)) {}
    void take(const dbus::Message& message);
    void takeResponse(const dbus::Message& message);

    std::unique_ptr<dbus::Connection> bus;
    std::string token;
    uint32_t helloSerial = 0;
    uint32_t callSerial = 0;
    std::string handle;         // the request object the portal answered
    std::string expectedHandle; // the one it will use, known from our name
    State state = State::Open;
    std::string chosenPath;
    std::chrono::steady_clock::time_point started;
};

} // namespace platform::x11
