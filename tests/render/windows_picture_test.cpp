// The editor looks the same on both systems: the picture the Windows editor
// put on the screen under Wine (written by the Windows editor test) against
// the headless Linux render of the same state. Text is drawn by each
// system's own font engine, so the preset name field is left out; every
// other pixel must match.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/ADEditor.h"
#include "platform/headless/HeadlessPlatform.h"
#include "plugin/AutoComp.h"
#include "raster/PngFile.h"
#include "resources/SkinLayout.h"
#include "tests/shell/RecordingHost.h"

namespace fs = std::filesystem;

namespace
{

// A binary portable pixmap (P6, 8 bits) as a surface; empty when unreadable.
gui::CPixelSurface readPixmap(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, depth = 0;
    in >> magic >> width >> height >> depth;
    in.get();
    if (!in || magic != "P6" || depth != 255 || width <= 0 || height <= 0) return {};
    gui::CPixelSurface image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            unsigned char rgb[3] = {};
            in.read(reinterpret_cast<char*>(rgb), 3);
            image.setPixel(x, y, gui::makePixel(rgb[0], rgb[1], rgb[2]));
        }
    return in ? image : gui::CPixelSurface{};
}

gui::CPixelSurface renderHeadless()
{
    RecordingHost::reset();
    auto* effect = new AutoComp(&RecordingHost::callback);
    auto* editor = static_cast<ADEditor*>(effect->getEditor());
    auto memory = std::make_unique<platform::headless::HeadlessPlatform>();
    platform::headless::HeadlessPlatform& screen = *memory;
    editor->setPlatform(std::move(memory));
    editor->open(screen.addHostWindow(platform::Rect{0, 0, resources::kPanelWidth, resources::kPanelHeight}));
    platform::headless::HeadlessWindow& window = *screen.lastWindow();
    window.exposeAll();
    editor->idle();
    editor->idle();
    gui::CPixelSurface image(resources::kPanelWidth, resources::kPanelHeight);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, window.shownPixel(x, y));
    delete effect;
    return image;
}

bool inTextArea(int x, int y)
{
    const resources::SkinRect& r = resources::kNameFieldRect;
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TEST(WindowsBuild, TheEditorUnderWineShowsTheLinuxPictureOutsideText)
{
    const char* windowsBuild = std::getenv("AMBERLIT_WINDOWS_BUILD");
    if (!windowsBuild) GTEST_SKIP() << "no Windows build named (scripts/test --windows names one)";
    const gui::CPixelSurface windows = readPixmap(fs::path(windowsBuild) / "editor-windows.ppm");
    ASSERT_EQ(windows.width(), resources::kPanelWidth) << "the Windows editor test writes the picture";
    ASSERT_EQ(windows.height(), resources::kPanelHeight);
    const gui::CPixelSurface onLinux = renderHeadless();
    int differing = 0;
    for (int y = 0; y < windows.height(); ++y)
        for (int x = 0; x < windows.width(); ++x)
            differing += !inTextArea(x, y) && !gui::sameRGB(windows.pixel(x, y), onLinux.pixel(x, y));
    EXPECT_EQ(differing, 0);
    // For people: the Windows picture beside the Linux one.
    EXPECT_TRUE(gui::writePng(windows, (fs::path(windowsBuild) / "editor-windows.png").string()));
}

} // namespace
