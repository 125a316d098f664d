#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <cfenv>
#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace host::validation
{
namespace
{

// What hosts that unmask exceptions trap on; inexact and underflow happen
// in any honest arithmetic.
constexpr int kTraps = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// The control bits a plug-in may change but must put back: rounding,
// flush-to-zero, denormals-are-zero and the exception masks; the status
// flags are left out, they change with any arithmetic.
struct FloatingPointMode
{
    unsigned sse = 0;
    unsigned x87 = 0;
    bool operator==(const FloatingPointMode&) const = default;

    static FloatingPointMode now()
    {
        FloatingPointMode mode;
#if defined(__x86_64__)
        mode.sse = _mm_getcsr() & ~0x3Fu;
        std::fenv_t environment;
        std::fegetenv(&environment);
        mode.x87 = environment.__control_word;
#endif
        return mode;
    }
};

class TrapsOn
{
  public:
    TrapsOn() { feenableexcept(kTraps); }
    ~TrapsOn() { fedisableexcept(kTraps); }
    TrapsOn(const TrapsOn&) = delete;
    TrapsOn& operator=(const TrapsOn&) = delete;
};

// Runs one step of the life cycle with the traps on: a trap ends the
// check's process, and the runner names the step.
template <typename Step> void trapped(const char* what, Findings& findings, Step step)
{
    reportStep(what);
    const TrapsOn traps;
    const FloatingPointMode before = FloatingPointMode::now();
    step();
    if (!(FloatingPointMode::now() == before))
        findings.fail(std::string(what) + " left the floating-point mode changed");
}

void sweepParameters(PluginInstance& plugin)
{
    char text[256];
    for (int i = 0; i < plugin.parameterCount(); ++i)
        for (const float value : {0.0f, 0.25f, 0.5f, 1.0f})
        {
            plugin.setParameter(i, value);
            plugin.dispatch(effGetParamDisplay, i, 0, text);
        }
}

} // namespace

Outcome checkFloatingPointTraps(const std::string& path, const ValidationOptions& options)
{
    const AudioBuffer input = programme(kRate, options.quick ? 0.5 : 2.0);
    Findings findings;
    Outcome failure;
    std::unique_ptr<PluginInstance> plugin;
    trapped("creation", findings, [&] { plugin = openInstance(path, failure); });
    if (!plugin) return failure;
    trapped("resume", findings, [&] { start(*plugin, kRate); });
    AudioBuffer narrow, wide;
    trapped("32-bit processing", findings, [&] { narrow = render(*plugin, input); });
    if (plugin->canDoubleReplacing())
        trapped("64-bit processing", findings, [&] { wide = render(*plugin, input, {.wide = true}); });
    trapped("parameter changes", findings, [&] { sweepParameters(*plugin); });
    trapped("silence", findings, [&] { render(*plugin, constant(0.0, 4800, kRate)); });
    trapped("suspend and close", findings,
            [&]
            {
                switchOff(*plugin);
                plugin.reset();
            });
    if (!allFinite(narrow) || !allFinite(wide)) findings.fail("output not finite");
    return findings.outcome(
        "no trap with invalid, division by zero and overflow unmasked, from creation to close;"
        " the floating-point mode as found after each step");
}

} // namespace host::validation
