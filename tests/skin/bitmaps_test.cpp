// Every skin bitmap is present under its number, has the shape the editor
// slices it by, and blends into the panel it is drawn on.

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

BmpImage load(int id)
{
    return BmpImage(find(id));
}

bool framesEqual(const BmpImage& img, int frameHeight, int a, int b)
{
    return img.sameArea(0, a * frameHeight, img, 0, b * frameHeight, img.width(), frameHeight);
}

struct Placement
{
    int id;
    SkinRect rect;
};

// Controls whose frames are redrawn in place over the panel.
constexpr Placement kPlacedStrips[] = {
    {kProcessSwitch, kProcessSwitchRect},
    {kTimeKnob, kTimeKnobRect},
    {kCompressionKnob, kCompressionKnobRect},
    {kOutputKnob, kOutputKnobRect},
    {kRatioKnob, kRatioKnobRect},
};

} // namespace

TEST(SkinBitmaps, everyNumberGivesAnUncompressed24BitBmpOfItsTableSize)
{
    for (const SkinBitmap& b : kSkinBitmaps)
    {
        SCOPED_TRACE(b.name);
        const std::span<const unsigned char> bytes = find(b.id);
        const BmpImage img(bytes);
        ASSERT_TRUE(img.hasSignature());
        EXPECT_EQ(img.fileSize(), bytes.size());
        EXPECT_EQ(img.bitsPerPixel(), 24);
        EXPECT_EQ(img.compression(), 0u);
        EXPECT_EQ(img.width(), b.width);
        EXPECT_EQ(img.height(), b.height);
        EXPECT_EQ(img.pixelOffset() + uint64_t(img.rowBytes()) * uint64_t(b.height), bytes.size());
        EXPECT_EQ(b.height % b.frames, 0) << "frames must tile the strip exactly";
    }
}

TEST(SkinBitmaps, numbersOutsideTheSkinGiveNothing)
{
    for (int id : {0, -1, 12127, 12130, 12150, 19990, 20000})
        EXPECT_TRUE(find(id).empty()) << id;
}

TEST(SkinBitmaps, consecutiveFramesDiffer)
{
    for (const SkinBitmap& b : kSkinBitmaps)
    {
        if (b.frames < 2) continue;
        SCOPED_TRACE(b.name);
        const BmpImage img = load(b.id);
        for (int f = 1; f < b.frames; ++f)
            EXPECT_FALSE(framesEqual(img, b.frameHeight(), f - 1, f)) << "frame " << f;
    }
}

TEST(SkinBitmaps, controlFramesMeetThePanelAtTheirEdges)
{
    const BmpImage panel = load(kPanel);
    for (const Placement& p : kPlacedStrips)
    {
        const SkinBitmap& b = *findSkinBitmap(p.id);
        SCOPED_TRACE(b.name);
        const BmpImage strip = load(p.id);
        const int w = p.rect.width(), h = b.frameHeight();
        for (int f = 0; f < b.frames; ++f)
        {
            const int top = f * h;
            EXPECT_TRUE(strip.sameArea(0, top, panel, p.rect.left, p.rect.top, w, 1))
                << "top edge, frame " << f;
            EXPECT_TRUE(strip.sameArea(0, top + h - 1, panel, p.rect.left, p.rect.bottom - 1, w, 1))
                << "bottom, " << f;
            EXPECT_TRUE(strip.sameArea(0, top, panel, p.rect.left, p.rect.top, 1, h))
                << "left edge, frame " << f;
            EXPECT_TRUE(strip.sameArea(w - 1, top, panel, p.rect.right - 1, p.rect.top, 1, h))
                << "right, " << f;
        }
    }
}

TEST(SkinBitmaps, meterPicturesRepeatThePanelUnderThem)
{
    const BmpImage panel = load(kPanel), face = load(kMeterFace), overlay = load(kMeterOverlay);
    const int windowRows = kMeterOverlayOrigin.y - kMeterFaceRect.top;
    EXPECT_TRUE(
        face.sameArea(0, 0, panel, kMeterFaceRect.left, kMeterFaceRect.top, face.width(), windowRows));
    EXPECT_TRUE(overlay.sameArea(0, 0, panel, kMeterOverlayOrigin.x, kMeterOverlayOrigin.y, overlay.width(),
                                 overlay.height()));
}

// The meter repaints the top rows of the compression knob with the overlay;
// every knob frame must show the same pixels there or the knob top flickers.
TEST(SkinBitmaps, compressionKnobFramesAgreeWithTheMeterOverlayWhereTheyOverlap)
{
    const BmpImage knob = load(kCompressionKnob), overlay = load(kMeterOverlay);
    const SkinBitmap& b = *findSkinBitmap(kCompressionKnob);
    const int left = std::max(kMeterFaceRect.left, kCompressionKnobRect.left);
    const int right = std::min(kMeterFaceRect.right, kCompressionKnobRect.right);
    const int rows = kMeterFaceRect.bottom - kCompressionKnobRect.top;
    ASSERT_GT(rows, 0);
    for (int f = 0; f < b.frames; ++f)
        EXPECT_TRUE(knob.sameArea(left - kCompressionKnobRect.left, f * b.frameHeight(), overlay,
                                  left - kMeterOverlayOrigin.x,
                                  kCompressionKnobRect.top - kMeterOverlayOrigin.y, right - left, rows))
            << "frame " << f;
}

// The editor prints dark text on the name field and light text on the about
// picture; their backgrounds must leave it readable.
TEST(SkinBitmaps, textAreasContrastWithTheTextColoursDrawnOnThem)
{
    const BmpImage panel = load(kPanel), about = load(kAboutPicture);
    for (int y = kNameFieldRect.top; y < kNameFieldRect.bottom; ++y)
        for (int x = kNameFieldRect.left; x < kNameFieldRect.right; ++x)
            ASSERT_GT(panel.pixel(x, y).luminance(), 150) << x << "," << y;
    for (int y = kVersionTextRect.top; y < kVersionTextRect.bottom; ++y)
        for (int x = kVersionTextRect.left; x < kVersionTextRect.right; ++x)
            ASSERT_LT(about.pixel(x, y).luminance(), 70) << x << "," << y;
}

TEST(SkinBitmaps, theDoubleSizeSetIsTheSamePictureDrawnAtTwiceTheResolution)
{
    for (const SkinBitmap& b : kSkinBitmaps)
    {
        SCOPED_TRACE(b.name);
        const std::vector<unsigned char> bytes = resources::load(b.id, 2);
        const BmpImage big(bytes);
        const BmpImage small(find(b.id));
        ASSERT_TRUE(big.hasSignature());
        EXPECT_EQ(big.fileSize(), bytes.size());
        ASSERT_EQ(big.width(), 2 * b.width);
        ASSERT_EQ(big.height(), 2 * b.height);
        // Averaged back down it matches the 1x picture; its 2x2 blocks are
        // not all flat, as they would be in an enlarged copy.
        double difference = 0;
        int detailed = 0;
        for (int y = 0; y < b.height; ++y)
            for (int x = 0; x < b.width; ++x)
            {
                const Rgb q[4] = {big.pixel(2 * x, 2 * y), big.pixel(2 * x + 1, 2 * y),
                                  big.pixel(2 * x, 2 * y + 1), big.pixel(2 * x + 1, 2 * y + 1)};
                const double mean =
                    (q[0].luminance() + q[1].luminance() + q[2].luminance() + q[3].luminance()) / 4;
                difference += std::abs(mean - small.pixel(x, y).luminance());
                detailed += !(q[0] == q[1] && q[0] == q[2] && q[0] == q[3]);
            }
        EXPECT_LT(difference / (b.width * b.height), 4.0);
        EXPECT_GT(detailed, b.width * b.height / 20);
    }
    EXPECT_TRUE(resources::load(kPanel, 3).empty());
}
