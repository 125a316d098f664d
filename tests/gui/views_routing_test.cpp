// Where clicks, wheel turns and keys end up in a view tree.
#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "gui/CViewContainer.h"

namespace
{

using namespace viewtest;

struct HitCase
{
    CViewPoint where;
    int expected; // index into the rig's views, -1 for none
};

TEST(ViewRouting, EdgesAreInclusiveAndTheLastAddedViewWins)
{
    FrameRig rig;
    ProbeView* views[] = {rig.add({10, 10, 50, 40}), rig.add({40, 30, 80, 60})};
    const HitCase cases[] = {
        {{10, 10}, 0}, {{50, 20}, 0}, {{30, 40}, 0},  {{51, 20}, -1}, {{45, 35}, 1},
        {{40, 30}, 1}, {{80, 60}, 1}, {{81, 60}, -1}, {{5, 5}, -1},   {{50, 40}, 1},
    };
    for (const HitCase& c : cases)
    {
        for (ProbeView* v : views)
            v->clicks.clear();
        rig.window().click({c.where.h, c.where.v});
        for (int i = 0; i < 2; ++i)
        {
            SCOPED_TRACE(testing::Message() << "click at " << c.where.h << "," << c.where.v << " view " << i);
            EXPECT_EQ(views[i]->clicks.size(), i == c.expected ? 1u : 0u);
        }
    }
}

TEST(ViewRouting, ClicksSkipViewsWithTheMouseDisabled)
{
    FrameRig rig;
    ProbeView* below = rig.add({10, 10, 50, 50});
    ProbeView* above = rig.add({10, 10, 50, 50});
    above->setMouseEnabled(false);
    rig.window().click({20, 20});
    EXPECT_EQ(below->clicks.size(), 1u);
    EXPECT_TRUE(above->clicks.empty());
}

TEST(ViewRouting, ANestedViewGetsTheClickInItsContainersCoordinates)
{
    FrameRig rig;
    auto* box = new CViewContainer({100, 20, 180, 90}, rig.frame);
    rig.frame->addView(box);
    auto* inner = new ProbeView({10, 10, 30, 30});
    box->addView(inner);
    rig.window().click({115, 35});
    ASSERT_EQ(inner->clicks.size(), 1u);
    EXPECT_EQ(inner->clicks[0], (CViewPoint{15, 15}));
    EXPECT_EQ(inner->clickButtons[0], buttonLeft);
    EXPECT_EQ(rig.frame->getViewAt({115, 35}, true), inner);
    EXPECT_EQ(rig.frame->getViewAt({115, 35}, false), box);
}

TEST(ViewRouting, ResizingAViewLeavesItsMouseableAreaWhereItWas)
{
    FrameRig rig;
    ProbeView* view = rig.add({10, 10, 20, 20});
    view->setViewSize({60, 60, 70, 70});
    rig.window().click({65, 65});
    EXPECT_TRUE(view->clicks.empty());
    rig.window().click({15, 15});
    EXPECT_EQ(view->clicks.size(), 1u);
}

TEST(ViewRouting, WheelReachesTheViewUnderThePointerInItsParentsCoordinates)
{
    FrameRig rig;
    ProbeView* top = rig.add({0, 0, 50, 50});
    auto* box = new CViewContainer({100, 20, 180, 90}, rig.frame);
    rig.frame->addView(box);
    auto* inner = new ProbeView({10, 10, 30, 30});
    box->addView(inner);

    rig.window().wheel({20, 30}, 1.0f);
    rig.window().wheel({115, 35}, -2.0f);
    rig.window().wheel({190, 95}, 1.0f); // over nothing

    ASSERT_EQ(top->wheels.size(), 1u);
    EXPECT_EQ(top->wheels[0].first, (CViewPoint{20, 30}));
    ASSERT_EQ(inner->wheels.size(), 1u);
    EXPECT_EQ(inner->wheels[0].first, (CViewPoint{15, 15}));
    EXPECT_FLOAT_EQ(inner->wheels[0].second, -2.0f);
}

TEST(ViewRouting, AContainerOffersAKeyTopmostFirstStopsAtTheTakerAndStillAnswersNotHandled)
{
    auto* box = new CViewContainer({0, 0, 100, 100}, nullptr);
    auto* first = new ProbeView({0, 0, 10, 10});
    auto* second = new ProbeView({0, 0, 10, 10});
    auto* third = new ProbeView({0, 0, 10, 10});
    box->addView(first);
    box->addView(second);
    box->addView(third);
    second->keyAnswer = 1;
    VstKeyCode key = keyCode(kVirtualKeyLeft);
    EXPECT_EQ(box->onKeyDown(key), kKeyNotHandled);
    EXPECT_EQ(third->keysOffered, 1);
    EXPECT_EQ(second->keysOffered, 1);
    EXPECT_EQ(first->keysOffered, 0);
    box->release();
}

TEST(ViewRouting, ADragFollowsThePointerFromViewToViewAndEndsWithTheDrop)
{
    FrameRig rig;
    auto* box = new CViewContainer({10, 10, 110, 60}, rig.frame);
    rig.frame->addView(box);
    auto* a = new ProbeView({0, 0, 40, 40});
    auto* b = new ProbeView({50, 0, 90, 40});
    a->name = "a";
    b->name = "b";
    box->addView(a);
    box->addView(b);
    std::vector<std::string> log;
    auto collect = [&]
    {
        for (ProbeView* v : {a, b})
        {
            log.insert(log.end(), v->drags.begin(), v->drags.end());
            v->drags.clear();
        }
    };
    CDrawContext context(rig.frame, nullptr);
    box->onDragEnter(&context, nullptr, {15, 15});
    box->onDragMove(&context, nullptr, {16, 15});
    box->onDragMove(&context, nullptr, {70, 20});
    collect();
    EXPECT_TRUE(box->onDrop(&context, nullptr, {71, 20}));
    collect();
    EXPECT_FALSE(box->onDrop(&context, nullptr, {105, 55})); // over no child
    collect();
    EXPECT_EQ(context.offset, (CViewPoint{0, 0}));
    const std::vector<std::string> expected{
        "a enter 5,5", "a move 6,5", "a leave", "b enter 60,10", "b drop 61,10", "b leave",
    };
    EXPECT_EQ(log, expected);
}

TEST(ViewRouting, ContainersAreRecognisedByNameAndByTheMessageAddress)
{
    auto* box = new CViewContainer({0, 0, 10, 10}, nullptr);
    auto* plain = new CView({0, 0, 10, 10});
    const std::string copy = kMsgCheckIfViewContainer;
    EXPECT_EQ(box->notify(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(box->notify(nullptr, copy.c_str()), 0); // same text, other address
    EXPECT_EQ(plain->notify(nullptr, kMsgCheckIfViewContainer), 0);
    EXPECT_TRUE(box->isTypeOf("CView"));
    EXPECT_TRUE(box->isTypeOf("CViewContainer"));
    EXPECT_FALSE(box->isTypeOf("CFrame"));
    EXPECT_FALSE(plain->isTypeOf("CViewContainer"));
    EXPECT_FALSE(plain->isTypeOf(nullptr));
    plain->release();
    box->release();
}

} // namespace
