// The frame's side of drops, on the headless window system: what the views
// see of a drag, which view sees it, and who holds the drag container.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/CDragContainer.h"
#include "gui/CDropTarget.h"
#include "tests/gui/ViewTestSupport.h"

namespace
{

using namespace viewtest;
using platform::DragData;

struct CountCase
{
    const char* claim;
    DragData data;
    std::int32_t count;
    bool fileList;
};

TEST(DragContainer, CountsOneTextOrEachFile)
{
    const CountCase cases[] = {
        {"plain text counts one", {{}, "hello"}, 1, false},
        {"three files count three", {{"/a", "/b c", "/d"}, ""}, 3, true},
        {"nothing usable counts none", {{}, ""}, 0, false},
        {"text wins over files", {{"/a", "/b"}, "t"}, 1, false},
    };
    for (const CountCase& c : cases)
    {
        auto* drag = new CDragContainer(c.data);
        EXPECT_EQ(drag->getCount(), c.count) << c.claim;
        EXPECT_EQ(drag->isFileList(), c.fileList) << c.claim;
        drag->release();
    }
}

// Pointer positions are in screen coordinates; the rig's window starts at (300, 200).
struct DropRig : FrameRig
{
    DropRig()
    {
        left = add(CViewRect{0, 0, 100, 100});
        left->name = "left";
        right = add(CViewRect{100, 0, 200, 100});
        right->name = "right";
    }
    platform::DropListener& target() { return *window().dropTarget(); }
    void pointAt(int x, int y) { owner.platform.setPointer(platform::Point{300 + x, 200 + y}); }

    ProbeView* left = nullptr;
    ProbeView* right = nullptr;
};

const DragData kText{{}, "some text"};

TEST(DropTarget, RoutesToTheViewUnderThePointerNotTheReportedPoint)
{
    DropRig rig;
    rig.pointAt(10, 20);
    // The reported point is ignored: the pointer is read afresh.
    rig.target().onDragEnter(kText, platform::Point{150, 50});
    rig.pointAt(12, 20);
    rig.target().onDragMove(kText, platform::Point{});
    rig.pointAt(130, 40);
    rig.target().onDragMove(kText, platform::Point{});
    EXPECT_TRUE(rig.target().onDrop(kText, platform::Point{}));
    const std::vector<std::string> leftSaw = {"left enter 10,20", "left move 12,20", "left leave"};
    const std::vector<std::string> rightSaw = {"right enter 130,40", "right drop 130,40", "right leave"};
    EXPECT_EQ(rig.left->drags, leftSaw);
    EXPECT_EQ(rig.right->drags, rightSaw);
    EXPECT_EQ(CDropTarget::getCurrentDrag(), nullptr);
}

TEST(DropTarget, LeaveEndsTheDragSoALaterMoveDoesNothing)
{
    DropRig rig;
    rig.pointAt(10, 10);
    rig.target().onDragEnter(kText, {});
    ASSERT_NE(CDropTarget::getCurrentDrag(), nullptr);
    rig.target().onDragLeave(kText);
    EXPECT_EQ(CDropTarget::getCurrentDrag(), nullptr);
    rig.target().onDragMove(kText, {});
    EXPECT_FALSE(rig.target().onDrop(kText, {}));
    const std::vector<std::string> leftSaw = {"left enter 10,10", "left leave"};
    EXPECT_EQ(rig.left->drags, leftSaw);
}

// Keeps the container past the drag, as a view that reads it later would.
class KeepingView : public CView
{
  public:
    using CView::CView;
    ~KeepingView() override
    {
        if (kept) kept->release();
    }
    void onDragEnter(CDrawContext*, CDragContainer* drag, const CViewPoint&) override
    {
        kept = drag;
        kept->retain();
    }
    CDragContainer* kept = nullptr;
};

TEST(DropTarget, AViewThatRetainsTheContainerKeepsItAfterTheDrag)
{
    FrameRig rig;
    auto* view = new KeepingView(CViewRect{0, 0, 200, 100});
    rig.frame->addView(view);
    rig.owner.platform.setPointer(platform::Point{310, 210});
    platform::DropListener& target = *rig.window().dropTarget();
    target.onDragEnter(DragData{{"/x", "/y", "/z"}, ""}, {});
    target.onDragLeave(DragData{});
    ASSERT_NE(view->kept, nullptr);
    EXPECT_EQ(view->kept->getCount(), 3);
    EXPECT_EQ(view->kept->getFiles()[2], "/z");
}

TEST(DropTarget, AnEnterOnAnotherFrameEndsTheStaleDragFirst)
{
    DropRig first;
    DropRig second;
    first.pointAt(10, 10);
    first.target().onDragEnter(kText, {});
    second.pointAt(10, 10);
    second.target().onDragEnter(kText, {});
    // The first frame's leave never came; its views hear it now.
    const std::vector<std::string> firstSaw = {"left enter 10,10", "left leave"};
    EXPECT_EQ(first.left->drags, firstSaw);
    first.target().onDragMove(kText, {});
    EXPECT_EQ(first.left->drags, firstSaw);
    second.target().onDragLeave(kText);
    EXPECT_EQ(CDropTarget::getCurrentDrag(), nullptr);
}

// Withdraws the frame's drop target from inside the drop.
class WithdrawingView : public CView
{
  public:
    using CView::CView;
    bool onDrop(CDrawContext*, CDragContainer* drag, const CViewPoint&) override
    {
        getFrame()->setDropActive(false);
        return drag->getCount() == 1;
    }
};

TEST(DropTarget, ADropThatWithdrawsTheTargetStillAnswers)
{
    FrameRig rig;
    rig.frame->addView(new WithdrawingView(CViewRect{0, 0, 200, 100}));
    rig.owner.platform.setPointer(platform::Point{310, 210});
    platform::DropListener& target = *rig.window().dropTarget();
    target.onDragEnter(kText, {});
    EXPECT_TRUE(target.onDrop(kText, {}));
    EXPECT_FALSE(rig.frame->isDropActive());
    EXPECT_EQ(CDropTarget::getCurrentDrag(), nullptr);
}

TEST(DropTarget, AClosedFrameReleasesItsDrag)
{
    auto rig = std::make_unique<DropRig>();
    rig->pointAt(10, 10);
    rig->target().onDragEnter(kText, {});
    rig.reset();
    EXPECT_EQ(CDropTarget::getCurrentDrag(), nullptr);
}

} // namespace
