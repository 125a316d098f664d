// The about area and its picture: a click opens it as the frame's modal view
// with the version printed on it, a click anywhere closes it, and a frame that
// goes away with the picture up takes it along.
#include <gtest/gtest.h>

#include "EditorRig.h"
#include "editor/CAbout.h"
#include "editor/CSplashScreenMyView.h"

using namespace editortest;

namespace
{

struct AboutRig : Rig
{
    AboutRig() : picture(resources::kAboutPicture)
    {
        about = add(new CAbout(toView(resources::kAboutAreaRect), &listener, 13, picture,
                               toView(resources::kAboutDisplayRect), CViewPoint{}));
    }
    CViewPoint inAboutArea() const { return CViewPoint{150, 30}; }
    Skin picture;
    CAbout* about = nullptr;
};

TEST(About, ClickOpensThePictureWithTheVersion)
{
    for (std::uint32_t modifiers : {0u, std::uint32_t(platform::kModShift)})
    {
        AboutRig rig;
        rig.window().click({150, 30}, platform::kButtonLeft, modifiers);
        ASSERT_NE(rig.frame().getModalView(), nullptr) << modifiers;
        EXPECT_FLOAT_EQ(rig.about->getValue(), 1.0f);
        EXPECT_EQ(rig.listener.tags, std::vector<std::int32_t>{13});
        auto* view = dynamic_cast<CSplashScreenMyView*>(rig.frame().getModalView());
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->getVersionText(), "1.0.8");

        rig.frame().idle();
        // The picture outside the version text is shown as it is ...
        const CViewRect top{0, 0, 400, 60};
        EXPECT_TRUE(showsImage(rig.window(), *rig.picture.bitmap, top, CViewPoint{}));
        // ... and the version is printed over it, in light grey.
        const auto& r = resources::kVersionTextRect;
        int textPixels = 0;
        int lightest = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
            {
                const Pixel shown = rig.window().shownPixel(x, y);
                textPixels += sameRGB(shown, rig.picture.bitmap->getPixels().pixel(x, y)) ? 0 : 1;
                lightest = std::max<int>(lightest, redOf(shown));
            }
        EXPECT_GT(textPixels, 20);
        EXPECT_GE(lightest, 150);
    }
}

TEST(About, ClickAnywhereClosesItAndTheListenerHears)
{
    for (platform::Point where : {platform::Point{5, 5}, platform::Point{390, 270}, platform::Point{150, 30}})
    {
        AboutRig rig;
        rig.window().click(platform::Point{150, 30});
        rig.window().click(where);
        EXPECT_EQ(rig.frame().getModalView(), nullptr);
        EXPECT_FLOAT_EQ(rig.about->getValue(), 0.0f);
        EXPECT_EQ(rig.listener.tags, (std::vector<std::int32_t>{13, 13}));
        EXPECT_TRUE(rig.frame().isDirty()); // the panel comes back on the next idle
    }
}

TEST(About, ClosingTheWindowWithThePictureUpFreesIt)
{
    AboutRig rig;
    rig.window().click(platform::Point{150, 30});
    ASSERT_NE(rig.frame().getModalView(), nullptr);
    rig.editor->close(); // the sanitizer build reports the view if it stays behind
    EXPECT_EQ(rig.editor->getFrame(), nullptr);
}

TEST(About, RefusedByABusyFrameItStaysClosed)
{
    AboutRig rig;
    auto* other = new CView(CViewRect{0, 0, 10, 10});
    ASSERT_TRUE(rig.frame().setModalView(other));
    rig.about->mouse(nullptr, rig.inAboutArea(), buttonLeft);
    EXPECT_EQ(rig.frame().getModalView(), other);
    EXPECT_FLOAT_EQ(rig.about->getValue(), 0.0f);
    EXPECT_TRUE(rig.listener.tags.empty());
    rig.frame().setModalView(nullptr);
    other->release();
}

} // namespace
