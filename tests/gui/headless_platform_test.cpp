// The headless window system behaves like a small, scripted real one.
#include <gtest/gtest.h>

#include <memory>

#include "platform/headless/HeadlessPlatform.h"

namespace
{

using namespace platform;
using platform::headless::HeadlessEditField;
using platform::headless::HeadlessPlatform;
using platform::headless::HeadlessWindow;
using platform::headless::PointerStep;

struct NullListener final : WindowListener
{
    void onExpose(const ExposeEvent& e) override { exposed.push_back(e.area); }
    void onButtonPress(const ButtonEvent&) override {}
    void onWheel(const WheelEvent&) override {}
    void onKey(const KeyEvent&) override {}
    void onDestroyed() override {}
    std::vector<Rect> exposed;
};

TEST(HeadlessPlatform, APointerScriptAdvancesWithVirtualTime)
{
    HeadlessPlatform p;
    p.scriptPointer(
        {{{10, 10}, kButtonLeft, 0, 20}, {{15, 10}, kButtonLeft, kModShift, 20}, {{15, 10}, 0, 0, 20}});
    const struct
    {
        uint32_t sleepBefore;
        Point where;
        uint32_t buttons;
        uint32_t modifiers;
    } polls[] = {
        {0, {10, 10}, kButtonLeft, 0}, {19, {10, 10}, kButtonLeft, 0}, {1, {15, 10}, kButtonLeft, kModShift},
        {20, {15, 10}, 0, 0},          {500, {15, 10}, 0, 0},
    };
    for (const auto& poll : polls)
    {
        p.sleep(poll.sleepBefore);
        const PointerState s = p.pointerState();
        EXPECT_EQ(s.screen, poll.where);
        EXPECT_EQ(s.buttons, poll.buttons);
        EXPECT_EQ(s.modifiers, poll.modifiers);
    }
    EXPECT_TRUE(p.pointerScriptDone());
    EXPECT_FALSE(p.pointerStalled());
}

TEST(HeadlessPlatform, ALoopThatNeverLetsTimePassIsReleasedInsteadOfHanging)
{
    HeadlessPlatform p;
    p.scriptPointer({{{1, 1}, kButtonLeft, 0, 10}, {{2, 2}, kButtonLeft, 0, 10}});
    int turns = 0;
    while (p.pointerState().buttons & kButtonLeft)
        ++turns;
    EXPECT_TRUE(p.pointerStalled());
    EXPECT_GT(turns, 1000);
    EXPECT_EQ(p.pointerState().screen, (Point{2, 2}));
}

TEST(HeadlessPlatform, MenusAnswerOnlySelectableCommands)
{
    HeadlessPlatform p;
    Menu menu;
    menu.items.push_back({MenuItem::Kind::Command, "One", 0, false, false, {}});
    menu.items.push_back({MenuItem::Kind::Separator, "", 1, false, false, {}});
    menu.items.push_back({MenuItem::Kind::Greyed, "Grey", 2, false, false, {}});
    MenuItem sub{MenuItem::Kind::SubMenu, "More", -1, false, false, {}};
    sub.items.push_back({MenuItem::Kind::Command, "Deep", 7, false, false, {}});
    menu.items.push_back(sub);

    NullListener listener;
    const NativeHandle host = p.addHostWindow({0, 0, 100, 100});
    auto window = p.createChildWindow(host, {100, 100}, listener);
    ASSERT_TRUE(window);

    p.queueMenuCommand(0);
    p.queueMenuCommand(2); // greyed: cannot be chosen
    p.queueMenuChoice("Deep");
    p.queueMenuDismiss();
    const int32_t expected[] = {0, -1, 7, -1, -1};
    for (int32_t answer : expected)
        EXPECT_EQ(window->popupMenu(menu, {5, 6}, true), answer);
    ASSERT_EQ(p.shownMenus().size(), 5u);
    EXPECT_EQ(p.shownMenus()[0].screen, (Point{5, 6}));
    EXPECT_TRUE(p.shownMenus()[0].trackRight);
    EXPECT_EQ(p.shownMenus()[2].menu.items[3].items[0].text, "Deep");
}

struct DestroyingListener final : EditFieldListener
{
    void onEditReturn() override
    {
        ++returns;
        committed = field->text();
        field.reset(); // the field goes away inside its own callback
    }
    void onEditFocusLost() override { ++losses; }
    std::unique_ptr<EditField> field;
    std::string committed;
    int returns = 0;
    int losses = 0;
};

TEST(HeadlessPlatform, AnEditFieldMayBeClosedFromItsOwnCallback)
{
    HeadlessPlatform p;
    NullListener windowListener;
    auto window = p.createChildWindow(p.addHostWindow({0, 0, 50, 50}), {50, 50}, windowListener);
    DestroyingListener listener;
    EditFieldStyle style;
    style.text = "old";
    style.maxLength = 5;
    listener.field = window->openEditField(style, listener);
    HeadlessEditField* field = p.openField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), "old");
    field->type("a longer name");
    field->pressReturn();
    EXPECT_EQ(listener.committed, "a lon");
    EXPECT_EQ(p.openField(), nullptr);
    EXPECT_EQ(listener.losses, 0);
    ASSERT_EQ(p.openedFields().size(), 1u);
}

TEST(HeadlessPlatform, DialogsAnswerFromTheQueueAndAreRecorded)
{
    HeadlessPlatform p;
    FileChooserRequest request;
    request.title = "Select bank to load...";
    p.queueFileAnswer(std::string("/tmp/a.trb"));
    EXPECT_EQ(p.chooseFile(request, nullptr), std::optional<std::string>("/tmp/a.trb"));
    EXPECT_EQ(p.chooseFile(request, nullptr), std::nullopt);
    ASSERT_EQ(p.fileRequests().size(), 2u);
    EXPECT_EQ(p.fileRequests()[1].title, "Select bank to load...");
    p.showMessage({"Error...", "Not a bank file!", MessageIcon::Error});
    ASSERT_EQ(p.messages().size(), 1u);
    EXPECT_EQ(p.messages()[0].text, "Not a bank file!");
}

TEST(HeadlessPlatform, PresentingCopiesOnlyTheGivenAreaToTheScreen)
{
    HeadlessPlatform p;
    NullListener listener;
    auto owned = p.createChildWindow(p.addHostWindow({100, 50, 120, 60}), {20, 10}, listener);
    auto& window = *p.lastWindow();
    EXPECT_EQ(window.screenOrigin(), (Point{100, 50}));
    PixelSpan back = window.backBuffer();
    for (int i = 0; i < back.width * back.height; ++i)
        back.pixels[i] = 0xFFFFFFFFu;
    window.present({2, 3, 4, 5});
    EXPECT_EQ(window.shownPixel(2, 3), 0xFFFFFFFFu);
    EXPECT_EQ(window.shownPixel(3, 4), 0xFFFFFFFFu);
    EXPECT_EQ(window.shownPixel(4, 4), 0xFF000000u);
    EXPECT_EQ(window.shownPixel(1, 3), 0xFF000000u);
    window.present({-5, -5, 100, 100}); // clipped, no overrun
    EXPECT_EQ(window.shownPixel(19, 9), 0xFFFFFFFFu);
}

TEST(HeadlessPlatform, QueuedExposesWaitForDispatchOneAtATime)
{
    HeadlessPlatform p;
    NullListener listener;
    auto owned = p.createChildWindow(p.addHostWindow({0, 0, 30, 30}), {30, 30}, listener);
    p.queueExpose(*p.lastWindow(), {0, 0, 10, 10});
    p.queueExpose(*p.lastWindow(), {0, 0, 40, 40});
    EXPECT_TRUE(listener.exposed.empty());
    EXPECT_TRUE(p.dispatchPendingExpose());
    EXPECT_EQ(listener.exposed.size(), 1u);
    p.dispatchEvents();
    ASSERT_EQ(listener.exposed.size(), 2u);
    EXPECT_EQ(listener.exposed[1], (Rect{0, 0, 30, 30}));
    EXPECT_FALSE(p.dispatchPendingExpose());
}

TEST(HeadlessPlatform, NoParentOrARefusalGivesNoWindow)
{
    HeadlessPlatform p;
    NullListener listener;
    EXPECT_FALSE(p.createChildWindow(nullptr, {10, 10}, listener));
    const NativeHandle host = p.addHostWindow({0, 0, 10, 10});
    p.refuseNextWindow();
    EXPECT_FALSE(p.createChildWindow(host, {10, 10}, listener));
    EXPECT_TRUE(p.createChildWindow(host, {10, 10}, listener));
}

} // namespace
