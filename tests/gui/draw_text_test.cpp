// Text placement measured from rendered pixels: the opaque background shows
// the text cell exactly, the glyph ink shows where the letters went.

#include <gtest/gtest.h>

#include <string>

#include "gui/CDrawContext.h"
#include "raster/CFontTable.h"
#include "raster/CTextRenderer.h"

namespace
{

using namespace gui;

const Pixel kPaper = makePixel(0, 0, 0);
const CViewColor kCellColour{0, 0, 200, 255};
const Pixel kCell = makePixel(0, 0, 200);

struct Box
{
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1; // half-open
    bool empty() const { return right < 0; }
};

template <typename Pred> Box boxOf(const CPixelSurface& s, Pred pred)
{
    Box b;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (pred(s.pixel(x, y)))
            {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
    return b;
}

Box cellBox(const CPixelSurface& s)
{
    // The cell is the fill colour plus whatever ink covers it.
    return boxOf(s, [](Pixel p) { return !sameRGB(p, kPaper); });
}
Box inkBox(const CPixelSurface& s)
{
    return boxOf(s, [](Pixel p) { return !sameRGB(p, kPaper) && !sameRGB(p, kCell); });
}

struct Rendered
{
    CPixelSurface surface{120, 60, kPaper};
    int width = 0;
    int cell = 0;
};

Rendered render(const char* text, const CViewRect& rect, std::int32_t align, int fontId = 3,
                bool opaque = true, int style = 0)
{
    Rendered r;
    CDrawContext context(nullptr, &r.surface);
    context.setFont(fontId, style);
    context.setFillColor(kCellColour);
    context.setFontColor(kWhiteCColor);
    context.drawString(text, rect, opaque, align);
    r.width = context.getStringWidth(text);
    r.cell = CTextRenderer::shared().metrics(fontId, style).height();
    return r;
}

TEST(DrawText, AlignmentPlacesTheCellAsTheDeviceWould)
{
    const CViewRect rect{10, 10, 110, 40};
    struct Case
    {
        const char* claim;
        std::int32_t align;
        int (*expectedLeft)(int width);
    } cases[] = {
        {"left alignment starts one pixel in", kTextAlignLeft, [](int) { return 11; }},
        {"centred text splits the spare width", kTextAlignCenter, [](int w) { return 10 + (100 - w) / 2; }},
        {"right-aligned text ends at the right edge", kTextAlignRight, [](int w) { return 110 - w; }},
    };
    for (const Case& c : cases)
    {
        const Rendered r = render("Gain 4:1", rect, c.align);
        const Box cell = cellBox(r.surface);
        ASSERT_FALSE(cell.empty()) << c.claim;
        EXPECT_EQ(cell.left, c.expectedLeft(r.width)) << c.claim;
        EXPECT_EQ(cell.right - cell.left, r.width) << c.claim;
        EXPECT_EQ(cell.top, 10 + (30 - r.cell) / 2) << c.claim;
        EXPECT_EQ(cell.bottom - cell.top, r.cell) << c.claim;
    }
}

TEST(DrawText, InkIsCentredVertically)
{
    for (int fontId = 0; fontId < 7; ++fontId)
    {
        const Rendered r = render("Hy", {0, 0, 120, 60}, kTextAlignCenter, fontId, false);
        const Box ink = inkBox(r.surface);
        ASSERT_FALSE(ink.empty()) << fontId;
        // Cap top to descender bottom sits around the middle line.
        EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 30.0, 2.0) << fontId;
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 60.0, 2.0) << fontId;
    }
}

TEST(DrawText, TextStaysInsideItsRectangle)
{
    // Left alignment also keeps the column left of the moved edge clear.
    const CViewRect rect{20, 20, 50, 26};
    for (std::int32_t align : {kTextAlignLeft, kTextAlignCenter, kTextAlignRight})
    {
        const Rendered r = render("a long line of text WWW", rect, align, 1);
        const Box all = cellBox(r.surface);
        ASSERT_FALSE(all.empty()) << align;
        EXPECT_GE(all.left, align == kTextAlignLeft ? 21 : 20) << align;
        EXPECT_LE(all.right, 50) << align;
        EXPECT_GE(all.top, 20) << align;
        EXPECT_LE(all.bottom, 26) << align;
    }
}

TEST(DrawText, TransparentTextLeavesTheBackground)
{
    const Rendered r = render("Output", {0, 0, 120, 60}, kTextAlignCenter, 3, false);
    EXPECT_TRUE(boxOf(r.surface, [](Pixel p) { return sameRGB(p, kCell); }).empty());
    EXPECT_FALSE(inkBox(r.surface).empty());
}

TEST(DrawText, FontTableResolvesToAMetricCompatibleSans)
{
    CTextRenderer& fonts = CTextRenderer::shared();
    for (int id = 1; id < 7; ++id)
        EXPECT_NE(fonts.fontFile(id, 0).find("LiberationSans-Regular"), std::string::npos);
    EXPECT_NE(fonts.fontFile(0, 0).find("LiberationSans-Bold"), std::string::npos) << "font 0 is always bold";
    EXPECT_NE(fonts.fontFile(3, kFontBold).find("LiberationSans-Bold"), std::string::npos);
    EXPECT_NE(fonts.fontFile(3, kFontItalic).find("LiberationSans-Italic"), std::string::npos);
    EXPECT_FALSE(fonts.fontFile(7, 0).empty());
    // The cell is the character height plus the face's internal leading.
    for (int id = 0; id < kFontCount; ++id)
    {
        const int cell = fonts.metrics(id, 0).height(), height = kFontTable[std::size_t(id)].height;
        EXPECT_GE(cell, height) << id;
        EXPECT_LE(cell, height * 4 / 3 + 1) << id;
    }
}

TEST(DrawText, UncoveredAndControlCharactersDrawWithoutHarm)
{
    const char odd[] = {'A', '\x01', '\x81', '\x9d', '\xff', '\t', 'Z', 0};
    const Rendered r = render(odd, {0, 0, 120, 60}, kTextAlignLeft, 7);
    EXPECT_GE(r.width, 0);
    CDrawContext context(nullptr, nullptr); // no surface: state only
    context.drawString(odd, {0, 0, 10, 10});
    context.drawString(nullptr, {0, 0, 10, 10});
    EXPECT_EQ(context.getStringWidth(nullptr), 0);
}

TEST(DrawText, UnderlineRunsUnderTheWholeText)
{
    const Rendered plain = render("under", {0, 0, 120, 60}, kTextAlignCenter, 2, false);
    const Rendered underlined = render("under", {0, 0, 120, 60}, kTextAlignCenter, 2, false, kFontUnderline);
    const Box a = inkBox(plain.surface), b = inkBox(underlined.surface);
    EXPECT_GT(b.bottom, a.bottom);
    EXPECT_EQ(b.right - b.left, underlined.width);
}

} // namespace
