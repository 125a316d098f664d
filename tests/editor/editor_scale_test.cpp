// The editor at 2x: twice the pixels, the same logical layout and feel.

#include <gtest/gtest.h>

#include "editor/EditorScale.h"
#include "presets/PreferenceStore.h"
#include "raster/CPixelSurface.h"
#include "tests/editor/PanelRig.h"
#include "tests/support/SettingsSandbox.h"

using namespace paneltest;

namespace
{

struct Size
{
    int width, height;
};

Size hostRect(AutoComp* effect)
{
    ERect* rect = nullptr;
    AEffect* record = effect->getAeffect();
    if (record->dispatcher(record, effEditGetRect, 0, 0, &rect, 0.0f) != 1 || !rect) return {0, 0};
    return {rect->right - rect->left, rect->bottom - rect->top};
}

} // namespace

TEST(EditorScale, TwiceTheSizeBeforeAndAfterOpen)
{
    PanelRig rig(2);
    ASSERT_TRUE(rig.opened);
    EXPECT_EQ(hostRect(rig.effect).width, 800);
    EXPECT_EQ(hostRect(rig.effect).height, 618);
    EXPECT_EQ(rig.window().size().width, 800);
    EXPECT_EQ(rig.window().size().height, 618);
    EXPECT_EQ(rig.frame().getViewSize().width(), 400); // the views stay logical
    rig.editor->close();
    EXPECT_EQ(hostRect(rig.effect).width, 800);
}

// The same logical press and drag moves a knob equally at both scales, and a
// press just outside the knob (in device pixels) misses it at both.
TEST(EditorScale, HitAreasAndDragTravelAreLogical)
{
    const gui::CViewPoint centre = centreOf(resources::kCompressionKnobRect);
    float moved[2] = {};
    for (int scale : {1, 2})
    {
        PanelRig rig(scale);
        CAnimKnob3* knob = rig.editor->getKnob(params::kCompression);
        knob->setValue(0.5f);
        const gui::CViewPoint at{centre.h * scale, centre.v * scale};
        const gui::CViewPoint to{at.h, at.v - 40 * scale};
        rig.press(at, 0, 20, {{rig.screenPoint(to), platform::kButtonLeft, 0, 20}});
        moved[scale - 1] = knob->getValue();

        knob->setValue(0.5f);
        const gui::CViewPoint outside{resources::kCompressionKnobRect.right * scale,
                                      resources::kCompressionKnobRect.top * scale - 1};
        rig.press(outside, 0, 20,
                  {{rig.screenPoint({outside.h, outside.v - 40}), platform::kButtonLeft, 0, 20}});
        EXPECT_FLOAT_EQ(knob->getValue(), 0.5f) << scale;
    }
    EXPECT_GT(moved[0], 0.5f);
    EXPECT_FLOAT_EQ(moved[1], moved[0]);
}

// Where gestures go on across idle calls (X11), one pointer path in logical
// pixels sends the host the same automation at both scales: nothing moves
// before the pointer does, and every step lands where it does at 100%.
TEST(EditorScale, ADragFedFromIdleSendsTheSameAutomationAtBothScales)
{
    const gui::CViewPoint centre = centreOf(resources::kCompressionKnobRect);
    for (int up : {20, 100})
    {
        std::vector<float> sent[2];
        for (int scale : {1, 2})
        {
            PanelRig rig(scale);
            rig.screen->setPressesMayBlock(false);
            rig.editor->getKnob(params::kCompression)->setValue(0.5f);
            const auto at = [&](int dy) {
                return gui::CViewPoint{centre.h * scale, (centre.v - dy) * scale};
            };
            std::vector<PointerStep> path;
            for (int dy : {0, 1, up / 4, up / 2, up})
                path.push_back({rig.screenPoint(at(dy)), platform::kButtonLeft, 0, 30});
            RecordingHost::calls.clear();
            rig.press(at(0), 0, 30, path);
            for (int turn = 0; turn < 100 && rig.frame().isTracking(); ++turn)
            {
                rig.screen->advance(10);
                rig.editor->idle();
            }
            for (const HostCall& call : rig.hostCalls(audioMasterAutomate))
                if (call.index == params::kCompression) sent[scale - 1].push_back(call.opt);
            ASSERT_FALSE(sent[scale - 1].empty());
            EXPECT_FLOAT_EQ(sent[scale - 1].front(), 0.5f) << scale;
        }
        EXPECT_EQ(sent[1], sent[0]) << up;
        EXPECT_GT(sent[1].back(), 0.5f) << up;
    }
}

// What the editor opens beside its panel (the preset list, the name field,
// a file dialog) is shown at the editor's scale, the field over its place in
// device pixels.
TEST(EditorScale, MenusFieldsAndDialogsOpenAtTheEditorsScale)
{
    for (int scale : {1, 2})
    {
        PanelRig rig(scale);
        const auto pressAt = [&](const resources::SkinRect& r)
        {
            const gui::CViewPoint c = centreOf(r);
            rig.press({c.h * scale, c.v * scale});
        };
        pressAt(resources::kPresetMenuRect);
        ASSERT_EQ(rig.screen->shownMenus().size(), 1u);
        EXPECT_EQ(rig.screen->shownMenus()[0].menu.scale, scale);

        pressAt(resources::kNameFieldRect);
        ASSERT_EQ(rig.screen->openedFields().size(), 1u);
        const platform::EditFieldStyle& field = rig.screen->openedFields()[0];
        EXPECT_EQ(field.scale, scale);
        const resources::SkinRect& r = resources::kNameFieldRect;
        EXPECT_EQ(field.area,
                  (platform::Rect{r.left * scale, r.top * scale, r.right * scale, r.bottom * scale}));
        rig.screen->openField()->pressReturn();

        pressAt(resources::kLoadBankRect); // no answer queued: cancelled
        ASSERT_EQ(rig.screen->fileRequests().size(), 1u);
        EXPECT_EQ(rig.screen->fileRequests()[0].scale, scale);
    }
}

// Bitmaps come from the 2x set, not enlarged from the 1x one: the 2x panel
// has detail no pixel doubling of the 1x panel shows.
TEST(EditorScale, DrawsTheTwoTimesSkin)
{
    PanelRig rig(2);
    HeadlessWindow& window = rig.window();
    int notDoubled = 0;
    for (int y = 0; y < 618; y += 2)
        for (int x = 0; x < 800; x += 2)
            if (!gui::sameRGB(window.shownPixel(x, y), window.shownPixel(x + 1, y + 1))) ++notDoubled;
    EXPECT_GT(notDoubled, 1000);
}

// A stored choice wins over the desktop; without one the desktop's 2 counts;
// a stored value other than 1 or 2 is no choice.
TEST(EditorScale, StoredChoiceThenDesktopThenOne)
{
    const SettingsSandbox sandbox; // ctest runs this file's tests side by side
    struct Case
    {
        float stored; // 0: none
        int desktop;
        int width;
    };
    const Case cases[] = {
        {0.0f, 1, 400}, {0.0f, 2, 800}, {1.0f, 2, 400}, {2.0f, 1, 800}, {3.0f, 2, 800}, {3.0f, 1, 400},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(writePreference(kEditorScalePreference, c.stored), 0);
        PanelRig rig(0, c.desktop);
        EXPECT_EQ(hostRect(rig.effect).width, c.width) << c.stored << " " << c.desktop;
        EXPECT_EQ(rig.window().size().width, c.width) << c.stored << " " << c.desktop;
    }
    writePreference(kEditorScalePreference, 0.0f);
}

// The size menu on an empty part of the panel: a host that resizes gets the
// request and the editor redraws at once; one that refuses sees the choice
// at the next open, and the menu says it waits.
TEST(EditorScale, SizeMenuResizesThroughTheHostOrWaitsForTheNextOpen)
{
    const SettingsSandbox sandbox; // ctest runs this file's tests side by side
    for (bool hostResizes : {true, false})
    {
        ASSERT_EQ(writePreference(kEditorScalePreference, 0.0f), 0);
        PanelRig rig(0);
        RecordingHost::answers[audioMasterCanDo] = hostResizes ? 1 : 0;
        RecordingHost::answers[audioMasterSizeWindow] = hostResizes ? 1 : 0;
        rig.screen->queueMenuChoice("Size 200%");
        rig.window().press({10, 150}, platform::kButtonRight);
        ASSERT_EQ(rig.screen->shownMenus().size(), 1u);
        EXPECT_EQ(storedScaleChoice(), 2);
        const auto requests = rig.hostCalls(audioMasterSizeWindow);
        if (hostResizes)
        {
            ASSERT_EQ(requests.size(), 1u);
            EXPECT_EQ(requests[0].index, 800);
            EXPECT_EQ(requests[0].value, 618);
            EXPECT_EQ(rig.window().size().width, 800);
            EXPECT_EQ(hostRect(rig.effect).width, 800);
            continue;
        }
        EXPECT_EQ(rig.window().size().width, 400);
        rig.screen->queueMenuDismiss();
        rig.press({10, 150}, platform::kModControl); // Ctrl-click, for one-button mice
        ASSERT_EQ(rig.screen->shownMenus().size(), 2u);
        EXPECT_EQ(rig.screen->shownMenus()[1].menu.items.size(), 3u); // with the note
        rig.editor->close();
        EXPECT_EQ(hostRect(rig.effect).width, 800);
        ASSERT_TRUE(rig.editor->open(rig.host));
        EXPECT_EQ(rig.window().size().width, 800);
    }
    writePreference(kEditorScalePreference, 0.0f);
}
