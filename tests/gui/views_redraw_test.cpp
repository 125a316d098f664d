// Which views a container repaints, and where the pixels land.
#include <gtest/gtest.h>

#include <cstring>

#include "ViewTestSupport.h"
#include "gui/COffscreenContext.h"
#include "gui/CViewContainer.h"

namespace
{

using namespace viewtest;

class ScrollBox : public CViewContainer
{
  public:
    using CViewContainer::CViewContainer;
    bool isTypeOf(const char* name) const override
    {
        return (name && std::strcmp(name, "CScrollContainer") == 0) || CViewContainer::isTypeOf(name);
    }
};

TEST(ViewRedraw, AContainerIsDirtyOnlyForDirtyChildrenItCanShow)
{
    struct Case
    {
        CViewRect child;
        bool dirty;
    };
    const Case cases[] = {
        {{10, 10, 20, 20}, true},  // inside
        {{45, 45, 70, 70}, true},  // partly inside
        {{60, 60, 70, 70}, false}, // completely outside
        {{50, 0, 60, 10}, false},  // touches the right edge only
        {{-10, 5, 0, 15}, false},  // touches the left edge only
    };
    for (const Case& c : cases)
    {
        auto* box = new CViewContainer({100, 100, 150, 150}, nullptr);
        auto* child = new ProbeView(c.child);
        box->addView(child);
        box->setDirty(false);
        child->setDirty(true);
        EXPECT_EQ(box->isDirty(), c.dirty) << c.child.left << "," << c.child.top;
        box->release();
    }
}

TEST(ViewRedraw, AnExposeRepaintsOnlyTheViewsItTouchesAndPresentsOnlyItsArea)
{
    FrameRig rig;
    ProbeView* left = rig.add({10, 10, 30, 30});
    ProbeView* right = rig.add({100, 10, 120, 30});
    left->paintColor = kRedCColor;
    right->paintColor = CViewColor{0, 255, 0, 255};
    rig.frame->setBackgroundColor(CViewColor{0, 0, 255, 255});

    rig.window().expose({0, 0, 50, 50});

    EXPECT_EQ(left->draws, 1);
    EXPECT_EQ(right->draws, 0);
    EXPECT_EQ(rig.window().shownPixel(20, 20), rgb(kRedCColor));
    EXPECT_EQ(rig.window().shownPixel(40, 40), rgb(CViewColor{0, 0, 255, 255}));
    EXPECT_EQ(rig.window().shownPixel(110, 20), 0xFF000000u); // never presented
    for (const platform::Rect& r : rig.window().presentedAreas())
    {
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, 50);
        EXPECT_LE(r.bottom, 50);
    }
}

// A dialog closing over a knob whose value changed meanwhile exposes only part of it.
TEST(ViewRedraw, ADirtyViewAnExposeCoversOnlyInPartIsFinishedByTheNextIdle)
{
    FrameRig rig;
    ProbeView* view = rig.add({10, 10, 30, 30});
    view->paintColor = CViewColor{0, 0, 255, 255};
    rig.window().exposeAll();
    view->paintColor = kRedCColor;
    view->setDirty(true);

    rig.window().expose({0, 0, 20, 50});
    EXPECT_EQ(rig.window().shownPixel(15, 20), rgb(kRedCColor));
    EXPECT_TRUE(view->isDirty());

    rig.frame->idle();
    EXPECT_EQ(rig.window().shownPixel(25, 20), rgb(kRedCColor));
    EXPECT_FALSE(view->isDirty());

    // A clean view an expose covers in part stays clean.
    rig.window().expose({0, 0, 20, 50});
    EXPECT_FALSE(view->isDirty());
}

TEST(ViewRedraw, AViewThatMovesWhileDrawnDirtyStaysDirtyExceptInAScrollContainer)
{
    for (const bool scrolling : {false, true})
    {
        auto* box = scrolling ? new ScrollBox({0, 0, 100, 100}, nullptr)
                              : new CViewContainer({0, 0, 100, 100}, nullptr);
        box->useOffscreen(false);
        auto* child = new ProbeView({10, 10, 20, 20});
        box->addView(child);
        child->resizeWhileDrawing = CViewRect{30, 30, 40, 40};
        CDrawContext context(nullptr, nullptr);
        box->drawRect(&context, {0, 0, 100, 100});
        EXPECT_EQ(child->isDirty(), !scrolling) << (scrolling ? "scroll container" : "container");
        box->release();
    }
}

TEST(ViewRedraw, OnlyDirtyModeRedrawsJustTheDirtyChildren)
{
    for (const bool offscreen : {true, false})
    {
        FrameRig rig;
        auto* box = new CViewContainer({20, 20, 120, 80}, rig.frame);
        box->useOffscreen(offscreen);
        rig.frame->addView(box);
        auto* clean = new ProbeView({0, 0, 10, 10});
        auto* dirty = new ProbeView({20, 0, 30, 10});
        box->addView(clean);
        box->addView(dirty);
        rig.window().exposeAll();
        box->setMode(updateOnlyDirty);
        const int cleanBefore = clean->draws;
        const int dirtyBefore = dirty->draws;
        dirty->paintColor = kRedCColor;
        dirty->setDirty(true);

        rig.frame->idle();

        SCOPED_TRACE(offscreen ? "with offscreen" : "without offscreen");
        EXPECT_EQ(clean->draws, cleanBefore);
        EXPECT_EQ(dirty->draws, dirtyBefore + 1);
        EXPECT_FALSE(rig.frame->isDirty());
        EXPECT_EQ(rig.window().shownPixel(45, 25), rgb(kRedCColor));
    }
}

TEST(ViewRedraw, UpdateAllModeRedrawsTheWholeContainerWhenAChildIsDirty)
{
    FrameRig rig;
    auto* box = new CViewContainer({20, 20, 120, 80}, rig.frame);
    rig.frame->addView(box);
    auto* clean = new ProbeView({0, 0, 10, 10});
    auto* dirty = new ProbeView({20, 0, 30, 10});
    box->addView(clean);
    box->addView(dirty);
    rig.window().exposeAll();
    dirty->setDirty(true);
    rig.frame->idle();
    EXPECT_EQ(clean->draws, 2);
    EXPECT_EQ(dirty->draws, 2);
}

TEST(ViewRedraw, AContainerKeepsItsOffscreenTheSizeOfItsView)
{
    FrameRig rig;
    auto* box = new CViewContainer({0, 0, 40, 30}, rig.frame);
    rig.frame->addView(box);
    ASSERT_NE(box->getOffscreen(), nullptr);
    box->setViewSize({0, 0, 60, 50});
    EXPECT_EQ(box->getOffscreen()->getWidth(), 60);
    EXPECT_EQ(box->getOffscreen()->getHeight(), 50);
    box->useOffscreen(false);
    EXPECT_EQ(box->getOffscreen(), nullptr);
}

TEST(ViewRedraw, EmptyAndInvertedContainersDrawNothingAndSurvive)
{
    FrameRig rig;
    for (const CViewRect rect :
         {CViewRect{10, 10, 10, 10}, CViewRect{50, 50, 20, 20}, CViewRect{190, 90, 260, 160}})
    {
        auto* box = new CViewContainer(rect, rig.frame);
        rig.frame->addView(box);
        box->addView(new ProbeView({0, 0, 5, 5}));
    }
    rig.window().exposeAll();
    rig.frame->invalidate({0, 0, 200, 100});
    rig.frame->idle();
    rig.window().expose({195, 95, 200, 100});
    EXPECT_FALSE(rig.frame->isDirty());
}

} // namespace
