// The root of the view tree and the only toolkit object that talks to the
// window system: it owns a child window inside the host's window, turns its
// events into view calls, repaints dirty views from the editor's idle, and
// keeps the focus and modal views.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "gui/CPointerTracker.h"
#include "gui/CViewContainer.h"
#include "platform/platform.h"

namespace gui
{

class CDropTarget;
class CFrameOwner;

// Values of `setCursor`; any other value, 7 included, restores the default.
enum CCursorType : std::int32_t
{
    kCursorDefault = 0,
    kCursorWait = 1,
    kCursorHSize = 2,
    kCursorVSize = 3,
    kCursorSizeAll = 4,
    kCursorNESWSize = 5,
    kCursorNWSESize = 6,
    kCursorCopy = 7,
    kCursorNotAllowed = 8,
    kCursorHand = 9,
};

class CFrame : public CViewContainer
{
  public:
    // `scale` device pixels per logical pixel (1 or 2): the window is that
    // many times the logical size, the views keep logical coordinates.
    CFrame(const CViewRect& rect, platform::NativeHandle systemWindow, CFrameOwner* editor,
           std::int32_t scale = 1);
    ~CFrame() override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CViewRect& updateRect) override;
    void mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons) override;
    std::int32_t onKeyDown(VstKeyCode& key) override;
    std::int32_t onKeyUp(VstKeyCode& key) override;
    bool onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis, float distance) override;
    bool onWheel(CDrawContext* context, const CViewPoint& where, float distance) override;
    void setViewSize(const CViewRect& rect) override;
    CFrameOwner* getEditor() const override;
    bool isTypeOf(const char* name) const override;
    void update(CDrawContext* context) override;
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false) override;
    void removeView(CView* view, bool withRelease = true) override;
    // The modal view while one is up; none while input is suspended.
    CView* getCurrentView() const override;
    // The views first; a drop none of them takes goes to the editor.
    bool onDrop(CDrawContext* context, CDragContainer* drag, const CViewPoint& where) override;

    virtual bool open();
    virtual bool close();
    virtual bool isOpen() const;
    virtual void idle();
    virtual void doIdleStuff();
    virtual std::uint32_t getTicks() const;
    virtual std::int32_t getKnobMode() const;
    virtual bool setPosition(std::int32_t x, std::int32_t y);
    virtual bool getPosition(std::int32_t& x, std::int32_t& y) const;
    virtual bool setSize(std::int32_t width, std::int32_t height);
    virtual bool getSize(CViewRect& rect) const;
    virtual bool setModalView(CView* view);
    virtual CView* getModalView() const;
    virtual void beginEdit(std::int32_t tag);
    virtual void endEdit(std::int32_t tag);
    virtual bool getCurrentLocation(CViewPoint& where);
    virtual void setCursor(std::int32_t type);
    virtual void setFocusView(CView* view);
    virtual CView* getFocusView() const;
    virtual bool setDropActive(bool active);
    virtual bool isDropActive() const;
    // Whether the editor would take `drag` if it were dropped now.
    bool wantsDrop(const CDragContainer& drag) const;
    virtual void setOpenFlag(bool open);
    virtual bool getOpenFlag() const;
    virtual void invalidate(const CViewRect& rect);
    virtual bool setUpdatesDisabled(bool disabled);
    virtual bool isUpdatesDisabled() const;
    virtual void drawView(CView* view);

    // The current buttons and modifiers as `buttonLeft` ... `modAlt` flags,
    // with the user's swapped-buttons setting applied.
    std::int32_t getCurrentMouseButtons() const;
    // The pointer in screen coordinates; (0, 0) without a window system.
    CViewPoint getScreenPointer() const;
    // Null when the frame has no editor (and so no window system).
    platform::Platform* getPlatform() const { return platformLayer; }
    // The frame's own child window; null when it could not be created.
    platform::Window* getOwnWindow() const { return window.get(); }
    platform::NativeHandle getSystemWindow() const { return pSystemWindow; }
    bool isFirstDraw() const { return bFirstDraw; }
    std::int32_t getScale() const { return scale; }
    // Redraws at `newScale` (1 or 2): the own window takes the new device
    // size; the host's windows are the owner's business.
    void setScale(std::int32_t newScale);
    // A window position in device pixels as a logical point.
    CViewPoint toLogical(std::int32_t x, std::int32_t y) const;

    // Whether a press may hold the thread until the button comes up. When it
    // may not, a control hands its gesture to `beginTracking` and returns.
    bool pressesMayBlock() const;
    // Feeds `tracker` (the control `view`, retained meanwhile) from the
    // frame's idle and the window's pointer events until it reports the end;
    // a gesture still running is cut short first.
    void beginTracking(CView* view, CPointerTracker* tracker);
    bool isTracking() const { return pTracker != nullptr; }
    // While a dialog of the editor is up the frame takes no mouse, wheel or
    // keys, and no view counts as under the pointer.
    void setInputSuspended(bool suspended) { bInputSuspended = suspended; }
    bool isInputSuspended() const { return bInputSuspended; }

  private:
    class WindowEvents;

    bool initFrame(platform::NativeHandle systemWindow);
    // A context on the own window for one paint, idle pass or event.
    CDrawContext* createWindowContext();
    bool resizeThroughHost(std::int32_t width, std::int32_t height);
    bool resizeWindowChain(std::int32_t width, std::int32_t height);
    void adoptSize(std::int32_t width, std::int32_t height);
    void adoptOffscreenOnly();
    void resizeNative(platform::NativeHandle handle, platform::Size newSize);
    bool climbFocusFrom(CView* oldFocus, bool reverse);
    // Physical buttons and platform modifiers as view flags, swapped buttons applied.
    std::int32_t mouseButtonsOf(std::uint32_t physical, std::uint32_t modifiers) const;
    void withdrawDropTarget();

    void handleExpose(const platform::ExposeEvent& event);
    void handleButtonPress(const platform::ButtonEvent& event);
    bool handleWheel(const platform::WheelEvent& event);
    void handlePointer(const platform::PointerState& state);
    void handleDestroyed();
    void feedTracker(const platform::PointerState& state);
    void endTracking(bool abort);

    std::int32_t scale = 1;
    CFrameOwner* pEditor = nullptr;
    platform::NativeHandle pSystemWindow = nullptr;
    CView* pModalView = nullptr;
    CView* pFocusView = nullptr;
    bool bFirstDraw = true;
    bool bOpenFlag = true;
    bool bDropActive = false;
    CDropTarget* pDropTarget = nullptr;
    bool bUpdatesDisabled = false;
    platform::Platform* platformLayer = nullptr;
    std::unique_ptr<WindowEvents> events;
    std::unique_ptr<platform::Window> window;
    std::optional<platform::Cursor> defaultCursor;
    CView* pTrackedView = nullptr;
    CPointerTracker* pTracker = nullptr;
    platform::Point trackingOrigin; // the window's screen origin when the gesture began
    bool bInputSuspended = false;
};

} // namespace gui
