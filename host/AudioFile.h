#pragma once

#include "host/AudioBuffer.h"
#include "host/Status.h"

#include <string>

namespace host
{

// Whole files in memory, for short audio (the demo, tests). Long renders
// stream through AudioFileReader and AudioFileWriter instead.
class AudioFile
{
  public:
    static Status read(const std::string& path, AudioBuffer& out);

    // Same types and the same all-or-nothing rule as AudioFileWriter.
    static Status writeAtomically(const std::string& path, const AudioBuffer& audio, bool wide);
};

} // namespace host
