// The frame window's side of drags from other applications. The window system
// reports enter, move, leave and drop; each is wrapped in a CDragContainer and
// handed to the frame, which routes it to the view under the pointer.
//
// One drag is current in the whole process, created on enter and released on
// leave or drop; moves, leaves and drops without a current drag of this target
// do nothing.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "raster/CViewTypes.h"

namespace gui
{

class CDragContainer;
class CDrawContext;
class CFrame;

class CDropTarget final : public platform::DropListener
{
  public:
    // Starts with no reference: whoever registers it takes the first.
    explicit CDropTarget(CFrame* frame);
    CDropTarget(const CDropTarget&) = delete;
    CDropTarget& operator=(const CDropTarget&) = delete;

    std::int32_t addRef();
    // Destroys the target when the count reaches 0; answers the new count.
    std::int32_t release();

    // The frame is going away: its drag ends without further calls to it.
    void forgetFrame();

    // Both answer whether the frame would take the drag if dropped now.
    bool onDragEnter(const platform::DragData& data, platform::Point where) override;
    bool onDragMove(const platform::DragData& data, platform::Point where) override;
    void onDragLeave(const platform::DragData& data) override;
    bool onDrop(const platform::DragData& data, platform::Point where) override;

    // The drag in progress anywhere in the process; null between drags.
    static CDragContainer* getCurrentDrag();

    // Runs from release(); the target owns its lifetime.
    virtual ~CDropTarget(); // virtual only to keep clang-tidy's destructor rule simple: the class is final

  private:
    bool ownsCurrentDrag() const;
    // After a routed call: the frame (if it is still there) wants the current drag.
    bool frameWantsCurrentDrag() const;
    // Calls `step` with a context on the frame's window and the pointer in
    // frame coordinates, keeping this target alive meanwhile; answers
    // whether the frame then wants the current drag.
    template <typename Step> bool route(Step&& step);

    std::int32_t refCount = 0;
    CFrame* ownerFrame;
};

} // namespace gui
