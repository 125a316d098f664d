// Who holds which reference: views and bitmaps die exactly when the last holder lets go.
#include <gtest/gtest.h>

#include "ViewTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CViewContainer.h"

namespace
{

using namespace viewtest;

class CountedBitmap : public CBitmap
{
  public:
    CountedBitmap(int w, int h, int* counter, Pixel fill = makePixel(0, 0, 0))
        : CBitmap(CPixelSurface(w, h, fill)), alive(counter)
    {
        ++*alive;
    }
    ~CountedBitmap() override { --*alive; }

  private:
    int* alive;
};

TEST(ViewLifetime, TearingDownATreeFreesEveryViewAndBitmap)
{
    int views = 0;
    int bitmaps = 0;
    {
        FrameRig rig;
        auto* skin = new CountedBitmap(200, 100, &bitmaps);
        rig.frame->setBackground(skin);
        skin->release(); // the frame holds it now
        auto* box = new CViewContainer({10, 10, 110, 60}, rig.frame, skin);
        rig.frame->addView(box);
        for (int i = 0; i < 4; ++i)
        {
            auto* view = new ProbeView({i * 10, 0, i * 10 + 8, 8}, &views);
            view->setBackground(skin);
            box->addView(view);
        }
        rig.frame->addView(new ProbeView({150, 0, 160, 10}, &views));
        rig.window().exposeAll();
        EXPECT_EQ(views, 5);
        EXPECT_EQ(bitmaps, 1);
        EXPECT_EQ(skin->getNbReference(), 6);
    }
    EXPECT_EQ(views, 0);
    EXPECT_EQ(bitmaps, 0);
}

TEST(ViewLifetime, RemovingWithoutReleaseLeavesTheCallersReference)
{
    int alive = 0;
    auto* box = new CViewContainer({0, 0, 100, 100}, nullptr);
    auto* kept = new ProbeView({0, 0, 10, 10}, &alive);
    auto* dropped = new ProbeView({0, 0, 10, 10}, &alive);
    box->addView(kept);
    box->addView(dropped);

    box->removeView(kept, false);
    box->removeView(dropped, true);
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(box->getViewCount(), 0);
    EXPECT_EQ(kept->getNbReference(), 1);

    box->removeView(kept, true); // no longer a child: ignored
    EXPECT_EQ(alive, 1);
    kept->release();
    EXPECT_EQ(alive, 0);
    box->release();
}

TEST(ViewLifetime, RemoveAllDropsBothReferencesOfEveryChild)
{
    int alive = 0;
    auto* box = new CViewContainer({0, 0, 100, 100}, nullptr);
    for (int i = 0; i < 3; ++i)
        box->addView(new ProbeView({0, 0, 10, 10}, &alive));
    box->addView(nullptr);
    EXPECT_EQ(box->getViewCount(), 3);
    EXPECT_EQ(box->getView(3), nullptr);
    EXPECT_EQ(box->getView(-1), nullptr);
    box->removeAll(true);
    EXPECT_EQ(alive, 0);
    box->release();
}

TEST(ViewLifetime, SettingTheSameBackgroundAgainKeepsIt)
{
    int bitmaps = 0;
    auto* bitmap = new CountedBitmap(4, 4, &bitmaps);
    auto* view = new CView({0, 0, 4, 4});
    view->setBackground(bitmap);
    bitmap->release();
    view->setBackground(bitmap);
    EXPECT_EQ(bitmaps, 1);
    EXPECT_EQ(bitmap->getNbReference(), 1);
    view->setBackground(nullptr);
    EXPECT_EQ(bitmaps, 0);
    view->release();
}

TEST(ViewLifetime, RemovingTheFocusViewClearsTheFocus)
{
    FrameRig rig;
    ProbeView* field = rig.add({0, 0, 10, 10});
    field->setWantsFocus(true);
    field->retain();
    rig.frame->setFocusView(field);
    rig.frame->removeView(field, false);
    EXPECT_EQ(rig.frame->getFocusView(), nullptr);
    EXPECT_EQ(field->focusLost, 1);
    field->release();
    field->release();
}

TEST(ViewLifetime, RemovingAContainerThatHoldsTheFocusClearsTheFocus)
{
    FrameRig rig;
    auto* box = new CViewContainer({0, 0, 50, 50}, rig.frame);
    rig.frame->addView(box);
    int alive = 0;
    auto* field = new ProbeView({0, 0, 10, 10}, &alive);
    field->setWantsFocus(true);
    box->addView(field);
    rig.frame->setFocusView(field);
    rig.frame->removeView(box, true);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(rig.frame->getFocusView(), nullptr);
    rig.window().click({5, 5}); // would reach the freed view through the focus
}

TEST(ViewLifetime, RemovingTheModalViewByHandLeavesNoModalView)
{
    FrameRig rig;
    int alive = 0;
    ProbeView* below = rig.add({0, 0, 200, 100});
    auto* modal = new ProbeView({0, 0, 10, 10}, &alive);
    ASSERT_TRUE(rig.frame->setModalView(modal));
    rig.frame->removeView(modal, true);
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(rig.frame->getModalView(), nullptr);
    rig.window().click({5, 5});
    EXPECT_EQ(below->clicks.size(), 1u);
}

TEST(ViewLifetime, AContainersBackgroundStartsAtItsBackgroundOffset)
{
    FrameRig rig;
    CPixelSurface pixels(40, 40, makePixel(0, 0, 0));
    pixels.setPixel(25, 15, makePixel(255, 0, 0));
    auto* skin = new CBitmap(std::move(pixels));
    auto* box = new CViewContainer({10, 10, 30, 30}, rig.frame, skin);
    skin->release();
    box->setBackgroundOffset({20, 10});
    rig.frame->addView(box);
    rig.window().exposeAll();
    // Bitmap (25, 15) lands at local (5, 5), frame (15, 15).
    EXPECT_EQ(rig.window().shownPixel(15, 15), rgb(kRedCColor));
    EXPECT_EQ(rig.window().shownPixel(16, 15), 0xFF000000u);
}

} // namespace
