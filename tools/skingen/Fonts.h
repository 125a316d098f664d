#pragma once
// The generator's typefaces, loaded from fixed font files so that the output
// does not depend on the machine's font configuration.

#include <cairo.h>

#include <array>
#include <string>

namespace skingen
{

enum class Face
{
    Sans,
    SansBold,
    NarrowBold,
    SerifBoldItalic,
    Count
};

class Fonts
{
  public:
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts();

    // False, with the reason in error, when a font file cannot be read.
    bool load(std::string& error);
    void select(cairo_t* cr, Face face, double pixelSize) const;

  private:
    std::array<cairo_font_face_t*, static_cast<size_t>(Face::Count)> faces{};
    void* library = nullptr;
};

} // namespace skingen
