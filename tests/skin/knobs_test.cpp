// The knob strips turn steadily from the first to the last frame, and the
// pointer stands on the printed scale at its ends and its middle.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"
#include "resources/resources.h"
#include "tests/skin/BmpImage.h"

using namespace resources;

namespace
{

struct Knob
{
    int id;
    SkinRect rect;
};

constexpr Knob kKnobs[] = {
    {kTimeKnob, kTimeKnobRect},
    {kCompressionKnob, kCompressionKnobRect},
    {kOutputKnob, kOutputKnobRect},
    {kRatioKnob, kRatioKnobRect},
};

bool isPointer(Rgb p)
{
    return p.r > 200 && p.g > 120 && p.b < 110;
}
bool isPrint(Rgb p)
{
    return p.luminance() > 110 && p.b > 0.55 * p.r;
}

// Pointer direction in degrees clockwise from straight up, from the centroid
// of the amber pointer pixels inside the knob body.
double pointerDegrees(const BmpImage& strip, int frameHeight, int frame)
{
    const double c = strip.width() / 2.0, limit = c * 0.55;
    double sx = 0, sy = 0;
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < strip.width(); ++x)
        {
            const double dx = x + 0.5 - c, dy = y + 0.5 - c;
            if (std::hypot(dx, dy) < limit && isPointer(strip.pixel(x, frame * frameHeight + y)))
            {
                sx += dx;
                sy += dy;
            }
        }
    return std::atan2(sx, -sy) * 180.0 / M_PI;
}

// Walks outward from the knob body along a direction looking for printed ink.
bool scaleMarkAlong(const BmpImage& panel, const Knob& k, double degrees)
{
    const double cx = k.rect.left + k.rect.width() / 2.0, cy = k.rect.top + k.rect.height() / 2.0;
    const double half = k.rect.width() / 2.0, a = degrees * M_PI / 180.0;
    for (double r = half * 0.53; r < half * 0.70; r += 0.25)
    {
        const int x = int(std::floor(cx + r * std::sin(a))), y = int(std::floor(cy - r * std::cos(a)));
        if (isPrint(panel.pixel(x, y))) return true;
    }
    return false;
}

std::vector<double> pointerAngles(const Knob& k)
{
    const SkinBitmap& b = *findSkinBitmap(k.id);
    const BmpImage strip(find(k.id));
    std::vector<double> out;
    out.reserve(size_t(b.frames));
    for (int f = 0; f < b.frames; ++f)
        out.push_back(pointerDegrees(strip, b.frameHeight(), f));
    return out;
}

} // namespace

TEST(SkinKnobs, framesTurnClockwiseInEvenSteps)
{
    for (const Knob& k : kKnobs)
    {
        SCOPED_TRACE(findSkinBitmap(k.id)->name);
        const std::vector<double> angles = pointerAngles(k);
        const double step = (angles.back() - angles.front()) / double(angles.size() - 1);
        ASSERT_GT(step, 0);
        for (size_t f = 1; f < angles.size(); ++f)
        {
            const double d = angles[f] - angles[f - 1];
            EXPECT_GT(d, step * 0.5) << "frame " << f;
            EXPECT_LT(d, step * 1.5) << "frame " << f;
        }
    }
}

TEST(SkinKnobs, pointerMeetsThePrintedScaleAtBothEndsAndTheMiddle)
{
    const BmpImage panel(find(kPanel));
    for (const Knob& k : kKnobs)
    {
        SCOPED_TRACE(findSkinBitmap(k.id)->name);
        const std::vector<double> angles = pointerAngles(k);
        for (size_t f : {size_t(0), angles.size() / 2, angles.size() - 1})
            EXPECT_TRUE(scaleMarkAlong(panel, k, angles[f]))
                << "frame " << f << " at " << angles[f] << " degrees";
        // Beside the end marks there is bare panel, so a miss is detectable.
        EXPECT_FALSE(scaleMarkAlong(panel, k, angles.front() - 8));
        EXPECT_FALSE(scaleMarkAlong(panel, k, angles.back() + 8));
    }
}
