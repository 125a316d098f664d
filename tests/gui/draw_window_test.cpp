// A context on a window draws into its back buffer and shows each painted
// block at once; contexts on other surfaces never touch the window.

#include <gtest/gtest.h>

#include <memory>

#include "gui/CDrawContext.h"
#include "gui/COffscreenContext.h"
#include "platform/headless/HeadlessPlatform.h"

namespace
{

using namespace gui;
using platform::Rect;

struct IgnoreEvents final : platform::WindowListener
{
    void onExpose(const platform::ExposeEvent&) override {}
    void onButtonPress(const platform::ButtonEvent&) override {}
    void onWheel(const platform::WheelEvent&) override {}
    void onKey(const platform::KeyEvent&) override {}
    void onDestroyed() override {}
};

struct WindowFixture : ::testing::Test
{
    platform::headless::HeadlessPlatform system;
    IgnoreEvents events;
    std::unique_ptr<platform::Window> window;
    platform::headless::HeadlessWindow* shown = nullptr;

    void SetUp() override
    {
        const platform::NativeHandle host = system.addHostWindow(Rect{100, 50, 200, 150});
        window = system.createChildWindow(host, platform::Size{20, 10}, events);
        ASSERT_TRUE(window);
        shown = system.lastWindow();
        shown->clearPresented();
    }
};

TEST_F(WindowFixture, PaintedBlocksShowAtOnceAndAlone)
{
    CDrawContext* context = new CDrawContext(nullptr, nullptr, window.get());
    context->setFillColor(CViewColor{0, 255, 0, 255});
    context->offset = {2, 1};
    context->fillRect({0, 0, 4, 4});
    ASSERT_EQ(shown->presentedAreas().size(), 1u);
    EXPECT_EQ(shown->presentedAreas()[0], (Rect{3, 2, 6, 5}));
    EXPECT_EQ(shown->shownPixel(4, 3) & 0xFFFFFF, 0x00FF00u);

    context->fillRect({30, 30, 40, 40}); // off the window: nothing to show
    EXPECT_EQ(shown->presentedAreas().size(), 1u);
    context->release();
}

TEST_F(WindowFixture, OffscreenCompositionReachesTheWindowInOneBlock)
{
    COffscreenContext* offscreen = new COffscreenContext(nullptr, 20, 10, CViewColor{200, 0, 0, 255});
    offscreen->setFillColor(CViewColor{0, 0, 200, 255});
    offscreen->fillRect({0, 0, 10, 10});
    EXPECT_TRUE(shown->presentedAreas().empty());
    CDrawContext* context = new CDrawContext(nullptr, nullptr, window.get());
    offscreen->copyFrom(context, {0, 0, 20, 10});
    ASSERT_EQ(shown->presentedAreas().size(), 1u);
    EXPECT_EQ(shown->presentedAreas()[0], (Rect{0, 0, 20, 10}));
    EXPECT_EQ(shown->shownPixel(5, 5) & 0xFFFFFF, 0x0000C8u);
    EXPECT_EQ(shown->shownPixel(15, 5) & 0xFFFFFF, 0xC80000u);
    context->release();
    offscreen->release();
}

} // namespace
