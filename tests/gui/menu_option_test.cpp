// Option menu entries, the platform menu built from them, and how the chosen
// command finds its way back to the entry and menu it came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "gui/COffscreenContext.h"
#include "gui/COptionMenu.h"

namespace
{

using namespace controltest;
using Kind = platform::MenuItem::Kind;

const CViewRect kMenuRect{20, 30, 120, 46};

struct MenuRig
{
    explicit MenuRig(std::int32_t style = 0)
    {
        menu = new COptionMenu(kMenuRect, &listener, 49, nullptr, style);
        rig.frame->addView(menu);
    }
    void add(std::initializer_list<const char*> texts)
    {
        for (const char* t : texts)
            menu->addEntry(t);
    }
    // Clicks the menu; the pop-up answers with the item called `choice` (none: dismissed).
    const platform::Menu& open(const char* choice = nullptr, std::uint32_t button = platform::kButtonLeft)
    {
        if (choice) rig.owner.platform.queueMenuChoice(choice);
        rig.window().click({30, 35}, button);
        return rig.owner.platform.shownMenus().back().menu;
    }
    FrameRig rig;
    RecordingListener listener;
    COptionMenu* menu;
};

std::vector<std::string> texts(const COptionMenu& menu)
{
    std::vector<std::string> out;
    for (std::int32_t i = 0; i < menu.getNbEntries(); ++i)
        out.push_back(menu.entryText(i));
    return out;
}

TEST(OptionMenuEntries, SeparatorsAreRefusedAsCurrentAndSkippedWithoutCounting)
{
    MenuRig m;
    m.add({"A"});
    m.menu->addEntry("-", 1);
    m.add({"B", "C"});
    m.menu->addEntry("-TTitle");
    m.add({"D"});
    EXPECT_EQ(texts(*m.menu), (std::vector<std::string>{"A", "-", "B", "C", "-TTitle", "D"}));
    EXPECT_FALSE(m.menu->setCurrent(1, true));
    EXPECT_EQ(m.menu->getCurrent(), 0);
    EXPECT_TRUE(m.menu->setCurrent(1, false));
    EXPECT_EQ(m.menu->getCurrent(), 2);
    struct Case
    {
        std::int32_t index; // without separator counting
        std::int32_t position;
    };
    for (const Case c : {Case{0, 0}, Case{2, 3}, Case{3, 5}, Case{4, 5}})
    {
        EXPECT_TRUE(m.menu->setCurrent(c.index, false));
        EXPECT_EQ(m.menu->getCurrent(nullptr, true), c.position);
        EXPECT_EQ(m.menu->getCurrent(nullptr, false), std::min(c.index, 3));
    }
    EXPECT_TRUE(m.menu->setCurrent(4, true)); // a title may be current when counted
    EXPECT_FALSE(m.menu->setCurrent(6, true));
    EXPECT_FALSE(m.menu->setCurrent(-1, false));
    char text[256];
    EXPECT_EQ(m.menu->getCurrent(text, false), 3);
    EXPECT_STREQ(text, "-TTitle");
}

TEST(OptionMenuEntries, InsertingShiftsTextsAndTheCurrentEntryButNotTheCheckMarks)
{
    MenuRig m;
    m.add({"A", "B"});
    m.menu->setCurrent(1);
    m.menu->checkEntry(1, true);
    m.menu->addEntry("X", 0);
    EXPECT_EQ(texts(*m.menu), (std::vector<std::string>{"X", "A", "B"}));
    EXPECT_EQ(m.menu->getCurrent(), 2);
    EXPECT_TRUE(m.menu->isCheckEntry(1));
    m.menu->addEntry("Y", 99);
    EXPECT_EQ(m.menu->entryText(3), "Y");
}

TEST(OptionMenuEntries, RemovingMovesTheCurrentEntryBack)
{
    struct Case
    {
        std::int32_t current;
        std::int32_t removed;
        std::int32_t after;
    };
    const Case cases[] = {{2, 2, 1}, {2, 0, 1}, {1, 2, 1}, {0, 0, -1}};
    for (const Case& c : cases)
    {
        MenuRig m;
        m.add({"A", "B", "C"});
        m.menu->setCurrent(c.current);
        EXPECT_TRUE(m.menu->removeEntry(c.removed));
        EXPECT_EQ(m.menu->getCurrent(), c.after) << c.current << " " << c.removed;
    }
    MenuRig m;
    m.add({"A"});
    EXPECT_FALSE(m.menu->removeEntry(1));
    EXPECT_TRUE(m.menu->removeEntry(0));
    EXPECT_EQ(m.menu->getCurrent(), -1);
    EXPECT_EQ(m.menu->getNbEntries(), 0);
}

TEST(OptionMenuEntries, LongTextsAreCutAndTheMenuHoldsAtMost1024Entries)
{
    MenuRig m;
    const std::string longText(400, 'x');
    EXPECT_TRUE(m.menu->addEntry(longText.c_str()));
    EXPECT_EQ(m.menu->entryText(0).size(), 255u);
    for (int i = 1; i < 1024; ++i)
        ASSERT_TRUE(m.menu->addEntry("e"));
    EXPECT_FALSE(m.menu->addEntry("one too many"));
    EXPECT_EQ(m.menu->getNbEntries(), 1024);
}

TEST(OptionMenuEntries, NumberedEntriesShowTheNumberInTheMenuButNotOnTheControl)
{
    struct Case
    {
        std::int32_t width;
        const char* third;
    };
    for (const Case c : {Case{2, "3 Gamma"}, Case{3, "03 Gamma"}, Case{4, "003 Gamma"}})
    {
        MenuRig m;
        m.menu->setPrefixNumbers(c.width);
        m.add({"Alpha", "Beta", "Gamma"});
        EXPECT_EQ(m.menu->entryText(2), c.third);
    }
    MenuRig numbered;
    numbered.menu->setPrefixNumbers(3);
    numbered.add({"Alpha", "Beta", "Gamma"});
    numbered.menu->setCurrent(2);
    MenuRig plain;
    plain.add({"Gamma"});
    auto* a = new COffscreenContext(numbered.rig.frame, 140, 60);
    auto* b = new COffscreenContext(plain.rig.frame, 140, 60);
    numbered.menu->draw(a);
    plain.menu->draw(b);
    EXPECT_EQ(a->getPixels().checksum(), b->getPixels().checksum());
    a->release();
    b->release();
}

TEST(OptionMenuPopup, ItemKindsFollowTheTextMarkers)
{
    MenuRig m(kCheckCurrentStyle);
    m.add({"Plain", "-", "-GGrey", "-TTitle", "Other"});
    const platform::Menu& shown = m.open();
    ASSERT_EQ(shown.items.size(), 5u);
    const std::pair<Kind, const char*> expected[] = {{Kind::Command, "Plain"},
                                                     {Kind::Separator, ""},
                                                     {Kind::Greyed, "Grey"},
                                                     {Kind::Title, "Title"},
                                                     {Kind::Command, "Other"}};
    for (std::size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(shown.items[i].kind, expected[i].first) << i;
        EXPECT_EQ(shown.items[i].text, expected[i].second) << i;
        EXPECT_EQ(shown.items[i].checked, i == 0) << i;
    }
}

TEST(OptionMenuPopup, ColumnsBreakEverySixteenItemsUnlessTheMenuIsVeryLong)
{
    struct Case
    {
        int entries;
        std::vector<std::size_t> breaks;
    };
    const Case cases[] = {{25, {16}}, {40, {16, 32}}, {160, {}}};
    for (const Case& c : cases)
    {
        MenuRig m;
        m.menu->setNbItemsPerColumn(16);
        m.add({"first", "-"}); // separators count as items
        for (int i = 2; i < c.entries; ++i)
            m.menu->addEntry(("e" + std::to_string(i)).c_str());
        const platform::Menu& shown = m.open();
        std::vector<std::size_t> breaks;
        for (std::size_t i = 0; i < shown.items.size(); ++i)
            if (shown.items[i].columnBreak) breaks.push_back(i);
        EXPECT_EQ(breaks, c.breaks) << c.entries;
    }
}

TEST(OptionMenuPopup, AChoiceSelectsTheEntryAndNotifiesOnceAndADismissalNobody)
{
    MenuRig m;
    m.add({"A", "B", "C"});
    m.open("C");
    EXPECT_EQ(m.menu->getCurrent(), 2);
    EXPECT_FLOAT_EQ(m.menu->getValue(), 2.0f);
    EXPECT_EQ(m.menu->getLastResult(), 2);
    ASSERT_EQ(m.listener.changes.size(), 1u);
    EXPECT_EQ(m.listener.changes[0].control, m.menu);
    EXPECT_TRUE(m.listener.changes[0].hadContext);
    EXPECT_EQ(m.rig.owner.edits, (std::vector<std::string>{"begin 49", "end 49"}));
    EXPECT_EQ(m.rig.frame->getFocusView(), nullptr);

    m.open(); // dismissed: nothing changes, nobody hears, the gesture still closes
    EXPECT_EQ(m.menu->getCurrent(), 2);
    EXPECT_EQ(m.menu->getLastResult(), -1);
    EXPECT_EQ(m.listener.changes.size(), 1u);
    EXPECT_EQ(m.rig.owner.edits.size(), 4u);
}

TEST(OptionMenuPopup, OpensBelowTheControlOrAtItsTopAndTracksTheClickingButton)
{
    for (const std::int32_t style : {0, static_cast<std::int32_t>(kPopupStyle)})
    {
        MenuRig m(style);
        m.add({"A"});
        m.open(nullptr, platform::kButtonRight);
        const platform::headless::ShownMenu& shown = m.rig.owner.platform.shownMenus().back();
        // The host window's client starts at (300, 200) on the screen.
        EXPECT_EQ(shown.screen, (platform::Point{320, style ? 230 : 246}));
        EXPECT_TRUE(shown.trackRight);
    }
}

TEST(OptionMenuPopup, ASubMenuChoiceSelectsInTheSubMenuAndReportsIt)
{
    MenuRig m;
    auto* sub = new COptionMenu(CViewRect{}, nullptr, 0);
    sub->addEntry("x");
    sub->addEntry("y");
    auto* deeper = new COptionMenu(CViewRect{}, nullptr, 0);
    deeper->addEntry("z");
    sub->addEntry(deeper, "Deeper");
    m.add({"A"});
    m.menu->addEntry(sub, "More");
    m.add({"B"});

    const platform::Menu& shown = m.open("y");
    ASSERT_EQ(shown.items.size(), 3u);
    EXPECT_EQ(shown.items[1].kind, Kind::SubMenu);
    EXPECT_EQ(shown.items[1].text, "More");
    // Commands: this menu 0..2, then the sub-menu 3..5, then its own sub-menu 6.
    EXPECT_EQ(shown.items[1].items[1].command, 4);
    EXPECT_EQ(shown.items[1].items[2].items[0].command, 6);
    EXPECT_EQ(sub->getCurrent(), 1);
    EXPECT_FLOAT_EQ(sub->getValue(), 1.0f);
    EXPECT_EQ(m.menu->getCurrent(), 0);
    ASSERT_EQ(m.listener.changes.size(), 1u);
    EXPECT_EQ(m.listener.changes[0].control, sub);
    std::int32_t index = -1;
    EXPECT_EQ(m.menu->getLastItemMenu(index), sub);
    EXPECT_EQ(index, 1);

    m.open("z");
    EXPECT_EQ(m.listener.changes.back().control, deeper);
    EXPECT_EQ(m.menu->getLastResult(), 6);
    m.open("B");
    EXPECT_EQ(m.menu->getCurrent(), 2);
    sub->release();
    deeper->release();
}

TEST(OptionMenuPopup, CheckStyleTogglesTheMarkOfEachChosenEntry)
{
    MenuRig m(kCheckStyle);
    m.add({"A", "B", "C"});
    m.open("B");
    m.open("C");
    const platform::Menu& shown = m.open("B");
    EXPECT_FALSE(shown.items[0].checked);
    EXPECT_TRUE(shown.items[1].checked);
    EXPECT_TRUE(shown.items[2].checked);
    EXPECT_FALSE(m.menu->isCheckEntry(1)); // the third choice toggled it off again
    m.menu->checkEntryAlone(0);
    EXPECT_TRUE(m.menu->isCheckEntry(0));
    EXPECT_FALSE(m.menu->isCheckEntry(2));
}

} // namespace
