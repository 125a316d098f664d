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

CDropTarget::CDropTarget(CFrame* frame) : ownerFrame(frame) {}

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
    ownerFrame = nullptr;
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
    CDrawContext* context = new CDrawContext(ownerFrame, nullptr, ownerFrame->getOwnWindow());
    CViewPoint where;
    ownerFrame->getMouseLocation(context, where);
    step(context, where);
    context->release();
    const bool wanted = frameWantsCurrentDrag(); // asked while this target surely lives
    release();
    return wanted;
}

bool CDropTarget::frameWantsCurrentDrag() const
{
    return ownerFrame && ownsCurrentDrag() && ownerFrame->wantsDrop(*current.drag);
}

bool CDropTarget::onDragEnter(const platform::DragData& data, platform::Point)
{
    if (!ownerFrame) return false;
    if (current.drag && current.owner != this) current.owner->onDragLeave(data);
    releaseCurrentDrag();
    current = CurrentDrag{new CDragContainer(data), this};
    CDragContainer* drag = current.drag;
    return route([&](CDrawContext* context, const CViewPoint& where)
                 { ownerFrame->onDragEnter(context, drag, where); });
}

bool CDropTarget::onDragMove(const platform::DragData&, platform::Point)
{
    if (!ownerFrame || !ownsCurrentDrag()) return false;
    CDragContainer* drag = current.drag;
    return route([&](CDrawContext* context, const CViewPoint& where)
                 { ownerFrame->onDragMove(context, drag, where); });
}

void CDropTarget::onDragLeave(const platform::DragData&)
{
    if (!ownerFrame || !ownsCurrentDrag()) return;
    CDragContainer* drag = current.drag;
    drag->retain(); // the views may end the drag (and the frame) from inside
    route(
        [&](CDrawContext* context, const CViewPoint& where)
        {
            if (ownerFrame) ownerFrame->onDragLeave(context, drag, where);
        });
    if (current.drag == drag) releaseCurrentDrag();
    drag->release();
}

bool CDropTarget::onDrop(const platform::DragData&, platform::Point)
{
    if (!ownerFrame || !ownsCurrentDrag()) return false;
    CDragContainer* drag = current.drag;
    drag->retain();
    bool accepted = false;
    route(
        [&](CDrawContext* context, const CViewPoint& where)
        {
            if (ownerFrame) accepted = ownerFrame->onDrop(context, drag, where);
        });
    if (current.drag == drag) releaseCurrentDrag();
    drag->release();
    return accepted;
}

} // namespace gui
