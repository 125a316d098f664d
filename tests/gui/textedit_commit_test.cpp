// The text edit: opening the platform field, committing on Return or focus
// loss exactly once, and the listener hearing only about real changes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "gui/CTextEdit.h"
#include "gui/CViewContainer.h"

namespace
{

using namespace controltest;
using platform::headless::HeadlessEditField;

// A container that records the notifications its children send.
class RecordingBox : public CViewContainer
{
  public:
    using CViewContainer::CViewContainer;
    std::int32_t notify(CView* sender, const char* message) override
    {
        if (message == kMsgLooseFocus) ++looseFocus;
        return CViewContainer::notify(sender, message);
    }
    int looseFocus = 0;
};

struct EditRig
{
    explicit EditRig(std::int32_t style = 0)
    {
        box = new RecordingBox(CViewRect{10, 20, 190, 90}, rig.frame);
        rig.frame->addView(box);
        edit = new CTextEdit(CViewRect{5, 5, 105, 25}, &listener, 43, "Preset", nullptr, style);
        box->addView(edit);
        other = rig.add(CViewRect{0, 95, 10, 100});
    }
    void clickEdit() { rig.window().click({30, 30}); }
    HeadlessEditField* field() { return rig.owner.platform.openField(); }

    FrameRig rig;
    RecordingListener listener;
    RecordingBox* box;
    CTextEdit* edit;
    ProbeView* other;
};

TEST(TextEditOpen, AClickOpensAFieldOverTheControlWithTheTextAndLimit)
{
    EditRig e;
    e.edit->setHoriAlign(2);
    e.clickEdit();
    ASSERT_NE(e.field(), nullptr);
    const platform::EditFieldStyle& style = e.field()->style();
    EXPECT_EQ(style.area, (platform::Rect{15, 25, 115, 45}));
    EXPECT_EQ(style.text, "Preset");
    EXPECT_EQ(style.maxLength, 255);
    EXPECT_EQ(style.align, platform::TextAlign::Right);
    EXPECT_EQ(style.fontHeight, 12);
    EXPECT_FALSE(style.bold);
    EXPECT_EQ(style.textColor, 0xFFFFFFFFu);
    EXPECT_EQ(style.backColor, 0xFF000000u);
    EXPECT_TRUE(e.edit->isEditing());
    EXPECT_EQ(e.rig.frame->getFocusView(), e.edit);
}

TEST(TextEditCommit, ReturnThenFocusLossCommitsOnce)
{
    EditRig e;
    e.clickEdit();
    e.field()->type("Warm Bus");
    e.field()->pressReturn();
    EXPECT_FALSE(e.edit->isEditing());
    EXPECT_TRUE(e.edit->wasReturnPressed());
    e.rig.window().click({5, 97}); // elsewhere
    EXPECT_EQ(e.edit->text(), "Warm Bus");
    ASSERT_EQ(e.listener.changes.size(), 1u);
    EXPECT_EQ(e.listener.changes[0].control, e.edit);
    EXPECT_TRUE(e.listener.changes[0].hadContext);
    EXPECT_EQ(e.box->looseFocus, 1);
    // One gesture: its end reaches the host once, however the commit arrived.
    EXPECT_EQ(e.rig.owner.edits, (std::vector<std::string>{"begin 43", "end 43"}));
    EXPECT_EQ(e.rig.frame->getFocusView(), nullptr);
}

TEST(TextEditCommit, EveryWayOfLeavingTheFieldCommits)
{
    enum Way
    {
        kFieldFocusLost,
        kClickElsewhere,
        kFrameFocusChange
    };
    for (const Way way : {kFieldFocusLost, kClickElsewhere, kFrameFocusChange})
    {
        EditRig e;
        e.clickEdit();
        e.field()->type("Night");
        switch (way)
        {
        case kFieldFocusLost:
            e.field()->loseFocus();
            break;
        case kClickElsewhere:
            e.rig.window().click({5, 97});
            break;
        case kFrameFocusChange:
            e.rig.frame->setFocusView(nullptr);
            break;
        }
        EXPECT_FALSE(e.edit->isEditing()) << way;
        EXPECT_EQ(e.edit->text(), "Night") << way;
        EXPECT_EQ(e.listener.changes.size(), 1u) << way;
        EXPECT_EQ(e.box->looseFocus, 1) << way;
        EXPECT_EQ(e.rig.owner.edits, (std::vector<std::string>{"begin 43", "end 43"})) << way;
        EXPECT_TRUE(e.edit->isDirty()) << way;
    }
}

TEST(TextEditCommit, UnchangedTextDoesNotNotifyButStillReportsTheFocusLoss)
{
    EditRig e;
    e.clickEdit();
    e.field()->pressReturn();
    EXPECT_TRUE(e.listener.changes.empty());
    EXPECT_EQ(e.box->looseFocus, 1);
    EXPECT_EQ(e.rig.owner.edits, (std::vector<std::string>{"begin 43", "end 43"}));
}

TEST(TextEditCommit, FocusLossWithoutAnOpenFieldDoesNothing)
{
    EditRig e;
    e.edit->loseFocus(nullptr);
    e.box->loseFocus(nullptr);
    EXPECT_TRUE(e.listener.changes.empty());
    EXPECT_EQ(e.box->looseFocus, 0);
    EXPECT_TRUE(e.rig.owner.edits.empty());
}

TEST(TextEditText, TextsAreCutTo255CharactersAndNullEmpties)
{
    CTextEdit edit(CViewRect{0, 0, 10, 10}, nullptr, 0, std::string(300, 'a').c_str());
    EXPECT_EQ(edit.text().size(), 255u);
    edit.setDirty(false);
    edit.setText(std::string(255, 'a').c_str());
    EXPECT_FALSE(edit.isDirty()); // same text: nothing to redraw
    edit.setText(nullptr);
    EXPECT_EQ(edit.text(), "");
    EXPECT_TRUE(edit.isDirty());
}

TEST(TextEditOpen, TheDoubleClickStyleOpensOnlyOnTheSecondClickInTime)
{
    struct Case
    {
        std::uint32_t gap;
        bool opens;
    };
    for (const Case c : {Case{100, true}, Case{499, true}, Case{500, false}})
    {
        EditRig e(kDoubleClickStyle);
        e.clickEdit();
        EXPECT_EQ(e.field(), nullptr);
        e.rig.owner.platform.advance(c.gap);
        e.clickEdit();
        EXPECT_EQ(e.field() != nullptr, c.opens) << c.gap;
    }
}

TEST(TextEditText, EightBitNamesCrossTheUtf8FieldUnchanged)
{
    EditRig e;
    e.edit->setText("Caf\xE9 \x80"); // Windows-1252: e acute, euro sign
    e.clickEdit();
    ASSERT_NE(e.field(), nullptr);
    EXPECT_EQ(e.field()->style().text, "Caf\xC3\xA9 \xE2\x82\xAC");
    e.field()->type("Cr\xC3\xA8me"); // typed as UTF-8
    e.field()->pressReturn();
    EXPECT_EQ(e.edit->text(), "Cr\xE8me");
}

} // namespace
