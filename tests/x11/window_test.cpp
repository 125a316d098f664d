// Our child window in a host's window: presenting, the host's window chain,
// and a host window that goes away under us.
#include "X11TestSupport.h"

namespace x11test
{
namespace
{

uint32_t pattern(int x, int y)
{
    return 0xFF000000u | uint32_t(x * 3 & 0xFF) << 16 | uint32_t(y * 5 & 0xFF) << 8 |
           uint32_t((x ^ y) & 0xFF);
}

class WindowTest : public PlatformTest
{
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        if (ready()) parent = host.makeWindow(60, 50, 480, 360);
    }
    RecordingListener listener;
};

TEST_F(WindowTest, PresentedPixelsAreWhatTheServerShowsWithAndWithoutSharedMemory)
{
    for (bool shared : {true, false})
    {
        SCOPED_TRACE(shared ? "shared memory" : "protocol");
        auto own = x11::X11Platform::open();
        if (!shared) own->disableShm();
        auto child = own->createChildWindow(handleOf(parent), Size{400, 309}, listener);
        ASSERT_NE(child, nullptr);
        PixelSpan span = child->backBuffer();
        ASSERT_EQ(span.width, 400);
        for (int y = 0; y < span.height; ++y)
            for (int x = 0; x < span.width; ++x)
                span.pixels[y * span.stride + x] = pattern(x, y);
        child->present(Rect{0, 0, 400, 309});
        // A partial present changes only its area.
        span.pixels[10 * span.stride + 10] = 0xFF123456;
        span.pixels[200 * span.stride + 300] = 0xFF654321;
        child->present(Rect{0, 0, 50, 50});
        const ::Window shown = windowOf(child->handle());
        struct Probe
        {
            int x, y;
            uint32_t expected;
        };
        const Probe probes[] = {{0, 0, pattern(0, 0)},
                                {399, 308, pattern(399, 308)},
                                {123, 77, pattern(123, 77)},
                                {10, 10, 0x123456},
                                {300, 200, pattern(300, 200)}};
        for (const Probe& p : probes)
            EXPECT_TRUE(showsPixel(host.display, shown, p.x, p.y, p.expected & 0xFFFFFF))
                << p.x << "," << p.y;
        child.reset();
    }
}

TEST_F(WindowTest, ChildSitsAtTheParentsOriginAndAnswersTheChainQueries)
{
    auto child = platform->createChildWindow(handleOf(parent), Size{400, 309}, listener);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->parent(), handleOf(parent));
    EXPECT_EQ(child->screenOrigin(), (Point{60, 50}));
    EXPECT_EQ(platform->parentOf(child->handle()), handleOf(parent));
    EXPECT_EQ(platform->parentOf(handleOf(parent)), nullptr); // the top
    EXPECT_EQ(platform->windowRect(handleOf(parent)), (Rect{60, 50, 540, 410}));
    EXPECT_EQ(platform->windowClassName(handleOf(parent)), "HostEditorWindow");
    EXPECT_EQ(platform->windowClassName(child->handle()).rfind("Plugin", 0), 0u);
    EXPECT_FALSE(platform->hasCaption(child->handle()));
    EXPECT_EQ(platform->dialogFrameHeight(), 0);

    EXPECT_TRUE(platform->resizeWindow(handleOf(parent), Size{420, 330}));
    EXPECT_EQ(platform->windowRect(handleOf(parent)), (Rect{60, 50, 480, 380}));
    EXPECT_TRUE(child->setSize(Size{410, 320}));
    EXPECT_EQ(child->backBuffer().width, 410);
    EXPECT_EQ(platform->windowRect(child->handle()), (Rect{60, 50, 470, 370}));
}

TEST_F(WindowTest, FirstShowIsExposed)
{
    auto child = platform->createChildWindow(handleOf(parent), Size{400, 309}, listener);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(pumpUntil(*platform, [&] { return !listener.exposes.empty(); }));
    EXPECT_EQ(listener.exposes.front(), (Rect{0, 0, 400, 309}));
}

// Keys reach the editor through the host; typed over our window they must
// still reach the host's window, or its shortcuts die under the pointer.
TEST_F(WindowTest, KeysTypedOverTheEditorReachTheHostsWindow)
{
    auto child = platform->createChildWindow(handleOf(parent), Size{400, 309}, listener);
    ASSERT_NE(child, nullptr);
    ASSERT_TRUE(pumpUntil(*platform, [&] { return !listener.exposes.empty(); }));
    XSelectInput(host.display, parent, StructureNotifyMask | KeyPressMask);
    XSetInputFocus(host.display, parent, RevertToParent, CurrentTime);
    host.moveTo(60 + 100, 50 + 100); // over our child window
    host.key(XK_space);
    bool hostHeard = false;
    for (int t = 0; t < 1000 && !hostHeard; t += 10)
    {
        platform->dispatchEvents();
        XEvent e;
        hostHeard = XCheckWindowEvent(host.display, parent, KeyPressMask, &e);
        if (!hostHeard) pause(10);
    }
    EXPECT_TRUE(hostHeard);
}

TEST_F(WindowTest, HostWindowDestroyedUnderUsIsReportedAndNothingCrashes)
{
    // The host's own error handler must never hear of our connection's errors.
    static int hostHandlerCalls = 0;
    hostHandlerCalls = 0;
    auto hostHandler = [](Display*, XErrorEvent*) -> int { return ++hostHandlerCalls, 0; };
    XErrorHandler before = XSetErrorHandler(hostHandler);

    auto child = platform->createChildWindow(handleOf(parent), Size{400, 309}, listener);
    ASSERT_NE(child, nullptr);
    const NativeHandle gone = child->handle();
    XDestroyWindow(host.display, parent);
    XSync(host.display, False);
    ASSERT_TRUE(pumpUntil(*platform, [&] { return listener.destroyed == 1; }));

    // Everything still answers, quietly.
    child->present(Rect{0, 0, 400, 309});
    child->setCursor(platform::Cursor::Hand);
    EXPECT_FALSE(child->setSize(Size{300, 200}));
    EXPECT_EQ(platform->windowRect(gone), std::nullopt);
    EXPECT_EQ(platform->parentOf(gone), nullptr);
    EXPECT_EQ(platform->windowClassName(gone), "");
    EXPECT_FALSE(platform->resizeWindow(gone, Size{10, 10}));
    child.reset();
    EXPECT_EQ(platform->createChildWindow(gone, Size{400, 309}, listener), nullptr);

    // And the backend goes on working in a new host window.
    const ::Window next = host.makeWindow(10, 10, 400, 309);
    auto again = platform->createChildWindow(handleOf(next), Size{400, 309}, listener);
    EXPECT_NE(again, nullptr);
    again.reset();

    XSync(host.display, False);
    EXPECT_EQ(hostHandlerCalls, 0);
    EXPECT_EQ(XSetErrorHandler(before), hostHandler); // nobody replaced the host's handler
}

TEST_F(WindowTest, SeveralBackendsLiveSideBySide)
{
    auto second = x11::X11Platform::open();
    RecordingListener other;
    auto a = platform->createChildWindow(handleOf(parent), Size{200, 100}, listener);
    auto b = second->createChildWindow(handleOf(parent), Size{200, 100}, other);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a.reset();
    platform.reset(); // one editor closes; the other keeps going
    b->present(Rect{0, 0, 200, 100});
    EXPECT_TRUE(b->setSize(Size{220, 120}));
}

} // namespace
} // namespace x11test
