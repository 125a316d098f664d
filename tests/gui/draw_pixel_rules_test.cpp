// Which pixels lines, outlines, fills, clips and offsets touch.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "DrawTestSupport.h"
#include "gui/CDrawContext.h"

namespace
{

using namespace gui;
using drawtest::expectedMask;
using drawtest::paintedMask;

constexpr int kSize = 12;
const Pixel kBackground = makePixel(0, 0, 0);

struct PixelCase
{
    const char* claim;
    std::function<void(CDrawContext&)> draw;
    std::function<bool(int, int)> painted;
};

bool inRect(int x, int y, int l, int t, int r, int b)
{
    return x >= l && x < r && y >= t && y < b;
}

const PixelCase kCases[] = {
    {"a horizontal line stops before its end point",
     [](CDrawContext& c)
     {
         c.moveTo({1, 1});
         c.lineTo({5, 1});
     },
     [](int x, int y) { return y == 1 && x >= 1 && x <= 4; }},
    {"a line drawn right to left stops before its end point",
     [](CDrawContext& c)
     {
         c.moveTo({5, 1});
         c.lineTo({1, 1});
     },
     [](int x, int y) { return y == 1 && x >= 2 && x <= 5; }},
    {"a vertical line stops before its end point",
     [](CDrawContext& c)
     {
         c.moveTo({2, 2});
         c.lineTo({2, 6});
     },
     [](int x, int y) { return x == 2 && y >= 2 && y <= 5; }},
    {"a diagonal line stops before its end point",
     [](CDrawContext& c)
     {
         c.moveTo({0, 0});
         c.lineTo({3, 3});
     },
     [](int x, int y) { return x == y && x < 3; }},
    {"a line of zero length paints nothing",
     [](CDrawContext& c)
     {
         c.moveTo({4, 4});
         c.lineTo({4, 4});
     },
     [](int, int) { return false; }},
    {"consecutive lines join without a gap",
     [](CDrawContext& c)
     {
         c.moveTo({1, 1});
         c.lineTo({4, 1});
         c.lineTo({4, 4});
     },
     [](int x, int y) { return (y == 1 && x >= 1 && x <= 4) || (x == 4 && y >= 1 && y <= 3); }},
    {"drawRect outlines at right-1 and bottom-1",
     [](CDrawContext& c) {
         c.drawRect({2, 3, 7, 8});
     },
     [](int x, int y) { return inRect(x, y, 2, 3, 7, 8) && (x == 2 || x == 6 || y == 3 || y == 7); }},
    {"drawRect of a one-pixel-wide rectangle is a single column",
     [](CDrawContext& c) {
         c.drawRect({5, 2, 6, 6});
     },
     [](int x, int y) { return x == 5 && y >= 2 && y <= 5; }},
    {"fillRect leaves the top row and left column untouched",
     [](CDrawContext& c) {
         c.fillRect({2, 3, 7, 8});
     },
     [](int x, int y) { return inRect(x, y, 3, 4, 7, 8); }},
    {"fillRect then drawRect covers the rectangle and nothing else",
     [](CDrawContext& c)
     {
         c.fillRect({2, 3, 7, 8});
         c.drawRect({2, 3, 7, 8});
     },
     [](int x, int y) { return inRect(x, y, 2, 3, 7, 8); }},
    {"an empty or inverted rectangle fills nothing",
     [](CDrawContext& c)
     {
         c.fillRect({5, 5, 5, 9});
         c.fillRect({8, 8, 2, 2});
     },
     [](int, int) { return false; }},
    {"the offset moves every drawing call",
     [](CDrawContext& c)
     {
         c.offset = {3, 2};
         c.fillRect({0, 0, 3, 3});
         c.moveTo({0, 6});
         c.lineTo({4, 6});
     },
     [](int x, int y) { return inRect(x, y, 4, 3, 6, 5) || (y == 8 && x >= 3 && x <= 6); }},
    {"the clip rectangle limits fills and lines",
     [](CDrawContext& c)
     {
         c.setClipRect({3, 3, 6, 6});
         c.fillRect({0, 0, kSize, kSize});
         c.moveTo({0, 7});
         c.lineTo({kSize, 7});
     },
     [](int x, int y) { return inRect(x, y, 3, 3, 6, 6); }},
    {"the clip rectangle is given in offset coordinates",
     [](CDrawContext& c)
     {
         c.offset = {2, 2};
         c.setClipRect({0, 0, 3, 3});
         c.fillRect({-5, -5, 20, 20});
     },
     [](int x, int y) { return inRect(x, y, 2, 2, 5, 5); }},
    {"drawing outside the surface is dropped",
     [](CDrawContext& c)
     {
         c.fillRect({-10, -10, 2, 2});
         c.moveTo({-5, 11});
         c.lineTo({30, 11});
     },
     [](int x, int y) { return inRect(x, y, 0, 0, 2, 2) || y == 11; }},
};

TEST(DrawPixelRules, EachOperationPaintsExactlyItsPixels)
{
    for (const PixelCase& c : kCases)
    {
        CPixelSurface surface(kSize, kSize, kBackground);
        CDrawContext* context = new CDrawContext(nullptr, &surface);
        context->setFillColor(CViewColor{200, 10, 10, 255});
        c.draw(*context);
        context->release();
        EXPECT_EQ(paintedMask(surface, kBackground), expectedMask(kSize, kSize, c.painted)) << c.claim;
    }
}

TEST(DrawPixelRules, ClipRectReadsBackInTheOffsetItWasSetIn)
{
    CDrawContext context(nullptr, nullptr);
    CViewRect clip;
    EXPECT_EQ(context.getClipRect(clip), (CViewRect{0, 0, 1000, 1000}));
    context.offset = {10, 20};
    context.setClipRect({1, 2, 30, 40});
    EXPECT_EQ(context.getClipRect(clip), (CViewRect{1, 2, 30, 40}));
    context.offset = {0, 0};
    EXPECT_EQ(context.getClipRect(clip), (CViewRect{11, 22, 40, 60}));
}

TEST(DrawPixelRules, ColoursReachThePixelsWithoutTheirAlpha)
{
    CPixelSurface surface(4, 4, kBackground);
    CDrawContext context(nullptr, &surface);
    context.setFillColor(CViewColor{10, 20, 30, 0});
    context.fillRect({0, 0, 4, 4});
    context.setFrameColor(CViewColor{40, 50, 60, 7});
    context.moveTo({0, 0});
    context.lineTo({4, 0});
    EXPECT_EQ(surface.pixel(2, 2), makePixel(10, 20, 30));
    EXPECT_EQ(surface.pixel(2, 0), makePixel(40, 50, 60));
}

TEST(DrawStateCaching, RepeatedSettingsRebuildNothing)
{
    CDrawContext context(nullptr, nullptr);
    const int pens = context.getPenCreations();
    const int brushes = context.getBrushCreations();
    const int fonts = context.getFontCreations();

    context.setFrameColor(kWhiteCColor); // the initial values
    context.setLineWidth(1);
    context.setFillColor(kBlackCColor);
    context.setFont(0, 0);
    context.setFont(9, 0); // out of range: font 0 again
    EXPECT_EQ(context.getPenCreations(), pens);
    EXPECT_EQ(context.getBrushCreations(), brushes);
    EXPECT_EQ(context.getFontCreations(), fonts);

    context.setFrameColor(CViewColor{255, 255, 255, 254}); // alpha alone counts as a change
    context.setLineWidth(2);
    context.setFillColor(kRedCColor);
    context.setFillColor(kRedCColor);
    context.setFont(3, 0);
    context.setFont(3, 0);
    EXPECT_EQ(context.getPenCreations(), pens + 2);
    EXPECT_EQ(context.getBrushCreations(), brushes + 1);
    EXPECT_EQ(context.getFontCreations(), fonts + 1);
}

TEST(DrawStateCaching, FontIdsOutsideTheTableSelectFontZero)
{
    CDrawContext context(nullptr, nullptr);
    for (int id : {-1, 8, 9, 1000})
    {
        context.setFont(2, 0);
        context.setFont(id, 0);
        EXPECT_EQ(context.getFont(), 0) << id;
        EXPECT_EQ(context.getFontSize(), 12) << id;
    }
}

} // namespace
