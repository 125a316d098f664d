// Protocol errors on our own display connection are counted here instead of
// reaching Xlib's process-wide error handler. That handler belongs to the host
// (and its default ends the process), so we never replace it: the hooks sit in
// the connection itself and their record lives in the display's extension
// data. A window of the host that vanished under us then costs an error
// count, not the process.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11
{

class X11ErrorTrap
{
  public:
    // Installs the hooks on a freshly opened connection.
    explicit X11ErrorTrap(Display* connection);

    // Errors received so far (requests not yet answered are not included).
    unsigned long count() const;
    // Waits until the server has handled every request sent so far, then
    // answers whether any error arrived since `mark` (an earlier count()).
    bool failedSince(unsigned long mark);
    unsigned char lastErrorCode() const;

  private:
    Display* display;
};

} // namespace platform::x11
