#include <cmath>
#include <cstdio>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

std::vector<ScaleLabel> evenLabels(const std::vector<const char*>& texts)
{
    std::vector<ScaleLabel> out;
    for (size_t i = 0; i < texts.size(); ++i)
        out.push_back({double(i) / double(texts.size() - 1), texts[i]});
    return out;
}

void strokeRay(cairo_t* cr, double cx, double cy, double r0, double r1, double degrees, double width)
{
    double x0, y0, x1, y1;
    polar(cx, cy, r0, degrees, x0, y0);
    polar(cx, cy, r1, degrees, x1, y1);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void fillCircle(cairo_t* cr, double cx, double cy, double r, cairo_pattern_t* p)
{
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void drawShadow(cairo_t* cr, double cx, double cy, double r)
{
    for (int i = 0; i < 3; ++i)
    {
        cairo_arc(cr, cx + 1.0, cy + 2.0, r + 4.5 - i * 1.5, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.18);
        cairo_fill(cr);
    }
}

void drawSkirt(cairo_t* cr, double cx, double cy, double r, double degrees)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.30, 0.28, 0.26);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.07, 0.065, 0.06);
    fillCircle(cr, cx, cy, r + 3, p);
    // Knurling turns with the knob, so every frame shows the rotation.
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    for (int k = 0; k < 36; ++k)
        strokeRay(cr, cx, cy, r + 0.8, r + 3, degrees + k * 10.0, 1.0);
}

void drawCap(cairo_t* cr, double cx, double cy, double r)
{
    cairo_pattern_t* body = cairo_pattern_create_linear(cx - r, cy - r, cx + r, cy + r);
    cairo_pattern_add_color_stop_rgb(body, 0, 0.33, 0.31, 0.29);
    cairo_pattern_add_color_stop_rgb(body, 1, 0.05, 0.045, 0.04);
    fillCircle(cr, cx, cy, r, body);
    const double top = r * 0.8;
    cairo_pattern_t* face = cairo_pattern_create_radial(cx - top * 0.3, cy - top * 0.35, 0, cx, cy, top);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.22, 0.21, 0.20);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.10, 0.095, 0.09);
    fillCircle(cr, cx, cy, top, face);
    cairo_arc(cr, cx, cy, top, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void drawPointer(cairo_t* cr, double cx, double cy, double r, double degrees)
{
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    setColor(cr, kAmber);
    strokeRay(cr, cx, cy, r * 0.3, r + 1.8, degrees, std::max(2.0, r * 0.11));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

// Distance from the knob centre that keeps a label's box a fixed gap beyond
// the tick, whether the label sits beside the knob or above it.
double labelRadius(cairo_t* cr, const char* text, double degrees, double gap)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    const double a = degrees * M_PI / 180.0;
    return gap + scaleTextWidth(cr, text) / 2 * std::fabs(std::sin(a)) +
           -e.y_bearing / 2 * std::fabs(std::cos(a));
}

} // namespace

const std::vector<KnobSpec>& knobSpecs()
{
    static const std::vector<KnobSpec> knobSpecs = []
    {
        const std::vector<ScaleLabel> zeroToTen =
            evenLabels({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
        return std::vector<KnobSpec>{
            {resources::kTimeKnob, resources::kTimeKnobRect, -150, 150, 26, 9.5, zeroToTen, 0.05, "TIME", 10},
            {resources::kCompressionKnob, resources::kCompressionKnobRect, -150, 150, 26, 9.5, zeroToTen,
             0.05, "COMPRESSION", 20},
            {resources::kOutputKnob, resources::kOutputKnobRect, -150, 150, 26, 9.5,
             evenLabels({"0", "5", "10", "15", "20", "25", "30"}), 1.0 / 12.0, "OUTPUT", 0},
            {resources::kRatioKnob, resources::kRatioKnobRect, -135, 135, 13, 8.0,
             evenLabels({"1.2", "1.5", "2", "3", "4", "6", "10"}), 0, "RATIO", 3},
        };
    }();
    return knobSpecs;
}

void drawKnobScale(cairo_t* cr, const Fonts& fonts, const KnobSpec& knob)
{
    const double cx = knob.centreX(), cy = knob.centreY(), r = knob.bodyRadius;
    const bool small = r < 20;
    const double tickIn = r + (small ? 5.5 : 6.5);
    setColor(cr, kCreamDim);
    if (knob.minorStep > 0)
    {
        const int steps = int(std::lround(1.0 / knob.minorStep));
        for (int i = 0; i <= steps; ++i)
            strokeRay(cr, cx, cy, tickIn, tickIn + 3, knob.angleAt(double(i) / steps), 0.9);
    }
    setColor(cr, kCream);
    fonts.select(cr, Face::NarrowBold, knob.fontSize);
    const double tickOut = tickIn + (small ? 3.5 : 5);
    for (const ScaleLabel& l : knob.labels)
    {
        const double degrees = knob.angleAt(l.position);
        strokeRay(cr, cx, cy, tickIn, tickOut, degrees, 1.3);
        double x, y;
        polar(cx, cy, labelRadius(cr, l.text, degrees, tickOut + 2.5), degrees, x, y);
        drawScaleText(cr, l.text, x, y);
    }
}

void drawKnob(cairo_t* cr, const KnobSpec& knob, double degrees)
{
    const double cx = knob.centreX(), cy = knob.centreY(), r = knob.bodyRadius;
    drawShadow(cr, cx, cy, r);
    drawSkirt(cr, cx, cy, r, degrees);
    drawCap(cr, cx, cy, r);
    drawPointer(cr, cx, cy, r, degrees);
}

} // namespace skingen
