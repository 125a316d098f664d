#pragma once

#include <cstddef>
#include <cstdint>

// The twelve parameters: names, labels, display texts and the engine values
// derived from a normalised value. The engine, the editor, the host tool and
// the tests all read this one table.
//
// Every derived value is computed in double from the 32-bit value widened
// first: evaluating in float gives different steps at half-step values.
namespace params
{

constexpr int32_t kCount = 12;

// Visible parameters; the other indices are hidden and only stored.
enum Index : int32_t
{
    kProcess = 0,
    kRatio = 2,
    kTime = 4,
    kCompression = 5,
    kOutput = 6
};

constexpr int32_t kProcessModes = 3;
constexpr int32_t kRatioSteps = 7;
inline constexpr const char* kProcessTexts[kProcessModes] = {"Off", "Clear", "Valve"};
inline constexpr const char* kRatioTexts[kRatioSteps] = {"1.2:1", "1.5:1", "2:1", "3:1",
                                                         "4:1",   "6:1",   "10:1"};

// Longest display text plus terminator; host buffers are at least this big.
constexpr std::size_t kTextSize = 16;

// Clamps to 0..1; NaN becomes 0 so that no later integer conversion sees it.
float clampValue(float value);

bool isVisible(int32_t index);
const char* name(int32_t index);  // " " for hidden and unknown indices
const char* label(int32_t index); // " " for every index

// Writes the display text of `value` (normalised) for `index` into `text`
// (at least kTextSize bytes); " " for hidden and unknown indices.
void display(int32_t index, float value, char* text);

// Parses a display text ("Valve", "4:1", "7.50") back to a normalised value.
// False when the text is not a display of that parameter or out of range.
bool valueFromDisplay(int32_t index, const char* text, float& value);

int32_t processMode(float value);     // 0 Off, 1 Clear, 2 Valve
int32_t ratioIndex(float value);      // 0..6, the gain curve
double timeScale(float value);        // 0.005..0.5, divides the envelope cutoff
int32_t driveStep(float value);       // 0..40
double driveTarget(float value);      // 0.125..128
int32_t outputStep(float value);      // 0..60, half decibels
double outputGainTarget(float value); // linear, 0..+30 dB

// Display quantities in their units (seconds-like, 0..10, dB).
double timeDisplayValue(float value);
double compressionDisplayValue(float value);
double outputDisplayValue(float value);

// Integer part, point and exactly two decimals ("0.00", "10.00"); exact for
// multiples of 0.25. `text` holds at least kTextSize bytes.
void formatTwoDecimals(double value, char* text);

} // namespace params
