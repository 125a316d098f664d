#include "raster/PngFile.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace gui
{

namespace
{

// libpng reports errors by longjmp; keep every C++ object outside the
// function that calls setjmp so no destructor is skipped.
bool writeRows(FILE* file, int width, int height, png_bytepp rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info)
    {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)))
    {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const CPixelSurface& surface, const std::string& path)
{
    if (surface.empty()) return false;
    const int w = surface.width(), h = surface.height();
    std::vector<png_byte> rgb(std::size_t(w) * std::size_t(h) * 3);
    std::vector<png_bytep> rows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y)
    {
        png_bytep out = rgb.data() + std::size_t(y) * std::size_t(w) * 3;
        rows[std::size_t(y)] = out;
        for (int x = 0; x < w; ++x)
        {
            const Pixel p = surface.row(y)[x];
            *out++ = redOf(p);
            *out++ = greenOf(p);
            *out++ = blueOf(p);
        }
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = writeRows(file, w, h, rows.data());
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}

} // namespace gui
