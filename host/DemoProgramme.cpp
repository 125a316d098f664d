#include "host/DemoProgramme.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace host
{
namespace
{

constexpr double beatSeconds = 0.5;
constexpr double twoPi = 2.0 * std::numbers::pi;

// Small deterministic noise source, so every run renders the same file.
class Noise
{
  public:
    double next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }

  private:
    std::uint32_t state = 0x9E3779B9u;
};

struct Span
{
    std::size_t start;
    std::size_t end;
};

Span spanOf(const AudioBuffer& audio, double fromSeconds, double toSeconds)
{
    const auto clampFrame = [&](double s)
    { return std::min(audio.frames(), static_cast<std::size_t>(std::max(0.0, s) * audio.sampleRate)); };
    return {clampFrame(fromSeconds), clampFrame(toSeconds)};
}

// Pitch falls from 150 Hz to 50 Hz while the body decays.
void addKick(AudioBuffer& audio, double at)
{
    const Span span = spanOf(audio, at, at + 0.45);
    double phase = 0.0;
    for (std::size_t i = span.start; i < span.end; ++i)
    {
        const double t = static_cast<double>(i - span.start) / audio.sampleRate;
        phase += twoPi * (50.0 + 100.0 * std::exp(-t * 30.0)) / audio.sampleRate;
        const double sample = 0.9 * std::exp(-t * 9.0) * std::sin(phase);
        audio.channels[0][i] += sample;
        audio.channels[1][i] += sample;
    }
}

// A tone for the shell and band-limited noise for the wires.
void addSnare(AudioBuffer& audio, double at, Noise& noise)
{
    const Span span = spanOf(audio, at, at + 0.3);
    double smoothed = 0.0;
    for (std::size_t i = span.start; i < span.end; ++i)
    {
        const double t = static_cast<double>(i - span.start) / audio.sampleRate;
        smoothed += 0.5 * (noise.next() - smoothed);
        const double body = 0.35 * std::exp(-t * 25.0) * std::sin(twoPi * 190.0 * t);
        const double wires = 0.45 * std::exp(-t * 14.0) * smoothed;
        audio.channels[0][i] += body + wires;
        audio.channels[1][i] += body + 0.9 * wires;
    }
}

// Short high-passed noise burst, a little to the right.
void addHat(AudioBuffer& audio, double at, Noise& noise)
{
    const Span span = spanOf(audio, at, at + 0.06);
    double previous = 0.0;
    for (std::size_t i = span.start; i < span.end; ++i)
    {
        const double t = static_cast<double>(i - span.start) / audio.sampleRate;
        const double white = noise.next();
        const double sample = 0.12 * std::exp(-t * 70.0) * (white - previous);
        previous = white;
        audio.channels[0][i] += 0.7 * sample;
        audio.channels[1][i] += sample;
    }
}

void addDrums(AudioBuffer& audio, double from, double to)
{
    Noise noise;
    for (double beat = from; beat + 1e-9 < to; beat += beatSeconds)
    {
        const int beatInBar = static_cast<int>(std::lround((beat - from) / beatSeconds)) % 4;
        if (beatInBar == 0 || beatInBar == 2) addKick(audio, beat);
        if (beatInBar == 2) addKick(audio, beat + 0.75 * beatSeconds);
        if (beatInBar == 1 || beatInBar == 3) addSnare(audio, beat, noise);
        addHat(audio, beat, noise);
        addHat(audio, beat + 0.5 * beatSeconds, noise);
    }
}

// A minor chord of slightly detuned partial-rich voices, with 50 ms fades.
void addChord(AudioBuffer& audio, double from, double to, double level)
{
    static constexpr double notes[] = {110.0, 220.0, 261.63, 329.63};
    const Span span = spanOf(audio, from, to);
    const double fade = 0.05 * audio.sampleRate;
    for (std::size_t i = span.start; i < span.end; ++i)
    {
        const double t = static_cast<double>(i) / audio.sampleRate;
        const double edge = std::min(static_cast<double>(i - span.start), static_cast<double>(span.end - i));
        const double gain = level * std::min(1.0, edge / fade);
        for (int c = 0; c < 2; ++c)
        {
            const double detune = c == 0 ? 0.999 : 1.001;
            double sum = 0.0;
            for (double note : notes)
                for (int harmonic = 1; harmonic <= 4; ++harmonic)
                    sum += std::sin(twoPi * note * detune * harmonic * t) / harmonic;
            audio.channels[c][i] += gain * sum / 4.0;
        }
    }
}

// Brings the loudest sample to `peak`, so that nothing clips before the
// plug-in gets the signal.
void normalise(AudioBuffer& audio, double peak)
{
    double loudest = 0.0;
    for (const auto& channel : audio.channels)
        for (double sample : channel)
            loudest = std::max(loudest, std::fabs(sample));
    if (loudest <= 0.0) return;
    for (auto& channel : audio.channels)
        for (double& sample : channel)
            sample *= peak / loudest;
}

constexpr double programmePeak = 0.7; // about -3 dBFS

} // namespace

AudioBuffer DemoProgramme::arrangement(double sampleRate)
{
    AudioBuffer audio(2, static_cast<std::size_t>(11.0 * sampleRate), sampleRate);
    addChord(audio, 0.0, 10.0, 0.12);
    addDrums(audio, 2.0, 8.0);
    normalise(audio, programmePeak);
    return audio;
}

AudioBuffer DemoProgramme::groove(double sampleRate, double seconds)
{
    AudioBuffer audio(2, static_cast<std::size_t>(seconds * sampleRate), sampleRate);
    addChord(audio, 0.0, seconds, 0.12);
    addDrums(audio, 0.0, seconds);
    normalise(audio, programmePeak);
    return audio;
}

} // namespace host
