// Pointer input as the frame needs it: presses and wheel notches as events in
// client coordinates, and the pointer polled from the server inside a press.
#include "X11TestSupport.h"

#include <X11/keysym.h>

namespace x11test
{
namespace
{

class InputTest : public PlatformTest
{
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        if (!ready()) return;
        openChild(listener);
        pumpUntil(*platform, [&] { return !listener.exposes.empty(); });
    }
    RecordingListener listener;
};

TEST_F(InputTest, PressesArriveAsButtonsAndWheelNotchesInClientCoordinates)
{
    struct Case
    {
        unsigned xButton;
        uint32_t button; // 0: a wheel notch
        float distance;
        bool horizontal;
    };
    const Case cases[] = {
        {1, kButtonLeft, 0, false}, {2, kButtonMiddle, 0, false}, {3, kButtonRight, 0, false},
        {4, 0, 1.0f, false},        {5, 0, -1.0f, false},         {6, 0, -1.0f, true},
        {7, 0, 1.0f, true},
    };
    int x = 20;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.xButton);
        listener.buttons.clear();
        listener.wheels.clear();
        host.click(100 + x, 80 + 33, c.xButton);
        ASSERT_TRUE(
            pumpUntil(*platform, [&] { return listener.buttons.size() + listener.wheels.size() == 1; }));
        if (c.button)
        {
            ASSERT_EQ(listener.buttons.size(), 1u);
            EXPECT_EQ(listener.buttons[0].button, c.button);
            EXPECT_EQ(listener.buttons[0].where, (Point{x, 33}));
        }
        else
        {
            ASSERT_EQ(listener.wheels.size(), 1u);
            EXPECT_EQ(listener.wheels[0].distance, c.distance);
            EXPECT_EQ(listener.wheels[0].horizontal, c.horizontal);
            EXPECT_EQ(listener.wheels[0].where, (Point{x, 33}));
        }
        x += 40;
    }
}

TEST_F(InputTest, PollingSeesTheButtonsAndModifiersHeldNow)
{
    host.moveTo(150, 120);
    host.button(1, true);
    PointerState held = platform->pointerState();
    EXPECT_EQ(held.screen, (Point{150, 120}));
    EXPECT_EQ(held.buttons, kButtonLeft);

    const KeyCode shift = XKeysymToKeycode(host.display, XK_Shift_L);
    XTestFakeKeyEvent(host.display, shift, True, CurrentTime);
    host.button(3, true);
    host.moveTo(180, 130);
    held = platform->pointerState();
    EXPECT_EQ(held.screen, (Point{180, 130}));
    EXPECT_EQ(held.buttons, kButtonLeft | kButtonRight);
    EXPECT_EQ(held.modifiers, kModShift);

    XTestFakeKeyEvent(host.display, shift, False, CurrentTime);
    host.button(1, false);
    host.button(3, false);
    const PointerState released = platform->pointerState();
    EXPECT_EQ(released.buttons, 0u);
    EXPECT_EQ(released.modifiers, 0u);
    EXPECT_FALSE(platform->buttonsSwapped());
}

TEST_F(InputTest, ExposeCanBeTakenOneAtATime)
{
    listener.exposes.clear();
    XClearArea(host.display, parent, 0, 0, 0, 0, False); // nothing of ours: no expose
    XUnmapWindow(host.display, parent);
    XMapWindow(host.display, parent);
    XSync(host.display, False);
    pause(50);
    EXPECT_TRUE(platform->dispatchPendingExpose());
    EXPECT_EQ(listener.exposes.size(), 1u);
    while (platform->dispatchPendingExpose())
    {
    }
    EXPECT_FALSE(platform->dispatchPendingExpose());
}

TEST_F(InputTest, TicksCountMillisecondsAndSleepWaits)
{
    const uint32_t start = platform->ticks();
    platform->sleep(30);
    const uint32_t elapsed = platform->ticks() - start;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 500u);
    EXPECT_GT(platform->doubleClickTime(), 0u);
}

// A settings daemon as desktops run one: it owns _XSETTINGS_S0 and publishes
// its settings, little-endian, on the owner window.
TEST_F(InputTest, DoubleClickTimeComesFromTheDesktopsSettings)
{
    auto word = [](std::string& blob, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            blob.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
    };
    auto setting = [&](std::string& blob, unsigned char type, const std::string& name)
    {
        blob.push_back(static_cast<char>(type));
        blob.push_back(0);
        blob.push_back(static_cast<char>(name.size() & 0xFF));
        blob.push_back(static_cast<char>(name.size() >> 8));
        blob += name;
        blob.append((4 - name.size() % 4) % 4, '\0');
        word(blob, 0); // last change
    };
    std::string blob{'\0', '\0', '\0', '\0'};
    word(blob, 1);                     // serial
    word(blob, 2);                     // settings
    setting(blob, 1, "Net/ThemeName"); // a string first, to be stepped over
    word(blob, 7);
    blob += std::string("Adwaita") + '\0';
    setting(blob, 0, "Net/DoubleClickTime");
    word(blob, 730);

    const ::Window daemon = host.makeWindow(0, 0, 1, 1, "SettingsDaemon");
    const Atom settings = XInternAtom(host.display, "_XSETTINGS_SETTINGS", False);
    XChangeProperty(host.display, daemon, settings, settings, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(blob.data()), static_cast<int>(blob.size()));
    XSetSelectionOwner(host.display, XInternAtom(host.display, "_XSETTINGS_S0", False), daemon, CurrentTime);
    XSync(host.display, False);
    EXPECT_EQ(x11::X11Platform::open()->doubleClickTime(), 730u);
    XDestroyWindow(host.display, daemon); // gives the selection up
    XSync(host.display, False);
}

} // namespace
} // namespace x11test
