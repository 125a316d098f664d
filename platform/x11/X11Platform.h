// The X11 backend. It keeps its own connection to the display: the host's
// connection is the host's, and ours is read only from the editor's idle (and
// from the modal forms of menus and dialogs, which the editor does not use),
// all on the GUI thread. Nothing here holds the host's thread: gestures, menus
// and dialogs go on across idle calls.
//
// Protocol errors of our connection never reach the process-wide handler
// (see X11ErrorTrap), and nothing process-wide is changed: no error handler,
// no locale, no signals.
#pragma once

#include <X11/Xlib.h>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/x11/X11ErrorTrap.h"

namespace platform::x11
{

// Anything of ours that owns an X window and wants its events.
class X11EventTarget
{
  public:
    virtual void handleEvent(const XEvent& event) = 0;
    // After each dispatch, for work that waits on the clock rather than on
    // an event (a drop whose data never comes).
    virtual void afterDispatch() {}

  protected:
    ~X11EventTarget() = default;
};

class X11Platform final : public Platform
{
  public:
    // Null when the display cannot be opened. Null name: $DISPLAY.
    static std::unique_ptr<X11Platform> open(const char* displayName = nullptr);
    ~X11Platform() override;

    // --- Platform ------------------------------------------------------------
    std::unique_ptr<Window> createChildWindow(NativeHandle parent, Size size,
                                              WindowListener& listener) override;
    PointerState pointerState() override;
    bool buttonsSwapped() override;
    uint32_t ticks() override;
    void sleep(uint32_t milliseconds) override;
    uint32_t doubleClickTime() override { return doubleClickMs; }
    void dispatchEvents() override;
    bool dispatchPendingExpose() override;
    NativeHandle parentOf(NativeHandle window) override;
    std::optional<Rect> windowRect(NativeHandle window) override;
    std::string windowClassName(NativeHandle window) override;
    bool hasCaption(NativeHandle window) override;
    bool resizeWindow(NativeHandle window, Size size) override;
    int32_t dialogFrameHeight() override { return 0; }
    bool pressesMayBlock() override { return false; }
    // GDK_SCALE=2, or an Xft.dpi of 192 or more in the screen's resources.
    int32_t desktopScale() override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request, Window* owner) override;
    void showMessage(const MessageRequest& request) override;
    std::unique_ptr<DialogTask> startFileChooser(const FileChooserRequest& request, Window* owner) override;
    std::unique_ptr<DialogTask> startMessage(const MessageRequest& request, Window* owner) override;

    // --- For the backend's own windows ---------------------------------------------
    Display* display() const { return connection; }
    ::Window root() const { return DefaultRootWindow(connection); }
    Size screenSize() const;
    // Top-left of a window of `size` centred over `owner` (the screen when
    // there is none or it is gone), kept on screen.
    Point centredOver(::Window owner, Size size);
    X11ErrorTrap& errors() { return errorTrap; }
    bool shmUsable() const { return shmWorks; }
    void disableShm() { shmWorks = false; }
    ::Cursor cursorFor(Cursor cursor);

    // Events of `window` go to `target` until removed. A target registered
    // inside a modal section gets input only while that section is the
    // innermost one; older windows then get exposes and destruction only.
    void addTarget(::Window window, X11EventTarget& target);
    void removeTarget(::Window window);

    // Marks a modal section (menu, dialog) for as long as it lives.
    class ModalSection
    {
      public:
        explicit ModalSection(X11Platform& system) : platform(system) { ++platform.modalDepth; }
        ~ModalSection() { --platform.modalDepth; }
        ModalSection(const ModalSection&) = delete;
        ModalSection& operator=(const ModalSection&) = delete;

      private:
        X11Platform& platform;
    };

    // Delivers what is queued (by the rules of addTarget), then waits up to
    // `timeoutMs` for more to arrive when nothing was queued.
    void pumpModal(int timeoutMs);
    // Waits until the connection has input or `timeoutMs` passed.
    void waitForInput(int timeoutMs);
    // The top-level window (child of the root) that contains `window`.
    ::Window topLevelOf(::Window window);
    // The top-level window a dialog of `window` belongs to; None for none.
    ::Window ownerOf(Window* window);

  private:
    struct Target
    {
        X11EventTarget* target = nullptr;
        int level = 0;
    };

    explicit X11Platform(Display* display);
    void waitFor(DialogTask& task);
    void deliver(const XEvent& event);
    bool isInput(const XEvent& event) const;

    Display* connection;
    X11ErrorTrap errorTrap;
    bool shmWorks = false;
    uint32_t doubleClickMs = 400;
    int modalDepth = 0;
    std::map<::Window, Target> targets;
    std::array<::Cursor, 9> cursors{};
};

// 2 for GDK_SCALE=2 or an Xft.dpi of 192 or more in X resources text, else 1.
int32_t desktopScaleOf(const char* gdkScale, const char* resources);

} // namespace platform::x11
