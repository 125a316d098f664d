// The needle meter: where the needle is drawn for the ends of its travel, what
// the overlay hides, and the latch of the needle's swing part.
#include <gtest/gtest.h>

#include "EditorRig.h"
#include "editor/CAmberVuMeter2.h"

using namespace editortest;

namespace
{

struct MeterRig : Rig
{
    MeterRig() : face(resources::kMeterFace), overlay(resources::kMeterOverlay)
    {
        const auto& o = resources::kMeterOverlayOrigin;
        const auto& p = resources::kMeterPivot;
        meter = add(new CAmberVuMeter2(toView(resources::kMeterFaceRect), &listener, 14, face, overlay,
                                       CViewPoint{o.x, o.y}, CViewPoint{p.x, p.y},
                                       resources::kMeterInnerRadius, resources::kMeterOuterRadius));
    }
    void show(float value)
    {
        meter->setValue(value);
        frame().idle();
    }
    // Columns of row y, between x0 and x1 inclusive, that show the needle.
    std::vector<int> needleColumns(int y, int x0, int x1)
    {
        std::vector<int> xs;
        for (int x = x0; x <= x1; ++x)
            if (sameRGB(window().shownPixel(x, y), pixelOf(CAmberVuMeter2::kNeedleColor))) xs.push_back(x);
        return xs;
    }
    Skin face;
    Skin overlay;
    CAmberVuMeter2* meter = nullptr;
};

TEST(MeterNeedle, LineEndsForTheEndsAndTheMiddleOfTheTravel)
{
    struct Case
    {
        float value;
        double dx, dy;
        CViewPoint from, to;
    };
    const Case cases[] = {
        {0.0f, 0, 0, {198, 152}, {157, 80}},     {0.0f, 1, 1, {199, 153}, {158, 81}},
        {1.0f, 0, 0, {201, 152}, {243, 80}},     {1.0f, 1, 1, {202, 153}, {244, 81}},
        {0.5f, 0, 0, {200, 152}, {200, 69}},     {0.5f, 1, 0, {201, 152}, {201, 69}},
        {0.5f, 0.5, 0.5, {200, 152}, {200, 69}},
    };
    MeterRig rig;
    for (const Case& c : cases)
    {
        const auto line = rig.meter->needleLine(c.value, c.dx, c.dy);
        EXPECT_EQ(line.from, c.from) << c.value << " " << c.dx;
        EXPECT_EQ(line.to, c.to) << c.value << " " << c.dx;
    }
}

TEST(MeterNeedle, IsDrawnOnItsPathAndOnlyThere)
{
    struct Case
    {
        float value;
        int row;
        int pathX;  // where the unshifted line crosses the row
        int otherX; // the mirrored place, which must stay clear
    };
    // x = 198 - 41 (152 - row) / 72 for value 0; mirrored about the pivot for 1.
    const Case cases[] = {
        {0.0f, 90, 163, 237}, {0.0f, 100, 168, 232}, {1.0f, 90, 237, 163}, {1.0f, 100, 232, 168}};
    for (const Case& c : cases)
    {
        MeterRig rig;
        rig.show(c.value);
        EXPECT_FALSE(rig.needleColumns(c.row, c.pathX - 2, c.pathX + 2).empty())
            << c.value << " row " << c.row;
        EXPECT_TRUE(rig.needleColumns(c.row, c.otherX - 3, c.otherX + 3).empty())
            << c.value << " row " << c.row;
        EXPECT_TRUE(rig.needleColumns(78, 150, 249).empty()) << "above the tip";
    }
}

TEST(MeterNeedle, OverlayHidesTheNeedleAndNothingLeavesTheFace)
{
    MeterRig rig;
    const CViewRect face = toView(resources::kMeterFaceRect);
    rig.window().clearPresented();
    rig.show(0.5f);
    // Rows from 110 down show the overlay's top, not the needle.
    const auto& o = resources::kMeterOverlayOrigin;
    const CViewRect hidden{face.left, o.y, face.right, face.bottom};
    EXPECT_TRUE(showsImage(rig.window(), *rig.overlay.bitmap, hidden, CViewPoint{face.left - o.x, 0}));
    EXPECT_FALSE(rig.needleColumns(100, 199, 201).empty());
    for (const platform::Rect& r : rig.window().presentedAreas())
    {
        EXPECT_GE(r.left, face.left);
        EXPECT_GE(r.top, face.top);
        EXPECT_LE(r.right, face.right);
        EXPECT_LE(r.bottom, face.bottom);
    }
}

TEST(MeterParts, SwingLatchesWhenItFallsBelowHalf)
{
    struct Step
    {
        float input;
        float swing;
        bool latched;
    };
    const std::vector<Step> steps = {
        {0.6f, 0.6f, false},  {0.3f, -1.0f, true}, {0.2f, -1.0f, true},
        {-3.0f, -1.0f, true}, {0.5f, 0.5f, false}, {0.49f, -1.0f, true},
        {9.0f, 4.0f, false},  {0.0f, -1.0f, true}, {0.7f, 0.7f, false},
    };
    MeterRig rig;
    CAmberVuMeter2& m = *rig.meter;
    for (const Step& s : steps)
    {
        m.setNeedleSwing(s.input);
        EXPECT_FLOAT_EQ(m.getNeedleSwing(), s.swing) << s.input;
        EXPECT_EQ(m.isSwingLatched(), s.latched) << s.input;
    }
    m.clearSwing();
    EXPECT_FALSE(m.isSwingLatched());
    // Small magnitudes of either sign become a tiny positive swing.
    m.setNeedleSwing(-1e-9f);
    EXPECT_FLOAT_EQ(m.getNeedleSwing(), 1e-9f);
}

} // namespace
