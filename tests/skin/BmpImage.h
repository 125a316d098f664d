#pragma once
// Read-only view of an embedded 24-bit BMP for the skin tests.

#include <cstdint>
#include <span>

#include "resources/SkinLayout.h"

struct Rgb
{
    int r, g, b;
    bool operator==(const Rgb&) const = default;
    double luminance() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

class BmpImage
{
  public:
    explicit BmpImage(std::span<const unsigned char> file) : bytes(file) {}

    bool hasSignature() const { return bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M'; }
    uint32_t fileSize() const { return u32(2); }
    uint32_t pixelOffset() const { return u32(10); }
    int width() const { return int(u32(18)); }
    int height() const { return int(int32_t(u32(22))); } // positive: rows stored bottom-up
    int bitsPerPixel() const { return u16(28); }
    uint32_t compression() const { return u32(30); }
    int rowBytes() const { return (width() * 3 + 3) & ~3; }

    Rgb pixel(int x, int y) const
    {
        const unsigned char* p =
            bytes.data() + pixelOffset() + size_t(height() - 1 - y) * rowBytes() + size_t(x) * 3;
        return {p[2], p[1], p[0]};
    }

    bool sameArea(int x, int y, const BmpImage& other, int ox, int oy, int w, int h) const
    {
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                if (!(pixel(x + i, y + j) == other.pixel(ox + i, oy + j))) return false;
        return true;
    }

  private:
    uint32_t u16(size_t at) const { return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8; }
    uint32_t u32(size_t at) const { return u16(at) | u16(at + 2) << 16; }

    std::span<const unsigned char> bytes;
};
