#pragma once
// Small helpers for the drawing tests: masks of painted pixels, BMP bytes.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "raster/CPixelSurface.h"

namespace drawtest
{

using gui::CPixelSurface;
using gui::Pixel;

// '#' where the pixel differs from `background`, '.' elsewhere; one line per row.
inline std::string paintedMask(const CPixelSurface& s, Pixel background)
{
    std::string out;
    for (int y = 0; y < s.height(); ++y)
    {
        for (int x = 0; x < s.width(); ++x)
            out += gui::sameRGB(s.pixel(x, y), background) ? '.' : '#';
        out += '\n';
    }
    return out;
}

inline std::string expectedMask(int width, int height, const std::function<bool(int, int)>& painted)
{
    std::string out;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
            out += painted(x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

inline void putU16(std::vector<unsigned char>& v, std::uint16_t x)
{
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
inline void putU32(std::vector<unsigned char>& v, std::uint32_t x)
{
    putU16(v, std::uint16_t(x));
    putU16(v, std::uint16_t(x >> 16));
}

// A 24-bit BMP of `pixels` (top row first). Rows are stored bottom-up unless
// topDown; withFileHeader adds the 14-byte file header of a .bmp file.
inline std::vector<unsigned char> makeBmp24(int width, int height, const std::vector<Pixel>& pixels,
                                            bool withFileHeader = true, bool topDown = false)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> v;
    if (withFileHeader)
    {
        v.push_back('B');
        v.push_back('M');
        putU32(v, std::uint32_t(14 + 40 + stride * height));
        putU32(v, 0);
        putU32(v, 14 + 40);
    }
    putU32(v, 40);
    putU32(v, std::uint32_t(width));
    putU32(v, std::uint32_t(topDown ? -height : height));
    putU16(v, 1);
    putU16(v, 24);
    for (int i = 0; i < 6; ++i)
        putU32(v, 0);
    for (int r = 0; r < height; ++r)
    {
        const int y = topDown ? r : height - 1 - r;
        for (int x = 0; x < width; ++x)
        {
            const Pixel p = pixels[std::size_t(y * width + x)];
            v.push_back(gui::blueOf(p));
            v.push_back(gui::greenOf(p));
            v.push_back(gui::redOf(p));
        }
        for (int pad = width * 3; pad < stride; ++pad)
            v.push_back(0xEE);
    }
    return v;
}

} // namespace drawtest
