#include "engine/ParameterTable.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace params
{
namespace
{

constexpr const char* kBlank = " ";

const char* const kNames[kCount] = {"Process", kBlank, "Ratio", kBlank, "Time", "Compression",
                                    "Output",  kBlank, kBlank,  kBlank, kBlank, kBlank};

// Upper end of each display in its own unit; display = value x range.
double displayRange(int32_t index)
{
    return index == kOutput ? 30.0 : 10.0;
}

bool parseNumber(const char* text, double& number)
{
    char* end = nullptr;
    number = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(number);
}

int32_t findText(const char* const* texts, int32_t count, const char* text)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (std::strcmp(texts[i], text) == 0)
        {
            return i;
        }
    }
    return -1;
}

} // namespace

float clampValue(float value)
{
    if (!(value >= 0.0f))
    { // also NaN
        return 0.0f;
    }
    return value > 1.0f ? 1.0f : value;
}

bool isVisible(int32_t index)
{
    return index == kProcess || index == kRatio || index == kTime || index == kCompression ||
           index == kOutput;
}

const char* name(int32_t index)
{
    return index >= 0 && index < kCount ? kNames[index] : kBlank;
}

const char* label(int32_t)
{
    return kBlank;
}

int32_t processMode(float value)
{
    return static_cast<int32_t>(std::trunc(static_cast<double>(value) * 2 + 0.5));
}

int32_t ratioIndex(float value)
{
    return static_cast<int32_t>(std::trunc(static_cast<double>(value) * 6 + 0.5));
}

double timeScale(float value)
{
    return 0.005 * std::pow(100.0, static_cast<double>(value));
}

int32_t driveStep(float value)
{
    return static_cast<int32_t>(std::trunc(std::pow(static_cast<double>(value), 0.7071) * 40 + 0.5));
}

double driveTarget(float value)
{
    return 0.125 * std::pow(1024.0, driveStep(value) / 40.0);
}

int32_t outputStep(float value)
{
    return static_cast<int32_t>(std::trunc(static_cast<double>(value) * 60 + 0.5));
}

double outputGainTarget(float value)
{
    return std::pow(31.622776601683793, outputStep(value) / 60.0);
}

double timeDisplayValue(float value)
{
    return std::trunc(static_cast<double>(value) * 20 + 0.5) / 2;
}

double compressionDisplayValue(float value)
{
    return std::trunc(static_cast<double>(value) * 40 + 0.5) / 4;
}

double outputDisplayValue(float value)
{
    return std::trunc(static_cast<double>(value) * 60 + 0.5) / 2;
}

void formatTwoDecimals(double value, char* text)
{
    if (value > 99999999.0 || value < -9999999.0)
    {
        return; // cannot occur for parameter displays; the text stays as it was
    }
    const double scaled = value * 100;
    const double fraction = scaled - std::trunc(scaled);
    if (fraction >= 0.49999)
    {
        value = (scaled + 1) * 0.01;
    }
    else if (fraction <= -0.49999)
    {
        value = (scaled - 1) * 0.01;
    }
    // At most eight digits in all: integer digits first, then truncated decimals.
    char digits[kTextSize] = {};
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    const double whole = std::trunc(magnitude);
    const int wholeLength = std::snprintf(digits, sizeof digits, "%s%.0f.", negative ? "-" : "", whole);
    double rest = magnitude - whole;
    const int wholeDigits = wholeLength - 1 - (negative ? 1 : 0);
    int length = wholeLength;
    for (int decimals = 0; wholeDigits + decimals < 8 && decimals < 2; ++decimals)
    {
        rest *= 10;
        const int digit = static_cast<int>(rest);
        rest -= digit;
        digits[length++] = static_cast<char>('0' + digit);
    }
    digits[length] = '\0';
    std::memcpy(text, digits, static_cast<std::size_t>(length) + 1);
}

void display(int32_t index, float value, char* text)
{
    switch (index)
    {
    case kProcess:
    {
        const int32_t mode = processMode(value);
        std::strcpy(text, kProcessTexts[mode == 2 ? 2 : mode == 1 ? 1 : 0]);
        return;
    }
    case kRatio:
    {
        const int32_t ratio = ratioIndex(value);
        if (ratio >= 0 && ratio < kRatioSteps)
        {
            std::strcpy(text, kRatioTexts[ratio]);
        }
        return;
    }
    case kTime:
        formatTwoDecimals(timeDisplayValue(value), text);
        return;
    case kCompression:
        formatTwoDecimals(compressionDisplayValue(value), text);
        return;
    case kOutput:
        formatTwoDecimals(outputDisplayValue(value), text);
        return;
    default:
        std::strcpy(text, kBlank);
        return;
    }
}

bool valueFromDisplay(int32_t index, const char* text, float& value)
{
    if (index == kProcess)
    {
        const int32_t mode = findText(kProcessTexts, kProcessModes, text);
        value = static_cast<float>(mode * 0.5);
        return mode >= 0;
    }
    if (index == kRatio)
    {
        const int32_t ratio = findText(kRatioTexts, kRatioSteps, text);
        value = static_cast<float>(ratio / 6.0);
        return ratio >= 0;
    }
    double number = 0;
    if (!isVisible(index) || !parseNumber(text, number) || number < 0 || number > displayRange(index))
    {
        return false;
    }
    value = static_cast<float>(number / displayRange(index));
    return true;
}

} // namespace params
