#pragma once

#include "host/AudioBuffer.h"
#include "host/Status.h"

#include <string>

namespace host
{

// Reading and writing sound files through libsndfile.
class AudioFile
{
  public:
    // Any mono or stereo file libsndfile can read, at its own rate.
    static Status read(const std::string& path, AudioBuffer& out);

    // The type follows the extension (.wav, .aif/.aiff, .flac). WAV and AIFF
    // store floats (doubles when wide is set) so nothing is clipped or
    // rounded; FLAC stores 24-bit and clips overs. The file appears only
    // complete: it is written beside the target and renamed at the end.
    // Whether the name is one writeAtomically can produce; checked before a
    // long render rather than after it.
    static Status checkWritable(const std::string& path);

    static Status writeAtomically(const std::string& path, const AudioBuffer& audio, bool wide);
};

} // namespace host
