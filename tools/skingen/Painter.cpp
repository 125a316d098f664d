#include "tools/skingen/Painter.h"

#include <cmath>
#include <string>

namespace skingen
{

namespace
{
int currentScale = 1; // the tool draws one skin at a time
} // namespace

void setDrawingScale(int scale)
{
    currentScale = scale;
}

int drawingScale()
{
    return currentScale;
}

Surface makeSurface(int width, int height)
{
    Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * currentScale, height * currentScale));
    cairo_surface_set_device_scale(s.get(), currentScale, currentScale);
    Context cr = makeContext(s);
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());
    return s;
}

Context makeContext(const Surface& surface)
{
    Context cr(cairo_create(surface.get()));
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_set_font_options(cr.get(), options);
    cairo_font_options_destroy(options);
    return cr;
}

Surface crop(const Surface& source, resources::SkinRect rect)
{
    Surface out = makeSurface(rect.width(), rect.height());
    Context cr = makeContext(out);
    cairo_set_source_surface(cr.get(), source.get(), -rect.left, -rect.top);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr.get());
    return out;
}

void paste(const Surface& target, const Surface& source, int x, int y)
{
    Context cr = makeContext(target);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr.get(), x, y, widthOf(source), heightOf(source));
    cairo_clip(cr.get());
    cairo_set_source_surface(cr.get(), source.get(), x, y);
    cairo_paint(cr.get());
}

int scaleOf(const Surface& s)
{
    double x = 1, y = 1;
    cairo_surface_get_device_scale(s.get(), &x, &y);
    return static_cast<int>(x);
}
int widthOf(const Surface& s)
{
    return cairo_image_surface_get_width(s.get()) / scaleOf(s);
}
int heightOf(const Surface& s)
{
    return cairo_image_surface_get_height(s.get()) / scaleOf(s);
}

void setColor(cairo_t* cr, Color c, double alpha)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    const double pi = M_PI;
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, pi / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, pi / 2, pi);
    cairo_arc(cr, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void polar(double cx, double cy, double radius, double degrees, double& x, double& y)
{
    const double a = degrees * M_PI / 180.0;
    x = cx + radius * std::sin(a);
    y = cy - radius * std::cos(a);
}

void drawScrew(cairo_t* cr, double cx, double cy, double radius, double slotDegrees)
{
    cairo_pattern_t* p = cairo_pattern_create_radial(cx - radius * 0.4, cy - radius * 0.4, 0, cx, cy, radius);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.62, 0.60, 0.57);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.22, 0.21, 0.20);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    double x1, y1, x2, y2;
    polar(cx, cy, radius * 0.8, slotDegrees, x1, y1);
    polar(cx, cy, radius * 0.8, slotDegrees + 180, x2, y2);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_source_rgb(cr, 0.08, 0.07, 0.07);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
}

static double capHeight(cairo_t* cr)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, "H", &e);
    return -e.y_bearing;
}

double textWidth(cairo_t* cr, const char* text)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    return e.x_advance;
}

void drawText(cairo_t* cr, const char* text, double x, double y, Align align)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    double left = x;
    // Centre on the ink, not the advance, so that digits sit on their tick.
    if (align == Align::Centre) left = x - e.x_bearing - e.width / 2;
    if (align == Align::Right) left = x - e.x_advance;
    cairo_move_to(cr, left, y + capHeight(cr) / 2);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

namespace
{
constexpr double kScaleDot = 2.0; // pixels square
constexpr double kScaleAir = 1.0; // pixels each side of it
} // namespace

double scaleTextWidth(cairo_t* cr, const char* text)
{
    const std::string s(text);
    const size_t point = s.find('.');
    cairo_text_extents_t a, b;
    cairo_text_extents(cr, s.substr(0, point).c_str(), &a);
    if (point == std::string::npos) return a.width;
    cairo_text_extents(cr, s.substr(point + 1).c_str(), &b);
    return a.width + kScaleAir + kScaleDot + kScaleAir + b.width;
}

void drawScaleText(cairo_t* cr, const char* text, double x, double y)
{
    const std::string s(text);
    const size_t point = s.find('.');
    if (point == std::string::npos) return drawText(cr, text, x, y);
    const std::string whole = s.substr(0, point);
    const std::string fraction = s.substr(point + 1);
    constexpr double kDot = kScaleDot;
    constexpr double kAir = kScaleAir;
    cairo_text_extents_t a, b;
    cairo_text_extents(cr, whole.c_str(), &a);
    cairo_text_extents(cr, fraction.c_str(), &b);
    const double width = scaleTextWidth(cr, text);
    const double baseline = std::round(y + capHeight(cr) / 2);
    const double left = std::round(x - width / 2);
    cairo_move_to(cr, left - a.x_bearing, baseline);
    cairo_show_text(cr, whole.c_str());
    cairo_new_path(cr);
    const double dotLeft = std::round(left + a.width + kAir);
    cairo_rectangle(cr, dotLeft, baseline - kDot, kDot, kDot);
    cairo_fill(cr);
    cairo_move_to(cr, dotLeft + kDot + kAir - b.x_bearing, baseline);
    cairo_show_text(cr, fraction.c_str());
    cairo_new_path(cr);
}

void drawSpacedText(cairo_t* cr, const char* text, double x, double y, double spacing)
{
    std::string s(text);
    double total = 0;
    for (char ch : s)
        total += textWidth(cr, std::string(1, ch).c_str()) + spacing;
    total -= spacing;
    double pen = x - total / 2;
    const double baseline = y + capHeight(cr) / 2;
    for (char ch : s)
    {
        const std::string one(1, ch);
        cairo_move_to(cr, pen, baseline);
        cairo_show_text(cr, one.c_str());
        pen += textWidth(cr, one.c_str()) + spacing;
    }
    cairo_new_path(cr);
}

} // namespace skingen
