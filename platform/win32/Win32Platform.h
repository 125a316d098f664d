// The Win32 backend. Windows deliver their messages through the host's own
// message loop, so nothing here pumps the thread's queue: the one exception is
// a waiting paint message of our own windows, which the paced idle hands on.
// Pointer state is read the way the toolkit's polling loops need it: the
// physical buttons (GetAsyncKeyState) and the cursor position, with the
// user's swapped-buttons setting reported for the frame to apply.
#pragma once

#include <windows.h>

#include <vector>

#include "platform/platform.h"

namespace platform::win32
{

class Win32Window;

class Win32Platform final : public Platform
{
  public:
    Win32Platform() = default;
    ~Win32Platform() override = default;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    std::unique_ptr<Window> createChildWindow(NativeHandle parent, Size size,
                                              WindowListener& listener) override;
    PointerState pointerState() override;
    bool buttonsSwapped() override;
    uint32_t ticks() override;
    void sleep(uint32_t milliseconds) override;
    uint32_t doubleClickTime() override;
    void dispatchEvents() override {}
    bool dispatchPendingExpose() override;
    NativeHandle parentOf(NativeHandle window) override;
    std::optional<Rect> windowRect(NativeHandle window) override;
    std::string windowClassName(NativeHandle window) override;
    bool hasCaption(NativeHandle window) override;
    bool resizeWindow(NativeHandle window, Size size) override;
    int32_t dialogFrameHeight() override;
    int32_t desktopScale() override;
    std::optional<std::string> chooseFile(const FileChooserRequest& request, Window* owner) override;
    void showMessage(const MessageRequest& request) override;

    // Our windows' lifetimes, for the paint hand-on.
    void adopt(Win32Window* window);
    void forget(Win32Window* window);
    // A press message just reached one of our windows (physical button, modifiers).
    void notePress(uint32_t button, uint32_t modifiers);

  private:
    std::vector<Win32Window*> windows;
    uint32_t pressedButton = 0;
    uint32_t pressModifiers = 0;
    DWORD pressTicks = 0;
};

// Modifier bits of the keyboard as it is now.
uint32_t currentModifiers();

} // namespace platform::win32
