#include <cmath>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

using namespace resources;

constexpr double kTitleBaseline = 80;

void drawAboutBackground(cairo_t* cr)
{
    const SkinRect r = kAboutDisplayRect;
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, r.bottom);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.125, 0.110, 0.100);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.060, 0.054, 0.050);
    cairo_rectangle(cr, 0, 0, r.width(), r.height());
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    roundedRect(cr, 5.5, 5.5, r.width() - 11, r.height() - 11, 6);
    setColor(cr, kAmberDeep, 0.55);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void drawAboutTitle(cairo_t* cr, const Fonts& fonts)
{
    double x = 30;
    fonts.select(cr, Face::SansBold, 22);
    setColor(cr, kCream);
    for (const char* letter : {"T", "R", "V"})
    {
        cairo_move_to(cr, x, kTitleBaseline);
        cairo_show_text(cr, letter);
        x += textWidth(cr, letter) + 2.5;
    }
    fonts.select(cr, Face::SerifBoldItalic, 44);
    setColor(cr, kAmber);
    cairo_move_to(cr, x + 9, kTitleBaseline);
    cairo_show_text(cr, "amberLit");
    fonts.select(cr, Face::SansBold, 12);
    setColor(cr, kCreamDim);
    cairo_move_to(cr, 32, kTitleBaseline + 24);
    cairo_show_text(cr, "O P T I C A L   C O M P R E S S O R");
    cairo_new_path(cr);
    setColor(cr, kAmberDeep, 0.8);
    cairo_rectangle(cr, 30, 118, 340, 1);
    cairo_fill(cr);
}

void drawFeatures(cairo_t* cr, const Fonts& fonts)
{
    static const char* const lines[] = {
        "Programme-dependent optical gain cell",
        "Seven gain curves, 1.2:1 to 10:1",
        "Clear or valve output stage",
        "24 presets, banks and two memo slots",
    };
    fonts.select(cr, Face::Sans, 11.5);
    double y = 146;
    for (const char* line : lines)
    {
        setColor(cr, kAmber);
        cairo_arc(cr, 34, y - 4, 1.8, 0, 2 * M_PI);
        cairo_fill(cr);
        setColor(cr, kCream);
        cairo_move_to(cr, 42, y);
        cairo_show_text(cr, line);
        y += 20;
    }
    cairo_new_path(cr);
}

// The heart of the unit: a lamp shining onto a light-dependent resistor.
void drawLamp(cairo_t* cr, double cx, double cy)
{
    cairo_pattern_t* glow = cairo_pattern_create_radial(cx, cy, 2, cx, cy, 48);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.85, 0.5, 0.9);
    cairo_pattern_add_color_stop_rgba(glow, 0.3, kAmber.r, kAmber.g, kAmber.b, 0.35);
    cairo_pattern_add_color_stop_rgba(glow, 1, kAmber.r, kAmber.g, kAmber.b, 0.0);
    cairo_arc(cr, cx, cy, 48, 0, 2 * M_PI);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    cairo_arc(cr, cx, cy, 13, 0, 2 * M_PI);
    setColor(cr, kCream, 0.6);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_move_to(cr, cx - 6, cy + 13);
    cairo_line_to(cr, cx - 4, cy);
    cairo_curve_to(cr, cx - 2, cy - 6, cx + 2, cy - 6, cx + 4, cy);
    cairo_line_to(cr, cx + 6, cy + 13);
    setColor(cr, kAmberBright);
    cairo_stroke(cr);
}

void drawCell(cairo_t* cr, double cx, double cy)
{
    roundedRect(cr, cx - 12, cy - 16, 24, 32, 3);
    cairo_set_source_rgb(cr, 0.20, 0.16, 0.12);
    cairo_fill_preserve(cr);
    setColor(cr, kCreamDim);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, cx - 7, cy - 11);
    for (int i = 0; i < 6; ++i)
    {
        cairo_line_to(cr, cx + 7, cy - 11 + 4 * i + 2);
        cairo_line_to(cr, cx - 7, cy - 11 + 4 * i + 4);
    }
    setColor(cr, kAmberDeep);
    cairo_stroke(cr);
    for (double dx : {-5.0, 5.0})
    {
        cairo_move_to(cr, cx + dx, cy + 16);
        cairo_line_to(cr, cx + dx, cy + 28);
    }
    setColor(cr, kCreamDim);
    cairo_stroke(cr);
}

void drawFooter(cairo_t* cr, const Fonts& fonts)
{
    fonts.select(cr, Face::SansBold, 10);
    setColor(cr, kCreamDim);
    cairo_move_to(cr, 30, 252);
    cairo_show_text(cr, "TRV-sonikwerk");
    fonts.select(cr, Face::Sans, 10);
    drawText(cr, "click to close", 370, 248, Align::Right);
}

} // namespace

void drawAboutPicture(cairo_t* cr, const Fonts& fonts)
{
    drawAboutBackground(cr);
    drawAboutTitle(cr, fonts);
    drawFeatures(cr, fonts);
    drawLamp(cr, 308, 178);
    drawCell(cr, 358, 176);
    drawFooter(cr, fonts);
}

// What the about view prints over the picture, for the review sheet.
void drawVersionText(cairo_t* cr, const Fonts& fonts, const char* text)
{
    const SkinRect r = kVersionTextRect;
    fonts.select(cr, Face::Sans, 12);
    cairo_set_source_rgb(cr, 200 / 255.0, 200 / 255.0, 200 / 255.0);
    drawText(cr, text, r.left, r.top + r.height() / 2.0, Align::Left);
}

} // namespace skingen
