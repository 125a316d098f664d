// skingen: draws the plug-in's skin and writes it as BMP files, a source file
// that embeds them, and a PNG contact sheet for review.
//   skingen <output directory>

#include <cstdio>
#include <string>

#include "resources/SkinTable.h"
#include "tools/skingen/Fonts.h"
#include "tools/skingen/Output.h"
#include "tools/skingen/Skin.h"

namespace
{

bool checkAgainstTable(const std::map<int, skingen::Surface>& skin)
{
    bool ok = skin.size() == resources::kSkinBitmaps.size();
    for (const resources::SkinBitmap& b : resources::kSkinBitmaps)
    {
        const auto it = skin.find(b.id);
        if (it == skin.end() || skingen::widthOf(it->second) != b.width ||
            skingen::heightOf(it->second) != b.height)
        {
            std::fprintf(stderr, "skingen: bitmap %d (%s) does not have its table size %dx%d\n", b.id, b.name,
                         b.width, b.height);
            ok = false;
        }
    }
    return ok;
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
    const std::map<int, skingen::Surface> skin = skingen::renderSkin(fonts);
    if (!checkAgainstTable(skin)) return 1;
    std::map<int, std::string> files;
    for (const auto& [id, surface] : skin)
    {
        files[id] = skingen::encodeBmp(surface);
        if (!skingen::writeFile(dir + "/" + std::to_string(id) + ".bmp", files[id]))
        {
            std::fprintf(stderr, "skingen: cannot write %s/%d.bmp\n", dir.c_str(), id);
            return 1;
        }
    }
    const skingen::Surface sheet = skingen::renderContactSheet(skin, fonts);
    if (cairo_surface_write_to_png(sheet.get(), (dir + "/contact-sheet.png").c_str()) !=
            CAIRO_STATUS_SUCCESS ||
        !skingen::writeFile(dir + "/skin_blobs.cpp", skingen::embedSource(files, dir)))
    {
        std::fprintf(stderr, "skingen: cannot write the outputs in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
