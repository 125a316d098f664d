// The meter face's printed marks sit where the meter control puts the needle
// for 0, -3, -6, -12 and -24 dB of gain reduction.

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

struct Point
{
    double x, y;
};

// Centre of the two-pixel needle the meter draws for a value, in face
// pixel coordinates: the mean of its truncated end points over the shifts.
Point needleCentre(double value, double radius)
{
    const double a = 120.0 / 180.0 * M_PI - 60.0 / 180.0 * M_PI * value;
    double sx = 0, sy = 0;
    for (double dx : {0.0, 1.0})
        for (double dy : {0.0, 1.0})
        {
            sx += std::trunc(kMeterPivot.x + dx + radius * std::cos(a));
            sy += std::trunc(kMeterPivot.y + dy - radius * std::sin(a));
        }
    return {sx / 4 - kMeterFaceRect.left, sy / 4 - kMeterFaceRect.top};
}

// Dark marks crossed by an arc around the pivot, as centroids of runs.
std::vector<Point> marksOnArc(const BmpImage& face, double radius)
{
    std::vector<Point> marks;
    double sx = 0, sy = 0;
    int n = 0;
    const double px = kMeterPivot.x + 0.5 - kMeterFaceRect.left,
                 py = kMeterPivot.y + 0.5 - kMeterFaceRect.top;
    for (double deg = 130; deg >= 50; deg -= 0.05)
    {
        const double a = deg * M_PI / 180.0;
        const double x = px + radius * std::cos(a), y = py - radius * std::sin(a);
        const int ix = int(std::floor(x)), iy = int(std::floor(y));
        const bool ink = ix >= 0 && ix < face.width() && face.pixel(ix, iy).luminance() < 110;
        if (ink)
        {
            sx += ix;
            sy += iy;
            ++n;
        }
        else if (n > 0)
        {
            marks.push_back({sx / n, sy / n});
            sx = sy = n = 0;
        }
    }
    return marks;
}

} // namespace

TEST(SkinMeter, printedMarksLieOnTheNeedlePathForTheirGainReduction)
{
    const BmpImage face(find(kMeterFace));
    const double dbMarks[] = {0, -3, -6, -12, -24};
    for (double radius : {79.0, 81.0, 83.0})
    {
        SCOPED_TRACE(radius);
        const std::vector<Point> marks = marksOnArc(face, radius);
        ASSERT_EQ(marks.size(), std::size(dbMarks));
        for (size_t i = 0; i < marks.size(); ++i)
        {
            const Point want = needleCentre(1.0 - std::pow(10.0, dbMarks[i] / 20.0), radius);
            EXPECT_LT(std::hypot(marks[i].x - want.x, marks[i].y - want.y), 1.5) << dbMarks[i] << " dB";
        }
    }
}
