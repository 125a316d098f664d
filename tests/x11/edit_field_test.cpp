// The one-line edit field: typing with keyboard focus, the editing keys, the
// byte limit, and commits on Return and on the loss of focus.
#include "X11TestSupport.h"

#include <X11/keysym.h>

namespace x11test
{
namespace
{

// Commits like the toolkit's text edit does: takes the text, closes the field.
struct CommittingListener final : EditFieldListener
{
    void onEditReturn() override { commit(returns); }
    void onEditFocusLost() override { commit(losses); }
    void commit(int& counter)
    {
        ++counter;
        committed = (*field)->text();
        field->reset();
    }
    std::unique_ptr<EditField>* field = nullptr;
    int returns = 0;
    int losses = 0;
    std::string committed;
};

class EditFieldTest : public PlatformTest
{
  protected:
    void SetUp() override
    {
        PlatformTest::SetUp();
        if (!ready()) return;
        openChild(windowListener);
        listener.field = &field;
    }
    void open(const std::string& text, int32_t maxLength = 255)
    {
        EditFieldStyle style;
        style.area = Rect{138, 286, 251, 300};
        style.text = text;
        style.align = TextAlign::Center;
        style.fontHeight = 11;
        style.textColor = 0xFF4C4C48;
        style.backColor = 0xFFCFDEEB;
        style.maxLength = maxLength;
        field = window->openEditField(style, listener);
        ASSERT_NE(field, nullptr);
        pumpUntil(
            *platform, [] { return false; }, 60); // let focus settle
    }
    void pressKeys(const std::vector<std::pair<KeySym, bool>>& keys)
    {
        for (auto [k, shift] : keys)
            host.key(k, shift);
    }
    std::string textNow()
    {
        pumpUntil(
            *platform, [] { return false; }, 60);
        return field ? field->text() : listener.committed;
    }

    RecordingListener windowListener;
    std::unique_ptr<EditField> field;
    CommittingListener listener;
};

TEST_F(EditFieldTest, TypingReplacesTheSelectedTextAndReturnCommits)
{
    open("Old name");
    host.type("New Name");
    EXPECT_EQ(textNow(), "New Name");
    host.key(XK_Return);
    ASSERT_TRUE(pumpUntil(*platform, [&] { return listener.returns == 1; }));
    EXPECT_EQ(listener.committed, "New Name");
    EXPECT_EQ(field, nullptr);
    EXPECT_EQ(listener.losses, 0);
}

TEST_F(EditFieldTest, EditingKeysMoveTheCaretAndChangeTheText)
{
    struct Case
    {
        const char* name;
        std::vector<std::pair<KeySym, bool>> keys;
        std::string expected;
    };
    const Case cases[] = {
        {"End, Backspace", {{XK_End, false}, {XK_BackSpace, false}}, "ab"},
        {"Home, Delete", {{XK_Home, false}, {XK_Delete, false}}, "bc"},
        {"Left leaves the selection at its start", {{XK_Left, false}, {XK_x, false}}, "xabc"},
        {"Right leaves it at its end", {{XK_Right, false}, {XK_z, false}}, "abcz"},
        {"Shift+Left shrinks it", {{XK_Left, true}, {XK_q, false}}, "qc"},
        {"Home, Shift+Right selects one", {{XK_Home, false}, {XK_Right, true}, {XK_y, false}}, "ybc"},
        {"Backspace on the selection", {{XK_BackSpace, false}}, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        open("abc");
        pressKeys(c.keys);
        EXPECT_EQ(textNow(), c.expected);
        field.reset();
    }
}

TEST_F(EditFieldTest, TextStopsAtTheByteLimit)
{
    open("", 5);
    host.type("abcdefgh");
    EXPECT_EQ(textNow(), "abcde");
}

TEST_F(EditFieldTest, LosingKeyboardFocusCommitsOnce)
{
    open("Keep");
    host.type("Gone");
    pumpUntil(
        *platform, [] { return false; }, 60);
    XSetInputFocus(host.display, parent, RevertToParent, CurrentTime);
    XSync(host.display, False);
    ASSERT_TRUE(pumpUntil(*platform, [&] { return listener.losses == 1; }));
    EXPECT_EQ(listener.committed, "Gone");
    pumpUntil(
        *platform, [] { return false; }, 100);
    EXPECT_EQ(listener.losses, 1);
    EXPECT_EQ(listener.returns, 0);
}

TEST_F(EditFieldTest, ClosingGivesTheFocusBack)
{
    XSetInputFocus(host.display, parent, RevertToParent, CurrentTime);
    XSync(host.display, False);
    open("x");
    field.reset();
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(host.display, &focus, &revert);
    EXPECT_EQ(focus, parent);
    EXPECT_EQ(listener.losses, 0);
}

} // namespace
} // namespace x11test
