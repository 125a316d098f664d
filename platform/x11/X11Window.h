// Our child window inside the host's window.
#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/platform.h"
#include "platform/x11/X11Image.h"
#include "platform/x11/X11Platform.h"
#include "platform/x11/XdndTarget.h"

namespace platform::x11
{

class X11Window final : public Window, public X11EventTarget
{
  public:
    // Check created() before use: the parent may be gone already.
    X11Window(X11Platform& system, ::Window parent, Size size, WindowListener& receiver);
    ~X11Window() override;

    bool created() const { return window != 0; }

    // --- Window ---------------------------------------------------------------------
    NativeHandle handle() const override;
    NativeHandle parent() const override;
    Point screenOrigin() const override;
    Size size() const override { return windowSize; }
    bool setSize(Size size) override;
    PixelSpan backBuffer() override;
    void present(const Rect& area) override;
    void setCursor(Cursor cursor) override;
    Cursor cursor() const override { return currentCursor; }
    int32_t popupMenu(const Menu& menu, Point screen, bool trackRight) override;
    std::unique_ptr<PopupMenu> openPopupMenu(const Menu& menu, Point screen, bool trackRight,
                                             PopupMenuListener& receiver) override;
    std::unique_ptr<EditField> openEditField(const EditFieldStyle& style,
                                             EditFieldListener& receiver) override;
    bool setDropTarget(DropListener* receiver) override;

    void handleEvent(const XEvent& event) override;
    void afterDispatch() override;

    bool usesSharedMemory() const { return image && image->usesSharedMemory(); }

  private:
    void handleButton(const XButtonEvent& event);
    void handleRelease(const XButtonEvent& event);

    X11Platform& platform;
    Display* display;
    ::Window parentWindow;
    ::Window window = 0;
    bool destroyed = false; // the server destroyed it (with its parent)
    Size windowSize;
    WindowListener& listener;
    std::unique_ptr<X11Image> image;
    Cursor currentCursor = Cursor::Arrow;
    std::unique_ptr<XdndTarget> drop; // while registered as a drop target
};

// Button (MouseButton) and modifier bits of an X event state.
uint32_t buttonsOf(unsigned int state);
uint32_t modifiersOf(unsigned int state);
// Key events as the toolkit sees them.
KeyEvent translateKey(const XKeyEvent& event);

} // namespace platform::x11
