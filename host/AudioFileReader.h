#pragma once

#include "host/AudioBuffer.h"
#include "host/Status.h"

#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace host
{

// Reads a mono or stereo sound file block by block, so that files of any
// length render in constant memory.
class AudioFileReader
{
  public:
    static std::unique_ptr<AudioFileReader> open(const std::string& path, Status& status);
    ~AudioFileReader();

    int channelCount() const { return channels; }
    double sampleRate() const { return rate; }
    std::size_t frames() const { return frameCount; } // as the file header says

    // Fills the first frames of `block` (sized for at least `maxFrames`);
    // returns how many, 0 at the end.
    std::size_t read(AudioBuffer& block, std::size_t maxFrames);

    // Not ok when reading stopped on a damaged file rather than at its end.
    const Status& status() const { return openStatus; }

  private:
    AudioFileReader() = default;

    SNDFILE* file = nullptr;
    int channels = 0;
    double rate = 0.0;
    std::size_t frameCount = 0;
    std::vector<double> interleaved;
    std::string path;
    Status openStatus;
};

} // namespace host
