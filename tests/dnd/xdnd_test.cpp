// Drops from another X client onto an editor frame, end to end: our drag
// source on its own connection, the frame's window as the target.
#include "tests/x11/X11TestSupport.h"

#include <memory>

#include "gui/CDragContainer.h"
#include "gui/CDropTarget.h"
#include "gui/CFrame.h"
#include "gui/CFrameOwner.h"
#include "platform/x11/XdndTarget.h"
#include "tests/dnd/XdndSource.h"

namespace
{

using namespace x11test;
using dndtest::XdndSource;
using gui::CViewRect;

class X11Owner final : public gui::CFrameOwner
{
  public:
    platform::Platform& getPlatform() override { return *platform; }
    void beginEdit(std::int32_t) override {}
    void endEdit(std::int32_t) override {}
    void doIdleStuff() override {}
    std::int32_t getKnobMode() const override { return 0; }
    bool canHostSizeWindow() override { return false; }
    bool sizeWindow(std::int32_t, std::int32_t) override { return false; }
    bool wantsDrop(const gui::CDragContainer&) override { return wanted; }

    bool wanted = true; // the source is offered a copy
    std::unique_ptr<platform::x11::X11Platform> platform = platform::x11::X11Platform::open();
};

// Records what reaches it; answers drops as told.
class DropView : public gui::CView
{
  public:
    DropView(const CViewRect& rect, bool accepting) : CView(rect), accepts(accepting) {}
    void onDragEnter(gui::CDrawContext*, gui::CDragContainer* drag, const gui::CViewPoint&) override
    {
        events.push_back("enter");
        count = drag->getCount();
        files = drag->getFiles();
        text = drag->getText();
    }
    void onDragMove(gui::CDrawContext*, gui::CDragContainer*, const gui::CViewPoint&) override
    {
        events.push_back("move");
    }
    void onDragLeave(gui::CDrawContext*, gui::CDragContainer*, const gui::CViewPoint&) override
    {
        events.push_back("leave");
    }
    bool onDrop(gui::CDrawContext*, gui::CDragContainer*, const gui::CViewPoint&) override
    {
        events.push_back("drop");
        return accepts;
    }

    std::vector<std::string> events;
    std::int32_t count = -1;
    std::vector<std::string> files;
    std::string text;

  private:
    bool accepts;
};

// A 200 x 100 editor frame in a host window at (100, 100); the pointer rests
// over it, where the frame reads it.
struct XdndRig
{
    XdndRig()
    {
        hostWindow = host.makeWindow(100, 100, 200, 100);
        frame = new gui::CFrame(CViewRect{0, 0, 200, 100}, handleOf(hostWindow), &owner);
        if (frame->getOwnWindow()) target = windowOf(frame->getOwnWindow()->handle());
        host.moveTo(150, 150);
    }
    ~XdndRig()
    {
        if (frame) frame->release();
    }
    DropView* addView(bool accepts)
    {
        auto* view = new DropView(CViewRect{0, 0, 200, 100}, accepts);
        frame->addView(view);
        return view;
    }
    bool pump(XdndSource& source, const std::function<bool()>& done, int timeoutMs = 3000)
    {
        for (int t = 0; t < timeoutMs; t += 5)
        {
            owner.platform->dispatchEvents();
            source.pump();
            if (done()) return true;
            pause(5);
        }
        return done();
    }
    // The source enters the target and moves over the view area.
    void dragOver(XdndSource& source)
    {
        source.enter(target);
        source.position(target, 150, 150);
    }
    // A whole drag onto `view`: true once the view heard it and the source was told the drop finished.
    bool dragAndDrop(XdndSource& source, const DropView& view)
    {
        dragOver(source);
        if (!pump(source, [&] { return !view.events.empty(); })) return false;
        source.drop(target);
        return pump(source, [&] { return !source.finishes.empty(); });
    }
    // The type of a property on the target window; None when absent.
    Atom propertyType(const char* name)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(host.display, target, XInternAtom(host.display, name, False), 0, 1, False,
                           AnyPropertyType, &type, &format, &items, &after, &data);
        if (data) XFree(data);
        return type;
    }

    Host host;
    X11Owner owner;
    ::Window hostWindow = 0;
    ::Window target = 0;
    gui::CFrame* frame = nullptr;
};

#define SKIP_WITHOUT_RIG(rig)                                                                                \
    SKIP_WITHOUT_DISPLAY();                                                                                  \
    ASSERT_NE(rig.target, 0u)

TEST(Xdnd, TextCountsOneAndAnAcceptedDropIsDeliveredOnceThenLeft)
{
    SKIP_WITHOUT_DISPLAY();
    XdndRig rig;
    SKIP_WITHOUT_RIG(rig);
    DropView* view = rig.addView(true);
    XdndSource source(rig.host.display, {{"UTF8_STRING", "hello"}});
    ASSERT_TRUE(rig.dragAndDrop(source, *view));

    EXPECT_EQ(view->events, (std::vector<std::string>{"enter", "drop", "leave"}));
    EXPECT_EQ(view->count, 1);
    EXPECT_EQ(view->text, "hello");
    ASSERT_EQ(source.statuses.size(), 1u);
    EXPECT_TRUE(source.statuses[0].accepted);
    ASSERT_EQ(source.finishes.size(), 1u);
    EXPECT_TRUE(source.finishes[0].accepted);
    EXPECT_EQ(source.finishes[0].action, source.atom("XdndActionCopy"));
    EXPECT_EQ(rig.propertyType("AMBERLIT_DROP_DATA"), static_cast<Atom>(None));
    EXPECT_EQ(gui::CDropTarget::getCurrentDrag(), nullptr);
}

TEST(Xdnd, ThreeFilesOfManyTypesCountThreeAndARefusedDropIsFinishedAsRefused)
{
    SKIP_WITHOUT_DISPLAY();
    XdndRig rig;
    SKIP_WITHOUT_RIG(rig);
    DropView* view = rig.addView(false);
    // Four types: the list comes through XdndTypeList.
    XdndSource source(
        rig.host.display,
        {{"application/x-other", "?"},
         {"TEXT", "x"},
         {"text/plain", "x"},
         {"text/uri-list",
          "file:///tmp/a%20b.wav\r\n# a comment\r\nfile://localhost/tmp/c.trp\r\nfile:///tmp/d\r\n"}});
    ASSERT_TRUE(rig.dragAndDrop(source, *view));

    EXPECT_EQ(view->count, 3);
    EXPECT_EQ(view->files, (std::vector<std::string>{"/tmp/a b.wav", "/tmp/c.trp", "/tmp/d"}));
    EXPECT_EQ(view->events, (std::vector<std::string>{"enter", "drop", "leave"}));
    ASSERT_EQ(source.finishes.size(), 1u);
    EXPECT_FALSE(source.finishes[0].accepted);
    EXPECT_EQ(source.finishes[0].action, static_cast<Atom>(None));
}

TEST(Xdnd, LeaveAfterEnterEndsTheDragAndALaterPositionOnlyGetsARefusal)
{
    SKIP_WITHOUT_DISPLAY();
    XdndRig rig;
    SKIP_WITHOUT_RIG(rig);
    DropView* view = rig.addView(true);
    XdndSource source(rig.host.display, {{"text/plain;charset=utf-8", "words"}});
    rig.dragOver(source);
    ASSERT_TRUE(rig.pump(source, [&] { return !view->events.empty(); }));
    source.leave(rig.target);
    ASSERT_TRUE(rig.pump(source, [&] { return view->events.size() == 2; }));
    EXPECT_EQ(gui::CDropTarget::getCurrentDrag(), nullptr);

    source.position(rig.target, 160, 150);
    ASSERT_TRUE(rig.pump(source, [&] { return source.statuses.size() == 2; }));
    EXPECT_FALSE(source.statuses[1].accepted);
    EXPECT_EQ(view->events, (std::vector<std::string>{"enter", "leave"}));
}

TEST(Xdnd, ThePositionIsAnsweredWithTheFramesWishOnceTheDataIsKnown)
{
    SKIP_WITHOUT_DISPLAY();
    for (const bool wanted : {true, false})
    {
        XdndRig rig;
        SKIP_WITHOUT_RIG(rig);
        rig.owner.wanted = wanted;
        DropView* view = rig.addView(false);
        XdndSource source(rig.host.display, {{"text/uri-list", "file:///tmp/a.trb\r\n"}});
        rig.dragOver(source);
        ASSERT_TRUE(rig.pump(source, [&] { return !source.statuses.empty(); }));
        EXPECT_EQ(view->events, (std::vector<std::string>{"enter"}));
        EXPECT_EQ(source.statuses[0].accepted, wanted);
        EXPECT_EQ(source.statuses[0].action, wanted ? source.atom("XdndActionCopy") : Atom(None));
        source.leave(rig.target);
        ASSERT_TRUE(rig.pump(source, [&] { return view->events.size() == 2; }));
    }
}

// A sound file among the dragged files is refused with a status whose flags
// are all clear (a source that reads the word as a whole still sees "no"),
// and the next move is still reported and refused.
TEST(Xdnd, AFileListWithASoundFileIsRefusedPlainlyAtEveryMove)
{
    SKIP_WITHOUT_DISPLAY();
    for (const char* list : {"file:///tmp/take.wav\r\n", "file:///tmp/a.trb\r\nfile:///tmp/take.wav\r\n"})
    {
        XdndRig rig;
        SKIP_WITHOUT_RIG(rig);
        rig.owner.wanted = false;
        DropView* view = rig.addView(false);
        XdndSource source(rig.host.display, {{"text/uri-list", list}});
        rig.dragOver(source);
        ASSERT_TRUE(rig.pump(source, [&] { return source.statuses.size() == 1; }));
        source.position(rig.target, 160, 150);
        ASSERT_TRUE(rig.pump(source, [&] { return source.statuses.size() == 2; }));
        for (const dndtest::Answer& status : source.statuses)
        {
            EXPECT_EQ(status.flags, 0) << list;
            EXPECT_EQ(status.action, static_cast<Atom>(None)) << list;
        }
        source.drop(rig.target);
        ASSERT_TRUE(rig.pump(source, [&] { return !source.finishes.empty(); }));
        EXPECT_FALSE(source.finishes[0].accepted) << list;
        EXPECT_EQ(view->events.front(), "enter");
    }
}

TEST(Xdnd, ASourceThatNeverDeliversStillGetsItsFinish)
{
    SKIP_WITHOUT_DISPLAY();
    XdndRig rig;
    SKIP_WITHOUT_RIG(rig);
    DropView* view = rig.addView(true);
    XdndSource source(rig.host.display, {{"UTF8_STRING", "never sent"}});
    source.silent = true;
    rig.dragOver(source);
    source.drop(rig.target);
    const int waitMs = static_cast<int>(platform::x11::XdndTarget::kDefaultDataTimeoutMs) + 2000;
    ASSERT_TRUE(rig.pump(
        source, [&] { return !source.finishes.empty(); }, waitMs));
    EXPECT_EQ(source.requests, 1);
    EXPECT_FALSE(source.finishes[0].accepted);
    EXPECT_TRUE(view->events.empty());
}

TEST(Xdnd, WithdrawingTheTargetRemovesXdndAware)
{
    SKIP_WITHOUT_DISPLAY();
    XdndRig rig;
    SKIP_WITHOUT_RIG(rig);
    EXPECT_EQ(rig.propertyType("XdndAware"), static_cast<Atom>(XA_ATOM));
    EXPECT_TRUE(rig.frame->setDropActive(false));
    EXPECT_EQ(rig.propertyType("XdndAware"), static_cast<Atom>(None));
    EXPECT_TRUE(rig.frame->setDropActive(true));
    EXPECT_EQ(rig.propertyType("XdndAware"), static_cast<Atom>(XA_ATOM));
}

TEST(Xdnd, ClosingTheEditorDuringADropFinishesItAndTakesNoSelection)
{
    SKIP_WITHOUT_DISPLAY();
    XdndRig rig;
    SKIP_WITHOUT_RIG(rig);
    rig.addView(true);
    XdndSource source(rig.host.display, {{"UTF8_STRING", "late"}});
    source.silent = true;
    rig.dragOver(source);
    source.drop(rig.target);
    // The drop came with the enter; the position is answered once data arrives.
    ASSERT_TRUE(rig.pump(source, [&] { return source.requests == 1; }));
    rig.frame->release();
    rig.frame = nullptr;
    ASSERT_TRUE(rig.pump(source, [&] { return !source.finishes.empty(); }));
    EXPECT_FALSE(source.finishes[0].accepted);
    EXPECT_EQ(XGetSelectionOwner(rig.host.display, source.atom("XdndSelection")), source.window());
    EXPECT_EQ(gui::CDropTarget::getCurrentDrag(), nullptr);
}

} // namespace
