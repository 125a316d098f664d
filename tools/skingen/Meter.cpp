#include <cmath>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

using resources::kMeterFaceRect;
using resources::kMeterPivot;

// Rows of the face that the overlay leaves visible.
constexpr double kWindowBottom = resources::kMeterOverlayOrigin.y;

// The needle is two pixels wide, drawn with shifts of 0 and 1 from the pivot,
// so its centre line runs half a pixel right of and below the pivot's corner.
constexpr double kNeedleCentreX = kMeterPivot.x + 0.5;
constexpr double kNeedleCentreY = kMeterPivot.y + 0.5;

void pointOnNeedle(double value, double radius, double& x, double& y)
{
    const double a = needleDegrees(value) * M_PI / 180.0;
    x = kNeedleCentreX + radius * std::cos(a);
    y = kNeedleCentreY - radius * std::sin(a);
}

void drawFaceGlow(cairo_t* cr)
{
    cairo_pattern_t* glow = cairo_pattern_create_radial(200, 128, 8, 200, 128, 100);
    cairo_pattern_add_color_stop_rgb(glow, 0.0, 1.00, 0.86, 0.55);
    cairo_pattern_add_color_stop_rgb(glow, 0.55, 0.98, 0.70, 0.30);
    cairo_pattern_add_color_stop_rgb(glow, 1.0, 0.72, 0.40, 0.10);
    cairo_rectangle(cr, kMeterFaceRect.left, kMeterFaceRect.top, kMeterFaceRect.width(),
                    kWindowBottom - kMeterFaceRect.top);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    // The bezel shades the top of the window.
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, kMeterFaceRect.top, 0, kMeterFaceRect.top + 7);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.45);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0.0);
    cairo_rectangle(cr, kMeterFaceRect.left, kMeterFaceRect.top, kMeterFaceRect.width(), 7);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
}

void strokeRadial(cairo_t* cr, double value, double r0, double r1, double width)
{
    double x0, y0, x1, y1;
    pointOnNeedle(value, r0, x0, y0);
    pointOnNeedle(value, r1, x1, y1);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void drawScale(cairo_t* cr)
{
    setColor(cr, kInk);
    const double first = needleDegrees(0) * M_PI / 180.0;
    const double last = needleDegrees(meterValueForDb(-24)) * M_PI / 180.0;
    cairo_new_path(cr);
    cairo_arc(cr, kNeedleCentreX, kNeedleCentreY, 74, -first, -last);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    for (double db : {-1.0, -2.0, -4.0, -5.0, -8.0, -10.0, -15.0, -18.0, -20.0})
        strokeRadial(cr, meterValueForDb(db), 74, 78.5, 1.0);
    for (const MeterMark& m : kMeterMarks)
        strokeRadial(cr, meterValueForDb(m.db), 73.4, 85, 1.6);
}

void drawScaleLabels(cairo_t* cr, const Fonts& fonts)
{
    fonts.select(cr, Face::NarrowBold, 8.5);
    setColor(cr, kInk);
    for (const MeterMark& m : kMeterMarks)
    {
        double x, y;
        // The needle rests on the 0 mark; its label stands just left of it,
        // where the needle never goes, so that it stays readable.
        const double restOffset = m.db == 0 ? -0.11 : 0.0;
        pointOnNeedle(meterValueForDb(m.db) + restOffset, 66.5, x, y);
        drawText(cr, m.text, x, y);
    }
    fonts.select(cr, Face::SansBold, 9);
    drawSpacedText(cr, "GR", kNeedleCentreX, 102.5, 1.0);
}

} // namespace

double meterValueForDb(double db)
{
    return 1.0 - std::pow(10.0, db / 20.0);
}

double needleDegrees(double value)
{
    return resources::kMeterRestDegrees - resources::kMeterSwingDegrees * value;
}

void drawMeterFace(cairo_t* cr, const Fonts& fonts)
{
    cairo_save(cr);
    cairo_rectangle(cr, kMeterFaceRect.left, kMeterFaceRect.top, kMeterFaceRect.width(),
                    kWindowBottom - kMeterFaceRect.top);
    cairo_clip(cr);
    drawFaceGlow(cr);
    drawScale(cr);
    drawScaleLabels(cr, fonts);
    cairo_restore(cr);
}

} // namespace skingen
