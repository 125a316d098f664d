#pragma once
// Small drawing helpers over Cairo for the skin generator.

#include <cairo.h>

#include <memory>

#include "resources/SkinLayout.h"

namespace skingen
{

struct Color
{
    double r, g, b;
};

// The palette of the panel.
inline constexpr Color kPanelDark{0.145, 0.128, 0.117};
inline constexpr Color kBarDark{0.094, 0.083, 0.076};
inline constexpr Color kCream{0.925, 0.890, 0.800};
inline constexpr Color kCreamDim{0.640, 0.610, 0.545};
inline constexpr Color kAmber{1.000, 0.690, 0.250};
inline constexpr Color kAmberBright{1.000, 0.800, 0.420};
inline constexpr Color kAmberDeep{0.780, 0.420, 0.090};
inline constexpr Color kInk{0.255, 0.150, 0.060};

struct SurfaceDeleter
{
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

struct ContextDeleter
{
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// Bitmaps are drawn in the panel's logical pixels; at a drawing scale of 2
// every new surface holds twice as many device pixels each way, and Cairo
// draws the same paths and text at that resolution.
void setDrawingScale(int scale);
int drawingScale();

Surface makeSurface(int width, int height);
// A context with the font options that keep text rendering independent of
// the machine's font configuration.
Context makeContext(const Surface& surface);
Surface crop(const Surface& source, resources::SkinRect rect);
void paste(const Surface& target, const Surface& source, int x, int y);
// Logical size, as the layout tables count.
int widthOf(const Surface& s);
int heightOf(const Surface& s);
// Device pixels per logical pixel of `s`.
int scaleOf(const Surface& s);

void setColor(cairo_t* cr, Color c, double alpha = 1.0);
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);
// Point on a circle, angle in degrees clockwise from straight up.
void polar(double cx, double cy, double radius, double degrees, double& x, double& y);
// Screw head with a slot at the given angle.
void drawScrew(cairo_t* cr, double cx, double cy, double radius, double slotDegrees);

enum class Align
{
    Left,
    Centre,
    Right
};
// Draws text with its capital height centred on y; x is the anchor of align.
void drawText(cairo_t* cr, const char* text, double x, double y, Align align = Align::Centre);
// Centred as drawText, but a decimal point becomes a square of whole pixels
// with air on both sides: at scale sizes a font's point is one faint pixel,
// and "1.2" reads as "12".
void drawScaleText(cairo_t* cr, const char* text, double x, double y);
// The ink width drawScaleText gives `text`.
double scaleTextWidth(cairo_t* cr, const char* text);
// Text with extra spacing between letters, centred on (x, y).
void drawSpacedText(cairo_t* cr, const char* text, double x, double y, double spacing);
double textWidth(cairo_t* cr, const char* text);

} // namespace skingen
