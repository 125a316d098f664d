// skingen: draws the plug-in's skin and writes it as BMP files, a source file
// that embeds them, and a PNG contact sheet for review.
//   skingen <output directory>

#include <cstdio>
#include <string>
#include <vector>

#include "resources/SkinTable.h"
#include "tools/skingen/Fonts.h"
#include "tools/skingen/Output.h"
#include "tools/skingen/Skin.h"

namespace
{

bool checkAgainstTable(const std::map<int, skingen::Surface>& skin, int scale)
{
    bool ok = skin.size() == resources::kSkinBitmaps.size();
    for (const resources::SkinBitmap& b : resources::kSkinBitmaps)
    {
        const auto it = skin.find(b.id);
        if (it == skin.end() || skingen::widthOf(it->second) != b.width ||
            skingen::heightOf(it->second) != b.height || skingen::scaleOf(it->second) != scale)
        {
            std::fprintf(stderr, "skingen: bitmap %d (%s) at %dx does not have its table size %dx%d\n", b.id,
                         b.name, scale, b.width, b.height);
            ok = false;
        }
    }
    return ok;
}

// A film strip is packed against the frame above, a picture against the row above.
std::size_t packDistance(const resources::SkinBitmap& b, int scale)
{
    const std::size_t rowBytes = (std::size_t(b.width) * scale * 3 + 3) & ~std::size_t(3);
    return rowBytes * std::size_t(b.height / b.frames) * scale;
}

// Draws the skin at `scale` and writes its files; the 1x set is stored as is,
// larger ones packed. False when something could not be written.
bool writeSkin(const skingen::Fonts& fonts, int scale, const std::string& dir,
               std::vector<skingen::SkinFile>& files)
{
    skingen::setDrawingScale(scale);
    const std::map<int, skingen::Surface> skin = skingen::renderSkin(fonts);
    if (!checkAgainstTable(skin, scale)) return false;
    for (const auto& [id, surface] : skin)
    {
        skingen::SkinFile file{id, scale, std::to_string(id) + ".bmp", skingen::encodeBmp(surface), 0};
        if (scale != 1)
        {
            file.fileName = std::to_string(id) + "@" + std::to_string(scale) + "x.bmp.packed";
            file.rawSize = file.bytes.size();
            file.bytes = skingen::packBmp(file.bytes, packDistance(*resources::findSkinBitmap(id), scale));
        }
        if (!skingen::writeFile(dir + "/" + file.fileName, file.bytes))
        {
            std::fprintf(stderr, "skingen: cannot write %s/%s\n", dir.c_str(), file.fileName.c_str());
            return false;
        }
        files.push_back(std::move(file));
    }
    const std::string sheetName = scale == 1 ? "contact-sheet.png" : "contact-sheet@2x.png";
    const skingen::Surface sheet = skingen::renderContactSheet(skin, fonts);
    if (cairo_surface_write_to_png(sheet.get(), (dir + "/" + sheetName).c_str()) != CAIRO_STATUS_SUCCESS)
    {
        std::fprintf(stderr, "skingen: cannot write %s/%s\n", dir.c_str(), sheetName.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: skingen <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    skingen::Fonts fonts;
    std::string error;
    if (!fonts.load(error))
    {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    // The same drawing code at both scales: the 2x set is drawn, not enlarged.
    std::vector<skingen::SkinFile> files;
    if (!writeSkin(fonts, 1, dir, files) || !writeSkin(fonts, 2, dir, files)) return 1;
    if (!skingen::writeFile(dir + "/skin_blobs.cpp", skingen::embedSource(files, dir)))
    {
        std::fprintf(stderr, "skingen: cannot write the outputs in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
