#include "host/validate/Signals.h"

#include "host/DemoProgramme.h"
#include "host/LevelMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>
#include <numbers>

namespace host::validation
{
namespace
{

constexpr double kWindowSeconds = 0.01;
constexpr double kSilenceDb = -80.0;

// The level meter reads its first buffer as input and its second as output,
// so per window it gives both renders' levels side by side.
LevelTrace windowLevels(const AudioBuffer& a, const AudioBuffer& b)
{
    LevelMeter meter(a.sampleRate, std::nullopt, kWindowSeconds);
    meter.add(a, b, std::min(a.frames(), b.frames()));
    return meter.finish();
}

// Per window from `fromSeconds` on: its start and the level difference, 0
// where both are silent.
template <typename Visit>
void forEachWindow(const AudioBuffer& a, const AudioBuffer& b, double fromSeconds, Visit visit)
{
    const LevelTrace trace = windowLevels(a, b);
    const auto first = static_cast<std::size_t>(std::ceil(fromSeconds / kWindowSeconds - 1e-9));
    // The last window may be short; it is left out.
    for (std::size_t i = first; i + 1 < trace.size(); ++i)
    {
        const double da = trace.inputDb[i];
        const double db = trace.outputDb[i];
        const bool silent = da < kSilenceDb && db < kSilenceDb;
        visit(static_cast<double>(i) * kWindowSeconds, silent ? 0.0 : std::fabs(da - db));
    }
}

AudioBuffer tail(const AudioBuffer& audio, double fromSeconds)
{
    const auto from = std::min(audio.frames(), static_cast<std::size_t>(fromSeconds * audio.sampleRate));
    AudioBuffer part(audio.channelCount(), audio.frames() - from, audio.sampleRate);
    for (int c = 0; c < audio.channelCount(); ++c)
        std::copy(audio.channels[c].begin() + static_cast<std::ptrdiff_t>(from), audio.channels[c].end(),
                  part.channels[c].begin());
    return part;
}

} // namespace

AudioBuffer programme(double rate, double seconds)
{
    return DemoProgramme::groove(rate, seconds);
}

AudioBuffer constant(double value, std::size_t frames, double rate)
{
    AudioBuffer audio(2, frames, rate);
    for (auto& channel : audio.channels)
        std::fill(channel.begin(), channel.end(), value);
    return audio;
}

AudioBuffer tone(double frequency, double amplitude, double seconds, double rate)
{
    AudioBuffer audio(2, static_cast<std::size_t>(seconds * rate), rate);
    for (std::size_t i = 0; i < audio.frames(); ++i)
        audio.channels[0][i] = audio.channels[1][i] =
            amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / rate);
    return audio;
}

void append(AudioBuffer& audio, const AudioBuffer& more)
{
    for (int c = 0; c < audio.channelCount(); ++c)
        audio.channels[c].insert(audio.channels[c].end(), more.channels[c].begin(), more.channels[c].end());
}

AudioBuffer scaled(const AudioBuffer& audio, double factor)
{
    AudioBuffer result = audio;
    for (auto& channel : result.channels)
        for (double& sample : channel)
            sample *= factor;
    return result;
}

bool allFinite(const AudioBuffer& audio, std::size_t from)
{
    for (const auto& channel : audio.channels)
        for (std::size_t i = from; i < channel.size(); ++i)
            if (!std::isfinite(channel[i])) return false;
    return true;
}

double levelDifferenceDb(const AudioBuffer& a, const AudioBuffer& b, double fromSeconds)
{
    if (!allFinite(a) || !allFinite(b)) return std::numeric_limits<double>::infinity();
    double worst = 0.0;
    forEachWindow(a, b, fromSeconds, [&](double, double difference) { worst = std::max(worst, difference); });
    return worst;
}

double recoverySeconds(const AudioBuffer& output, const AudioBuffer& reference, double fromSeconds,
                       double toleranceDb)
{
    double lastOff = fromSeconds;
    double end = fromSeconds;
    forEachWindow(output, reference, fromSeconds,
                  [&](double start, double difference)
                  {
                      end = start + kWindowSeconds;
                      if (!(difference <= toleranceDb)) lastOff = start + kWindowSeconds;
                  });
    return lastOff >= end ? -1.0 : std::max(0.0, lastOff - fromSeconds);
}

double gainDb(const AudioBuffer& input, const AudioBuffer& output, double fromSeconds)
{
    const AudioBuffer in = tail(input, fromSeconds);
    const AudioBuffer out = tail(output, fromSeconds);
    LevelMeter meter(input.sampleRate, std::nullopt);
    meter.add(in, out, in.frames());
    meter.finish();
    const RenderSummary summary = meter.summary();
    return summary.rmsOutDb - summary.rmsInDb;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string formatDb(double db)
{
    if (!std::isfinite(db)) return "non-finite output";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f dB", db);
    return text;
}

std::string formatSeconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

} // namespace host::validation
