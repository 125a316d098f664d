// The window system where there is none (no display): it makes no windows,
// so an editor's open fails, and every other call is a harmless no-op.
#pragma once

#include "platform/platform.h"

namespace platform
{

class NullPlatform final : public Platform
{
  public:
    std::unique_ptr<Window> createChildWindow(NativeHandle parent, Size size,
                                              WindowListener& listener) override;
    PointerState pointerState() override { return {}; }
    bool buttonsSwapped() override { return false; }
    uint32_t ticks() override;
    void sleep(uint32_t milliseconds) override;
    uint32_t doubleClickTime() override { return 500; }
    void dispatchEvents() override {}
    bool dispatchPendingExpose() override { return false; }
    NativeHandle parentOf(NativeHandle window) override { return nullptr; }
    std::optional<Rect> windowRect(NativeHandle window) override { return std::nullopt; }
    std::string windowClassName(NativeHandle window) override { return {}; }
    bool hasCaption(NativeHandle window) override { return false; }
    bool resizeWindow(NativeHandle window, Size size) override { return false; }
    int32_t dialogFrameHeight() override { return 0; }
    std::optional<std::string> chooseFile(const FileChooserRequest& request, Window* owner) override
    {
        return std::nullopt;
    }
    void showMessage(const MessageRequest& request) override {}
};

} // namespace platform
