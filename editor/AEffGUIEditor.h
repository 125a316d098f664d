// Editor base for a skinned window: owns the toolkit's frame while open,
// forwards keys, wheel and idle time to it, paces idle work for the toolkit's
// own loops and relays edit gestures to the host. All calls run on the host's
// user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "gui/CFrameOwner.h"
#include "shell/AEffEditor.h"

namespace gui
{
class CFrame;
}
namespace platform
{
class Platform;
}

class AEffGUIEditor : public AEffEditor, public gui::CFrameOwner
{
  public:
    // Attaches itself to `effect`. Without a `windowSystem`, the native one is
    // made on first use (see `hasPlatform`).
    explicit AEffGUIEditor(AudioEffect* effect, std::unique_ptr<platform::Platform> windowSystem = nullptr);
    ~AEffGUIEditor() override;

    bool getRect(ERect** rect) override;
    void idle() override;
    bool onKeyDown(VstKeyCode& keyCode) override;
    bool onKeyUp(VstKeyCode& keyCode) override;
    bool onWheel(float distance) override;
    bool setKnobMode(VstInt32 val) override;

    virtual void setParameter(VstInt32 index, float value) {}
    // CFrameOwner: gestures reach the host as audioMasterBeginEdit/EndEdit.
    void beginEdit(VstInt32 index) override;
    void endEdit(VstInt32 index) override;
    // Runs idle and the host's idle at most every 46 to 100 ms, however often
    // a control's tracking loop calls it.
    void doIdleStuff() override;

    platform::Platform& getPlatform() override;
    std::int32_t getKnobMode() const override { return knobMode.load(std::memory_order_relaxed); }
    bool canHostSizeWindow() override;
    bool sizeWindow(std::int32_t width, std::int32_t height) override;

    // Replaces the window system; only while no frame exists (tests, tools).
    bool setPlatform(std::unique_ptr<platform::Platform> windowSystem);
    // Makes the native window system if none is set yet; false when there is
    // none to be had (no display), and then `open` must fail.
    bool hasPlatform();

    gui::CFrame* getFrame() const { return frame; }
    // Fixes the device pixels per logical pixel (1 or 2) of the next frames
    // (tools, tests); otherwise `preferredScale` decides before each open.
    // getRect answers the logical rect times the scale.
    void setScale(std::int32_t value);
    std::int32_t getScale() const { return scale; }
    // The user's size choice: stored, then asked of the host; false when the
    // host refused, and the choice waits for the next open.
    bool changeScale(std::int32_t wanted);
    // The size menu on an empty part of the panel.
    bool clickOnPanel(std::int32_t x, std::int32_t y) override;

  protected:
    // Lets the native window system go once the frame is gone: a closed
    // editor holds no display connection (hosts keep hundreds of instances).
    void releaseNativePlatform();
    // The scale a frame opened now would have; the current one by default.
    virtual std::int32_t preferredScale() { return scale; }
    // Settles the scale while no frame is open.
    void settleScale();
    // What the desktop asks for, from the window system in use; before one
    // is held, from a native one made only for the question (a closed editor
    // keeps no display connection), remembered for the process.
    std::int32_t desktopScale();

    ERect rect{0, 0, 0, 0}; // logical
    std::int32_t scale = 1;
    bool scaleFixed = false;
    std::int32_t waitingScale = 0; // chosen while open, refused by the host
    std::uint32_t lastTicks = 0;   // when the next paced idle is due
    bool inIdle = false;           // set while the host's idle callback runs
    gui::CFrame* frame = nullptr;

  private:
    // Shared by every editor of the process; hosts set it for all of them.
    static std::atomic<std::int32_t> knobMode;

    // Whether the host hears of a gesture on `index`: parameters only.
    bool isParameter(VstInt32 index) const;

    std::unique_ptr<platform::Platform> windowSystem;
    bool nativePlatform = false; // windowSystem was made here, not handed in
    ERect shownRect{0, 0, 0, 0}; // what getRect hands out: rect at the scale
};
