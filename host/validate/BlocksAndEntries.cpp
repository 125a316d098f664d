#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

namespace host::validation
{
namespace
{

constexpr double kSameLevelDb = 0.1; // renders that should agree may differ by rounding only

struct Way
{
    const char* what;
    RenderWay way;
    bool needsDouble;
};

const Way ways[] = {
    {"empty blocks between blocks", {.emptyBlocks = true}, false},
    {"block sizes from 1 to 512", {.randomBlocks = true}, false},
    {"blocks of 1 frame", {.block = 1}, false},
    {"in-place buffers", {.inPlace = true}, false},
    {"both entries alternating", {.alternate = true}, true},
    {"in-place, 64-bit", {.wide = true, .inPlace = true}, true},
};

} // namespace

Outcome checkBlocksAndEntries(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    const AudioBuffer input = programme(kRate, options.quick ? 1.0 : 2.0);
    auto first = openInstance(path, failure);
    if (!first) return failure;
    start(*first, kRate);
    const AudioBuffer reference = render(*first, input);
    if (!allFinite(reference)) return Outcome::failed("output not finite");
    Findings findings;
    for (const Way& way : ways)
    {
        if (way.needsDouble && !first->canDoubleReplacing()) continue;
        reportStep(way.what);
        auto plugin = openInstance(path, failure);
        if (!plugin) return failure;
        start(*plugin, kRate);
        const double difference = levelDifferenceDb(render(*plugin, input, way.way), reference);
        if (!(difference <= kSameLevelDb))
            findings.fail(std::string(way.what) + ": " + formatDb(difference) + " off");
    }
    return findings.outcome(
        "the same output for any blocking, either entry, in place or not, with empty calls");
}

} // namespace host::validation
