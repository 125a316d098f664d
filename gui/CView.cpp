#include "gui/CView.h"

#include <cstring>

#include "gui/CBitmap.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace gui
{

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";
const char* const kMsgLooseFocus = "LooseFocus";

CView::CView(const CViewRect& rect) : size(rect), mouseableArea(rect) {}

CView::~CView()
{
    if (backgroundBitmap) backgroundBitmap->release();
}

void CView::draw(CDrawContext* context)
{
    if (backgroundBitmap && context)
    {
        if (transparencyEnabled)
            backgroundBitmap->drawTransparent(context, size, CViewPoint{});
        else
            backgroundBitmap->draw(context, size, CViewPoint{});
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CViewRect&)
{
    draw(context);
}

bool CView::checkUpdate(const CViewRect& updateRect)
{
    return updateRect.rectOverlap(size);
}

void CView::mouse(CDrawContext*, CViewPoint, std::int32_t) {}

void CView::setBackground(CBitmap* background)
{
    // Retain first: the new bitmap may be the one already held.
    if (background) background->retain();
    if (backgroundBitmap) backgroundBitmap->release();
    backgroundBitmap = background;
    setDirty(true);
}

CBitmap* CView::getBackground() const
{
    return backgroundBitmap;
}

std::int32_t CView::onKeyDown(VstKeyCode&)
{
    return kKeyNotHandled;
}
std::int32_t CView::onKeyUp(VstKeyCode&)
{
    return kKeyNotHandled;
}

bool CView::onWheel(CDrawContext* context, const CViewPoint& where, std::int32_t, float distance)
{
    return onWheel(context, where, distance);
}

bool CView::onWheel(CDrawContext*, const CViewPoint&, float)
{
    return false;
}

bool CView::onDrop(CDrawContext*, CDragContainer*, const CViewPoint&)
{
    return false;
}
void CView::onDragEnter(CDrawContext*, CDragContainer*, const CViewPoint&) {}
void CView::onDragLeave(CDrawContext*, CDragContainer*, const CViewPoint&) {}
void CView::onDragMove(CDrawContext*, CDragContainer*, const CViewPoint&) {}

void CView::loseFocus(CDrawContext*) {}
void CView::takeFocus(CDrawContext*) {}

bool CView::isDirty() const
{
    return markedDirty;
}
void CView::setDirty(bool dirty)
{
    markedDirty = dirty;
}

void CView::setMouseEnabled(bool enabled)
{
    takesMouse = enabled;
}
bool CView::getMouseEnabled() const
{
    return takesMouse;
}
void CView::setMouseableArea(const CViewRect& rect)
{
    mouseableArea = rect;
}
void CView::getMouseableArea(CViewRect& rect) const
{
    rect = mouseableArea;
}

bool CView::hitTest(const CViewPoint& where, std::int32_t)
{
    return mouseableArea.pointInside(where);
}

void CView::setTransparency(bool transparent)
{
    transparencyEnabled = transparent;
}
bool CView::getTransparency() const
{
    return transparencyEnabled;
}

void CView::setViewSize(const CViewRect& rect)
{
    size = rect;
    setDirty(true);
}

void CView::getViewSize(CViewRect& rect) const
{
    rect = size;
}

bool CView::removed(CView*)
{
    return true;
}
bool CView::attached(CView*)
{
    return true;
}

void CView::getMouseLocation(CDrawContext* context, CViewPoint& point)
{
    if (!context) return;
    if (parentView && parentView->notify(this, kMsgCheckIfViewContainer) == 1)
    {
        // Ask the parent in its own coordinates, with the context moved to match.
        const CViewPoint origin = parentView->getViewSize().topLeft();
        const CViewPoint savedOffset = context->offset;
        const CViewPoint savedScreen = context->offsetScreen;
        context->offset.offset(origin.h, origin.v);
        context->offsetScreen.offset(origin.h, origin.v);
        parentView->getMouseLocation(context, point);
        context->offset = savedOffset;
        context->offsetScreen = savedScreen;
        return;
    }
    const CFrame* frame = context->getFrame() ? context->getFrame() : parentFrame;
    const CViewPoint screen = frame ? frame->getScreenPointer() : CViewPoint{};
    const CViewPoint window = context->getWindowOrigin();
    const CViewPoint inWindow = frame ? frame->toLogical(screen.h - window.h, screen.v - window.v)
                                      : CViewPoint{screen.h - window.h, screen.v - window.v};
    const CViewPoint origin = context->offsetScreen;
    point = CViewPoint{inWindow.h - (origin.h - window.h), inWindow.v - (origin.v - window.v)};
}

CViewPoint& CView::frameToLocal(CViewPoint& point) const
{
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->frameToLocal(point);
    return point;
}

CViewPoint& CView::localToFrame(CViewPoint& point) const
{
    if (parentView && parentView->isTypeOf("CViewContainer")) return parentView->localToFrame(point);
    return point;
}

CFrameOwner* CView::getEditor() const
{
    return parentFrame ? parentFrame->getEditor() : nullptr;
}

std::int32_t CView::notify(CView*, const char*)
{
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CViewRect& rect)
{
    if (parentView)
        parentView->redrawRect(context, rect);
    else if (parentFrame)
        parentFrame->drawRect(context, rect);
}

std::int32_t CView::readMouseButtons(CDrawContext* context) const
{
    const CFrame* frame = context && context->getFrame() ? context->getFrame() : parentFrame;
    return frame ? frame->getCurrentMouseButtons() : 0;
}

bool CView::wantsFocus() const
{
    return focusWanted;
}
void CView::setWantsFocus(bool wants)
{
    focusWanted = wants;
}

bool CView::isTypeOf(const char* name) const
{
    return name && std::strcmp(name, "CView") == 0;
}

void CView::update(CDrawContext* context)
{
    if (!isDirty()) return;
    if (context)
        draw(context);
    else if (parentFrame)
        parentFrame->drawView(this);
    setDirty(false);
}

} // namespace gui
