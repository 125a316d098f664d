#include <cmath>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

using resources::SkinRect;

constexpr double kSwitchNutX =
    resources::kProcessSwitchRect.left + resources::kProcessSwitchRect.width() / 2.0;
constexpr double kSwitchNutY = resources::kProcessSwitchRect.top + 50;
constexpr const char* kProcessLegends[3] = {"VALVE", "CLEAR", "OFF"};
constexpr double kProcessDegrees[3] = {-42, 0, 42};

void drawLegend(cairo_t* cr, const Fonts& fonts, int position, bool lit)
{
    double x, y;
    polar(kSwitchNutX, kSwitchNutY, 38, kProcessDegrees[position], x, y);
    fonts.select(cr, Face::SansBold, 8);
    if (lit)
    {
        // A soft halo behind the chosen legend, as if lit from behind.
        cairo_pattern_t* halo = cairo_pattern_create_radial(x, y, 0, x, y, 11);
        cairo_pattern_add_color_stop_rgba(halo, 0, kAmber.r, kAmber.g, kAmber.b, 0.28);
        cairo_pattern_add_color_stop_rgba(halo, 1, kAmber.r, kAmber.g, kAmber.b, 0.0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, x, y, 11, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    setColor(cr, lit ? kAmberBright : kCreamDim);
    drawSpacedText(cr, kProcessLegends[position], x, y, 0.6);
    double dx, dy;
    polar(kSwitchNutX, kSwitchNutY, 27, kProcessDegrees[position], dx, dy);
    cairo_arc(cr, dx, dy, 1.6, 0, 2 * M_PI);
    cairo_fill(cr);
}

void drawNut(cairo_t* cr)
{
    cairo_arc(cr, kSwitchNutX + 1, kSwitchNutY + 2, 11, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.45);
    cairo_fill(cr);
    cairo_pattern_t* p =
        cairo_pattern_create_linear(kSwitchNutX - 10, kSwitchNutY - 10, kSwitchNutX + 10, kSwitchNutY + 10);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.85, 0.83, 0.80);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.28, 0.27, 0.26);
    cairo_arc(cr, kSwitchNutX, kSwitchNutY, 10, 0, 2 * M_PI);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    cairo_arc(cr, kSwitchNutX, kSwitchNutY, 6, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.12, 0.11, 0.10);
    cairo_fill(cr);
}

void drawLever(cairo_t* cr, double degrees)
{
    double tx, ty;
    polar(kSwitchNutX, kSwitchNutY, 25, degrees, tx, ty);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, kSwitchNutX + 1.5, kSwitchNutY + 2);
    cairo_line_to(cr, tx + 1.5, ty + 2);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.4);
    cairo_set_line_width(cr, 6);
    cairo_stroke(cr);
    cairo_pattern_t* chrome = cairo_pattern_create_linear(tx - 4, ty, tx + 4, ty);
    cairo_pattern_add_color_stop_rgb(chrome, 0, 0.45, 0.44, 0.42);
    cairo_pattern_add_color_stop_rgb(chrome, 0.4, 0.95, 0.94, 0.92);
    cairo_pattern_add_color_stop_rgb(chrome, 1, 0.35, 0.34, 0.33);
    cairo_move_to(cr, kSwitchNutX, kSwitchNutY);
    cairo_line_to(cr, tx, ty);
    cairo_set_source(cr, chrome);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    cairo_arc(cr, tx, ty, 4.2, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(chrome);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

Color arrowColor(ButtonState state)
{
    switch (state)
    {
    case ButtonState::Normal:
        return kCreamDim;
    case ButtonState::Highlighted:
        return kAmberBright;
    case ButtonState::Pressed:
        return kAmber;
    case ButtonState::Inactive:
        return Color{0.30, 0.28, 0.26};
    }
    return kCreamDim;
}

void drawButtonBed(cairo_t* cr, const SkinRect& r, ButtonState state)
{
    if (state == ButtonState::Pressed)
    {
        roundedRect(cr, r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1, 2);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
        cairo_fill(cr);
    }
    else if (state == ButtonState::Highlighted)
    {
        roundedRect(cr, r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1, 2);
        setColor(cr, kAmber, 0.14);
        cairo_fill(cr);
    }
}

void triangle(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void rockerTriangle(cairo_t* cr, double cx, double cy, bool left)
{
    const double d = left ? -1 : 1;
    triangle(cr, cx + 3.5 * d, cy, cx - 2.5 * d, cy - 4, cx - 2.5 * d, cy + 4);
}

} // namespace

void drawProcessSwitch(cairo_t* cr, const Fonts& fonts, int frame)
{
    for (int p = 0; p < 3; ++p)
        drawLegend(cr, fonts, p, p == frame);
    drawNut(cr);
    drawLever(cr, kProcessDegrees[frame]);
}

void drawArrowButton(cairo_t* cr, SkinRect r, ArrowKind kind, ButtonState state)
{
    drawButtonBed(cr, r, state);
    const double cx = r.left + r.width() / 2.0;
    const double cy = r.top + r.height() / 2.0 + (state == ButtonState::Pressed ? 1 : 0);
    setColor(cr, arrowColor(state));
    switch (kind)
    {
    case ArrowKind::Save: // down onto a tray
        triangle(cr, cx - 4, cy - 3.5, cx + 4, cy - 3.5, cx, cy + 1.5);
        cairo_rectangle(cr, cx - 4, cy + 3, 8, 1.5);
        cairo_fill(cr);
        break;
    case ArrowKind::Load: // up out of a tray
        triangle(cr, cx - 4, cy + 1.5, cx + 4, cy + 1.5, cx, cy - 3.5);
        cairo_rectangle(cr, cx - 4, cy + 3, 8, 1.5);
        cairo_fill(cr);
        break;
    case ArrowKind::Store:
    case ArrowKind::Recall: // both point along the flow: into the slot, out of it
        triangle(cr, cx - 2.5, cy - 4, cx - 2.5, cy + 4, cx + 3, cy);
        break;
    }
}

void drawRocker(cairo_t* cr, int frame)
{
    const SkinRect r = resources::kRockerRect;
    // Split where the control splits its halves: at the integer middle.
    const int midColumn = r.left + (r.right - r.left) / 2;
    const double mid = midColumn + 0.5;
    const bool leftPressed = frame == 3, rightPressed = frame == 4;
    const bool leftLit = frame == 1 || leftPressed, rightLit = frame == 2 || rightPressed;
    roundedRect(cr, r.left + 0.5, r.top + 0.5, r.width() - 1, r.height() - 1, 6);
    cairo_set_source_rgb(cr, 0.17, 0.155, 0.145);
    cairo_fill_preserve(cr);
    setColor(cr, kCreamDim, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (leftPressed || rightPressed)
    {
        cairo_save(cr);
        roundedRect(cr, r.left + 1, r.top + 1, r.width() - 2, r.height() - 2, 5.5);
        cairo_clip(cr);
        cairo_rectangle(cr, leftPressed ? r.left : mid, r.top, r.width() / 2.0, r.height());
        cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    cairo_move_to(cr, mid, r.top + 3);
    cairo_line_to(cr, mid, r.bottom - 3);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.8);
    cairo_stroke(cr);
    const double cy = r.top + r.height() / 2.0;
    setColor(cr, leftLit ? (leftPressed ? kAmber : kAmberBright) : kCreamDim);
    rockerTriangle(cr, r.left + 7.5, cy + (leftPressed ? 1 : 0), true);
    setColor(cr, rightLit ? (rightPressed ? kAmber : kAmberBright) : kCreamDim);
    rockerTriangle(cr, r.right - 7.5, cy + (rightPressed ? 1 : 0), false);
}

} // namespace skingen
