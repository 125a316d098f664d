#include "gui/CFrame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "gui/CDrawContext.h"
#include "gui/CDropTarget.h"
#include "gui/CFrameOwner.h"
#include "gui/COffscreenContext.h"

namespace gui
{

namespace
{

// Width and height of a window chain step may differ by this much and still
// be taken for decoration around the editor.
constexpr std::int32_t kDecorationSlack = 80;
constexpr std::int32_t kPositionSlack = 60;

std::optional<platform::Cursor> cursorFor(std::int32_t type)
{
    switch (type)
    {
    case kCursorWait:
        return platform::Cursor::Wait;
    case kCursorHSize:
        return platform::Cursor::ResizeHorizontal;
    case kCursorVSize:
        return platform::Cursor::ResizeVertical;
    case kCursorSizeAll:
        return platform::Cursor::Move;
    case kCursorNESWSize:
        return platform::Cursor::ResizeDiagonalRising;
    case kCursorNWSESize:
        return platform::Cursor::ResizeDiagonalFalling;
    case kCursorNotAllowed:
        return platform::Cursor::NotAllowed;
    case kCursorHand:
        return platform::Cursor::Hand;
    default:
        return std::nullopt;
    }
}

} // namespace

// Native events of the own window, turned into frame calls.
class CFrame::WindowEvents final : public platform::WindowListener
{
  public:
    explicit WindowEvents(CFrame& owner) : frame(owner) {}
    virtual ~WindowEvents() = default; // as CDropTarget's
    void onExpose(const platform::ExposeEvent& event) override { frame.handleExpose(event); }
    void onButtonPress(const platform::ButtonEvent& event) override { frame.handleButtonPress(event); }
    void onWheel(const platform::WheelEvent& event) override { frame.handleWheel(event); }
    bool onWheelUsed(const platform::WheelEvent& event) override { return frame.handleWheel(event); }
    // Keys reach the frame from the host through the editor.
    void onKey(const platform::KeyEvent&) override {}
    void onDestroyed() override { frame.handleDestroyed(); }
    void onPointer(const platform::PointerState& state) override { frame.handlePointer(state); }

  private:
    CFrame& frame;
};

CFrame::CFrame(const CViewRect& rect, platform::NativeHandle systemWindow, CFrameOwner* editor,
               std::int32_t scaleArg)
    : CViewContainer(rect, this, nullptr), scale(std::clamp(scaleArg, 1, 2)), frameOwner(editor),
      events(std::make_unique<WindowEvents>(*this))
{
    platformLayer = editor ? &editor->getPlatform() : nullptr;
    initFrame(systemWindow);
}

CFrame::~CFrame()
{
    endTracking(true);
    if (modalView)
    {
        if (focusView == modalView) focusView = nullptr;
        CView* modal = modalView;
        modalView = nullptr;
        if (unlinkView(modal)) modal->release();
    }
    focusView = nullptr;
    if (window && defaultCursor) window->setCursor(*defaultCursor);
    withdrawDropTarget();
    // Children go while the frame is whole and its window still exists: views
    // that hold native widgets close them on the window they were made on.
    releaseAllChildren();
    window.reset();
}

bool CFrame::initFrame(platform::NativeHandle systemWindow)
{
    if (!systemWindow || !platformLayer) return false;
    hostWindow = systemWindow;
    const platform::Size windowSize{size.width() * scale, size.height() * scale};
    window = platformLayer->createChildWindow(systemWindow, windowSize, *events);
    if (!window) return false;
    setDropActive(true);
    return true;
}

CDrawContext* CFrame::createWindowContext()
{
    return window ? new CDrawContext(this, nullptr, window.get()) : nullptr;
}

// --- Drawing -----------------------------------------------------------------------

void CFrame::draw(CDrawContext* context)
{
    firstDraw = false;
    CViewContainer::draw(context);
}

void CFrame::drawRect(CDrawContext* context, const CViewRect& updateRect)
{
    firstDraw = false;
    CDrawContext* own = context ? nullptr : createWindowContext();
    if (updateRect.width() > 0 && updateRect.height() > 0)
        CViewContainer::drawRect(context ? context : own, updateRect);
    if (own) own->release();
}

void CFrame::update(CDrawContext* context)
{
    if (!openState || updatesDisabled) return;
    if (markedDirty)
    {
        draw(context);
        setDirty(false);
        return;
    }
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->update(context);
}

void CFrame::idle()
{
    if (activeTracker && platformLayer) feedTracker(platformLayer->pointerState());
    if (!openState || firstDraw || !isDirty()) return;
    CDrawContext* context = createWindowContext();
    if (!context) return;
    update(context);
    context->release();
}

void CFrame::drawView(CView* view)
{
    CDrawContext* context = createWindowContext();
    if (!context) return;
    if (view && isChild(view))
        view->draw(context);
    else
        draw(context);
    context->release();
}

void CFrame::invalidate(const CViewRect& rect)
{
    for (CView* child : children)
    {
        if (child->getViewSize().rectOverlap(rect)) child->setDirty(true);
    }
}

bool CFrame::setUpdatesDisabled(bool disabled)
{
    const bool previous = updatesDisabled;
    updatesDisabled = disabled;
    return previous;
}

bool CFrame::isUpdatesDisabled() const
{
    return updatesDisabled;
}

// --- Mouse, wheel and keys ------------------------------------------------------------

std::int32_t CFrame::getCurrentMouseButtons() const
{
    if (!platformLayer) return 0;
    const platform::PointerState state = platformLayer->pointerState();
    return mouseButtonsOf(state.buttons, state.modifiers);
}

std::int32_t CFrame::mouseButtonsOf(std::uint32_t physical, std::uint32_t modifiers) const
{
    const bool swapped = platformLayer && platformLayer->buttonsSwapped();
    std::int32_t buttons = 0;
    if (physical & platform::kButtonLeft) buttons |= swapped ? buttonRight : buttonLeft;
    if (physical & platform::kButtonMiddle) buttons |= buttonMiddle;
    if (physical & platform::kButtonRight) buttons |= swapped ? buttonLeft : buttonRight;
    if (modifiers & platform::kModShift) buttons |= modShift;
    if (modifiers & platform::kModControl) buttons |= modControl;
    if (modifiers & platform::kModAlt) buttons |= modAlt;
    return buttons;
}

CViewPoint CFrame::getScreenPointer() const
{
    if (!platformLayer) return {};
    const platform::Point p = platformLayer->pointerState().screen;
    return {p.x, p.y};
}

CViewPoint CFrame::toLogical(std::int32_t x, std::int32_t y) const
{
    // Floor division: a pointer just left of or above the window stays outside it.
    const auto down = [this](std::int32_t v) { return v >= 0 ? v / scale : -((-v + scale - 1) / scale); };
    return CViewPoint{down(x), down(y)};
}

bool CFrame::getCurrentLocation(CViewPoint& where)
{
    if (!platformLayer) return false;
    where = getScreenPointer();
    if (window)
    {
        const platform::Point origin = window->screenOrigin();
        where.offset(-origin.x, -origin.y);
    }
    where = toLogical(where.h, where.v);
    return true;
}

void CFrame::mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons)
{
    // A press during a gesture (another button) belongs to that gesture.
    if (inputSuspended || activeTracker) return;
    // A text edit in progress commits before the click goes anywhere.
    if (focusView) setFocusView(nullptr);
    if (buttons == kUnknownButtons && context) buttons = getCurrentMouseButtons();
    if (modalView)
    {
        if (modalView->hitTest(where, buttons)) modalView->mouse(context, where, buttons);
        return;
    }
    const bool menuClick = (buttons & buttonRight) || ((buttons & buttonLeft) && (buttons & modControl));
    if (menuClick && frameOwner)
    {
        bool overView = false;
        for (CView* child : children)
            overView = overView || (child->getMouseEnabled() && child->hitTest(where, buttons));
        if (!overView && frameOwner->clickOnPanel(where.h, where.v)) return;
    }
    CViewContainer::mouse(context, where, buttons);
}

bool CFrame::onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis, float distance)
{
    if (inputSuspended || activeTracker) return false;
    CView* target = modalView ? modalView : getViewAt(where, false);
    if (!target) return false;
    CDrawContext* own = context ? nullptr : createWindowContext();
    const bool handled = target->onWheel(context ? context : own, where, axis, distance);
    if (own) own->release();
    return handled;
}

bool CFrame::onWheel(CDrawContext* context, const CViewPoint& where, float distance)
{
    return onWheel(context, where, kVerticalWheel, distance);
}

std::int32_t CFrame::onKeyDown(VstKeyCode& key)
{
    if (inputSuspended) return kKeyNotHandled;
    if (focusView)
    {
        const std::int32_t answer = focusView->onKeyDown(key);
        if (answer != kKeyNotHandled) return answer;
    }
    if (modalView)
    {
        const std::int32_t answer = modalView->onKeyDown(key);
        if (answer != kKeyNotHandled) return answer;
    }
    if (key.virt == kVirtualKeyTab)
        return advanceNextFocusView(focusView, (key.modifier & kKeyModifierShift) != 0) ? 1 : kKeyNotHandled;
    return kKeyNotHandled;
}

std::int32_t CFrame::onKeyUp(VstKeyCode& key)
{
    if (inputSuspended) return kKeyNotHandled;
    if (focusView)
    {
        const std::int32_t answer = focusView->onKeyUp(key);
        if (answer != kKeyNotHandled) return answer;
    }
    if (modalView)
    {
        const std::int32_t answer = modalView->onKeyUp(key);
        if (answer != kKeyNotHandled) return answer;
    }
    return kKeyNotHandled;
}

// --- Focus and modal view --------------------------------------------------------------

void CFrame::setFocusView(CView* view)
{
    CView* previous = focusView;
    focusView = view;
    if (view && view->wantsFocus()) view->setDirty(true);
    if (previous)
    {
        previous->loseFocus(nullptr);
        if (previous->wantsFocus()) previous->setDirty(true);
    }
}

CView* CFrame::getFocusView() const
{
    return focusView;
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    if (modalView) return false;
    if (!oldFocus) oldFocus = focusView;
    if (!oldFocus) return CViewContainer::advanceNextFocusView(nullptr, reverse);
    if (isChild(oldFocus))
    {
        if (CViewContainer::advanceNextFocusView(oldFocus, reverse)) return true;
        setFocusView(nullptr);
        return false;
    }
    return climbFocusFrom(oldFocus, reverse);
}

bool CFrame::climbFocusFrom(CView* oldFocus, bool reverse)
{
    // Let each enclosing container try the views after the one on the path,
    // then the frame itself from its child on that path.
    CView* child = oldFocus;
    CView* parent = oldFocus->getParentView();
    while (parent && parent != this && parent->isTypeOf("CViewContainer"))
    {
        if (static_cast<CViewContainer*>(parent)->advanceNextFocusView(child, reverse)) return true;
        child = parent;
        parent = parent->getParentView();
    }
    if (parent != this) return false;
    if (CViewContainer::advanceNextFocusView(child, reverse)) return true;
    setFocusView(nullptr);
    return false;
}

bool CFrame::setModalView(CView* view)
{
    if (view && modalView) return false;
    if (CView* old = std::exchange(modalView, nullptr)) CViewContainer::removeView(old, false);
    modalView = view;
    if (view) addView(view);
    return true;
}

CView* CFrame::getModalView() const
{
    return modalView;
}

void CFrame::removeView(CView* view, bool withRelease)
{
    // Removing the modal view by hand must not leave the frame pointing at it.
    if (view && view == modalView) modalView = nullptr;
    if (view && view == trackedView) endTracking(true);
    CViewContainer::removeView(view, withRelease);
}

CView* CFrame::getCurrentView() const
{
    if (inputSuspended) return nullptr;
    return modalView ? modalView : CViewContainer::getCurrentView();
}

// --- Gestures that outlive their press ------------------------------------------------

bool CFrame::pressesMayBlock() const
{
    return !platformLayer || platformLayer->pressesMayBlock();
}

void CFrame::beginTracking(CView* view, CPointerTracker* tracker)
{
    endTracking(true);
    if (!view || !tracker) return;
    view->retain();
    trackedView = view;
    activeTracker = tracker;
    trackingOrigin = window ? window->screenOrigin() : platform::Point{};
}

void CFrame::endTracking(bool abort)
{
    CView* view = std::exchange(trackedView, nullptr);
    CPointerTracker* tracker = std::exchange(activeTracker, nullptr);
    if (abort && tracker) tracker->abortTracking();
    if (view) view->release();
}

void CFrame::feedTracker(const platform::PointerState& state)
{
    CView* view = trackedView;
    CPointerTracker* tracker = activeTracker;
    if (!view || !tracker) return;
    // Device pixels to logical ones, as a press is: controls count travel in
    // logical pixels at every scale.
    CViewPoint where = toLogical(state.screen.x - trackingOrigin.x, state.screen.y - trackingOrigin.y);
    view->frameToLocal(where);
    view->retain(); // the control may leave the frame inside
    CDrawContext* context = createWindowContext();
    const bool goesOn = tracker->trackPointer(context, where, mouseButtonsOf(state.buttons, state.modifiers));
    if (context) context->release();
    if (!goesOn && activeTracker == tracker) endTracking(false);
    view->release();
}

// --- Editor services ------------------------------------------------------------------

CFrameOwner* CFrame::getEditor() const
{
    return frameOwner;
}

void CFrame::doIdleStuff()
{
    if (frameOwner) frameOwner->doIdleStuff();
}

std::uint32_t CFrame::getTicks() const
{
    return frameOwner && platformLayer ? platformLayer->ticks() : 0;
}

std::int32_t CFrame::getKnobMode() const
{
    return frameOwner ? frameOwner->getKnobMode() : 0;
}

void CFrame::beginEdit(std::int32_t tag)
{
    if (frameOwner) frameOwner->beginEdit(tag);
}

void CFrame::endEdit(std::int32_t tag)
{
    if (frameOwner) frameOwner->endEdit(tag);
}

// --- Window state ----------------------------------------------------------------------

bool CFrame::open()
{
    return false;
}
bool CFrame::close()
{
    return false;
}
bool CFrame::isOpen() const
{
    return openState;
}
void CFrame::setOpenFlag(bool openFlag)
{
    openState = openFlag;
}
bool CFrame::getOpenFlag() const
{
    return openState;
}

bool CFrame::isTypeOf(const char* name) const
{
    return name && (std::strcmp(name, "CFrame") == 0 || CViewContainer::isTypeOf(name));
}

void CFrame::setCursor(std::int32_t type)
{
    if (!window) return;
    if (!defaultCursor) defaultCursor = window->cursor();
    window->setCursor(cursorFor(type).value_or(*defaultCursor));
}

bool CFrame::setDropActive(bool active)
{
    if (!active && !dropActive) return true;
    if (!window) return false;
    withdrawDropTarget();
    if (active)
    {
        auto* target = new CDropTarget(this);
        target->addRef(); // the window's reference
        if (!window->setDropTarget(target))
        {
            // Not registered is not drop-active: the flag tells the truth.
            target->forgetFrame();
            target->release();
            return false;
        }
        dropTarget = target;
    }
    dropActive = active;
    return true;
}

void CFrame::withdrawDropTarget()
{
    if (!dropTarget) return;
    CDropTarget* target = dropTarget;
    dropTarget = nullptr;
    dropActive = false;
    if (window) window->setDropTarget(nullptr);
    target->forgetFrame();
    target->release();
}

bool CFrame::isDropActive() const
{
    return dropActive;
}

bool CFrame::wantsDrop(const CDragContainer& drag) const
{
    // Nothing is taken behind a modal view.
    return frameOwner && !modalView && frameOwner->wantsDrop(drag);
}

bool CFrame::onDrop(CDrawContext* context, CDragContainer* drag, const CViewPoint& where)
{
    if (CViewContainer::onDrop(context, drag, where)) return true;
    return drag && wantsDrop(*drag) && frameOwner->takeDrop(*drag);
}

// --- Size and position ------------------------------------------------------------------

void CFrame::setViewSize(const CViewRect& rect)
{
    setSize(rect.width(), rect.height());
}

bool CFrame::setPosition(std::int32_t, std::int32_t)
{
    return false;
}

bool CFrame::getPosition(std::int32_t& x, std::int32_t& y) const
{
    if (!openState || !window || !platformLayer) return false;
    platform::NativeHandle current = window->handle();
    for (;;)
    {
        const platform::NativeHandle parent = platformLayer->parentOf(current);
        if (!parent || platformLayer->hasCaption(current)) break;
        const auto own = platformLayer->windowRect(current);
        const auto outer = platformLayer->windowRect(parent);
        if (!own || !outer || std::abs(outer->width() - own->width()) > kPositionSlack ||
            std::abs(outer->height() - own->height()) > kPositionSlack)
            break;
        current = parent;
    }
    const auto reached = platformLayer->windowRect(current);
    const platform::NativeHandle parent = platformLayer->parentOf(current);
    const auto outer = parent ? platformLayer->windowRect(parent) : std::nullopt;
    if (!reached) return false;
    x = reached->left - (outer ? outer->left : 0);
    y = reached->top - (outer ? outer->top : 0);
    return true;
}

bool CFrame::getSize(CViewRect& rect) const
{
    if (!openState || !window || !platformLayer) return false;
    const platform::NativeHandle parent = platformLayer->parentOf(window->handle());
    const auto outer = parent ? platformLayer->windowRect(parent) : std::nullopt;
    if (!outer) return false;
    const platform::NativeHandle grandParent = platformLayer->parentOf(platformLayer->parentOf(parent));
    const auto reference = grandParent ? platformLayer->windowRect(grandParent) : std::nullopt;
    const std::int32_t dx = reference ? reference->left : 0;
    const std::int32_t dy = reference ? reference->top : 0;
    rect = CViewRect{outer->left - dx, outer->top - dy, outer->right - dx, outer->bottom - dy};
    return true;
}

bool CFrame::setSize(std::int32_t width, std::int32_t height)
{
    if (!openState || (width == size.width() && height == size.height())) return false;
    if (resizeThroughHost(width, height)) return true;
    if (!resizeWindowChain(width, height)) return true;
    adoptSize(width, height);
    return true;
}

bool CFrame::resizeThroughHost(std::int32_t width, std::int32_t height)
{
    if (!frameOwner || !frameOwner->canHostSizeWindow() ||
        !frameOwner->sizeWindow(width * scale, height * scale))
        return false;
    size.right = size.left + width;
    size.bottom = size.top + height;
    if (window) window->setSize({width * scale, height * scale});
    adoptOffscreenOnly();
    return true;
}

// Grows the host's windows around ours by the decoration they already have.
// False when the decoration looked implausible and the climb stopped early.
bool CFrame::resizeWindowChain(std::int32_t width, std::int32_t height)
{
    size.right = size.left + width;
    size.bottom = size.top + height;
    if (!window || !platformLayer) return true;
    const std::int32_t frameThickness = 2 * platformLayer->dialogFrameHeight();
    platform::NativeHandle current = window->handle();
    std::int32_t extraWidth = 0;
    std::int32_t extraHeight = 0;
    while (frameThickness != 0)
    {
        const platform::NativeHandle parent = platformLayer->parentOf(current);
        if (!parent || platformLayer->windowClassName(parent) == "MDIClient") break;
        const auto inner = platformLayer->windowRect(current);
        const auto outer = platformLayer->windowRect(parent);
        resizeNative(current, {width * scale + extraWidth, height * scale + extraHeight});
        if (inner && outer)
        {
            extraWidth += outer->width() - inner->width();
            extraHeight += outer->height() - inner->height();
        }
        if (extraWidth > kDecorationSlack || extraHeight > kDecorationSlack)
        {
            adoptOffscreenOnly();
            return false;
        }
        extraWidth = std::max(extraWidth, 0);
        extraHeight = std::max(extraHeight, 0);
        current = parent;
        if (extraWidth == frameThickness) break;
    }
    resizeNative(current, {width * scale + extraWidth, height * scale + extraHeight});
    return true;
}

void CFrame::resizeNative(platform::NativeHandle handle, platform::Size newSize)
{
    if (window && handle == window->handle())
        window->setSize(newSize);
    else if (platformLayer)
        platformLayer->resizeWindow(handle, newSize);
}

void CFrame::setScale(std::int32_t newScale)
{
    newScale = std::clamp(newScale, 1, 2);
    if (newScale == scale) return;
    scale = newScale;
    if (window) window->setSize({size.width() * scale, size.height() * scale});
    adoptOffscreenOnly();
    invalidate(size);
    drawRect(nullptr, size);
}

void CFrame::adoptSize(std::int32_t width, std::int32_t height)
{
    size = CViewRect{0, 0, width, height};
    adoptOffscreenOnly();
}

// The offscreen must always match the frame, whichever way the size changed.
void CFrame::adoptOffscreenOnly()
{
    setDirty(true);
    if (offscreenContext)
    {
        releaseOffscreen();
        createOffscreenIfNeeded();
    }
}

// --- Native events ------------------------------------------------------------------------

void CFrame::handleExpose(const platform::ExposeEvent& event)
{
    if (event.area.empty()) return;
    CDrawContext* context = createWindowContext();
    if (!context) return;
    // Every logical pixel the exposed device area touches.
    const CViewPoint topLeft = toLogical(event.area.left, event.area.top);
    const CViewPoint bottomRight = toLogical(event.area.right + scale - 1, event.area.bottom + scale - 1);
    drawRect(context, CViewRect{topLeft.h, topLeft.v, bottomRight.h, bottomRight.v});
    context->release();
}

void CFrame::handleButtonPress(const platform::ButtonEvent& event)
{
    // Presses reach us from the editor's idle, so a quick click or a touchpad
    // tap may already be over: then the press's own state stands for "now",
    // or the views would read no button and drop the click.
    std::int32_t buttons = kUnknownButtons;
    if (platformLayer && !(platformLayer->pointerState().buttons & event.button))
        buttons = mouseButtonsOf(event.button, event.modifiers);
    CDrawContext* context = createWindowContext();
    mouse(context, toLogical(event.where.x, event.where.y), buttons);
    if (context) context->release();
}

bool CFrame::handleWheel(const platform::WheelEvent& event)
{
    CDrawContext* context = createWindowContext();
    const CViewPoint where = toLogical(event.where.x, event.where.y);
    const bool used = event.horizontal ? onWheel(context, where, kHorizontalWheel, event.distance)
                                       : onWheel(context, where, event.distance);
    if (context) context->release();
    return used;
}

void CFrame::handlePointer(const platform::PointerState& state)
{
    feedTracker(state);
}

void CFrame::handleDestroyed()
{
    openState = false;
    hostWindow = nullptr;
}

} // namespace gui
