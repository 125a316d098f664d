#pragma once

#include "host/AudioBuffer.h"
#include "host/Status.h"

#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace fileio
{
class Replacement;
}

namespace host
{

// Writes a sound file that appears only complete: blocks go into a temporary
// file beside the target, commit renames it into place, and a writer
// destroyed without commit removes it.
//
// The type follows the extension (.wav, .aif/.aiff, .flac). WAV and AIFF
// store floats (doubles when wide is set) so nothing is clipped or rounded;
// FLAC stores 24-bit and clips overs.
class AudioFileWriter
{
  public:
    // Whether the name is one create can produce; checked before a long render
    // rather than after it.
    static Status checkName(const std::string& path);

    static std::unique_ptr<AudioFileWriter> create(const std::string& path, int channels, double sampleRate,
                                                   bool wide, Status& status);
    ~AudioFileWriter();

    Status write(const AudioBuffer& block, std::size_t frames);
    Status commit();

  private:
    AudioFileWriter() = default;
    void discard();

    SNDFILE* file = nullptr;
    std::string path;
    std::unique_ptr<fileio::Replacement> replacement;
    int watchSlot = -1; // removed on Ctrl-C as well
    std::vector<double> interleaved;
};

} // namespace host
