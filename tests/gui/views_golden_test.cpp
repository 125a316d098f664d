// A small composed view tree painted through a headless frame, against a
// checksum in views_golden.txt: frame background bitmap, an offscreen
// container with a shifted bitmap background, a colour-keyed bitmap view,
// two knob handles (lines and a keyed handle bitmap) and a parameter display
// with centred text. The text's inside is masked out of the checksum (it
// depends on the installed fonts) and checked for placement instead.
// AMBERLIT_GOLDEN_UPDATE=1 rewrites the table and dumps the PNG under
// <build>/golden/; a mismatch dumps it too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ViewTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/CKnob.h"
#include "gui/CParamDisplay.h"
#include "gui/CViewContainer.h"
#include "raster/PngFile.h"

namespace
{

using namespace viewtest;

const std::string kTablePath = std::string(AMBERLIT_SOURCE_DIR) + "/tests/gui/views_golden.txt";
const std::string kDumpDir = std::string(AMBERLIT_BINARY_DIR) + "/golden";
const CViewRect kFrameRect{0, 0, 160, 100};
const CViewRect kDisplayRect{112, 40, 156, 60};
// The display's inside: its outline stays in the checksum.
const CViewRect kTextArea{113, 41, 155, 59};
const Pixel kMasked = makePixel(255, 0, 255);

bool updating()
{
    const char* v = std::getenv("AMBERLIT_GOLDEN_UPDATE");
    return v && *v && std::string(v) != "0";
}

std::string readGolden(const std::string& name)
{
    std::ifstream in(kTablePath);
    std::string key, sum;
    while (in >> key >> sum)
        if (key == name) return sum;
    return {};
}

void writeGolden(const std::string& name, const std::string& sum)
{
    std::ofstream(kTablePath) << name << ' ' << sum << '\n';
}

CBitmap* patternBitmap(int width, int height, Pixel (*colour)(int, int))
{
    CPixelSurface s(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.setPixel(x, y, colour(x, y));
    return new CBitmap(std::move(s));
}

Pixel panel(int x, int y)
{
    return makePixel(std::uint8_t(40 + x), std::uint8_t(30 + y), 90);
}
Pixel checker(int x, int y)
{
    return ((x / 8 + y / 8) % 2) ? makePixel(200, 120, 40) : makePixel(60, 90, 160);
}
// White (the default key) around a diamond with a white centre.
Pixel diamond(int x, int y)
{
    const int d = std::abs(x - 11) + std::abs(y - 11);
    if (d > 10 || d < 3) return makePixel(255, 255, 255);
    return makePixel(std::uint8_t(20 * (d + 2)), 220, 60);
}
Pixel dot(int x, int y)
{
    const int d = (x - 3) * (x - 3) + (y - 3) * (y - 3);
    return d <= 9 ? makePixel(250, 40, 40) : makePixel(255, 255, 255);
}

struct Tree
{
    explicit Tree(float knobValue) : rig(kFrameRect)
    {
        CBitmap* back = patternBitmap(160, 100, panel);
        rig.frame->setBackground(back);
        back->release();

        CBitmap* check = patternBitmap(120, 100, checker);
        auto* box = new CViewContainer(CViewRect{8, 8, 104, 92}, rig.frame, check);
        check->release();
        box->setBackgroundOffset(CViewPoint{4, 3});
        rig.frame->addView(box);

        CBitmap* card = patternBitmap(23, 23, diamond);
        auto* keyed = new CView(CViewRect{4, 4, 27, 27});
        keyed->setBackground(card);
        keyed->setTransparency(true);
        card->release();
        box->addView(keyed);

        lineKnob = new CKnob(CViewRect{36, 4, 76, 44}, nullptr, 1, nullptr);
        lineKnob->setValue(knobValue);
        box->addView(lineKnob);

        CBitmap* handle = patternBitmap(7, 7, dot);
        auto* dotKnob = new CKnob(CViewRect{36, 44, 76, 84}, nullptr, 2, nullptr);
        dotKnob->setHandleBitmap(handle);
        handle->release();
        dotKnob->setValue(0.75f);
        box->addView(dotKnob);

        auto* display = new CParamDisplay(kDisplayRect);
        display->setValue(0.5f);
        rig.frame->addView(display);
    }

    CPixelSurface shown()
    {
        std::vector<Pixel> px = rig.window().shownPixels();
        CPixelSurface view(px.data(), kFrameRect.width(), kFrameRect.height(), kFrameRect.width());
        return CPixelSurface(view);
    }

    FrameRig rig;
    CKnob* lineKnob = nullptr;
};

CPixelSurface masked(CPixelSurface s)
{
    s.fill(kTextArea, kMasked, s.bounds());
    return s;
}

std::string hex(std::uint64_t v)
{
    std::ostringstream s;
    s << std::hex << v;
    return s.str();
}

void dump(const std::string& name, const CPixelSurface& s)
{
    std::filesystem::create_directories(kDumpDir);
    EXPECT_TRUE(writePng(s, kDumpDir + "/" + name + ".png")) << name;
}

TEST(ViewsGolden, ComposedTreeMatchesItsChecksumOutsideTheText)
{
    Tree tree(0.25f);
    tree.rig.window().exposeAll();
    const CPixelSurface shown = tree.shown();
    const std::string sum = hex(masked(shown).checksum());
    if (updating())
    {
        dump("view_tree", shown);
        writeGolden("view_tree", sum);
        return;
    }
    EXPECT_EQ(sum, readGolden("view_tree")) << "dumped to " << kDumpDir;
    if (sum != readGolden("view_tree")) dump("view_tree", shown);
}

TEST(ViewsGolden, DisplayTextIsCentredInItsRectangle)
{
    Tree tree(0.25f);
    tree.rig.window().exposeAll();
    const CPixelSurface shown = tree.shown();
    // Ink: anything but the display's black back colour.
    int left = kTextArea.right, right = kTextArea.left - 1, top = kTextArea.bottom,
        bottom = kTextArea.top - 1;
    for (int y = kTextArea.top; y < kTextArea.bottom; ++y)
        for (int x = kTextArea.left; x < kTextArea.right; ++x)
            if (!sameRGB(shown.pixel(x, y), makePixel(0, 0, 0)))
            {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_LE(left, right) << "no text painted";
    // "0.50" at 12 px: a few pixels of slack for hinting and rounding.
    EXPECT_NEAR(left - kDisplayRect.left, kDisplayRect.right - 1 - right, 2);
    EXPECT_NEAR(top - kDisplayRect.top, kDisplayRect.bottom - 1 - bottom, 3);
    EXPECT_GE(right - left + 1, 16);
    EXPECT_LE(right - left + 1, 32);
}

TEST(ViewsGolden, IdleRepaintOfOneKnobMatchesAFullPaint)
{
    Tree moved(0.25f);
    moved.rig.window().exposeAll();
    moved.lineKnob->setValue(0.6f);
    moved.rig.frame->idle();

    Tree fresh(0.6f);
    fresh.rig.window().exposeAll();
    EXPECT_EQ(masked(moved.shown()).checksum(), masked(fresh.shown()).checksum());
}

} // namespace
