#pragma once
// The checks' test signals and how two renders are compared: the demo
// programme and the level meter that the rest of the tool uses.

#include "host/AudioBuffer.h"

#include <string>

namespace host::validation
{

// Drums over a chord: it keeps dynamics processors working both ways.
AudioBuffer programme(double rate, double seconds);
AudioBuffer constant(double value, std::size_t frames, double rate);
// A sine on both channels.
AudioBuffer tone(double frequency, double amplitude, double seconds, double rate);
void append(AudioBuffer& audio, const AudioBuffer& more);
// `audio` with every sample multiplied by `factor`.
AudioBuffer scaled(const AudioBuffer& audio, double factor);

bool allFinite(const AudioBuffer& audio, std::size_t from = 0);

// Largest difference in level, in dB, between two renders over windows of
// 10 ms from `fromSeconds` on (windows where both are below -80 dBFS do not
// count); infinity when either holds a sample that is not finite.
double levelDifferenceDb(const AudioBuffer& a, const AudioBuffer& b, double fromSeconds = 0.1);

// Seconds from `fromSeconds` until the level stays within `toleranceDb` of
// the reference to the end; negative when it never does.
double recoverySeconds(const AudioBuffer& output, const AudioBuffer& reference, double fromSeconds,
                       double toleranceDb);

// Output level over input level, in dB, from `fromSeconds` to the end.
double gainDb(const AudioBuffer& input, const AudioBuffer& output, double fromSeconds);

// CPU time of this process, which a loaded machine does not inflate as it
// does wall time.
double cpuSeconds();

std::string formatDb(double db);
std::string formatSeconds(double seconds);

} // namespace host::validation
