// When the frame paints: first paint, idle passes, invalidation, resizing.
#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "gui/COffscreenContext.h"

namespace
{

using namespace viewtest;

TEST(FrameRedraw, IdleDrawsNothingBeforeTheFirstPaint)
{
    FrameRig rig;
    ProbeView* view = rig.add({10, 10, 20, 20});
    ASSERT_TRUE(view->isDirty());
    rig.frame->idle();
    EXPECT_EQ(view->draws, 0);
    EXPECT_TRUE(rig.window().presentedAreas().empty());

    rig.window().exposeAll();
    EXPECT_EQ(view->draws, 1);
    EXPECT_FALSE(rig.frame->isFirstDraw());
}

TEST(FrameRedraw, IdleRepaintsOnlyTheDirtyViewsAfterTheFirstPaint)
{
    FrameRig rig;
    ProbeView* clean = rig.add({10, 10, 20, 20});
    ProbeView* dirty = rig.add({30, 10, 40, 20});
    rig.window().exposeAll();
    dirty->paintColor = kRedCColor;
    dirty->setDirty(true);
    rig.window().clearPresented();

    rig.frame->idle();

    EXPECT_EQ(clean->draws, 1);
    EXPECT_EQ(dirty->draws, 2);
    EXPECT_EQ(rig.window().shownPixel(35, 15), rgb(kRedCColor));
    EXPECT_FALSE(rig.window().presentedAreas().empty());
    rig.window().clearPresented();
    rig.frame->idle(); // nothing dirty any more
    EXPECT_EQ(dirty->draws, 2);
    EXPECT_TRUE(rig.window().presentedAreas().empty());
}

TEST(FrameRedraw, IdleStaysQuietWhileUpdatesAreDisabledOrTheWindowIsGone)
{
    FrameRig rig;
    ProbeView* view = rig.add({10, 10, 20, 20});
    rig.window().exposeAll();

    view->setDirty(true);
    EXPECT_FALSE(rig.frame->setUpdatesDisabled(true));
    rig.frame->idle();
    EXPECT_EQ(view->draws, 1);
    EXPECT_TRUE(rig.frame->setUpdatesDisabled(false));
    rig.frame->idle();
    EXPECT_EQ(view->draws, 2);

    view->setDirty(true);
    rig.window().destroyNative();
    EXPECT_FALSE(rig.frame->isOpen());
    rig.frame->idle();
    EXPECT_EQ(view->draws, 2);
}

TEST(FrameRedraw, InvalidateMarksOverlappingViewsWithoutPainting)
{
    FrameRig rig;
    ProbeView* touched = rig.add({10, 10, 20, 20});
    ProbeView* edge = rig.add({20, 20, 30, 30}); // shares the corner point
    ProbeView* away = rig.add({50, 50, 60, 60});
    rig.window().exposeAll();
    rig.window().clearPresented();

    rig.frame->invalidate({0, 0, 20, 20});

    EXPECT_TRUE(touched->isDirty());
    EXPECT_TRUE(edge->isDirty());
    EXPECT_FALSE(away->isDirty());
    EXPECT_TRUE(rig.window().presentedAreas().empty());
}

TEST(FrameRedraw, DrawViewPaintsAtOnce)
{
    FrameRig rig;
    ProbeView* view = rig.add({10, 10, 20, 20});
    view->paintColor = kRedCColor;
    rig.frame->drawView(view);
    EXPECT_EQ(view->draws, 1);
    EXPECT_EQ(rig.window().shownPixel(15, 15), rgb(kRedCColor));
}

TEST(FrameRedraw, AFrameWithoutAHostWindowIsAViewTreeThatNeverPaints)
{
    FakeOwner owner;
    auto* frame = new CFrame({0, 0, 100, 100}, nullptr, &owner);
    auto* view = new ProbeView({0, 0, 10, 10});
    frame->addView(view);
    frame->drawRect(nullptr, {0, 0, 100, 100});
    frame->idle();
    frame->drawView(view);
    EXPECT_EQ(frame->getOwnWindow(), nullptr);
    EXPECT_EQ(view->draws, 0);
    frame->release();
}

TEST(FrameResize, TheSameSizeIsRefusedAndChangesNothing)
{
    FrameRig rig;
    rig.window().exposeAll();
    EXPECT_FALSE(rig.frame->setSize(200, 100));
    EXPECT_TRUE(rig.owner.sizeRequests.empty());
    EXPECT_TRUE(rig.owner.platform.resizes().empty());
    EXPECT_FALSE(rig.frame->isDirty());
}

TEST(FrameResize, AHostThatResizesGetsTheRequestAndTheOffscreenFollows)
{
    FrameRig rig;
    rig.window().exposeAll();
    rig.owner.hostCanSize = true;
    rig.owner.hostAcceptsSize = true;

    EXPECT_TRUE(rig.frame->setSize(300, 150));

    ASSERT_EQ(rig.owner.sizeRequests.size(), 1u);
    EXPECT_EQ(rig.owner.sizeRequests[0], std::make_pair(300, 150));
    EXPECT_EQ(rig.frame->getViewSize(), (CViewRect{0, 0, 300, 150}));
    EXPECT_EQ(rig.window().size(), (platform::Size{300, 150}));
    ASSERT_NE(rig.frame->getOffscreen(), nullptr);
    EXPECT_EQ(rig.frame->getOffscreen()->getWidth(), 300);
    EXPECT_TRUE(rig.frame->isDirty());
}

TEST(FrameResize, WithoutTheHostOnlyTheOwnWindowChangesWhenWindowsHaveNoFrame)
{
    FrameRig rig;
    rig.owner.hostCanSize = true; // offered, but refused
    EXPECT_TRUE(rig.frame->setSize(250, 120));
    EXPECT_EQ(rig.owner.sizeRequests.size(), 1u);
    EXPECT_EQ(rig.frame->getViewSize(), (CViewRect{0, 0, 250, 120}));
    EXPECT_EQ(rig.window().size(), (platform::Size{250, 120}));
    ASSERT_EQ(rig.owner.platform.resizes().size(), 0u); // the own window, directly
}

TEST(FrameResize, WithoutTheHostTheWindowChainGrowsByItsDecoration)
{
    FakeOwner owner;
    owner.platform.setDialogFrameHeight(2);
    const auto top = owner.platform.addHostWindow({280, 170, 520, 320}, nullptr, "Top", true);
    const auto host = owner.platform.addHostWindow({298, 198, 502, 302}, top);
    auto* frame = new CFrame({0, 0, 200, 100}, host, &owner);
    // The child window sits at the host's origin; give the host its 2-pixel frame.
    EXPECT_TRUE(frame->setSize(300, 150));
    const auto& resizes = owner.platform.resizes();
    ASSERT_EQ(resizes.size(), 1u);
    EXPECT_EQ(resizes[0].window, host);
    EXPECT_EQ(resizes[0].size, (platform::Size{304, 154}));
    EXPECT_EQ(owner.platform.lastWindow()->size(), (platform::Size{300, 150}));
    EXPECT_EQ(frame->getViewSize(), (CViewRect{0, 0, 300, 150}));
    frame->release();
}

} // namespace
