#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <cmath>

namespace host::validation
{
namespace
{

constexpr double kOtherRate = 96000.0;
constexpr double kFirstRate = 44100.0;
constexpr double kSameLevelDb = 0.1; // renders that should agree may differ by rounding only

struct Order
{
    const char* what;
    bool withinInterface;
    // Leaves the plug-in ready to process at kOtherRate, in its own order.
    void (*prepare)(PluginInstance& plugin);
};

void changedWhileSuspended(PluginInstance& plugin)
{
    start(plugin, kFirstRate);
    render(plugin, programme(kFirstRate, 0.3));
    switchOff(plugin);
    announceRate(plugin, kOtherRate);
    switchOn(plugin);
}

void setAfterResume(PluginInstance& plugin)
{
    start(plugin, kFirstRate);
    announceRate(plugin, kOtherRate);
}

void changedWhileProcessing(PluginInstance& plugin)
{
    start(plugin, kFirstRate);
    render(plugin, programme(kFirstRate, 0.3));
    announceRate(plugin, kOtherRate);
}

void processingBeforeResume(PluginInstance& plugin)
{
    announceRate(plugin, kOtherRate);
    announceBlockSize(plugin, 512);
}

void bothInOneCall(PluginInstance& plugin)
{
    plugin.callback().setSampleRate(kOtherRate);
    plugin.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, static_cast<float>(kOtherRate));
    switchOn(plugin);
}

const Order orders[] = {
    {"rate changed while suspended", true, changedWhileSuspended},
    {"rate set after resume", false, setAfterResume},
    {"rate changed while processing", false, changedWhileProcessing},
    {"processing before any resume", false, processingBeforeResume},
    {"rate through effSetBlockSizeAndSampleRate", false, bothInOneCall},
};

void compareOrder(const Order& order, const AudioBuffer& output, const AudioBuffer& reference,
                  Findings& findings)
{
    const double difference = levelDifferenceDb(output, reference);
    if (difference <= kSameLevelDb) return;
    const std::string text = std::string(order.what) + ": " + formatDb(difference) + " off";
    if (order.withinInterface || !std::isfinite(difference))
        findings.fail(text);
    else
        findings.warn(text + " (outside the interface)");
}

} // namespace

Outcome checkRateOrders(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    const AudioBuffer input = programme(kOtherRate, options.quick ? 1.0 : 2.0);
    AudioBuffer reference;
    {
        auto plugin = openInstance(path, failure);
        if (!plugin) return failure;
        start(*plugin, kOtherRate);
        reference = render(*plugin, input);
    }
    if (!allFinite(reference)) return Outcome::failed("output not finite at 96000 Hz");
    Findings findings;
    for (const Order& order : orders)
    {
        reportStep(order.what);
        auto plugin = openInstance(path, failure);
        if (!plugin) return failure;
        order.prepare(*plugin);
        compareOrder(order, render(*plugin, input), reference, findings);
    }
    return findings.outcome("the rate takes effect in every call order");
}

} // namespace host::validation
