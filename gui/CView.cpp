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
    if (pBackground) pBackground->release();
}

void CView::draw(CDrawContext* context)
{
    if (pBackground && context)
    {
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size, CViewPoint{});
        else
            pBackground->draw(context, size, CViewPoint{});
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
    if (pBackground) pBackground->release();
    pBackground = background;
    setDirty(true);
}

CBitmap* CView::getBackground() const
{
    return pBackground;
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
    return bDirty;
}
void CView::setDirty(bool dirty)
{
    bDirty = dirty;
}

void CView::setMouseEnabled(bool enabled)
{
    bMouseEnabled = enabled;
}
bool CView::getMouseEnabled() const
{
    return bMouseEnabled;
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
    bTransparencyEnabled = transparent;
}
bool CView::getTransparency() const
{
    return bTransparencyEnabled;
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
    if (pParentView && pParentView->notify(this, kMsgCheckIfViewContainer) == 1)
    {
        // Ask the parent in its own coordinates, with the context moved to match.
        const CViewPoint origin = pParentView->getViewSize().topLeft();
        const CViewPoint savedOffset = context->offset;
        const CViewPoint savedScreen = context->offsetScreen;
        context->offset.offset(origin.h, origin.v);
        context->offsetScreen.offset(origin.h, origin.v);
        pParentView->getMouseLocation(context, point);
        context->offset = savedOffset;
        context->offsetScreen = savedScreen;
        return;
    }
    const CFrame* frame = context->getFrame() ? context->getFrame() : pParentFrame;
    const CViewPoint screen = frame ? frame->getScreenPointer() : CViewPoint{};
    const CViewPoint window = context->getWindowOrigin();
    const CViewPoint inWindow = frame ? frame->toLogical(screen.h - window.h, screen.v - window.v)
                                      : CViewPoint{screen.h - window.h, screen.v - window.v};
    const CViewPoint origin = context->offsetScreen;
    point = CViewPoint{inWindow.h - (origin.h - window.h), inWindow.v - (origin.v - window.v)};
}

CViewPoint& CView::frameToLocal(CViewPoint& point) const
{
    if (pParentView && pParentView->isTypeOf("CViewContainer")) return pParentView->frameToLocal(point);
    return point;
}

CViewPoint& CView::localToFrame(CViewPoint& point) const
{
    if (pParentView && pParentView->isTypeOf("CViewContainer")) return pParentView->localToFrame(point);
    return point;
}

CFrameOwner* CView::getEditor() const
{
    return pParentFrame ? pParentFrame->getEditor() : nullptr;
}

std::int32_t CView::notify(CView*, const char*)
{
    return 0;
}

void CView::redrawRect(CDrawContext* context, const CViewRect& rect)
{
    if (pParentView)
        pParentView->redrawRect(context, rect);
    else if (pParentFrame)
        pParentFrame->drawRect(context, rect);
}

std::int32_t CView::readMouseButtons(CDrawContext* context) const
{
    const CFrame* frame = context && context->getFrame() ? context->getFrame() : pParentFrame;
    return frame ? frame->getCurrentMouseButtons() : 0;
}

bool CView::wantsFocus() const
{
    return bWantsFocus;
}
void CView::setWantsFocus(bool wants)
{
    bWantsFocus = wants;
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
    else if (pParentFrame)
        pParentFrame->drawView(this);
    setDirty(false);
}

} // namespace gui
