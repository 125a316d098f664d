#include "tools/skingen/Fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <unistd.h>

namespace skingen
{
namespace
{

// First readable file wins; both families ship with every desktop distribution.
constexpr const char* kCandidates[][2] = {
    {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
     "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    {"/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
     "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"},
    {"/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf",
     "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"},
    {"/usr/share/fonts/truetype/liberation/LiberationSerif-BoldItalic.ttf",
     "/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf"},
};

const cairo_user_data_key_t kFaceKey{};

void doneFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

} // namespace

Fonts::~Fonts()
{
    for (cairo_font_face_t*& f : faces)
    {
        if (f) cairo_font_face_destroy(f);
        f = nullptr;
    }
    // The FreeType library stays: Cairo may still cache faces created from it.
}

bool Fonts::load(std::string& error)
{
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0)
    {
        error = "cannot initialise FreeType";
        return false;
    }
    library = lib;
    for (size_t i = 0; i < faces.size(); ++i)
    {
        FT_Face ft = nullptr;
        for (const char* path : kCandidates[i])
        {
            if (access(path, R_OK) == 0 && FT_New_Face(lib, path, 0, &ft) == 0) break;
            ft = nullptr;
        }
        if (!ft)
        {
            error = std::string("no usable font file, tried ") + kCandidates[i][0];
            return false;
        }
        faces[i] = cairo_ft_font_face_create_for_ft_face(ft, FT_LOAD_NO_HINTING);
        cairo_font_face_set_user_data(faces[i], &kFaceKey, ft, doneFace);
    }
    return true;
}

void Fonts::select(cairo_t* cr, Face face, double pixelSize) const
{
    cairo_set_font_face(cr, faces[static_cast<size_t>(face)]);
    cairo_set_font_size(cr, pixelSize);
}

} // namespace skingen
