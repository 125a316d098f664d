#pragma once
// The skin's artwork: the panel, its moving parts and the about picture.

#include <array>
#include <map>
#include <vector>

#include "resources/SkinLayout.h"
#include "resources/SkinTable.h"
#include "tools/skingen/Fonts.h"
#include "tools/skingen/Painter.h"

namespace skingen
{

struct ScaleLabel
{
    double position; // 0..1 along the knob's travel
    const char* text;
};

struct KnobSpec
{
    int id;
    resources::SkinRect rect;
    double startDegrees; // pointer angle of frame 0, clockwise from straight up
    double endDegrees;   // pointer angle of the last frame
    double bodyRadius;
    double fontSize;
    std::vector<ScaleLabel> labels;
    double minorStep; // spacing of unlabelled ticks along the travel, 0 for none
    const char* name;
    int defaultFrame; // what the panel shows under the knob

    double centreX() const { return rect.left + rect.width() / 2.0; }
    double centreY() const { return rect.top + rect.height() / 2.0; }
    double angleAt(double position) const { return startDegrees + (endDegrees - startDegrees) * position; }
};

const std::vector<KnobSpec>& knobSpecs();

// Meter geometry, the same formula the meter control uses for its needle.
double meterValueForDb(double db);
double needleDegrees(double value); // counter-clockwise from the positive x axis
struct MeterMark
{
    double db;
    const char* text;
};
inline constexpr std::array<MeterMark, 5> kMeterMarks{
    {{0, "0"}, {-3, "-3"}, {-6, "-6"}, {-12, "-12"}, {-24, "-24"}}};

void drawPanelBase(cairo_t* cr, const Fonts& fonts);
void drawMeterFace(cairo_t* cr, const Fonts& fonts);
void drawKnobScale(cairo_t* cr, const Fonts& fonts, const KnobSpec& knob);
void drawKnob(cairo_t* cr, const KnobSpec& knob, double degrees);

inline constexpr int kProcessDefaultFrame = 1; // Clear
void drawProcessSwitch(cairo_t* cr, const Fonts& fonts, int frame);

enum class ButtonState
{
    Normal,
    Highlighted,
    Pressed,
    Inactive
};
enum class ArrowKind
{
    Save,
    Load,
    Store,
    Recall
};
void drawArrowButton(cairo_t* cr, resources::SkinRect rect, ArrowKind kind, ButtonState state);
void drawRocker(cairo_t* cr, int frame);

void drawAboutPicture(cairo_t* cr, const Fonts& fonts);
void drawVersionText(cairo_t* cr, const Fonts& fonts, const char* text);

// One frame of a film strip.
Surface frameOf(const Surface& strip, int frames, int index);

// Every bitmap of the skin table, by resource number.
std::map<int, Surface> renderSkin(const Fonts& fonts);

// Review picture: the panel with its controls at several values.
Surface renderContactSheet(const std::map<int, Surface>& skin, const Fonts& fonts);

} // namespace skingen
