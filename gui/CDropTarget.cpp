#include "gui/CDropTarget.h"

#include "gui/CDragContainer.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"

namespace gui
{

namespace
{

// The process-wide current drag and the target that started it. Holding the
// owner lets an enter on another frame (whose leave never came) end the stale
// drag properly instead of leaking it.
struct CurrentDrag
{
    CDragContainer* drag = nullptr;
    CDropTarget* owner = nullptr;
};
CurrentDrag current;

void releaseCurrentDrag()
{
    CDragContainer* drag = current.drag;
    current = CurrentDrag{};
    if (drag) drag->release();
}

} // namespace

CDropTarget::CDropTarget(CFrame* frame) : pFrame(frame) {}

CDropTarget::~CDropTarget()
{
    if (ownsCurrentDrag()) releaseCurrentDrag();
}

std::int32_t CDropTarget::addRef()
{
    return ++refCount;
}

std::int32_t CDropTarget::release()
{
    if (--refCount > 0) return refCount;
    delete this;
    return 0;
}

void CDropTarget::forgetFrame()
{
    pFrame = nullptr;
    if (ownsCurrentDrag()) releaseCurrentDrag();
}

CDragContainer* CDropTarget::getCurrentDrag()
{
    return current.drag;
}

bool CDropTarget::ownsCurrentDrag() const
{
    return current.drag && current.owner == this;
}

template <typename Step> bool CDropTarget::route(Step&& step)
{
    // A view may close the frame or withdraw the target from inside the call.
    addRef();
    CDrawContext* context = new CDrawContext(pFrame, nullptr, pFrame->getOwnWindow());
    CViewPoint where;
    pFrame->getMouseLocation(context, where);
    step(context, where);
    context->release();
    const bool wanted = frameWantsCurrentDrag(); // asked while this target surely lives
    release();
    return wanted;
}

bool CDropTarget::frameWantsCurrentDrag() const
{
    return pFrame && ownsCurrentDrag() && pFrame->wantsDrop(*current.drag);
}

bool CDropTarget::onDragEnter(const platform::DragData& data, platform::Point)
{
    if (!pFrame) return false;
    if (current.drag && current.owner != this) current.owner->onDragLeave(data);
    releaseCurrentDrag();
    current = CurrentDrag{new CDragContainer(data), this};
    CDragContainer* drag = current.drag;
    return route([&](CDrawContext* context, const CViewPoint& where)
                 { pFrame->onDragEnter(context, drag, where); });
}

bool CDropTarget::onDragMove(const platform::DragData&, platform::Point)
{
    if (!pFrame || !ownsCurrentDrag()) return false;
    CDragContainer* drag = current.drag;
    return route([&](CDrawContext* context, const CViewPoint& where)
                 { pFrame->onDragMove(context, drag, where); });
}

void CDropTarget::onDragLeave(const platform::DragData&)
{
    if (!pFrame || !ownsCurrentDrag()) return;
    CDragContainer* drag = current.drag;
    drag->retain(); // the views may end the drag (and the frame) from inside
    route(
        [&](CDrawContext* context, const CViewPoint& where)
        {
            if (pFrame) pFrame->onDragLeave(context, drag, where);
        });
    if (current.drag == drag) releaseCurrentDrag();
    drag->release();
}

bool CDropTarget::onDrop(const platform::DragData&, platform::Point)
{
    if (!pFrame || !ownsCurrentDrag()) return false;
    CDragContainer* drag = current.drag;
    drag->retain();
    bool accepted = false;
    route(
        [&](CDrawContext* context, const CViewPoint& where)
        {
            if (pFrame) accepted = pFrame->onDrop(context, drag, where);
        });
    if (current.drag == drag) releaseCurrentDrag();
    drag->release();
    return accepted;
}

} // namespace gui
