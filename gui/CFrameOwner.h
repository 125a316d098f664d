// What a frame needs from the editor that owns it. The editor base class
// implements this; tests supply a small fake.
#pragma once

#include <cstdint>

namespace platform
{
class Platform;
}

namespace gui
{

class CDragContainer;

class CFrameOwner
{
  public:
    // The window system the frame lives on; it outlives the frame.
    virtual platform::Platform& getPlatform() = 0;
    // Start and end of a user gesture on a parameter, reported to the host.
    virtual void beginEdit(std::int32_t tag) = 0;
    virtual void endEdit(std::int32_t tag) = 0;
    // Paced idle while a control runs a loop of its own; returns promptly.
    virtual void doIdleStuff() = 0;
    // The process-wide knob mode; 2 selects linear knob dragging.
    virtual std::int32_t getKnobMode() const = 0;
    // The host's "sizeWindow" service: whether it is offered, and the request.
    virtual bool canHostSizeWindow() = 0;
    virtual bool sizeWindow(std::int32_t width, std::int32_t height) = 0;
    // Drops that no view takes go to the owner: whether it would take this
    // drag (the source is then offered a copy), and taking it.
    virtual bool wantsDrop(const CDragContainer&) { return false; }
    virtual bool takeDrop(const CDragContainer&) { return false; }
    // A right-click or Ctrl-click (logical frame position) that no view is
    // under; true when the owner took it.
    virtual bool clickOnPanel(std::int32_t, std::int32_t) { return false; }

  protected:
    ~CFrameOwner() = default;
};

} // namespace gui
