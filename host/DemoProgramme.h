#pragma once

#include "host/AudioBuffer.h"

namespace host
{

// Synthesised stereo programme, so that demos and benchmarks need no files.
// Drums (kick, snare, hi-hat) at 120 beats per minute against a sustained
// chord: loud hits make the detector attack, the gaps between them and the
// chord alone let it release.
class DemoProgramme
{
  public:
    // 2 s of chord alone, 6 s of drums with the chord, 2 s of chord alone
    // again (the release shows), then 1 s of silence.
    static AudioBuffer arrangement(double sampleRate);

    // Drums and chord throughout, for timing: the detector keeps switching
    // between attack and release.
    static AudioBuffer groove(double sampleRate, double seconds);
};

} // namespace host
