// The pop-up menu: modal until a choice or a dismissal, answering the command
// of the item chosen by pointer or keyboard.
#include "X11TestSupport.h"

#include <X11/keysym.h>

#include "raster/PngFile.h"

namespace x11test
{
namespace
{

using Kind = MenuItem::Kind;

MenuItem item(std::string text, int32_t command, Kind kind = Kind::Command)
{
    MenuItem i;
    i.kind = kind;
    i.text = std::move(text);
    i.command = command;
    return i;
}

// Two columns of three equal rows: Alpha Beta Gamma | Delta Dim More>.
Menu twoColumns()
{
    Menu menu;
    menu.items = {item("Alpha", 10),
                  item("Beta", 11),
                  item("Gamma", 12),
                  item("Delta", 13),
                  item("Dim", 14, Kind::Greyed),
                  item("More", -1, Kind::SubMenu)};
    menu.items[1].checked = true;
    menu.items[3].columnBreak = true;
    menu.items[5].items = {item("Inner A", 20), item("Inner B", 21)};
    return menu;
}

Point rowCentre(const Rect& popup, int rows, int row, bool rightColumn)
{
    const int rowHeight = (popup.height() - 6) / rows;
    return Point{rightColumn ? popup.right - 30 : popup.left + 12,
                 popup.top + 3 + rowHeight * row + rowHeight / 2};
}

class MenuTest : public PlatformTest
{
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        if (ready()) openChild(listener);
    }

    // Opens the menu at `at` while a second connection plays the user.
    int32_t popupWithUser(const Menu& menu, Point at,
                          const std::function<void(Host&, std::vector<Rect>)>& act)
    {
        std::thread user(
            [&]
            {
                Host u;
                act(u, u.waitForPopups(1));
                for (int t = 0; t < 2000 && !u.popups().empty(); t += 10)
                    pause(10);
                if (!u.popups().empty()) // the menu did not close: end it so the test can fail
                    u.key(XK_Escape);
            });
        const int32_t answer = window->popupMenu(menu, at, false);
        user.join();
        return answer;
    }

    RecordingListener listener;
};

TEST_F(MenuTest, ClickingAnItemAnswersItsCommand)
{
    struct Case
    {
        const char* name;
        int row;
        bool rightColumn;
        int32_t expected;
    };
    const Case cases[] = {{"Beta", 1, false, 11}, {"Gamma", 2, false, 12}, {"Delta", 0, true, 13}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const int32_t answer = popupWithUser(twoColumns(), Point{150, 120},
                                             [&](Host& u, std::vector<Rect> p)
                                             {
                                                 ASSERT_EQ(p.size(), 1u);
                                                 EXPECT_EQ(p[0].left, 150);
                                                 EXPECT_EQ(p[0].top, 120);
                                                 const Point at = rowCentre(p[0], 3, c.row, c.rightColumn);
                                                 u.click(at.x, at.y);
                                             });
        EXPECT_EQ(answer, c.expected);
    }
}

// At scale 2 the menu is laid out and lettered at twice the size, not at
// 100% beside an editor drawn at 200%.
TEST_F(MenuTest, AtScaleTwoTheMenuAndItsLetteringAreTwiceAsLarge)
{
    Size shown[2];
    int inkHeight[2] = {};
    for (int scale : {1, 2})
    {
        Menu menu = twoColumns();
        menu.scale = scale;
        popupWithUser(menu, Point{40, 40},
                      [&](Host& u, std::vector<Rect> p)
                      {
                          ASSERT_EQ(p.size(), 1u);
                          pause(100);
                          shown[scale - 1] = Size{p[0].width(), p[0].height()};
                          // The first row, "Alpha": rows holding dark lettering.
                          const int border = 3 * scale;
                          const int rowHeight = (p[0].height() - 2 * border) / 3;
                          XImage* image = XGetImage(u.display, u.root, p[0].left + border, p[0].top + border,
                                                    static_cast<unsigned>(p[0].width() / 2 - border),
                                                    static_cast<unsigned>(rowHeight), AllPlanes, ZPixmap);
                          ASSERT_NE(image, nullptr);
                          int first = -1, last = -1;
                          for (int y = 0; y < image->height; ++y)
                              for (int x = 0; x < image->width; ++x)
                                  if ((XGetPixel(image, x, y) & 0xC0C0C0) == 0)
                                  {
                                      if (first < 0) first = y;
                                      last = y;
                                  }
                          XDestroyImage(image);
                          inkHeight[scale - 1] = first < 0 ? 0 : last - first + 1;
                          u.key(XK_Escape);
                      });
    }
    ASSERT_GT(inkHeight[0], 5);
    EXPECT_NEAR(inkHeight[1], 2 * inkHeight[0], 2);
    EXPECT_NEAR(shown[1].width, 2 * shown[0].width, 4);
    EXPECT_NEAR(shown[1].height, 2 * shown[0].height, 4);
}

// The menu opened from inside a press on our window, as the toolkit does it.
struct OpeningListener final : WindowListener
{
    void onExpose(const ExposeEvent&) override {}
    void onButtonPress(const ButtonEvent& e) override
    {
        const Point origin = (*window)->screenOrigin();
        answer =
            (*window)->popupMenu(twoColumns(), Point{origin.x + e.where.x, origin.y + e.where.y + offsetY},
                                 e.button == kButtonRight);
        answered = true;
    }
    void onWheel(const WheelEvent&) override {}
    void onKey(const KeyEvent&) override {}
    void onDestroyed() override {}
    std::unique_ptr<platform::Window>* window = nullptr;
    int offsetY = 20;
    int32_t answer = -2;
    bool answered = false;
};

TEST_F(MenuTest, MenuOpenedByAPressFollowsThatButton)
{
    struct Case
    {
        const char* name;
        unsigned button;
        bool releaseInPlace; // else drag to the row and release there
        int row;             // -1: Escape instead
        int32_t expected;
        int offsetY = 20;
    };
    const Case cases[] = {
        {"left press, released in place, then a click", 1, true, 2, 12},
        {"left press dragged onto an item", 1, false, 1, 11},
        {"right press dragged onto an item", 3, false, 0, 10},
        {"menu under the pointer: the opening release chooses nothing", 1, true, -1, -1, -5},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        OpeningListener opener;
        opener.offsetY = c.offsetY;
        auto own = platform->createChildWindow(handleOf(parent), Size{400, 309}, opener);
        opener.window = &own;
        std::thread user(
            [&]
            {
                Host u;
                u.moveTo(100 + 50, 80 + 40);
                u.button(c.button, true);
                const auto p = u.waitForPopups(1);
                if (p.size() != 1) return u.button(c.button, false);
                const Point at = rowCentre(p[0], 3, std::max(c.row, 0), false);
                if (c.row < 0)
                {
                    u.button(c.button, false);
                    pause(100);
                    u.key(XK_Escape);
                }
                else if (c.releaseInPlace)
                {
                    u.button(c.button, false);
                    pause(50);
                    u.click(at.x, at.y);
                }
                else
                {
                    u.moveTo(at.x, at.y - 2);
                    u.moveTo(at.x, at.y);
                    u.button(c.button, false);
                }
            });
        EXPECT_TRUE(pumpUntil(
            *platform, [&] { return opener.answered; }, 5000));
        user.join();
        EXPECT_EQ(opener.answer, c.expected);
    }
}

TEST_F(MenuTest, SubMenuOpensToTheSideAndItsItemsAnswer)
{
    const int32_t answer = popupWithUser(twoColumns(), Point{150, 120},
                                         [&](Host& u, std::vector<Rect> p)
                                         {
                                             const Point more = rowCentre(p[0], 3, 2, true);
                                             u.moveTo(more.x, more.y);
                                             const auto both = u.waitForPopups(2);
                                             ASSERT_EQ(both.size(), 2u);
                                             const Rect& sub =
                                                 both[1].left >= p[0].right - 10 ? both[1] : both[0];
                                             EXPECT_GE(sub.left, p[0].right - 10);
                                             const Point inner = rowCentre(sub, 2, 1, false);
                                             u.click(inner.x, inner.y);
                                         });
    EXPECT_EQ(answer, 21);
}

TEST_F(MenuTest, DismissalsAnswerMinusOne)
{
    struct Case
    {
        const char* name;
        std::function<void(Host&, const Rect&)> act;
    };
    const Case cases[] = {
        {"Escape", [](Host& u, const Rect&) { u.key(XK_Escape); }},
        {"click outside", [](Host& u, const Rect& p) { u.click(p.right + 40, p.bottom + 40); }},
        {"greyed item, then Escape",
         [](Host& u, const Rect& p)
         {
             const Point dim = rowCentre(p, 3, 1, true);
             u.click(dim.x, dim.y);
             pause(100);
             u.key(XK_Escape);
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(popupWithUser(twoColumns(), Point{150, 120},
                                [&](Host& u, std::vector<Rect> p) { c.act(u, p[0]); }),
                  -1);
    }
}

TEST_F(MenuTest, KeyboardMovesOverSelectableItemsAndReturnChooses)
{
    const int32_t answer =
        popupWithUser(twoColumns(), Point{150, 120},
                      [&](Host& u, std::vector<Rect>)
                      {
                          for (KeySym k : {XK_Down, XK_Down, XK_Down, XK_Down,
                                           XK_Down}) // Alpha Beta Gamma Delta (Dim skipped) More
                              u.key(k);
                          u.key(XK_Right); // into the sub-menu, on its first item
                          u.key(XK_Return);
                      });
    EXPECT_EQ(answer, 20);
}

TEST_F(MenuTest, MenuStaysOnScreen)
{
    const Size screen = platform->screenSize();
    const int32_t answer = popupWithUser(twoColumns(), Point{screen.width - 5, screen.height - 5},
                                         [&](Host& u, std::vector<Rect> p)
                                         {
                                             ASSERT_EQ(p.size(), 1u);
                                             EXPECT_LE(p[0].right, screen.width);
                                             EXPECT_LE(p[0].bottom, screen.height);
                                             u.key(XK_Escape);
                                         });
    EXPECT_EQ(answer, -1);
}

// The picture a user sees: text in every row of the open sub-menu, the entry
// under the pointer highlighted in the main menu (a PNG is left for a person).
TEST_F(MenuTest, AnOpenMenuShowsItsEntriesAndTheSubMenuBesideIt)
{
    Menu menu;
    menu.items.push_back(item("Current settings", 0));
    menu.items.push_back(item("", 1, Kind::Separator));
    for (int i = 2; i < 25; ++i)
        menu.items.push_back(item("Preset " + std::to_string(i - 1), i));
    menu.items[6].checked = true;
    menu.items[16].columnBreak = true;
    menu.items.push_back(item("Greyed entry", 30, Kind::Greyed));
    menu.items.push_back(item("A title", 31, Kind::Title));
    MenuItem sub = item("Sub-menu", -1, Kind::SubMenu);
    sub.items = {item("First", 40), item("Second", 41)};
    menu.items.push_back(sub);
    const std::string path = std::string(AMBERLIT_BINARY_DIR) + "/x11-menu.png";
    popupWithUser(
        menu, Point{40, 40},
        [&](Host& u, std::vector<Rect> p)
        {
            // Onto the sub-menu entry, the 12th row of the second column: it opens.
            const int rowHeight = (p[0].height() - 6 - 7) / 15;
            u.moveTo(p[0].right - 30, p[0].top + 3 + rowHeight * 11 + rowHeight / 2);
            const std::vector<Rect> popups = u.waitForPopups(2);
            ASSERT_EQ(popups.size(), 2u);
            pause(100);
            XImage* image = XGetImage(u.display, u.root, 0, 0, 700, 500, AllPlanes, ZPixmap);
            ASSERT_NE(image, nullptr);
            gui::CPixelSurface shot(700, 500);
            for (int y = 0; y < 500; ++y)
                for (int x = 0; x < 700; ++x)
                    shot.setPixel(x, y, 0xFF000000u | static_cast<uint32_t>(XGetPixel(image, x, y)));
            XDestroyImage(image);
            EXPECT_TRUE(gui::writePng(shot, path));
            auto count = [&](const Rect& area, auto&& match)
            {
                int n = 0;
                for (int y = std::max(area.top, 0); y < std::min(area.bottom, 500); ++y)
                    for (int x = std::max(area.left, 0); x < std::min(area.right, 700); ++x)
                        n += match(shot.pixel(x, y) & 0xFFFFFFu) ? 1 : 0;
                return n;
            };
            auto dark = [](uint32_t rgb)
            { return ((rgb >> 16) & 0xFF) < 0x40 && ((rgb >> 8) & 0xFF) < 0x40 && (rgb & 0xFF) < 0x40; };
            const Rect& subMenu = popups[0] == p[0] ? popups[1] : popups[0];
            const int middle = (subMenu.top + subMenu.bottom) / 2;
            EXPECT_GT(count(Rect{subMenu.left + 1, subMenu.top + 1, subMenu.right - 1, middle}, dark), 10)
                << "First";
            EXPECT_GT(count(Rect{subMenu.left + 1, middle, subMenu.right - 1, subMenu.bottom - 1}, dark), 10)
                << "Second";
            EXPECT_GT(count(p[0], [](uint32_t rgb) { return rgb == 0x336EC8u; }), 100) << "highlighted entry";
            u.key(XK_Escape);
        });
}

} // namespace
} // namespace x11test
