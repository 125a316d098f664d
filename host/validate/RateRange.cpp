#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host::validation
{
namespace
{

constexpr double kRates[] = {22050, 44100, 88200, 96000, 176400, 192000, 384000, 768000};
constexpr double kWarnDb = 0.5; // a design that follows the rate stays within this
constexpr double kFailDb = 1.0; // beyond this the rate is plainly not followed

// A steady tone hot enough to make a dynamics processor work; its settled
// second half is measured.
constexpr double kToneHz = 1000.0;
constexpr double kToneAmplitude = 0.5;

struct Reading
{
    bool finite;
    double gainDb;
};

Reading readGainAt(const std::string& path, double rate, double seconds, Outcome& failure)
{
    auto plugin = openInstance(path, failure);
    if (!plugin) return {false, 0.0};
    start(*plugin, rate);
    const AudioBuffer input = tone(kToneHz, kToneAmplitude, seconds, rate);
    const AudioBuffer output = render(*plugin, input);
    if (!allFinite(output)) return {false, 0.0};
    return {true, gainDb(input, output, seconds / 2)};
}

std::string rateText(double rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g kHz", rate / 1000);
    return text;
}

} // namespace

Outcome checkRateRange(const std::string& path, const ValidationOptions& options)
{
    const double seconds = options.quick ? 1.0 : 3.0;
    Outcome failure;
    reportStep("the tone at 48 kHz");
    const Reading reference = readGainAt(path, kRate, seconds, failure);
    if (failure.verdict == Verdict::fail) return failure;
    if (!reference.finite) return Outcome::failed("output not finite at 48 kHz");
    Findings findings;
    double worst = 0.0;
    for (const double rate : kRates)
    {
        reportStep("the tone at " + rateText(rate));
        const Reading reading = readGainAt(path, rate, seconds, failure);
        if (failure.verdict == Verdict::fail) return failure;
        if (!reading.finite)
        {
            findings.fail("output not finite at " + rateText(rate));
            continue;
        }
        const double difference = std::fabs(reading.gainDb - reference.gainDb);
        worst = std::max(worst, difference);
        const std::string text = rateText(rate) + ": gain " + formatDb(reading.gainDb) + " against " +
                                 formatDb(reference.gainDb) + " at 48 kHz";
        if (difference > kFailDb)
            findings.fail(text);
        else if (difference > kWarnDb)
            findings.warn(text);
    }
    return findings.outcome("a steady tone is treated alike from 22.05 to 768 kHz (at most " +
                            formatDb(worst) + " from 48 kHz)");
}

} // namespace host::validation
