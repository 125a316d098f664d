#include <functional>

#include "tools/skingen/Skin.h"

namespace skingen
{
namespace
{

using namespace resources;

using FramePainter = std::function<void(cairo_t*, int frame)>;

struct ButtonSpec
{
    int id;
    SkinRect rect;
    ArrowKind kind;
};

constexpr ButtonSpec kButtons[] = {
    {kRecallMemoA, kRecallMemoARect, ArrowKind::Recall}, {kRecallMemoB, kRecallMemoBRect, ArrowKind::Recall},
    {kStoreMemoA, kStoreMemoARect, ArrowKind::Store},    {kStoreMemoB, kStoreMemoBRect, ArrowKind::Store},
    {kLoadBank, kLoadBankRect, ArrowKind::Load},         {kSaveBank, kSaveBankRect, ArrowKind::Save},
    {kLoadPreset, kLoadPresetRect, ArrowKind::Load},     {kSavePreset, kSavePresetRect, ArrowKind::Save},
};

constexpr ButtonState kButtonFrames[] = {ButtonState::Normal, ButtonState::Highlighted, ButtonState::Pressed,
                                         ButtonState::Inactive};

int frameCount(int id)
{
    return findSkinBitmap(id)->frames;
}

// Each frame is the panel under the control with the moving part drawn on
// top, so that the control blends into the panel whatever frame it shows.
Surface buildStrip(const Surface& base, SkinRect rect, int frames, const FramePainter& paint)
{
    const int h = rect.height();
    Surface strip = makeSurface(rect.width(), h * frames);
    for (int f = 0; f < frames; ++f)
    {
        Context cr = makeContext(strip);
        cairo_rectangle(cr.get(), 0, f * h, rect.width(), h);
        cairo_clip(cr.get());
        cairo_translate(cr.get(), -rect.left, f * h - rect.top);
        cairo_set_source_surface(cr.get(), base.get(), 0, 0);
        cairo_paint(cr.get());
        paint(cr.get(), f);
    }
    return strip;
}

Surface renderBase(const Fonts& fonts)
{
    Surface base = makeSurface(kPanelWidth, kPanelHeight);
    Context cr = makeContext(base);
    drawPanelBase(cr.get(), fonts);
    return base;
}

void renderControls(const Surface& base, const Fonts& fonts, std::map<int, Surface>& out)
{
    for (const KnobSpec& k : knobSpecs())
    {
        const int n = frameCount(k.id);
        out[k.id] =
            buildStrip(base, k.rect, n,
                       [&k, n](cairo_t* cr, int f) { drawKnob(cr, k, k.angleAt(double(f) / (n - 1))); });
    }
    out[kProcessSwitch] = buildStrip(base, kProcessSwitchRect, 3,
                                     [&fonts](cairo_t* cr, int f) { drawProcessSwitch(cr, fonts, f); });
    for (const ButtonSpec& b : kButtons)
        out[b.id] =
            buildStrip(base, b.rect, 4,
                       [&b](cairo_t* cr, int f) { drawArrowButton(cr, b.rect, b.kind, kButtonFrames[f]); });
    out[kPresetRocker] = buildStrip(base, kRockerRect, 5, [](cairo_t* cr, int f) { drawRocker(cr, f); });
}

// The panel shows every control in its resting frame.
Surface renderPanel(const Surface& base, const std::map<int, Surface>& controls)
{
    Surface panel = crop(base, {0, 0, kPanelWidth, kPanelHeight});
    auto place = [&](int id, SkinRect rect, int frame)
    { paste(panel, frameOf(controls.at(id), frameCount(id), frame), rect.left, rect.top); };
    for (const KnobSpec& k : knobSpecs())
        place(k.id, k.rect, k.defaultFrame);
    place(kProcessSwitch, kProcessSwitchRect, kProcessDefaultFrame);
    for (const ButtonSpec& b : kButtons)
        place(b.id, b.rect, 0);
    place(kPresetRocker, kRockerRect, 0);
    return panel;
}

Surface renderAbout(const Fonts& fonts)
{
    Surface about = makeSurface(kAboutDisplayRect.width(), kAboutDisplayRect.height());
    Context cr = makeContext(about);
    drawAboutPicture(cr.get(), fonts);
    return about;
}

} // namespace

Surface frameOf(const Surface& strip, int frames, int index)
{
    const int h = heightOf(strip) / frames;
    return crop(strip, {0, index * h, widthOf(strip), (index + 1) * h});
}

std::map<int, Surface> renderSkin(const Fonts& fonts)
{
    const Surface base = renderBase(fonts);
    std::map<int, Surface> out;
    renderControls(base, fonts, out);
    Surface panel = renderPanel(base, out);
    // Face and overlay are cut from the finished panel, so the meter redraws
    // exactly the pixels that were there, knob tops included.
    out[kMeterFace] = crop(panel, kMeterFaceRect);
    const SkinBitmap* overlay = findSkinBitmap(kMeterOverlay);
    out[kMeterOverlay] =
        crop(panel, {kMeterOverlayOrigin.x, kMeterOverlayOrigin.y, kMeterOverlayOrigin.x + overlay->width,
                     kMeterOverlayOrigin.y + overlay->height});
    out[kPanel] = std::move(panel);
    out[kAboutPicture] = renderAbout(fonts);
    return out;
}

} // namespace skingen
