// Composed scenes against checksums in draw_golden.txt. Set
// AMBERLIT_GOLDEN_UPDATE=1 to rewrite the table and dump every scene as a PNG
// under <build>/golden/ for a person to look at; a mismatch dumps the scene too.
// Text depends on the installed fonts, so its scene is dumped, never checked:
// draw_text_test measures text placement instead.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "DrawTestSupport.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"
#include "raster/PngFile.h"

namespace
{

using namespace gui;

const std::string kTablePath = std::string(AMBERLIT_SOURCE_DIR) + "/tests/gui/draw_golden.txt";
const std::string kDumpDir = std::string(AMBERLIT_BINARY_DIR) + "/golden";

bool updating()
{
    const char* v = std::getenv("AMBERLIT_GOLDEN_UPDATE");
    return v && *v && std::string(v) != "0";
}

std::map<std::string, std::string> readTable()
{
    std::map<std::string, std::string> table;
    std::ifstream in(kTablePath);
    std::string name, sum;
    while (in >> name >> sum)
        table[name] = sum;
    return table;
}

void writeTable(const std::map<std::string, std::string>& table)
{
    std::ofstream out(kTablePath);
    for (const auto& [name, sum] : table)
        out << name << ' ' << sum << '\n';
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

// A 16 x 16 test card: colour ramps with a white frame and a white centre,
// so colour-keyed copies show holes.
CBitmap* makeCard()
{
    std::vector<Pixel> px(16 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            const bool white = x == 0 || y == 0 || x == 15 || y == 15 || (x > 5 && x < 10 && y > 5 && y < 10);
            px[std::size_t(y * 16 + x)] =
                white ? makePixel(255, 255, 255) : makePixel(std::uint8_t(x * 16), std::uint8_t(y * 16), 96);
        }
    return new CBitmap(drawtest::makeBmp24(16, 16, px));
}

void drawPrimitives(CDrawContext& c)
{
    c.setFillColor(CViewColor{30, 40, 60, 255});
    c.fillRect({0, 0, 64, 48});
    const CViewColor colours[] = {{255, 80, 0, 255}, {0, 200, 120, 255}, {240, 240, 0, 255}};
    for (int i = 0; i < 3; ++i)
    {
        c.setFrameColor(colours[i]);
        c.setFillColor(colours[(i + 1) % 3]);
        const CViewRect r{4 + i * 20, 4, 20 + i * 20, 20};
        c.fillRect(r);
        c.drawRect(r);
    }
    c.setFrameColor(kWhiteCColor);
    for (int i = 0; i < 8; ++i)
    { // a fan: every octant's end point rule
        c.moveTo({32, 36});
        const int dx[] = {12, 12, 0, -12, -12, -12, 0, 12}, dy[] = {0, 9, 10, 9, 0, -9, -10, -9};
        c.lineTo({32 + dx[i], 36 + dy[i]});
    }
    c.offset = {50, 30};
    c.setClipRect({0, 0, 10, 10});
    c.setFillColor(kRedCColor);
    c.fillRect({-5, -5, 40, 40});
}

void drawBitmaps(CDrawContext& c)
{
    CBitmap* card = makeCard();
    COffscreenContext* off = new COffscreenContext(nullptr, 56, 40, CViewColor{20, 20, 20, 255});
    card->draw(off, {2, 2, 18, 18});
    card->drawTransparent(off, {20, 2, 36, 18});
    card->drawAlphaBlend(off, {38, 2, 54, 18}, {}, 160);
    off->offset = {4, 20};
    card->draw(off, {0, 0, 8, 8}, {8, 8});
    off->offset = {};
    card->drawTransparent(off, {30, 22, 46, 38}, {4, 4});
    c.offset = {3, 2};
    off->copyFrom(&c, {0, 0, 56, 40});
    off->release();
    card->release();
}

void drawText(CDrawContext& c)
{
    c.setFillColor(CViewColor{40, 40, 48, 255});
    c.fillRect({-1, -1, 200, 200});
    c.setFontColor(kWhiteCColor);
    for (int id = 0; id < 8; ++id)
    {
        const CViewRect row{2, 2 + id * 22, 198, 22 + id * 22};
        c.setFrameColor(CViewColor{90, 90, 110, 255});
        c.drawRect(row);
        c.setFont(id, 0);
        c.setFillColor(CViewColor{0, 60, 120, 255});
        c.drawString("Left 12:1", row, true, kTextAlignLeft);
        c.drawString("Mid", row, false, kTextAlignCenter);
        c.setFont(id, kFontItalic | kFontUnderline);
        c.drawString("Right", row, false, kTextAlignRight);
    }
}

struct Scene
{
    const char* name;
    int width, height;
    std::function<void(CDrawContext&)> draw;
    bool exact;
};

const Scene kScenes[] = {
    {"primitives", 64, 48, drawPrimitives, true},
    {"bitmaps", 64, 48, drawBitmaps, true},
    {"text", 200, 180, drawText, false},
};

TEST(DrawGolden, ScenesMatchTheirChecksums)
{
    std::map<std::string, std::string> table = readTable();
    for (const Scene& scene : kScenes)
    {
        CPixelSurface surface(scene.width, scene.height, makePixel(0, 0, 0));
        CDrawContext* context = new CDrawContext(nullptr, &surface);
        scene.draw(*context);
        context->release();
        const std::string sum = hex(surface.checksum());
        if (updating())
        {
            dump(scene.name, surface);
            if (scene.exact) table[scene.name] = sum;
            continue;
        }
        if (!scene.exact) continue;
        EXPECT_EQ(sum, table[scene.name]) << scene.name << ": dumped to " << kDumpDir;
        if (sum != table[scene.name]) dump(scene.name, surface);
    }
    if (updating()) writeTable(table);
}

} // namespace
