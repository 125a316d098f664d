#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

using namespace resources;

constexpr int kBarTop = kAboutDisplayRect.bottom; // the bar stays visible under the about picture

// Fine horizontal grain of brushed metal; a fixed generator keeps it reproducible.
void addGrain(cairo_t* cr, int width, int height)
{
    cairo_surface_t* s = cairo_get_target(cr);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    double scaleX = 1, scaleY = 1;
    cairo_surface_get_device_scale(s, &scaleX, &scaleY);
    const int scale = static_cast<int>(scaleX); // one grain per logical pixel: the same look at 2x
    uint32_t state = 0x2545F491u;
    auto next = [&state]
    {
        state = state * 1664525u + 1013904223u;
        return int(state >> 24) - 128;
    };
    for (int y = 0; y < height; ++y)
    {
        const int row = next() / 40;
        for (int x = 0; x < width; ++x)
        {
            const int delta = row + next() / 48;
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                {
                    unsigned char* p = data + (y * scale + dy) * stride + (x * scale + dx) * 4;
                    for (int c = 0; c < 3; ++c)
                        p[c] = static_cast<unsigned char>(std::clamp(p[c] + delta, 0, 255));
                }
        }
    }
    cairo_surface_mark_dirty(s);
}

void drawBackground(cairo_t* cr)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, kBarTop);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.175, 0.157, 0.143);
    cairo_pattern_add_color_stop_rgb(p, 1, kPanelDark.r, kPanelDark.g, kPanelDark.b);
    cairo_rectangle(cr, 0, 0, kPanelWidth, kBarTop);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    setColor(cr, kBarDark);
    cairo_rectangle(cr, 0, kBarTop, kPanelWidth, kPanelHeight - kBarTop);
    cairo_fill(cr);
    addGrain(cr, kPanelWidth, kPanelHeight);
}

void drawEdges(cairo_t* cr)
{
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
    cairo_move_to(cr, 0, 0.5);
    cairo_line_to(cr, kPanelWidth, 0.5);
    cairo_stroke(cr);
    setColor(cr, kAmberDeep, 0.7);
    cairo_move_to(cr, 0, kBarTop + 0.5);
    cairo_line_to(cr, kPanelWidth, kBarTop + 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_move_to(cr, 0, kBarTop - 0.5);
    cairo_line_to(cr, kPanelWidth, kBarTop - 0.5);
    cairo_stroke(cr);
    drawScrew(cr, 11, 11, 4.5, 30);
    drawScrew(cr, kPanelWidth - 11, 11, 4.5, -20);
    drawScrew(cr, 11, 265, 4.5, 75);
    drawScrew(cr, kPanelWidth - 11, 265, 4.5, 10);
    drawScrew(cr, 14, 293, 4, 45);
    drawScrew(cr, kPanelWidth - 11, 293, 4, -60);
}

void drawTitle(cairo_t* cr, const Fonts& fonts)
{
    const double baseline = kAboutAreaRect.top + 18.5;
    fonts.select(cr, Face::SansBold, 14);
    const double brandWidth = textWidth(cr, "TRV") + 2 * 1.5;
    fonts.select(cr, Face::SerifBoldItalic, 21);
    const double nameWidth = textWidth(cr, "amberLit");
    const double gap = 7;
    double x = kAboutAreaRect.left + (kAboutAreaRect.width() - brandWidth - gap - nameWidth) / 2;
    fonts.select(cr, Face::SansBold, 14);
    setColor(cr, kCream);
    for (const char* letter : {"T", "R", "V"})
    {
        cairo_move_to(cr, x, baseline);
        cairo_show_text(cr, letter);
        x += textWidth(cr, letter) + 1.5;
    }
    fonts.select(cr, Face::SerifBoldItalic, 21);
    setColor(cr, kAmber);
    cairo_move_to(cr, x - 1.5 + gap, baseline);
    cairo_show_text(cr, "amberLit");
    cairo_new_path(cr);
}

void drawMeterBezel(cairo_t* cr)
{
    const SkinRect w{kMeterFaceRect.left, kMeterFaceRect.top, kMeterFaceRect.right, kMeterOverlayOrigin.y};
    cairo_pattern_t* halo = cairo_pattern_create_radial(200, 88, 30, 200, 88, 95);
    cairo_pattern_add_color_stop_rgba(halo, 0, kAmber.r, kAmber.g, kAmber.b, 0.16);
    cairo_pattern_add_color_stop_rgba(halo, 1, kAmber.r, kAmber.g, kAmber.b, 0.0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);
    roundedRect(cr, w.left - 5, w.top - 5, w.width() + 10, w.height() + 10, 5);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, w.top - 5, 0, w.bottom + 5);
    cairo_pattern_add_color_stop_rgb(metal, 0, 0.05, 0.045, 0.04);
    cairo_pattern_add_color_stop_rgb(metal, 1, 0.36, 0.34, 0.32);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    cairo_rectangle(cr, w.left - 1, w.top - 1, w.width() + 2, w.height() + 2);
    cairo_set_source_rgb(cr, 0.03, 0.03, 0.03);
    cairo_fill(cr);
}

void drawKnobLegends(cairo_t* cr, const Fonts& fonts)
{
    for (const KnobSpec& k : knobSpecs())
    {
        drawKnobScale(cr, fonts, k);
        fonts.select(cr, Face::SansBold, 9);
        setColor(cr, kCream);
        const double y = k.rect.bottom + (k.bodyRadius < 20 ? 8 : 7.5);
        drawSpacedText(cr, k.name, k.centreX(), y, 1.6);
    }
    const KnobSpec& output = knobSpecs()[2];
    fonts.select(cr, Face::NarrowBold, 8.5);
    setColor(cr, kCreamDim);
    drawText(cr, "dB", output.centreX(), output.centreY() + 46);
    fonts.select(cr, Face::SansBold, 9);
    setColor(cr, kCream);
    drawSpacedText(cr, "PROCESS", kProcessSwitchRect.left + kProcessSwitchRect.width() / 2.0,
                   kProcessSwitchRect.top + 72, 1.6);
}

void drawNameField(cairo_t* cr)
{
    const SkinRect r = kNameFieldRect;
    cairo_rectangle(cr, r.left - 1, r.top - 1, r.width() + 2, r.height() + 2);
    cairo_set_source_rgb(cr, 0.03, 0.03, 0.03);
    cairo_fill(cr);
    cairo_pattern_t* lcd = cairo_pattern_create_linear(0, r.top, 0, r.bottom);
    cairo_pattern_add_color_stop_rgb(lcd, 0, 0.80, 0.74, 0.60);
    cairo_pattern_add_color_stop_rgb(lcd, 0.3, 0.93, 0.88, 0.74);
    cairo_pattern_add_color_stop_rgb(lcd, 1, 0.90, 0.84, 0.69);
    cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
    cairo_set_source(cr, lcd);
    cairo_fill(cr);
    cairo_pattern_destroy(lcd);
}

void drawMenuSymbol(cairo_t* cr)
{
    const SkinRect r = kPresetMenuRect;
    setColor(cr, kCreamDim);
    for (int i = 0; i < 3; ++i)
    {
        cairo_rectangle(cr, r.left + 1.5, r.top + 4 + 3 * i, 7, 1.2);
        cairo_fill(cr);
    }
}

void drawBarLegends(cairo_t* cr, const Fonts& fonts)
{
    const double legendX = (kSavePresetRect.right + kLoadPresetRect.left) / 2.0;
    const double presetY = kSavePresetRect.top + kSavePresetRect.height() / 2.0;
    const double bankY = kSaveBankRect.top + kSaveBankRect.height() / 2.0;
    fonts.select(cr, Face::SansBold, 8.5);
    setColor(cr, kCream);
    drawSpacedText(cr, "PRESET", legendX, presetY, 0.9);
    drawSpacedText(cr, "BANK", legendX, bankY, 0.9);
    const double memoX = (kStoreMemoARect.right + kRecallMemoARect.left) / 2.0;
    fonts.select(cr, Face::SansBold, 9.5);
    drawText(cr, "A", memoX, presetY);
    drawText(cr, "B", memoX, bankY);
    fonts.select(cr, Face::SansBold, 8);
    setColor(cr, kCreamDim);
    drawText(cr, "MEMO", (kRecallMemoARect.right + kPanelWidth - 20) / 2.0, (presetY + bankY) / 2);
}

} // namespace

void drawPanelBase(cairo_t* cr, const Fonts& fonts)
{
    drawBackground(cr);
    drawEdges(cr);
    drawTitle(cr, fonts);
    drawMeterBezel(cr);
    drawMeterFace(cr, fonts);
    drawKnobLegends(cr, fonts);
    drawNameField(cr);
    drawMenuSymbol(cr);
    drawBarLegends(cr, fonts);
}

} // namespace skingen
