#include "host/AudioFileReader.h"

#include <sndfile.h>

namespace host
{

std::unique_ptr<AudioFileReader> AudioFileReader::open(const std::string& path, Status& status)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
    {
        status = Status::failure("cannot read " + path + ": " + sf_strerror(nullptr));
        return nullptr;
    }
    std::unique_ptr<AudioFileReader> reader(new AudioFileReader);
    reader->file = file;
    reader->path = path;
    if (info.channels < 1 || info.channels > 2)
    {
        status = Status::failure(path + " has " + std::to_string(info.channels) +
                                 " channels; only mono and stereo files can be rendered");
        return nullptr;
    }
    if (info.samplerate <= 0)
    {
        status = Status::failure(path + " has no valid sample rate");
        return nullptr;
    }
    reader->channels = info.channels;
    reader->rate = info.samplerate;
    reader->frameCount = info.frames > 0 ? static_cast<std::size_t>(info.frames) : 0;
    return reader;
}

AudioFileReader::~AudioFileReader()
{
    if (file != nullptr) sf_close(file);
}

std::size_t AudioFileReader::read(AudioBuffer& block, std::size_t maxFrames)
{
    interleaved.resize(maxFrames * static_cast<std::size_t>(channels));
    const sf_count_t got = sf_readf_double(file, interleaved.data(), static_cast<sf_count_t>(maxFrames));
    if (got < static_cast<sf_count_t>(maxFrames) && sf_error(file) != SF_ERR_NO_ERROR)
        openStatus = Status::failure("cannot read " + path + ": " + sf_strerror(file));
    if (got <= 0) return 0;
    const auto count = static_cast<std::size_t>(got);
    for (std::size_t f = 0; f < count; ++f)
        for (int c = 0; c < channels; ++c)
            block.channels[c][f] = interleaved[f * channels + c];
    return count;
}

} // namespace host
