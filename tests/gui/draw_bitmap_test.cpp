// BMP decoding, bitmap copies (opaque, colour-keyed, blended) and offscreens.

#include <gtest/gtest.h>

#include <vector>

#include "DrawTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"
#include "resources/SkinTable.h"

namespace
{

using namespace gui;
using drawtest::makeBmp24;

// 3 x 2: red green blue / white black grey, top row first.
const std::vector<Pixel> kSmall{makePixel(255, 0, 0),     makePixel(0, 255, 0), makePixel(0, 0, 255),
                                makePixel(255, 255, 255), makePixel(0, 0, 0),   makePixel(128, 128, 128)};

std::vector<Pixel> pixelsOf(const CPixelSurface& s)
{
    std::vector<Pixel> out;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            out.push_back(s.pixel(x, y));
    return out;
}

TEST(DrawBmpDecode, RowsComeOutTopFirstWhateverTheStoredOrder)
{
    struct Case
    {
        const char* claim;
        bool fileHeader;
        bool topDown;
    } cases[] = {{"file, bottom-up", true, false},
                 {"file, top-down", true, true},
                 {"bare resource header, bottom-up", false, false}};
    for (const Case& c : cases)
    {
        const CPixelSurface s = decodeBmp(makeBmp24(3, 2, kSmall, c.fileHeader, c.topDown));
        ASSERT_EQ(s.width(), 3) << c.claim;
        ASSERT_EQ(s.height(), 2) << c.claim;
        EXPECT_EQ(pixelsOf(s), kSmall) << c.claim;
    }
}

TEST(DrawBmpDecode, MalformedDataGivesAnEmptyImage)
{
    const std::vector<unsigned char> good = makeBmp24(3, 2, kSmall);
    auto patched = [&](std::size_t at, unsigned char value)
    {
        std::vector<unsigned char> v = good;
        v[at] = value;
        return v;
    };
    struct Case
    {
        const char* claim;
        std::vector<unsigned char> data;
    } cases[] = {
        {"empty", {}},
        {"file header only", std::vector<unsigned char>(good.begin(), good.begin() + 14)},
        {"last row cut short", std::vector<unsigned char>(good.begin(), good.end() - 1)},
        {"8 bits per pixel", patched(14 + 14, 8)},
        {"compressed", patched(14 + 16, 1)},
        {"zero width", patched(14 + 4, 0)},
        {"pixel offset past the end", patched(10, 0xF0)},
        {"absurd height", patched(14 + 11, 0x40)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(decodeBmp(c.data).empty()) << c.claim;
}

TEST(DrawBitmap, EmptyBitmapsHaveNoSizeAndDrawNothing)
{
    CPixelSurface target(4, 4, makePixel(1, 2, 3));
    CDrawContext context(nullptr, &target);
    CBitmap* missing = new CBitmap(-12345);
    CBitmap* garbage = new CBitmap(std::span<const unsigned char>{});
    for (CBitmap* b : {missing, garbage})
    {
        EXPECT_EQ(b->getWidth(), 0);
        EXPECT_EQ(b->getHeight(), 0);
        b->draw(&context, {0, 0, 4, 4});
        b->drawTransparent(&context, {0, 0, 4, 4});
        b->drawAlphaBlend(&context, {0, 0, 4, 4}, {}, 255);
        b->release();
    }
    EXPECT_EQ(target.checksum(), CPixelSurface(4, 4, makePixel(1, 2, 3)).checksum());
}

TEST(DrawBitmap, SkinBitmapsLoadByResourceNumberAtTheirTableSize)
{
    for (const resources::SkinBitmap& skin : resources::kSkinBitmaps)
    {
        CBitmap* b = new CBitmap(skin.id);
        EXPECT_EQ(b->getResourceId(), skin.id);
        EXPECT_EQ(b->getWidth(), skin.width) << skin.name;
        EXPECT_EQ(b->getHeight(), skin.height) << skin.name;
        b->release();
    }
}

TEST(DrawBitmap, AFailedReloadEmptiesTheBitmapButKeepsItsNumber)
{
    CBitmap* b = new CBitmap(resources::kPanel);
    EXPECT_FALSE(b->loadFromResource(4711));
    EXPECT_EQ(b->getWidth(), 0);
    EXPECT_EQ(b->getResourceId(), resources::kPanel);
    EXPECT_TRUE(b->loadFromResource(resources::kMeterFace));
    EXPECT_EQ(b->getWidth(), 100);
    EXPECT_EQ(b->getResourceId(), resources::kPanel);
    b->release();
}

TEST(DrawBitmap, LoadingFromAPathDisposesAndFails)
{
    CBitmap* b = new CBitmap(decodeBmp(makeBmp24(3, 2, kSmall)));
    ASSERT_EQ(b->getWidth(), 3);
    EXPECT_FALSE(b->loadFromPath("/tmp/anything.bmp"));
    EXPECT_EQ(b->getWidth(), 0);
    EXPECT_EQ(b->getHeight(), 0);
    b->release();
}

struct CopyCase
{
    const char* claim;
    void (*draw)(CBitmap&, CDrawContext&);
    std::vector<Pixel> expected; // 4 x 3 target, top row first
};

const Pixel B = makePixel(9, 9, 9); // target background
const Pixel R = makePixel(255, 0, 0), G = makePixel(0, 255, 0), U = makePixel(0, 0, 255);
const Pixel W = makePixel(255, 255, 255), K = makePixel(0, 0, 0), Y = makePixel(128, 128, 128);

const CopyCase kCopies[] = {
    {"an opaque copy puts the block at the rectangle",
     [](CBitmap& b, CDrawContext& c) {
         b.draw(&c, {1, 1, 4, 3});
     },
     {B, B, B, B, /**/ B, R, G, U, /**/ B, W, K, Y}},
    {"the source offset picks the block inside the bitmap",
     [](CBitmap& b, CDrawContext& c) {
         b.draw(&c, {0, 0, 2, 1}, {1, 1});
     },
     {K, Y, B, B, /**/ B, B, B, B, /**/ B, B, B, B}},
    {"the context offset moves the copy",
     [](CBitmap& b, CDrawContext& c)
     {
         c.offset = {2, 2};
         b.draw(&c, {0, 0, 3, 2});
     },
     {B, B, B, B, /**/ B, B, B, B, /**/ B, B, R, G}},
    {"a block reaching past the bitmap copies only what exists",
     [](CBitmap& b, CDrawContext& c) {
         b.draw(&c, {0, 0, 4, 3}, {2, 0});
     },
     {U, B, B, B, /**/ Y, B, B, B, /**/ B, B, B, B}},
    {"a transparent copy skips white",
     [](CBitmap& b, CDrawContext& c) {
         b.drawTransparent(&c, {0, 0, 3, 2});
     },
     {R, G, U, B, /**/ B, K, Y, B, /**/ B, B, B, B}},
    {"the transparent colour's alpha byte does not matter",
     [](CBitmap& b, CDrawContext& c)
     {
         b.setTransparentColor(CViewColor{255, 255, 255, 255});
         b.drawTransparent(&c, {0, 0, 3, 2});
     },
     {R, G, U, B, /**/ B, K, Y, B, /**/ B, B, B, B}},
    {"another transparent colour keys that colour only",
     [](CBitmap& b, CDrawContext& c)
     {
         b.setTransparentColor(CViewColor{0, 255, 0, 17});
         b.drawTransparent(&c, {0, 0, 3, 2});
     },
     {R, B, U, B, /**/ W, K, Y, B, /**/ B, B, B, B}},
    {"a blend at 255 is an opaque copy",
     [](CBitmap& b, CDrawContext& c) {
         b.drawAlphaBlend(&c, {0, 0, 3, 1}, {}, 255);
     },
     {R, G, U, B, /**/ B, B, B, B, /**/ B, B, B, B}},
    {"a blend at 0 leaves the target",
     [](CBitmap& b, CDrawContext& c) {
         b.drawAlphaBlend(&c, {0, 0, 3, 2}, {}, 0);
     },
     {B, B, B, B, /**/ B, B, B, B, /**/ B, B, B, B}},
    {"a blend mixes source over target with constant alpha",
     [](CBitmap& b, CDrawContext& c) {
         b.drawAlphaBlend(&c, {0, 0, 2, 1}, {0, 1}, 128);
     },
     // (255*128 + 9*127) / 255 = 132.48 rounds to 132; 9*127/255 = 4.48 rounds to 4
     {makePixel(132, 132, 132), makePixel(4, 4, 4), B, B, /**/ B, B, B, B, /**/ B, B, B, B}},
    {"copies respect the clip rectangle",
     [](CBitmap& b, CDrawContext& c)
     {
         c.setClipRect({1, 0, 2, 3});
         b.draw(&c, {0, 0, 3, 2});
     },
     {B, G, B, B, /**/ B, K, B, B, /**/ B, B, B, B}},
};

TEST(DrawBitmap, CopiesPlaceExactlyTheirBlock)
{
    for (const CopyCase& c : kCopies)
    {
        CBitmap* bitmap = new CBitmap(makeBmp24(3, 2, kSmall));
        CPixelSurface target(4, 3, B);
        CDrawContext* context = new CDrawContext(nullptr, &target);
        c.draw(*bitmap, *context);
        EXPECT_EQ(pixelsOf(target), c.expected) << c.claim;
        context->release();
        bitmap->release();
    }
}

TEST(DrawOffscreen, StartsInItsBackgroundAndCopiesABlockOut)
{
    const CViewColor teal{0, 128, 128, 255};
    COffscreenContext* offscreen = new COffscreenContext(nullptr, 5, 4, teal);
    for (Pixel p : pixelsOf(offscreen->getPixels()))
        ASSERT_EQ(p, makePixel(0, 128, 128));
    CViewRect clip;
    EXPECT_EQ(offscreen->getClipRect(clip), (CViewRect{0, 0, 5, 4}));

    offscreen->setFillColor(kRedCColor);
    offscreen->fillRect({1, 1, 3, 3}); // paints (2, 2) only
    CPixelSurface window(6, 6, B);
    CDrawContext* context = new CDrawContext(nullptr, &window);
    context->offset = {1, 0};
    offscreen->copyFrom(context, {0, 0, 2, 2}, {1, 1});
    EXPECT_EQ(window.pixel(1, 0), makePixel(0, 128, 128));
    EXPECT_EQ(window.pixel(2, 1), makePixel(255, 0, 0));
    EXPECT_EQ(window.pixel(0, 0), B);
    EXPECT_EQ(window.pixel(3, 0), B);
    context->release();
    offscreen->release();
}

TEST(DrawOffscreen, NegativeSizesGiveAnEmptyBlockThatCopiesNothing)
{
    COffscreenContext* offscreen = new COffscreenContext(nullptr, -3, 2);
    CViewRect clip;
    EXPECT_EQ(offscreen->getClipRect(clip), (CViewRect{-3, 0, 0, 2}));
    CPixelSurface window(4, 4, B);
    CDrawContext context(nullptr, &window);
    offscreen->fillRect({0, 0, 4, 4});
    offscreen->copyFrom(&context, {0, 0, 4, 4});
    EXPECT_EQ(window.checksum(), CPixelSurface(4, 4, B).checksum());
    offscreen->release();
}

} // namespace
