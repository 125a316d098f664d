#include "gui/CViewContainer.h"

#include <algorithm>
#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"

namespace gui
{

namespace
{

// Moves a context's drawing offset by `d` for the length of a scope. The
// screen origin stays: pointer queries climb the parents themselves.
class OffsetShift
{
  public:
    OffsetShift(CDrawContext* target, const CViewPoint& d) : context(target)
    {
        if (!context) return;
        savedOffset = context->offset;
        context->offset.offset(d.h, d.v);
    }
    ~OffsetShift()
    {
        if (!context) return;
        context->offset = savedOffset;
    }
    OffsetShift(const OffsetShift&) = delete;
    OffsetShift& operator=(const OffsetShift&) = delete;

  private:
    CDrawContext* context;
    CViewPoint savedOffset;
};

CViewRect localBounds(const CViewRect& size)
{
    return CViewRect{0, 0, size.width(), size.height()};
}

// `area` holds all of `view` that the container (of `size`) can show.
bool coversVisiblePart(const CViewRect& area, CViewRect view, const CViewRect& size)
{
    view.bound(localBounds(size));
    return area.left <= view.left && area.top <= view.top && view.right <= area.right &&
           view.bottom <= area.bottom;
}

// `view` is `ancestor` or lies somewhere inside it.
bool isWithin(const CView* view, const CView* ancestor)
{
    for (; view; view = view->getParentView())
    {
        if (view == ancestor) return true;
    }
    return false;
}

} // namespace

CViewContainer::CViewContainer(const CViewRect& rect, CFrame* frame, CBitmap* background) : CView(rect)
{
    parentFrame = frame;
    setBackground(background);
    setDirty(true);
}

CViewContainer::~CViewContainer()
{
    releaseAllChildren();
    releaseOffscreen();
}

void CViewContainer::releaseAllChildren()
{
    // The handed-over reference and the container's own one.
    currentDragView = nullptr;
    std::vector<CView*> remaining;
    remaining.swap(children);
    for (CView* view : remaining)
    {
        view->removed(this);
        view->release();
        view->release();
    }
}

// --- Children -----------------------------------------------------------------

void CViewContainer::addView(CView* view, const CViewRect& area, bool mouseEnabled)
{
    if (!view) return;
    view->setMouseEnabled(mouseEnabled);
    view->setMouseableArea(area);
    addView(view);
}

void CViewContainer::addView(CView* view)
{
    if (!view) return;
    children.push_back(view);
    view->retain();
    view->setFrame(parentFrame);
    view->setParentView(this);
    view->attached(this);
    view->setDirty(true);
}

bool CViewContainer::unlinkView(CView* view)
{
    const auto it = std::find(children.begin(), children.end(), view);
    if (it == children.end()) return false;
    view->removed(this);
    children.erase(std::find(children.begin(), children.end(), view));
    if (currentDragView == view) currentDragView = nullptr;
    return true;
}

void CViewContainer::removeView(CView* view, bool withRelease)
{
    if (!view || !isChild(view)) return;
    // The focus may sit deeper inside a removed container; a focus pointer
    // into a detached subtree would outlive its view.
    if (parentFrame && isWithin(parentFrame->getFocusView(), view)) parentFrame->setFocusView(nullptr);
    // The view may die in the releases below; keep it alive until unlinked.
    unlinkView(view);
    if (withRelease) view->release();
    view->release();
}

void CViewContainer::removeAll(bool withRelease)
{
    while (!children.empty())
        removeView(children.front(), withRelease);
}

bool CViewContainer::isChild(CView* view) const
{
    return view && std::find(children.begin(), children.end(), view) != children.end();
}

std::int32_t CViewContainer::getViewCount() const
{
    return static_cast<std::int32_t>(children.size());
}

CView* CViewContainer::getView(std::int32_t index) const
{
    if (index < 0 || index >= getViewCount()) return nullptr;
    return children[static_cast<std::size_t>(index)];
}

bool CViewContainer::childIsContainer(CView* child) const
{
    return child->notify(const_cast<CViewContainer*>(this), kMsgCheckIfViewContainer) == 1;
}

// --- Appearance -----------------------------------------------------------------

void CViewContainer::setBackgroundColor(const CViewColor& color)
{
    backgroundColor = color;
    setDirty(true);
}

CViewColor CViewContainer::getBackgroundColor() const
{
    return backgroundColor;
}
void CViewContainer::setBackgroundOffset(const CViewPoint& offset)
{
    backgroundOffset = offset;
}
const CViewPoint& CViewContainer::getBackgroundOffset() const
{
    return backgroundOffset;
}
void CViewContainer::setMode(std::int32_t newMode)
{
    mode = newMode;
}
std::int32_t CViewContainer::getMode() const
{
    return mode;
}

void CViewContainer::useOffscreen(bool offscreen)
{
    drawInOffscreen = offscreen;
    if (!offscreen) releaseOffscreen();
}

void CViewContainer::createOffscreenIfNeeded()
{
    if (drawInOffscreen && !offscreenContext)
        offscreenContext = new COffscreenContext(parentFrame, size.width(), size.height(), kBlackCColor);
}

void CViewContainer::releaseOffscreen()
{
    if (offscreenContext) offscreenContext->release();
    offscreenContext = nullptr;
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CViewRect& rect)
{
    if (!context) return;
    if (!backgroundBitmap)
    {
        if (!transparencyEnabled)
        {
            context->setFillColor(backgroundColor);
            context->fillRect(rect);
        }
        return;
    }
    CViewRect oldClip;
    context->getClipRect(oldClip);
    CViewRect newClip = rect;
    newClip.bound(oldClip);
    const bool clipChanged = !(newClip == oldClip);
    if (clipChanged) context->setClipRect(newClip);
    const CViewRect whole{0, 0, backgroundBitmap->getWidth(), backgroundBitmap->getHeight()};
    if (transparencyEnabled)
        backgroundBitmap->drawTransparent(context, whole, backgroundOffset);
    else
        backgroundBitmap->draw(context, whole, backgroundOffset);
    if (clipChanged) context->setClipRect(oldClip);
}

// --- Drawing ----------------------------------------------------------------------

CDrawContext* CViewContainer::beginTarget(CDrawContext* context, CViewPoint& savedOffset)
{
    createOffscreenIfNeeded();
    if (drawInOffscreen && offscreenContext) return offscreenContext;
    savedOffset = context->offset;
    context->offset.offset(size.left, size.top);
    return context;
}

void CViewContainer::restoreTarget(CDrawContext* context, const CViewPoint& savedOffset)
{
    if (!(drawInOffscreen && offscreenContext)) context->offset = savedOffset;
}

void CViewContainer::draw(CDrawContext* context)
{
    if (!context) return;
    CViewPoint saved;
    CDrawContext* target = beginTarget(context, saved);
    const CViewRect local = localBounds(size);
    if (backgroundBitmap)
    {
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(target, local, backgroundOffset);
        else
            backgroundBitmap->draw(target, local, backgroundOffset);
    }
    else if (!transparencyEnabled)
    {
        target->setFillColor(backgroundColor);
        target->fillRect(local);
    }
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->draw(target);
    if (target == offscreenContext)
        offscreenContext->copyFrom(context, size, CViewPoint{});
    else
        restoreTarget(context, saved);
    setDirty(false);
}

void CViewContainer::drawRect(CDrawContext* context, const CViewRect& updateRect)
{
    if (!context) return;
    CViewPoint saved;
    CDrawContext* target = beginTarget(context, saved);
    CViewRect clipped = updateRect;
    clipped.bound(size);
    const CViewRect local = clipped.offsetBy(-size.left, -size.top);
    drawBackgroundRect(target, local);
    const bool scrolls = isTypeOf("CScrollContainer");
    for (std::size_t i = 0; i < children.size(); ++i)
    {
        CView* child = children[i];
        if (!child->checkUpdate(local)) continue;
        const CViewRect before = child->getViewSize();
        const bool wasDirty = child->isDirty();
        child->drawRect(target, local);
        // A view that moved while drawing still owes a paint at its new place.
        if (wasDirty && !(child->getViewSize() == before) && !scrolls) child->setDirty(true);
        // Only the update area reaches the screen: a dirty view it covers in
        // part still owes the rest.
        if (wasDirty && !coversVisiblePart(local, before, size)) child->setDirty(true);
    }
    if (target == offscreenContext)
        offscreenContext->copyFrom(context, clipped, local.topLeft());
    else
        restoreTarget(context, saved);
    setDirty(false);
}

bool CViewContainer::isDirty() const
{
    if (markedDirty) return true;
    const CViewRect bounds = localBounds(size);
    for (CView* child : children)
    {
        if (!child->isDirty()) continue;
        CViewRect visible = child->getViewSize();
        visible.bound(bounds);
        if (visible.width() > 0 && visible.height() > 0) return true;
    }
    return false;
}

void CViewContainer::update(CDrawContext* context)
{
    switch (mode)
    {
    case updateAll:
        if (isDirty())
        {
            draw(context);
            setDirty(false);
        }
        return;
    case updateOnlyDirty:
        break;
    default:
        return;
    }
    if (markedDirty)
    {
        draw(context);
    }
    else if (drawInOffscreen && offscreenContext)
    {
        const bool wasDirty = isDirty();
        for (std::size_t i = 0; i < children.size(); ++i)
            children[i]->update(offscreenContext);
        if (wasDirty && context) offscreenContext->copyFrom(context, size, CViewPoint{});
    }
    else if (context)
    {
        OffsetShift shift(context, size.topLeft());
        for (std::size_t i = 0; i < children.size(); ++i)
        {
            CView* child = children[i];
            if (!child->isDirty()) continue;
            auto* container = childIsContainer(child) ? static_cast<CViewContainer*>(child) : nullptr;
            const std::int32_t childMode = container ? container->getMode() : 0;
            if (container) container->setMode(updateAll);
            drawBackgroundRect(context, child->getViewSize());
            child->update(context);
            if (container) container->setMode(childMode);
        }
    }
    setDirty(false);
}

void CViewContainer::redrawRect(CDrawContext* context, const CViewRect& rect)
{
    const CViewRect shifted = rect.offsetBy(size.left, size.top);
    if (transparencyEnabled)
    {
        if (parentView)
            parentView->redrawRect(context, shifted);
        else if (parentFrame)
            parentFrame->drawRect(context, shifted);
        return;
    }
    if (!context) return;
    CViewPoint origin;
    if (parentView) parentView->localToFrame(origin);
    OffsetShift shift(context, origin);
    drawRect(context, shifted);
}

// --- Geometry ---------------------------------------------------------------------

void CViewContainer::setViewSize(const CViewRect& rect)
{
    CView::setViewSize(rect);
    if (offscreenContext && drawInOffscreen)
    {
        releaseOffscreen();
        createOffscreenIfNeeded();
    }
}

bool CViewContainer::removed(CView*)
{
    releaseOffscreen();
    return true;
}

bool CViewContainer::attached(CView*)
{
    createOffscreenIfNeeded();
    return true;
}

CViewPoint& CViewContainer::frameToLocal(CViewPoint& point) const
{
    point.offset(-size.left, -size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CViewPoint& CViewContainer::localToFrame(CViewPoint& point) const
{
    point.offset(size.left, size.top);
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

std::int32_t CViewContainer::notify(CView*, const char* message)
{
    return message == kMsgCheckIfViewContainer ? 1 : 0;
}

bool CViewContainer::isTypeOf(const char* name) const
{
    return name && (std::strcmp(name, "CViewContainer") == 0 || CView::isTypeOf(name));
}

// --- Events ------------------------------------------------------------------------

void CViewContainer::mouse(CDrawContext* context, CViewPoint where, std::int32_t buttons)
{
    where.offset(-size.left, -size.top);
    if (buttons == kUnknownButtons && context) buttons = readMouseButtons(context);
    for (std::size_t i = children.size(); i-- > 0;)
    {
        CView* child = children[i];
        if (child->getMouseEnabled() && child->hitTest(where, buttons))
        {
            child->mouse(context, where, buttons);
            return;
        }
    }
}

CView* CViewContainer::getCurrentView() const
{
    if (!parentFrame) return nullptr;
    CViewPoint where;
    parentFrame->getCurrentLocation(where);
    frameToLocal(where);
    for (std::size_t i = children.size(); i-- > 0;)
    {
        if (children[i]->getMouseableArea().pointInside(where)) return children[i];
    }
    return nullptr;
}

CView* CViewContainer::getViewAt(const CViewPoint& where, bool deep) const
{
    if (!parentFrame) return nullptr;
    const CViewPoint local = CViewPoint{where}.offset(-size.left, -size.top);
    for (std::size_t i = children.size(); i-- > 0;)
    {
        CView* child = children[i];
        if (!child->getMouseableArea().pointInside(local)) continue;
        if (deep && child->isTypeOf("CViewContainer"))
            return static_cast<CViewContainer*>(child)->getViewAt(local, deep);
        return child;
    }
    return nullptr;
}

bool CViewContainer::onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t axis,
                             float distance)
{
    CView* view = getViewAt(where, false);
    if (!view) return false;
    const CViewPoint local = CViewPoint{where}.offset(-size.left, -size.top);
    OffsetShift shift(context, size.topLeft());
    return view->onWheel(context, local, axis, distance);
}

bool CViewContainer::onWheel(CDrawContext* context, const CViewPoint& where, float distance)
{
    return onWheel(context, where, kVerticalWheel, distance);
}

std::int32_t CViewContainer::onKeyDown(VstKeyCode& key)
{
    for (std::size_t i = children.size(); i-- > 0;)
    {
        if (children[i]->onKeyDown(key) != kKeyNotHandled) break;
    }
    return kKeyNotHandled;
}

std::int32_t CViewContainer::onKeyUp(VstKeyCode& key)
{
    for (std::size_t i = children.size(); i-- > 0;)
    {
        if (children[i]->onKeyUp(key) != kKeyNotHandled) break;
    }
    return kKeyNotHandled;
}

void CViewContainer::loseFocus(CDrawContext* context)
{
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->loseFocus(context);
}

void CViewContainer::takeFocus(CDrawContext* context)
{
    for (std::size_t i = 0; i < children.size(); ++i)
        children[i]->takeFocus(context);
}

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    const std::int32_t count = getViewCount();
    bool skipping = oldFocus != nullptr;
    for (std::int32_t k = 0; k < count; ++k)
    {
        CView* child = children[static_cast<std::size_t>(reverse ? count - 1 - k : k)];
        if (skipping)
        {
            skipping = child != oldFocus;
            continue;
        }
        if (child->wantsFocus())
        {
            if (parentFrame) parentFrame->setFocusView(child);
            return true;
        }
        if (child->isTypeOf("CViewContainer") &&
            static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, reverse))
            return true;
    }
    return false;
}

// --- Drag routing -------------------------------------------------------------------

void CViewContainer::onDragEnter(CDrawContext* context, CDragContainer* drag, const CViewPoint& where)
{
    if (!parentFrame) return;
    const CViewPoint local = CViewPoint{where}.offset(-size.left, -size.top);
    OffsetShift shift(context, size.topLeft());
    if (currentDragView) currentDragView->onDragLeave(context, drag, local);
    currentDragView = getViewAt(where, false);
    if (currentDragView) currentDragView->onDragEnter(context, drag, local);
}

void CViewContainer::onDragMove(CDrawContext* context, CDragContainer* drag, const CViewPoint& where)
{
    if (!parentFrame) return;
    const CViewPoint local = CViewPoint{where}.offset(-size.left, -size.top);
    OffsetShift shift(context, size.topLeft());
    CView* view = getViewAt(where, false);
    if (view != currentDragView)
    {
        if (currentDragView) currentDragView->onDragLeave(context, drag, local);
        if (view) view->onDragEnter(context, drag, local);
        currentDragView = view;
    }
    else if (currentDragView)
    {
        currentDragView->onDragMove(context, drag, local);
    }
}

void CViewContainer::onDragLeave(CDrawContext* context, CDragContainer* drag, const CViewPoint& where)
{
    if (!parentFrame) return;
    const CViewPoint local = CViewPoint{where}.offset(-size.left, -size.top);
    OffsetShift shift(context, size.topLeft());
    if (currentDragView) currentDragView->onDragLeave(context, drag, local);
    currentDragView = nullptr;
}

bool CViewContainer::onDrop(CDrawContext* context, CDragContainer* drag, const CViewPoint& where)
{
    if (!parentFrame) return false;
    const CViewPoint local = CViewPoint{where}.offset(-size.left, -size.top);
    OffsetShift shift(context, size.topLeft());
    CView* view = getViewAt(where, false);
    if (view != currentDragView)
    {
        if (currentDragView) currentDragView->onDragLeave(context, drag, local);
        currentDragView = view;
    }
    if (!currentDragView) return false;
    const bool accepted = currentDragView->onDrop(context, drag, local);
    currentDragView->onDragLeave(context, drag, local);
    currentDragView = nullptr;
    return accepted;
}

} // namespace gui
