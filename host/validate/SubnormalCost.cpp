#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <algorithm>
#include <cstdio>

namespace host::validation
{
namespace
{

constexpr double kWarnRatio = 1.25;
constexpr double kFailRatio = 2.0;
constexpr double kNoiseSeconds = 0.005; // below this extra CPU time a ratio says nothing
constexpr int kRounds = 7;              // the cheapest of several: a busy moment only ever adds time

struct Entry
{
    const char* what;
    bool wide;
    double subnormalScale; // takes the programme below the type's smallest normal value
};

const Entry entries[] = {{"32-bit", false, 1e-40}, {"64-bit", true, 1e-310}};

// Least CPU time of several renders, each on a fresh instance so that no
// state carries over; the rounds alternate, so a busy moment hits both.
struct Costs
{
    double normal = 1e9;
    double subnormal = 0.0;
};

double timeRender(const std::string& path, const AudioBuffer& input, bool wide, Outcome& failure)
{
    auto plugin = openInstance(path, failure);
    if (!plugin) return 0.0;
    start(*plugin, kRate);
    const double begin = cpuSeconds();
    render(*plugin, input, {.wide = wide});
    return cpuSeconds() - begin;
}

// Subnormal input both moving (the programme scaled down) and held (a
// steady value, as a decaying tail leaves it); the dearer one counts.
Costs measure(const std::string& path, const Entry& entry, double seconds, Outcome& failure)
{
    const AudioBuffer normal = programme(kRate, seconds);
    const AudioBuffer subnormals[] = {scaled(normal, entry.subnormalScale),
                                      constant(entry.subnormalScale, normal.frames(), kRate)};
    Costs costs;
    double dearest = 0.0;
    for (const AudioBuffer& subnormal : subnormals)
    {
        double cheapest = 1e9;
        for (int round = 0; round < kRounds; ++round)
        {
            costs.normal = std::min(costs.normal, timeRender(path, normal, entry.wide, failure));
            cheapest = std::min(cheapest, timeRender(path, subnormal, entry.wide, failure));
        }
        dearest = std::max(dearest, cheapest);
    }
    costs.subnormal = dearest;
    return costs;
}

std::string ratioText(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", ratio);
    return text;
}

} // namespace

Outcome checkSubnormalCost(const std::string& path, const ValidationOptions& options)
{
    const double seconds = options.quick ? 1.0 : 4.0;
    Outcome failure;
    bool wideOffered = false;
    {
        auto probe = openInstance(path, failure);
        if (!probe) return failure;
        wideOffered = probe->canDoubleReplacing();
    }
    Findings findings;
    std::string figures;
    for (const Entry& entry : entries)
    {
        if (entry.wide && !wideOffered) continue;
        reportStep(std::string(entry.what) + " subnormal input");
        const Costs costs = measure(path, entry, seconds, failure);
        if (failure.verdict == Verdict::fail) return failure;
        const double ratio = costs.subnormal / std::max(costs.normal, 1e-9);
        const std::string text = std::string(entry.what) + " " + ratioText(ratio) + "x";
        figures += (figures.empty() ? "" : ", ") + text;
        if (costs.subnormal - costs.normal < kNoiseSeconds) continue;
        if (ratio > kFailRatio)
            findings.fail("subnormal input costs " + text + " the CPU of normal input");
        else if (ratio > kWarnRatio)
            findings.warn("subnormal input costs " + text + " the CPU of normal input");
    }
    return findings.outcome("subnormal input costs about what normal input does (" + figures + ")");
}

} // namespace host::validation
