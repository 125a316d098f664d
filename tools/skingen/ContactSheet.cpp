#include <cmath>
#include <cstdint>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

using namespace resources;

constexpr int kGap = 10;

struct PanelState
{
    int knobFrame[4]; // per knob, -1 for the last frame
    int switchFrame;
    int buttonFrame;
    int rockerFrame;
    double meterValue;
};

void setPixel(const Surface& s, int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    if (x < 0 || y < 0 || x >= widthOf(s) || y >= heightOf(s)) return;
    const int scale = scaleOf(s);
    for (int dy = 0; dy < scale; ++dy)
        for (int dx = 0; dx < scale; ++dx)
        {
            unsigned char* p = cairo_image_surface_get_data(s.get()) +
                               (y * scale + dy) * cairo_image_surface_get_stride(s.get()) +
                               (x * scale + dx) * 4;
            p[0] = b;
            p[1] = g;
            p[2] = r;
            p[3] = 255;
        }
}

void drawPixelLine(const Surface& s, int x0, int y0, int x1, int y1)
{
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;)
    {
        setPixel(s, x0, y0, 170, 165, 160);
        if (x0 == x1 && y0 == y1) return;
        const int e2 = 2 * err;
        if (e2 >= dy)
        {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx)
        {
            err += dx;
            y0 += sy;
        }
    }
}

// The meter control's drawing: face, five needle strokes, overlay, then only
// the face rectangle reaches the panel.
void drawMeter(const Surface& panel, const std::map<int, Surface>& skin, double value)
{
    Surface off = crop(panel, {0, 0, kPanelWidth, kPanelHeight});
    paste(off, skin.at(kMeterFace), kMeterFaceRect.left, kMeterFaceRect.top);
    cairo_surface_flush(off.get());
    const double a = needleDegrees(value) * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
    const double shifts[5][2] = {{1, 0}, {0, 0}, {1, 1}, {0, 1}, {0.5, 0.5}};
    for (const auto& d : shifts)
    {
        auto px = [&](double r) { return int(kMeterPivot.x + d[0] + r * c); };
        auto py = [&](double r) { return int(kMeterPivot.y + d[1] - r * s); };
        drawPixelLine(off, px(kMeterInnerRadius), py(kMeterInnerRadius), px(kMeterOuterRadius),
                      py(kMeterOuterRadius));
    }
    cairo_surface_mark_dirty(off.get());
    paste(off, skin.at(kMeterOverlay), kMeterOverlayOrigin.x, kMeterOverlayOrigin.y);
    paste(panel, crop(off, kMeterFaceRect), kMeterFaceRect.left, kMeterFaceRect.top);
}

void place(const Surface& panel, const std::map<int, Surface>& skin, int id, SkinRect rect, int frame)
{
    const int n = findSkinBitmap(id)->frames;
    paste(panel, frameOf(skin.at(id), n, frame < 0 ? n - 1 : frame), rect.left, rect.top);
}

void drawNameText(const Surface& panel, const Fonts& fonts)
{
    Context cr = makeContext(panel);
    fonts.select(cr.get(), Face::Sans, 11);
    cairo_set_source_rgb(cr.get(), 76 / 255.0, 76 / 255.0, 72 / 255.0);
    const SkinRect r = kNameFieldRect;
    drawText(cr.get(), "Gentle Bus Glue", r.left + r.width() / 2.0, r.top + r.height() / 2.0);
}

Surface composePanel(const std::map<int, Surface>& skin, const Fonts& fonts, const PanelState& st)
{
    Surface panel = crop(skin.at(kPanel), {0, 0, kPanelWidth, kPanelHeight});
    for (size_t i = 0; i < knobSpecs().size(); ++i)
        place(panel, skin, knobSpecs()[i].id, knobSpecs()[i].rect, st.knobFrame[i]);
    place(panel, skin, kProcessSwitch, kProcessSwitchRect, st.switchFrame);
    const std::pair<int, SkinRect> buttons[] = {
        {kRecallMemoA, kRecallMemoARect}, {kRecallMemoB, kRecallMemoBRect}, {kStoreMemoA, kStoreMemoARect},
        {kStoreMemoB, kStoreMemoBRect},   {kLoadBank, kLoadBankRect},       {kSaveBank, kSaveBankRect},
        {kLoadPreset, kLoadPresetRect},   {kSavePreset, kSavePresetRect}};
    for (const auto& [id, rect] : buttons)
        place(panel, skin, id, rect, st.buttonFrame);
    place(panel, skin, kPresetRocker, kRockerRect, st.rockerFrame);
    drawNameText(panel, fonts);
    drawMeter(panel, skin, st.meterValue);
    return panel;
}

void blit(cairo_t* cr, const Surface& s, double x, double y, double scale = 1.0)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, s.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
}

void blitFrames(cairo_t* cr, const std::map<int, Surface>& skin, int id, std::initializer_list<int> frames,
                double x, double y, double scale)
{
    const int n = findSkinBitmap(id)->frames;
    for (int f : frames)
    {
        const Surface one = frameOf(skin.at(id), n, f);
        blit(cr, one, x, y, scale);
        x += widthOf(one) * scale + 6;
    }
}

} // namespace

Surface renderContactSheet(const std::map<int, Surface>& skin, const Fonts& fonts)
{
    const PanelState states[3] = {
        {{0, 0, 0, 0}, 0, 0, 0, 0.0},
        {{10, 20, 30, 3}, 1, 1, 1, meterValueForDb(-6)},
        {{-1, -1, -1, -1}, 2, 2, 4, meterValueForDb(-24)},
    };
    const int width = kGap + 3 * (kPanelWidth + kGap);
    const int row2 = kGap + kPanelHeight + kGap;
    const int row3 = row2 + kAboutDisplayRect.height() + kGap;
    Surface sheet = makeSurface(width, row3 + 2 * (114 + kGap));
    Context cr = makeContext(sheet);
    cairo_set_source_rgb(cr.get(), 0.5, 0.5, 0.5);
    cairo_paint(cr.get());
    for (int i = 0; i < 3; ++i)
        blit(cr.get(), composePanel(skin, fonts, states[i]), kGap + i * (kPanelWidth + kGap), kGap);

    Surface about = crop(skin.at(kAboutPicture), kAboutDisplayRect);
    drawVersionText(makeContext(about).get(), fonts, "v. 1.0.8");
    blit(cr.get(), about, kGap, row2);
    const double x2 = 2 * kGap + kPanelWidth;
    blitFrames(cr.get(), skin, kProcessSwitch, {0, 1, 2}, x2, row2, 1.0);
    const int buttons[] = {kSavePreset, kLoadPreset,  kSaveBank,   kLoadBank,
                           kStoreMemoA, kRecallMemoA, kStoreMemoB, kRecallMemoB};
    for (int i = 0; i < 8; ++i)
        blitFrames(cr.get(), skin, buttons[i], {0, 1, 2, 3}, x2 + (i % 4) * 200.0, row2 + 90 + (i / 4) * 52.0,
                   3.0);
    blitFrames(cr.get(), skin, kPresetRocker, {0, 1, 2, 3, 4}, x2, row2 + 200, 3.0);

    blitFrames(cr.get(), skin, kOutputKnob, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, kGap, row3, 1.0);
    blitFrames(cr.get(), skin, kRatioKnob, {0, 1, 2, 3, 4, 5, 6}, kGap, row3 + 114 + kGap, 1.0);
    blitFrames(cr.get(), skin, kTimeKnob, {0, 5, 10, 15, 20}, kGap + 7 * 76 + 20, row3 + 114 + kGap, 1.0);
    return sheet;
}

} // namespace skingen
